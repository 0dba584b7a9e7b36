#pragma once
// The text report: title and date stamp, the column legend, the kind line with the grand
// total, and one line per tree item in preorder with its branch total, its own count and its
// name field indented by depth. Lines end in CR LF.

#include <cstdint>
#include <string>

#include "tree/CTextTreeCtrl.h"
#include "tree/TreeWalk.h"

namespace vantor {

// "User objects -- Total: 20" for kind 0 (Users) and a grand total of 20.
std::string KindLine(int objectKind, std::int32_t grandTotal);

// The whole report. walk runs over tree and is back at its starting depth afterwards.
std::string BuildTextReport(const CTextTreeCtrl& tree, CTreeWalk& walk, int objectKind,
                            const std::string& dateStamp);

}  // namespace vantor
