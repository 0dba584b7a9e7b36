#include "report/print/ReportTree.h"

namespace vantor::test {

HTREEITEM AddResultLine(CCountTreeCtrl& tree, HTREEITEM parent, const std::string& name,
                        int count) {
    const std::string text = name + " " + std::to_string(count);
    TVINSERTSTRUCT record;
    record.hParent = parent;
    record.hInsertAfter = TVI_LAST;
    record.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    record.item.pszText = text.c_str();
    record.item.cchTextMax = 1000;
    record.item.lParam = count;
    return tree.InsertItem(&record);
}

HTREEITEM AddTextLine(CCountTreeCtrl& tree, HTREEITEM parent, const std::string& text) {
    return tree.InsertItem(text.c_str(), parent == 0 ? TVI_ROOT : parent, TVI_LAST);
}

}  // namespace vantor::test
