#include "report/PrintedReport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "report/print/RecordingPrintDevice.h"
#include "support/ResultLines.h"

namespace vantor {
namespace {

using namespace test;
using namespace ::testing;

constexpr const char* kDate = "March 05, 1997 2:07 PM";
constexpr const char* kTitle = "Quillon Vantor";
constexpr const char* kLegend1 = "Column 1 = Total Count in Partition Subtrees";
constexpr const char* kLegend2 = "Column 2 = Total Count in Partition";
constexpr const char* kLegend3 = "Column 3 = Partition/Container";

using Row = std::vector<std::pair<int, std::string>>;

class PrintedReportTest : public ::testing::Test {
  protected:
    int Print(RecordingPrintDevice& device, int objectKind = 0) {
        return PrintReport(device, tree, walk, objectKind, kDate);
    }

    // "[Root]" 3 with Sales 10 and Dev 5, and QA 2 under Dev.
    void AddSmallTree() {
        const HTREEITEM root = AddResultLine(tree, 0, "[Root]", 3);
        AddResultLine(tree, root, "Sales", 10);
        const HTREEITEM dev = AddResultLine(tree, root, "Dev", 5);
        AddResultLine(tree, dev, "QA", 2);
    }

    // The one text on the page that reads text.
    static DrawnText Find(const RecordingPrintDevice& device, int page, const std::string& text) {
        std::vector<DrawnText> found;
        for (const DrawnText& drawn : device.TextsOnPage(page)) {
            if (drawn.text == text) {
                found.push_back(drawn);
            }
        }
        EXPECT_EQ(found.size(), 1u) << "\"" << text << "\" on page " << page;
        return found.empty() ? DrawnText{} : found.front();
    }

    // The texts drawn at y on the page, left to right.
    static Row RowAt(const RecordingPrintDevice& device, int page, int y) {
        std::multimap<int, std::string> byX;
        for (const DrawnText& drawn : device.TextsOnPage(page)) {
            if (drawn.y == y) {
                byX.emplace(drawn.x, drawn.text);
            }
        }
        return Row(byX.begin(), byX.end());
    }

    // Where the first item line goes, from the device's own metrics: below the title, the
    // three legend lines, a gap, the kind line and another gap.
    static int FirstItemY(const RecordingPrintDevice& device, int topMargin) {
        const DrawnText title = Find(device, 1, kTitle);
        return topMargin + device.HeightOf(title.font) +
               6 * device.HeightOf(RecordingPrintDevice::kDefaultFont);
    }

    // Every text of the page above the item lines, and the page number.
    static std::vector<DrawnText> HeaderOf(const RecordingPrintDevice& device, int page,
                                           int firstItemY) {
        std::vector<DrawnText> header;
        for (const DrawnText& drawn : device.TextsOnPage(page)) {
            if (drawn.y < firstItemY) {
                header.push_back(drawn);
            }
        }
        return header;
    }

    CCountTreeCtrl tree;
    CTreeWalk walk{tree};
};

// ---- Measures at a given resolution

struct Resolution {
    int pixelsX;
    int pixelsY;
    // What the report must derive from them.
    int marginX;
    int marginY;
    int titlePixels;  // 15 points
    int smallPixels;  // 10 points
    int secondColumnX;
    int topNameX;
    int childNameX;
    int pageNumberAboveBottom;
};

class PrintedReportResolution : public PrintedReportTest,
                                public ::testing::WithParamInterface<Resolution> {};

TEST_P(PrintedReportResolution, MarginsColumnsAndFontsScaleWithThePrinter) {
    const Resolution& r = GetParam();
    DeviceGeometry geometry;
    geometry.pixelsPerInchX = r.pixelsX;
    geometry.pixelsPerInchY = r.pixelsY;
    geometry.width = 8 * r.pixelsX;
    geometry.height = 11 * r.pixelsY;
    RecordingPrintDevice device(geometry);
    AddSmallTree();

    EXPECT_EQ(Print(device), 1);

    const DrawnText title = Find(device, 1, kTitle);
    EXPECT_EQ(title.x, r.marginX);
    EXPECT_EQ(title.y, r.marginY);
    const PrintFontSpec& titleSpec = device.SpecOf(title.font);
    EXPECT_EQ(titleSpec.height, r.titlePixels);
    EXPECT_EQ(titleSpec.weight, 700);
    EXPECT_EQ(titleSpec.face, "Arial");

    const DrawnText page = Find(device, 1, "1");
    EXPECT_EQ(page.x, geometry.width / 2);
    EXPECT_EQ(page.y, geometry.height - r.pageNumberAboveBottom);
    const PrintFontSpec& smallSpec = device.SpecOf(page.font);
    EXPECT_EQ(smallSpec.height, r.smallPixels);
    EXPECT_EQ(smallSpec.weight, 700);
    EXPECT_EQ(smallSpec.face, "Arial");

    const int lineH = geometry.defaultLineHeight;
    const int y = FirstItemY(device, r.marginY);
    EXPECT_THAT(RowAt(device, 1, y), ElementsAre(Pair(r.marginX, "20"), Pair(r.secondColumnX, "3"),
                                                 Pair(r.topNameX, "[Root] ")));
    EXPECT_THAT(RowAt(device, 1, y + lineH),
                ElementsAre(Pair(r.marginX, "10"), Pair(r.secondColumnX, "10"),
                            Pair(r.childNameX, "Sales ")));
    EXPECT_THAT(
        RowAt(device, 1, y + 2 * lineH),
        ElementsAre(Pair(r.marginX, "7"), Pair(r.secondColumnX, "5"), Pair(r.childNameX, "Dev ")));
    EXPECT_THAT(RowAt(device, 1, y + 3 * lineH),
                ElementsAre(Pair(r.marginX, "2"), Pair(r.secondColumnX, "2"),
                            Pair(2 * r.childNameX - r.topNameX, "QA ")));
}

INSTANTIATE_TEST_SUITE_P(
    Printers, PrintedReportResolution,
    ::testing::Values(
        // Half-inch margins, quarter-inch steps, three steps between the columns.
        Resolution{600, 600, 300, 300, 125, 83, 750, 1200, 1350, 150},
        // Across and down are read from their own axes; 62.5 and 41.67 pixels round.
        Resolution{600, 300, 300, 150, 63, 42, 750, 1200, 1350, 75},
        Resolution{96, 96, 48, 48, 20, 13, 120, 192, 216, 24}),
    [](const ::testing::TestParamInfo<Resolution>& param) {
        return std::to_string(param.param.pixelsX) + "x" + std::to_string(param.param.pixelsY) +
               "PixelsPerInch";
    });

// ---- The header

TEST_F(PrintedReportTest, HeaderHasTitleDateLegendAndKindLine) {
    RecordingPrintDevice device({});
    AddSmallTree();
    Print(device, 2);

    const DrawnText title = Find(device, 1, kTitle);
    const DrawnText date = Find(device, 1, kDate);
    // Same top line as the title, ending half an inch from the right edge, in the small font.
    EXPECT_EQ(date.y, title.y);
    EXPECT_EQ(date.x + device.WidthOf(date.font, kDate), 4800 - 300);
    EXPECT_EQ(device.SpecOf(date.font).height, 83);

    const int lineH = device.HeightOf(RecordingPrintDevice::kDefaultFont);
    const int y0 = 300 + device.HeightOf(title.font);
    const std::vector<std::pair<std::string, int>> body = {
        {kLegend1, y0},
        {kLegend2, y0 + lineH},
        {kLegend3, y0 + 2 * lineH},
        {"Group objects -- Total: 20", y0 + 4 * lineH}};
    for (const auto& [text, y] : body) {
        const DrawnText drawn = Find(device, 1, text);
        EXPECT_EQ(drawn.x, 300) << text;
        EXPECT_EQ(drawn.y, y) << text;
        EXPECT_EQ(drawn.font, RecordingPrintDevice::kDefaultFont) << text;
    }
    EXPECT_EQ(device.Calls().front(), "StartDoc Quillon Vantor");
}

TEST_F(PrintedReportTest, EmptyTreePrintsOnePageWithTotalZero) {
    RecordingPrintDevice device({});

    EXPECT_EQ(Print(device), 1);

    EXPECT_THAT(device.Calls(),
                ElementsAre("StartDoc Quillon Vantor", "StartPage", "EndPage", "EndDoc"));
    std::vector<std::string> texts;
    for (const DrawnText& drawn : device.Texts()) {
        texts.push_back(drawn.text);
    }
    EXPECT_THAT(texts, ElementsAre(kTitle, kDate, kLegend1, kLegend2, kLegend3,
                                   "User objects -- Total: 0", "1"));
}

// ---- Pages

TEST_F(PrintedReportTest, LongTreeRepeatsHeaderAndNumbersPages) {
    // Ten item lines per page: the tenth starts exactly at the bottom margin.
    DeviceGeometry geometry;
    RecordingPrintDevice probe(geometry);
    Print(probe);
    const int firstItemY = FirstItemY(probe, 300);
    const int lineH = geometry.defaultLineHeight;
    geometry.height = firstItemY + 9 * lineH + 300;
    const int bottom = geometry.height - 300;

    // Counts of three digits and more, so that no count reads like a page number.
    int total = 1000;
    const HTREEITEM root = AddResultLine(tree, 0, "[Root]", total);
    std::vector<std::string> names = {"[Root] "};
    for (int i = 1; i < 25; ++i) {
        AddResultLine(tree, root, "OU" + std::to_string(i), 100 + i);
        names.push_back("OU" + std::to_string(i) + " ");
        total += 100 + i;
    }
    RecordingPrintDevice device(geometry);

    EXPECT_EQ(Print(device), 3);
    EXPECT_EQ(walk.m_depth, 0);

    const std::vector<DrawnText> firstHeader = HeaderOf(device, 1, firstItemY);
    ASSERT_EQ(firstHeader.size(), 6u);
    EXPECT_EQ(Find(device, 1, "User objects -- Total: " + std::to_string(total)).page, 1);
    std::vector<std::string> printedNames;
    const std::vector<std::size_t> perPage = {10, 10, 5};
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        const std::vector<DrawnText> header = HeaderOf(device, page, firstItemY);
        ASSERT_EQ(header.size(), firstHeader.size());
        for (std::size_t i = 0; i < header.size(); ++i) {
            EXPECT_EQ(header[i].text, firstHeader[i].text);
            EXPECT_EQ(header[i].x, firstHeader[i].x);
            EXPECT_EQ(header[i].y, firstHeader[i].y);
            EXPECT_EQ(header[i].font, firstHeader[i].font);
        }
        const DrawnText number = Find(device, page, std::to_string(page));
        EXPECT_EQ(number.y, geometry.height - 150);

        std::vector<int> itemYs;
        for (const DrawnText& drawn : device.TextsOnPage(page)) {
            if (drawn.y >= firstItemY && drawn.x >= 1200 &&
                drawn.font == RecordingPrintDevice::kDefaultFont) {
                printedNames.push_back(drawn.text);
                itemYs.push_back(drawn.y);
            }
        }
        ASSERT_EQ(itemYs.size(), perPage[static_cast<std::size_t>(page - 1)]);
        EXPECT_EQ(itemYs.front(), firstItemY);
        EXPECT_LE(itemYs.back(), bottom);
    }
    EXPECT_EQ(RowAt(device, 1, bottom).size(), 3u);
    EXPECT_EQ(printedNames, names);
    EXPECT_THAT(device.FontsAtPageEnd(),
                ElementsAre(RecordingPrintDevice::kDefaultFont, RecordingPrintDevice::kDefaultFont,
                            RecordingPrintDevice::kDefaultFont));
    EXPECT_EQ(device.StrayTexts(), 0);
    EXPECT_EQ(device.Calls().back(), "EndDoc");
}

TEST_F(PrintedReportTest, OneItemPerPageWhenOnlyTheFirstLineFits) {
    DeviceGeometry geometry;
    RecordingPrintDevice probe(geometry);
    Print(probe);
    geometry.height = FirstItemY(probe, 300) + 300;
    const HTREEITEM root = AddResultLine(tree, 0, "[Root]", 1);
    AddResultLine(tree, root, "A", 2);
    AddResultLine(tree, root, "B", 3);
    RecordingPrintDevice device(geometry);

    EXPECT_EQ(Print(device), 3);
    EXPECT_EQ(Find(device, 1, "[Root] ").page, 1);
    EXPECT_EQ(Find(device, 2, "A ").page, 2);
    EXPECT_EQ(Find(device, 3, "B ").page, 3);
}

TEST_F(PrintedReportTest, HeaderTallerThanThePageStillEnds) {
    DeviceGeometry geometry;
    geometry.height = 1000;  // the bottom margin starts above the first item line
    AddSmallTree();
    RecordingPrintDevice device(geometry);

    EXPECT_EQ(Print(device), 1);

    EXPECT_THAT(device.Calls(),
                ElementsAre("StartDoc Quillon Vantor", "StartPage", "EndPage", "EndDoc"));
    EXPECT_EQ(Find(device, 1, kTitle).page, 1);
    EXPECT_EQ(Find(device, 1, "User objects -- Total: 20").page, 1);
    EXPECT_EQ(Find(device, 1, "1").y, 1000 - 150);
    EXPECT_EQ(device.Texts().size(), 7u);
    EXPECT_EQ(walk.m_depth, 0);
}

// ---- Lines

TEST_F(PrintedReportTest, ErrorAndCancelledLinesPrintZerosAndWholeText) {
    const HTREEITEM root = AddResultLine(tree, 0, "[Root]", 5);
    const HTREEITEM errors = AddTextLine(tree, root, "[Root]:ERRORS");
    AddTextLine(tree, errors, "-601:Object not found:Sales Dept");
    AddResultLine(tree, root, "Sales Dept", 12);
    AddTextLine(tree, 0, "CANCELLED");
    RecordingPrintDevice device({});

    Print(device);

    const int y = FirstItemY(device, 300);
    const int lineH = device.HeightOf(RecordingPrintDevice::kDefaultFont);
    EXPECT_EQ(Find(device, 1, "User objects -- Total: 17").x, 300);
    EXPECT_THAT(RowAt(device, 1, y),
                ElementsAre(Pair(300, "17"), Pair(750, "5"), Pair(1200, "[Root] ")));
    EXPECT_THAT(RowAt(device, 1, y + lineH),
                ElementsAre(Pair(300, "0"), Pair(750, "0"), Pair(1350, "[Root]:ERRORS")));
    EXPECT_THAT(RowAt(device, 1, y + 2 * lineH),
                ElementsAre(Pair(300, "0"), Pair(750, "0"),
                            Pair(1500, "-601:Object not found:Sales Dept")));
    // A result line loses only its count, blanks in the name stay.
    EXPECT_THAT(RowAt(device, 1, y + 3 * lineH),
                ElementsAre(Pair(300, "12"), Pair(750, "12"), Pair(1350, "Sales Dept ")));
    EXPECT_THAT(RowAt(device, 1, y + 4 * lineH),
                ElementsAre(Pair(300, "0"), Pair(750, "0"), Pair(1200, "CANCELLED")));
}

TEST_F(PrintedReportTest, ControlCharactersInNamesPrintAsEscapes) {
    const HTREEITEM root = AddResultLine(tree, 0, "[Root]", 1);
    AddResultLine(tree, root, "Evil\n99\t\tFake", 2);
    AddTextLine(tree, root, "\x1b[2J\x7f:ERRORS");
    RecordingPrintDevice device({});

    Print(device);

    const int y = FirstItemY(device, 300);
    const int lineH = device.HeightOf(RecordingPrintDevice::kDefaultFont);
    EXPECT_THAT(RowAt(device, 1, y + lineH),
                ElementsAre(Pair(300, "2"), Pair(750, "2"), Pair(1350, "Evil\\n99\\t\\tFake ")));
    EXPECT_THAT(RowAt(device, 1, y + 2 * lineH),
                ElementsAre(Pair(300, "0"), Pair(750, "0"), Pair(1350, "\\x1b[2J\\x7f:ERRORS")));
}

TEST_F(PrintedReportTest, DeepNamesMoveToTheNextLineIndentedByTheRemainder) {
    // 3000 pixels across, names from 1200 at a 150-pixel step: a name starts on the page at
    // steps 0 to 11 (2850), never at 12 (3000).
    DeviceGeometry geometry;
    geometry.width = 3000;
    geometry.height = 8000;
    HTREEITEM parent = 0;
    for (int depth = 0; depth <= 25; ++depth) {
        parent = AddResultLine(tree, parent, "D" + std::to_string(depth), 1);
    }
    RecordingPrintDevice device(geometry);

    EXPECT_EQ(Print(device), 1);
    EXPECT_EQ(walk.m_depth, 0);

    // Numbers row and name position of each depth; depth d has the branch total 26 - d.
    const int firstItemY = FirstItemY(device, 300);
    std::map<int, int> numbersY;
    std::map<int, std::pair<int, int>> name;
    for (const DrawnText& drawn : device.Texts()) {
        if (drawn.y < firstItemY || drawn.font != RecordingPrintDevice::kDefaultFont) {
            continue;
        }
        if (drawn.x == 300) {
            numbersY[26 - std::stoi(drawn.text)] = drawn.y;
        } else if (drawn.text.starts_with("D")) {
            name[std::stoi(drawn.text.substr(1))] = {drawn.x, drawn.y};
        }
    }
    ASSERT_EQ(name.size(), 26u);
    ASSERT_EQ(numbersY.size(), 26u);
    const int lineH = geometry.defaultLineHeight;

    // While the name starts on the page: on its own line.
    EXPECT_EQ(name[0], std::make_pair(1200, numbersY[0]));
    EXPECT_EQ(name[11], std::make_pair(1200 + 11 * 150, numbersY[11]));
    // Deeper: one line lower, indented by the remainder, never past the edge.
    EXPECT_EQ(name[12], std::make_pair(1200, numbersY[12] + lineH));
    EXPECT_EQ(name[15], std::make_pair(1200 + 3 * 150, numbersY[15] + lineH));
    EXPECT_EQ(name[23], std::make_pair(1200 + 11 * 150, numbersY[23] + lineH));
    EXPECT_EQ(name[24], std::make_pair(1200, numbersY[24] + lineH));
    for (const auto& [depth, at] : name) {
        EXPECT_LT(at.first, geometry.width) << "depth " << depth;
    }
    // A moved name takes two lines.
    EXPECT_EQ(numbersY[12] - numbersY[11], lineH);
    EXPECT_EQ(numbersY[13] - numbersY[12], 2 * lineH);
    EXPECT_EQ(numbersY[25] - numbersY[24], 2 * lineH);
}

// A device as the print dialog may hand one out: a printer that failed, or one that printed
// into a file the program still has to write.
class DeliveringDevice : public RecordingPrintDevice {
  public:
    DeliveringDevice(std::string failure, std::optional<PrintedFile> file)
        : RecordingPrintDevice(DeviceGeometry{}),
          m_failure(std::move(failure)),
          m_file(std::move(file)) {}
    std::string Failure() const override { return m_failure; }
    std::optional<PrintedFile> TakeFile() override { return std::exchange(m_file, std::nullopt); }

  private:
    std::string m_failure;
    std::optional<PrintedFile> m_file;
};

TEST_F(PrintedReportTest, DeliveryNamesEveryFailureAndWritesAPrintedFile) {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "vantor-deliver-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    AddSmallTree();
    struct Case {
        std::string failure;
        std::optional<PrintedFile> file;
        std::string expectedError;  // "" for none; else a part of the message
        bool fileWritten;
    };
    const std::string good = (dir / "report.pdf").string();
    const std::string unwritable = (dir / "no-such-folder" / "report.pdf").string();
    const Case cases[] = {
        {"", std::nullopt, "", false},
        {"Could not print on the printer \"Office\": it did not start printing.", std::nullopt,
         "\"Office\"", false},
        {"", PrintedFile{good, "%PDF-1.4 whole"}, "", true},
        {"", PrintedFile{unwritable, "%PDF-1.4"}, unwritable, false},
        // A document that failed on the way is not written as if it were complete.
        {"The document did not arrive.", PrintedFile{good, "%PDF-1.4 half"}, "did not arrive",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure + " / " + (c.file ? c.file->path : "printer"));
        fs::remove(good);
        DeliveringDevice device(c.failure, c.file);
        const std::optional<std::string> error = PrintAndDeliver(device, tree, walk, 0, kDate);
        EXPECT_EQ(device.PagesStarted(), 1);
        if (c.expectedError.empty()) {
            EXPECT_EQ(error, std::nullopt);
        } else {
            ASSERT_TRUE(error.has_value());
            EXPECT_NE(error->find(c.expectedError), std::string::npos) << *error;
        }
        EXPECT_EQ(fs::exists(good), c.fileWritten);
        if (c.fileWritten) {
            std::ifstream in(good, std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), c.file->content);
        }
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vantor
