#include "tree/CTextTreeCtrl.h"

#include "tree/LineText.h"
#include "tree/VisibleText.h"

namespace vantor {

CTextTreeCtrl::~CTextTreeCtrl() = default;
CCountTreeCtrl::~CCountTreeCtrl() = default;

void CTextTreeCtrl::Store(HTREEITEM item, std::string text) {
    m_itemTexts.insert_or_assign(item, std::move(text));
    m_itemDetails.erase(item);  // handles are used again after the tree is cleared
}

void CTextTreeCtrl::SetItemDetail(HTREEITEM item, std::string detail) {
    if (item != 0) {
        m_itemDetails.insert_or_assign(item, std::move(detail));
    }
}

std::string CTextTreeCtrl::ItemDetail(HTREEITEM item) const {
    const auto it = m_itemDetails.find(item);
    return it != m_itemDetails.end() ? VisibleText(it->second) : std::string();
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

HTREEITEM CTextTreeCtrl::InsertItem(const char* text, HTREEITEM parent, HTREEITEM insertAfter,
                                    int image) {
    std::string copy = text != nullptr ? text : "";
    TVINSERTSTRUCT record;
    record.hParent = parent;
    record.hInsertAfter = insertAfter;
    record.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    record.item.pszText = "";
    record.item.iImage = image;
    record.item.iSelectedImage = image;
    const HTREEITEM item = Insert(record);
    if (item != 0) {
        Store(item, std::move(copy));
    }
    return item;
}

std::string CTextTreeCtrl::ItemName(HTREEITEM item) const {
    return VisibleText(GetItemText(item));
}

std::string CCountTreeCtrl::ItemName(HTREEITEM item) const {
    if (!CarriesData(item)) {
        return CTextTreeCtrl::ItemName(item);
    }
    std::string name = SplitResultLine(GetItemText(item)).name;
    if (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return VisibleText(name);
}

std::string CCountTreeCtrl::ItemCountText(HTREEITEM item) const {
    return CarriesData(item) ? VisibleText(SplitResultLine(GetItemText(item)).count) : "";
}

std::string CTextTreeCtrl::GetItemText(HTREEITEM item) const {
    const auto it = m_itemTexts.find(item);
    return it != m_itemTexts.end() ? it->second : std::string();
}

}  // namespace vantor
