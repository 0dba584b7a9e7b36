#pragma once
// The command line of vantor-count.

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vantor {

enum class OutputFormat { kReport, kCsv, kJson, kPrometheus };

// What to count and how to write it; the directory options are taken out before (see
// directory/source/DirectorySource.h).
struct CliOptions {
    int kind = 0;           // 0 users, 1 servers, 2 groups, 3 partitions
    bool allKinds = false;  // --kind all: the four kinds in one walk (kind is then unused)
    bool byContainer = false;
    std::string filter;  // --filter, as ObjectFilter::Text gives it; empty: every object
    OutputFormat format = OutputFormat::kReport;
    std::optional<std::string> outputPath;
    std::optional<std::string> pdfPath;
    std::optional<std::string> comparePath;  // --compare EARLIER.json
    bool changedOnly = false;
    bool quiet = false;
    std::string profileShow;  // --profile-show NAME: a built-in profile's name
    bool help = false;
    bool version = false;
};

// The options, or a message saying what is wrong with the command line.
std::variant<CliOptions, std::string> ParseCommandLine(const std::vector<std::string>& arguments);

// Exit codes.
inline constexpr int kExitComplete = 0;
inline constexpr int kExitWithDirectoryErrors = 1;
inline constexpr int kExitCancelled = 2;
inline constexpr int kExitCannotOpenDirectory = 3;
inline constexpr int kExitUsageOrFileError = 4;

}  // namespace vantor
