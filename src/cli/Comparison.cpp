#include "cli/Comparison.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "cli/RunRecord.h"
#include "directory/dn/Dn.h"
#include "tree/CTextTreeCtrl.h"
#include "tree/TreeWalk.h"

namespace vantor {

namespace {

using Json = nlohmann::json;

// A full name is at most 256 characters, so no count nests deeper; a file that does is refused
// before its lines are walked.
constexpr int kMaxDepth = 256;

struct NotOurs {
    std::string what;
};

// The exact bytes of a string field: its "_hex" twin when the output had to write U+FFFD.
std::string Text(const Json& object, const std::string& key, bool required) {
    const auto hex = object.find(key + "_hex");
    if (hex != object.end() && hex->is_string()) {
        const std::string digits = hex->get<std::string>();
        if (digits.size() % 2 != 0 ||
            digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            throw NotOurs{"\"" + key + "_hex\" is not hexadecimal"};
        }
        std::string bytes;
        for (std::size_t i = 0; i < digits.size(); i += 2) {
            bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
        }
        return bytes;
    }
    const auto found = object.find(key);
    if (found != object.end() && found->is_string()) {
        return found->get<std::string>();
    }
    if (required && (found == object.end() || !found->is_null())) {
        throw NotOurs{"no text \"" + key + "\""};
    }
    return {};
}

std::int64_t Number(const Json& object, const std::string& key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number_integer()) {
        throw NotOurs{"no whole number \"" + key + "\""};
    }
    return found->get<std::int64_t>();
}

const Json& Array(const Json& object, const std::string& key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_array()) {
        throw NotOurs{"no list \"" + key + "\""};
    }
    return *found;
}

void ReadLines(const Json& lines, int depth, std::vector<EarlierLine>& out) {
    if (depth > kMaxDepth) {
        throw NotOurs{"lines nested deeper than a count can be"};
    }
    for (const Json& line : lines) {
        if (!line.is_object()) {
            throw NotOurs{"a line that is not an object"};
        }
        out.push_back({Text(line, "full_name", true), Text(line, "name", true),
                       Text(line, "dn", false), depth, Number(line, "count")});
        ReadLines(Array(line, "children"), depth + 1, out);
    }
}

// The line of a byte offset, counting from 1.
std::size_t LineAt(const std::string& text, std::size_t offset) {
    const auto end = text.begin() + static_cast<std::ptrdiff_t>(std::min(offset, text.size()));
    return 1 + static_cast<std::size_t>(std::count(text.begin(), end, '\n'));
}

// The key a line is matched by: its DN as a server compares DNs, else its full name.
std::string MatchKey(const std::string& dn, const std::string& fullName) {
    if (dn.empty()) {
        return "name\n" + fullName;
    }
    const auto parsed = Dn::Parse(dn);
    return "dn\n" + (parsed ? parsed->Key() : dn);
}

}  // namespace

std::variant<EarlierRun, std::string> ReadEarlierRun(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "option --compare: cannot read " + path;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return "option --compare: cannot read " + path;
    }
    EarlierRun run;
    run.path = path;
    try {
        const Json top = Json::parse(text);
        if (!top.is_object()) {
            throw NotOurs{"not an object"};
        }
        run.kind = Text(top, "kind", true);
        run.mode = Text(top, "mode", true);
        if (run.kind == "all") {
            return "option --compare: " + path +
                   " counted every kind (--kind all); compare with a run of one kind";
        }
        run.timestamp = Text(top, "timestamp", false);
        run.total = Number(top, "total");
        const auto changedOnly = top.find("changed_only");
        if (changedOnly != top.end() && changedOnly->is_boolean() && changedOnly->get<bool>()) {
            return "option --compare: " + path +
                   " holds only the changed lines of a comparison, not a whole run";
        }
        ReadLines(Array(top, "lines"), 0, run.lines);
    } catch (const Json::parse_error& e) {
        return "option --compare: " + path + ":" + std::to_string(LineAt(text, e.byte)) +
               ": not valid JSON";
    } catch (const NotOurs& e) {
        return "option --compare: " + path + ": not the JSON output of vantor-count (" + e.what +
               ")";
    }
    return run;
}

std::optional<std::string> CompareRefusal(const EarlierRun& earlier, const std::string& kind,
                                          const std::string& mode) {
    if (earlier.kind != kind) {
        return "option --compare: " + earlier.path + " counted " + earlier.kind +
               " objects, this run counts " + kind;
    }
    if (earlier.mode != mode) {
        return "option --compare: " + earlier.path + " counted " + earlier.mode +
               ", this run counts " + mode;
    }
    return std::nullopt;
}

Comparison CompareRuns(EarlierRun earlier, const CTextTreeCtrl& tree, CTreeWalk& walk,
                       const RunRecord& run) {
    Comparison out;
    out.earlier = std::move(earlier);
    // The first earlier line of each key; a later one with the same key is left unmatched.
    std::unordered_map<std::string, std::size_t> byKey;
    for (std::size_t i = 0; i < out.earlier.lines.size(); ++i) {
        const EarlierLine& line = out.earlier.lines[i];
        byKey.emplace(MatchKey(line.dn, line.fullName), i);
    }
    std::vector<bool> matched(out.earlier.lines.size(), false);
    walk.Walk([&](HTREEITEM line) {
        if (!tree.CarriesData(line)) {
            return true;
        }
        const auto node = run.nodes.find(line);
        const std::string dn = node != run.nodes.end() ? node->second.dn : "";
        const std::string fullName = node != run.nodes.end() ? node->second.fullName : "";
        // By DN; by full name where the earlier file has no DN for the line.
        auto found = byKey.find(MatchKey(dn, fullName));
        if (found == byKey.end() || matched[found->second]) {
            found = byKey.find(MatchKey("", fullName));
            if (found != byKey.end() && !out.earlier.lines[found->second].dn.empty()) {
                found = byKey.end();
            }
        }
        ComparedLine compared;
        if (found != byKey.end() && !matched[found->second]) {
            matched[found->second] = true;
            compared.earlierCount = out.earlier.lines[found->second].count;
            compared.change =
                compared.earlierCount == tree.Data(line) ? LineChange::kSame : LineChange::kChanged;
        }
        out.lines.emplace(line, compared);
        HTREEITEM above = compared.change != LineChange::kSame ? line : 0;
        while (above != 0 && out.changedBranches.insert(above).second) {
            above = tree.Next(above, TVGN_PARENT);
        }
        return true;
    });
    for (std::size_t i = 0; i < out.earlier.lines.size(); ++i) {
        if (!matched[i]) {
            out.gone.push_back(out.earlier.lines[i]);
        }
    }
    return out;
}

const char* ChangeWord(LineChange change) {
    switch (change) {
        case LineChange::kSame:
            return "same";
        case LineChange::kChanged:
            return "changed";
        case LineChange::kNew:
            break;
    }
    return "new";
}

}  // namespace vantor
