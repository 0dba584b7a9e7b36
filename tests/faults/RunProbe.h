#pragma once
// A counting run as the user follows it, without a window: the host notes the failure box, the
// running totals and each shown node, and can act (stop a server, say) after a chosen node;
// readers give back the tree's lines in the order the reports walk them.

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "run/CountRun.h"
#include "tree/CTextTreeCtrl.h"

namespace vantor::test {

class RecordingHost : public CountRunHost {
  public:
    void ShowFailure(const std::string& text, const std::string& cause) override {
        failures.emplace_back(text, cause);
    }
    std::string ReadObjectKind() override { return className; }
    bool IsCancelRequested() override { return false; }
    void ClearCancelRequest() override {}
    CountCallbacks Callbacks() override { return {}; }
    void ShowTotal(std::int32_t runningTotal) override { totals.push_back(runningTotal); }
    void NodeShown(CCountNode& node, HTREEITEM line) override;

    std::string className = "User";
    // Runs after the node's lines are in the tree, before the next node is taken.
    std::function<void(const CCountNode& node)> afterNodeShown;

    std::vector<std::pair<std::string, std::string>> failures;  // text, cause
    std::vector<std::int32_t> totals;
    std::vector<std::string> shownNames;  // full names, in the order shown
};

// One line of the tree as a reader of it sees it.
struct TreeLine {
    int depth = 0;
    std::string text;
    bool carriesData = false;
    std::intptr_t data = 0;
};

void PrintTo(const TreeLine& line, std::ostream* out);

// Every line in preorder, with its depth (the walk the reports use).
std::vector<TreeLine> LinesOf(const CTextTreeCtrl& tree);

// The first line, in preorder, whose text is text; 0 when there is none.
HTREEITEM FindLine(const CTextTreeCtrl& tree, const std::string& text);

// The texts of the error lines under a result line's "<name>:ERRORS" header; empty when it has
// none.
std::vector<std::string> ErrorLinesUnder(const CTextTreeCtrl& tree, HTREEITEM resultLine);

// A run's outcome with the time it took.
struct TimedRun {
    CountRunOutcome outcome;
    std::chrono::milliseconds elapsed;
};
TimedRun RunTimed(DirectoryClient& client, CTextTreeCtrl& tree, CountRunHost& host,
                  bool byContainer);

}  // namespace vantor::test
