#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <vector>

#include "platform/DrawingContext.h"
#include "platform/ResourceIds.h"
#include "platform/qt/QtResources.h"
#include "platform/qt/QtTreeView.h"
#include "platform/qt/TreeAccessibility.h"

namespace vantor {
namespace {

HTREEITEM Add(TreeControl& tree, HTREEITEM parent, int image = 0, int selectedImage = 0,
              bool expanded = false) {
    TVINSERTSTRUCT record;
    record.hParent = parent;
    record.item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    record.item.iImage = image;
    record.item.iSelectedImage = selectedImage;
    record.item.stateMask = TVIS_EXPANDED;
    record.item.state = expanded ? TVIS_EXPANDED : 0;
    return tree.Insert(record);
}

// A tree that paints over the view the way the result tree does: it walks the lines from
// the first one in view to the end, and marks each text rectangle.
class MarkingTree : public TreeControl {
  public:
    void OnPaint(TreeViewPort& view, DrawingContext& dc) override {
        ++paints;
        client = view.ClientRect();
        rects.clear();
        for (HTREEITEM item = Next(0, TVGN_FIRSTVISIBLE); item != 0;
             item = Next(item, TVGN_NEXTVISIBLE)) {
            rects.emplace_back(item, view.ItemTextRect(item));
        }
        if (mark != 0) {
            dc.FillSolidRect(view.ItemTextRect(mark), MakeColor(255, 0, 0));
        }
    }
    int paints = 0;
    Rect client;
    HTREEITEM mark = 0;
    std::vector<std::pair<HTREEITEM, Rect>> rects;
};

class TreeView : public testing::Test {
  protected:
    void SetUp() override {
        view.SetImageList(CutImageStrip(BitmapResource(res::IDB_TREE_IMAGES), 12));
        view.resize(240, 200);
        view.SetTree(&tree);
        view.show();
        view.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    }
    // Lets the view follow the tree's changes: it refreshes at most every few tens of ms.
    void Settle() {
        QCoreApplication::processEvents();
        for (int i = 0; i < 100 && view.RefreshPending(); ++i) {
            QTest::qWait(5);
        }
    }
    // The viewport as drawn, after the waiting changes took effect.
    QImage Paint() {
        Settle();
        return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    QPoint Middle(const Rect& r) const { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    QRect ImageArea(HTREEITEM item) const {
        const Rect text = view.ItemTextRect(item);
        return {text.left - TreeRowLayout::kImageGap - 12, text.top + (view.RowHeight() - 12) / 2,
                12, 12};
    }
    static bool Same(const QImage& painted, const QRect& area, const QImage& image) {
        for (int y = 0; y < area.height(); ++y) {
            for (int x = 0; x < area.width(); ++x) {
                if (painted.pixel(area.left() + x, area.top() + y) != image.pixel(x, y)) {
                    return false;
                }
            }
        }
        return true;
    }
    QImage TreeImage(int index) const {
        return BitmapResource(res::IDB_TREE_IMAGES)
            .toImage()
            .convertToFormat(QImage::Format_RGB32)
            .copy(index * 12, 0, 12, 12);
    }
    int InkInColumn(const QImage& image, int x, int top, int bottom) const {
        const QRgb base = view.palette().color(QPalette::Base).rgb();
        int ink = 0;
        for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y) {
            ink += image.pixel(x, y) != base ? 1 : 0;
        }
        return ink;
    }

    MarkingTree tree;
    QtTreeView view;
};

TEST_F(TreeView, ScrollsALargeTreeByRows) {
    const HTREEITEM root = Add(tree, TVI_ROOT, 0, 0, true);
    HTREEITEM last = 0;
    for (int i = 0; i < 100000; ++i) {
        last = Add(tree, root, 1, 1);
    }
    Settle();
    const std::size_t rows = tree.VisibleRows();
    ASSERT_EQ(rows, 100001u);
    const int page = view.PageRows();
    EXPECT_EQ(page, view.viewport()->height() / view.RowHeight());
    QScrollBar* bar = view.verticalScrollBar();
    EXPECT_EQ(bar->maximum(), static_cast<int>(rows) - page);
    EXPECT_EQ(bar->pageStep(), page);

    bar->setValue(bar->maximum());
    EXPECT_EQ(tree.FirstVisibleRow(), rows - static_cast<std::size_t>(page));
    const QImage painted = Paint();
    // The last line is the bottom row in view, its image where it belongs.
    const Rect lastText = view.ItemTextRect(last);
    EXPECT_EQ(lastText.top, (page - 1) * view.RowHeight());
    EXPECT_TRUE(Same(painted, ImageArea(last), TreeImage(1)));
    // The tree's own painting still reads every line from the first in view to the end.
    EXPECT_EQ(tree.rects.size(), static_cast<std::size_t>(page));

    // Moving the tree's first row moves the scroll bar along.
    tree.SetFirstVisibleRow(10);
    Settle();
    EXPECT_EQ(bar->value(), 10);
}

TEST_F(TreeView, TextRectanglesFollowRowsIndentImagesAndPlaceholders) {
    const HTREEITEM root = Add(tree, TVI_ROOT, 0, 0, true);
    const HTREEITEM child = Add(tree, root);
    tree.SetControlText(child, std::string(10, ' '));
    const int blank = view.fontMetrics().horizontalAdvance(QLatin1Char(' '));
    const Rect rect = view.ItemTextRect(child);
    const int indent = view.Indent();
    EXPECT_EQ(rect.left, 2 * indent + 12 + TreeRowLayout::kImageGap);
    EXPECT_EQ(rect.Width(), 10 * blank + 2 * TreeRowLayout::kTextMargin);
    EXPECT_EQ(rect.top, view.RowHeight());
    EXPECT_EQ(rect.Height(), view.RowHeight());

    view.SetIndent(indent / 2);
    EXPECT_EQ(view.ItemTextRect(child).left, 2 * (indent / 2) + 12 + TreeRowLayout::kImageGap);

    tree.Expand(root, TVE_COLLAPSE);
    EXPECT_EQ(view.ItemTextRect(child), Rect{});  // not a row now
}

TEST_F(TreeView, TheTreesPaintWalkGetsTheRightRectangleForEveryLine) {
    const HTREEITEM a = Add(tree, TVI_ROOT, 0, 0, true);
    for (int i = 0; i < 30; ++i) {
        const HTREEITEM b = Add(tree, a, 0, 0, i % 3 == 0);
        Add(tree, b);
        Add(tree, b);
    }
    Add(tree, TVI_ROOT);
    tree.SetFirstVisibleRow(5);
    Paint();
    ASSERT_GT(tree.paints, 0);
    EXPECT_EQ(tree.client, (Rect{0, 0, view.viewport()->width(), view.viewport()->height()}));
    ASSERT_EQ(tree.rects.size(), tree.VisibleRows() - 5);
    for (const auto& [item, rect] : tree.rects) {
        const auto row = static_cast<int>(tree.RowOf(item));
        EXPECT_EQ(rect.top, (row - 5) * view.RowHeight()) << row;
    }
    // A collapse between two reads moves the rows after it.
    const HTREEITEM second = tree.Next(tree.Next(a, TVGN_CHILD), TVGN_NEXT);
    const HTREEITEM third = tree.Next(second, TVGN_NEXT);
    view.ItemTextRect(second);
    tree.Expand(tree.Next(a, TVGN_CHILD), TVE_COLLAPSE);
    EXPECT_EQ(view.ItemTextRect(third).top,
              (static_cast<int>(tree.RowOf(third)) - 5) * view.RowHeight());
}

TEST_F(TreeView, TheTreePaintsOverTheViewInTheSamePaint) {
    const HTREEITEM item = Add(tree, TVI_ROOT);
    tree.SetControlText(item, "    ");
    tree.mark = item;
    const QImage painted = Paint();
    EXPECT_EQ(painted.pixel(Middle(view.ItemTextRect(item))), qRgb(255, 0, 0));
}

TEST_F(TreeView, TheSelectedItemShowsItsSelectedImage) {
    ASSERT_NE(TreeImage(0), TreeImage(1));
    const HTREEITEM first = Add(tree, TVI_ROOT, 0, 1);
    const HTREEITEM second = Add(tree, TVI_ROOT, 0, 1);
    tree.Select(second);
    QImage painted = Paint();
    EXPECT_TRUE(Same(painted, ImageArea(first), TreeImage(0)));
    EXPECT_TRUE(Same(painted, ImageArea(second), TreeImage(1)));
    tree.Select(first);
    painted = Paint();
    EXPECT_TRUE(Same(painted, ImageArea(first), TreeImage(1)));
    EXPECT_TRUE(Same(painted, ImageArea(second), TreeImage(0)));
}

TEST_F(TreeView, TwoDevicePixelsPerPixelShowTheImagesDrawnAtTwiceTheResolution) {
    const QPixmap plain = BitmapResource(res::IDB_TREE_IMAGES);
    const QPixmap sharp = BitmapResource(res::IDB_TREE_IMAGES, 2);
    ASSERT_EQ(sharp.devicePixelRatio(), 2);
    ASSERT_EQ(sharp.size(), plain.size() * 2);
    view.SetImageList(CutImageStrip(plain, 12), CutImageStrip(sharp, 12));
    std::vector<HTREEITEM> items;
    for (int index = 0; index < 4; ++index) {
        items.push_back(Add(tree, TVI_ROOT, index, index));
    }
    Settle();
    QImage painted(view.viewport()->size() * 2, QImage::Format_RGB32);
    painted.setDevicePixelRatio(2);
    view.viewport()->render(&painted);
    for (int index = 0; index < 4; ++index) {
        // The same place as at one device pixel per pixel, in device-independent pixels.
        const QRect area = ImageArea(items[static_cast<std::size_t>(index)]);
        const QImage drawn =
            sharp.toImage().convertToFormat(QImage::Format_RGB32).copy(index * 24, 0, 24, 24);
        EXPECT_TRUE(Same(painted, QRect(area.topLeft() * 2, QSize(24, 24)), drawn)) << index;
        // Drawn anew, not the plain image's pixels doubled.
        EXPECT_NE(drawn, TreeImage(index).scaled(24, 24)) << index;
    }
}

TEST_F(TreeView, LinesJoinSiblingsAndRunPastChildrenOnlyWhereSiblingsFollow) {
    const HTREEITEM root = Add(tree, TVI_ROOT, 0, 0, true);
    const HTREEITEM a = Add(tree, root, 0, 0, true);
    const HTREEITEM a1 = Add(tree, a);
    Add(tree, root);
    const QImage painted = Paint();
    const int h = view.RowHeight();
    const int indent = view.Indent();
    const Rect a1Row = view.ItemTextRect(a1);
    // Column of level 1 in a1's row: a has a sibling below, so its line runs through.
    EXPECT_GE(InkInColumn(painted, indent + indent / 2, a1Row.top, a1Row.bottom), h / 2 - 1);
    // Column of level 0: the root has no sibling, so nothing there after the root's row.
    EXPECT_EQ(InkInColumn(painted, indent / 2, h + h / 2 + 1, 4 * h), 0);
    // a1's own column: a line from the top to its middle, none below (no sibling follows).
    const int x = 2 * indent + indent / 2;
    EXPECT_GT(InkInColumn(painted, x, a1Row.top, a1Row.top + h / 2), 0);
    EXPECT_EQ(InkInColumn(painted, x, a1Row.top + h / 2 + 1, a1Row.bottom), 0);
}

TEST_F(TreeView, ExpandButtonsShowPlusOrMinusAndToggleOnClick) {
    const HTREEITEM root = Add(tree, TVI_ROOT);
    Add(tree, root);
    const HTREEITEM leaf = Add(tree, TVI_ROOT);
    EXPECT_TRUE(view.ButtonRect(leaf).isNull());
    const QRect box = view.ButtonRect(root);
    ASSERT_FALSE(box.isNull());
    const QRgb text = view.palette().color(QPalette::Text).rgb();
    const QPoint aboveCentre = box.center() - QPoint(0, 2);

    EXPECT_EQ(Paint().pixel(aboveCentre), text);  // plus
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_TRUE(tree.IsExpanded(root));
    EXPECT_EQ(tree.VisibleRows(), 3u);
    EXPECT_NE(Paint().pixel(aboveCentre), text);  // minus
    EXPECT_EQ(Paint().pixel(box.center()), text);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_FALSE(tree.IsExpanded(root));
    EXPECT_EQ(tree.Selected(), 0u);
}

TEST_F(TreeView, AClickAnywhereRightOfTheButtonsSelectsTheLineAndTellsTheListener) {
    const HTREEITEM first = Add(tree, TVI_ROOT);
    const HTREEITEM second = Add(tree, TVI_ROOT);
    tree.SetControlText(second, "      ");
    std::vector<HTREEITEM> told;
    tree.onSelectionChanged = [&](HTREEITEM item) { told.push_back(item); };
    const Rect text = view.ItemTextRect(second);

    // Left of the image (the lines' column) and below the last line: nothing.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(2, text.top + 2));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(text.left, text.bottom + 5));
    EXPECT_EQ(tree.Selected(), 0u);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, Middle(text));
    EXPECT_EQ(tree.Selected(), second);
    EXPECT_EQ(told, std::vector<HTREEITEM>{second});
    EXPECT_TRUE(view.hasFocus());

    tree.Select(0);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, ImageArea(second).center());
    EXPECT_EQ(tree.Selected(), second);
    // Where a count stands, at the right edge, far right of the line's own text.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                      QPoint(view.viewport()->width() - 3, view.ItemTextRect(first).top + 2));
    EXPECT_EQ(tree.Selected(), first);
}

TEST_F(TreeView, TypingANamesFirstLettersSelectsIt) {
    const HTREEITEM root = Add(tree, TVI_ROOT, 0, 0, true);
    std::vector<HTREEITEM> lines;
    for (const char* name : {"Alpha", "beta", "Beta two", "gamma", "Beaver"}) {
        lines.push_back(Add(tree, root));
        tree.SetControlText(lines.back(), name);
    }
    tree.SetControlText(root, "Root");
    QCoreApplication::processEvents();
    view.setFocus();
    struct Case {
        const char* typed;
        HTREEITEM selectedBefore;
        HTREEITEM expected;
    };
    const Case cases[] = {
        {"b", 0, lines[1]},              // from the top, whatever the case
        {"bet", lines[0], lines[1]},     // a longer prefix stays on a line it matches
        {"bea", lines[0], lines[4]},     // or goes on to the next that does
        {"bbb", 0, lines[4]},            // one letter again steps through its names
        {"b", lines[4], lines[1]},       // and wraps round to the top
        {"beta t", lines[0], lines[2]},  // a blank inside a prefix is typed
        {"x", lines[3], lines[3]},       // no match: the selection stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        tree.Select(c.selectedBefore);
        QTest::qWait(QApplication::keyboardInputInterval() + 50);  // a new word
        QTest::keyClicks(&view, QString::fromLatin1(c.typed));
        EXPECT_EQ(tree.Selected(), c.expected);
    }
}

TEST_F(TreeView, ADoubleClickOnAnItemTogglesIt) {
    const HTREEITEM root = Add(tree, TVI_ROOT);
    Add(tree, root);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, Middle(view.ItemTextRect(root)));
    EXPECT_TRUE(tree.IsExpanded(root));
    EXPECT_EQ(tree.Selected(), root);
}

TEST_F(TreeView, KeysMoveTheSelectionAndKeepItInView) {
    const HTREEITEM root = Add(tree, TVI_ROOT, 0, 0, true);
    std::vector<HTREEITEM> children;
    for (int i = 0; i < 40; ++i) {
        children.push_back(Add(tree, root));
    }
    Add(tree, children[0]);
    QCoreApplication::processEvents();
    const auto page = static_cast<std::size_t>(view.PageRows());
    view.setFocus();

    QTest::keyClick(&view, Qt::Key_Down);  // nothing selected: the top line
    EXPECT_EQ(tree.Selected(), root);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(tree.Selected(), children[0]);
    QTest::keyClick(&view, Qt::Key_Right);  // expands
    EXPECT_TRUE(tree.IsExpanded(children[0]));
    QTest::keyClick(&view, Qt::Key_Right);  // to the first child
    EXPECT_EQ(tree.Selected(), tree.Next(children[0], TVGN_CHILD));
    QTest::keyClick(&view, Qt::Key_Left);  // to the parent
    EXPECT_EQ(tree.Selected(), children[0]);
    QTest::keyClick(&view, Qt::Key_Left);  // collapses
    EXPECT_FALSE(tree.IsExpanded(children[0]));
    QTest::keyClick(&view, Qt::Key_Plus);
    EXPECT_TRUE(tree.IsExpanded(children[0]));
    QTest::keyClick(&view, Qt::Key_Minus);
    EXPECT_FALSE(tree.IsExpanded(children[0]));
    QTest::keyClick(&view, Qt::Key_Up);
    EXPECT_EQ(tree.Selected(), root);

    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(tree.Selected(), children.back());
    EXPECT_EQ(tree.FirstVisibleRow(), tree.VisibleRows() - page);
    QTest::keyClick(&view, Qt::Key_PageUp);
    EXPECT_EQ(tree.RowOf(tree.Selected()), tree.VisibleRows() - 1 - (page - 1));
    QTest::keyClick(&view, Qt::Key_Home);
    EXPECT_EQ(tree.Selected(), root);
    EXPECT_EQ(tree.FirstVisibleRow(), 0u);
    QTest::keyClick(&view, Qt::Key_PageDown);
    EXPECT_EQ(tree.RowOf(tree.Selected()), page - 1);
    EXPECT_EQ(tree.FirstVisibleRow(), 0u);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(tree.FirstVisibleRow(), 1u);  // scrolled by one to keep it in view
}

TEST_F(TreeView, TheWidestTextSetsTheHorizontalRange) {
    const HTREEITEM item = Add(tree, TVI_ROOT);
    Paint();
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
    tree.SetControlText(item, std::string(200, ' '));
    Paint();
    Settle();
    const Rect rect = view.ItemTextRect(item);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), rect.right - view.viewport()->width());
    view.horizontalScrollBar()->setValue(30);
    EXPECT_EQ(view.ItemTextRect(item).left, rect.left - 30);
}

TEST_F(TreeView, CollapsingNearTheEndLeavesNoEmptySpaceBelow) {
    const HTREEITEM root = Add(tree, TVI_ROOT, 0, 0, true);
    for (int i = 0; i < 50; ++i) {
        Add(tree, root);
    }
    Settle();
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    tree.Expand(root, TVE_COLLAPSE);
    Settle();
    EXPECT_EQ(tree.FirstVisibleRow(), 0u);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
}

TEST_F(TreeView, DetachingHandsTheTreesNotificationBack) {
    Paint();
    const int paints = tree.paints;
    view.SetTree(nullptr);
    EXPECT_FALSE(static_cast<bool>(tree.onChanged));
    Add(tree, TVI_ROOT);
    Paint();  // an empty view paints nothing of the tree
    EXPECT_EQ(tree.paints, paints);
}

TEST(TreeRowLayout, ButtonsFitTheIndentAndHitsFindTheParts) {
    TreeRowLayout layout;
    layout.indent = 19;
    layout.rowHeight = 16;
    layout.imageWidth = 12;
    EXPECT_EQ(layout.ButtonRect(0, 0), QRect(5, 4, 9, 9));
    layout.indent = 8;
    EXPECT_EQ(layout.ButtonRect(1, 16).width(), 7);
    EXPECT_EQ(layout.TextLeft(1), 16 + 12 + TreeRowLayout::kImageGap);
    EXPECT_EQ(layout.HitPart(9, 1, true, 40), TreeRowLayout::Part::kButton);
    EXPECT_EQ(layout.HitPart(9, 1, false, 40), TreeRowLayout::Part::kNone);
    EXPECT_EQ(layout.HitPart(16, 1, true, 40), TreeRowLayout::Part::kItem);
    EXPECT_EQ(layout.HitPart(39, 1, true, 40), TreeRowLayout::Part::kItem);
    EXPECT_EQ(layout.HitPart(40, 1, true, 40), TreeRowLayout::Part::kNone);
}

TEST(TreeRowLayout, RowsAreEvenAndHoldTheImages) {
    const QFontMetrics metrics(QFont(QStringLiteral("DejaVu Sans"), 8));
    const int small = TreeRowHeight(metrics, 0);
    EXPECT_EQ(small % 2, 0);
    EXPECT_GT(small, metrics.height());
    EXPECT_GE(TreeRowHeight(metrics, 40), 40);
    EXPECT_EQ(TreeRowHeight(metrics, 40) % 2, 0);
}

// A tree whose lines have counts, as the result tree's do.
class CountingTree : public TreeControl {
  public:
    std::string ItemCountText(HTREEITEM item) const override {
        return Data(item) != 0 ? std::to_string(Data(item)) : "";
    }
};

TEST(TreeAccessibility, EachShownLineTellsItsNameAndCount) {
    CountingTree tree;
    QtTreeView view;
    view.resize(240, 200);
    view.SetTree(&tree);
    view.show();
    auto add = [&](HTREEITEM parent, const char* name, std::intptr_t count) {
        TVINSERTSTRUCT record;
        record.hParent = parent;
        record.item.mask = TVIF_PARAM;
        record.item.lParam = count;
        const HTREEITEM item = tree.Insert(record);
        tree.SetControlText(item, name);
        return item;
    };
    const HTREEITEM root = add(TVI_ROOT, "[Root]", 3);
    const HTREEITEM sales = add(root, "Sales", 12);
    add(sales, "Sales:ERRORS", 0);
    tree.Expand(root, TVE_EXPAND);
    tree.Select(sales);

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Tree);
    struct Shown {
        QString name;
        QString count;
        bool selected;
        bool expanded;
    };
    auto shown = [&] {
        std::vector<Shown> lines;
        for (int i = 0; i < accessible->childCount(); ++i) {
            QAccessibleInterface* line = accessible->child(i);
            EXPECT_EQ(line->role(), QAccessible::TreeItem);
            EXPECT_EQ(accessible->indexOfChild(line), i);
            lines.push_back({line->text(QAccessible::Name), line->text(QAccessible::Description),
                             line->state().selected != 0, line->state().expanded != 0});
        }
        return lines;
    };
    auto names = [](const std::vector<Shown>& lines) {
        QStringList out;
        for (const Shown& line : lines) {
            out << line.name + "|" + line.count + (line.selected ? "|selected" : "") +
                       (line.expanded ? "|expanded" : "");
        }
        return out;
    };
    EXPECT_EQ(names(shown()), (QStringList{"[Root]|3|expanded", "Sales|12|selected"}));
    tree.Expand(sales, TVE_EXPAND);
    EXPECT_EQ(names(shown()),
              (QStringList{"[Root]|3|expanded", "Sales|12|selected|expanded", "Sales:ERRORS|"}));
    // Emptied and filled again, the handles come back with other lines behind them.
    tree.Clear();
    add(TVI_ROOT, "Dev", 5);
    EXPECT_EQ(names(shown()), (QStringList{"Dev|5"}));
}

TEST(TreeAccessibility, ASelectedLineIsAnnouncedAsTheChildAtItsRow) {
    CountingTree tree;
    QtTreeView view;
    view.resize(240, 120);
    view.SetTree(&tree);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    std::vector<HTREEITEM> lines;
    const HTREEITEM root = Add(tree, TVI_ROOT, 0, 0, true);
    const HTREEITEM hidden = Add(tree, Add(tree, root));  // under a collapsed line
    for (int i = 0; i < 30; ++i) {
        lines.push_back(Add(tree, root));
        tree.SetControlText(lines.back(), "line" + std::to_string(i));
    }
    tree.SetFirstVisibleRow(10);  // the children count rows of the whole tree, not of the view

    struct Case {
        HTREEITEM item;
        bool focused;
        QStringList expected;  // event type and the name of the line it resolves to
    };
    const Case cases[] = {
        {lines[20], true, {"Selection line20 22", "Focus line20 22"}},
        {lines[3], false, {"Selection line3 5"}},
        {hidden, true, {}},
    };
    for (const Case& c : cases) {
        if (c.focused) {
            view.setFocus();
        } else {
            view.clearFocus();
        }
        QStringList seen;
        for (const auto& event : SelectionEvents(view, c.item)) {
            const QString type = event->type() == QAccessible::Focus ? "Focus" : "Selection";
            seen << type + " " + event->accessibleInterface()->text(QAccessible::Name) + " " +
                        QString::number(event->child());
        }
        EXPECT_EQ(seen, c.expected);
    }
}

}  // namespace
}  // namespace vantor
