// The printed report through Qt into a real PDF, read back as text.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <regex>

#include "platform/qtprint/PdfPrintDevice.h"
#include "platform/qtprint/PdfText.h"
#include "report/PrintedReport.h"
#include "support/ResultLines.h"

namespace vantor {
namespace {

using ::testing::ElementsAre;

constexpr const char* kDate = "March 05, 1997 2:07 PM";

// An item line as it should read: both numbers and the name without trailing blanks.
struct ExpectedLine {
    std::string total;
    std::string count;
    std::string name;
    bool operator==(const ExpectedLine&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ExpectedLine& line) {
    return out << line.total << " | " << line.count << " | " << line.name;
}

TEST(PrintedPdf, PagesReadBackInOrderWithTheirHeaders) {
    if (!test::HavePdfToText()) {
        GTEST_SKIP() << "pdftotext is not installed";
    }
    // Ten organisations of fourteen units each: more than two A4 pages of lines.
    CCountTreeCtrl tree;
    std::vector<ExpectedLine> expected;
    const HTREEITEM root = test::AddResultLine(tree, 0, "[Root]", 2);
    int total = 2;
    expected.push_back({"", "2", "[Root]"});
    for (int o = 1; o <= 10; ++o) {
        const std::string org = "O" + std::to_string(o);
        const HTREEITEM orgLine = test::AddResultLine(tree, root, org, 10 * o);
        expected.push_back({std::to_string(10 * o + 14 * o), std::to_string(10 * o), org});
        total += 10 * o;
        for (int u = 1; u <= 14; ++u) {
            const std::string unit = "Unit " + std::to_string(o) + "-" + std::to_string(u);
            test::AddResultLine(tree, orgLine, unit, o);
            // The name field of a result line ends at the blank before its count.
            expected.push_back({std::to_string(o), std::to_string(o), unit});
            total += o;
        }
    }
    const HTREEITEM errors = test::AddTextLine(tree, root, "[Root]:ERRORS");
    test::AddTextLine(tree, errors, "-601:Object not found:O3");
    test::AddTextLine(tree, 0, "CANCELLED");
    expected.front().total = std::to_string(total);
    for (const char* text : {"[Root]:ERRORS", "-601:Object not found:O3", "CANCELLED"}) {
        expected.push_back({"0", "0", text});
    }

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("report.pdf").toStdString();
    std::unique_ptr<PrintDevice> device = OpenPdfPrintDevice(path);
    CTreeWalk walk(tree);
    const int pageCount = PrintReport(*device, tree, walk, 0, kDate);
    test::SavePrintedFile(*device);

    const std::vector<std::string> pages = test::PdfPages(path);
    ASSERT_EQ(static_cast<int>(pages.size()), pageCount);
    ASSERT_GE(pages.size(), 3u);

    const std::regex itemLine(R"(^\s*(-?\d+)\s+(-?\d+)\s+(\S.*)$)");
    const std::regex titleLine(std::string(R"(^Quillon Vantor\s+)") + kDate + "$");
    std::vector<ExpectedLine> printed;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        const std::vector<std::string> lines = test::PageLines(pages[p]);
        ASSERT_GE(lines.size(), 6u);
        // Title and date share the top line; the legend and kind line follow.
        EXPECT_TRUE(std::regex_match(lines[0], titleLine)) << lines[0];
        EXPECT_THAT(
            std::vector<std::string>(lines.begin() + 1, lines.begin() + 5),
            ElementsAre("Column 1 = Total Count in Partition Subtrees",
                        "Column 2 = Total Count in Partition", "Column 3 = Partition/Container",
                        "User objects -- Total: " + std::to_string(total)));
        // The page number alone on the last line, in the middle of the page.
        const std::string& foot = lines.back();
        EXPECT_EQ(foot.substr(foot.find_first_not_of(' ')), std::to_string(p + 1));
        EXPECT_GT(foot.find_first_not_of(' '), 20u);
        for (std::size_t i = 5; i + 1 < lines.size(); ++i) {
            std::smatch match;
            ASSERT_TRUE(std::regex_match(lines[i], match, itemLine)) << lines[i];
            printed.push_back({match[1], match[2], match[3]});
        }
    }
    EXPECT_EQ(printed, expected);
}

}  // namespace
}  // namespace vantor
