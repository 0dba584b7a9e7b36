#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "directory/memory/InstrumentedDirectory.h"
#include "directory/memory/MemoryDirectory.h"

namespace vantor {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Drives the scripted directory by hand, the way the engine does, to pin down the behaviour
// that the engine's tests rely on.
class MemoryDirectoryTest : public ::testing::Test {
  protected:
    MemoryDirectoryTest() : context(dir.OpenContext()) {}

    // Stores the class filter into a fresh filter buffer.
    DirBuffer* Filter(const char* className) {
        DirBuffer* filter = nullptr;
        FilterCursor* cursor = nullptr;
        dir.NWDSAllocBuf(4096, &filter);
        dir.PrepareBuffer(context, kSearchOperation, filter);
        dir.NewFilter(&cursor);
        dir.AddFilterItem(cursor, filterToken::kAttributeName, "Object Class", kSyntaxClassName);
        dir.AddFilterItem(cursor, filterToken::kEquals, nullptr, 0);
        dir.AddFilterItem(cursor, filterToken::kValue, className, kSyntaxClassName);
        dir.AddFilterItem(cursor, filterToken::kEnd, nullptr, 0);
        EXPECT_EQ(dir.StoreFilter(context, filter, cursor, nullptr), 0);
        return filter;
    }
    // Batch sizes of a whole search, and the handle after each batch.
    std::vector<std::uint32_t> SearchBatches(const char* base, const char* className) {
        DirBuffer* filter = Filter(className);
        DirBuffer* reply = nullptr;
        dir.NWDSAllocBuf(4096, &reply);
        std::vector<std::uint32_t> batches;
        std::int32_t handle = kNoIteration;
        do {
            EXPECT_EQ(dir.NWDSSearch(context, base, kScopeOneLevel, 0, filter, kInfoTypeNames, 0,
                                     nullptr, &handle, 0, nullptr, reply),
                      0);
            std::uint32_t n = 0;
            dir.NWDSGetObjCount(context, reply, &n);
            batches.push_back(n);
        } while (handle != kNoIteration && batches.size() < 100);
        dir.ReleaseBuffer(filter);
        dir.ReleaseBuffer(reply);
        return batches;
    }

    MemoryDirectory dir;

    InstrumentedDirectory client{dir};
    DirContext context;
};

TEST_F(MemoryDirectoryTest, SearchComesInBatchesOfDirectSubordinatesOfTheClass) {
    dir.SetSearchBatchSize(4);
    const auto acme = dir.Path("acme");
    dir.AddObjects(acme, "User", 10);
    dir.AddObjects(acme, "Group", 3);
    dir.AddObjects(dir.Path("Dev.acme"), "User", 50);
    dir.MarkPartitionRoot(dir.Path("Sales.acme"));
    EXPECT_THAT(SearchBatches("acme", "user"), ElementsAre(4, 4, 2));
    EXPECT_THAT(SearchBatches("acme", "Partition"), ElementsAre(1));
    EXPECT_THAT(SearchBatches("acme", "Server"), ElementsAre(0));
    EXPECT_EQ(dir.LiveBuffers(), 0);
    EXPECT_EQ(dir.LiveFilters(), 0);
    EXPECT_EQ(dir.LiveIterations(), 0u);
}

TEST_F(MemoryDirectoryTest, PartitionRootIsTheNearestMarkedContainerAtOrAbove) {
    dir.MarkPartitionRoot(dir.Path("Dev.acme"));
    dir.Path("QA.Dev.acme");
    dir.Path("Sales.acme");
    std::string root;
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"QA.Dev.acme", "Dev.acme"}, {"Dev.acme", "Dev.acme"}, {"Sales.acme", "[Root]"}};
    for (const auto& [name, expected] : cases) {
        ASSERT_EQ(dir.FindPartitionRoot(context, name, root), 0) << name;
        EXPECT_EQ(root, expected);
    }
    EXPECT_EQ(dir.FindPartitionRoot(context, "dev.acme", root), dirError::kObjectNotFound);
}

TEST_F(MemoryDirectoryTest, InjectedFailuresMatchContainerAndCountEveryCallOfTheOperation) {
    dir.Path("A.acme");
    client.InjectFailure({DirOp::ListContainers, -626, "A.acme", 3});
    client.InjectFailure({DirOp::FindPartitionRoot, -634, "acme"});
    DirBuffer* reply = nullptr;
    dir.NWDSAllocBuf(4096, &reply);
    std::vector<int> results;
    for (const char* name : {"A.acme", "acme", "A.acme", "A.acme"}) {
        std::int32_t handle = kNoIteration;
        results.push_back(client.NWDSListContainers(context, name, &handle, reply));
    }
    EXPECT_THAT(results, ElementsAre(0, 0, -626, 0));
    std::string root;
    EXPECT_EQ(client.FindPartitionRoot(context, "acme", root), -634);
    EXPECT_EQ(client.FindPartitionRoot(context, "A.acme", root), 0);
    dir.ReleaseBuffer(reply);
}

// Every failing call leaves its own cause, which names what was wrong; a call that succeeds
// afterwards leaves it alone.
TEST_F(MemoryDirectoryTest, EveryFailingCallSetsItsCause) {
    dir.Path("acme");
    DirBuffer* reply = nullptr;
    dir.NWDSAllocBuf(4096, &reply);
    DirBuffer* unprepared = nullptr;
    dir.NWDSAllocBuf(4096, &unprepared);
    std::string name;
    std::uint32_t attributes = 0;
    ObjectInfo info;
    std::uint32_t flags = 0;
    std::int32_t handle = kNoIteration;
    const std::vector<std::pair<std::function<int()>, std::string>> cases = {
        {[&] { return dir.NWDSListContainers(context, "Gone.acme", &handle, reply); },
         "\"Gone.acme\""},
        {[&] { return dir.FindPartitionRoot(context, "Gone.acme", name); }, "\"Gone.acme\""},
        {[&] { return dir.NWDSGetObjName(context, reply, name, &attributes, &info); },
         "has been read"},
        {[&] { return dir.EndIteration(context, 99, kSearchOperation); }, "handle 99"},
        {[&] { return dir.ReadContextValue(context + 1, kContextKeyFlags, flags); },
         "context " + std::to_string(context + 1)},
        {[&] { return dir.WriteContextValue(context, 42, 0U); }, "key 42"},
        {[&] {
             FilterCursor* cursor = nullptr;
             dir.NewFilter(&cursor);
             return dir.StoreFilter(context, unprepared, cursor, nullptr);
         },
         "not prepared"},
        {[&] { return dir.CloseContext(context + 1); }, "context " + std::to_string(context + 1)},
    };
    for (const auto& [call, expected] : cases) {
        SCOPED_TRACE(expected);
        dir.EndIteration(context, 12345, kSearchOperation);
        ASSERT_THAT(dir.FailureCause(), HasSubstr("12345"));
        EXPECT_LT(call(), 0);
        EXPECT_THAT(dir.FailureCause(), HasSubstr(expected));
        handle = kNoIteration;
        ASSERT_EQ(dir.NWDSListContainers(context, "acme", &handle, reply), 0);
        EXPECT_THAT(dir.FailureCause(), HasSubstr(expected));
    }
    dir.ReleaseBuffer(reply);
    dir.ReleaseBuffer(unprepared);
}

}  // namespace
}  // namespace vantor
