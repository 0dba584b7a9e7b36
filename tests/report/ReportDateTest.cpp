#include <gtest/gtest.h>

#include <ctime>
#include <ostream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "report/ReportDate.h"

namespace vantor {
namespace {

struct Stamp {
    int year, month, day, hour, minute;
    const char* expected;
};

void PrintTo(const Stamp& s, std::ostream* out) {
    *out << s.expected;
}

std::tm LocalTime(const Stamp& s) {
    std::tm t{};
    t.tm_year = s.year - 1900;
    t.tm_mon = s.month - 1;
    t.tm_mday = s.day;
    t.tm_hour = s.hour;
    t.tm_min = s.minute;
    return t;
}

class ReportDate : public ::testing::TestWithParam<Stamp> {};

TEST_P(ReportDate, ShowsATwelveHourClockWithTwoDigitMinutes) {
    EXPECT_EQ(FormatReportDate(LocalTime(GetParam())), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Clock, ReportDate,
                         ::testing::Values(Stamp{1997, 3, 5, 14, 7, "March 05, 1997 2:07 PM"},
                                           Stamp{1997, 3, 5, 9, 30, "March 05, 1997 9:30 AM"},
                                           Stamp{1997, 3, 5, 12, 22, "March 05, 1997 12:22 PM"},
                                           Stamp{1997, 3, 5, 0, 5, "March 05, 1997 12:05 AM"},
                                           Stamp{1997, 3, 5, 12, 0, "March 05, 1997 12:00 PM"},
                                           Stamp{1997, 3, 5, 11, 59, "March 05, 1997 11:59 AM"},
                                           Stamp{2000, 1, 1, 13, 0, "January 01, 2000 1:00 PM"},
                                           Stamp{2026, 12, 31, 23, 59,
                                                 "December 31, 2026 11:59 PM"}));

// Offsets east and west of UTC, and one that is not whole hours.
TEST(IsoTimestamp, CarriesTheLocalOffsetWithAColon) {
    const std::vector<std::pair<long, std::string>> offsets = {
        {3600, "1997-03-05T14:07:09+01:00"},
        {0, "1997-03-05T14:07:09+00:00"},
        {-(3 * 3600 + 30 * 60), "1997-03-05T14:07:09-03:30"},
        {5 * 3600 + 45 * 60, "1997-03-05T14:07:09+05:45"}};
    for (const auto& [gmtoff, expected] : offsets) {
        std::tm t = LocalTime({1997, 3, 5, 14, 7, ""});
        t.tm_sec = 9;
        t.tm_gmtoff = gmtoff;
        EXPECT_EQ(FormatIsoTimestamp(t), expected);
    }
}

TEST(ReportDateNow, IsTheStampOfTheCurrentLocalTime) {
    auto stampAt = [](std::time_t when) {
        std::tm local{};
        localtime_r(&when, &local);
        return FormatReportDate(local);
    };
    const std::time_t before = std::time(nullptr);
    const std::string now = FormatReportDate();
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(now == stampAt(before) || now == stampAt(after)) << now;
    EXPECT_TRUE(std::regex_match(
        now, std::regex(R"([A-Z][a-z]+ \d\d, \d{4} (1[0-2]|[1-9]):[0-5]\d [AP]M)")))
        << now;
}

}  // namespace
}  // namespace vantor
