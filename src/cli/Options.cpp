#include "cli/Options.h"

#include "directory/filter/ObjectFilter.h"
#include "directory/profile/ClassProfile.h"
#include "engine/ObjectKinds.h"

namespace vantor {

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
        } else if (flag == "--version") {
            options.version = true;
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
            options.allKinds = v && *v == "all";
            if (!known && !options.allKinds) {
                return needs("one of users, servers, groups, partitions, all");
            }
        } else if (flag == "--filter") {
            auto v = value();
            if (!v) {
                return needs("a filter");
            }
            auto parsed = ObjectFilter::Parse(*v);
            if (auto* error = std::get_if<std::string>(&parsed)) {
                return "option --filter: " + *error;
            }
            options.filter = std::get<ObjectFilter>(parsed).Text();
        } else if (flag == "--profile-show") {
            auto v = value();
            if (!v || FindProfile(*v) == nullptr) {
                return needs("one of edirectory, generic, ad");
            }
            options.profileShow = *v;
        } else if (flag == "--format") {
            auto v = value();
            if (v && *v == "report") {
                options.format = OutputFormat::kReport;
            } else if (v && *v == "csv") {
                options.format = OutputFormat::kCsv;
            } else if (v && *v == "json") {
                options.format = OutputFormat::kJson;
            } else if (v && *v == "prometheus") {
                options.format = OutputFormat::kPrometheus;
            } else {
                return needs("one of report, csv, json, prometheus");
            }
        } else if (flag == "-o" || flag == "--output") {
            auto v = value();
            if (!v || v->empty()) {
                return needs("a file name");
            }
            options.outputPath = *v;
        } else if (flag == "--compare") {
            auto v = value();
            if (!v || v->empty()) {
                return needs("the JSON output of an earlier run");
            }
            options.comparePath = *v;
        } else if (flag == "--changed-only") {
            options.changedOnly = true;
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
    if (options.changedOnly && !options.comparePath) {
        return std::string("option --changed-only needs --compare");
    }
    // The text report keeps the window's layout and the monitoring format holds figures only.
    if (options.comparePath && options.format != OutputFormat::kCsv &&
        options.format != OutputFormat::kJson) {
        return std::string("option --compare needs --format csv or json");
    }
    // The text report and the printed one hold one count per line.
    if (options.allKinds && (options.format == OutputFormat::kReport || options.pdfPath)) {
        return std::string(
            "option --kind all needs --format csv, json or prometheus (and no --pdf)");
    }
    if (options.allKinds && options.comparePath) {
        return std::string("option --compare compares one kind; it cannot be used with --kind all");
    }
    return options;
}

}  // namespace vantor
