#pragma once
// --compare EARLIER.json: the lines of an earlier run's JSON output matched to this run's, by
// DN (by full name where the earlier file has no DN for a line), with each line's earlier count,
// and the earlier lines that are gone.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <variant>
#include <vector>

#include "platform/TreeControl.h"

namespace vantor {

struct RunRecord;
class CTextTreeCtrl;
class CTreeWalk;

// One result line of the earlier run.
struct EarlierLine {
    std::string fullName;
    std::string name;
    std::string dn;  // "" when the file gives none
    int depth = 0;
    std::int64_t count = 0;
};

struct EarlierRun {
    std::string path;
    std::string kind;  // "User" ...
    std::string mode;
    std::string timestamp;  // "" when the file is older than the timestamp
    std::int64_t total = 0;
    std::vector<EarlierLine> lines;  // in preorder
};

// The earlier run in the file at path, or why not, naming the file: unreadable, not JSON (with
// the line), or not what vantor-count --format json writes.
std::variant<EarlierRun, std::string> ReadEarlierRun(const std::string& path);

enum class LineChange { kSame, kChanged, kNew };

struct ComparedLine {
    LineChange change = LineChange::kNew;
    std::int64_t earlierCount = 0;  // 0 for a new line
};

struct Comparison {
    EarlierRun earlier;
    std::unordered_map<HTREEITEM, ComparedLine> lines;  // every result line of this run
    // The lines that are not the same, and the lines above them.
    std::unordered_set<HTREEITEM> changedBranches;
    std::vector<EarlierLine> gone;  // earlier lines with no match, in order
    bool changedOnly = false;       // --changed-only
};

// Why the earlier run cannot be compared with a run of this kind ("User" ...) and mode (another
// kind or mode), or none.
std::optional<std::string> CompareRefusal(const EarlierRun& earlier, const std::string& kind,
                                          const std::string& mode);

// Matches every result line of tree (with run's DNs and full names) to the earlier lines.
Comparison CompareRuns(EarlierRun earlier, const CTextTreeCtrl& tree, CTreeWalk& walk,
                       const RunRecord& run);

// "same", "changed", "new" or "gone", as the outputs write it.
const char* ChangeWord(LineChange change);
inline constexpr const char* kGoneWord = "gone";

}  // namespace vantor
