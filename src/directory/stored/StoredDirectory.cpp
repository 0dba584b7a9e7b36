#include "directory/stored/StoredDirectory.h"

#include <algorithm>

#include "engine/FullName.h"

namespace vantor {

struct StoredDirectory::Iteration {
    bool search = false;
    EntryId container = kRoot;
    std::uint32_t classId = 0;
    std::uint32_t position = 0;
    bool everyKind = false;
};

class StoredDirectory::Buffer : public DirBuffer {
  public:
    bool prepared = false;
    std::optional<std::uint32_t> filterClass;  // set by StoreFilter; nullopt: matches nothing
    bool everyKind = false;                    // the filter named kEveryKindClassName
    bool hasFilter = false;
    std::string container;  // full name of the last batch's container
    std::uint32_t objectCount = 0;
    std::optional<KindCounts> kindCounts;  // a search batch of every kind
    std::vector<std::string> names;        // listing batch
    std::vector<Listed> entries;           // their entries, names pointing into names
    std::size_t readIndex = 0;
};

class StoredDirectory::Filter : public FilterCursor {
  public:
    std::vector<std::pair<int, std::string>> items;
};

StoredDirectory::StoredDirectory() = default;
StoredDirectory::~StoredDirectory() = default;

std::optional<std::pair<int, std::string>> StoredDirectory::SearchRefusal(EntryId) const {
    return std::nullopt;
}

int StoredDirectory::Fail(int code, std::string cause) {
    failureCause_ = std::move(cause);
    return code;
}

int StoredDirectory::NotOpen(DirContext context) {
    return Fail(dirError::kInvalidSyntax, "no context " + std::to_string(context) + " is open");
}

int StoredDirectory::NoIteration(std::int32_t handle) {
    return Fail(dirError::kInvalidSyntax,
                "no search or listing is in progress with handle " + std::to_string(handle));
}

int StoredDirectory::ContextKeyFailure(DirContext context, int key, int expectedKey) {
    if (!KnownContext(context)) {
        return NotOpen(context);
    }
    if (key != expectedKey) {
        return Fail(dirError::kInvalidSyntax,
                    "no context value has the key " + std::to_string(key));
    }
    return 0;
}

std::optional<StoredDirectory::EntryId> StoredDirectory::Resolve(const char* name) {
    if (name == nullptr) {
        Fail(dirError::kObjectNotFound, "no container name was given");
        return std::nullopt;
    }
    std::string whyNot;
    auto found = FindContainer(name, whyNot);
    if (!found) {
        Fail(dirError::kObjectNotFound, std::move(whyNot));
    }
    return found;
}

bool StoredDirectory::KnownContext(DirContext context) const {
    return std::find(contexts_.begin(), contexts_.end(), context) != contexts_.end();
}

std::int32_t StoredDirectory::StartIteration(const Iteration& iteration) {
    const std::int32_t handle = nextIteration_++;
    iterations_.emplace(handle, iteration);
    return handle;
}

int StoredDirectory::SelectLocale(int, const char*) {
    return 0;
}

int StoredDirectory::ReadLocaleConventions(LocaleConventions& record) {
    record.country = 1;
    record.codePage = 437;
    return 0;
}

int StoredDirectory::LoadUnicodeTables(std::int32_t, std::int32_t) {
    tablesLoaded_ = true;
    return 0;
}

int StoredDirectory::UnloadUnicodeTables() {
    tablesLoaded_ = false;
    return 0;
}

int StoredDirectory::OpenContext() {
    const DirContext context = nextContext_++;
    contexts_.push_back(context);
    contextFlags_[context] = 0;
    return context;
}

int StoredDirectory::CloseContext(DirContext context) {
    if (!KnownContext(context)) {
        return NotOpen(context);
    }
    contexts_.erase(std::find(contexts_.begin(), contexts_.end(), context));
    contextFlags_.erase(context);
    iterations_.clear();  // listings left open by a walk end with their context
    return 0;
}

int StoredDirectory::ReadContextValue(DirContext context, int key, std::uint32_t& flags) {
    const int result = ContextKeyFailure(context, key, kContextKeyFlags);
    if (result == 0) {
        flags = contextFlags_[context];
    }
    return result;
}

int StoredDirectory::WriteContextValue(DirContext context, int key, std::uint32_t flags) {
    const int result = ContextKeyFailure(context, key, kContextKeyFlags);
    if (result == 0) {
        contextFlags_[context] = flags;
    }
    return result;
}

int StoredDirectory::WriteContextValue(DirContext context, int key, const char* text) {
    const int result = ContextKeyFailure(context, key, kContextKeyNameContext);
    if (result == 0 && text == nullptr) {
        return Fail(dirError::kInvalidSyntax, "no name context was given");
    }
    return result;
}

int StoredDirectory::NWDSAllocBuf(std::size_t, DirBuffer** buffer) {
    *buffer = new Buffer;
    ++liveBuffers_;
    return 0;
}

int StoredDirectory::PrepareBuffer(DirContext context, int, DirBuffer* buffer) {
    if (!KnownContext(context)) {
        return NotOpen(context);
    }
    if (buffer == nullptr) {
        return Fail(dirError::kInvalidSyntax, "no buffer was given to prepare");
    }
    static_cast<Buffer*>(buffer)->prepared = true;
    return 0;
}

int StoredDirectory::ReleaseBuffer(DirBuffer* buffer) {
    if (buffer != nullptr) {
        delete static_cast<Buffer*>(buffer);
        --liveBuffers_;
    }
    return 0;
}

int StoredDirectory::NewFilter(FilterCursor** cursor) {
    *cursor = new Filter;
    ++liveFilters_;
    return 0;
}

int StoredDirectory::AddFilterItem(FilterCursor* cursor, int token, const char* value, int) {
    static_cast<Filter*>(cursor)->items.emplace_back(token, value != nullptr ? value : "");
    return 0;
}

int StoredDirectory::StoreFilter(DirContext context, DirBuffer* buffer, FilterCursor* cursor,
                                 void (*)(void*)) {
    auto* filter = static_cast<Filter*>(cursor);
    auto* target = static_cast<Buffer*>(buffer);
    const std::vector<std::pair<int, std::string>> expectedShape = {
        {filterToken::kAttributeName, "Object Class"},
        {filterToken::kEquals, ""},
        {filterToken::kValue, filter->items.size() > 2 ? filter->items[2].second : ""},
        {filterToken::kEnd, ""}};
    int result = 0;
    if (!KnownContext(context)) {
        result = NotOpen(context);
    } else if (!target->prepared) {
        result = Fail(dirError::kInvalidSyntax, "the filter buffer was not prepared");
    } else if (filter->items != expectedShape) {
        result = Fail(dirError::kInvalidSyntax,
                      "only the filter \"Object Class\" = class name is supported");
    } else {
        target->everyKind = filter->items[2].second == kEveryKindClassName;
        target->filterClass = ClassOf(filter->items[2].second);
        target->hasFilter = true;
    }
    delete filter;
    --liveFilters_;
    return result;
}

int StoredDirectory::FreeFilter(FilterCursor* cursor) {
    if (cursor != nullptr) {
        delete static_cast<Filter*>(cursor);
        --liveFilters_;
    }
    return 0;
}

int StoredDirectory::NWDSSearch(DirContext context, const char* base, int, int, DirBuffer* filter,
                                int, int, DirBuffer*, std::int32_t* iterationHandle, std::int32_t,
                                std::int32_t*, DirBuffer* reply) {
    const std::int32_t handleIn = *iterationHandle;
    *iterationHandle = kNoIteration;
    auto* filterBuffer = static_cast<Buffer*>(filter);
    auto* out = static_cast<Buffer*>(reply);
    if (!KnownContext(context)) {
        return NotOpen(context);
    }
    if (filterBuffer == nullptr || !filterBuffer->hasFilter) {
        return Fail(dirError::kInvalidSyntax, "the search has no stored filter");
    }
    const auto container = Resolve(base);
    if (!container) {
        return dirError::kObjectNotFound;
    }
    if (auto refused = SearchRefusal(*container)) {
        iterations_.erase(handleIn);
        return Fail(refused->first, std::move(refused->second));
    }
    Iteration state{true, *container, filterBuffer->filterClass.value_or(UINT32_MAX), 0,
                    filterBuffer->everyKind};
    if (handleIn != kNoIteration) {
        auto it = iterations_.find(handleIn);
        if (it == iterations_.end()) {
            return NoIteration(handleIn);
        }
        state = it->second;
        iterations_.erase(it);
    }
    // Every kind: the kinds' objects one after the other, a batch taking what its span covers.
    KindCounts kinds{};
    if (state.everyKind) {
        for (std::size_t kind = 0; kind < kinds.size(); ++kind) {
            if (const auto id = ClassOf(kKindClassNames[kind])) {
                kinds[kind] = ObjectCount(state.container, *id);
            }
        }
    }
    std::uint32_t total = 0;
    for (const std::uint32_t objects : kinds) {
        total += objects;
    }
    if (!state.everyKind && filterBuffer->filterClass) {
        total = ObjectCount(state.container, state.classId);
    }
    const std::uint32_t batch = std::min(searchBatch_, total - std::min(total, state.position));
    out->kindCounts.reset();
    if (state.everyKind) {
        KindCounts inBatch{};
        std::uint32_t kindStart = 0;
        for (std::size_t kind = 0; kind < kinds.size(); ++kind) {
            const std::uint32_t from = std::max(kindStart, state.position);
            const std::uint32_t to = std::min(kindStart + kinds[kind], state.position + batch);
            inBatch[kind] = to > from ? to - from : 0;
            kindStart += kinds[kind];
        }
        out->kindCounts = inBatch;
    }
    state.position += batch;
    out->container = base;
    out->objectCount = batch;
    out->names.clear();
    out->entries.clear();
    out->readIndex = 0;
    *iterationHandle = state.position < total ? StartIteration(state) : kNoIteration;
    return 0;
}

int StoredDirectory::NWDSGetObjCount(DirContext, DirBuffer* reply, std::uint32_t* count) {
    *count = static_cast<Buffer*>(reply)->objectCount;
    return 0;
}

int StoredDirectory::ReadKindCounts(DirContext context, DirBuffer* reply, KindCounts& counts) {
    if (!KnownContext(context)) {
        return NotOpen(context);
    }
    const auto& batch = static_cast<Buffer*>(reply)->kindCounts;
    if (!batch) {
        return Fail(dirError::kInvalidSyntax, "the reply is not a search batch of every kind");
    }
    counts = *batch;
    return 0;
}

int StoredDirectory::EndIteration(DirContext, std::int32_t iterationHandle, int) {
    return iterations_.erase(iterationHandle) > 0 ? 0 : NoIteration(iterationHandle);
}

int StoredDirectory::NWDSListContainers(DirContext context, const char* name,
                                        std::int32_t* iterationHandle, DirBuffer* reply) {
    const std::int32_t handleIn = *iterationHandle;
    *iterationHandle = kNoIteration;
    auto* out = static_cast<Buffer*>(reply);
    int result = 0;
    std::optional<EntryId> container;
    if (!KnownContext(context)) {
        result = NotOpen(context);
    } else if (container = Resolve(name); !container) {
        result = dirError::kObjectNotFound;
    }
    Iteration state{false, container.value_or(kRoot), 0, 0};
    if (result == 0 && handleIn != kNoIteration) {
        auto it = iterations_.find(handleIn);
        if (it == iterations_.end()) {
            result = NoIteration(handleIn);
        } else {
            state = it->second;
        }
    }
    iterations_.erase(handleIn);
    if (result != 0) {
        return result;
    }
    const std::size_t listed = ListedCount(state.container);
    out->container = name;
    out->names.clear();
    out->entries.clear();
    out->readIndex = 0;
    while (state.position < listed && out->entries.size() < listBatch_) {
        out->entries.push_back(ListedAt(state.container, state.position++));
    }
    out->names.reserve(out->entries.size());  // the names stay where the entries point
    for (Listed& entry : out->entries) {
        entry.name = out->names.emplace_back(entry.name);
    }
    out->objectCount = static_cast<std::uint32_t>(out->entries.size());
    out->kindCounts.reset();
    *iterationHandle = state.position < listed ? StartIteration(state) : kNoIteration;
    return 0;
}

int StoredDirectory::NWDSGetObjName(DirContext, DirBuffer* reply, std::string& objectName,
                                    std::uint32_t* attributeCount, ObjectInfo* info) {
    auto* buffer = static_cast<Buffer*>(reply);
    if (buffer->readIndex >= buffer->entries.size()) {
        return Fail(dirError::kInvalidSyntax, "every name of the batch has been read");
    }
    const Listed& entry = buffer->entries[buffer->readIndex++];
    if (const auto limit = NameLimit(); limit && entry.name.size() > *limit) {
        return Fail(dirError::kNameTooLong, "the name of an entry under \"" + buffer->container +
                                                "\" is longer than " + std::to_string(*limit) +
                                                " characters");
    }
    objectName.assign(entry.name);
    *attributeCount = 0;
    info->objectFlags = entry.container ? kContainerFlag : 0;
    return 0;
}

int StoredDirectory::ReadEntryDn(DirContext context, const char* name, std::string& dn) {
    if (!KnownContext(context)) {
        return NotOpen(context);
    }
    const auto container = Resolve(name);
    if (!container) {
        return dirError::kObjectNotFound;
    }
    dn = DnOf(*container);
    return 0;
}

int StoredDirectory::FindPartitionRoot(DirContext, const char* name, std::string& rootName) {
    const auto container = Resolve(name);
    if (!container) {
        return dirError::kObjectNotFound;
    }
    std::string root = FullNameOf(PartitionRootOf(*container));
    if (const auto limit = NameLimit(); limit && root.size() > *limit) {
        return Fail(dirError::kNameTooLong, "the full name of the partition root of \"" +
                                                std::string(name) + "\" is longer than " +
                                                std::to_string(*limit) + " characters");
    }
    rootName = std::move(root);
    return 0;
}

}  // namespace vantor
