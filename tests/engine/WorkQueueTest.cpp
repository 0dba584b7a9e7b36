#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/EngineFixture.h"

namespace vantor {
namespace {

using namespace test;
using namespace ::testing;

TEST(LinkList, AppendLinksAtTheEndAndRemoveTakesTheFirst) {
    LinkList list;
    ListInit(&list);
    ListElement a, b, c;
    ListAppend(&list, &a);
    ListAppend(&list, nullptr);
    ListAppend(&list, &b);
    ListAppend(&list, &c);
    EXPECT_EQ(list.count, 3);
    EXPECT_EQ(ListFirst(&list), &a);
    EXPECT_EQ(ListNext(&a), &b);
    EXPECT_EQ(ListNext(&c), nullptr);
    EXPECT_EQ(b.link.prev, &a.link);
    EXPECT_EQ(list.last, &c.link);

    ListRemove(&list, &a);
    ListRemove(&list, nullptr);
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(ListFirst(&list), &b);
    EXPECT_EQ(b.link.prev, nullptr);
    EXPECT_EQ(a.link.next, &b.link);  // the removed element keeps its links

    ListRemove(&list, &b);
    ListRemove(&list, &c);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(ListFirst(&list), nullptr);
    EXPECT_EQ(list.last, nullptr);
}

TEST(WorkQueue, EnqueueMovesTheCursorOnlyWhenEveryNodeWasTaken) {
    MemoryDirectory dir;
    EngineRun run(dir, "User", false);
    LinkList& queue = run.Queue();
    auto makeNode = [&](const char* name) {
        return new CCountNode(dir, run.Context(), name, name, &queue, &run.Root(), "User", false,
                              {});
    };
    ASSERT_EQ(queue.cursor, &run.Root());
    CCountNode* second = makeNode("second");
    Enqueue(&queue, second);
    EXPECT_EQ(queue.cursor, &run.Root());  // the root is still waiting

    queue.cursor = ListNext(queue.cursor);  // root taken
    queue.cursor = ListNext(queue.cursor);  // second taken: the cursor ran off the end
    ASSERT_EQ(queue.cursor, nullptr);
    CCountNode* third = makeNode("third");
    Enqueue(&queue, third);
    EXPECT_EQ(queue.cursor, third);
    EXPECT_THAT(FullNames(NodesOf(queue)), ElementsAre("[Root]", "second", "third"));
}

TEST(WorkQueue, RootAloneIsProcessedOnceAndTheRunFinishes) {
    MemoryDirectory dir;
    dir.AddObjects(MemoryDirectory::kRoot, "User", 4);
    EngineRun run(dir, "User", false);
    run.Run();
    ASSERT_EQ(run.History().size(), 1u);
    EXPECT_EQ(run.History()[0].result, 0);
    EXPECT_EQ(run.Root().count, 4);
    EXPECT_EQ(run.Queue().cursor, nullptr);
}

// The root's walk queues its children while the root is the last node: they must still be
// processed, and each level must come after the whole level above it.
TEST(WorkQueue, NodesAreProcessedLevelByLevelInListingOrder) {
    MemoryDirectory dir;
    dir.SetListBatchSize(1);
    for (const char* path :
         {"Sales.acme", "East.Sales.acme", "Dev.acme", "QA.Dev.acme", "Ops.Dev.acme", "Lab.beta"}) {
        dir.Path(path);
    }
    EngineRun run(dir, "User", false);
    run.Run();
    std::vector<CCountNode*> order;
    for (const auto& processed : run.History()) {
        order.push_back(processed.node);
        const CCountNode* parent = processed.node->parent;
        if (parent != nullptr) {
            const std::string display = processed.node->displayName;
            EXPECT_EQ(processed.node->fullName,
                      parent == &run.Root() ? display : display + "." + parent->fullName);
        }
    }
    EXPECT_THAT(FullNames(order),
                ElementsAre("[Root]", "acme", "beta", "Sales.acme", "Dev.acme", "Lab.beta",
                            "East.Sales.acme", "QA.Dev.acme", "Ops.Dev.acme"));
    EXPECT_EQ(NodesOf(run.Queue()), order);  // processed nodes stay queued until the end
}

}  // namespace
}  // namespace vantor
