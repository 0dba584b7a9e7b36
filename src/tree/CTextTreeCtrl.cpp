#include "tree/CTextTreeCtrl.h"

namespace vantor {

CTextTreeCtrl::~CTextTreeCtrl() = default;
CCountTreeCtrl::~CCountTreeCtrl() = default;

void CTextTreeCtrl::Store(HTREEITEM item, std::string text) {
    m_itemTexts.insert_or_assign(item, std::move(text));
}

HTREEITEM CTextTreeCtrl::InsertItem(TVINSERTSTRUCT* record) {
    std::string text = record->item.pszText != nullptr ? record->item.pszText : "";
    record->item.pszText = "";
    const HTREEITEM item = Insert(*record);
    if (item != 0) {
        Store(item, std::move(text));
    }
    return item;
}

HTREEITEM CTextTreeCtrl::InsertItem(const char* text, HTREEITEM parent, HTREEITEM insertAfter) {
    std::string copy = text != nullptr ? text : "";
    TVINSERTSTRUCT record;
    record.hParent = parent;
    record.hInsertAfter = insertAfter;
    record.item.mask = TVIF_TEXT;
    record.item.pszText = "";
    const HTREEITEM item = Insert(record);
    if (item != 0) {
        Store(item, std::move(copy));
    }
    return item;
}

std::string CTextTreeCtrl::GetItemText(HTREEITEM item) const {
    const auto it = m_itemTexts.find(item);
    return it != m_itemTexts.end() ? it->second : std::string();
}

}  // namespace vantor
