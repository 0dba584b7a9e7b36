#pragma once
// The printed report: the text report's header (title with date stamp, column legend, kind
// line) on every page, one line per tree item below it with its branch total, its own count
// and its name field indented by depth, and the page number at the foot. Every measure comes
// from the device's resolution, so the page looks the same in inches on any printer.

#include <optional>
#include <string>

#include "platform/PrintDevice.h"
#include "tree/CTextTreeCtrl.h"
#include "tree/TreeWalk.h"

namespace vantor {

// The document name the print job carries.
inline constexpr const char* kPrintDocumentName = "Quillon Vantor";

// Prints the whole report as one document on device and returns the number of pages. walk
// runs over tree and is back at its starting depth afterwards. When the header alone leaves
// no room for an item line, one page with the header is printed and the report ends there.
int PrintReport(PrintDevice& device, const CTextTreeCtrl& tree, CTreeWalk& walk, int objectKind,
                const std::string& dateStamp);

// Print as the user asked for it: the report on device and, when the device prints into a
// file, that file written through the one safe file writer. None when it all went well, else
// what went wrong, in words that name the printer or the file.
std::optional<std::string> PrintAndDeliver(PrintDevice& device, const CTextTreeCtrl& tree,
                                           CTreeWalk& walk, int objectKind,
                                           const std::string& dateStamp);

}  // namespace vantor
