#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/EngineFixture.h"

namespace vantor {
namespace {

using namespace test;
using namespace ::testing;

class WalkContainersTest : public ::testing::Test {
  protected:
    CCountNode& Root(bool byPartition) {
        run.emplace(client, "User", byPartition, &probe);
        return run->Root();
    }
    // The nodes the walk queued after the root.
    std::vector<CCountNode*> Queued() {
        auto nodes = NodesOf(run->Queue());
        nodes.erase(nodes.begin());
        return nodes;
    }
    void AddUsers(const char* path, std::uint32_t n) { dir.AddObjects(dir.Path(path), "User", n); }

    MemoryDirectory dir;

    InstrumentedDirectory client{dir};
    test::WindowProbe probe;
    std::optional<EngineRun> run;
};

TEST_F(WalkContainersTest, ByContainerQueuesEverySubcontainerInListingOrder) {
    dir.SetListBatchSize(2);
    const auto acme = dir.Path("acme");
    dir.AddContainer(acme, "Zeta");
    dir.AddListedLeaf(acme, "printer");
    dir.AddContainer(acme, "Alpha");
    dir.AddContainer(acme, "Mid");
    CCountNode& root = Root(false);
    root.treeItem = 42;
    root.count = 5;

    EXPECT_EQ(root.WalkContainers("acme"), 0);
    const auto queued = Queued();
    EXPECT_THAT(FullNames(queued), ElementsAre("Zeta.acme", "Alpha.acme", "Mid.acme"));
    const char* listed[] = {"Zeta", "Alpha", "Mid"};
    for (std::size_t i = 0; i < queued.size(); ++i) {
        const CCountNode& child = *queued[i];
        EXPECT_EQ(child.displayName, listed[i]);
        EXPECT_EQ(child.parent, &root);
        EXPECT_EQ(child.context, root.context);
        EXPECT_EQ(child.queue, root.queue);
        EXPECT_STREQ(child.className, "User");
        EXPECT_EQ(child.byPartition, 0);
        EXPECT_EQ(child.count, 0);
        EXPECT_EQ(child.hasErrors, 0);
        EXPECT_EQ(child.treeItem, 0u);
        EXPECT_EQ(child.errors.count, 0);
    }
    EXPECT_EQ(root.count, 5);  // by container nothing is counted into the walking node
    EXPECT_EQ(run->Queue().cursor, &root);
    // The leaf gets no progress call; messages are pumped per batch and by the final poll.
    EXPECT_THAT(probe.progress, ElementsAre("Zeta", "Alpha", "Mid"));
    EXPECT_THAT(CallsOf(client, DirOp::ListContainers), SizeIs(2));
    EXPECT_EQ(probe.pumps, 3);
    EXPECT_EQ(probe.checks, 1);

    // Children carry the same callbacks.
    queued[0]->Poll();
    EXPECT_EQ(probe.checks, 2);
    EXPECT_EQ(dir.LiveBuffers(), 0);
}

class RootNameTest : public WalkContainersTest,
                     public ::testing::WithParamInterface<const char*> {};

TEST_P(RootNameTest, ChildrenOfTheRootAreNamedByTheirEntryNameAlone) {
    dir.Path("Dev.acme");
    dir.Path("beta");
    CCountNode& root = Root(false);
    EXPECT_EQ(root.WalkContainers(GetParam()), 0);
    EXPECT_THAT(FullNames(Queued()), ElementsAre("acme", "beta"));
}

INSTANTIATE_TEST_SUITE_P(AnyCase, RootNameTest,
                         ::testing::Values(nullptr, "[Root]", "[root]", "[ROOT]"));

TEST_F(WalkContainersTest, ByPartitionCountsInsideAndQueuesPartitionRootsAtAnyDepth) {
    AddUsers("acme", 3);
    AddUsers("Dev.acme", 5);
    AddUsers("QA.Dev.acme", 2);
    AddUsers("Deep.QA.Dev.acme", 7);
    AddUsers("Sales.acme", 4);
    dir.MarkPartitionRoot(dir.Path("QA.Dev.acme"));
    dir.MarkPartitionRoot(dir.Path("Sales.acme"));
    CCountNode& root = Root(true);

    run->Run();
    EXPECT_EQ(root.count, 8);
    const auto queued = Queued();
    ASSERT_THAT(FullNames(queued), ElementsAre("QA.Dev.acme", "Sales.acme"));
    EXPECT_EQ(queued[0]->parent, &root);
    EXPECT_EQ(queued[1]->parent, &root);
    EXPECT_EQ(queued[0]->displayName, "QA");
    EXPECT_EQ(queued[0]->byPartition, 1);
    EXPECT_EQ(queued[0]->count, 9);
    EXPECT_EQ(queued[1]->count, 4);
    EXPECT_EQ(run->ShownTotal(), 21);
}

TEST_F(WalkContainersTest, FailedPartitionRootQueryIsAnErrorLineAndTheChildCountsIntoTheNode) {
    AddUsers("Sales.acme", 4);
    AddUsers("East.Sales.acme", 6);
    dir.MarkPartitionRoot(dir.Path("Sales.acme"));
    dir.MarkPartitionRoot(dir.Path("East.Sales.acme"));
    client.InjectFailure({DirOp::FindPartitionRoot, -626, "Sales.acme"});
    CCountNode& root = Root(true);

    EXPECT_EQ(root.WalkContainers("acme"), 0);
    EXPECT_EQ(root.count, 4);
    EXPECT_THAT(FullNames(Queued()), ElementsAre("East.Sales.acme"));
    EXPECT_THAT(ErrorsOf(root), ElementsAre(Named(-626, OP_GET_PARTITION_ROOT, "Sales.acme")));
    EXPECT_EQ(root.hasErrors, 1);
}

TEST_F(WalkContainersTest, NestedErrorsLandOnTheNodeUnderTheNestedName) {
    dir.Path("Lab.Dev.acme");
    client.InjectFailure({DirOp::Search, -601, "Dev.acme"});
    client.InjectFailure({DirOp::ListContainers, -634, "Lab.Dev.acme"});
    CCountNode& root = Root(true);
    EXPECT_EQ(root.WalkContainers("acme"), 0);
    EXPECT_THAT(ErrorsOf(root), ElementsAre(Named(-601, OP_SEARCH, "Dev.acme"),
                                            Named(-634, OP_LIST_CONTAINERS, "Lab.Dev.acme")));
    EXPECT_EQ(root.hasErrors, 1);
}

class NameReadTest : public WalkContainersTest, public ::testing::WithParamInterface<bool> {};

TEST_P(NameReadTest, FailureEndsTheListingButNotTheWalk) {
    const bool cancel = GetParam();
    dir.SetListBatchSize(3);
    for (const char* name : {"A", "B", "C", "D", "E"}) {
        dir.Path(std::string(name) + ".acme");
    }
    client.InjectFailure({DirOp::GetObjName, -634, "acme", 2});
    probe.CancelAtCheck(cancel ? 1 : 0);
    CCountNode& root = Root(false);

    EXPECT_EQ(root.WalkContainers("acme"), cancel ? kCancelled : 0);
    EXPECT_THAT(ErrorsOf(root), ElementsAre(Named(-634, OP_GET_OBJ_NAME, "acme")));
    EXPECT_EQ(root.hasErrors, 1);
    EXPECT_THAT(FullNames(Queued()), ElementsAre("A.acme"));
    EXPECT_THAT(CallsOf(client, DirOp::GetObjName), SizeIs(2));
    EXPECT_THAT(CallsOf(client, DirOp::ListContainers), SizeIs(1));
    // The listing cut short is ended at once.
    const auto ends = CallsOf(client, DirOp::EndIteration);
    ASSERT_THAT(ends, SizeIs(1));
    EXPECT_EQ(ends[0].number, kListOperation);
    EXPECT_EQ(ends[0].result, 0);
    EXPECT_EQ(dir.LiveIterations(), 0u);
    EXPECT_EQ(probe.checks, 1);
}

INSTANTIATE_TEST_SUITE_P(CancelledOrNot, NameReadTest, ::testing::Bool());

struct WalkFailure {
    const char* name;
    FailureRule rule;
    test::ErrorLine error;
    std::vector<std::string> queued;
};

class WalkFailureTest : public WalkContainersTest,
                        public ::testing::WithParamInterface<WalkFailure> {};

TEST_P(WalkFailureTest, RecordsOneErrorAndReturnsTheCode) {
    const WalkFailure& failure = GetParam();
    dir.SetListBatchSize(1);
    for (const char* name : {"A", "B", "C"}) {
        dir.Path(std::string(name) + ".acme");
    }
    client.InjectFailure(failure.rule);
    CCountNode& root = Root(false);
    EXPECT_EQ(root.WalkContainers("acme"), failure.rule.code);
    EXPECT_THAT(ErrorsOf(root), ElementsAre(failure.error));
    EXPECT_EQ(root.hasErrors, 1);
    EXPECT_EQ(FullNames(Queued()), failure.queued);
    EXPECT_EQ(probe.checks, 0);
    EXPECT_EQ(dir.LiveBuffers(), 0);
    EXPECT_EQ(dir.LiveIterations(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Steps, WalkFailureTest,
                         ::testing::Values(WalkFailure{"AllocBuf",
                                                       {DirOp::AllocBuf, -649, "", 1},
                                                       Unnamed(-649, OP_ALLOC_BUF),
                                                       {}},
                                           WalkFailure{"SecondListing",
                                                       {DirOp::ListContainers, -626, "acme", 2},
                                                       Named(-626, OP_LIST_CONTAINERS, "acme"),
                                                       {"A.acme"}},
                                           WalkFailure{"ThirdCount",
                                                       {DirOp::GetObjCount, -601, "acme", 3},
                                                       Named(-601, OP_GET_OBJ_COUNT, "acme"),
                                                       {"A.acme", "B.acme"}}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(WalkContainersTest, CancelInsideANestedProcessStopsTheWalkAtOnce) {
    dir.MarkPartitionRoot(dir.Path("P1.acme"));
    dir.Path("Lab.Dev.acme");
    dir.MarkPartitionRoot(dir.Path("P2.acme"));
    probe.CancelOnProgress("Dev");
    CCountNode& root = Root(true);

    EXPECT_EQ(root.WalkContainers("acme"), kCancelled);
    EXPECT_THAT(probe.progress, ElementsAre("P1", "Dev"));
    EXPECT_THAT(FullNames(Queued()), ElementsAre("P1.acme"));
    EXPECT_THAT(CallsOf(client, DirOp::ListContainers), SizeIs(1));  // Dev.acme was not walked
    EXPECT_EQ(dir.LiveBuffers(), 0);
    EXPECT_EQ(dir.LiveIterations(), 0u);
}

// A composed name that would not fit is refused whole: cutting it would name (and count)
// some other container.
TEST_F(WalkContainersTest, OverlongChildNameIsRecordedAndTheWalkGoesOn) {
    const std::string parent(200, 'p');
    const std::string longEntry(60, 'x');
    const auto top = dir.AddContainer(MemoryDirectory::kRoot, parent);
    dir.AddContainer(top, longEntry);
    dir.AddContainer(top, "ok");
    dir.MarkPartitionRoot(dir.AddContainer(top, "part"));
    const std::string refused = longEntry + "." + parent;

    for (bool byPartition : {false, true}) {
        SCOPED_TRACE(byPartition ? "by partition" : "by container");
        CCountNode& root = Root(byPartition);
        EXPECT_EQ(root.WalkContainers(parent.c_str()), 0);
        const auto errors = ErrorsOf(root);
        ASSERT_THAT(errors, SizeIs(1));
        EXPECT_EQ(errors[0].errorCode, dirError::kNameTooLong);
        EXPECT_EQ(errors[0].name, refused);
        EXPECT_EQ(root.hasErrors, 1);
        if (byPartition) {
            EXPECT_THAT(FullNames(Queued()), ElementsAre("part." + parent));
        } else {
            EXPECT_THAT(FullNames(Queued()), ElementsAre("ok." + parent, "part." + parent));
        }
        for (const DirCall& call : client.Calls()) {
            EXPECT_LE(call.name.size(), kMaxNameChars);
        }
        EXPECT_THAT(probe.progress, ElementsAre(longEntry, "ok", "part"));
        probe.progress.clear();
    }
}

}  // namespace
}  // namespace vantor
