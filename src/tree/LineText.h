#pragma once
// How a result line's text splits into the container name and its count. A result line is
// the name, one blank and the count; the name itself may hold blanks. Every other line
// (error header, error line, "CANCELLED") is one name without a count.

#include <string>
#include <string_view>

namespace vantor {

struct NameAndCount {
    std::string name;   // up to and including the blank before the count
    std::string count;  // the digits after it; empty when there are none
};

// Splits a result line at its last blank. A text without a blank is all name.
NameAndCount SplitResultLine(std::string_view text);

// The report's name field: a result line without its trailing count (the name and its one
// blank); any other line whole. Control characters are shown as escapes (VisibleText).
std::string ReportNameField(std::string_view text, bool isResultLine);

}  // namespace vantor
