#pragma once
// The report's date stamp: "March 05, 1997 2:07 PM"; and the same moment for machines.

#include <ctime>
#include <string>

namespace vantor {

std::string FormatReportDate(const std::tm& localTime);
// The stamp of the current local time.
std::string FormatReportDate();
// ISO 8601 with the offset of the local time zone: "1997-03-05T14:07:09+01:00".
std::string FormatIsoTimestamp(const std::tm& localTime);

// One moment in both forms, so that a run's outputs agree.
struct RunTime {
    std::string reportDate;
    std::string isoTimestamp;
};
RunTime CurrentRunTime();

}  // namespace vantor
