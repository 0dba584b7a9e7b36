#include <new>
#include <string>

#include <algorithm>
#include <cctype>
#include "engine/CountNode.h"
#include "engine/FullName.h"

namespace vantor {

namespace {

// Ends a listing cut short (by a failure or a cancel) on every way out, not only when the
// context closes.
class ListingEnd {
  public:
    ListingEnd(DirectoryClient& client, DirContext context, const std::int32_t& iteration)
        : client_(client), context_(context), iteration_(iteration) {}
    ~ListingEnd() {
        if (iteration_ != kNoIteration) {
            client_.EndIteration(context_, iteration_, kListOperation);
        }
    }
    ListingEnd(const ListingEnd&) = delete;
    ListingEnd& operator=(const ListingEnd&) = delete;

  private:
    DirectoryClient& client_;
    DirContext context_;
    const std::int32_t& iteration_;
};

// Releases the walk's reply buffer on every path.
class ReplyBuffer {
  public:
    explicit ReplyBuffer(DirectoryClient& client) : client_(client) {}
    ~ReplyBuffer() {
        if (buffer != nullptr) {
            client_.ReleaseBuffer(buffer);
        }
    }
    ReplyBuffer(const ReplyBuffer&) = delete;
    ReplyBuffer& operator=(const ReplyBuffer&) = delete;

    DirBuffer* buffer = nullptr;

  private:
    DirectoryClient& client_;
};

}  // namespace

int CCountNode::WalkContainers(const char* name) {
    const char* base = name != nullptr ? name : fullName.c_str();
    if (RefusedAsTooLong(OP_LIST_CONTAINERS, base)) {
        return dirError::kNameTooLong;
    }

    ReplyBuffer reply(client);
    int r = client.NWDSAllocBuf(4096, &reply.buffer);
    if (r != 0) {
        AddError(r, OP_ALLOC_BUF, nullptr);
        hasErrors = 1;
        return r;
    }

    std::int32_t iteration = kNoIteration;
    const ListingEnd listingEnd(client, context, iteration);
    bool nameReadFailed = false;
    std::string entryName;
    do {
        if (callbacks.pumpMessages) {
            callbacks.pumpMessages();
        }
        r = client.NWDSListContainers(context, base, &iteration, reply.buffer);
        if (r < 0) {
            AddError(r, OP_LIST_CONTAINERS, base);
            hasErrors = 1;
            return r;
        }
        std::uint32_t n = 0;
        r = client.NWDSGetObjCount(context, reply.buffer, &n);
        if (r < 0) {
            AddError(r, OP_GET_OBJ_COUNT, base);
            hasErrors = 1;
            return r;
        }
        for (std::uint32_t i = 0; i < n; ++i) {
            entryName.clear();
            std::uint32_t attributeCount = 0;
            ObjectInfo info;
            r = client.NWDSGetObjName(context, reply.buffer, entryName, &attributeCount, &info);
            if (r == dirError::kNameTooLong) {
                // One entry whose name cannot be handed out: refused alone, like an over-long
                // composed name, so the containers listed after it are still counted.
                AddError(r, OP_GET_OBJ_NAME, base);
                hasErrors = 1;
                continue;
            }
            if (r != 0) {
                AddError(r, OP_GET_OBJ_NAME, base);
                hasErrors = 1;
                nameReadFailed = true;
                break;
            }
            if ((info.objectFlags & kContainerFlag) == 0) {
                continue;
            }
            if (VisitChild(base, entryName.c_str()) == kCancelled) {
                return kCancelled;
            }
        }
    } while (!nameReadFailed && iteration != kNoIteration);

    return Poll() == kCancelled ? kCancelled : 0;
}

int CCountNode::VisitChild(const char* base, const char* entryName) {
    if (callbacks.showProgress) {
        callbacks.showProgress(entryName);
    }
    const std::string childName = ComposeFullName(base, entryName);
    if (RefusedAsTooLong(OP_SEARCH, childName.c_str())) {
        // Refused whole rather than cut: a cut name would count some other container.
        return 0;
    }
    if (byPartition != 0) {
        std::string rootName;
        const int found = client.FindPartitionRoot(context, childName.c_str(), rootName);
        if (found != 0) {
            // Whether the child starts a partition is unknown: it is counted into this node,
            // as any container, and the failed query is on record like every failed call.
            AddError(found, OP_GET_PARTITION_ROOT, childName.c_str());
            hasErrors = 1;
        }
        if (found != 0 || childName != rootName) {
            return Process(childName.c_str()) == kCancelled ? kCancelled : 0;
        }
    }
    auto* child = new (std::nothrow) CCountNode(client, context, childName, entryName, queue, this,
                                                className, byPartition != 0, callbacks);
    if (child != nullptr) {
        Enqueue(queue, child);
    }
    return 0;
}

}  // namespace vantor
