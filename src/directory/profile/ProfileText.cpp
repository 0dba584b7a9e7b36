#include "directory/profile/ProfileText.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <sstream>

#include "directory/filter/ObjectFilter.h"

namespace vantor {

namespace {

std::string Joined(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& word : words) {
        out += out.empty() ? "" : " ";
        out += word;
    }
    return out;
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::istringstream in{std::string(text)};
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string OneOf(const std::vector<std::string>& classes) {
    std::string items;
    for (const std::string& c : classes) {
        items += "(objectClass=" + c + ")";
    }
    return classes.size() == 1 ? items : "(|" + items + ")";
}

// The keys a profile file may hold, each once.
std::vector<std::string> KnownKeys() {
    std::vector<std::string> keys = {"name", "containers", "partition"};
    for (const std::string_view kind : kKindWords) {
        keys.emplace_back(kind);
        keys.push_back(std::string(kind) + "-not");
        keys.push_back(std::string(kind) + "-filter");
    }
    return keys;
}

}  // namespace

std::string ClassFilter(const KindRule& rule) {
    if (rule.anyOfClasses.empty()) {
        return "(|)";  // matches nothing
    }
    if (rule.noneOfClasses.empty()) {
        return OneOf(rule.anyOfClasses);
    }
    return "(&" + OneOf(rule.anyOfClasses) + "(!" + OneOf(rule.noneOfClasses) + "))";
}

std::string ProfileText(const ClassProfile& profile) {
    std::string out =
        "# Class profile of Quillon Vantor: which object classes make containers,\n"
        "# partition roots and each kind of object counted.\n";
    out += "name: " + profile.name + "\n";
    out += "containers: " + Joined(profile.containerClasses) + "\n";
    out += "partition: " + profile.partitionClass + "\n";
    for (std::size_t k = 0; k < kKindWords.size(); ++k) {
        const KindRule& rule = profile.kinds.at(k);
        const std::string kind(kKindWords.at(k));
        out += kind + ": " + Joined(rule.anyOfClasses) + "\n";
        if (!rule.noneOfClasses.empty()) {
            out += kind + "-not: " + Joined(rule.noneOfClasses) + "\n";
        }
        out += kind + "-filter: " + rule.ldapFilter + "\n";
    }
    return out;
}

std::variant<ClassProfile, std::string> ParseProfileText(std::string_view text,
                                                         std::string_view sourceName) {
    const std::vector<std::string> known = KnownKeys();
    std::map<std::string, std::pair<std::string, unsigned>> values;  // key: value, line
    auto failAt = [&](unsigned line, const std::string& what) {
        return std::string(sourceName) + ":" + std::to_string(line) + ": " + what;
    };
    unsigned number = 0;
    for (std::size_t start = 0; start <= text.size(); ++number) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            return failAt(number + 1, "expected \"key: value\"");
        }
        const std::string key(Trimmed(line.substr(0, colon)));
        if (std::find(known.begin(), known.end(), key) == known.end()) {
            return failAt(number + 1, "unknown key \"" + key + "\"");
        }
        if (!values
                 .emplace(key, std::pair(std::string(Trimmed(line.substr(colon + 1))), number + 1))
                 .second) {
            return failAt(number + 1, "\"" + key + "\" was given before");
        }
    }
    auto value = [&](const std::string& key) -> std::optional<std::pair<std::string, unsigned>> {
        const auto found = values.find(key);
        return found == values.end() ? std::nullopt : std::optional(found->second);
    };
    const unsigned lastLine = number;

    ClassProfile profile;
    const auto name = value("name");
    profile.name = name ? name->first : std::string(sourceName);
    const auto containers = value("containers");
    if (!containers || Words(containers->first).empty()) {
        return failAt(containers ? containers->second : lastLine, "no container classes given");
    }
    profile.containerClasses = Words(containers->first);
    if (const auto partition = value("partition")) {
        const std::vector<std::string> words = Words(partition->first);
        if (words.size() > 1) {
            return failAt(partition->second, "one partition class at most");
        }
        profile.partitionClass = words.empty() ? "" : words.front();
    }
    for (std::size_t k = 0; k < kKindWords.size(); ++k) {
        const std::string kind(kKindWords.at(k));
        const auto classes = value(kind);
        if (!classes) {
            return failAt(lastLine, "no \"" + kind + "\" line");
        }
        KindRule& rule = profile.kinds.at(k);
        rule.anyOfClasses = Words(classes->first);
        if (const auto none = value(kind + "-not")) {
            rule.noneOfClasses = Words(none->first);
        }
        rule.ldapFilter = ClassFilter(rule);
        if (const auto filter = value(kind + "-filter")) {
            auto parsed = ObjectFilter::Parse(filter->first);
            if (const auto* error = std::get_if<std::string>(&parsed)) {
                return failAt(filter->second, "filter " + *error);
            }
            rule.ldapFilter = std::get<ObjectFilter>(parsed).Text();
        }
    }
    return profile;
}

}  // namespace vantor
