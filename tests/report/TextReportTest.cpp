#include <gtest/gtest.h>

#include <string>

#include "report/TextReport.h"
#include "support/ResultLines.h"

namespace vantor {
namespace {

using test::AddResultLine;
using test::AddTextLine;

constexpr const char* kStamp = "March 05, 1997 2:07 PM";

// Lines 1 to 5 of every report.
std::string Heading() {
    return std::string("Quillon Vantor\t\t\t") + kStamp +
           "\r\n"
           "Column 1 = Total Count in Partition Subtrees\r\n"
           "Column 2 = Total Count in Partition\r\n"
           "Column 3 = Partition/Container\r\n"
           "\r\n";
}

class TextReport : public ::testing::Test {
  protected:
    std::string Build(int kind = 0) {
        const std::string report = BuildTextReport(tree, walk, kind, kStamp);
        EXPECT_EQ(walk.m_depth, 0);
        return report;
    }
    CTextTreeCtrl tree;
    CTreeWalk walk{tree};
};

TEST_F(TextReport, WorkedExampleByteForByte) {
    test::ExampleTree example(tree);
    EXPECT_EQ(Build(0), Heading() +
                            "User objects -- Total: 20\r\n"
                            "\r\n"
                            "20\t\t3\t\t[Root] \r\n"
                            "10\t\t10\t\t\tSales \r\n"
                            "7\t\t5\t\t\tDev \r\n"
                            "2\t\t2\t\t\t\tQA \r\n");
}

TEST_F(TextReport, NamesCannotForgeLines) {
    const HTREEITEM root = AddResultLine(tree, 0, "[Root]", 1);
    AddResultLine(tree, root, "Evil\r\n99\t\tFake", 2);
    const HTREEITEM errors = AddTextLine(tree, root, "\x1b]0;owned\x07:ERRORS");
    AddTextLine(tree, errors, "-601:NWDSSearch:a\nb");
    EXPECT_EQ(Build(0), Heading() +
                            "User objects -- Total: 3\r\n"
                            "\r\n"
                            "3\t\t1\t\t[Root] \r\n"
                            "2\t\t2\t\t\tEvil\\r\\n99\\t\\tFake \r\n"
                            "0\t\t0\t\t\t\\x1b]0;owned\\x07:ERRORS\r\n"
                            "0\t\t0\t\t\t\t-601:NWDSSearch:a\\nb\r\n");
}

TEST_F(TextReport, EmptyTreeHasTheKindLineWithTotalZeroAndNoItemLines) {
    EXPECT_EQ(Build(2), Heading() + "Group objects -- Total: 0\r\n\r\n");
}

TEST_F(TextReport, RunCancelledBeforeTheRootLeavesOneItemLine) {
    AddTextLine(tree, 0, "CANCELLED");
    EXPECT_EQ(Build(1), Heading() + "Server objects -- Total: 0\r\n\r\n0\t\t0\t\tCANCELLED\r\n");
}

TEST_F(TextReport, SingleLineHasTheSameNumberInBothColumns) {
    AddResultLine(tree, 0, "[Root]", 5);
    EXPECT_EQ(Build(3), Heading() + "Partition objects -- Total: 5\r\n\r\n5\t\t5\t\t[Root] \r\n");
}

TEST_F(TextReport, ErrorLinesAreWrittenWholeOneLevelDeeperEach) {
    const HTREEITEM root = AddResultLine(tree, 0, "[Root]", 0);
    const HTREEITEM sales = AddResultLine(tree, root, "Sales Dept", 12);
    const HTREEITEM header = AddTextLine(tree, sales, "Sales Dept:ERRORS");
    AddTextLine(tree, header, "-601:NWDSSearch:QA.Sales Dept.acme");
    AddTextLine(tree, header, "-649:NWDSAllocBuf:");
    AddResultLine(tree, sales, "QA", 4);
    AddTextLine(tree, 0, "CANCELLED");
    EXPECT_EQ(Build(0), Heading() +
                            "User objects -- Total: 16\r\n"
                            "\r\n"
                            "16\t\t0\t\t[Root] \r\n"
                            "16\t\t12\t\t\tSales Dept \r\n"
                            "0\t\t0\t\t\t\tSales Dept:ERRORS\r\n"
                            "0\t\t0\t\t\t\t\t-601:NWDSSearch:QA.Sales Dept.acme\r\n"
                            "0\t\t0\t\t\t\t\t-649:NWDSAllocBuf:\r\n"
                            "4\t\t4\t\t\t\tQA \r\n"
                            "0\t\t0\t\tCANCELLED\r\n");
}

TEST_F(TextReport, GrandTotalCoversTheFirstTopLevelBranchOnly) {
    const HTREEITEM root = AddResultLine(tree, 0, "[Root]", 3);
    AddResultLine(tree, root, "a", 4);
    AddResultLine(tree, 0, "second", 50);
    const std::string report = Build(0);
    EXPECT_NE(report.find("User objects -- Total: 7\r\n"), std::string::npos);
    EXPECT_NE(report.find("\r\n50\t\t50\t\tsecond \r\n"), std::string::npos);
}

TEST(KindLine, NamesEachKind) {
    EXPECT_EQ(KindLine(0, 20), "User objects -- Total: 20");
    EXPECT_EQ(KindLine(1, 0), "Server objects -- Total: 0");
    EXPECT_EQ(KindLine(2, 7), "Group objects -- Total: 7");
    EXPECT_EQ(KindLine(3, 2147483647), "Partition objects -- Total: 2147483647");
}

}  // namespace
}  // namespace vantor
