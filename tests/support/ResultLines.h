#pragma once
// Puts lines into a result tree the way a counting run does: result lines through the record
// form with their count as data, every other line through the text form.

#include <cstdint>
#include <string>

#include "tree/CTextTreeCtrl.h"

namespace vantor::test {

inline HTREEITEM AddResultLine(CTextTreeCtrl& tree, HTREEITEM parent, const std::string& name,
                               std::int32_t count, int image = 0) {
    const std::string text = name + " " + std::to_string(count);
    TVINSERTSTRUCT record;
    record.hParent = parent;
    record.hInsertAfter = TVI_LAST;
    record.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    record.item.pszText = text.c_str();
    record.item.cchTextMax = 1000;
    record.item.iImage = image;
    record.item.iSelectedImage = image;
    record.item.lParam = count;
    return tree.InsertItem(&record);
}

inline HTREEITEM AddTextLine(CTextTreeCtrl& tree, HTREEITEM parent, const std::string& text) {
    return tree.InsertItem(text.c_str(), parent == 0 ? TVI_ROOT : parent, TVI_LAST);
}

// The tree of the report's worked example: "[Root]" 3 with Sales 10 and Dev 5, and QA 2
// under Dev, all expanded.
struct ExampleTree {
    explicit ExampleTree(CTextTreeCtrl& tree)
        : root(AddResultLine(tree, 0, "[Root]", 3)),
          sales(AddResultLine(tree, root, "Sales", 10)),
          dev(AddResultLine(tree, root, "Dev", 5)),
          qa(AddResultLine(tree, dev, "QA", 2)) {
        tree.Expand(root, TVE_EXPAND);
        tree.Expand(dev, TVE_EXPAND);
    }
    HTREEITEM root;
    HTREEITEM sales;
    HTREEITEM dev;
    HTREEITEM qa;
};

}  // namespace vantor::test
