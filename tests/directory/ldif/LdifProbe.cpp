#include "directory/ldif/LdifProbe.h"

#include <gtest/gtest.h>

#include "support/EngineFixture.h"

namespace vantor::test {

std::unique_ptr<LdifDirectory> Loaded(std::string_view ldif, const ClassProfile& profile) {
    LdifLoadResult result = LoadLdifText(ldif, "test.ldif", profile);
    EXPECT_TRUE(result) << result.error;
    return result ? std::move(result.directory)
                  : std::make_unique<LdifDirectory>(ExportTreeBuilder(profile).Finish(), "");
}

std::string DataFile(std::string_view name) {
    return std::string(VANTOR_LDIF_TEST_DATA) + "/" + std::string(name);
}

bool Exists(DirectoryClient& dir, std::string_view fullName) {
    const std::string name(fullName);
    std::string root;
    const DirContext context = dir.OpenContext();
    const bool found = dir.FindPartitionRoot(context, name.c_str(), root) == 0;
    dir.CloseContext(context);
    return found;
}

std::vector<std::string> ListedNames(DirectoryClient& dir, std::string_view fullName) {
    const std::string base(fullName);
    const DirContext context = dir.OpenContext();
    DirBuffer* reply = nullptr;
    dir.NWDSAllocBuf(4096, &reply);
    std::vector<std::string> names;
    std::int32_t iteration = kNoIteration;
    do {
        std::uint32_t count = 0;
        if (dir.NWDSListContainers(context, base.c_str(), &iteration, reply) != 0 ||
            dir.NWDSGetObjCount(context, reply, &count) != 0) {
            ADD_FAILURE() << "cannot list " << base;
            break;
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            std::string name;
            std::uint32_t attributes = 0;
            ObjectInfo info;
            EXPECT_EQ(dir.NWDSGetObjName(context, reply, name, &attributes, &info), 0);
            names.emplace_back(name);
        }
    } while (iteration != kNoIteration);
    dir.ReleaseBuffer(reply);
    dir.CloseContext(context);
    return names;
}

NodeCounts CountRun(DirectoryClient& dir, std::string_view className, bool byPartition) {
    InstrumentedDirectory client(dir);
    EngineRun run(client, className, byPartition);
    run.Run();
    NodeCounts counts;
    for (const EngineRun::Processed& processed : run.History()) {
        EXPECT_EQ(processed.result, 0) << processed.node->fullName;
        EXPECT_EQ(processed.node->hasErrors, 0) << processed.node->fullName;
        counts.emplace_back(processed.node->fullName, processed.node->count);
    }
    return counts;
}

long long Total(const NodeCounts& counts) {
    long long total = 0;
    for (const auto& [name, count] : counts) {
        total += count;
    }
    return total;
}

}  // namespace vantor::test
