#include "platform/StringTable.h"

#include <array>
#include <utility>

#include "platform/ResourceIds.h"

namespace vantor {

std::string LoadString(int id) {
    static constexpr std::array<std::pair<int, const char*>, 22> kTable = {{
        {res::IDS_OBJECT_NOT_FOUND, "Object not found"},
        {res::IDS_INVALID_SYNTAX, "Invalid syntax"},
        {res::IDS_REFERRALS_FAILED, "Referrals failed"},
        {res::IDS_NO_REFERRALS, "No referrals"},
        {res::IDS_MEMORY_STACK, "Memory error (stack)"},
        {res::IDS_NO_MEMORY, "No memory"},
        {res::IDS_ERROR, "Error"},
        {res::IDS_OP_SEARCH, "NWDSSearch"},
        {res::IDS_OP_GET_OBJ_COUNT, "NWDSGetObjCount"},
        {res::IDS_OP_LIST_CONTAINERS, "NWDSListContainers"},
        {res::IDS_OP_GET_OBJ_NAME, "NWDSGetObjName"},
        {res::IDS_OP_ALLOC_BUF, "NWDSAllocBuf"},
        {res::IDS_OP_GET_PARTITION_ROOT, "NWDSGetPartitionRoot"},
        {res::IDS_TITLE, "Quillon Vantor"},
        {res::IDS_LEGEND_1, "Column 1 = Total Count in Partition Subtrees"},
        {res::IDS_LEGEND_2, "Column 2 = Total Count in Partition"},
        {res::IDS_LEGEND_3, "Column 3 = Partition/Container"},
        {res::IDS_KIND_FIRST, "User"},
        {res::IDS_KIND_FIRST + 1, "Server"},
        {res::IDS_KIND_FIRST + 2, "Group"},
        {res::IDS_KIND_FIRST + 3, "Partition"},
        {res::IDS_OBJECTS, " objects"},
    }};
    for (const auto& [key, text] : kTable) {
        if (key == id) {
            return text;
        }
    }
    return {};
}

}  // namespace vantor
