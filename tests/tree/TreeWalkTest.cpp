#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/ResultLines.h"
#include "tree/CTextTreeCtrl.h"
#include "tree/TreeWalk.h"

namespace vantor {
namespace {

using test::AddResultLine;
using test::AddTextLine;
using Visit = std::pair<std::string, int>;  // text and depth

// The example tree after a cancelled run with two failures under Sales:
// [Root] 3 / Sales 10 / Sales:ERRORS / two error lines; Dev 5 / QA 2; then CANCELLED.
class CancelledRunTree : public ::testing::Test {
  protected:
    CancelledRunTree() : example(tree) {
        header = AddTextLine(tree, example.sales, "Sales:ERRORS");
        AddTextLine(tree, header, "-601:NWDSSearch:Sales");
        AddTextLine(tree, header, "-649:NWDSAllocBuf:");
        cancelled = AddTextLine(tree, 0, "CANCELLED");
    }

    std::vector<Visit> WalkAll(CTreeWalk& walk) {
        std::vector<Visit> visits;
        walk.Walk([&](HTREEITEM item) {
            visits.emplace_back(tree.GetItemText(item), walk.m_depth);
            return true;
        });
        return visits;
    }

    CTextTreeCtrl tree;
    test::ExampleTree example;
    HTREEITEM header = 0;
    HTREEITEM cancelled = 0;
};

TEST_F(CancelledRunTree, BranchTotalsCountEveryResultLineOnceAndNothingElse) {
    const CTreeWalk walk(tree);
    EXPECT_EQ(walk.BranchTotal(example.root), 20);
    EXPECT_EQ(walk.BranchTotal(example.dev), 7);
    EXPECT_EQ(walk.BranchTotal(example.qa), 2);
    // Sales totals as if its error lines were not there.
    EXPECT_EQ(walk.BranchTotal(example.sales), 10);
    EXPECT_EQ(walk.BranchTotal(header), 0);
    EXPECT_EQ(walk.BranchTotal(tree.Next(header, TVGN_CHILD)), 0);
    EXPECT_EQ(walk.BranchTotal(cancelled), 0);
    EXPECT_EQ(walk.BranchTotal(0), 0);
}

TEST_F(CancelledRunTree, WalkVisitsRootBranchThenCancelledWithDepthsAsLevels) {
    CTreeWalk walk(tree);
    const std::vector<Visit> expected = {
        {"[Root] 3", 0},
        {"Sales 10", 1},
        {"Sales:ERRORS", 2},
        {"-601:NWDSSearch:Sales", 3},
        {"-649:NWDSAllocBuf:", 3},
        {"Dev 5", 1},
        {"QA 2", 2},
        {"CANCELLED", 0},
    };
    EXPECT_EQ(WalkAll(walk), expected);
    EXPECT_EQ(walk.m_depth, 0);
}

TEST_F(CancelledRunTree, WalkReadsDepthsRelativeToWhereItStarts) {
    CTreeWalk walk(tree);
    walk.m_depth = 2;
    const std::vector<Visit> visits = WalkAll(walk);
    ASSERT_EQ(visits.size(), 8u);
    EXPECT_EQ(visits.front().second, 2);
    EXPECT_EQ(visits[3].second, 5);
    EXPECT_EQ(visits.back().second, 2);
    EXPECT_EQ(walk.m_depth, 2);
}

TEST_F(CancelledRunTree, NextItemClimbsOutOfFinishedBranches) {
    CTreeWalk walk(tree);
    // From the last error line under Sales the walk goes on at Dev, two levels up.
    const HTREEITEM lastError = tree.Next(tree.Next(header, TVGN_CHILD), TVGN_NEXT);
    walk.m_depth = 3;
    EXPECT_EQ(walk.NextItem(lastError), example.dev);
    EXPECT_EQ(walk.m_depth, 1);
    // From QA, the deepest last line of the root branch, to CANCELLED at the top level.
    walk.m_depth = 2;
    EXPECT_EQ(walk.NextItem(example.qa), cancelled);
    EXPECT_EQ(walk.m_depth, 0);
    // After the last item of the tree there is none, and the depth is the top level's.
    EXPECT_EQ(walk.NextItem(cancelled), 0u);
    EXPECT_EQ(walk.m_depth, 0);
}

TEST_F(CancelledRunTree, WalkStoppedEarlyPutsTheDepthBack) {
    CTreeWalk walk(tree);
    int visited = 0;
    const bool finished = walk.Walk([&](HTREEITEM item) {
        ++visited;
        return item != tree.Next(header, TVGN_CHILD);  // stop three levels down
    });
    EXPECT_FALSE(finished);
    EXPECT_EQ(visited, 4);
    EXPECT_EQ(walk.m_depth, 0);
    // And a later walk starts from the top level as usual.
    EXPECT_EQ(WalkAll(walk).front(), Visit("[Root] 3", 0));
}

TEST(TreeWalk, EmptyTreeVisitsNothing) {
    CTextTreeCtrl tree;
    CTreeWalk walk(tree);
    int visits = 0;
    EXPECT_TRUE(walk.Walk([&](HTREEITEM) {
        ++visits;
        return true;
    }));
    EXPECT_EQ(visits, 0);
    EXPECT_EQ(walk.m_depth, 0);
}

TEST(TreeWalk, WalkIgnoresExpandState) {
    CTextTreeCtrl tree;
    const HTREEITEM root = AddResultLine(tree, 0, "[Root]", 1);
    AddResultLine(tree, AddResultLine(tree, root, "a", 2), "b", 3);
    ASSERT_FALSE(tree.IsExpanded(root));
    CTreeWalk walk(tree);
    std::vector<int> depths;
    walk.Walk([&](HTREEITEM) {
        depths.push_back(walk.m_depth);
        return true;
    });
    EXPECT_EQ(depths, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(walk.BranchTotal(root), 6);
}

class RandomResultTree : public ::testing::TestWithParam<unsigned> {};

TEST_P(RandomResultTree, TotalsAndWalkAgreeWithABruteForceModel) {
    std::mt19937 random(GetParam());
    CTextTreeCtrl tree;
    std::vector<HTREEITEM> items;
    std::vector<std::size_t> parentIndex;  // index into items, or npos for top level
    std::vector<std::int32_t> data;
    constexpr std::size_t kTop = static_cast<std::size_t>(-1);
    for (int i = 0; i < 200; ++i) {
        const std::size_t under =
            items.empty() || random() % 6 == 0 ? kTop : random() % items.size();
        const HTREEITEM parent = under == kTop ? 0 : items[under];
        const bool resultLine = random() % 4 != 0;
        const auto count = static_cast<std::int32_t>(random() % 1000);
        const std::string name = "c" + std::to_string(i);
        items.push_back(resultLine ? AddResultLine(tree, parent, name, count)
                                   : AddTextLine(tree, parent, name + ":ERRORS"));
        parentIndex.push_back(under);
        data.push_back(resultLine ? count : 0);
    }

    // Brute force: a line's total is its data plus the data of every line that has it as an
    // ancestor; its depth is the number of its ancestors; preorder from the parent links.
    auto isBelow = [&](std::size_t line, std::size_t ancestor) {
        for (std::size_t p = parentIndex[line]; p != kTop; p = parentIndex[p]) {
            if (p == ancestor) {
                return true;
            }
        }
        return false;
    };
    std::vector<std::pair<HTREEITEM, int>> preorder;
    std::function<void(std::size_t, int)> visit = [&](std::size_t under, int depth) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (parentIndex[i] == under) {
                preorder.emplace_back(items[i], depth);
                visit(i, depth + 1);
            }
        }
    };
    visit(kTop, 0);

    CTreeWalk walk(tree);
    for (std::size_t i = 0; i < items.size(); ++i) {
        std::int32_t expected = data[i];
        for (std::size_t j = 0; j < items.size(); ++j) {
            expected += isBelow(j, i) ? data[j] : 0;
        }
        ASSERT_EQ(walk.BranchTotal(items[i]), expected) << "line " << i;
    }
    std::vector<std::pair<HTREEITEM, int>> walked;
    walk.Walk([&](HTREEITEM item) {
        walked.emplace_back(item, walk.m_depth);
        return true;
    });
    EXPECT_EQ(walked, preorder);
    EXPECT_EQ(walk.m_depth, 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomResultTree, ::testing::Values(3u, 41u, 65537u));

}  // namespace
}  // namespace vantor
