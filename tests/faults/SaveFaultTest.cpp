// Saving a report where the disk is full, where the folder cannot change, and over a report
// that is already there: the message names the file and the cause, and the previous report is
// left as it was, with nothing of the failed attempt beside it.

#include <fcntl.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "faults/ImmutableFlag.h"
#include "faults/ScratchFilesystem.h"
#include "report/SaveFile.h"
#include "support/CreateFailureCause.h"
#include "support/TestFiles.h"

namespace vantor::test {
namespace {

namespace fs = std::filesystem;
using testing::AllOf;
using testing::HasSubstr;

const std::string kOldReport = "Quillon Vantor\t\t\tthe previous report\r\n";

std::string SortedNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& name : names) {
        joined += name + "\n";
    }
    return joined;
}

// A report of the given size, line by line as a real one.
std::string ReportOf(std::size_t bytes) {
    std::string report;
    while (report.size() < bytes) {
        report += std::to_string(report.size()) + "\t\t1\t\t\tcontainer \r\n";
    }
    return report;
}

using test::CreateFailureCause;

// One save as the step of a scratch filesystem reports it.
struct SaveResult {
    bool failed = false;
    std::string message;
    std::string fileAfter;
    std::string namesAfter;
};

std::vector<std::string> Encode(const std::string& folder, const std::string& path,
                                const std::string& report) {
    const auto failure = SaveFileReplacing(path, report);
    return {failure ? "failed" : "saved", failure.value_or(""), ReadWhole(path),
            SortedNames(folder)};
}

std::vector<SaveResult> Decode(const std::vector<std::string>& results) {
    std::vector<SaveResult> saves;
    for (std::size_t i = 0; i + 3 < results.size(); i += 4) {
        saves.push_back({results[i] == "failed", results[i + 1], results[i + 2], results[i + 3]});
    }
    return saves;
}

class ReportFolder : public testing::Test {
  protected:
    TemporaryFolder temporary;
    const std::string folder = temporary.Path().string();
    const std::string report = folder + "/vantor.txt";
};

// ---- A full disk ----

// spare: room left beside the old report once the disk is filled, less than the new report.
class FullDisk : public testing::TestWithParam<std::size_t> {};

TEST_P(FullDisk, KeepsThePreviousReportAndLeavesNoPartBehind) {
    constexpr std::size_t kDisk = 512 * 1024;
    const std::string newReport = ReportOf(64 * 1024);
    const std::size_t spare = GetParam();
    const ScratchOutcome outcome = InScratchFilesystem(kDisk, [&](const std::string& scratch) {
        const std::string path = scratch + "/vantor.txt";
        WriteWhole(path, kOldReport);
        FillUp(scratch, "other-files", spare);
        std::vector<std::string> results = Encode(scratch, path, newReport);
        // Once there is room again, the same save goes through.
        fs::remove(scratch + "/other-files");
        const std::vector<std::string> again = Encode(scratch, path, newReport);
        results.insert(results.end(), again.begin(), again.end());
        return results;
    });
    if (!outcome.unavailable.empty()) {
        GTEST_SKIP() << "no scratch filesystem: " << outcome.unavailable;
    }
    const std::vector<SaveResult> saves = Decode(outcome.results);
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_TRUE(saves[0].failed);
    EXPECT_THAT(saves[0].message,
                AllOf(HasSubstr("/vantor.txt\""), HasSubstr(std::strerror(ENOSPC))));
    EXPECT_EQ(saves[0].fileAfter, kOldReport);
    EXPECT_EQ(saves[0].namesAfter, "other-files\nvantor.txt\n");

    EXPECT_FALSE(saves[1].failed) << saves[1].message;
    EXPECT_EQ(saves[1].fileAfter, newReport);
    EXPECT_EQ(saves[1].namesAfter, "vantor.txt\n");
}

INSTANTIATE_TEST_SUITE_P(Room, FullDisk, testing::Values(0, 8 * 1024, 60 * 1024),
                         [](const testing::TestParamInfo<std::size_t>& room) {
                             return "Spare" + std::to_string(room.param / 1024) + "KiB";
                         });

// ---- A folder that cannot change ----

TEST(ReadOnlyFilesystem, KeepsThePreviousReportAndNamesTheCause) {
    const ScratchOutcome outcome = InScratchFilesystem(64 * 1024, [](const std::string& scratch) {
        const std::string path = scratch + "/vantor.txt";
        WriteWhole(path, kOldReport);
        if (!RemountReadOnly(scratch)) {
            return std::vector<std::string>{};
        }
        return Encode(scratch, path, ReportOf(4096));
    });
    if (!outcome.unavailable.empty()) {
        GTEST_SKIP() << "no scratch filesystem: " << outcome.unavailable;
    }
    const std::vector<SaveResult> saves = Decode(outcome.results);
    ASSERT_EQ(saves.size(), 1u) << "the remount to read-only failed";
    EXPECT_TRUE(saves[0].failed);
    EXPECT_THAT(saves[0].message,
                AllOf(HasSubstr("/vantor.txt\""), HasSubstr(std::strerror(EROFS))));
    EXPECT_EQ(saves[0].fileAfter, kOldReport);
    EXPECT_EQ(saves[0].namesAfter, "vantor.txt\n");
}

using ImmutableFolder = ReportFolder;

TEST_F(ImmutableFolder, KeepsThePreviousReportAndNamesTheCause) {
    WriteWhole(report, kOldReport);
    const ImmutableFlag flag(folder);
    if (!flag.Set()) {
        GTEST_SKIP() << flag.Error();
    }
    const std::string cause = CreateFailureCause(folder);
    ASSERT_FALSE(cause.empty()) << "root can still create files in the folder";
    const auto failure = SaveFileReplacing(report, ReportOf(4096));
    ASSERT_TRUE(failure.has_value());
    EXPECT_THAT(*failure, AllOf(HasSubstr(report), HasSubstr(cause)));
    EXPECT_EQ(ReadWhole(report), kOldReport);
    EXPECT_EQ(SortedNames(folder), "vantor.txt\n");
}

// The report itself cannot be replaced: the new one is written beside it in full, and the
// last step fails. What was written is removed again.
TEST_F(ImmutableFolder, AReportThatCannotBeReplacedStaysAndTheNewOneIsRemoved) {
    WriteWhole(report, kOldReport);
    const ImmutableFlag flag(report);
    if (!flag.Set()) {
        GTEST_SKIP() << flag.Error();
    }
    const auto failure = SaveFileReplacing(report, ReportOf(4096));
    ASSERT_TRUE(failure.has_value());
    EXPECT_THAT(*failure, AllOf(HasSubstr(report), HasSubstr(std::strerror(EPERM))));
    EXPECT_EQ(ReadWhole(report), kOldReport);
    EXPECT_EQ(SortedNames(folder), "vantor.txt\n");
}

// As root, the folders of /sys take no new files whatever their modes say.
TEST(SystemFolder, RefusesTheReportAndTheMessageNamesFileAndCause) {
    const std::string cause = CreateFailureCause("/sys/kernel");
    if (cause.empty()) {
        GTEST_SKIP() << "/sys/kernel takes new files here";
    }
    const std::string path = "/sys/kernel/vantor.txt";
    const auto failure = SaveFileReplacing(path, ReportOf(4096));
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(*failure, "Could not write \"" + path + "\": " + cause);
    EXPECT_FALSE(fs::exists(path));
}

using ExistingReport = ReportFolder;

TEST_F(ExistingReport, AFolderOfThatNameIsNotReplaced) {
    fs::create_directory(report);
    WriteWhole(report + "/inside.txt", kOldReport);
    const auto failure = SaveFileReplacing(report, ReportOf(4096));
    ASSERT_TRUE(failure.has_value());
    EXPECT_THAT(*failure, AllOf(HasSubstr(report), HasSubstr(std::strerror(EISDIR))));
    EXPECT_EQ(ReadWhole(report + "/inside.txt"), kOldReport);
    EXPECT_EQ(SortedNames(folder), "vantor.txt\n");
}

}  // namespace
}  // namespace vantor::test
