#pragma once
// The result tree's line store: the tree keeps each line's full text itself, keyed by item
// handle, while the control holds only a placeholder as the item's own text.

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/DrawingContext.h"
#include "platform/TreeControl.h"
#include "platform/TreeViewPort.h"

namespace vantor {

class CTextTreeCtrl : public TreeControl {
  public:
    CTextTreeCtrl() = default;
    ~CTextTreeCtrl() override;

    // Record form: keeps the record's text, hands the control an empty text instead (the
    // caller's record keeps pointing at "" afterwards) and inserts. 0 when refused.
    HTREEITEM InsertItem(TVINSERTSTRUCT* record);
    // Text form: a text-only line (no data) with image under parent. 0 when refused.
    HTREEITEM InsertItem(const char* text, HTREEITEM parent, HTREEITEM insertAfter, int image = 0);
    // The text stored for item, or "" when none was (the null handle included).
    std::string GetItemText(HTREEITEM item) const;
    // Keeps a detail for a line (an error line's cause); shown with control characters
    // escaped. A line inserted later under the same handle starts without one.
    void SetItemDetail(HTREEITEM item, std::string detail);
    std::string ItemDetail(HTREEITEM item) const override;
    // The stored text, shown as drawn; no count.
    std::string ItemName(HTREEITEM item) const override;

    // Draws the stored texts of the shown lines over the view's own painting.
    void OnPaint(TreeViewPort& view, DrawingContext& dc) override;
    // Draws one line's text in rect (the line's text rectangle, its right edge at the client
    // area's); returns the width of the line's whole text.
    virtual int DrawItem(HTREEITEM item, DrawingContext& dc, Rect& rect, unsigned state,
                         bool hasFocus);
    // Sets the control's own text of the line to as many blanks as cover width, so the view's
    // item rectangles (mouse selection, scrolling) are as wide as the drawn text.
    void FitItemPlaceholder(HTREEITEM item, DrawingContext& dc, int width);

  protected:
    // Width of text drawn as one run.
    static int MeasureText(DrawingContext& dc, const std::string& text);

  private:
    void Store(HTREEITEM item, std::string text);

    std::unordered_map<HTREEITEM, std::string> m_itemTexts;
    std::unordered_map<HTREEITEM, std::string> m_itemDetails;
};

// The main window's result tree: a result line shows its count right-aligned against the
// client area's right edge, in blue.
class CCountTreeCtrl : public CTextTreeCtrl {
  public:
    ~CCountTreeCtrl() override;

    void OnPaint(TreeViewPort& view, DrawingContext& dc) override;
    // A name too long for the room before its count ends in "…". Such a line is fitted to
    // rect: the width returned is no more than rect has room for, so that the view does not
    // scroll sideways for what was elided on purpose.
    int DrawItem(HTREEITEM item, DrawingContext& dc, Rect& rect, unsigned state,
                 bool hasFocus) override;
    // A line whose name was elided when last painted tells its whole name.
    std::string ItemDetail(HTREEITEM item) const override;
    // A result line's name without the blank before its count, and the count's digits.
    std::string ItemName(HTREEITEM item) const override;
    std::string ItemCountText(HTREEITEM item) const override;

    struct Split {
        std::string name;
        std::string count;  // with two blanks after it, or empty
    };
    // A result line splits at the blank before its count; any other line is all name.
    static Split SplitNameAndCount(const std::string& text, bool isResultLine);

  private:
    // The lines of the last paint whose names did not fit.
    std::unordered_set<HTREEITEM> m_elidedNames;
};

// The colour of an unselected line's count.
inline constexpr Color kCountBlue = MakeColor(0, 0, 255);

}  // namespace vantor
