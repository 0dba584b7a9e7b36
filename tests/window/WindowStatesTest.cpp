// The main window's states: a fresh start, the running state, and what may close it.

#include <QTest>
#include <algorithm>

#include "WindowFixture.h"

namespace vantor::test {
namespace {

using WindowStates = WindowTest;

TEST_F(WindowStates, AFreshWindowIsIdleWithUsersChosenAndNothingToSaveOrPrint) {
    EXPECT_TRUE(host->isVisible());
    EXPECT_EQ(host->windowTitle(), "Quillon Vantor");
    EXPECT_EQ(host->Check(res::IDC_USERS), 1);
    EXPECT_EQ(host->Check(res::IDC_SERVERS), 0);
    EXPECT_EQ(host->Check(res::IDC_GROUPS), 0);
    EXPECT_EQ(host->Check(res::IDC_PARTITIONS), 0);
    EXPECT_EQ(host->Check(res::IDC_BY_CONTAINER), 0);
    for (const int id :
         {res::IDC_COUNT, res::IDOK, res::IDC_ABOUT, res::IDC_USERS, res::IDC_SERVERS,
          res::IDC_GROUPS, res::IDC_PARTITIONS, res::IDC_BY_CONTAINER, res::IDC_TREE}) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    for (const int id : {res::IDCANCEL, res::IDC_PRINT, res::IDC_SAVE, res::IDC_CURRENT_LABEL}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    EXPECT_EQ(Text(res::IDC_TOTAL), "");
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), "");
    EXPECT_EQ(window.m_tree.ItemCount(), 0u);
    EXPECT_EQ(window.m_showNotice, 1);
    EXPECT_EQ(window.m_unsavedResults, 0);
    EXPECT_EQ(window.m_countByContainer, 0);
    EXPECT_EQ(window.m_depth, 0);
    EXPECT_TRUE(client.Calls().empty());
}

TEST_F(WindowStates, TheSplashIsShownOnceBeforeTheWindowAppears) {
    EXPECT_EQ(ui.splashShown, 1);
    EXPECT_EQ(ui.otherWindowsVisibleAtSplash, 0);
    SampleDirectory::Build(dir);
    Press(res::IDC_ABOUT);
    Press(res::IDC_COUNT);
    EXPECT_EQ(ui.splashShown, 1);
    EXPECT_EQ(ui.aboutShown, 1);
}

TEST_F(WindowStates, AboutShowsTheAboutDialogAndChangesNothing) {
    Press(res::IDC_ABOUT);
    Press(res::IDC_ABOUT);
    EXPECT_EQ(ui.aboutShown, 2);
    EXPECT_TRUE(Enabled(res::IDC_COUNT));
    EXPECT_FALSE(Enabled(res::IDC_PRINT));
    EXPECT_TRUE(client.Calls().empty());
}

TEST_F(WindowStates, EscapeAndACloseRequestNeverCloseTheWindow) {
    QTest::keyClick(host.get(), Qt::Key_Escape);
    EXPECT_FALSE(host->Ended());
    EXPECT_TRUE(host->isVisible());
    // Taken as a request to stop a count, even with none running.
    EXPECT_EQ(g_cancelRequested, 1);

    g_cancelRequested = 0;
    EXPECT_FALSE(host->close());
    EXPECT_FALSE(host->Ended());
    EXPECT_TRUE(host->isVisible());
    EXPECT_EQ(g_cancelRequested, 1);

    // The disabled Cancel button cannot be clicked at all.
    g_cancelRequested = 0;
    Press(res::IDCANCEL);
    EXPECT_EQ(g_cancelRequested, 0);
    EXPECT_FALSE(host->Ended());
}

TEST_F(WindowStates, OnlyQuitClosesTheWindowAndTakesTheControlsIntoTheMembers) {
    Press(res::IDC_BY_CONTAINER);
    host->SetControlText(res::IDC_CURRENT_CONTAINER, "Sales");
    Press(res::IDOK);
    EXPECT_TRUE(host->Ended());
    EXPECT_EQ(host->result(), res::IDOK);
    EXPECT_FALSE(host->isVisible());
    EXPECT_EQ(window.m_countByContainer, 1);
    EXPECT_EQ(window.m_currentContainer, "Sales");
}

TEST_F(WindowStates, ACancelGivenWhileIdleCancelsTheNextCountBeforeItsFirstNode) {
    SampleDirectory::Build(dir);
    QTest::keyClick(host.get(), Qt::Key_Escape);
    Press(res::IDC_COUNT);
    EXPECT_EQ(TopLevelTexts(), std::vector<std::string>{"CANCELLED"});
    EXPECT_EQ(window.m_tree.ItemCount(), 1u);
    EXPECT_EQ(g_cancelRequested, 0);
    const std::vector<DirOp> ops = Ops();
    EXPECT_EQ(std::count(ops.begin(), ops.end(), DirOp::Search), 0);
    ExpectDirectoryReleased();
    EXPECT_EQ(window.m_unsavedResults, 1);
    ExpectIdleAfterCount();
}

TEST_F(WindowStates, WhileCountingOnlyCancelTheChoicesAndTheTreeTakeInput) {
    SampleDirectory::Build(dir);
    std::vector<std::pair<int, bool>> running;
    std::vector<std::string> containersShown;
    ui.onPump = [&](int pump) {
        if (pump == 1) {
            for (const int id :
                 {res::IDC_COUNT, res::IDOK, res::IDCANCEL, res::IDC_PRINT, res::IDC_ABOUT,
                  res::IDC_SAVE, res::IDC_CURRENT_CONTAINER, res::IDC_CURRENT_LABEL, res::IDC_USERS,
                  res::IDC_BY_CONTAINER, res::IDC_TREE}) {
                running.emplace_back(id, Enabled(id));
            }
        }
        const std::string shown = Text(res::IDC_CURRENT_CONTAINER);
        if (containersShown.empty() || containersShown.back() != shown) {
            containersShown.push_back(shown);
        }
    };
    Press(res::IDC_COUNT);
    const std::vector<std::pair<int, bool>> expected = {
        {res::IDC_COUNT, false},
        {res::IDOK, false},
        {res::IDCANCEL, true},
        {res::IDC_PRINT, false},
        {res::IDC_ABOUT, false},
        {res::IDC_SAVE, false},
        {res::IDC_CURRENT_CONTAINER, true},
        {res::IDC_CURRENT_LABEL, true},
        {res::IDC_USERS, true},
        {res::IDC_BY_CONTAINER, true},
        {res::IDC_TREE, true},
    };
    EXPECT_EQ(running, expected);
    // Every container visited was named in the field while the count ran.
    for (const std::string name : {"acme", "Dev", "Sales", "QA"}) {
        EXPECT_NE(std::find(containersShown.begin(), containersShown.end(), name),
                  containersShown.end())
            << name;
    }
    // Afterwards the field keeps the last one, greyed.
    EXPECT_EQ(Text(res::IDC_CURRENT_CONTAINER), "QA");
    ExpectIdleAfterCount();
    EXPECT_TRUE(Enabled(res::IDC_SAVE));
}

TEST_F(WindowStates, ANameWithControlCharactersIsShownWithEscapes) {
    dir.AddObjects(dir.Path("Evil\n99\t\tFake\x1b[2J.acme"), "User", 1);
    std::vector<std::string> containersShown;
    ui.onPump = [&](int) { containersShown.push_back(Text(res::IDC_CURRENT_CONTAINER)); };
    Press(res::IDC_COUNT);
    EXPECT_NE(
        std::find(containersShown.begin(), containersShown.end(), "Evil\\n99\\t\\tFake\\x1b[2J"),
        containersShown.end());
    for (const std::string& shown : containersShown) {
        EXPECT_EQ(shown.find_first_of("\n\t\x1b"), std::string::npos) << shown;
    }
}

}  // namespace
}  // namespace vantor::test
