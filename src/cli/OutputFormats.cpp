#include "cli/OutputFormats.h"

#include <cstdio>
#include <string_view>

#include "platform/ResourceIds.h"
#include "platform/StringTable.h"
#include "run/CountRun.h"
#include "tree/LineText.h"
#include "tree/VisibleText.h"

namespace vantor {

namespace {

std::string ModeName(const RunRecord& run) {
    return run.byContainer ? "by container" : "by partition";
}

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

// A JSON string of value: valid UTF-8 whatever the bytes, each byte that is not part of valid
// UTF-8 written as U+FFFD.
std::string JsonString(std::string_view value) {
    std::string out = "\"";
    std::size_t at = 0;
    while (at < value.size()) {
        const auto c = static_cast<unsigned char>(value[at]);
        const std::size_t length = Utf8SequenceLength(value.substr(at));
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++at;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
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
            out.append(value.substr(at, length));
        }
        at += length;
    }
    return out + "\"";
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

void AppendJsonLine(std::string& out, const CTextTreeCtrl& tree, const CTreeWalk& walk,
                    const RunRecord& run, HTREEITEM line, int indent) {
    const std::string pad(static_cast<std::size_t>(indent), ' ');
    const ShownNode& node = NodeOf(run, line);
    out += pad + "{" + JsonField("full_name", node.fullName);
    out += ", " + JsonField("name", LineName(tree.GetItemText(line)));
    out += ", \"depth\": " + std::to_string(tree.Level(line));
    out += ", \"count\": " + std::to_string(tree.Data(line));
    out += ", \"branch_total\": " + std::to_string(walk.BranchTotal(line));
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
        if (!tree.CarriesData(child)) {
            continue;  // the error header and its lines are in "errors"
        }
        out += first ? "\n" : ",\n";
        first = false;
        AppendJsonLine(out, tree, walk, run, child, indent + 3);
    }
    out += first ? "]" : "\n" + pad + " ]";
    out += ",\n" + pad + " " + JsonField("dn", node.dn) + "}";
}

}  // namespace

std::string BuildCsv(const CTextTreeCtrl& tree, CTreeWalk& walk, const RunRecord& run) {
    std::string out =
        "directory,object_class,mode,full_name,name,depth,count,branch_total,errors,"
        "error_details,cancelled,filter,dn,timestamp,profile,version\r\n";
    const std::string fixed =
        CsvField(run.directory) + "," + CsvField(run.className) + "," + ModeName(run) + ",";
    const std::string filter = CsvField(run.filter);
    const std::string runFields =
        CsvField(run.timestamp) + "," + CsvField(run.profile) + "," + CsvField(run.version);
    walk.Walk([&](HTREEITEM line) {
        if (!tree.CarriesData(line)) {
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
               "," + std::to_string(tree.Level(line)) + "," + std::to_string(tree.Data(line)) +
               "," + std::to_string(walk.BranchTotal(line)) + "," +
               std::to_string(node.errors.size()) + "," + CsvField(details) + "," +
               (run.cancelled ? "true" : "false") + "," + filter + "," + CsvField(node.dn) + "," +
               runFields + "\r\n";
        return true;
    });
    return out;
}

std::string BuildJson(const CTextTreeCtrl& tree, CTreeWalk& walk, const RunRecord& run) {
    const HTREEITEM first = tree.Next(0, TVGN_ROOT);
    std::string out = "{" + JsonField("directory", run.directory);
    out += ",\n \"object_class\": " + JsonString(run.className);
    out += ",\n \"kind\": " + JsonString(LoadString(res::IDS_KIND_FIRST + run.kind));
    out += ",\n \"mode\": " + JsonString(ModeName(run));
    out += ",\n \"filter\": " + (run.filter.empty() ? "null" : JsonString(run.filter));
    out += ",\n \"date\": " + JsonString(run.date);
    out += ",\n \"cancelled\": " + std::string(run.cancelled ? "true" : "false");
    out += ",\n \"total\": " + std::to_string(first != 0 ? walk.BranchTotal(first) : 0);
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
        if (tree.CarriesData(top)) {
            out += any ? ",\n" : "\n";
            any = true;
            AppendJsonLine(out, tree, walk, run, top, 2);
        }
    }
    out += any ? "\n ]" : "]";
    out += ",\n \"timestamp\": " + JsonString(run.timestamp);
    out += ",\n " + JsonField("profile", run.profile);
    out += ",\n \"version\": " + JsonString(run.version) + "}\n";
    return out;
}

}  // namespace vantor
