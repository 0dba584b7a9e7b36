#include "faults/RunProbe.h"

#include "tree/TreeWalk.h"

namespace vantor::test {

void RecordingHost::NodeShown(CCountNode& node, HTREEITEM /*line*/) {
    shownNames.emplace_back(node.fullName);
    if (afterNodeShown) {
        afterNodeShown(node);
    }
}

void PrintTo(const TreeLine& line, std::ostream* out) {
    *out << "{" << line.depth << ", \"" << line.text << "\"" << (line.carriesData ? ", " : "")
         << (line.carriesData ? std::to_string(line.data) : "") << "}";
}

std::vector<TreeLine> LinesOf(const CTextTreeCtrl& tree) {
    std::vector<TreeLine> lines;
    CTreeWalk walk(tree);
    walk.Walk([&](HTREEITEM item) {
        lines.push_back(
            {walk.m_depth, tree.GetItemText(item), tree.CarriesData(item), tree.Data(item)});
        return true;
    });
    return lines;
}

HTREEITEM FindLine(const CTextTreeCtrl& tree, const std::string& text) {
    HTREEITEM found = 0;
    CTreeWalk walk(tree);
    walk.Walk([&](HTREEITEM item) {
        if (tree.GetItemText(item) == text) {
            found = item;
            return false;
        }
        return true;
    });
    return found;
}

std::vector<std::string> ErrorLinesUnder(const CTextTreeCtrl& tree, HTREEITEM resultLine) {
    std::vector<std::string> errors;
    for (HTREEITEM child = tree.Next(resultLine, TVGN_CHILD); child != 0;
         child = tree.Next(child, TVGN_NEXT)) {
        const std::string text = tree.GetItemText(child);
        if (tree.CarriesData(child) || text.size() < 7 ||
            text.compare(text.size() - 7, 7, ":ERRORS") != 0) {
            continue;
        }
        for (HTREEITEM line = tree.Next(child, TVGN_CHILD); line != 0;
             line = tree.Next(line, TVGN_NEXT)) {
            errors.push_back(tree.GetItemText(line));
        }
    }
    return errors;
}

TimedRun RunTimed(DirectoryClient& client, CTextTreeCtrl& tree, CountRunHost& host,
                  bool byContainer) {
    const auto start = std::chrono::steady_clock::now();
    const CountRunOutcome outcome = RunCount(client, tree, host, byContainer);
    return {outcome, std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now() - start)};
}

}  // namespace vantor::test
