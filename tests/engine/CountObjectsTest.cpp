#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/EngineFixture.h"

namespace vantor {
namespace {

using namespace test;
using namespace ::testing;

class CountObjectsTest : public ::testing::Test {
  protected:
    CountObjectsTest() {
        acme = dir.Path("acme");
        dir.AddObjects(acme, "User", 8);
        dir.AddObjects(acme, "Group", 3);
        dir.Path("Lab.acme");
    }
    CCountNode& Root(const char* className = "User") {
        run.emplace(client, className, false, &probe);
        return run->Root();
    }
    // Released as soon as the search is done, not only when the context closes.
    void ExpectNothingLeft() {
        EXPECT_EQ(dir.LiveBuffers(), 0);
        EXPECT_EQ(dir.LiveFilters(), 0);
        EXPECT_EQ(dir.LiveIterations(), 0u);
    }

    MemoryDirectory dir;

    InstrumentedDirectory client{dir};
    test::WindowProbe probe;
    MemoryDirectory::EntryId acme;
    std::optional<EngineRun> run;
};

TEST_F(CountObjectsTest, BuildsTheClassFilterAndSearchesOneLevel) {
    CCountNode& root = Root("Group");
    EXPECT_EQ(root.CountObjects("acme"), 0);
    EXPECT_EQ(root.count, 3);
    EXPECT_THAT(
        test::OpsOf(client),
        ElementsAre(DirOp::AllocBuf, DirOp::AllocBuf, DirOp::PrepareBuffer, DirOp::NewFilter,
                    DirOp::AddFilterItem, DirOp::AddFilterItem, DirOp::AddFilterItem,
                    DirOp::AddFilterItem, DirOp::StoreFilter, DirOp::Search, DirOp::GetObjCount,
                    DirOp::ReleaseBuffer, DirOp::ReleaseBuffer));
    const auto& calls = client.Calls();
    const void* reply = calls[0].buffer;
    const void* filter = calls[1].buffer;
    EXPECT_EQ(calls[0].number, 4096);
    EXPECT_EQ(calls[1].number, 4096);
    EXPECT_EQ(calls[2].number, kSearchOperation);
    EXPECT_EQ(calls[2].buffer, filter);
    // AddFilterItem records the token as number and the syntax as iteration.
    const std::vector<std::tuple<int, std::string, int>> items = {
        {14, "Object Class", 20}, {7, "", 0}, {6, "Group", 20}, {0, "", 0}};
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(std::make_tuple(calls[4 + i].number, calls[4 + i].name, calls[4 + i].iteration),
                  items[i]);
    }
    EXPECT_EQ(calls[9].name, "acme");
    EXPECT_EQ(calls[9].number, kScopeOneLevel);
    EXPECT_EQ(calls[9].iteration, kNoIteration);
    EXPECT_EQ(calls[9].buffer, reply);
    EXPECT_EQ(calls[10].buffer, reply);
    EXPECT_EQ(calls[11].buffer, filter);
    EXPECT_EQ(calls[12].buffer, reply);
    EXPECT_EQ(probe.checks, 1);
    ExpectNothingLeft();
}

TEST_F(CountObjectsTest, ContainerWithoutMatchesIsOneEmptyBatch) {
    CCountNode& root = Root();
    root.count = 10;
    EXPECT_EQ(root.CountObjects("Lab.acme"), 0);
    EXPECT_EQ(root.count, 10);
    EXPECT_THAT(CallsOf(client, DirOp::Search), SizeIs(1));
    EXPECT_THAT(ErrorsOf(root), IsEmpty());
    EXPECT_EQ(root.hasErrors, 0);
}

TEST_F(CountObjectsTest, SeveralBatchesAreSummedWithOnePollEach) {
    dir.SetSearchBatchSize(3);
    CCountNode& root = Root();
    root.count = 10;
    EXPECT_EQ(root.CountObjects("acme"), 0);
    EXPECT_EQ(root.count, 18);
    const auto searches = CallsOf(client, DirOp::Search);
    ASSERT_THAT(searches, SizeIs(3));
    EXPECT_EQ(searches[0].iteration, kNoIteration);
    EXPECT_NE(searches[1].iteration, kNoIteration);
    EXPECT_NE(searches[2].iteration, kNoIteration);
    EXPECT_EQ(probe.checks, 3);
    EXPECT_EQ(probe.pumps, 3);
    EXPECT_THAT(CallsOf(client, DirOp::EndIteration), IsEmpty());
    EXPECT_EQ(dir.LiveIterations(), 0u);
}

// Batches that end inside a kind's objects: each kind is still counted whole, once.
TEST_F(CountObjectsTest, EveryKindIsCountedPerKindAcrossBatches) {
    dir.AddObjects(acme, "NCP_Server", 1);
    dir.SetSearchBatchSize(5);
    const std::string everyKind(kEveryKindClassName);
    CCountNode& root = Root(everyKind.c_str());
    EXPECT_EQ(root.CountObjects("acme"), 0);
    EXPECT_EQ(root.count, 12);
    EXPECT_THAT(root.kindCounts, ElementsAre(8, 1, 3, 0));
    EXPECT_THAT(CallsOf(client, DirOp::Search), SizeIs(3));
    ExpectNothingLeft();
}

TEST_F(CountObjectsTest, CancelAfterTheFirstBatchAbandonsTheSearchAndSkipsTheWalk) {
    dir.SetSearchBatchSize(3);
    probe.CancelAtCheck(1);
    CCountNode& root = Root();
    EXPECT_EQ(root.Process("acme"), kCancelled);
    EXPECT_EQ(root.count, 3);
    const auto ends = CallsOf(client, DirOp::EndIteration);
    ASSERT_THAT(ends, SizeIs(1));
    EXPECT_EQ(ends[0].number, kSearchOperation);
    EXPECT_EQ(ends[0].result, 0);  // the handle was the live one
    EXPECT_EQ(dir.LiveIterations(), 0u);
    EXPECT_THAT(CallsOf(client, DirOp::Search), SizeIs(1));
    EXPECT_THAT(CallsOf(client, DirOp::ListContainers), IsEmpty());
    EXPECT_THAT(ErrorsOf(root), IsEmpty());
    ExpectNothingLeft();
}

TEST_F(CountObjectsTest, CancelAfterTheLastBatchHasNothingToAbandon) {
    dir.SetSearchBatchSize(3);
    probe.CancelAtCheck(3);
    CCountNode& root = Root();
    EXPECT_EQ(root.CountObjects("acme"), kCancelled);
    EXPECT_EQ(root.count, 8);
    EXPECT_THAT(CallsOf(client, DirOp::EndIteration), IsEmpty());
}

struct SetupFailure {
    const char* step;
    FailureRule rule;
    std::size_t buffersAllocated;
};

class CountObjectsSetupTest : public CountObjectsTest,
                              public ::testing::WithParamInterface<SetupFailure> {};

TEST_P(CountObjectsSetupTest, RecordsOneSearchErrorAndReleasesEverything) {
    const SetupFailure& failure = GetParam();
    client.InjectFailure(failure.rule);
    CCountNode& root = Root();
    EXPECT_EQ(root.CountObjects("acme"), failure.rule.code);
    EXPECT_THAT(ErrorsOf(root), ElementsAre(Named(failure.rule.code, OP_SEARCH, "acme")));
    EXPECT_EQ(root.hasErrors, 1);
    EXPECT_THAT(CallsOf(client, DirOp::Search), IsEmpty());

    std::vector<const void*> allocated;
    for (const DirCall& call : CallsOf(client, DirOp::AllocBuf)) {
        if (call.result == 0) {
            allocated.push_back(call.buffer);
        }
    }
    ASSERT_EQ(allocated.size(), failure.buffersAllocated);
    std::vector<const void*> released;
    for (const DirCall& call : CallsOf(client, DirOp::ReleaseBuffer)) {
        released.push_back(call.buffer);
    }
    EXPECT_EQ(released, std::vector<const void*>(allocated.rbegin(), allocated.rend()));
    ExpectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, CountObjectsSetupTest,
    ::testing::Values(SetupFailure{"ReplyBuffer", {DirOp::AllocBuf, -649, "", 1}, 0},
                      SetupFailure{"FilterBuffer", {DirOp::AllocBuf, -648, "", 2}, 1},
                      SetupFailure{"PrepareBuffer", {DirOp::PrepareBuffer, -623, "", 0}, 2},
                      SetupFailure{"NewFilter", {DirOp::NewFilter, -649, "", 0}, 2},
                      SetupFailure{"AttributeItem", {DirOp::AddFilterItem, -626, "", 1}, 2},
                      SetupFailure{"ClassItem", {DirOp::AddFilterItem, -634, "User", 0}, 2},
                      SetupFailure{"EndItem", {DirOp::AddFilterItem, -601, "", 4}, 2},
                      SetupFailure{"StoreFilter", {DirOp::StoreFilter, -634, "", 0}, 2}),
    [](const auto& testCase) { return std::string(testCase.param.step); });

struct LoopFailure {
    const char* name;
    FailureRule rule;
    int cancelAtCheck;
    int expectedResult;  // 0: the injected code
    int operation;
    std::int32_t countAfter;
    std::size_t endIterations;
};

class CountObjectsLoopTest : public CountObjectsTest,
                             public ::testing::WithParamInterface<LoopFailure> {};

TEST_P(CountObjectsLoopTest, RecordsTheFailureOnceAndKeepsEarlierBatches) {
    const LoopFailure& failure = GetParam();
    dir.SetSearchBatchSize(3);
    client.InjectFailure(failure.rule);
    probe.CancelAtCheck(failure.cancelAtCheck);
    CCountNode& root = Root();
    const int expected = failure.expectedResult != 0 ? failure.expectedResult : failure.rule.code;
    EXPECT_EQ(root.CountObjects("acme"), expected);
    EXPECT_THAT(ErrorsOf(root), ElementsAre(Named(failure.rule.code, failure.operation, "acme")));
    EXPECT_EQ(root.hasErrors, 1);
    EXPECT_EQ(root.count, failure.countAfter);
    EXPECT_THAT(CallsOf(client, DirOp::EndIteration), SizeIs(failure.endIterations));
    ExpectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(
    Batches, CountObjectsLoopTest,
    ::testing::Values(
        LoopFailure{"SearchFirstBatch", {DirOp::Search, -601, "acme", 0}, 0, 0, OP_SEARCH, 0, 0},
        LoopFailure{"SearchSecondBatch", {DirOp::Search, -626, "", 2}, 0, 0, OP_SEARCH, 3, 0},
        LoopFailure{
            "SearchThenCancel", {DirOp::Search, -601, "", 1}, 1, kCancelled, OP_SEARCH, 0, 0},
        // The search is still open after the count failed: it is ended at once.
        LoopFailure{"Count", {DirOp::GetObjCount, -634, "acme", 2}, 0, 0, OP_GET_OBJ_COUNT, 3, 1},
        LoopFailure{"CountThenCancel",
                    {DirOp::GetObjCount, -634, "", 1},
                    1,
                    kCancelled,
                    OP_GET_OBJ_COUNT,
                    0,
                    1}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(CountObjectsTest, FailedSearchStillLetsProcessWalkTheContainer) {
    client.InjectFailure({DirOp::Search, -601, "acme"});
    CCountNode& root = Root();
    EXPECT_EQ(root.Process("acme"), 0);
    EXPECT_THAT(ErrorsOf(root), ElementsAre(Named(-601, OP_SEARCH, "acme")));
    const auto listings = CallsOf(client, DirOp::ListContainers);
    ASSERT_THAT(listings, SizeIs(1));
    EXPECT_EQ(listings[0].name, "acme");
    EXPECT_EQ(run->Queue().count, 2);  // Lab.acme queued
}

TEST_F(CountObjectsTest, AbsentNameSearchesTheNodesOwnName) {
    client.InjectFailure({DirOp::Search, -601, "[Root]"});
    CCountNode& root = Root();
    EXPECT_EQ(root.CountObjects(nullptr), -601);
    EXPECT_THAT(ErrorsOf(root), ElementsAre(Named(-601, OP_SEARCH, "[Root]")));
}

TEST_F(CountObjectsTest, OverlongBaseIsRefusedWholeWithoutSearching) {
    const std::string base = std::string(250, 'x') + ".acme.org";
    CCountNode& root = Root();
    EXPECT_EQ(root.CountObjects(base.c_str()), dirError::kNameTooLong);
    EXPECT_THAT(ErrorsOf(root), ElementsAre(Named(dirError::kNameTooLong, OP_SEARCH, base)));
    EXPECT_THAT(CallsOf(client, DirOp::Search), IsEmpty());
    ExpectNothingLeft();
}

}  // namespace
}  // namespace vantor
