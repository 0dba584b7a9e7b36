#include "cli/Options.h"

#include "directory/source/DirectorySource.h"

#include <array>
#include <string_view>

namespace vantor {

namespace {

constexpr std::array<std::string_view, 4> kKindWords = {"users", "servers", "groups", "partitions"};

}  // namespace

std::variant<CliOptions, std::string> ParseCommandLine(const std::vector<std::string>& arguments) {
    CliOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string flag = arguments[i];
        std::optional<std::string> inlineValue;
        if (flag.rfind("--", 0) == 0) {
            if (const std::size_t eq = flag.find('='); eq != std::string::npos) {
                inlineValue = flag.substr(eq + 1);
                flag.resize(eq);
            }
        }
        // The value of a flag that takes one: inline after '=', else the next argument.
        auto value = [&]() -> std::optional<std::string> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 < arguments.size()) {
                return arguments[++i];
            }
            return std::nullopt;
        };
        auto needs = [&](const std::string& what) { return "option " + flag + " needs " + what; };

        if (flag == "--help" || flag == "-h") {
            options.help = true;
        } else if (flag == "--by-container") {
            options.byContainer = true;
        } else if (flag == "--quiet" || flag == "-q") {
            options.quiet = true;
        } else if (flag == "--kind") {
            auto v = value();
            bool known = false;
            for (std::size_t k = 0; v && k < kKindWords.size(); ++k) {
                if (*v == kKindWords[k]) {
                    options.kind = static_cast<int>(k);
                    known = true;
                }
            }
            if (!known) {
                return needs("one of users, servers, groups, partitions");
            }
        } else if (flag == "--format") {
            auto v = value();
            if (v && *v == "report") {
                options.format = OutputFormat::kReport;
            } else if (v && *v == "csv") {
                options.format = OutputFormat::kCsv;
            } else if (v && *v == "json") {
                options.format = OutputFormat::kJson;
            } else {
                return needs("one of report, csv, json");
            }
        } else if (flag == "-o" || flag == "--output") {
            auto v = value();
            if (!v || v->empty()) {
                return needs("a file name");
            }
            options.outputPath = *v;
        } else if (flag == "--pdf") {
            auto v = value();
            if (!v || v->empty()) {
                return needs("a file name");
            }
            options.pdfPath = *v;
        } else {
            return "unknown option " + arguments[i];
        }
    }
    return options;
}

std::string UsageText() {
    return std::string(R"(Usage: vantor-count [OPTIONS]

Counts the objects of one kind in a directory tree, partition by partition (the default)
or container by container, and writes the result.

)") + DirectoryUsageText() +
           R"(
What to count:
  --kind KIND            users (default), servers, groups or partitions
  --by-container         one line per container instead of one per partition

Output:
  --format FORMAT        report (default: the text report the window saves), csv, json
  -o, --output FILE      write to FILE (replaced only when complete) instead of standard output
  --pdf FILE             also print the report into FILE as PDF
  -q, --quiet            no progress on standard error
  -h, --help             this text

Ctrl-C cancels the count the way the window's Cancel does: the output is still written,
ending with the line CANCELLED. A second Ctrl-C ends the program at once.

Exit status:
  0  the count is complete
  1  the count is complete, with directory errors listed in the output
  2  the count was cancelled
  3  the directory could not be opened
  4  bad usage, or a file could not be read or written
)";
}

}  // namespace vantor
