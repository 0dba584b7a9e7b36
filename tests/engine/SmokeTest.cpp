#include <gtest/gtest.h>

#include "directory/memory/MemoryDirectory.h"
#include "engine/CountNode.h"

namespace vantor {
namespace {

TEST(EngineSmoke, CountsByContainerAndPartition) {
    for (bool byPartition : {false, true}) {
        MemoryDirectory dir;
        dir.SetSearchBatchSize(2);
        dir.SetListBatchSize(1);
        auto acme = dir.Path("acme");
        dir.AddObjects(acme, "User", 3);
        auto dev = dir.Path("Dev.acme");
        dir.AddObjects(dev, "User", 5);
        auto qa = dir.Path("QA.Dev.acme");
        dir.MarkPartitionRoot(qa);
        dir.AddObjects(qa, "User", 2);
        const int context = dir.OpenContext();
        LinkList queue;
        ListInit(&queue);
        Enqueue(&queue, new CCountNode(dir, context, "[Root]", "[Root]", &queue, nullptr, "User",
                                       byPartition, {}));
        int nodes = 0;
        int total = 0;
        while (auto* node = AsNode(queue.cursor)) {
            queue.cursor = ListNext(node);
            EXPECT_EQ(node->Process(), 0);
            ++nodes;
            total += node->count;
        }
        while (auto* first = ListFirst(&queue)) {
            ListRemove(&queue, first);
            delete AsNode(first);
        }
        dir.CloseContext(context);
        EXPECT_EQ(total, 10);
        EXPECT_EQ(nodes, byPartition ? 2 : 4);
        EXPECT_EQ(dir.LiveBuffers(), 0);
        EXPECT_EQ(dir.LiveFilters(), 0);
    }
}

}  // namespace
}  // namespace vantor
