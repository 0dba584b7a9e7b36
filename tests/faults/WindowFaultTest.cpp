// The window under the same faults: Save into a folder that cannot change and over a report
// that must survive, and counts at the limits of the directory's shape, counted, totalled,
// saved and printed from the window running offscreen.

#include <fcntl.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <QImage>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "faults/DirectoryShapes.h"
#include "faults/ImmutableFlag.h"
#include "support/CreateFailureCause.h"
#include "support/TestFiles.h"
#include "window/WindowFixture.h"

namespace vantor::test {
namespace {

namespace fs = std::filesystem;
using testing::AllOf;
using testing::HasSubstr;
using testing::SizeIs;

using test::CreateFailureCause;

// ---- Save where it cannot be done ----

class WindowSaveFault : public SampleByContainerTest {
  protected:
    void SetUp() override {
        SampleByContainerTest::SetUp();
        Press(res::IDC_COUNT);
        window.m_tree.Select(FindLine("QA 2"));
    }
    // A failed Save: one message naming the file and the cause, the window as it was, Save
    // still offered, and a later Save elsewhere writes the whole report.
    void ExpectFailedSave(const std::string& path, const std::string& cause) {
        const std::vector<Line> before = Lines();
        const std::string branch = Text(res::IDC_BRANCH_TOTAL);
        ui.savePath = path;
        Press(res::IDC_SAVE);
        ASSERT_THAT(ui.messages, SizeIs(1));
        EXPECT_THAT(ui.messages[0], AllOf(HasSubstr(path), HasSubstr(cause)));
        EXPECT_EQ(Lines(), before);
        EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), branch);
        EXPECT_EQ(window.m_depth, 0);
        EXPECT_EQ(window.m_unsavedResults, 1);
        EXPECT_TRUE(Enabled(res::IDC_SAVE));

        const std::string good = folder + "/elsewhere.txt";
        ui.savePath = good;
        Press(res::IDC_SAVE);
        EXPECT_EQ(SplitCrLf(ReadWhole(good)).size(), 7 + window.m_tree.ItemCount());
        EXPECT_FALSE(Enabled(res::IDC_SAVE));
    }

    TemporaryFolder temporary;
    const std::string folder = temporary.Path().string();
};

TEST_F(WindowSaveFault, AnImmutableFolderKeepsThePreviousReport) {
    const std::string locked = folder + "/locked";
    fs::create_directory(locked);
    const std::string path = locked + "/vantor.txt";
    const std::string old = "the previous report\r\n";
    std::ofstream(path, std::ios::binary) << old;
    {
        const ImmutableFlag flag(locked);
        if (!flag.Set()) {
            GTEST_SKIP() << flag.Error();
        }
        const std::string cause = CreateFailureCause(locked);
        ASSERT_FALSE(cause.empty());
        ExpectFailedSave(path, cause);
    }
    EXPECT_EQ(ReadWhole(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(locked), fs::directory_iterator()), 1);
}

TEST_F(WindowSaveFault, ASystemFolderRefusesTheReport) {
    const std::string cause = CreateFailureCause("/sys/kernel");
    if (cause.empty()) {
        GTEST_SKIP() << "/sys/kernel takes new files here";
    }
    ExpectFailedSave("/sys/kernel/vantor.txt", cause);
}

// ---- Counts at the limits of the shape ----

class WindowShape : public WindowTest {
  protected:
    // Counts, then checks what every reader of the tree sees: the total field, the branch
    // total of a selected line, a saved and a printed report, and the walk back at depth 0.
    void CountAndRead(bool byContainer, std::int32_t expectedTotal) {
        if (byContainer) {
            Press(res::IDC_BY_CONTAINER);
        }
        Press(res::IDC_COUNT);
        EXPECT_EQ(window.m_depth, 0);
        EXPECT_EQ(Text(res::IDC_TOTAL), std::to_string(expectedTotal));
        EXPECT_TRUE(ui.messages.empty());
        ExpectIdleAfterCount();
        EXPECT_EQ(dir.OpenContexts(), 0u);
        EXPECT_FALSE(dir.UnicodeTablesLoaded());
        EXPECT_EQ(dir.LiveBuffers(), 0);
        EXPECT_EQ(dir.LiveFilters(), 0);

        window.m_tree.Select(window.m_tree.Next(0, TVGN_ROOT));
        EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), std::to_string(expectedTotal));

        const TemporaryFolder reports;
        ui.savePath = (reports.Path() / "vantor.txt").string();
        Press(res::IDC_SAVE);
        const std::string report = ReadWhole(*ui.savePath);
        EXPECT_EQ(SplitCrLf(report).size(), 7 + window.m_tree.ItemCount());
        EXPECT_NE(report.find(" -- Total: " + std::to_string(expectedTotal) + "\r\n"),
                  std::string::npos);
        EXPECT_EQ(window.m_depth, 0);

        printers.cancel = false;
        Press(res::IDC_PRINT);
        EXPECT_GE(printers.pagesPrinted, 1);
        EXPECT_EQ(window.m_depth, 0);
        EXPECT_FALSE(PaintTree().isNull());
    }

    int Printed(const std::string& text) const {
        return static_cast<int>(
            std::count(printers.printedTexts.begin(), printers.printedTexts.end(), text));
    }
};

TEST_F(WindowShape, TheDeepestChainByContainerShowsEveryLevel) {
    BuildDeepChain(dir);
    CountAndRead(true, kDeepestLevel);
    ASSERT_EQ(window.m_tree.ItemCount(), static_cast<std::size_t>(kDeepestLevel) + 3);
    const std::vector<Line> lines = Lines();
    EXPECT_EQ(lines[kDeepestLevel].depth, kDeepestLevel);
    EXPECT_EQ(lines[kDeepestLevel].text, "a 1");
    EXPECT_EQ(lines.back().depth, kDeepestLevel + 2);
    EXPECT_EQ(Printed("a "), kDeepestLevel);

    // The deepest line, selected, shows its own branch, and is drawn.
    const HTREEITEM deepest =
        FindLine("a:ERRORS") != 0 ? window.m_tree.Next(FindLine("a:ERRORS"), TVGN_PARENT) : 0;
    ASSERT_NE(deepest, 0u);
    window.m_tree.Select(deepest);
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), "1");
    EXPECT_FALSE(PaintTree().isNull());
}

TEST_F(WindowShape, TheDeepestChainByPartitionCountsIntoItsTop) {
    BuildDeepChain(dir);
    CountAndRead(false, kDeepestLevel);
    EXPECT_NE(FindLine("a " + std::to_string(kDeepestLevel)), 0u);
    EXPECT_EQ(window.m_tree.ItemCount(), 4u);
}

TEST_F(WindowShape, AContainerWithAGreatManyContainersShowsThemAll) {
    constexpr int kSiblings = VANTOR_FAULT_WINDOW_SIBLINGS;
    client.SetRecording(false);  // a record of millions of calls is no help here
    BuildSiblings(dir, kSiblings);
    CountAndRead(true, kSiblings);
    ASSERT_EQ(window.m_tree.ItemCount(), static_cast<std::size_t>(kSiblings) + 2);
    const HTREEITEM last = FindLine(SiblingName(kSiblings - 1) + " 1");
    ASSERT_NE(last, 0u);
    window.m_tree.Select(last);
    EXPECT_EQ(Text(res::IDC_BRANCH_TOTAL), "1");
    EXPECT_EQ(Printed(SiblingName(kSiblings - 1) + " "), 1);
    EXPECT_EQ(Printed(SiblingName(0) + " "), 1);
}

}  // namespace
}  // namespace vantor::test
