// The total of the selected branch: summed from the lines shown when the selection changes.

#include "WindowFixture.h"

namespace vantor::test {
namespace {

using BranchTotals = SampleByContainerTest;

TEST_F(BranchTotals, ClickingRootShowsTheGrandTotal) {
    Press(res::IDC_COUNT);
    const HTREEITEM root = window.m_tree.Next(0, TVGN_ROOT);
    ClickLine(root);
    EXPECT_EQ(window.m_tree.Selected(), root);
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), Text(res::IDC_TOTAL));
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), std::to_string(SampleDirectory::kUsers));
}

TEST_F(BranchTotals, ALineSumsItsOwnCountAndEveryLineBelowIt) {
    Press(res::IDC_COUNT);
    using S = SampleDirectory;
    ClickLine(FindLine("Sales 10"));
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), std::to_string(S::kSalesUsers));
    ClickLine(FindLine("Dev 5"));
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), std::to_string(S::kDevUsers + S::kQaUsers));
    ClickLine(FindLine("acme 4"));
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), std::to_string(S::kUsers - S::kRootUsers));
}

TEST_F(BranchTotals, ErrorLinesAddNothingAndShowZero) {
    client.InjectFailure({DirOp::ListContainers, -632, "Dev.acme", 0});
    Press(res::IDC_COUNT);
    const HTREEITEM dev = FindLine("Dev 5");
    ASSERT_NE(dev, 0u);
    window.m_tree.Select(dev);
    // QA is not listed any more, so Dev stands for itself alone.
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), std::to_string(SampleDirectory::kDevUsers));
    window.m_tree.Select(FindLine("Dev:ERRORS"));
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), "0");
    window.m_tree.Select(FindLine("-632:NWDSListContainers:Dev.acme"));
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), "0");
}

TEST_F(BranchTotals, CancelledShowsZero) {
    bool queued = false;
    ui.onPump = [&](int) {
        if (!queued && window.m_tree.ItemCount() >= 2) {
            queued = true;
            Press(res::IDCANCEL);
        }
    };
    Press(res::IDC_COUNT);
    const HTREEITEM cancelled = FindLine("CANCELLED");
    ASSERT_NE(cancelled, 0u);
    ClickLine(cancelled);
    EXPECT_EQ(window.m_tree.Selected(), cancelled);
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), "0");
}

TEST_F(BranchTotals, ASelectionDuringACountSumsWhatWasShownAndIsNotUpdated) {
    std::string shownAtSelection;
    ui.onPump = [&](int) {
        if (shownAtSelection.empty() && window.m_tree.ItemCount() == 2) {
            const HTREEITEM root = window.m_tree.Next(0, TVGN_ROOT);
            ClickLine(root);
            shownAtSelection = Text(res::IDC_TOTAL);
        }
    };
    Press(res::IDC_COUNT);
    ASSERT_FALSE(shownAtSelection.empty());
    using S = SampleDirectory;
    EXPECT_EQ(shownAtSelection, std::to_string(S::kRootUsers + S::kAcmeUsers));
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), shownAtSelection);
    EXPECT_EQ(Text(res::IDC_TOTAL), std::to_string(S::kUsers));
}

TEST_F(BranchTotals, ANewCountClearsBothTotalsAsItStarts) {
    Press(res::IDC_COUNT);
    window.m_tree.Select(FindLine("Sales 10"));
    ASSERT_EQ(Text(res::IDC_BRANCH_TOTAL), "10");
    std::vector<std::string> atFirstPump;
    ui.onPump = [&](int) {
        if (atFirstPump.empty()) {
            atFirstPump = {Text(res::IDC_TOTAL), Text(res::IDC_BRANCH_TOTAL)};
        }
    };
    Press(res::IDC_COUNT);
    ASSERT_EQ(atFirstPump.size(), 2u);
    EXPECT_EQ(atFirstPump, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(window.m_tree.Selected(), 0u);
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), "");
    EXPECT_EQ(Text(res::IDC_TOTAL), std::to_string(SampleDirectory::kUsers));
}

}  // namespace
}  // namespace vantor::test
