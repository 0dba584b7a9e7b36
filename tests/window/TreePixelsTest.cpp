// The result tree as drawn in the window, read back pixel by pixel: the blue count column
// against the right edge, the selection highlight, literal texts, and what a paint costs.

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "WindowFixture.h"

namespace vantor::test {
namespace {

// Pure blue, allowing for the soft edges of drawn text.
bool IsCountBlue(QRgb pixel) {
    return qRed(pixel) < 60 && qGreen(pixel) < 60 && qBlue(pixel) > 200;
}

struct Span {
    int left = 0;
    int right = 0;  // last matching column
};

class TreePixels : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        SampleDirectory::Build(dir);
        dir.AddObjects(dir.Path("R&D.acme"), "User", 7);
        dir.AddObjects(dir.Path("A.acme"), "User", 5);
        dir.AddObjects(dir.Path("Big Dept.acme"), "User", 1);
        client.InjectFailure({DirOp::Search, -601, "Big Dept.acme", 0});
        Press(res::IDC_BY_CONTAINER);
        Press(res::IDC_COUNT);
    }

    QFontMetrics Metrics() const { return View()->fontMetrics(); }
    int ClientRight() const { return View()->ClientRect().right; }
    // Brings the line into view and draws the tree.
    QImage PaintWith(HTREEITEM item) {
        View()->EnsureVisible(item);
        return PaintTree();
    }
    // The columns of the line's row, between from and to, that have a pixel matching.
    template <typename Match>
    std::optional<Span> Columns(const QImage& image, HTREEITEM item, int from, int to,
                                Match match) const {
        const Rect row = View()->ItemTextRect(item);
        std::optional<Span> span;
        for (int x = std::max(from, 0); x < std::min(to, image.width()); ++x) {
            for (int y = std::max(row.top, 0); y < std::min(row.bottom, image.height()); ++y) {
                if (match(image.pixel(x, y))) {
                    span = Span{span ? span->left : x, x};
                    break;
                }
            }
        }
        return span;
    }
    std::optional<Span> BlueColumns(const QImage& image, HTREEITEM item) const {
        return Columns(image, item, 0, image.width(), IsCountBlue);
    }
    QRgb PixelInRow(const QImage& image, HTREEITEM item, int x) const {
        const Rect row = View()->ItemTextRect(item);
        return image.pixel(x, (row.top + row.bottom) / 2);
    }
    QColor Palette(QPalette::ColorRole role) const { return View()->palette().color(role); }
};

TEST_F(TreePixels, AResultLinesCountIsBlueAndEndsTwoBlanksBeforeTheRightEdge) {
    const int blank = Metrics().horizontalAdvance(QLatin1Char(' '));
    for (const auto& [text, count] : {std::pair{"Sales 10", "10"}, std::pair{"A 5", "5"}}) {
        const HTREEITEM line = FindLine(text);
        ASSERT_NE(line, 0u) << text;
        const QImage image = PaintWith(line);
        const std::optional<Span> blue = BlueColumns(image, line);
        ASSERT_TRUE(blue.has_value()) << text;
        const int end = ClientRight() - 2 * blank;
        EXPECT_LE(blue->right, end) << text;
        EXPECT_GE(blue->right, end - 3) << text;
        EXPECT_GE(blue->left, end - Metrics().horizontalAdvance(QString::fromLatin1(count)) - 1)
            << text;
    }
}

TEST_F(TreePixels, LinesWithoutACountHaveNoBlueEvenWithBlanksInTheirText) {
    for (const std::string& text :
         {std::string("Big Dept:ERRORS"), std::string("-601:NWDSSearch:Big Dept.acme")}) {
        const HTREEITEM line = FindLine(text);
        ASSERT_NE(line, 0u) << text;
        // Under a result line without lines of its own, which a count leaves collapsed.
        window.m_tree.Expand(FindLine("Big Dept 0"), TVE_EXPAND);
        const QImage image = PaintWith(line);
        EXPECT_FALSE(BlueColumns(image, line).has_value()) << text;
        // Drawn whole from the left: the text reaches as far as its full width.
        const Rect row = View()->ItemTextRect(line);
        const QRgb base = Palette(QPalette::Base).rgb();
        const std::optional<Span> ink = Columns(image, line, row.left, ClientRight(),
                                                [&](QRgb pixel) { return pixel != base; });
        ASSERT_TRUE(ink.has_value()) << text;
        const int width = Metrics().horizontalAdvance(QString::fromStdString(text));
        EXPECT_NEAR(ink->right + 1, row.left + 2 + width, 3) << text;
    }
}

TEST_F(TreePixels, TheSelectionHighlightRunsToTheRightEdgeAndTheCountIsNotBlue) {
    const HTREEITEM sales = FindLine("Sales 10");
    const HTREEITEM acme = FindLine("acme 4");
    ASSERT_NE(sales, 0u);
    window.m_tree.Select(sales);
    ASSERT_FALSE(View()->hasFocus());
    const QImage image = PaintWith(sales);
    const QRgb highlight = Palette(QPalette::Highlight).rgb();
    const Rect row = View()->ItemTextRect(sales);
    EXPECT_EQ(PixelInRow(image, sales, row.left), highlight);
    EXPECT_EQ(PixelInRow(image, sales, ClientRight() - 1), highlight);
    EXPECT_NE(PixelInRow(image, sales, row.left - 1), highlight);
    EXPECT_FALSE(BlueColumns(image, sales).has_value());
    // The count is there, in the highlight's text colour (its thin strokes blend with the
    // highlight a little).
    const QRgb text = Palette(QPalette::HighlightedText).rgb();
    const auto near = [&](QRgb pixel) {
        return std::abs(qRed(pixel) - qRed(text)) < 48 &&
               std::abs(qGreen(pixel) - qGreen(text)) < 48 &&
               std::abs(qBlue(pixel) - qBlue(text)) < 48;
    };
    const int blank = Metrics().horizontalAdvance(QLatin1Char(' '));
    const int countLeft = ClientRight() - 2 * blank - Metrics().horizontalAdvance("10");
    const std::optional<Span> count = Columns(image, sales, countLeft, ClientRight(), near);
    ASSERT_TRUE(count.has_value());
    EXPECT_LE(count->right, ClientRight() - 2 * blank);
    // Other lines keep the window's background to the edge.
    EXPECT_EQ(PixelInRow(image, acme, ClientRight() - 1), Palette(QPalette::Base).rgb());
}

TEST_F(TreePixels, AnAmpersandIsDrawnAndMeasuredAsItself) {
    const HTREEITEM line = FindLine("R&D 7");
    ASSERT_NE(line, 0u);
    const QImage image = PaintWith(line);
    const Rect row = View()->ItemTextRect(line);
    const QRgb base = Palette(QPalette::Base).rgb();
    const int blank = Metrics().horizontalAdvance(QLatin1Char(' '));
    const int countLeft = ClientRight() - 2 * blank - Metrics().horizontalAdvance("7") - 1;
    const std::optional<Span> name = Columns(image, line, row.left, countLeft, [&](QRgb pixel) {
        return pixel != base && !IsCountBlue(pixel);
    });
    ASSERT_TRUE(name.has_value());
    const int literal = Metrics().horizontalAdvance("R&D");
    const int asMnemonic = Metrics().horizontalAdvance("RD");
    ASSERT_GT(literal - asMnemonic, 4);
    EXPECT_NEAR(name->right + 1, row.left + 2 + literal, 2);
    EXPECT_GE(name->left, row.left + 2 - 1);
    // The clickable width follows the literal text too.
    const int whole = Metrics().horizontalAdvance("R&D 7");
    EXPECT_EQ(window.m_tree.ControlText(line).size(),
              static_cast<std::size_t>((whole + blank - 1) / blank));
}

class LongTree : public WindowTest {
  protected:
    static constexpr int kContainers = 200;
    void SetUp() override {
        WindowTest::SetUp();
        for (int i = 0; i < kContainers; ++i) {
            dir.AddObjects(dir.Path("C" + std::to_string(i) + ".acme"), "User", 1);
        }
        Press(res::IDC_BY_CONTAINER);
        Press(res::IDC_COUNT);
    }
};

TEST_F(LongTree, APaintFitsThePlaceholdersOfTheShownLinesOnly) {
    PaintTree();
    const TreeControl& tree = window.m_tree;
    const auto page = static_cast<std::size_t>(View()->PageRows());
    ASSERT_GT(tree.VisibleRows(), page + 2);
    EXPECT_FALSE(tree.ControlText(tree.ItemAtRow(0)).empty());
    EXPECT_FALSE(tree.ControlText(tree.ItemAtRow(page - 1)).empty());
    const HTREEITEM last = tree.ItemAtRow(tree.VisibleRows() - 1);
    EXPECT_TRUE(tree.ControlText(tree.ItemAtRow(page + 1)).empty());
    EXPECT_TRUE(tree.ControlText(last).empty());

    View()->EnsureVisible(last);
    PaintTree();
    EXPECT_FALSE(tree.ControlText(last).empty());
}

}  // namespace
}  // namespace vantor::test
