// The main window's states: a fresh start, the running state, and what may close it.

#include <QLabel>
#include <QTemporaryDir>
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

TEST_F(WindowStates, EscapeAndACloseRequestDoNothingWhileIdle) {
    QTest::keyClick(host.get(), Qt::Key_Escape);
    EXPECT_FALSE(host->Ended());
    EXPECT_TRUE(host->isVisible());
    EXPECT_EQ(g_cancelRequested, 0);

    EXPECT_FALSE(host->close());
    EXPECT_FALSE(host->Ended());
    EXPECT_TRUE(host->isVisible());
    EXPECT_EQ(g_cancelRequested, 0);

    // The disabled Cancel button cannot be clicked at all.
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

TEST_F(WindowStates, AStrayEscapeOrCloseWhileIdleDoesNotCancelTheNextCount) {
    SampleDirectory::Build(dir);
    Press(res::IDC_COUNT);
    const std::vector<Line> complete = Lines();
    QTest::keyClick(host.get(), Qt::Key_Escape);
    host->close();
    Press(res::IDC_COUNT);
    EXPECT_EQ(Lines(), complete);
    EXPECT_EQ(TopLevelTexts(), std::vector<std::string>{"[Root] 17"});
    ExpectDirectoryReleased();
    ExpectIdleAfterCount();
}

TEST_F(WindowStates, QuitAsksBeforeDiscardingAnUnsavedCount) {
    SampleDirectory::Build(dir);
    Press(res::IDC_COUNT);
    window.m_tree.Select(window.m_tree.Next(0, TVGN_ROOT));
    View()->setFocus();
    // Enter in the tree reaches Quit, the default button: it asks, and No (the default) keeps
    // the window and the count.
    QTest::keyClick(View(), Qt::Key_Return);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], "The count has not been saved. Quit and discard it?");
    EXPECT_FALSE(host->Ended());
    EXPECT_EQ(window.m_unsavedResults, 1);
    EXPECT_EQ(TopLevelTexts(), std::vector<std::string>{"[Root] 17"});

    ui.yesNoAnswers = {true};
    Press(res::IDOK);
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_TRUE(host->Ended());
}

TEST_F(WindowStates, QuitEndsAtOnceWhenTheCountIsSaved) {
    SampleDirectory::Build(dir);
    QTemporaryDir saveDir;
    ASSERT_TRUE(saveDir.isValid());
    Press(res::IDC_COUNT);
    ui.savePath = saveDir.filePath("vantor.txt").toStdString();
    Press(res::IDC_SAVE);
    ASSERT_EQ(window.m_unsavedResults, 0);
    QTest::keyClick(host.get(), Qt::Key_Return);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(host->Ended());
}

TEST_F(WindowStates, ACountStartedFromTheKeyboardGivesTheFocusBackToCount) {
    SampleDirectory::Build(dir);
    host->FocusControl(res::IDC_COUNT);
    ASSERT_EQ(host->FocusedControl(), res::IDC_COUNT);
    int focusedWhileRunning = 0;
    ui.onPump = [&](int) { focusedWhileRunning = host->FocusedControl(); };
    QTest::keyClick(host->Control(res::IDC_COUNT), Qt::Key_Space);
    ASSERT_EQ(TopLevelTexts(), std::vector<std::string>{"[Root] 17"});
    EXPECT_NE(focusedWhileRunning, res::IDC_COUNT);  // Count was disabled meanwhile
    EXPECT_EQ(host->FocusedControl(), res::IDC_COUNT);
    // So the next Space counts again instead of flipping the mode.
    QTest::keyClick(host->Control(res::IDC_COUNT), Qt::Key_Space);
    EXPECT_EQ(host->Check(res::IDC_BY_CONTAINER), 0);

    // A focus the user moved during the count stays where the user put it.
    ui.onPump = [&](int) { host->FocusControl(res::IDC_TREE); };
    Press(res::IDC_COUNT);
    EXPECT_EQ(host->FocusedControl(), res::IDC_TREE);
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

// A total stands on its label's line and is shown whole: the grand total up to the largest
// count, a branch's up to eight digits (all the room there is beside its label).
TEST_F(WindowStates, EachTotalStandsOnItsLabelsLineAndFitsALongCount) {
    struct Case {
        int field;
        const char* label;
        const char* count;
    };
    const Case cases[] = {{res::IDC_TOTAL, "Total Count:", "2147483647"},
                          {res::IDC_BRANCH_TOTAL, "Total count of selected branch:", "99999999"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        auto* field = qobject_cast<QLabel*>(host->Control(c.field));
        ASSERT_NE(field, nullptr);
        const QLabel* label = nullptr;
        for (const QLabel* candidate : host->findChildren<QLabel*>()) {
            label = candidate->text() == QString::fromLatin1(c.label) ? candidate : label;
        }
        ASSERT_NE(label, nullptr);
        host->SetControlText(c.field, c.count);
        EXPECT_EQ(field->y(), label->y());
        EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()), field->width());
    }
}

}  // namespace

}  // namespace vantor::test
