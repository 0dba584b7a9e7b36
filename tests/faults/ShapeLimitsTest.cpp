// The deepest chain of containers that full names allow, and a container with a great many
// containers directly under it, from the directory through the counting run into the result
// tree, the text report and the printed report. Counts, depths and totals must hold at both
// extremes, every walk must end back at depth 0, and nothing may overflow.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "faults/DirectoryShapes.h"
#include "faults/RunProbe.h"
#include "report/PrintedReport.h"
#include "report/TextReport.h"
#include "report/print/RecordingPrintDevice.h"
#include "support/TestFiles.h"
#include "tree/TreeWalk.h"

namespace vantor::test {
namespace {

using testing::AllOf;
using testing::EndsWith;
using testing::SizeIs;
using testing::StartsWith;

constexpr const char* kDate = "March 05, 1997 2:07 PM";

// The report's line for an item: branch total, own count, the name indented by depth.
std::string ReportLine(std::int32_t branch, std::intptr_t own, int depth, const std::string& name) {
    return std::to_string(branch) + "\t\t" + std::to_string(own) + "\t\t" +
           std::string(static_cast<std::size_t>(depth), '\t') + name;
}

// A counted directory with its result tree.
struct CountedTree {
    MemoryDirectory dir;
    CCountTreeCtrl tree;
    RecordingHost host;
    CountRunOutcome outcome = CountRunOutcome::kFinished;
};

// The text report has a line for every item, with that item's totals; the walk ends at 0.
void ExpectTextReportOfEveryLine(const CTextTreeCtrl& tree) {
    CTreeWalk walk(tree);
    const std::vector<std::string> report = SplitCrLf(BuildTextReport(tree, walk, 0, kDate));
    EXPECT_EQ(walk.m_depth, 0);
    const std::vector<TreeLine> lines = LinesOf(tree);
    ASSERT_EQ(report.size(), 7 + lines.size());
    std::size_t at = 7;
    CTreeWalk totals(tree);
    totals.Walk([&](HTREEITEM item) {
        const TreeLine& line = lines[at - 7];
        const std::string name =
            line.carriesData ? line.text.substr(0, line.text.rfind(' ') + 1) : line.text;
        EXPECT_EQ(report[at], ReportLine(totals.BranchTotal(item), line.data, line.depth, name));
        ++at;
        return true;
    });
}

// The printed report: every text starts on its page, no text outside a page, the walk ends at
// 0; returns how often each text was printed.
std::unordered_map<std::string, int> PrintedTexts(const CTextTreeCtrl& tree) {
    RecordingPrintDevice device{DeviceGeometry{}};
    CTreeWalk walk(tree);
    const int pages = PrintReport(device, tree, walk, 0, kDate);
    EXPECT_EQ(walk.m_depth, 0);
    EXPECT_EQ(device.PagesStarted(), pages);
    EXPECT_EQ(device.StrayTexts(), 0);
    std::unordered_map<std::string, int> texts;
    for (const DrawnText& drawn : device.Texts()) {
        EXPECT_GE(drawn.x, 0);
        EXPECT_LT(drawn.x, device.Width()) << drawn.text.substr(0, 20);
        EXPECT_GE(drawn.y, 0);
        EXPECT_LT(drawn.y, device.Height()) << drawn.text.substr(0, 20);
        ++texts[drawn.text];
    }
    return texts;
}

// ---- The deepest chain ----

class DeepChain : public testing::Test {
  protected:
    void SetUp() override { BuildDeepChain(counted.dir); }
    void Count(bool byContainer) {
        counted.outcome = RunCount(counted.dir, counted.tree, counted.host, byContainer);
    }
    CountedTree counted;
};

TEST_F(DeepChain, ByContainerEveryLevelIsALineOneDeeperAndTheOnePast256IsAnErrorLine) {
    Count(true);
    ASSERT_EQ(counted.outcome, CountRunOutcome::kFinished);
    const std::vector<TreeLine> lines = LinesOf(counted.tree);
    ASSERT_THAT(lines, SizeIs(1 + kDeepestLevel + 2));
    EXPECT_EQ(lines[0].text, "[Root] 0");
    for (int level = 1; level <= kDeepestLevel; ++level) {
        EXPECT_EQ(lines[level].depth, level);
        EXPECT_EQ(lines[level].text, "a 1") << "level " << level;
        EXPECT_EQ(counted.host.shownNames[static_cast<std::size_t>(level)], ChainName(level));
    }
    EXPECT_EQ(lines[kDeepestLevel + 1].depth, kDeepestLevel + 1);
    EXPECT_EQ(lines[kDeepestLevel + 1].text, "a:ERRORS");
    EXPECT_EQ(lines[kDeepestLevel + 2].depth, kDeepestLevel + 2);
    EXPECT_THAT(lines[kDeepestLevel + 2].text,
                AllOf(StartsWith(std::to_string(dirError::kNameTooLong) + ":"),
                      EndsWith(":" + ChainName(kDeepestLevel + 1))));
    EXPECT_EQ(ChainName(kDeepestLevel + 1).size(), kMaxNameChars + 1);

    EXPECT_EQ(counted.host.totals.back(), kDeepestLevel);
    const CTreeWalk walk(counted.tree);
    HTREEITEM line = counted.tree.Next(0, TVGN_ROOT);
    for (int level = 0; level <= kDeepestLevel; ++level) {
        EXPECT_EQ(walk.BranchTotal(line), kDeepestLevel - std::max(level - 1, 0));
        EXPECT_EQ(counted.tree.Level(line), level);
        line = counted.tree.Next(line, TVGN_CHILD);
    }
}

TEST_F(DeepChain, ByPartitionTheWholeChainCountsIntoItsTopThroughEveryLevel) {
    Count(false);
    ASSERT_EQ(counted.outcome, CountRunOutcome::kFinished);
    const std::vector<TreeLine> lines = LinesOf(counted.tree);
    ASSERT_THAT(lines, SizeIs(4));
    EXPECT_EQ(lines[0].text, "[Root] 0");
    EXPECT_EQ(lines[1].text, "a " + std::to_string(kDeepestLevel));
    EXPECT_EQ(lines[2].text, "a:ERRORS");
    EXPECT_THAT(lines[3].text, EndsWith(":" + ChainName(kDeepestLevel + 1)));
}

TEST_F(DeepChain, ReportsShowEveryLevelAtItsDepthAndEndAtDepth0) {
    Count(true);
    ExpectTextReportOfEveryLine(counted.tree);
    const std::unordered_map<std::string, int> printed = PrintedTexts(counted.tree);
    EXPECT_EQ(printed.at("a "), kDeepestLevel);
    EXPECT_EQ(printed.at("a:ERRORS"), 1);
    EXPECT_EQ(printed.count(LinesOf(counted.tree).back().text), 1u) << "the error line, whole";
}

// ---- A great many siblings ----

constexpr int kSiblings = VANTOR_FAULT_SIBLINGS;

// One test, as the count itself is the slow part.
TEST(WideContainer, EveryContainerIsALineWithItsCountInTheTreeAndInBothReports) {
    CountedTree counted;
    BuildSiblings(counted.dir, kSiblings);
    ASSERT_EQ(RunCount(counted.dir, counted.tree, counted.host, true), CountRunOutcome::kFinished);

    const CCountTreeCtrl& tree = counted.tree;
    ASSERT_EQ(tree.ItemCount(), static_cast<std::size_t>(kSiblings) + 2);
    const HTREEITEM root = tree.Next(0, TVGN_ROOT);
    const HTREEITEM acme = tree.Next(root, TVGN_CHILD);
    EXPECT_EQ(tree.GetItemText(acme), "acme 0");
    EXPECT_EQ(tree.Next(acme, TVGN_NEXT), 0u);
    int index = 0;
    for (HTREEITEM line = tree.Next(acme, TVGN_CHILD); line != 0;
         line = tree.Next(line, TVGN_NEXT), ++index) {
        ASSERT_EQ(tree.GetItemText(line), SiblingName(index) + " 1");
        ASSERT_FALSE(tree.HasChildren(line));
    }
    EXPECT_EQ(index, kSiblings);
    const CTreeWalk walk(tree);
    EXPECT_EQ(walk.BranchTotal(root), kSiblings);
    EXPECT_EQ(walk.BranchTotal(acme), kSiblings);
    EXPECT_EQ(counted.host.totals.back(), kSiblings);
    EXPECT_EQ(counted.host.totals.size(), static_cast<std::size_t>(kSiblings) + 2);

    ExpectTextReportOfEveryLine(tree);
    const std::unordered_map<std::string, int> printed = PrintedTexts(tree);
    for (int i = 0; i < kSiblings; ++i) {
        ASSERT_EQ(printed.count(SiblingName(i) + " "), 1u) << SiblingName(i);
    }
}

}  // namespace
}  // namespace vantor::test
