#include "cli/OutputFormats.h"

#include <cstdio>
#include <string_view>

#include "engine/ObjectKinds.h"
#include "platform/ResourceIds.h"
#include "platform/StringTable.h"
#include "run/CountRun.h"
#include "tree/LineText.h"
#include "tree/VisibleText.h"

namespace vantor {

namespace {

// The container's name of a result line: its text without the count and the blank before it.
std::string LineName(const std::string& text) {
    std::string name = SplitResultLine(text).name;
    if (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return name;
}

std::string CsvField(const std::string& value) {
    if (value.find_first_of(",\"\r\n") == std::string::npos) {
        return value;
    }
    std::string quoted = "\"";
    for (char c : value) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

// The value with each byte that is not part of valid UTF-8 written as U+FFFD.
std::string ValidUtf8(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t at = 0; at < value.size();) {
        const std::size_t length = Utf8SequenceLength(value.substr(at));
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++at;
        } else {
            out.append(value.substr(at, length));
            at += length;
        }
    }
    return out;
}

// A JSON string of value: valid UTF-8 whatever the bytes (see ValidUtf8).
std::string JsonString(std::string_view value) {
    std::string out = "\"";
    for (const char byte : ValidUtf8(value)) {
        const auto c = static_cast<unsigned char>(byte);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += byte;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += byte;
        }
    }
    return out + "\"";
}

// A label value of the exposition format: UTF-8 (see ValidUtf8) with backslash, double quote
// and line feed escaped.
std::string PrometheusLabel(std::string_view name, std::string_view value) {
    std::string out = std::string(name) + "=\"";
    for (const char c : ValidUtf8(value)) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// "# HELP" and "# TYPE" lines of a gauge.
std::string GaugeHeader(const std::string& metric, const std::string& help) {
    return "# HELP " + metric + " " + help + "\n# TYPE " + metric + " gauge\n";
}

bool IsValidUtf8(std::string_view value) {
    for (std::size_t at = 0; at < value.size();) {
        const std::size_t length = Utf8SequenceLength(value.substr(at));
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

// "key": value as a JSON string. A value that is not valid UTF-8 (a Latin-1 export, say) also
// gets "key_hex": its exact bytes in hexadecimal, since the string carries U+FFFD for them.
std::string JsonField(const std::string& key, std::string_view value) {
    std::string field = "\"" + key + "\": " + JsonString(value);
    if (!IsValidUtf8(value)) {
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string hex;
        for (const char c : value) {
            const auto byte = static_cast<unsigned char>(c);
            hex += kDigits[byte >> 4];
            hex += kDigits[byte & 0xFu];
        }
        field += ", \"" + key + "_hex\": \"" + hex + "\"";
    }
    return field;
}

const ShownNode& NodeOf(const RunRecord& run, HTREEITEM line) {
    static const ShownNode none;
    const auto it = run.nodes.find(line);
    return it != run.nodes.end() ? it->second : none;
}

// With --kind all: a line's own objects of a kind, and theirs with the lines below it.
std::int32_t KindCount(const RunRecord& run, HTREEITEM line, std::size_t kind) {
    return static_cast<std::int32_t>(NodeOf(run, line).kindCounts.at(kind));
}

std::int32_t KindBranchTotal(const RunRecord& run, const CTreeWalk& walk, HTREEITEM line,
                             std::size_t kind) {
    return walk.BranchSum(line, [&](HTREEITEM item) { return KindCount(run, item, kind); });
}

// A JSON object with a member per kind, valueOf(kind) its value as JSON.
template <class ValueOf>
std::string JsonKindObject(const ValueOf& valueOf) {
    std::string out = "{";
    for (std::size_t kind = 0; kind < kKindWords.size(); ++kind) {
        out += (kind == 0 ? "\"" : ", \"") + std::string(kKindWords[kind]) + "\": " + valueOf(kind);
    }
    return out + "}";
}

// A line's count and branch total: CSV fields, or JSON members.
std::string CsvCounts(const RunRecord& run, const CTextTreeCtrl& tree, const CTreeWalk& walk,
                      HTREEITEM line) {
    if (!run.allKinds) {
        return std::to_string(tree.Data(line)) + "," + std::to_string(walk.BranchTotal(line));
    }
    std::string out;
    for (std::size_t kind = 0; kind < kKindWords.size(); ++kind) {
        out += (kind == 0 ? "" : ",") + std::to_string(KindCount(run, line, kind)) + "," +
               std::to_string(KindBranchTotal(run, walk, line, kind));
    }
    return out;
}

std::string JsonCounts(const RunRecord& run, const CTextTreeCtrl& tree, const CTreeWalk& walk,
                       HTREEITEM line) {
    if (!run.allKinds) {
        return "\"count\": " + std::to_string(tree.Data(line)) +
               ", \"branch_total\": " + std::to_string(walk.BranchTotal(line));
    }
    return "\"counts\": " + JsonKindObject([&](std::size_t kind) {
               return std::to_string(KindCount(run, line, kind));
           }) +
           ", \"branch_totals\": " + JsonKindObject([&](std::size_t kind) {
               return std::to_string(KindBranchTotal(run, walk, line, kind));
           });
}

// A line's comparison with the earlier run; null without --compare.
const ComparedLine* ComparedOf(const RunRecord& run, HTREEITEM line) {
    if (!run.comparison) {
        return nullptr;
    }
    const auto it = run.comparison->lines.find(line);
    return it != run.comparison->lines.end() ? &it->second : nullptr;
}

// Whether --changed-only keeps a line: in CSV a line that is not the same, in JSON also the
// lines above one (so that the nesting stays).
bool Kept(const RunRecord& run, HTREEITEM line, bool withBranches) {
    if (!run.comparison || !run.comparison->changedOnly) {
        return true;
    }
    if (withBranches) {
        return run.comparison->changedBranches.count(line) != 0;
    }
    const ComparedLine* compared = ComparedOf(run, line);
    return compared == nullptr || compared->change != LineChange::kSame;
}

// The earlier count ("" when new), the difference and the change word, as CSV fields or JSON
// members.
std::string CsvComparison(const ComparedLine& compared, std::int64_t count) {
    return "," +
           (compared.change == LineChange::kNew ? "" : std::to_string(compared.earlierCount)) +
           "," + std::to_string(count - compared.earlierCount) + "," + ChangeWord(compared.change);
}

std::string JsonComparison(std::optional<std::int64_t> earlier, std::int64_t difference,
                           const char* change) {
    return ", \"earlier_count\": " + (earlier ? std::to_string(*earlier) : "null") +
           ", \"difference\": " + std::to_string(difference) + ", \"change\": \"" + change + "\"";
}

void AppendJsonLine(std::string& out, const CTextTreeCtrl& tree, const CTreeWalk& walk,
                    const RunRecord& run, HTREEITEM line, int indent) {
    const std::string pad(static_cast<std::size_t>(indent), ' ');
    const ShownNode& node = NodeOf(run, line);
    out += pad + "{" + JsonField("full_name", node.fullName);
    out += ", " + JsonField("name", LineName(tree.GetItemText(line)));
    out += ", \"depth\": " + std::to_string(tree.Level(line));
    out += ", " + JsonCounts(run, tree, walk, line);
    out += ",\n" + pad + " \"errors\": [";
    for (std::size_t i = 0; i < node.errors.size(); ++i) {
        const ErrorRecord& e = node.errors[i];
        out += i == 0 ? "\n" : ",\n";
        out += pad + "   {\"code\": " + std::to_string(e.code);
        out += ", \"operation\": " + JsonString(LoadString(ErrorStringId(e.operation)));
        out += ", " + JsonField("name", e.objectName);
        out += ", \"meaning\": " + JsonString(LoadString(ErrorStringId(e.code)));
        if (!e.detail.empty()) {
            out += ", " + JsonField("detail", e.detail);
        }
        out += ", " + JsonField("line", e.lineText) + "}";
    }
    out += node.errors.empty() ? "]" : "\n" + pad + " ]";
    out += ",\n" + pad + " \"children\": [";
    bool first = true;
    for (HTREEITEM child = tree.Next(line, TVGN_CHILD); child != 0;
         child = tree.Next(child, TVGN_NEXT)) {
        // The error header (its lines are in "errors"), or a line --changed-only leaves out.
        if (!tree.CarriesData(child) || !Kept(run, child, true)) {
            continue;
        }
        out += first ? "\n" : ",\n";
        first = false;
        AppendJsonLine(out, tree, walk, run, child, indent + 3);
    }
    out += first ? "]" : "\n" + pad + " ]";
    out += ",\n" + pad + " " + JsonField("dn", node.dn);
    if (const ComparedLine* compared = ComparedOf(run, line)) {
        const bool isNew = compared->change == LineChange::kNew;
        out +=
            JsonComparison(isNew ? std::nullopt : std::optional(compared->earlierCount),
                           tree.Data(line) - compared->earlierCount, ChangeWord(compared->change));
    }
    out += "}";
}

}  // namespace

std::string BuildCsv(const CTextTreeCtrl& tree, CTreeWalk& walk, const RunRecord& run) {
    std::string counts = "count,branch_total";
    std::string classes = run.className;
    if (run.allKinds) {
        counts.clear();
        classes.clear();
        for (std::size_t kind = 0; kind < kKindWords.size(); ++kind) {
            const std::string word(kKindWords[kind]);
            counts += (kind == 0 ? "" : ",") + word + "," + word + "_branch_total";
            classes += (kind == 0 ? "" : ";") + run.kindClassNames.at(kind);
        }
    }
    std::string out = "directory,object_class,mode,full_name,name,depth," + counts +
                      ",errors,error_details,cancelled,filter,dn,timestamp,profile,version";
    out += run.comparison ? ",earlier_count,difference,change\r\n" : "\r\n";
    const std::string fixed =
        CsvField(run.directory) + "," + CsvField(classes) + "," + ModeName(run.byContainer) + ",";
    const std::string filter = CsvField(run.filter);
    const std::string runFields =
        CsvField(run.timestamp) + "," + CsvField(run.profile) + "," + CsvField(run.version);
    walk.Walk([&](HTREEITEM line) {
        if (!tree.CarriesData(line) || !Kept(run, line, false)) {
            return true;
        }
        const ShownNode& node = NodeOf(run, line);
        std::string details;
        for (const ErrorRecord& e : node.errors) {
            details += (details.empty() ? "" : "; ") + e.lineText;
            if (!e.detail.empty()) {
                details += " -- " + e.detail;
            }
        }
        out += fixed + CsvField(node.fullName) + "," + CsvField(LineName(tree.GetItemText(line))) +
               "," + std::to_string(tree.Level(line)) + "," + CsvCounts(run, tree, walk, line) +
               "," + std::to_string(node.errors.size()) + "," + CsvField(details) + "," +
               (run.cancelled ? "true" : "false") + "," + filter + "," + CsvField(node.dn) + "," +
               runFields;
        if (const ComparedLine* compared = ComparedOf(run, line)) {
            out += CsvComparison(*compared, tree.Data(line));
        }
        out += "\r\n";
        return true;
    });
    // The earlier lines that are gone: no count of this run, their earlier count as it was.
    const std::vector<EarlierLine> none;
    for (const EarlierLine& gone : run.comparison ? run.comparison->gone : none) {
        out += fixed + CsvField(gone.fullName) + "," + CsvField(gone.name) + "," +
               std::to_string(gone.depth) + ",,,,," + (run.cancelled ? "true" : "false") + "," +
               filter + "," + CsvField(gone.dn) + "," + runFields + "," +
               std::to_string(gone.count) + "," + std::to_string(-gone.count) + "," + kGoneWord +
               "\r\n";
    }
    return out;
}

std::string BuildPrometheus(const CTextTreeCtrl& tree, CTreeWalk& walk, const RunRecord& run) {
    // Every sample names the directory and kind, so that the files of several runs (one kind or
    // one directory each) can sit side by side in the text-file folder without clashing. With
    // --kind all each count is a sample per kind, and the run's own gauges are of kind "all".
    const std::string directory = PrometheusLabel("directory", run.directory);
    std::vector<std::size_t> kinds;
    for (std::size_t kind = 0; kind < kKindWords.size(); ++kind) {
        if (run.allKinds || kind == static_cast<std::size_t>(run.kind)) {
            kinds.push_back(kind);
        }
    }
    const auto kindLabels = [&](std::size_t kind) {
        return directory + "," + PrometheusLabel("kind", kKindWords.at(kind));
    };
    const std::string runLabels =
        run.allKinds ? directory + "," + PrometheusLabel("kind", "all") : kindLabels(kinds.at(0));
    const auto count = [&](HTREEITEM line, std::size_t kind) {
        return run.allKinds ? KindCount(run, line, kind) : tree.Data(line);
    };
    const auto branchTotal = [&](HTREEITEM line, std::size_t kind) {
        return run.allKinds ? KindBranchTotal(run, walk, line, kind) : walk.BranchTotal(line);
    };
    const std::string lineHelp = " of the kind counted for a result line: its " +
                                 std::string(run.byContainer ? "container" : "partition");
    std::string counts = GaugeHeader("vantor_count_line_objects", "Objects" + lineHelp + ".");
    std::string branches = GaugeHeader("vantor_count_line_branch_objects",
                                       "Objects" + lineHelp + " and the lines below it.");
    std::size_t errors = 0;
    walk.Walk([&](HTREEITEM line) {
        if (!tree.CarriesData(line)) {
            return true;
        }
        const ShownNode& node = NodeOf(run, line);
        errors += node.errors.size();
        for (const std::size_t kind : kinds) {
            const std::string labels = "{" + kindLabels(kind) + "," +
                                       PrometheusLabel("dn", node.dn) + "," +
                                       PrometheusLabel("full_name", node.fullName) + "} ";
            counts +=
                "vantor_count_line_objects" + labels + std::to_string(count(line, kind)) + "\n";
            branches += "vantor_count_line_branch_objects" + labels +
                        std::to_string(branchTotal(line, kind)) + "\n";
        }
        return true;
    });
    const HTREEITEM first = tree.Next(0, TVGN_ROOT);
    const std::string sample = "{" + runLabels + "} ";
    std::string out = counts + branches;
    out += GaugeHeader("vantor_count_objects", "Objects of the kind in the whole count.");
    for (const std::size_t kind : kinds) {
        out += "vantor_count_objects{" + kindLabels(kind) + "} " +
               std::to_string(first != 0 ? branchTotal(first, kind) : 0) + "\n";
    }
    out += GaugeHeader("vantor_count_errors",
                       "Directory calls that failed during the count (see its error lines).");
    out += "vantor_count_errors" + sample + std::to_string(errors) + "\n";
    out += GaugeHeader("vantor_count_cancelled",
                       "1 when the count was cancelled and its figures are partial, else 0.");
    out += "vantor_count_cancelled" + sample + (run.cancelled ? "1" : "0") + "\n";
    out += GaugeHeader("vantor_count_info",
                       "Always 1; the labels say how the count was made and by which version "
                       "(node_exporter's node_textfile_mtime_seconds says when).");
    out += "vantor_count_info{" + runLabels + "," +
           PrometheusLabel("mode", ModeName(run.byContainer)) + "," +
           PrometheusLabel("profile", run.profile) + "," + PrometheusLabel("filter", run.filter) +
           "," + PrometheusLabel("version", run.version) + "} 1\n";
    return out;
}

std::string BuildJson(const CTextTreeCtrl& tree, CTreeWalk& walk, const RunRecord& run) {
    const HTREEITEM first = tree.Next(0, TVGN_ROOT);
    std::string out = "{" + JsonField("directory", run.directory);
    if (run.allKinds) {
        out += ",\n \"object_class\": " + JsonKindObject([&](std::size_t kind) {
                   return JsonString(run.kindClassNames.at(kind));
               });
        out += ",\n \"kind\": \"all\"";
    } else {
        out += ",\n \"object_class\": " + JsonString(run.className);
        out += ",\n \"kind\": " + JsonString(LoadString(res::IDS_KIND_FIRST + run.kind));
    }
    out += ",\n \"mode\": " + JsonString(ModeName(run.byContainer));
    out += ",\n \"filter\": " + (run.filter.empty() ? "null" : JsonString(run.filter));
    out += ",\n \"date\": " + JsonString(run.date);
    out += ",\n \"cancelled\": " + std::string(run.cancelled ? "true" : "false");
    if (run.allKinds) {
        out += ",\n \"totals\": " + JsonKindObject([&](std::size_t kind) {
                   return std::to_string(first != 0 ? KindBranchTotal(run, walk, first, kind) : 0);
               });
    } else {
        out += ",\n \"total\": " + std::to_string(first != 0 ? walk.BranchTotal(first) : 0);
    }
    out += ",\n \"not_counted\": [";
    for (std::size_t i = 0; i < run.notCounted.size(); ++i) {
        out += i == 0 ? "" : ", ";
        out += "{\"class\": " + JsonString(run.notCounted[i].className) +
               ", \"entries\": " + std::to_string(run.notCounted[i].entries) + "}";
    }
    out += "]";
    out += ",\n \"lines\": [";
    bool any = false;
    for (HTREEITEM top = first; top != 0; top = tree.Next(top, TVGN_NEXT)) {
        if (tree.CarriesData(top) && Kept(run, top, true)) {
            out += any ? ",\n" : "\n";
            any = true;
            AppendJsonLine(out, tree, walk, run, top, 2);
        }
    }
    out += any ? "\n ]" : "]";
    out += ",\n \"timestamp\": " + JsonString(run.timestamp);
    out += ",\n " + JsonField("profile", run.profile);
    out += ",\n \"version\": " + JsonString(run.version);
    if (run.comparison) {
        const EarlierRun& earlier = run.comparison->earlier;
        out += ",\n \"compared_with\": {" + JsonField("file", earlier.path) + ", \"timestamp\": " +
               (earlier.timestamp.empty() ? "null" : JsonString(earlier.timestamp)) +
               ", \"total\": " + std::to_string(earlier.total) + "}";
        // This output's own: with --changed-only it holds only part of the run.
        out +=
            ",\n \"changed_only\": " + std::string(run.comparison->changedOnly ? "true" : "false");
        out += ",\n \"gone\": [";
        for (std::size_t i = 0; i < run.comparison->gone.size(); ++i) {
            const EarlierLine& gone = run.comparison->gone[i];
            out += i == 0 ? "\n  {" : ",\n  {";
            out += JsonField("full_name", gone.fullName) + ", " + JsonField("name", gone.name) +
                   ", \"depth\": " + std::to_string(gone.depth) + ", " + JsonField("dn", gone.dn) +
                   JsonComparison(gone.count, -gone.count, kGoneWord) + "}";
        }
        out += run.comparison->gone.empty() ? "]" : "\n ]";
    }
    out += "}\n";
    return out;
}

}  // namespace vantor
