#include "engine/CountNode.h"

namespace vantor {

namespace {

// Owns the two buffers and the filter cursor of one search, so every path releases them.
class SearchResources {
  public:
    explicit SearchResources(DirectoryClient& client) : client_(client) {}
    ~SearchResources() {
        if (cursor != nullptr) {
            client_.FreeFilter(cursor);
        }
        if (filter != nullptr) {
            client_.ReleaseBuffer(filter);
        }
        if (reply != nullptr) {
            client_.ReleaseBuffer(reply);
        }
    }
    SearchResources(const SearchResources&) = delete;
    SearchResources& operator=(const SearchResources&) = delete;

    DirBuffer* reply = nullptr;
    DirBuffer* filter = nullptr;
    FilterCursor* cursor = nullptr;  // owned until StoreFilter takes it

  private:
    DirectoryClient& client_;
};

// Builds "Object Class" = className into the filter buffer. 0 or the failing step's code.
int PrepareFilter(DirectoryClient& client, DirContext context, const char* className,
                  SearchResources& resources) {
    int r = client.NWDSAllocBuf(4096, &resources.reply);
    if (r == 0) {
        r = client.NWDSAllocBuf(4096, &resources.filter);
    }
    if (r == 0) {
        r = client.PrepareBuffer(context, kSearchOperation, resources.filter);
    }
    if (r == 0) {
        r = client.NewFilter(&resources.cursor);
    }
    if (r == 0) {
        r = client.AddFilterItem(resources.cursor, filterToken::kAttributeName, "Object Class",
                                 kSyntaxClassName);
    }
    if (r == 0) {
        r = client.AddFilterItem(resources.cursor, filterToken::kEquals, nullptr, 0);
    }
    if (r == 0) {
        r = client.AddFilterItem(resources.cursor, filterToken::kValue, className,
                                 kSyntaxClassName);
    }
    if (r == 0) {
        r = client.AddFilterItem(resources.cursor, filterToken::kEnd, nullptr, 0);
    }
    if (r == 0) {
        FilterCursor* cursor = resources.cursor;
        resources.cursor = nullptr;  // StoreFilter disposes of it, whatever its result
        r = client.StoreFilter(context, resources.filter, cursor, nullptr);
    }
    return r;
}

}  // namespace

int CCountNode::CountObjects(const char* name) {
    const char* base = name != nullptr ? name : fullName.c_str();
    if (RefusedAsTooLong(OP_SEARCH, base)) {
        return dirError::kNameTooLong;
    }

    int r = 0;
    bool setupFailed = false;
    {
        SearchResources resources(client);
        r = PrepareFilter(client, context, className, resources);
        setupFailed = r != 0;
        if (!setupFailed) {
            r = SearchBatches(base, resources.filter, resources.reply);
        }
    }  // both buffers are released here, before a failed setup step is recorded
    if (setupFailed) {
        AddError(r, OP_SEARCH, base);
        hasErrors = 1;
    }
    return r;
}

int CCountNode::SearchBatches(const char* base, DirBuffer* filter, DirBuffer* reply) {
    int r = 0;
    std::int32_t iteration = kNoIteration;
    do {
        r = client.NWDSSearch(context, base, kScopeOneLevel, 0, filter, kInfoTypeNames, 0, nullptr,
                              &iteration, 0, nullptr, reply);
        if (r < 0) {
            AddError(r, OP_SEARCH, base);
            hasErrors = 1;
        } else {
            r = AddBatchCount(base, reply);
        }
        if (Poll() == kCancelled) {
            r = kCancelled;
        }
    } while (r == 0 && iteration != kNoIteration);
    // A search cut short by a failure or a cancel is ended now, not when the context closes.
    if (iteration != kNoIteration) {
        client.EndIteration(context, iteration, kSearchOperation);
    }
    return r;
}

int CCountNode::AddBatchCount(const char* base, DirBuffer* reply) {
    std::uint32_t n = 0;
    KindCounts kinds{};
    int r = client.NWDSGetObjCount(context, reply, &n);
    if (r == 0 && std::string_view(className) == kEveryKindClassName) {
        r = client.ReadKindCounts(context, reply, kinds);
    }
    if (r != 0) {
        AddError(r, OP_GET_OBJ_COUNT, base);
        hasErrors = 1;
        return r;
    }
    count += static_cast<std::int32_t>(n);
    for (std::size_t kind = 0; kind < kinds.size(); ++kind) {
        kindCounts[kind] += kinds[kind];
    }
    return 0;
}

}  // namespace vantor
