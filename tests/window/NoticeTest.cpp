// The counting notice before each count: Cancel changes nothing, its box turns it off.

#include <algorithm>

#include "WindowFixture.h"

namespace vantor::test {
namespace {

class Notice : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        SampleDirectory::Build(dir);
    }
    long Opens() const {
        const std::vector<DirOp> ops = Ops();
        return std::count(ops.begin(), ops.end(), DirOp::OpenContext);
    }
};

TEST_F(Notice, ItsCheckBoxStartsClearAndCanBeTicked) {
    Press(res::IDC_COUNT);
    EXPECT_EQ(ui.noticeShown, 1);
    EXPECT_TRUE(ui.noticeBoxEnabled);
    EXPECT_TRUE(ui.noticeBoxClearAtOpen);
}

TEST_F(Notice, CancelOnAFreshWindowMakesNoDirectoryCallAndChangesNothing) {
    ui.noticeAnswers = {NoticeAnswer::kCancel};
    Press(res::IDC_COUNT);
    EXPECT_EQ(ui.noticeShown, 1);
    EXPECT_TRUE(client.Calls().empty());
    EXPECT_EQ(window.m_tree.ItemCount(), 0u);
    EXPECT_FALSE(Enabled(res::IDC_PRINT));
    EXPECT_FALSE(Enabled(res::IDC_SAVE));
    EXPECT_FALSE(Enabled(res::IDCANCEL));
    EXPECT_TRUE(Enabled(res::IDC_COUNT));
    EXPECT_EQ(window.m_showNotice, 1);
    EXPECT_EQ(window.m_unsavedResults, 0);
}

TEST_F(Notice, CancelAfterACountKeepsItsResultsTotalsAndStates) {
    Press(res::IDC_COUNT);
    const HTREEITEM root = window.m_tree.Next(0, TVGN_ROOT);
    ASSERT_NE(root, 0u);
    window.m_tree.Select(root);
    const std::vector<Line> lines = Lines();
    const std::string total = Text(res::IDC_TOTAL);
    const std::string branch = Text(res::IDC_BRANCH_TOTAL);
    const std::string container = Text(res::IDC_CURRENT_CONTAINER);
    client.ClearCalls();

    ui.noticeAnswers = {NoticeAnswer::kCancel};
    Press(res::IDC_COUNT);
    EXPECT_EQ(ui.noticeShown, 2);
    EXPECT_TRUE(client.Calls().empty());
    EXPECT_EQ(Lines(), lines);
    EXPECT_EQ(window.m_tree.Selected(), root);
    EXPECT_EQ(Text(res::IDC_TOTAL), total);
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), branch);
    EXPECT_EQ(Text(res::IDC_CURRENT_CONTAINER), container);
    EXPECT_EQ(window.m_unsavedResults, 1);
    EXPECT_EQ(window.m_showNotice, 1);
    ExpectIdleAfterCount();
}

TEST_F(Notice, OkWithTheBoxTickedCountsAndLaterCountsSkipIt) {
    ui.noticeAnswers = {NoticeAnswer::kTickAndOk};
    Press(res::IDC_COUNT);
    EXPECT_EQ(Opens(), 1);
    EXPECT_EQ(window.m_showNotice, 0);
    Press(res::IDC_COUNT);
    Press(res::IDC_COUNT);
    EXPECT_EQ(ui.noticeShown, 1);
    EXPECT_EQ(Opens(), 3);
}

TEST_F(Notice, OkWithTheBoxClearKeepsShowingIt) {
    Press(res::IDC_COUNT);
    Press(res::IDC_COUNT);
    EXPECT_EQ(ui.noticeShown, 2);
    EXPECT_EQ(Opens(), 2);
    EXPECT_EQ(window.m_showNotice, 1);
}

TEST_F(Notice, TickedAndCancelledItIsShownAgainWithTheBoxClear) {
    ui.noticeAnswers = {NoticeAnswer::kTickAndCancel, NoticeAnswer::kOk};
    Press(res::IDC_COUNT);
    EXPECT_TRUE(client.Calls().empty());
    EXPECT_EQ(window.m_showNotice, 1);
    Press(res::IDC_COUNT);
    EXPECT_EQ(ui.noticeShown, 2);
    EXPECT_TRUE(ui.noticeBoxClearAtOpen);
    EXPECT_EQ(Opens(), 1);
    EXPECT_EQ(window.m_showNotice, 1);
}

}  // namespace
}  // namespace vantor::test
