#include "report/PrintedReport.h"

#include <cstdint>

#include "platform/ResourceIds.h"
#include "platform/StringTable.h"
#include "report/SaveFile.h"
#include "report/TextReport.h"
#include "tree/LineText.h"

namespace vantor {

namespace {

constexpr int kTitlePoints = 15;
constexpr int kSmallPoints = 10;
constexpr const char* kFontFace = "Arial";

// points * pixelsPerInch / 72, rounded to the nearest pixel.
int PointsToPixels(int points, int pixelsPerInch) {
    const std::int64_t scaled = std::int64_t{points} * pixelsPerInch;
    return static_cast<int>((scaled + (scaled >= 0 ? 36 : -36)) / 72);
}

// Positions on the page in device pixels, worked out once per report.
struct PageLayout {
    int marginX = 0;     // left margin and right margin of the date stamp: half an inch
    int marginY = 0;     // top margin, and bottom margin for item lines: half an inch
    int indentStep = 0;  // a quarter inch
    int columnStep = 0;  // from one number column to the next, and on to the names
    int wrapSteps = 0;   // indentation steps at which a name still starts on the page
    int dateX = 0;
    int pageNumberX = 0;
    int pageNumberY = 0;
    int bottom = 0;      // the lowest y at which an item line is still started
    int lineHeight = 0;  // of the device's default font
    int legendY = 0;     // first legend line, just below the title
    int firstItemY = 0;

    int NameX(int steps) const { return marginX + 2 * columnStep + steps * indentStep; }
};

struct ReportFonts {
    PrintFont body = 0;  // the device's default font
    PrintFont title = 0;
    PrintFont small = 0;
};

PageLayout MeasurePage(PrintDevice& device, ReportFonts& fonts, const std::string& dateStamp) {
    const int pixelsY = device.PixelsPerInchY();
    fonts.title =
        device.CreateFont({PointsToPixels(kTitlePoints, pixelsY), kBoldWeight, kFontFace});
    fonts.small =
        device.CreateFont({PointsToPixels(kSmallPoints, pixelsY), kBoldWeight, kFontFace});

    const int width = device.Width();
    const int height = device.Height();
    const int pixelsX = device.PixelsPerInchX();
    PageLayout page;
    page.marginX = pixelsX / 2;
    page.marginY = pixelsY / 2;
    page.lineHeight = device.CharHeight();

    fonts.body = device.SelectFont(fonts.small);
    page.dateX = width - page.marginX - device.TextWidth(dateStamp);
    page.pageNumberX = width / 2;
    page.pageNumberY = height - (pixelsY / 2) / 2;
    page.indentStep = pixelsX / 4;
    page.columnStep = 3 * page.indentStep;
    // A name must start inside the printable width; deeper names wrap by this many steps.
    const int room = width - page.NameX(0);
    page.wrapSteps =
        page.indentStep > 0 && room > 0 ? (room + page.indentStep - 1) / page.indentStep : 1;

    device.SelectFont(fonts.title);
    const int titleHeight = device.CharHeight();
    device.SelectFont(fonts.body);

    page.bottom = height - page.marginY;
    page.legendY = page.marginY + titleHeight;
    page.firstItemY = page.legendY + 6 * page.lineHeight;
    return page;
}

// The fixed texts of the header, the same on every page.
struct Header {
    std::string title;
    std::string dateStamp;
    std::string legend[3];
    std::string kindLine;
};

void DrawHeader(PrintDevice& device, const PageLayout& page, const ReportFonts& fonts,
                const Header& header) {
    device.SelectFont(fonts.title);
    device.TextOut(page.marginX, page.marginY, header.title);
    device.SelectFont(fonts.small);
    device.TextOut(page.dateX, page.marginY, header.dateStamp);
    device.SelectFont(fonts.body);
    for (int i = 0; i < 3; ++i) {
        device.TextOut(page.marginX, page.legendY + i * page.lineHeight, header.legend[i]);
    }
    device.TextOut(page.marginX, page.legendY + 4 * page.lineHeight, header.kindLine);
}

void DrawPageNumber(PrintDevice& device, const PageLayout& page, const ReportFonts& fonts,
                    int pageNumber) {
    device.SelectFont(fonts.small);
    device.TextOut(page.pageNumberX, page.pageNumberY, std::to_string(pageNumber));
    device.SelectFont(fonts.body);
}

// Draws one item line whose numbers sit at y; returns the y of the line below it. A name so
// deep that it would start off the page goes one line lower instead, indented by the steps
// left over after the whole runs of steps that fit.
int DrawItemLine(PrintDevice& device, const PageLayout& page, const std::string& branchTotal,
                 const std::string& ownCount, const std::string& name, int depth, int y) {
    device.TextOut(page.marginX, y, branchTotal);
    device.TextOut(page.marginX + page.columnStep, y, ownCount);
    int steps = depth;
    if (depth >= page.wrapSteps) {
        steps = depth % page.wrapSteps;
        y += page.lineHeight;
    }
    device.TextOut(page.NameX(steps), y, name);
    return y + page.lineHeight;
}

}  // namespace

int PrintReport(PrintDevice& device, const CTextTreeCtrl& tree, CTreeWalk& walk, int objectKind,
                const std::string& dateStamp) {
    ReportFonts fonts;
    const PageLayout page = MeasurePage(device, fonts, dateStamp);

    const HTREEITEM first = tree.Next(0, TVGN_ROOT);
    const Header header{LoadString(res::IDS_TITLE),
                        dateStamp,
                        {LoadString(res::IDS_LEGEND_1), LoadString(res::IDS_LEGEND_2),
                         LoadString(res::IDS_LEGEND_3)},
                        KindLine(objectKind, first != 0 ? walk.BranchTotal(first) : 0)};

    device.StartDoc(kPrintDocumentName);
    int pageNumber = 0;
    int y = 0;
    auto beginPage = [&] {
        device.StartPage();
        ++pageNumber;
        DrawHeader(device, page, fonts, header);
        y = page.firstItemY;
    };
    auto endPage = [&] {
        DrawPageNumber(device, page, fonts, pageNumber);
        device.EndPage();
    };

    beginPage();
    // Were the header to fill the page, every further page would again hold the header alone.
    if (page.firstItemY <= page.bottom) {
        walk.Walk([&](HTREEITEM item) {
            if (y > page.bottom) {
                endPage();
                beginPage();
            }
            y = DrawItemLine(device, page, std::to_string(walk.BranchTotal(item)),
                             std::to_string(tree.Data(item)),
                             ReportNameField(tree.GetItemText(item), tree.CarriesData(item)),
                             walk.m_depth, y);
            return true;
        });
    }
    endPage();
    device.EndDoc();
    return pageNumber;
}

std::optional<std::string> PrintAndDeliver(PrintDevice& device, const CTextTreeCtrl& tree,
                                           CTreeWalk& walk, int objectKind,
                                           const std::string& dateStamp) {
    PrintReport(device, tree, walk, objectKind, dateStamp);
    if (std::string failure = device.Failure(); !failure.empty()) {
        return failure;
    }
    if (std::optional<PrintedFile> file = device.TakeFile()) {
        return SaveFileReplacing(file->path, file->content);
    }
    return std::nullopt;
}

}  // namespace vantor
