#include "platform/qtprint/QtPrintDevice.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "platform/qtprint/PdfPrintDevice.h"
#include "platform/qtprint/PdfText.h"

namespace vantor {
namespace {

class QtPrintDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        device = OpenPdfPrintDevice(path);
        ASSERT_NE(device, nullptr);
    }

    QTemporaryDir dir;
    std::string path = dir.filePath("device.pdf").toStdString();
    std::unique_ptr<PrintDevice> device;
};

double Millimetres(int pixels, int pixelsPerInch) {
    return pixels * 25.4 / pixelsPerInch;
}

TEST_F(QtPrintDeviceTest, PdfDeviceIsA4At600PixelsPerInch) {
    EXPECT_EQ(device->PixelsPerInchX(), 600);
    EXPECT_EQ(device->PixelsPerInchY(), 600);
    // The printable area of a 210 x 297 mm sheet, inside margins of a few millimetres.
    EXPECT_GT(Millimetres(device->Width(), 600), 180.0);
    EXPECT_LE(Millimetres(device->Width(), 600), 210.0);
    EXPECT_GT(Millimetres(device->Height(), 600), 267.0);
    EXPECT_LE(Millimetres(device->Height(), 600), 297.0);
}

TEST_F(QtPrintDeviceTest, FontsAreSizedByCharacterHeightInDevicePixels) {
    const int defaultHeight = device->CharHeight();
    const PrintFont large = device->CreateFont({125, kBoldWeight, "Arial"});
    const PrintFont small = device->CreateFont({83, kBoldWeight, "Arial"});
    const PrintFont plain = device->CreateFont({125, 400, "Arial"});

    // Selecting hands back the font held before, the device's default first.
    const PrintFont initial = device->SelectFont(large);
    const int largeHeight = device->CharHeight();
    const int boldWidth = device->TextWidth("Quillon Vantor");
    EXPECT_EQ(device->SelectFont(small), large);
    const int smallHeight = device->CharHeight();
    device->SelectFont(plain);
    const int plainWidth = device->TextWidth("Quillon Vantor");
    EXPECT_EQ(device->SelectFont(initial), plain);
    EXPECT_EQ(device->CharHeight(), defaultHeight);

    // The line height adds leading to the character height, never doubles it.
    EXPECT_GE(largeHeight, 125);
    EXPECT_LT(largeHeight, 250);
    EXPECT_GE(smallHeight, 83);
    EXPECT_LT(smallHeight, largeHeight);
    EXPECT_GT(boldWidth, plainWidth);
    EXPECT_EQ(device->TextWidth(""), 0);
    // The default font is a body-text size on paper: between 6 and 20 points.
    EXPECT_GE(defaultHeight * 72, 6 * 600);
    EXPECT_LE(defaultHeight * 72, 20 * 600);
}

TEST_F(QtPrintDeviceTest, UnknownFontLeavesTheSelectionAlone) {
    const PrintFont large = device->CreateFont({125, kBoldWeight, "Arial"});
    device->SelectFont(large);
    const int height = device->CharHeight();
    EXPECT_EQ(device->SelectFont(large + 7), large);
    EXPECT_EQ(device->SelectFont(-1), large);
    EXPECT_EQ(device->CharHeight(), height);
}

// "first" also shows that letters are not joined into ligature glyphs.
TEST_F(QtPrintDeviceTest, PagesOfTextArriveInThePdf) {
    if (!test::HavePdfToText()) {
        GTEST_SKIP() << "pdftotext is not installed";
    }
    device->StartDoc("Quillon Vantor");
    for (const char* text : {"first page", "second page"}) {
        device->StartPage();
        device->TextOut(600, 600, text);
        device->EndPage();
    }
    device->EndDoc();
    test::SavePrintedFile(*device);

    const std::vector<std::string> pages = test::PdfPages(path);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(test::PageLines(pages[0]), std::vector<std::string>{"first page"});
    EXPECT_EQ(test::PageLines(pages[1]), std::vector<std::string>{"second page"});
}

TEST_F(QtPrintDeviceTest, TextIsPlacedByItsTopEdge) {
    if (!test::HavePdfToText()) {
        GTEST_SKIP() << "pdftotext is not installed";
    }
    // Two sizes at the same y: their tops line up, their baselines do not.
    const PrintFont small = device->CreateFont({100, 400, "Arial"});
    const PrintFont large = device->CreateFont({300, 400, "Arial"});
    device->StartDoc("Quillon Vantor");
    device->StartPage();
    device->SelectFont(small);
    device->TextOut(600, 1200, "small");
    device->SelectFont(large);
    device->TextOut(2400, 1200, "large");
    device->EndPage();
    device->EndDoc();
    test::SavePrintedFile(*device);

    const std::vector<test::PdfWord> words = test::PdfWords(path);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].text, "small");
    EXPECT_EQ(words[1].text, "large");
    // In points: 72 to the inch, 600 device pixels to the inch.
    EXPECT_NEAR(words[0].yMin, words[1].yMin, 2.0);
    EXPECT_GT(words[1].yMax - words[0].yMax, 100.0 * 72 / 600);
    // The x is the left edge of the text.
    EXPECT_NEAR(words[1].xMin - words[0].xMin, 1800.0 * 72 / 600, 2.0);
}

TEST_F(QtPrintDeviceTest, WritesNothingItselfAndHandsOverTheWholePdf) {
    device->StartDoc("Quillon Vantor");
    device->StartPage();
    device->TextOut(600, 600, "only page");
    device->EndPage();
    device->EndDoc();
    EXPECT_EQ(device->Failure(), "");
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    const std::optional<PrintedFile> file = device->TakeFile();
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->path, path);
    EXPECT_EQ(file->content.rfind("%PDF-", 0), 0u);
    EXPECT_NE(file->content.find("%%EOF"), std::string::npos);
}

}  // namespace
}  // namespace vantor
