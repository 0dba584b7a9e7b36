#pragma once
// Result-tree lines made the way a counting run makes them: result lines in record form with
// their count as item data, error and "CANCELLED" lines in text form.

#include <string>

#include "tree/CTextTreeCtrl.h"

namespace vantor::test {

// "name count" with count as the item's data; parent 0 for a top-level line.
HTREEITEM AddResultLine(CCountTreeCtrl& tree, HTREEITEM parent, const std::string& name, int count);
// A line without data.
HTREEITEM AddTextLine(CCountTreeCtrl& tree, HTREEITEM parent, const std::string& text);

}  // namespace vantor::test
