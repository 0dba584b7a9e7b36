#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/RecordingDrawingContext.h"
#include "support/RecordingViewPort.h"
#include "support/ResultLines.h"
#include "tree/CTextTreeCtrl.h"

namespace vantor {
namespace {

using test::AddResultLine;
using test::AddTextLine;
using test::DrawOp;
using test::kInitialBack;
using test::kInitialText;
using test::kSysHighlight;
using test::kSysHighlightText;
using test::kSysWindow;

constexpr unsigned kName = DT_SINGLELINE | DT_VCENTER;
constexpr unsigned kElidedName = kName | DT_END_ELLIPSIS;
constexpr unsigned kCount = DT_SINGLELINE | DT_RIGHT;
constexpr unsigned kMeasure = DT_CALCRECT | DT_SINGLELINE | DT_VCENTER;
constexpr int kCharWidth = 7;
constexpr Rect kLine{40, 32, 300, 48};  // a text rectangle already stretched to the client edge

Rect Inset(Rect rect) {
    rect.left += 2;
    return rect;
}

// A name's room ends where its count begins.
Rect NameRoom(const std::string& count) {
    Rect rect = Inset(kLine);
    rect.right -= kCharWidth * static_cast<int>(count.size());
    return rect;
}

class CountLinePainting : public ::testing::Test {
  protected:
    int Draw(HTREEITEM item, unsigned state, bool hasFocus) {
        Rect rect = kLine;
        return tree.DrawItem(item, dc, rect, state, hasFocus);
    }

    CCountTreeCtrl tree;
    test::RecordingDrawingContext dc{kCharWidth};
};

TEST_F(CountLinePainting, UnselectedResultLineHasNameLeftAndBlueCountRight) {
    const HTREEITEM item = AddResultLine(tree, 0, "Sales", 12);
    const int width = Draw(item, 0, true);

    ASSERT_EQ(dc.ops.size(), 3u);
    EXPECT_EQ(dc.ops[0].kind, DrawOp::Kind::kFill);
    EXPECT_EQ(dc.ops[0].rect, kLine);
    EXPECT_EQ(dc.ops[0].color, kSysWindow);

    EXPECT_EQ(dc.ops[1].text, "Sales ");
    EXPECT_EQ(dc.ops[1].rect, NameRoom("12  "));
    EXPECT_EQ(dc.ops[1].format, kElidedName);
    EXPECT_EQ(dc.ops[1].color, kInitialText);  // never set for an unselected line
    EXPECT_EQ(dc.ops[1].back, kInitialBack);

    EXPECT_EQ(dc.ops[2].text, "12  ");
    EXPECT_EQ(dc.ops[2].rect, Inset(kLine));
    EXPECT_EQ(dc.ops[2].format, kCount);
    EXPECT_EQ(dc.ops[2].color, MakeColor(0, 0, 255));

    EXPECT_EQ(dc.textColor, kInitialText);
    EXPECT_EQ(dc.backColor, kInitialBack);
    // The width is that of the whole stored text, measured as one run.
    EXPECT_EQ(width, dc.TextWidth("Sales 12"));
    ASSERT_FALSE(dc.measured.empty());
    EXPECT_EQ(dc.measured.back(), std::make_pair(std::string("Sales 12"), kMeasure));
}

TEST_F(CountLinePainting, SelectedLineIsHighlightedToTheClientEdgeWithFocusRectOnlyWithFocus) {
    const HTREEITEM item = AddResultLine(tree, 0, "Dev", 5);
    for (bool hasFocus : {true, false}) {
        SCOPED_TRACE(hasFocus);
        dc.ops.clear();
        Draw(item, TVIS_SELECTED, hasFocus);

        const std::vector<DrawOp> fills = dc.Fills();
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_EQ(fills[0].rect, kLine);
        EXPECT_EQ(fills[0].color, kSysHighlight);

        const std::vector<DrawOp> texts = dc.Texts();
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[0].text, "Dev ");
        EXPECT_EQ(texts[1].text, "5  ");
        EXPECT_EQ(texts[1].format, kCount);
        for (const DrawOp& text : texts) {
            EXPECT_EQ(text.color, kSysHighlightText);  // the count too: not blue
            EXPECT_EQ(text.back, kSysHighlight);
        }
        EXPECT_EQ(texts[0].rect, NameRoom("5  "));
        EXPECT_EQ(texts[1].rect, Inset(kLine));
        const std::vector<DrawOp> focus = dc.Focus();
        if (hasFocus) {
            ASSERT_EQ(focus.size(), 1u);
            EXPECT_EQ(focus[0].rect, kLine);
            EXPECT_EQ(dc.ops.back().kind, DrawOp::Kind::kFocus);
        } else {
            EXPECT_TRUE(focus.empty());
        }
        EXPECT_EQ(dc.textColor, kInitialText);
        EXPECT_EQ(dc.backColor, kInitialBack);
    }
}

TEST_F(CountLinePainting, LinesWithoutDataAreDrawnWholeAsAName) {
    const HTREEITEM root = AddResultLine(tree, 0, "Sales Dept", 0);
    const std::string texts[] = {"CANCELLED", "Sales Dept:ERRORS",
                                 "-601:NWDSSearch:QA.Sales Dept.acme",
                                 "-649:NWDSAllocBuf:", "ends in a blank "};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        const HTREEITEM line = AddTextLine(tree, root, text);
        for (unsigned state : {0u, TVIS_SELECTED}) {
            dc.ops.clear();
            const int width = Draw(line, state, false);
            const std::vector<DrawOp> drawn = dc.Texts();
            ASSERT_EQ(drawn.size(), 1u);
            EXPECT_EQ(drawn[0].text, text);
            EXPECT_EQ(drawn[0].format, kName);
            EXPECT_NE(drawn[0].color, MakeColor(0, 0, 255));
            EXPECT_EQ(width, dc.TextWidth(text));
        }
    }
}

TEST_F(CountLinePainting, ResultLinesSplitAtTheBlankBeforeTheCount) {
    struct Case {
        std::string name;
        std::int32_t count;
        std::string drawnName;
        std::string drawnCount;
    };
    const Case cases[] = {
        {"A", 5, "A ", "5  "},
        {"Sales Dept", 12, "Sales Dept ", "12  "},
        {"[Root]", 0, "[Root] ", "0  "},
        {"R&D", 4, "R&D ", "4  "},  // drawn literally
        // A name cannot draw a line break or a terminal sequence; it shows them as escapes.
        {"Evil\n99\t\tFake", 1, "Evil\\n99\\t\\tFake ", "1  "},
        {"Bell\a\x1b[2J\x7f", 2, "Bell\\x07\\x1b[2J\\x7f ", "2  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dc.ops.clear();
        Draw(AddResultLine(tree, 0, c.name, c.count), 0, false);
        const std::vector<DrawOp> drawn = dc.Texts();
        ASSERT_EQ(drawn.size(), 2u);
        EXPECT_EQ(drawn[0].text, c.drawnName);
        EXPECT_EQ(drawn[1].text, c.drawnCount);
    }
}

TEST(TextLinePainting, PlainTextTreeHighlightsOnlyTheTextWidth) {
    CTextTreeCtrl tree;
    test::RecordingDrawingContext dc{kCharWidth};
    const HTREEITEM item = AddResultLine(tree, 0, "Sales", 12);
    const int textWidth = dc.TextWidth("Sales 12");

    Rect rect = kLine;
    EXPECT_EQ(tree.DrawItem(item, dc, rect, TVIS_SELECTED, true), textWidth);
    Rect narrow = kLine;
    narrow.right = kLine.left + textWidth + 4;
    ASSERT_EQ(dc.ops.size(), 3u);
    EXPECT_EQ(dc.ops[0].rect, narrow);
    EXPECT_EQ(dc.ops[0].color, kSysHighlight);
    EXPECT_EQ(dc.ops[1].text, "Sales 12");  // one run: no count column
    EXPECT_EQ(dc.ops[1].rect, Inset(narrow));
    EXPECT_EQ(dc.ops[1].color, kSysHighlightText);
    EXPECT_EQ(dc.ops[2].kind, DrawOp::Kind::kFocus);
    EXPECT_EQ(dc.ops[2].rect, narrow);
    EXPECT_EQ(dc.textColor, kInitialText);

    dc.ops.clear();
    rect = kLine;
    tree.DrawItem(item, dc, rect, 0, true);
    ASSERT_EQ(dc.ops.size(), 2u);
    EXPECT_EQ(dc.ops[0].rect, kLine);
    EXPECT_EQ(dc.ops[0].color, kSysWindow);
    EXPECT_EQ(dc.ops[1].text, "Sales 12");
    EXPECT_EQ(dc.ops[1].rect, Inset(kLine));
    EXPECT_EQ(dc.ops[1].color, kInitialText);
}

class Placeholder : public ::testing::Test {
  protected:
    void SetUp() override {
        item = AddResultLine(tree, 0, "[Root]", 1);
        tree.onChanged = [this] { ++changes; };
    }
    CCountTreeCtrl tree;
    test::RecordingDrawingContext dc{kCharWidth};
    HTREEITEM item = 0;
    int changes = 0;
};

TEST_F(Placeholder, CoversTheWidthInWholeBlanks) {
    tree.FitItemPlaceholder(item, dc, 50);  // 7 blanks are 49 pixels, one short
    EXPECT_EQ(tree.ControlText(item), std::string(8, ' '));
    tree.FitItemPlaceholder(item, dc, 49);
    EXPECT_EQ(tree.ControlText(item), std::string(7, ' '));
    tree.FitItemPlaceholder(item, dc, 1);
    EXPECT_EQ(tree.ControlText(item), " ");
    tree.FitItemPlaceholder(item, dc, 0);
    EXPECT_EQ(tree.ControlText(item), "");
    EXPECT_EQ(changes, 4);
}

TEST_F(Placeholder, RepaintWithTheSameWidthSetsNothing) {
    tree.FitItemPlaceholder(item, dc, 30);
    ASSERT_EQ(changes, 1);
    tree.FitItemPlaceholder(item, dc, 30);
    tree.FitItemPlaceholder(item, dc, 29);  // still 5 blanks
    EXPECT_EQ(changes, 1);
    // An empty text stays empty without being set.
    const HTREEITEM empty = AddTextLine(tree, 0, "");
    changes = 0;
    tree.FitItemPlaceholder(empty, dc, 0);
    EXPECT_EQ(changes, 0);
}

TEST_F(Placeholder, BlankOfNoWidthLeavesThePlaceholderAlone) {
    dc.SetCharWidth(0);
    tree.FitItemPlaceholder(item, dc, 50);
    EXPECT_EQ(tree.ControlText(item), "");
    EXPECT_EQ(changes, 0);
}

// A client area five and a half lines high over a tree of 12 top-level result lines, the
// third of them with two children.
class TreePaint : public ::testing::Test {
  protected:
    static constexpr int kRowHeight = 16;
    static constexpr Rect kClient{0, 0, 240, 5 * kRowHeight + kRowHeight / 2};

    void SetUp() override {
        for (int i = 0; i < 12; ++i) {
            lines.push_back(AddResultLine(tree, 0, "c" + std::to_string(i), i));
        }
        children.push_back(AddResultLine(tree, lines[2], "x", 100));
        children.push_back(AddTextLine(tree, lines[2], "x:ERRORS"));
    }

    // The lines drawn, in order: each line's drawing begins with one fill, and the view was
    // asked for the rectangle of every line looked at.
    std::vector<HTREEITEM> Painted() const {
        const std::size_t drawn = dc.Fills().size();
        EXPECT_LE(drawn, view.asked.size());
        return {view.asked.begin(), view.asked.begin() + static_cast<std::ptrdiff_t>(
                                                             std::min(drawn, view.asked.size()))};
    }

    CCountTreeCtrl tree;
    std::vector<HTREEITEM> lines;
    std::vector<HTREEITEM> children;
    test::RecordingDrawingContext dc{kCharWidth};
    test::RecordingViewPort view{tree, kClient, kRowHeight, 19, kCharWidth};
};

TEST_F(TreePaint, EmptyTreeDrawsNothing) {
    CCountTreeCtrl empty;
    test::RecordingViewPort emptyView{empty, kClient};
    empty.OnPaint(emptyView, dc);
    EXPECT_TRUE(dc.ops.empty());
    EXPECT_TRUE(emptyView.asked.empty());
}

TEST_F(TreePaint, PaintsTheShownLinesDownToTheClientBottomOnly) {
    tree.OnPaint(view, dc);
    // Rows 0 to 5: the sixth row is cut by the bottom edge but still shown.
    const std::vector<HTREEITEM> shown(lines.begin(), lines.begin() + 6);
    EXPECT_EQ(Painted(), shown);
    EXPECT_LE(view.asked.size(), shown.size() + 1);  // the lines below are not even looked at
    for (HTREEITEM h : shown) {
        EXPECT_EQ(tree.ControlText(h).size(),
                  static_cast<std::size_t>((dc.TextWidth(tree.GetItemText(h)) + kCharWidth - 1) /
                                           kCharWidth));
    }
    for (std::size_t i = 6; i < lines.size(); ++i) {
        EXPECT_EQ(tree.ControlText(lines[i]), "") << i;
    }
    // Every line is filled from its text rectangle's left to the client's right edge.
    for (const DrawOp& fill : dc.Fills()) {
        EXPECT_EQ(fill.rect.right, kClient.right);
        EXPECT_EQ(fill.rect.left, 19);
    }
}

TEST_F(TreePaint, FollowsExpandStateAndScrollPosition) {
    tree.Expand(lines[2], TVE_EXPAND);
    tree.SetFirstVisibleRow(2);
    tree.OnPaint(view, dc);
    const std::vector<HTREEITEM> expected = {lines[2], children[0], children[1],
                                             lines[3], lines[4],    lines[5]};
    EXPECT_EQ(Painted(), expected);
    // The child lines are indented one level and drawn at their own rows.
    const std::vector<DrawOp> fills = dc.Fills();
    ASSERT_EQ(fills.size(), expected.size());
    EXPECT_EQ(fills[1].rect, (Rect{38, kRowHeight, kClient.right, 2 * kRowHeight}));
}

TEST_F(TreePaint, SelectionAndFocusComeFromTheControlAndTheView) {
    tree.Select(lines[1]);
    view.focus = true;
    tree.OnPaint(view, dc);
    const std::vector<DrawOp> fills = dc.Fills();
    ASSERT_GE(fills.size(), 3u);
    EXPECT_EQ(fills[0].color, kSysWindow);
    EXPECT_EQ(fills[1].color, kSysHighlight);
    EXPECT_EQ(fills[2].color, kSysWindow);
    const std::vector<DrawOp> focus = dc.Focus();
    ASSERT_EQ(focus.size(), 1u);
    EXPECT_EQ(focus[0].rect.top, kRowHeight);
}

TEST_F(TreePaint, CountsStayAtTheRightEdgeWhenNamesScroll) {
    view.scrollX = 30;
    tree.OnPaint(view, dc);
    for (const DrawOp& text : dc.Texts()) {
        if (text.format == kCount) {
            EXPECT_EQ(text.rect.right, kClient.right);
        } else {
            EXPECT_EQ(text.rect.left, 19 - 30 + 2);
        }
    }
}

TEST_F(TreePaint, RepaintLeavesFittedPlaceholdersAlone) {
    tree.OnPaint(view, dc);
    int changes = 0;
    tree.onChanged = [&] { ++changes; };
    tree.OnPaint(view, dc);
    EXPECT_EQ(changes, 0);
}

}  // namespace
}  // namespace vantor
