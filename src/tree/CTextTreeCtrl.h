#pragma once
// The result tree's line store: the tree keeps each line's full text itself, keyed by item
// handle, while the control holds only a placeholder as the item's own text.

#include <string>
#include <unordered_map>

#include "platform/TreeControl.h"

namespace vantor {

class CTextTreeCtrl : public TreeControl {
public:
    CTextTreeCtrl() = default;
    ~CTextTreeCtrl() override;

    // Record form: keeps the record's text, hands the control an empty text instead (the
    // caller's record keeps pointing at "" afterwards) and inserts. 0 when refused.
    HTREEITEM InsertItem(TVINSERTSTRUCT* record);
    // Text form: a text-only line (no data, image 0) under parent. 0 when refused.
    HTREEITEM InsertItem(const char* text, HTREEITEM parent, HTREEITEM insertAfter);
    // The text stored for item, or "" when none was (the null handle included).
    std::string GetItemText(HTREEITEM item) const;

    bool m_bSkipPaint = false;

private:
    void Store(HTREEITEM item, std::string text);

    std::unordered_map<HTREEITEM, std::string> m_itemTexts;
};

// The main window's result tree: lines show their count in a column of its own.
class CCountTreeCtrl : public CTextTreeCtrl {
public:
    ~CCountTreeCtrl() override;
};

}  // namespace vantor
