#pragma once
// The report's date stamp: "March 05, 1997 2:07 PM".

#include <ctime>
#include <string>

namespace vantor {

std::string FormatReportDate(const std::tm& localTime);
// The stamp of the current local time.
std::string FormatReportDate();

}  // namespace vantor
