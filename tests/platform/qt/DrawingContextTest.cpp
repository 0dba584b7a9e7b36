#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include "platform/qt/QtDrawingContext.h"

namespace vantor {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

// Draws on a white image with the dialogs' font; ink is what is not white.
class DrawingContextTest : public testing::Test {
  protected:
    DrawingContextTest() : image(200, 40, QImage::Format_RGB32), font("DejaVu Sans", 8) {
        image.fill(Qt::white);
        painter.begin(&image);
        dc = std::make_unique<QtDrawingContext>(painter, font, palette);
    }
    QImage Done() {
        dc.reset();
        painter.end();
        return image;
    }
    // Leftmost and rightmost ink columns, and topmost and bottommost ink rows.
    static QRect Ink(const QImage& image, QRgb paper = kWhite) {
        int left = image.width(), right = -1, top = image.height(), bottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != paper) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
    }

    QImage image;
    QFont font;
    QPalette palette;
    QPainter painter;
    std::unique_ptr<QtDrawingContext> dc;
};

TEST_F(DrawingContextTest, RightAlignedTextEndsAtTheRightEdge) {
    dc->SetBkColor(MakeColor(255, 255, 255));
    Rect rect{10, 0, 150, 40};
    Rect measure{0, 0, 0, 0};
    dc->DrawText("1234  ", measure, DT_CALCRECT | DT_SINGLELINE);
    dc->DrawText("1234  ", rect, DT_SINGLELINE | DT_RIGHT);
    const QRect ink = Ink(Done());
    ASSERT_FALSE(ink.isNull());
    const int blanks = 2 * QFontMetrics(font).horizontalAdvance(QLatin1Char(' '));
    // The digits end two blanks short of the right edge; the text starts where its width says.
    EXPECT_LE(ink.right(), 150 - blanks);
    EXPECT_GE(ink.right(), 150 - blanks - 3);
    EXPECT_GE(ink.left(), 150 - measure.Width());
    EXPECT_LE(ink.left(), 150 - measure.Width() + 3);
    EXPECT_LT(ink.top(), 14);  // no vertical centring asked for
}

TEST_F(DrawingContextTest, VerticallyCentredLeftText) {
    Rect rect{20, 0, 200, 40};
    dc->SetBkColor(MakeColor(255, 255, 255));
    const int height = dc->DrawText("Name", rect, DT_SINGLELINE | DT_VCENTER);
    const QRect ink = Ink(Done());
    EXPECT_EQ(height, QFontMetrics(font).height());
    EXPECT_GE(ink.left(), 20);
    EXPECT_LE(ink.left(), 22);
    EXPECT_NEAR((ink.top() + ink.bottom()) / 2.0, 20, 3);
}

TEST_F(DrawingContextTest, CalcRectMeasuresAndDrawsNothing) {
    Rect rect{5, 7, 5, 7};
    const int height = dc->DrawText("a&b", rect, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    Rect plain{0, 0, 0, 0};
    dc->DrawText("ab", plain, DT_CALCRECT | DT_SINGLELINE);
    const QFontMetrics metrics(font);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.top, 7);
    EXPECT_EQ(rect.Width(), metrics.horizontalAdvance(QStringLiteral("a&b")));
    EXPECT_EQ(rect.Height(), metrics.height());
    EXPECT_EQ(height, metrics.height());
    // The ampersand is a character like any other.
    EXPECT_GT(rect.Width(), plain.Width());
    EXPECT_TRUE(Ink(Done()).isNull());
}

TEST_F(DrawingContextTest, TextIsDrawnOnTheBackgroundColourAndClippedToItsRectangle) {
    EXPECT_EQ(dc->SetTextColor(MakeColor(0, 0, 255)), FromQColor(palette.color(QPalette::Text)));
    EXPECT_EQ(dc->SetBkColor(MakeColor(255, 0, 0)), FromQColor(palette.color(QPalette::Base)));
    Rect rect{0, 0, 30, 40};
    dc->DrawText("WWWWWWWWWW", rect, DT_SINGLELINE);
    const QImage done = Done();
    const QRect ink = Ink(done);
    EXPECT_EQ(ink.left(), 0);
    EXPECT_EQ(ink.right(), 29);
    EXPECT_EQ(done.pixel(29, 1), qRgb(255, 0, 0));  // the text's cell, off the glyphs
    bool blue = false;
    for (int y = 0; y < 14 && !blue; ++y) {
        for (int x = 0; x < 30 && !blue; ++x) {
            blue = done.pixel(x, y) == qRgb(0, 0, 255);
        }
    }
    EXPECT_TRUE(blue);
}

TEST_F(DrawingContextTest, ANameTooLongForItsRoomEndsInAnEllipsis) {
    dc->SetBkColor(MakeColor(255, 255, 255));
    Rect rect{0, 0, 60, 40};
    dc->DrawText("WWWWWWWWWWWWWWWW", rect, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    const QImage done = Done();
    const QRect ink = Ink(done);
    ASSERT_FALSE(ink.isNull());
    EXPECT_LT(ink.right(), 60);
    // The last few inked columns are the ellipsis: dots on the base line, not a cut letter.
    const QRect end = Ink(done.copy(ink.right() - 5, 0, 6, done.height()));
    EXPECT_LE(end.height(), 2);
}

TEST_F(DrawingContextTest, FillsAndInvertsTheFocusRectangleDotByDot) {
    dc->FillSolidRect({10, 10, 20, 15}, MakeColor(0, 128, 0));
    dc->DrawFocusRect({40, 10, 60, 30});
    QImage once = image.copy();
    dc->DrawFocusRect({40, 10, 60, 30});
    const QImage twice = Done();
    EXPECT_EQ(once.pixel(10, 10), qRgb(0, 128, 0));
    EXPECT_EQ(once.pixel(19, 14), qRgb(0, 128, 0));
    EXPECT_EQ(once.pixel(20, 14), kWhite);
    EXPECT_EQ(once.pixel(40, 10), qRgb(0, 0, 0));
    EXPECT_EQ(once.pixel(41, 10), kWhite);
    EXPECT_EQ(once.pixel(42, 29), qRgb(0, 0, 0));
    EXPECT_EQ(once.pixel(59, 12), qRgb(0, 0, 0));
    EXPECT_EQ(once.pixel(50, 20), kWhite);
    EXPECT_TRUE(Ink(twice.copy(30, 0, 170, 40)).isNull());
}

TEST_F(DrawingContextTest, SystemColoursComeFromThePalette) {
    EXPECT_EQ(dc->SysColor(COLOR_WINDOW), FromQColor(palette.color(QPalette::Base)));
    EXPECT_EQ(dc->SysColor(COLOR_WINDOWTEXT), FromQColor(palette.color(QPalette::Text)));
    EXPECT_EQ(dc->SysColor(COLOR_HIGHLIGHT), FromQColor(palette.color(QPalette::Highlight)));
    EXPECT_EQ(dc->SysColor(COLOR_HIGHLIGHTTEXT),
              FromQColor(palette.color(QPalette::HighlightedText)));
    EXPECT_EQ(dc->CharWidth(' '), QFontMetrics(font).horizontalAdvance(QLatin1Char(' ')));
    EXPECT_GT(dc->CharWidth('W'), dc->CharWidth('i'));
    Done();
}

TEST(Colours, AreStoredAsBlueGreenRed) {
    const Color blue = MakeColor(0, 0, 255);
    EXPECT_EQ(blue, 0x00FF0000u);
    EXPECT_EQ(ToQColor(blue), QColor(0, 0, 255));
    EXPECT_EQ(FromQColor(QColor(1, 2, 3)), 0x00030201u);
}

}  // namespace
}  // namespace vantor
