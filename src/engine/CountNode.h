#pragma once
// A count node: one line of the result (the tree root, a partition or a container), the
// objects counted for it, the directory calls that failed under it, and the node whose walk
// created it. Nodes live in the run's work queue until the run ends.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "engine/DirectoryClient.h"
#include "engine/FullName.h"
#include "engine/LinkList.h"
#include "engine/ObjectKinds.h"
#include "engine/OperationCodes.h"

namespace vantor {

// Result of Process, CountObjects and WalkContainers when the run was cancelled.
inline constexpr int kCancelled = 1;

// Handle of the tree line that shows a node; 0 until the node is shown.
using TreeItemHandle = std::uintptr_t;

struct CountError : ListElement {
    std::unique_ptr<char[]> objectName;  // heap copy; null when the call had no name
    std::int32_t operation = 0;          // OP_SEARCH ... OP_GET_OBJ_NAME
    std::int32_t errorCode = 0;          // the directory call's negative result
    std::string cause;                   // why, in words; "" when the back end gave none
};

// The window's (or the command line's) hooks into a run; each may be absent.
struct CountCallbacks {
    std::function<int()> isCancelled;
    std::function<int()> pumpMessages;
    std::function<int(const char*)> showProgress;
};

class CCountNode : public ListElement {
  public:
    // The root node of a run ("[Root]") or a child node made by a walk. fullName fits the
    // client's NameLimit() (the walk refuses longer names before it gets here).
    CCountNode(DirectoryClient& client, DirContext context, std::string_view fullName,
               std::string_view displayName, LinkList* queue, CCountNode* parent,
               std::string_view className, bool byPartition, CountCallbacks callbacks);
    virtual ~CCountNode();

    CCountNode(const CCountNode&) = delete;
    CCountNode& operator=(const CCountNode&) = delete;

    // Counts the objects of className directly under name (the node's own fullName when
    // name is null). 0 when done, kCancelled, or the failing call's code.
    virtual int WalkContainers(const char* name);
    virtual int CountObjects(const char* name);

    // Counts, then walks unless the count was cancelled.
    int Process(const char* name = nullptr);
    // Pumps the window's messages, then asks whether the user cancelled (kCancelled) or not (0).
    int Poll();
    // Records a failed call at the end of the node's error list, with the back end's cause of
    // its most recent failure (FailureCause()). Callers set hasErrors.
    void AddError(int errorCode, int operation, const char* objectName);
    // The same for a call the engine refused itself, with its own cause.
    void AddError(int errorCode, int operation, const char* objectName, std::string cause);
    // Restarts the error cursor: 1 when there is an error, else 0.
    int FirstError();
    // The error at the cursor, or null; moves the cursor on.
    CountError* NextError();

    DirectoryClient& client;
    DirContext context;
    std::int32_t count = 0;
    // With className kEveryKindClassName: the objects of each kind (count is their sum).
    KindCounts kindCounts{};
    std::int32_t hasErrors = 0;
    std::string fullName;
    std::string displayName;
    LinkList* queue;
    CCountNode* parent;
    TreeItemHandle treeItem = 0;
    LinkList errors;
    char className[kNameBufferSize - 1] = {};
    std::int32_t byPartition;
    CountCallbacks callbacks;

  private:
    // Whether name is longer than the client's NameLimit(); then it is refused (recorded under
    // operation, never cut).
    bool RefusedAsTooLong(int operation, const char* name);
    // The search loop of CountObjects over prepared buffers.
    int SearchBatches(const char* base, DirBuffer* filter, DirBuffer* reply);
    // Adds a batch's count (and with every kind, its counts per kind). 0 or the failing code.
    int AddBatchCount(const char* base, DirBuffer* reply);
    // One listed container: counted into this node or queued as a node of its own.
    // 0, or kCancelled when a nested Process was cancelled.
    int VisitChild(const char* base, const char* entryName);
};

// Appends node to the work queue; when every earlier node was taken, it becomes the next.
void Enqueue(LinkList* queue, CCountNode* node);

// The typed view of a queue element.
inline CCountNode* AsNode(ListElement* element) {
    return static_cast<CCountNode*>(element);
}

}  // namespace vantor
