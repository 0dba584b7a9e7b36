#include "directory/memory/InstrumentedDirectory.h"

namespace vantor {

std::optional<int> InstrumentedDirectory::Injected(DirOp op, std::string_view container) {
    const int nth = ++callCounts_[static_cast<int>(op)];
    for (const FailureRule& rule : failures_) {
        if (rule.op == op && (rule.container.empty() || rule.container == container) &&
            (rule.nthCall == 0 || rule.nthCall == nth)) {
            return rule.code;
        }
    }
    return std::nullopt;
}

int InstrumentedDirectory::Record(DirCall call, bool injected) {
    const int result = call.result;
    const bool failed = call.op == DirOp::LoadUnicodeTables ? result != 0 : result < 0;
    if (injected) {
        injectedCause_ = call.op == DirOp::OpenContext
                             ? openFailureCause_
                             : "injected failure " + std::to_string(result);
    } else if (failed) {
        injectedCause_.reset();
    }
    if (recording_) {
        calls_.push_back(std::move(call));
    }
    return result;
}

std::string InstrumentedDirectory::FailureCause() const {
    return injectedCause_ ? *injectedCause_ : inner_.FailureCause();
}

std::string InstrumentedDirectory::ContainerOf(const DirBuffer* reply) const {
    const auto it = batchContainers_.find(reply);
    return it != batchContainers_.end() ? it->second : std::string();
}

int InstrumentedDirectory::SelectLocale(int category, const char* locale) {
    return Record({DirOp::SelectLocale, locale != nullptr ? locale : "", 0, category, nullptr,
                   inner_.SelectLocale(category, locale)});
}

int InstrumentedDirectory::ReadLocaleConventions(LocaleConventions& record) {
    return Record(
        {DirOp::ReadLocaleConventions, "", 0, 0, &record, inner_.ReadLocaleConventions(record)});
}

int InstrumentedDirectory::LoadUnicodeTables(std::int32_t country, std::int32_t codePage) {
    DirCall call{DirOp::LoadUnicodeTables, "", country, codePage};
    if (auto code = Injected(call.op, "")) {
        call.result = *code;
        return Record(std::move(call), true);
    }
    call.result = inner_.LoadUnicodeTables(country, codePage);
    return Record(std::move(call));
}

int InstrumentedDirectory::UnloadUnicodeTables() {
    return Record({DirOp::UnloadUnicodeTables, "", 0, 0, nullptr, inner_.UnloadUnicodeTables()});
}

int InstrumentedDirectory::OpenContext() {
    if (auto code = Injected(DirOp::OpenContext, "")) {
        return Record({DirOp::OpenContext, "", 0, 0, nullptr, *code}, true);
    }
    return Record({DirOp::OpenContext, "", 0, 0, nullptr, inner_.OpenContext()});
}

int InstrumentedDirectory::CloseContext(DirContext context) {
    return Record({DirOp::CloseContext, "", 0, context, nullptr, inner_.CloseContext(context)});
}

int InstrumentedDirectory::ReadContextValue(DirContext context, int key, std::uint32_t& flags) {
    return Record({DirOp::ReadContextValue, "", 0, key, nullptr,
                   inner_.ReadContextValue(context, key, flags)});
}

int InstrumentedDirectory::WriteContextValue(DirContext context, int key, std::uint32_t flags) {
    return Record({DirOp::WriteContextValue, std::to_string(flags), 0, key, nullptr,
                   inner_.WriteContextValue(context, key, flags)});
}

int InstrumentedDirectory::WriteContextValue(DirContext context, int key, const char* text) {
    return Record({DirOp::WriteContextValue, text != nullptr ? text : "", 0, key, nullptr,
                   inner_.WriteContextValue(context, key, text)});
}

int InstrumentedDirectory::NWDSAllocBuf(std::size_t size, DirBuffer** buffer) {
    const auto number = static_cast<std::int32_t>(size);
    if (auto code = Injected(DirOp::AllocBuf, "")) {
        *buffer = nullptr;
        return Record({DirOp::AllocBuf, "", 0, number, nullptr, *code}, true);
    }
    const int result = inner_.NWDSAllocBuf(size, buffer);
    return Record({DirOp::AllocBuf, "", 0, number, *buffer, result});
}

int InstrumentedDirectory::PrepareBuffer(DirContext context, int operation, DirBuffer* buffer) {
    if (auto code = Injected(DirOp::PrepareBuffer, "")) {
        return Record({DirOp::PrepareBuffer, "", 0, operation, buffer, *code}, true);
    }
    return Record({DirOp::PrepareBuffer, "", 0, operation, buffer,
                   inner_.PrepareBuffer(context, operation, buffer)});
}

int InstrumentedDirectory::ReleaseBuffer(DirBuffer* buffer) {
    batchContainers_.erase(buffer);
    return Record({DirOp::ReleaseBuffer, "", 0, 0, buffer, inner_.ReleaseBuffer(buffer)});
}

int InstrumentedDirectory::NewFilter(FilterCursor** cursor) {
    if (auto code = Injected(DirOp::NewFilter, "")) {
        *cursor = nullptr;
        return Record({DirOp::NewFilter, "", 0, 0, nullptr, *code}, true);
    }
    const int result = inner_.NewFilter(cursor);
    return Record({DirOp::NewFilter, "", 0, 0, *cursor, result});
}

int InstrumentedDirectory::AddFilterItem(FilterCursor* cursor, int token, const char* value,
                                         int syntax) {
    const std::string text = value != nullptr ? value : "";
    if (auto code = Injected(DirOp::AddFilterItem, text)) {
        return Record({DirOp::AddFilterItem, text, syntax, token, cursor, *code}, true);
    }
    return Record({DirOp::AddFilterItem, text, syntax, token, cursor,
                   inner_.AddFilterItem(cursor, token, value, syntax)});
}

int InstrumentedDirectory::StoreFilter(DirContext context, DirBuffer* buffer, FilterCursor* cursor,
                                       void (*freeValue)(void*)) {
    if (auto code = Injected(DirOp::StoreFilter, "")) {
        inner_.FreeFilter(cursor);  // a failed store disposes of the cursor all the same
        return Record({DirOp::StoreFilter, "", 0, 0, cursor, *code}, true);
    }
    return Record({DirOp::StoreFilter, "", 0, 0, cursor,
                   inner_.StoreFilter(context, buffer, cursor, freeValue)});
}

int InstrumentedDirectory::FreeFilter(FilterCursor* cursor) {
    return Record({DirOp::FreeFilter, "", 0, 0, cursor, inner_.FreeFilter(cursor)});
}

int InstrumentedDirectory::NWDSSearch(DirContext context, const char* base, int scope,
                                      int searchAliases, DirBuffer* filter, int infoType,
                                      int allAttributes, DirBuffer* attributeNames,
                                      std::int32_t* iterationHandle,
                                      std::int32_t countObjectsToSearch,
                                      std::int32_t* countObjectsSearched, DirBuffer* reply) {
    const std::string name = base != nullptr ? base : "";
    DirCall call{DirOp::Search, name, *iterationHandle, scope, reply};
    if (auto code = Injected(call.op, name)) {
        // A failed batch ends its search.
        if (*iterationHandle != kNoIteration) {
            inner_.EndIteration(context, *iterationHandle, kSearchOperation);
        }
        *iterationHandle = kNoIteration;
        call.result = *code;
        return Record(std::move(call), true);
    }
    call.result = inner_.NWDSSearch(context, base, scope, searchAliases, filter, infoType,
                                    allAttributes, attributeNames, iterationHandle,
                                    countObjectsToSearch, countObjectsSearched, reply);
    if (call.result == 0) {
        batchContainers_[reply] = name;
    }
    return Record(std::move(call));
}

int InstrumentedDirectory::NWDSGetObjCount(DirContext context, DirBuffer* reply,
                                           std::uint32_t* count) {
    DirCall call{DirOp::GetObjCount, ContainerOf(reply), 0, 0, reply};
    if (auto code = Injected(call.op, call.name)) {
        call.result = *code;
        return Record(std::move(call), true);
    }
    call.result = inner_.NWDSGetObjCount(context, reply, count);
    return Record(std::move(call));
}

int InstrumentedDirectory::EndIteration(DirContext context, std::int32_t iterationHandle,
                                        int operation) {
    return Record({DirOp::EndIteration, "", iterationHandle, operation, nullptr,
                   inner_.EndIteration(context, iterationHandle, operation)});
}

int InstrumentedDirectory::NWDSListContainers(DirContext context, const char* name,
                                              std::int32_t* iterationHandle, DirBuffer* reply) {
    const std::string text = name != nullptr ? name : "";
    DirCall call{DirOp::ListContainers, text, *iterationHandle, 0, reply};
    if (auto code = Injected(call.op, text)) {
        if (*iterationHandle != kNoIteration) {
            inner_.EndIteration(context, *iterationHandle, kSearchOperation);
        }
        *iterationHandle = kNoIteration;
        call.result = *code;
        return Record(std::move(call), true);
    }
    call.result = inner_.NWDSListContainers(context, name, iterationHandle, reply);
    if (call.result == 0) {
        batchContainers_[reply] = text;
    }
    return Record(std::move(call));
}

int InstrumentedDirectory::NWDSGetObjName(DirContext context, DirBuffer* reply,
                                          std::string& objectName, std::uint32_t* attributeCount,
                                          ObjectInfo* info) {
    DirCall call{DirOp::GetObjName, "", 0, 0, reply};
    if (auto code = Injected(call.op, ContainerOf(reply))) {
        call.result = *code;
        return Record(std::move(call), true);
    }
    call.result = inner_.NWDSGetObjName(context, reply, objectName, attributeCount, info);
    if (call.result == 0) {
        call.name = objectName;
    }
    return Record(std::move(call));
}

int InstrumentedDirectory::FindPartitionRoot(DirContext context, const char* name,
                                             std::string& rootName) {
    const std::string text = name != nullptr ? name : "";
    if (auto code = Injected(DirOp::FindPartitionRoot, text)) {
        return Record({DirOp::FindPartitionRoot, text, 0, 0, nullptr, *code}, true);
    }
    return Record({DirOp::FindPartitionRoot, text, 0, 0, nullptr,
                   inner_.FindPartitionRoot(context, name, rootName)});
}

}  // namespace vantor
