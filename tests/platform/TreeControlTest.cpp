#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "platform/TreeControl.h"

namespace vantor {
namespace {

constexpr std::size_t kHidden = static_cast<std::size_t>(-1);

HTREEITEM Add(TreeControl& tree, HTREEITEM parent, std::intptr_t data = 0) {
    TVINSERTSTRUCT record;
    record.hParent = parent;
    record.item.mask = TVIF_PARAM;
    record.item.lParam = data;
    return tree.Insert(record);
}

// root
//   a
//     a1
//     a2
//   b
// top2
class SmallTree : public ::testing::Test {
  protected:
    void SetUp() override {
        root = Add(tree, TVI_ROOT);
        a = Add(tree, root);
        a1 = Add(tree, a);
        a2 = Add(tree, a);
        b = Add(tree, root);
        top2 = Add(tree, 0);
    }
    TreeControl tree;
    HTREEITEM root = 0, a = 0, a1 = 0, a2 = 0, b = 0, top2 = 0;
};

TEST_F(SmallTree, StructuralNavigation) {
    EXPECT_EQ(tree.Next(0, TVGN_ROOT), root);
    EXPECT_EQ(tree.Next(a2, TVGN_ROOT), root);
    EXPECT_EQ(tree.Next(0, TVGN_CHILD), root);
    EXPECT_EQ(tree.Next(TVI_ROOT, TVGN_CHILD), root);
    EXPECT_EQ(tree.Next(root, TVGN_CHILD), a);
    EXPECT_EQ(tree.Next(a, TVGN_CHILD), a1);
    EXPECT_EQ(tree.Next(a1, TVGN_CHILD), 0u);
    EXPECT_EQ(tree.Next(a, TVGN_NEXT), b);
    EXPECT_EQ(tree.Next(b, TVGN_NEXT), 0u);
    EXPECT_EQ(tree.Next(root, TVGN_NEXT), top2);
    EXPECT_EQ(tree.Next(top2, TVGN_NEXT), 0u);
    EXPECT_EQ(tree.Next(a2, TVGN_PREVIOUS), a1);
    EXPECT_EQ(tree.Next(a1, TVGN_PREVIOUS), 0u);
    EXPECT_EQ(tree.Next(top2, TVGN_PREVIOUS), root);
    EXPECT_EQ(tree.Next(a2, TVGN_PARENT), a);
    EXPECT_EQ(tree.Next(a, TVGN_PARENT), root);
    EXPECT_EQ(tree.Next(root, TVGN_PARENT), 0u);
    EXPECT_TRUE(tree.HasChildren(a));
    EXPECT_FALSE(tree.HasChildren(b));
    EXPECT_EQ(tree.Level(root), 0);
    EXPECT_EQ(tree.Level(a2), 2);
    EXPECT_EQ(tree.Level(top2), 0);
}

TEST_F(SmallTree, UnknownHandlesLeadNowhere) {
    const HTREEITEM unknown = top2 + 100;
    for (unsigned code : {TVGN_NEXT, TVGN_PREVIOUS, TVGN_PARENT, TVGN_CHILD, TVGN_NEXTVISIBLE,
                          TVGN_PREVIOUSVISIBLE}) {
        EXPECT_EQ(tree.Next(unknown, code), 0u) << code;
    }
    EXPECT_FALSE(tree.HasChildren(unknown));
    EXPECT_EQ(tree.Data(unknown), 0);
    EXPECT_EQ(tree.RowOf(unknown), kHidden);
    EXPECT_EQ(tree.RowOf(0), kHidden);
    EXPECT_FALSE(tree.Expand(unknown, TVE_EXPAND));
}

TEST_F(SmallTree, VisibleNavigationFollowsExpandState) {
    // Everything collapsed: only the top-level items are rows.
    EXPECT_EQ(tree.VisibleRows(), 2u);
    EXPECT_EQ(tree.Next(root, TVGN_NEXTVISIBLE), top2);
    EXPECT_EQ(tree.Next(top2, TVGN_PREVIOUSVISIBLE), root);
    EXPECT_EQ(tree.RowOf(a), kHidden);

    ASSERT_TRUE(tree.Expand(root, TVE_EXPAND));
    ASSERT_TRUE(tree.Expand(a, TVE_EXPAND));
    const std::vector<HTREEITEM> rows = {root, a, a1, a2, b, top2};
    ASSERT_EQ(tree.VisibleRows(), rows.size());
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        EXPECT_EQ(tree.Next(rows[i], TVGN_NEXTVISIBLE), rows[i + 1]) << i;
        EXPECT_EQ(tree.Next(rows[i + 1], TVGN_PREVIOUSVISIBLE), rows[i]) << i;
    }
    EXPECT_EQ(tree.Next(top2, TVGN_NEXTVISIBLE), 0u);
    EXPECT_EQ(tree.Next(root, TVGN_PREVIOUSVISIBLE), 0u);

    // Collapsing a skips its children both ways.
    ASSERT_TRUE(tree.Expand(a, TVE_COLLAPSE));
    EXPECT_EQ(tree.Next(a, TVGN_NEXTVISIBLE), b);
    EXPECT_EQ(tree.Next(b, TVGN_PREVIOUSVISIBLE), a);
    EXPECT_EQ(tree.VisibleRows(), 4u);
    EXPECT_FALSE(tree.IsExpanded(a));
    ASSERT_TRUE(tree.Expand(a, TVE_TOGGLE));
    EXPECT_TRUE(tree.IsExpanded(a));
    EXPECT_EQ(tree.State(a, 0xFFFFFFFF), TVIS_EXPANDED);
}

TEST_F(SmallTree, RefusedInsertionChangesNothing) {
    int changes = 0;
    tree.onChanged = [&] { ++changes; };
    const std::size_t before = tree.ItemCount();

    TVINSERTSTRUCT unknownParent;
    unknownParent.hParent = top2 + 1;
    EXPECT_EQ(tree.Insert(unknownParent), 0u);

    TVINSERTSTRUCT notLast;
    notLast.hParent = root;
    notLast.hInsertAfter = a;
    EXPECT_EQ(tree.Insert(notLast), 0u);

    TVINSERTSTRUCT pseudoParent;
    pseudoParent.hParent = TVI_LAST;
    EXPECT_EQ(tree.Insert(pseudoParent), 0u);

    EXPECT_EQ(tree.ItemCount(), before);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(tree.Next(root, TVGN_NEXT), top2);
    EXPECT_EQ(tree.Next(top2, TVGN_NEXT), 0u);
}

TEST_F(SmallTree, ClearReportsASelectionOfNone) {
    std::vector<HTREEITEM> selections;
    tree.onSelectionChanged = [&](HTREEITEM item) { selections.push_back(item); };
    tree.Expand(root, TVE_EXPAND);
    tree.Select(b);
    tree.SetFirstVisibleRow(2);
    tree.Clear();
    EXPECT_EQ(selections, (std::vector<HTREEITEM>{b, 0}));
    EXPECT_EQ(tree.Selected(), 0u);
    EXPECT_EQ(tree.Next(0, TVGN_CARET), 0u);
    EXPECT_EQ(tree.ItemCount(), 0u);
    EXPECT_EQ(tree.VisibleRows(), 0u);
    EXPECT_EQ(tree.FirstVisibleRow(), 0u);
    EXPECT_EQ(tree.Next(0, TVGN_ROOT), 0u);
    EXPECT_EQ(tree.Next(0, TVGN_FIRSTVISIBLE), 0u);
    // The old handles are gone.
    EXPECT_EQ(tree.Next(b, TVGN_PARENT), 0u);
    // And the tree takes new items as if new.
    const HTREEITEM fresh = Add(tree, 0);
    EXPECT_EQ(tree.Next(0, TVGN_ROOT), fresh);
    EXPECT_EQ(tree.Next(fresh, TVGN_NEXT), 0u);
}

TEST_F(SmallTree, CollapsingOverTheSelectionMovesItToTheCollapsedItem) {
    tree.Expand(root, TVE_EXPAND);
    tree.Expand(a, TVE_EXPAND);
    std::vector<HTREEITEM> selections;
    tree.onSelectionChanged = [&](HTREEITEM item) { selections.push_back(item); };
    tree.Select(a2);
    tree.Expand(root, TVE_COLLAPSE);
    EXPECT_EQ(tree.Selected(), root);
    EXPECT_EQ(selections, (std::vector<HTREEITEM>{a2, root}));
    // A selection that stays shown stays put.
    tree.Expand(root, TVE_EXPAND);
    tree.Select(b);
    tree.Expand(a, TVE_COLLAPSE);
    EXPECT_EQ(tree.Selected(), b);
}

TEST_F(SmallTree, FirstVisibleRowIsClampedToTheRows) {
    tree.Expand(root, TVE_EXPAND);
    tree.Expand(a, TVE_EXPAND);
    tree.SetFirstVisibleRow(3);
    EXPECT_EQ(tree.Next(0, TVGN_FIRSTVISIBLE), a2);
    tree.SetFirstVisibleRow(100);
    EXPECT_EQ(tree.FirstVisibleRow(), 5u);
    EXPECT_EQ(tree.Next(0, TVGN_FIRSTVISIBLE), top2);
    // When rows disappear below the scroll position, the view still starts at a row.
    tree.Expand(root, TVE_COLLAPSE);
    ASSERT_EQ(tree.VisibleRows(), 2u);
    EXPECT_NE(tree.Next(0, TVGN_FIRSTVISIBLE), 0u);
}

// A model of the tree kept by the test alone: children in insertion order and expand state.
struct Model {
    std::vector<HTREEITEM> parent{0};  // index is the handle; [0] unused
    std::vector<bool> expanded{false};
    std::vector<std::vector<HTREEITEM>> children{{}};  // [0]: the top level

    void Add(HTREEITEM handle, HTREEITEM under) {
        ASSERT_EQ(handle, parent.size());
        parent.push_back(under);
        expanded.push_back(false);
        children.emplace_back();
        children[under].push_back(handle);
    }
    std::vector<HTREEITEM> Rows() const {
        std::vector<HTREEITEM> rows;
        std::function<void(HTREEITEM)> visit = [&](HTREEITEM item) {
            rows.push_back(item);
            if (expanded[item]) {
                for (HTREEITEM c : children[item]) {
                    visit(c);
                }
            }
        };
        for (HTREEITEM top : children[0]) {
            visit(top);
        }
        return rows;
    }
};

void ExpectRowsAgree(const TreeControl& tree, const Model& model) {
    const std::vector<HTREEITEM> rows = model.Rows();
    ASSERT_EQ(tree.VisibleRows(), rows.size());
    std::vector<std::size_t> rowOf(model.parent.size(), kHidden);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(tree.ItemAtRow(i), rows[i]) << "row " << i;
        rowOf[rows[i]] = i;
    }
    EXPECT_EQ(tree.ItemAtRow(rows.size()), 0u);
    for (HTREEITEM h = 1; h < model.parent.size(); ++h) {
        ASSERT_EQ(tree.RowOf(h), rowOf[h]) << "item " << h;
    }
    // The visible chains run through the same rows both ways.
    std::vector<HTREEITEM> forward;
    for (HTREEITEM h = tree.ItemAtRow(0); h != 0; h = tree.Next(h, TVGN_NEXTVISIBLE)) {
        forward.push_back(h);
        ASSERT_LE(forward.size(), rows.size());
    }
    EXPECT_EQ(forward, rows);
    if (!rows.empty()) {
        std::vector<HTREEITEM> backward;
        for (HTREEITEM h = rows.back(); h != 0; h = tree.Next(h, TVGN_PREVIOUSVISIBLE)) {
            backward.insert(backward.begin(), h);
            ASSERT_LE(backward.size(), rows.size());
        }
        EXPECT_EQ(backward, rows);
    }
}

class RandomTree : public ::testing::TestWithParam<unsigned> {};

TEST_P(RandomTree, RowsMatchABruteForceWalkThroughInsertsAndToggles) {
    std::mt19937 random(GetParam());
    TreeControl tree;
    Model model;
    for (int step = 0; step < 300; ++step) {
        const std::size_t count = model.parent.size() - 1;
        if (count == 0 || random() % 3 != 0) {
            const HTREEITEM under =
                count == 0 || random() % 5 == 0 ? 0 : static_cast<HTREEITEM>(1 + random() % count);
            const HTREEITEM handle = Add(tree, under);
            ASSERT_NE(handle, 0u);
            model.Add(handle, under);
        } else {
            const auto item = static_cast<HTREEITEM>(1 + random() % count);
            ASSERT_TRUE(tree.Expand(item, TVE_TOGGLE));
            model.expanded[item] = !model.expanded[item];
        }
        if (step % 10 == 9) {
            ExpectRowsAgree(tree, model);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
    ExpectRowsAgree(tree, model);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomTree, ::testing::Values(1u, 7u, 2024u, 99991u));

}  // namespace
}  // namespace vantor
