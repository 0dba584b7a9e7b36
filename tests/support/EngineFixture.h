#pragma once
// A counting run set up as the Count command sets it up: one context, a work queue holding the
// root node, the first-in-first-out loop, and every node deleted at the end. Plus small readers
// for what tests compare: a node's errors, the queue's nodes, the directory's calls.

#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "directory/memory/InstrumentedDirectory.h"
#include "directory/memory/MemoryDirectory.h"
#include "engine/CountNode.h"

namespace vantor::test {

// The window's side of a run. It counts pumps and cancel checks, keeps the progress names, and
// sets its cancel flag the way a Cancel click dispatched from inside the run would.
class WindowProbe {
  public:
    // The nth cancel check (counted from 1) finds the flag set, and so does every later one.
    void CancelAtCheck(int n) { cancelAtCheck_ = n; }
    // Showing this name sets the flag.
    void CancelOnProgress(std::string name) { cancelOnProgress_ = std::move(name); }

    CountCallbacks Callbacks();

    bool cancelRequested = false;
    int pumps = 0;
    int checks = 0;
    std::vector<std::string> progress;

  private:
    int cancelAtCheck_ = 0;
    std::string cancelOnProgress_;
};

class EngineRun {
  public:
    // probe null: every callback absent, and the loop never sees a cancel.
    EngineRun(DirectoryClient& dir, std::string_view className, bool byPartition,
              WindowProbe* probe = nullptr);
    // The same; the record of dir keeps the calls of the run only.
    EngineRun(InstrumentedDirectory& dir, std::string_view className, bool byPartition,
              WindowProbe* probe = nullptr);
    ~EngineRun();
    EngineRun(const EngineRun&) = delete;
    EngineRun& operator=(const EngineRun&) = delete;

    struct Processed {
        CCountNode* node;
        int result;
    };

    // Takes nodes at the cursor, moving the cursor on before each Process, until the queue is
    // exhausted or the probe's cancel flag is set after a node.
    void Run();

    CCountNode& Root() { return *root_; }
    LinkList& Queue() { return *queue_; }
    DirContext Context() const { return context_; }
    const std::vector<Processed>& History() const { return processed_; }
    // Sum of the counts of the nodes whose processing was not cancelled (the grand total).
    long long ShownTotal() const;

  private:
    DirectoryClient& dir_;
    WindowProbe* probe_;
    DirContext context_;
    std::unique_ptr<LinkList> queue_;
    CCountNode* root_;  // owned by the queue
    std::vector<Processed> processed_;
};

struct ErrorLine {
    int errorCode;
    int operation;
    bool hasName;
    std::string name;
    bool operator==(const ErrorLine&) const = default;
};
std::ostream& operator<<(std::ostream& out, const ErrorLine& line);
ErrorLine Named(int errorCode, int operation, std::string name);
ErrorLine Unnamed(int errorCode, int operation);

// The node's errors as the Count command reads them: FirstError, then NextError until none.
std::vector<ErrorLine> ErrorsOf(CCountNode& node);
std::vector<CCountNode*> NodesOf(const LinkList& queue);
std::vector<std::string> FullNames(const std::vector<CCountNode*>& nodes);
std::vector<DirCall> CallsOf(const InstrumentedDirectory& dir, DirOp op);
std::vector<DirOp> OpsOf(const InstrumentedDirectory& dir);

}  // namespace vantor::test
