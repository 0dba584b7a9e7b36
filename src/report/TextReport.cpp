#include "report/TextReport.h"

#include "platform/ResourceIds.h"
#include "platform/StringTable.h"
#include "tree/LineText.h"

namespace vantor {

namespace {
constexpr const char* kEol = "\r\n";
}

std::string KindLine(int objectKind, std::int32_t grandTotal) {
    return LoadString(res::IDS_KIND_FIRST + objectKind) + LoadString(res::IDS_OBJECTS) +
           " -- Total: " + std::to_string(grandTotal);
}

std::string BuildTextReport(const CTextTreeCtrl& tree, CTreeWalk& walk, int objectKind,
                            const std::string& dateStamp) {
    std::string out;
    out += LoadString(res::IDS_TITLE) + "\t\t\t" + dateStamp + kEol;
    out += LoadString(res::IDS_LEGEND_1) + kEol;
    out += LoadString(res::IDS_LEGEND_2) + kEol;
    out += LoadString(res::IDS_LEGEND_3) + kEol;
    out += kEol;
    const HTREEITEM first = tree.Next(0, TVGN_ROOT);
    out += KindLine(objectKind, first != 0 ? walk.BranchTotal(first) : 0) + kEol + kEol;

    walk.Walk([&](HTREEITEM item) {
        out += std::to_string(walk.BranchTotal(item));
        out += "\t\t";
        out += std::to_string(tree.Data(item));
        out += "\t\t";
        out.append(static_cast<std::size_t>(walk.m_depth), '\t');
        out += ReportNameField(tree.GetItemText(item), tree.CarriesData(item));
        out += kEol;
        return true;
    });
    return out;
}

}  // namespace vantor
