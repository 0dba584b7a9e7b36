#pragma once
// One counting run, from opening the directory to the last line in the result tree, shared by
// the window's Count command and the command-line counter. What differs between the two
// (message boxes, busy cursor, pumping, the cancel flag, the total field) sits behind
// CountRunHost.

#include <cstdint>
#include <string>

#include "engine/CountNode.h"
#include "engine/DirectoryClient.h"
#include "tree/CTextTreeCtrl.h"

namespace vantor {

class CountRunHost {
  public:
    virtual ~CountRunHost() = default;
    // A failure that ends the run before it starts: the run's text, and the back end's cause
    // ("" when it gave none).
    virtual void ShowFailure(const std::string& text, const std::string& cause) = 0;
    // The class to count, read when the directory is open; the window records the kind here.
    virtual std::string ReadObjectKind() = 0;
    virtual bool IsCancelRequested() = 0;
    virtual void ClearCancelRequest() = 0;
    // The engine's hooks for every node of the run.
    virtual CountCallbacks Callbacks() = 0;
    virtual void BeginBusy() {}
    virtual void EndBusy() {}
    // After each node's lines are in the tree: the running total so far.
    virtual void ShowTotal(std::int32_t runningTotal) = 0;
    // Lets the user act between nodes (the window's message pump).
    virtual void PumpMessages() {}
    // A node's result line is in the tree (the node is deleted when the run ends).
    virtual void NodeShown(CCountNode& /*node*/, HTREEITEM /*line*/) {}
};

enum class CountRunOutcome {
    kTablesFailed,   // nothing opened; the tree is empty
    kContextFailed,  // the tables were unloaded again; the tree is empty
    kFinished,
    kRunCancelled,  // the tree ends with the "CANCELLED" line
};

inline constexpr const char* kCouldNotLoadTables = "Could not load Unicode tables";
inline constexpr const char* kCouldNotCreateContext = "Could not create context";
inline constexpr const char* kCancelledLine = "CANCELLED";
// Images of the tree's image list: a partition's result line (0), a container's (1), the
// error header and error lines, and the "CANCELLED" line.
inline constexpr int kErrorImage = 2;
inline constexpr int kCancelledImage = 3;

// Empties the tree and counts the directory into it. byContainer picks one node per container
// (image 1) instead of one per partition (image 0).
CountRunOutcome RunCount(DirectoryClient& client, CTextTreeCtrl& tree, CountRunHost& host,
                         bool byContainer);

// String resource that names an operation code or a directory error code.
int ErrorStringId(int code);

// The text of an error line: code, ":", the failed call's name, ":", the container's name.
std::string ErrorLineText(const CountError& error);

}  // namespace vantor
