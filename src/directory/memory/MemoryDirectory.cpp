#include "directory/memory/MemoryDirectory.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "engine/FullName.h"

namespace vantor {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

constexpr std::string_view kPartitionClass = "Partition";

}  // namespace

struct MemoryDirectory::Entry {
    struct Listed {
        EntryId container;     // kRoot when the entry is a leaf
        std::string leafName;  // name of a listed leaf
    };
    std::string name;
    std::string fullName;
    EntryId parent = kRoot;
    bool partitionRoot = false;
    std::vector<std::uint32_t> classes;
    std::vector<Listed> listed;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> objectCounts;  // class id, count
};

struct MemoryDirectory::Iteration {
    bool search = false;
    EntryId container = kRoot;
    std::uint32_t classId = 0;
    std::uint32_t position = 0;
};

class MemoryDirectory::Buffer : public DirBuffer {
  public:
    bool prepared = false;
    std::optional<std::uint32_t> filterClass;  // set by StoreFilter; nullopt: matches nothing
    bool hasFilter = false;
    std::string container;  // full name of the last batch's container
    std::uint32_t objectCount = 0;
    std::vector<std::pair<std::string, bool>> names;  // listing batch: name, is container
    std::size_t readIndex = 0;
};

class MemoryDirectory::Filter : public FilterCursor {
  public:
    std::vector<std::pair<int, std::string>> items;
};

MemoryDirectory::MemoryDirectory() {
    Entry root;
    root.name = kRootName;
    root.fullName = root.name;
    root.partitionRoot = true;
    entries_.push_back(std::move(root));
}

MemoryDirectory::~MemoryDirectory() = default;

std::size_t MemoryDirectory::ContainerCount() const {
    return entries_.size();
}

std::size_t MemoryDirectory::LiveIterations() const {
    return iterations_.size();
}

MemoryDirectory::EntryId MemoryDirectory::AddContainer(EntryId parent, std::string name,
                                                       const std::vector<std::string>& classes) {
    const auto id = static_cast<EntryId>(entries_.size());
    Entry entry;
    entry.fullName = ComposeFullName(entries_.at(parent).fullName, name);
    entry.name = std::move(name);
    entry.parent = parent;
    for (const std::string& c : classes) {
        entry.classes.push_back(ClassId(c));
    }
    auto [slot, inserted] = byFullName_.try_emplace(entry.fullName, id);
    if (!inserted) {
        slot->second = kAmbiguous;  // two entries compose the same name; neither is reachable
    }
    entries_.push_back(std::move(entry));
    entries_[parent].listed.push_back({id, {}});
    return id;
}

void MemoryDirectory::MarkPartitionRoot(EntryId container) {
    Entry& entry = entries_.at(container);
    if (!entry.partitionRoot) {
        entry.partitionRoot = true;
        entry.classes.push_back(ClassId(kPartitionClass));
    }
}

void MemoryDirectory::AddObjects(EntryId parent, std::string_view className, std::uint32_t count) {
    const std::uint32_t id = ClassId(className);
    auto& counts = entries_.at(parent).objectCounts;
    auto it = std::find_if(counts.begin(), counts.end(), [&](auto& p) { return p.first == id; });
    if (it == counts.end()) {
        counts.emplace_back(id, count);
    } else {
        it->second += count;
    }
}

void MemoryDirectory::AddListedLeaf(EntryId parent, std::string name) {
    entries_.at(parent).listed.push_back({kRoot, std::move(name)});
}

MemoryDirectory::EntryId MemoryDirectory::Path(std::string_view dottedFullName) {
    if (IsRootName(dottedFullName)) {
        return kRoot;
    }
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t dot = dottedFullName.find('.', start);
        parts.push_back(dottedFullName.substr(start, dot - start));
        if (dot == std::string_view::npos) {
            break;
        }
        start = dot + 1;
    }
    EntryId current = kRoot;
    for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
        const auto found = Find(ComposeFullName(entries_[current].fullName, *part));
        current = found ? *found : AddContainer(current, std::string(*part));
    }
    return current;
}

std::optional<MemoryDirectory::EntryId> MemoryDirectory::Find(std::string_view fullName) const {
    if (IsRootName(fullName)) {
        return kRoot;
    }
    auto it = byFullName_.find(std::string(fullName));
    if (it == byFullName_.end() || it->second == kAmbiguous) {
        return std::nullopt;
    }
    return it->second;
}

std::uint32_t MemoryDirectory::ClassId(std::string_view className) {
    if (auto id = FindClassId(className)) {
        return *id;
    }
    classNames_.push_back(Lower(className));
    return static_cast<std::uint32_t>(classNames_.size() - 1);
}

std::optional<std::uint32_t> MemoryDirectory::FindClassId(std::string_view className) const {
    const std::string lower = Lower(className);
    for (std::size_t i = 0; i < classNames_.size(); ++i) {
        if (classNames_[i] == lower) {
            return static_cast<std::uint32_t>(i);
        }
    }
    return std::nullopt;
}

std::uint32_t MemoryDirectory::Matches(const Entry& container, std::uint32_t classId) const {
    std::uint32_t total = 0;
    for (const auto& [id, n] : container.objectCounts) {
        if (id == classId) {
            total += n;
        }
    }
    for (const Entry::Listed& child : container.listed) {
        if (child.container != kRoot) {
            const auto& classes = entries_[child.container].classes;
            total += std::count(classes.begin(), classes.end(), classId) > 0 ? 1 : 0;
        }
    }
    return total;
}

int MemoryDirectory::Record(DirCall call) {
    const int result = call.result;
    if (recording_) {
        calls_.push_back(std::move(call));
    }
    return result;
}

int MemoryDirectory::Fail(int code, std::string cause) {
    failureCause_ = std::move(cause);
    return code;
}

int MemoryDirectory::NotOpen(DirContext context) {
    return Fail(dirError::kInvalidSyntax, "no context " + std::to_string(context) + " is open");
}

int MemoryDirectory::NoIteration(std::int32_t handle) {
    return Fail(dirError::kInvalidSyntax,
                "no search or listing is in progress with handle " + std::to_string(handle));
}

int MemoryDirectory::ContextKeyFailure(DirContext context, int key, int expectedKey) {
    if (!KnownContext(context)) {
        return NotOpen(context);
    }
    if (key != expectedKey) {
        return Fail(dirError::kInvalidSyntax,
                    "no context value has the key " + std::to_string(key));
    }
    return 0;
}

int MemoryDirectory::UnknownName(const char* name) {
    if (name == nullptr) {
        return Fail(dirError::kObjectNotFound, "no container name was given");
    }
    const auto it = byFullName_.find(name);
    if (it != byFullName_.end() && it->second == kAmbiguous) {
        return Fail(dirError::kObjectNotFound,
                    "two containers have the full name \"" + std::string(name) + "\"");
    }
    return Fail(dirError::kObjectNotFound,
                "no container has the full name \"" + std::string(name) + "\"");
}

std::optional<int> MemoryDirectory::InjectedFailure(DirOp op, std::string_view name) {
    const int nth = ++callCounts_[static_cast<int>(op)];
    for (const FailureRule& rule : failures_) {
        if (rule.op == op && (rule.container.empty() || rule.container == name) &&
            (rule.nthCall == 0 || rule.nthCall == nth)) {
            return Fail(rule.code, "injected failure " + std::to_string(rule.code));
        }
    }
    return std::nullopt;
}

std::optional<MemoryDirectory::EntryId> MemoryDirectory::Resolve(const char* name) const {
    return name == nullptr ? std::nullopt : Find(name);
}

bool MemoryDirectory::KnownContext(DirContext context) const {
    return std::find(contexts_.begin(), contexts_.end(), context) != contexts_.end();
}

std::int32_t MemoryDirectory::StartIteration(Iteration iteration) {
    const std::int32_t handle = nextIteration_++;
    iterations_.emplace(handle, iteration);
    return handle;
}

int MemoryDirectory::SelectLocale(int category, const char* locale) {
    return Record({DirOp::SelectLocale, locale != nullptr ? locale : "", 0, category});
}

int MemoryDirectory::ReadLocaleConventions(LocaleConventions& record) {
    record.country = 1;
    record.codePage = 437;
    return Record({DirOp::ReadLocaleConventions, "", 0, 0, &record});
}

int MemoryDirectory::LoadUnicodeTables(std::int32_t country, std::int32_t codePage) {
    const int result = InjectedFailure(DirOp::LoadUnicodeTables, "").value_or(0);
    tablesLoaded_ = result == 0;
    return Record({DirOp::LoadUnicodeTables, "", country, codePage, nullptr, result});
}

int MemoryDirectory::UnloadUnicodeTables() {
    tablesLoaded_ = false;
    return Record({DirOp::UnloadUnicodeTables, ""});
}

int MemoryDirectory::OpenContext() {
    int result = InjectedFailure(DirOp::OpenContext, "").value_or(0);
    if (result == 0) {
        result = nextContext_++;
        contexts_.push_back(result);
        contextFlags_[result] = 0;
    } else {
        failureCause_ = openFailureCause_;
    }
    return Record({DirOp::OpenContext, "", 0, 0, nullptr, result});
}

int MemoryDirectory::CloseContext(DirContext context) {
    int result = 0;
    if (KnownContext(context)) {
        contexts_.erase(std::find(contexts_.begin(), contexts_.end(), context));
        contextFlags_.erase(context);
        iterations_.clear();  // listings left open by a walk end with their context
    } else {
        result = NotOpen(context);
    }
    return Record({DirOp::CloseContext, "", 0, context, nullptr, result});
}

int MemoryDirectory::ReadContextValue(DirContext context, int key, std::uint32_t& flags) {
    int result = ContextKeyFailure(context, key, kContextKeyFlags);
    if (result == 0) {
        flags = contextFlags_[context];
    }
    return Record({DirOp::ReadContextValue, "", 0, key, nullptr, result});
}

int MemoryDirectory::WriteContextValue(DirContext context, int key, std::uint32_t flags) {
    const int result = ContextKeyFailure(context, key, kContextKeyFlags);
    if (result == 0) {
        contextFlags_[context] = flags;
    }
    return Record({DirOp::WriteContextValue, std::to_string(flags), 0, key, nullptr, result});
}

int MemoryDirectory::WriteContextValue(DirContext context, int key, const char* text) {
    int result = ContextKeyFailure(context, key, kContextKeyNameContext);
    if (result == 0 && text == nullptr) {
        result = Fail(dirError::kInvalidSyntax, "no name context was given");
    }
    return Record({DirOp::WriteContextValue, text != nullptr ? text : "", 0, key, nullptr, result});
}

int MemoryDirectory::NWDSAllocBuf(std::size_t size, DirBuffer** buffer) {
    *buffer = nullptr;
    int result = InjectedFailure(DirOp::AllocBuf, "").value_or(0);
    if (result == 0) {
        *buffer = new Buffer;
        ++liveBuffers_;
    }
    return Record({DirOp::AllocBuf, "", 0, static_cast<std::int32_t>(size), *buffer, result});
}

int MemoryDirectory::PrepareBuffer(DirContext context, int operation, DirBuffer* buffer) {
    int result = InjectedFailure(DirOp::PrepareBuffer, "").value_or(0);
    if (result == 0 && !KnownContext(context)) {
        result = NotOpen(context);
    } else if (result == 0 && buffer == nullptr) {
        result = Fail(dirError::kInvalidSyntax, "no buffer was given to prepare");
    }
    if (result == 0) {
        static_cast<Buffer*>(buffer)->prepared = true;
    }
    return Record({DirOp::PrepareBuffer, "", 0, operation, buffer, result});
}

int MemoryDirectory::ReleaseBuffer(DirBuffer* buffer) {
    if (buffer != nullptr) {
        delete static_cast<Buffer*>(buffer);
        --liveBuffers_;
    }
    return Record({DirOp::ReleaseBuffer, "", 0, 0, buffer, 0});
}

int MemoryDirectory::NewFilter(FilterCursor** cursor) {
    *cursor = nullptr;
    int result = InjectedFailure(DirOp::NewFilter, "").value_or(0);
    if (result == 0) {
        *cursor = new Filter;
        ++liveFilters_;
    }
    return Record({DirOp::NewFilter, "", 0, 0, *cursor, result});
}

int MemoryDirectory::AddFilterItem(FilterCursor* cursor, int token, const char* value, int syntax) {
    const std::string text = value != nullptr ? value : "";
    int result = InjectedFailure(DirOp::AddFilterItem, text).value_or(0);
    if (result == 0) {
        static_cast<Filter*>(cursor)->items.emplace_back(token, text);
    }
    return Record({DirOp::AddFilterItem, text, syntax, token, cursor, result});
}

int MemoryDirectory::StoreFilter(DirContext context, DirBuffer* buffer, FilterCursor* cursor,
                                 void (*)(void*)) {
    int result = InjectedFailure(DirOp::StoreFilter, "").value_or(0);
    auto* filter = static_cast<Filter*>(cursor);
    auto* target = static_cast<Buffer*>(buffer);
    const std::vector<std::pair<int, std::string>> expectedShape = {
        {filterToken::kAttributeName, "Object Class"},
        {filterToken::kEquals, ""},
        {filterToken::kValue, filter->items.size() > 2 ? filter->items[2].second : ""},
        {filterToken::kEnd, ""}};
    if (result == 0 && !KnownContext(context)) {
        result = NotOpen(context);
    } else if (result == 0 && !target->prepared) {
        result = Fail(dirError::kInvalidSyntax, "the filter buffer was not prepared");
    } else if (result == 0 && filter->items != expectedShape) {
        result = Fail(dirError::kInvalidSyntax,
                      "only the filter \"Object Class\" = class name is supported");
    }
    if (result == 0) {
        target->filterClass = FindClassId(filter->items[2].second);
        target->hasFilter = true;
    }
    delete filter;
    --liveFilters_;
    return Record({DirOp::StoreFilter, "", 0, 0, cursor, result});
}

int MemoryDirectory::FreeFilter(FilterCursor* cursor) {
    if (cursor != nullptr) {
        delete static_cast<Filter*>(cursor);
        --liveFilters_;
    }
    return Record({DirOp::FreeFilter, "", 0, 0, cursor, 0});
}

int MemoryDirectory::NWDSSearch(DirContext context, const char* base, int scope, int,
                                DirBuffer* filter, int, int, DirBuffer*,
                                std::int32_t* iterationHandle, std::int32_t, std::int32_t*,
                                DirBuffer* reply) {
    const std::string name = base != nullptr ? base : "";
    const std::int32_t handleIn = *iterationHandle;
    DirCall call{DirOp::Search, name, handleIn, scope, reply};
    if (auto failure = InjectedFailure(DirOp::Search, name)) {
        iterations_.erase(handleIn);
        *iterationHandle = kNoIteration;
        call.result = *failure;
        return Record(std::move(call));
    }
    auto* filterBuffer = static_cast<Buffer*>(filter);
    auto* out = static_cast<Buffer*>(reply);
    const auto container = Resolve(base);
    if (!KnownContext(context)) {
        call.result = NotOpen(context);
    } else if (filterBuffer == nullptr || !filterBuffer->hasFilter) {
        call.result = Fail(dirError::kInvalidSyntax, "the search has no stored filter");
    } else if (!container) {
        call.result = UnknownName(base);
    }
    if (call.result != 0) {
        *iterationHandle = kNoIteration;
        return Record(std::move(call));
    }

    Iteration state{true, *container, filterBuffer->filterClass.value_or(UINT32_MAX), 0};
    if (handleIn != kNoIteration) {
        auto it = iterations_.find(handleIn);
        if (it == iterations_.end()) {
            call.result = NoIteration(handleIn);
            *iterationHandle = kNoIteration;
            return Record(std::move(call));
        }
        state = it->second;
        iterations_.erase(it);
    }
    const std::uint32_t total =
        filterBuffer->filterClass ? Matches(entries_[state.container], state.classId) : 0;
    const std::uint32_t batch = std::min(searchBatch_, total - std::min(total, state.position));
    state.position += batch;
    out->container = name;
    out->objectCount = batch;
    out->names.clear();
    out->readIndex = 0;
    *iterationHandle = state.position < total ? StartIteration(state) : kNoIteration;
    return Record(std::move(call));
}

int MemoryDirectory::NWDSGetObjCount(DirContext, DirBuffer* reply, std::uint32_t* count) {
    auto* buffer = static_cast<Buffer*>(reply);
    int result = InjectedFailure(DirOp::GetObjCount, buffer->container).value_or(0);
    if (result == 0) {
        *count = buffer->objectCount;
    }
    return Record({DirOp::GetObjCount, buffer->container, 0, 0, reply, result});
}

int MemoryDirectory::EndIteration(DirContext, std::int32_t iterationHandle, int operation) {
    const int result = iterations_.erase(iterationHandle) > 0 ? 0 : NoIteration(iterationHandle);
    return Record({DirOp::EndIteration, "", iterationHandle, operation, nullptr, result});
}

int MemoryDirectory::NWDSListContainers(DirContext context, const char* name,
                                        std::int32_t* iterationHandle, DirBuffer* reply) {
    const std::string text = name != nullptr ? name : "";
    const std::int32_t handleIn = *iterationHandle;
    DirCall call{DirOp::ListContainers, text, handleIn, 0, reply};
    auto* out = static_cast<Buffer*>(reply);
    const auto container = Resolve(name);
    if (auto failure = InjectedFailure(DirOp::ListContainers, text)) {
        call.result = *failure;
    } else if (!KnownContext(context)) {
        call.result = NotOpen(context);
    } else if (!container) {
        call.result = UnknownName(name);
    }
    Iteration state{false, container.value_or(kRoot), 0, 0};
    if (call.result == 0 && handleIn != kNoIteration) {
        auto it = iterations_.find(handleIn);
        if (it == iterations_.end()) {
            call.result = NoIteration(handleIn);
        } else {
            state = it->second;
        }
    }
    iterations_.erase(handleIn);
    if (call.result != 0) {
        *iterationHandle = kNoIteration;
        return Record(std::move(call));
    }
    const auto& listed = entries_[state.container].listed;
    out->container = text;
    out->names.clear();
    out->readIndex = 0;
    while (state.position < listed.size() && out->names.size() < listBatch_) {
        const Entry::Listed& child = listed[state.position++];
        if (child.container != kRoot) {
            out->names.emplace_back(entries_[child.container].name, true);
        } else {
            out->names.emplace_back(child.leafName, false);
        }
    }
    out->objectCount = static_cast<std::uint32_t>(out->names.size());
    *iterationHandle = state.position < listed.size() ? StartIteration(state) : kNoIteration;
    return Record(std::move(call));
}

int MemoryDirectory::NWDSGetObjName(DirContext, DirBuffer* reply, char* objectName,
                                    std::uint32_t* attributeCount, ObjectInfo* info) {
    auto* buffer = static_cast<Buffer*>(reply);
    int result = InjectedFailure(DirOp::GetObjName, buffer->container).value_or(0);
    std::string name;
    if (result == 0 && buffer->readIndex >= buffer->names.size()) {
        result = Fail(dirError::kInvalidSyntax, "every name of the batch has been read");
    }
    if (result == 0) {
        const auto& [entryName, isContainer] = buffer->names[buffer->readIndex++];
        name = entryName;
        if (name.size() > kMaxNameChars) {
            result = Fail(dirError::kNameTooLong,
                          "the name of an entry under \"" + buffer->container +
                              "\" is longer than " + std::to_string(kMaxNameChars) + " characters");
        } else {
            std::memcpy(objectName, name.c_str(), name.size() + 1);
            *attributeCount = 0;
            info->objectFlags = isContainer ? kContainerFlag : 0;
        }
    }
    return Record({DirOp::GetObjName, name, 0, 0, reply, result});
}

int MemoryDirectory::FindPartitionRoot(DirContext, const char* name, char* rootName) {
    const std::string text = name != nullptr ? name : "";
    int result = InjectedFailure(DirOp::FindPartitionRoot, text).value_or(0);
    if (result == 0) {
        if (auto entry = Resolve(name)) {
            EntryId at = *entry;
            while (!entries_[at].partitionRoot) {
                at = entries_[at].parent;
            }
            const std::string& root = entries_[at].fullName;
            if (root.size() > kMaxNameChars) {
                result =
                    Fail(dirError::kNameTooLong, "the full name of the partition root of \"" +
                                                     text + "\" is longer than " +
                                                     std::to_string(kMaxNameChars) + " characters");
            } else {
                std::memcpy(rootName, root.c_str(), root.size() + 1);
            }
        } else {
            result = UnknownName(name);
        }
    }
    return Record({DirOp::FindPartitionRoot, text, 0, 0, nullptr, result});
}

}  // namespace vantor
