// The result tree's own painting: each shown line's stored text over the view's lines,
// buttons and images, with the selection highlight and the focus rectangle.

#include <algorithm>

#include "tree/CTextTreeCtrl.h"
#include "tree/LineText.h"
#include "tree/VisibleText.h"

namespace vantor {

namespace {
constexpr unsigned kNameFormat = DT_SINGLELINE | DT_VCENTER;
constexpr unsigned kElidedNameFormat = kNameFormat | DT_END_ELLIPSIS;
constexpr unsigned kCountFormat = DT_SINGLELINE | DT_RIGHT;
constexpr unsigned kMeasureFormat = DT_CALCRECT | DT_SINGLELINE | DT_VCENTER;
constexpr int kTextInset = 2;
}  // namespace

void CTextTreeCtrl::OnPaint(TreeViewPort& view, DrawingContext& dc) {
    const Rect client = view.ClientRect();
    const bool hasFocus = view.HasFocus();
    for (HTREEITEM item = Next(0, TVGN_FIRSTVISIBLE); item != 0;
         item = Next(item, TVGN_NEXTVISIBLE)) {
        Rect rect = view.ItemTextRect(item);
        if (rect.top >= client.bottom) {
            break;  // painting costs what the shown lines cost, however long the tree
        }
        rect.right = client.right;
        const int width = DrawItem(item, dc, rect, State(item, 0xFFFFFFFF), hasFocus);
        FitItemPlaceholder(item, dc, width);
    }
}

int CTextTreeCtrl::MeasureText(DrawingContext& dc, const std::string& text) {
    Rect measured;
    dc.DrawText(text, measured, kMeasureFormat);
    return measured.right - measured.left;
}

int CTextTreeCtrl::DrawItem(HTREEITEM item, DrawingContext& dc, Rect& rect, unsigned state,
                            bool hasFocus) {
    const std::string text = VisibleText(GetItemText(item));
    if ((state & TVIS_SELECTED) != 0) {
        Rect highlight;
        dc.DrawText(text, highlight, DT_CALCRECT | DT_SINGLELINE);
        const int width = highlight.right - highlight.left;
        highlight = rect;
        highlight.right = rect.left + width + 2 * kTextInset;
        dc.FillSolidRect(highlight, dc.SysColor(COLOR_HIGHLIGHT));
        const Color oldText = dc.SetTextColor(dc.SysColor(COLOR_HIGHLIGHTTEXT));
        const Color oldBack = dc.SetBkColor(dc.SysColor(COLOR_HIGHLIGHT));
        Rect inner = highlight;
        inner.left += kTextInset;
        dc.DrawText(text, inner, kNameFormat);
        dc.SetTextColor(oldText);
        dc.SetBkColor(oldBack);
        if (hasFocus) {
            dc.DrawFocusRect(highlight);
        }
    } else {
        dc.FillSolidRect(rect, dc.SysColor(COLOR_WINDOW));
        Rect inner = rect;
        inner.left += kTextInset;
        dc.DrawText(text, inner, kNameFormat);
    }
    return MeasureText(dc, text);
}

void CTextTreeCtrl::FitItemPlaceholder(HTREEITEM item, DrawingContext& dc, int width) {
    const int blank = dc.CharWidth(' ');
    if (blank <= 0) {
        return;
    }
    const auto w = static_cast<unsigned>(width < 0 ? 0 : width);
    const auto b = static_cast<unsigned>(blank);
    const std::size_t n = (w + b - 1) / b;
    if (ControlText(item).size() == n) {
        return;
    }
    SetControlText(item, std::string(n, ' '));
}

CCountTreeCtrl::Split CCountTreeCtrl::SplitNameAndCount(const std::string& text,
                                                        bool isResultLine) {
    if (!isResultLine) {
        return {text, {}};
    }
    NameAndCount parts = SplitResultLine(text);
    if (!parts.count.empty()) {
        parts.count += "  ";
    }
    return {std::move(parts.name), std::move(parts.count)};
}

namespace {

// The width a line fitted to rect takes: its text's, or what rect holds in whole blanks (the
// placeholder is made of blanks, and must not reach past the right edge).
int FittedWidth(DrawingContext& dc, const Rect& rect, int textWidth) {
    const int room = std::max(0, rect.Width() - 2 * kTextInset);
    const int blank = dc.CharWidth(' ');
    return std::min(textWidth, blank > 0 ? room - room % blank : room);
}

// The name's room: from the line's text to where its count begins.
Rect NameRoom(DrawingContext& dc, const Rect& rect, const std::string& count) {
    Rect room = rect;
    if (!count.empty()) {
        Rect measured;
        dc.DrawText(count, measured, kMeasureFormat);
        room.right -= measured.right - measured.left;
    }
    return room;
}

}  // namespace

void CCountTreeCtrl::OnPaint(TreeViewPort& view, DrawingContext& dc) {
    m_elidedNames.clear();
    CTextTreeCtrl::OnPaint(view, dc);
}

std::string CCountTreeCtrl::ItemDetail(HTREEITEM item) const {
    return m_elidedNames.contains(item) ? ItemName(item) : CTextTreeCtrl::ItemDetail(item);
}

int CCountTreeCtrl::DrawItem(HTREEITEM item, DrawingContext& dc, Rect& rect, unsigned state,
                             bool hasFocus) {
    const std::string text = VisibleText(GetItemText(item));
    const Split split = SplitNameAndCount(text, CarriesData(item));
    Rect inner = rect;
    inner.left += kTextInset;
    Rect nameRoom = NameRoom(dc, inner, split.count);
    // Lines without a count keep their whole text, to be scrolled to.
    const bool fitted = !split.count.empty();
    if (fitted && MeasureText(dc, split.name) > nameRoom.Width()) {
        m_elidedNames.insert(item);
    }
    const unsigned nameFormat = fitted ? kElidedNameFormat : kNameFormat;
    if ((state & TVIS_SELECTED) != 0) {
        dc.FillSolidRect(rect, dc.SysColor(COLOR_HIGHLIGHT));
        const Color oldText = dc.SetTextColor(dc.SysColor(COLOR_HIGHLIGHTTEXT));
        const Color oldBack = dc.SetBkColor(dc.SysColor(COLOR_HIGHLIGHT));
        dc.DrawText(split.name, nameRoom, nameFormat);
        if (fitted) {
            dc.DrawText(split.count, inner, kCountFormat);
        }
        dc.SetTextColor(oldText);
        dc.SetBkColor(oldBack);
        if (hasFocus) {
            dc.DrawFocusRect(rect);
        }
    } else {
        dc.FillSolidRect(rect, dc.SysColor(COLOR_WINDOW));
        dc.DrawText(split.name, nameRoom, nameFormat);
        if (fitted) {
            const Color oldText = dc.SetTextColor(kCountBlue);
            dc.DrawText(split.count, inner, kCountFormat);
            dc.SetTextColor(oldText);
        }
    }
    const int width = MeasureText(dc, text);
    return fitted ? FittedWidth(dc, rect, width) : width;
}

}  // namespace vantor
