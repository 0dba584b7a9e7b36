#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/EngineFixture.h"

namespace vantor {
namespace {

using test::EngineRun;

// A generated directory kept beside its own description, so expected counts come from the
// description and not from the directory or the engine.
struct Model {
    struct Container {
        std::string fullName;
        std::size_t parent;  // index; 0 is the root
        std::uint32_t users;
        bool partitionRoot;
    };
    std::vector<Container> containers{{"[Root]", 0, 0, true}};

    // Shown line per full name: its count and the full name of its parent line.
    using Lines = std::map<std::string, std::pair<long long, std::string>>;

    Lines ByContainer() const {
        Lines lines;
        for (const Container& c : containers) {
            lines[c.fullName] = {c.users,
                                 &c == &containers[0] ? "" : containers[c.parent].fullName};
        }
        return lines;
    }
    Lines ByPartition() const {
        Lines lines;
        for (std::size_t i = 0; i < containers.size(); ++i) {
            const std::size_t home = PartitionOf(i);
            lines[containers[home].fullName].first += containers[i].users;
            if (i == home && i != 0) {
                lines[containers[i].fullName].second =
                    containers[PartitionOf(containers[i].parent)].fullName;
            }
        }
        return lines;
    }
    std::size_t PartitionOf(std::size_t i) const {
        while (!containers[i].partitionRoot) {
            i = containers[i].parent;
        }
        return i;
    }
};

Model Generate(MemoryDirectory& dir, unsigned seed, std::size_t containerCount) {
    Model model;
    std::vector<MemoryDirectory::EntryId> ids{MemoryDirectory::kRoot};
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % 1000;
    };
    while (model.containers.size() < containerCount) {
        const std::size_t parent = next() % model.containers.size();
        const std::string name = "c" + std::to_string(model.containers.size());
        const auto id = dir.AddContainer(ids[parent], name);
        const bool partitionRoot = next() % 4 == 0;
        const std::uint32_t users = next() % 9;
        if (partitionRoot) {
            dir.MarkPartitionRoot(id);
        }
        dir.AddObjects(id, "User", users);
        dir.AddObjects(id, "Group", next() % 3);
        if (next() % 3 == 0) {
            dir.AddListedLeaf(id, "leaf" + name);
        }
        const std::string& parentName = model.containers[parent].fullName;
        model.containers.push_back(
            {parent == 0 ? name : name + "." + parentName, parent, users, partitionRoot});
        ids.push_back(id);
    }
    return model;
}

Model::Lines Shown(const EngineRun& run) {
    Model::Lines lines;
    for (const EngineRun::Processed& p : run.History()) {
        if (p.result != kCancelled) {
            lines[p.node->fullName] = {p.node->count,
                                       p.node->parent != nullptr ? p.node->parent->fullName : ""};
        }
    }
    return lines;
}

class CountRunTest : public ::testing::TestWithParam<bool> {};

TEST_P(CountRunTest, WholeRunWithoutCallbacksMatchesTheDirectory) {
    const bool byPartition = GetParam();
    MemoryDirectory dir;
    dir.SetSearchBatchSize(4);
    dir.SetListBatchSize(3);
    const Model model = Generate(dir, 7, 120);
    {
        EngineRun run(dir, "User", byPartition);
        run.Run();
        for (const auto& p : run.History()) {
            EXPECT_EQ(p.result, 0) << p.node->fullName;
            EXPECT_EQ(p.node->hasErrors, 0) << p.node->fullName;
        }
        EXPECT_EQ(Shown(run), byPartition ? model.ByPartition() : model.ByContainer());
    }
    EXPECT_EQ(dir.LiveBuffers(), 0);
    EXPECT_EQ(dir.LiveFilters(), 0);
}

TEST_P(CountRunTest, CancelStopsTheRunWithoutShowingTheCancelledNode) {
    const bool byPartition = GetParam();
    MemoryDirectory dir;
    dir.SetSearchBatchSize(2);
    const Model model = Generate(dir, 11, 60);
    test::WindowProbe counter;
    std::size_t fullRunNodes = 0;
    {
        EngineRun run(dir, "User", byPartition, &counter);
        run.Run();
        fullRunNodes = run.History().size();
    }
    ASSERT_GT(counter.checks, 20);

    test::WindowProbe probe;
    probe.CancelAtCheck(counter.checks / 2);
    {
        EngineRun run(dir, "User", byPartition, &probe);
        run.Run();
        ASSERT_FALSE(run.History().empty());
        EXPECT_EQ(run.History().back().result, kCancelled);
        EXPECT_LT(run.History().size(), fullRunNodes);
        const Model::Lines all = byPartition ? model.ByPartition() : model.ByContainer();
        const Model::Lines shown = Shown(run);
        EXPECT_EQ(shown.size() + 1, run.History().size());
        for (const auto& [name, line] : shown) {
            EXPECT_EQ(line, all.at(name)) << name;
        }
    }
    EXPECT_EQ(dir.LiveBuffers(), 0);
    EXPECT_EQ(dir.LiveFilters(), 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, CountRunTest, ::testing::Bool(), [](const auto& testCase) {
    return std::string(testCase.param ? "ByPartition" : "ByContainer");
});

}  // namespace
}  // namespace vantor
