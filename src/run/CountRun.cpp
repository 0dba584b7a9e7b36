#include "run/CountRun.h"

#include <memory>

#include "platform/ResourceIds.h"
#include "platform/StringTable.h"

namespace vantor {

int ErrorStringId(int code) {
    switch (code) {
        case OP_SEARCH:
            return res::IDS_OP_SEARCH;
        case OP_GET_OBJ_COUNT:
            return res::IDS_OP_GET_OBJ_COUNT;
        case OP_ALLOC_BUF:
            return res::IDS_OP_ALLOC_BUF;
        case OP_LIST_CONTAINERS:
            return res::IDS_OP_LIST_CONTAINERS;
        case OP_GET_OBJ_NAME:
            return res::IDS_OP_GET_OBJ_NAME;
        case OP_GET_PARTITION_ROOT:
            return res::IDS_OP_GET_PARTITION_ROOT;
        case dirError::kObjectNotFound:
            return res::IDS_OBJECT_NOT_FOUND;
        case dirError::kInvalidSyntax:
            return res::IDS_INVALID_SYNTAX;
        case dirError::kReferralsFailed:
            return res::IDS_REFERRALS_FAILED;
        case dirError::kNoReferrals:
            return res::IDS_NO_REFERRALS;
        case dirError::kMemoryStack:
            return res::IDS_MEMORY_STACK;
        case dirError::kNoMemory:
            return res::IDS_NO_MEMORY;
        default:
            return res::IDS_ERROR;
    }
}

std::string ErrorLineText(const CountError& error) {
    std::string text = std::to_string(error.errorCode);
    text += ':';
    text += LoadString(ErrorStringId(error.operation));
    text += ':';
    if (error.objectName) {
        text += error.objectName.get();
    }
    return text;
}

namespace {

// The run's work queue; deletes every node, first to last, on every way out.
class WorkQueue {
  public:
    WorkQueue() { ListInit(&list); }
    ~WorkQueue() {
        while (ListElement* first = ListFirst(&list)) {
            ListRemove(&list, first);
            delete AsNode(first);
        }
    }
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    LinkList list;
};

// Puts a shown node's result line into the tree, under its parent's line.
void InsertResultLine(CTextTreeCtrl& tree, CCountNode& node, int image) {
    std::string text = node.displayName;
    text += ' ';
    text += std::to_string(node.count);

    TVINSERTSTRUCT record;
    record.hParent = node.parent != nullptr ? node.parent->treeItem : 0;
    record.hInsertAfter = TVI_LAST;
    record.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    record.item.pszText = text.c_str();
    record.item.cchTextMax = 1000;
    record.item.iImage = image;
    record.item.iSelectedImage = image;
    record.item.lParam = node.count;
    node.treeItem = tree.InsertItem(&record);
}

// Puts the error header line, expanded, and one line per recorded error under the node's line,
// which is expanded too.
void InsertErrorLines(CTextTreeCtrl& tree, CCountNode& node) {
    const std::string header = std::string(node.displayName) + ":ERRORS";
    const HTREEITEM headerLine =
        tree.InsertItem(header.c_str(), node.treeItem, TVI_LAST, kErrorImage);
    node.FirstError();
    while (const CountError* error = node.NextError()) {
        const HTREEITEM line =
            tree.InsertItem(ErrorLineText(*error).c_str(), headerLine, TVI_LAST, kErrorImage);
        tree.SetItemDetail(line, error->cause);
    }
    tree.Expand(headerLine, TVE_EXPAND);
    // A container's failures are seen at once, also where it has no lines of its own below.
    tree.Expand(node.treeItem, TVE_EXPAND);
}

// Opens the run's context and configures it for typeless names from the tree root.
int OpenConfiguredContext(DirectoryClient& client) {
    const int context = client.OpenContext();
    if (context < 0) {
        return context;
    }
    std::uint32_t flags = 0;
    client.ReadContextValue(context, kContextKeyFlags, flags);
    flags |= kContextFlagTypelessNames;
    client.WriteContextValue(context, kContextKeyFlags, flags);
    client.WriteContextValue(context, kContextKeyNameContext, "");
    return context;
}

}  // namespace

CountRunOutcome RunCount(DirectoryClient& client, CTextTreeCtrl& tree, CountRunHost& host,
                         bool byContainer) {
    tree.Clear();

    LocaleConventions locale;
    client.SelectLocale(0, "");
    client.ReadLocaleConventions(locale);
    if (client.LoadUnicodeTables(locale.country, locale.codePage) != 0) {
        host.ShowFailure(kCouldNotLoadTables, client.FailureCause());
        return CountRunOutcome::kTablesFailed;
    }

    const int context = OpenConfiguredContext(client);
    if (context < 0) {
        host.ShowFailure(kCouldNotCreateContext, client.FailureCause());
        client.UnloadUnicodeTables();
        return CountRunOutcome::kContextFailed;
    }

    const std::string className = host.ReadObjectKind();
    CountRunOutcome outcome = CountRunOutcome::kFinished;
    {
        WorkQueue queue;
        queue.list.cursor = nullptr;
        auto root =
            std::make_unique<CCountNode>(client, context, kRootName, kRootName, &queue.list,
                                         nullptr, className, !byContainer, host.Callbacks());
        Enqueue(&queue.list, root.release());
        const int image = byContainer ? 1 : 0;
        std::int32_t runningTotal = 0;

        while (!host.IsCancelRequested()) {
            CCountNode* node = AsNode(queue.list.cursor);
            if (node == nullptr) {
                break;
            }
            queue.list.cursor = ListNext(node);
            host.BeginBusy();
            const int result = node->Process();
            host.EndBusy();
            if (result == kCancelled) {
                continue;
            }
            InsertResultLine(tree, *node, image);
            runningTotal += node->count;
            host.ShowTotal(runningTotal);
            if (node->hasErrors != 0) {
                InsertErrorLines(tree, *node);
            }
            tree.Expand(node->parent != nullptr ? node->parent->treeItem : 0, TVE_EXPAND);
            host.NodeShown(*node, node->treeItem);
            host.PumpMessages();
        }

        if (host.IsCancelRequested()) {
            tree.InsertItem(kCancelledLine, TVI_ROOT, TVI_LAST, kCancelledImage);
            host.ClearCancelRequest();
            outcome = CountRunOutcome::kRunCancelled;
        }
        client.CloseContext(context);
        client.UnloadUnicodeTables();
    }  // every node is deleted here
    return outcome;
}

}  // namespace vantor
