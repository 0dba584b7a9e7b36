#include "report/ReportDate.h"

#include <array>
#include <cstdio>

namespace vantor {

std::string FormatReportDate(const std::tm& localTime) {
    // English month names whatever the process locale, so every report reads the same.
    static constexpr std::array<const char*, 12> kMonths = {
        "January", "February", "March",     "April",   "May",      "June",
        "July",    "August",   "September", "October", "November", "December"};
    // A 12-hour clock: 0:05 is 12:05 AM, 12:22 is 12:22 PM.
    const int hour24 = localTime.tm_hour >= 0 && localTime.tm_hour < 24 ? localTime.tm_hour : 0;
    const char* suffix = hour24 < 12 ? " AM" : " PM";
    const int hour = hour24 % 12 == 0 ? 12 : hour24 % 12;
    const int month = localTime.tm_mon >= 0 && localTime.tm_mon < 12 ? localTime.tm_mon : 0;
    char text[96];
    std::snprintf(text, sizeof text, "%s %02d, %04d %d:%02d%s",
                  kMonths[static_cast<std::size_t>(month)], localTime.tm_mday,
                  localTime.tm_year + 1900, hour, localTime.tm_min, suffix);
    return text;
}

namespace {

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace

std::string FormatReportDate() {
    return FormatReportDate(LocalNow());
}

std::string FormatIsoTimestamp(const std::tm& localTime) {
    const long offset = localTime.tm_gmtoff / 60;  // minutes east of UTC
    const long magnitude = offset < 0 ? -offset : offset;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                  localTime.tm_year + 1900, localTime.tm_mon + 1, localTime.tm_mday,
                  localTime.tm_hour, localTime.tm_min, localTime.tm_sec, offset < 0 ? '-' : '+',
                  magnitude / 60, magnitude % 60);
    return text;
}

RunTime CurrentRunTime() {
    const std::tm local = LocalNow();
    return {FormatReportDate(local), FormatIsoTimestamp(local)};
}

}  // namespace vantor
