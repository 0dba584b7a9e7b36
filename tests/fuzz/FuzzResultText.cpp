// Any line text splits into a name and a count that put together give the text back, and
// reports over such lines are written whole.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "report/TextReport.h"
#include "tree/CTextTreeCtrl.h"
#include "tree/LineText.h"
#include "tree/TreeWalk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Line texts are C strings: they end at the first NUL.
    const std::string text(reinterpret_cast<const char*>(data),
                           std::find(data, data + size, '\0') - data);
    const vantor::NameAndCount parts = vantor::SplitResultLine(text);
    if (parts.name + parts.count != text) {
        __builtin_trap();
    }
    const auto painted = vantor::CCountTreeCtrl::SplitNameAndCount(text, true);
    if (text.find(painted.name) != 0) {
        __builtin_trap();
    }

    vantor::CCountTreeCtrl tree;
    vantor::TVINSERTSTRUCT record;
    record.item.mask = vantor::TVIF_TEXT | vantor::TVIF_PARAM;
    record.item.pszText = text.c_str();
    record.item.lParam = static_cast<std::intptr_t>(size);
    const vantor::HTREEITEM line = tree.InsertItem(&record);
    tree.InsertItem(text.c_str(), line, vantor::TVI_LAST);
    vantor::CTreeWalk walk(tree);
    const std::string report = vantor::BuildTextReport(tree, walk, 0, "date");
    if (report.find(vantor::ReportNameField(text, true)) == std::string::npos ||
        walk.m_depth != 0) {
        __builtin_trap();
    }
    return 0;
}
