// Save and Print from the window: when they are offered, what a failed or cancelled one
// leaves behind, and that neither changes the window.

#include <sys/resource.h>

#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "WindowFixture.h"
#include "support/TestFiles.h"

namespace vantor::test {
namespace {

namespace fs = std::filesystem;

class SaveAndPrint : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(temporary.isValid());
        SampleDirectory::Build(dir);
    }
    fs::path InTemporary(const std::string& name) const {
        return fs::path(temporary.path().toStdString()) / name;
    }
    // The window's state that neither a report nor a failed one may change.
    struct Snapshot {
        std::vector<Line> lines;
        HTREEITEM selected;
        std::string total;
        std::string branch;
        std::int32_t unsaved;
        std::int32_t depth;
        std::vector<bool> enabled;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot Take() const {
        Snapshot snapshot{Lines(),
                          window.m_tree.Selected(),
                          Text(res::IDC_TOTAL),
                          Text(res::IDC_BRANCH_TOTAL),
                          window.m_unsavedResults,
                          window.m_depth,
                          {}};
        for (const int id : {res::IDC_COUNT, res::IDOK, res::IDCANCEL, res::IDC_PRINT,
                             res::IDC_SAVE, res::IDC_ABOUT, res::IDC_CURRENT_LABEL}) {
            snapshot.enabled.push_back(Enabled(id));
        }
        return snapshot;
    }
    // A count whose report has lines at several depths, with one of them selected.
    void CountAndSelect() {
        Press(res::IDC_BY_CONTAINER);
        Press(res::IDC_COUNT);
        window.m_tree.Select(FindLine("QA 2"));
    }

    QTemporaryDir temporary;
};

// ---- Save ----

using SaveCommand = SaveAndPrint;

TEST_F(SaveCommand, IsOfferedOnceForEachCount) {
    EXPECT_FALSE(Enabled(res::IDC_SAVE));
    Press(res::IDC_SAVE);
    EXPECT_TRUE(ui.saveRequests.empty());

    CountAndSelect();
    EXPECT_TRUE(Enabled(res::IDC_SAVE));
    const fs::path path = InTemporary("report.txt");
    ui.savePath = path.string();
    Press(res::IDC_SAVE);
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].defaultName, "vantor.txt");
    EXPECT_EQ(ui.saveRequests[0].defaultExtension, "txt");
    EXPECT_EQ(ui.saveRequests[0].filter, "Text Files (*.txt)|*.txt||");
    EXPECT_TRUE(ui.messages.empty());

    const std::vector<std::string> report = SplitCrLf(ReadWhole(path));
    ASSERT_EQ(report.size(), 7u + window.m_tree.ItemCount());
    EXPECT_EQ(report[0].rfind("Quillon Vantor\t\t\t", 0), 0u);
    EXPECT_EQ(report[5], "User objects -- Total: " + std::to_string(SampleDirectory::kUsers));
    EXPECT_EQ(report[7], "24\t\t3\t\t[Root] ");
    EXPECT_EQ(report[10], "2\t\t2\t\t\t\t\tQA ");

    EXPECT_FALSE(Enabled(res::IDC_SAVE));
    EXPECT_TRUE(Enabled(res::IDC_PRINT));
    EXPECT_EQ(window.m_unsavedResults, 0);
    EXPECT_EQ(window.m_depth, 0);
    ExpectIdleAfterCount();
    Press(res::IDC_SAVE);
    EXPECT_EQ(ui.saveRequests.size(), 1u);

    Press(res::IDC_COUNT);
    EXPECT_TRUE(Enabled(res::IDC_SAVE));
}

TEST_F(SaveCommand, ClosingTheDialogWithoutANameChangesNothing) {
    CountAndSelect();
    const Snapshot before = Take();
    ui.savePath.reset();
    Press(res::IDC_SAVE);
    EXPECT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(Take(), before);
    EXPECT_TRUE(fs::is_empty(InTemporary("")));
}

// A target that cannot be written: Save stays available and a later save starts its walk
// at the top.
class UnwritableTarget : public SaveCommand, public testing::WithParamInterface<const char*> {};

TEST_P(UnwritableTarget, ShowsAMessageNamingTheFileAndKeepsSaveAvailable) {
    CountAndSelect();
    const Snapshot before = Take();
    const std::string target =
        GetParam()[0] == '/' ? std::string(GetParam()) : InTemporary(GetParam()).string();
    ui.savePath = target;
    Press(res::IDC_SAVE);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find(target), std::string::npos) << ui.messages[0];
    EXPECT_EQ(Take(), before);
    EXPECT_TRUE(Enabled(res::IDC_SAVE));

    const fs::path good = InTemporary("good.txt");
    ui.savePath = good.string();
    Press(res::IDC_SAVE);
    const std::vector<std::string> report = SplitCrLf(ReadWhole(good));
    ASSERT_GT(report.size(), 7u);
    EXPECT_EQ(report[7], "24\t\t3\t\t[Root] ");
    EXPECT_FALSE(Enabled(res::IDC_SAVE));
}

INSTANTIATE_TEST_SUITE_P(Targets, UnwritableTarget,
                         testing::Values("missing/directory/report.txt", "/dev/full"),
                         [](const testing::TestParamInfo<const char*>& target) {
                             return target.index == 0 ? std::string("MissingDirectory")
                                                      : std::string("FullDevice");
                         });

TEST_F(SaveCommand, AFailedWriteLeavesTheOldFileIntact) {
    CountAndSelect();
    const fs::path path = InTemporary("report.txt");
    const std::string old = "the previous report\r\n";
    std::ofstream(path, std::ios::binary) << old;
    const Snapshot before = Take();
    ui.savePath = path.string();
    {
        const FileSizeLimit limit(old.size() + 8);
        Press(res::IDC_SAVE);
    }
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find(path.string()), std::string::npos) << ui.messages[0];
    EXPECT_EQ(ReadWhole(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(InTemporary("")), fs::directory_iterator()), 1);
    EXPECT_EQ(Take(), before);
    EXPECT_TRUE(Enabled(res::IDC_SAVE));
}

// ---- Print ----

using PrintCommand = SaveAndPrint;

TEST_F(PrintCommand, IsNotOfferedBeforeTheFirstCount) {
    Press(res::IDC_PRINT);
    EXPECT_EQ(printers.dialogsShown, 0);
}

TEST_F(PrintCommand, CancelledPrintsNothingAndChangesNothing) {
    CountAndSelect();
    const Snapshot before = Take();
    printers.cancel = true;
    Press(res::IDC_PRINT);
    EXPECT_EQ(printers.dialogsShown, 1);
    EXPECT_EQ(printers.pagesPrinted, 0);
    EXPECT_EQ(Take(), before);
    EXPECT_EQ(window.m_depth, 0);
}

TEST_F(PrintCommand, PrintingWalksTheTreeAndChangesNoWindowState) {
    CountAndSelect();
    const Snapshot before = Take();
    printers.cancel = false;
    Press(res::IDC_PRINT);
    EXPECT_EQ(printers.dialogsShown, 1);
    EXPECT_GE(printers.pagesPrinted, 1);
    for (const std::string name : {"[Root] ", "acme ", "Dev ", "QA ", "Sales "}) {
        EXPECT_NE(std::find(printers.printedTexts.begin(), printers.printedTexts.end(), name),
                  printers.printedTexts.end())
            << name;
    }
    EXPECT_EQ(Take(), before);
    EXPECT_EQ(window.m_depth, 0);
    EXPECT_TRUE(Enabled(res::IDC_SAVE));
}

TEST_F(PrintCommand, AFailureIsToldInAMessageNamingItsCause) {
    CountAndSelect();
    printers.cancel = false;
    printers.failure = "Could not print on the printer \"Office\": it did not start printing.";
    Press(res::IDC_PRINT);
    EXPECT_EQ(ui.messages, std::vector<std::string>{printers.failure});

    // A file that cannot be written is told the same way, naming the file.
    printers.failure.clear();
    printers.printedFile = InTemporary("no-such-folder/report.pdf").string();
    Press(res::IDC_PRINT);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_NE(ui.messages[1].find(*printers.printedFile), std::string::npos) << ui.messages[1];
}

TEST_F(PrintCommand, PrintingIntoAFileWritesItThroughTheProgramsWriter) {
    CountAndSelect();
    printers.cancel = false;
    printers.printedFile = InTemporary("report.pdf").string();
    Press(res::IDC_PRINT);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ReadWhole(*printers.printedFile), "%PDF-1.4 printed report");
}

TEST_F(PrintCommand, StaysAvailableAfterASave) {
    CountAndSelect();
    ui.savePath = InTemporary("report.txt").string();
    Press(res::IDC_SAVE);
    ASSERT_FALSE(Enabled(res::IDC_SAVE));
    printers.cancel = false;
    Press(res::IDC_PRINT);
    EXPECT_EQ(printers.dialogsShown, 1);
    EXPECT_GE(printers.pagesPrinted, 1);
}

}  // namespace
}  // namespace vantor::test
