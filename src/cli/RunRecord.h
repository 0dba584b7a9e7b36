#pragma once
// What the command-line counter keeps of a run beside the result tree: the full name of each
// shown node and its failed calls in detail, for the CSV and JSON outputs.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "cli/Comparison.h"
#include "directory/ldif/ExportTree.h"
#include "engine/ObjectKinds.h"
#include "platform/TreeControl.h"

namespace vantor {

struct ErrorRecord {
    int code = 0;
    int operation = 0;
    std::string objectName;
    std::string lineText;  // the error line as the tree shows it
    std::string detail;    // the cause of the failure, when the back end gave one
};

struct ShownNode {
    std::string fullName;
    std::string dn;           // of the line's entry, as the back end gives it; "" when it has none
    KindCounts kindCounts{};  // with --kind all: the line's own objects of each kind
    std::vector<ErrorRecord> errors;
};

struct RunRecord {
    std::string directory;  // what was counted
    std::string className;  // the classes the profile counts as the kind (ClassesOf)
    std::array<std::string, kKindWords.size()> kindClassNames;  // with --kind all: each kind's
    int kind = 0;
    bool allKinds = false;  // --kind all: each line's counts are in its ShownNode
    bool byContainer = false;
    std::string filter;  // the user's filter; empty when every object of the kind counted
    bool cancelled = false;
    std::string date;
    std::string timestamp;  // the same moment as date, ISO 8601 with the time zone's offset
    std::string profile;    // the class profile's name
    std::string version;    // the program's
    std::unordered_map<HTREEITEM, ShownNode> nodes;  // by result line
    std::vector<ClassTally> notCounted;    // classes of an export's entries no rule counted
    std::optional<Comparison> comparison;  // --compare
};

inline std::string ModeName(bool byContainer) {
    return byContainer ? "by container" : "by partition";
}

}  // namespace vantor
