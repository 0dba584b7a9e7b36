#pragma once
// What tests put around any directory client: a record of every call as the client received
// it, and failures injected per operation, per container or on the nth call. Like a
// fault-injecting file system wrapped around a real one, so no back end carries either.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/DirectoryClient.h"

namespace vantor {

enum class DirOp {
    SelectLocale,
    ReadLocaleConventions,
    LoadUnicodeTables,
    UnloadUnicodeTables,
    OpenContext,
    CloseContext,
    ReadContextValue,
    WriteContextValue,
    AllocBuf,
    PrepareBuffer,
    ReleaseBuffer,
    NewFilter,
    AddFilterItem,
    StoreFilter,
    FreeFilter,
    Search,
    GetObjCount,
    EndIteration,
    ListContainers,
    GetObjName,
    FindPartitionRoot,
};

// One call as the directory received it.
struct DirCall {
    DirOp op;
    std::string name;              // base, container or value argument; "" when none
    std::int32_t iteration = 0;    // iteration handle as passed in (Search, List, EndIteration)
    std::int32_t number = 0;       // operation (PrepareBuffer, EndIteration), key, token or size
    const void* buffer = nullptr;  // the buffer or cursor the call worked on
    int result = 0;
};

// A failure to inject: calls of op fail with code when the container matches (empty: any)
// and, when nthCall is set, only the nth call of op (counted from 1) fails. The container of
// NWDSGetObjCount and NWDSGetObjName is the one of the batch in their buffer; the one of
// AddFilterItem is its value.
struct FailureRule {
    DirOp op;
    int code;
    std::string container;
    int nthCall = 0;
};

class InstrumentedDirectory : public DirectoryClient {
  public:
    explicit InstrumentedDirectory(DirectoryClient& inner) : inner_(inner) {}

    void InjectFailure(FailureRule rule) { failures_.push_back(std::move(rule)); }
    // The cause an injected OpenContext failure leaves.
    void SetOpenFailureCause(std::string text) { openFailureCause_ = std::move(text); }
    // Off: calls are no longer recorded (a run of millions of calls).
    void SetRecording(bool on) { recording_ = on; }
    const std::vector<DirCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }

    // DirectoryClient: forwarded to the wrapped client unless a rule fails the call.
    int SelectLocale(int category, const char* locale) override;
    int ReadLocaleConventions(LocaleConventions& record) override;
    int LoadUnicodeTables(std::int32_t country, std::int32_t codePage) override;
    int UnloadUnicodeTables() override;
    int OpenContext() override;
    int CloseContext(DirContext context) override;
    int ReadContextValue(DirContext context, int key, std::uint32_t& flags) override;
    int WriteContextValue(DirContext context, int key, std::uint32_t flags) override;
    int WriteContextValue(DirContext context, int key, const char* text) override;
    int NWDSAllocBuf(std::size_t size, DirBuffer** buffer) override;
    int PrepareBuffer(DirContext context, int operation, DirBuffer* buffer) override;
    int ReleaseBuffer(DirBuffer* buffer) override;
    int NewFilter(FilterCursor** cursor) override;
    int AddFilterItem(FilterCursor* cursor, int token, const char* value, int syntax) override;
    int StoreFilter(DirContext context, DirBuffer* buffer, FilterCursor* cursor,
                    void (*freeValue)(void*)) override;
    int FreeFilter(FilterCursor* cursor) override;
    int NWDSSearch(DirContext context, const char* base, int scope, int searchAliases,
                   DirBuffer* filter, int infoType, int allAttributes, DirBuffer* attributeNames,
                   std::int32_t* iterationHandle, std::int32_t countObjectsToSearch,
                   std::int32_t* countObjectsSearched, DirBuffer* reply) override;
    int NWDSGetObjCount(DirContext context, DirBuffer* reply, std::uint32_t* count) override;
    int ReadKindCounts(DirContext context, DirBuffer* reply, KindCounts& counts) override {
        return inner_.ReadKindCounts(context, reply, counts);
    }
    int EndIteration(DirContext context, std::int32_t iterationHandle, int operation) override;
    int NWDSListContainers(DirContext context, const char* name, std::int32_t* iterationHandle,
                           DirBuffer* reply) override;
    int NWDSGetObjName(DirContext context, DirBuffer* reply, std::string& objectName,
                       std::uint32_t* attributeCount, ObjectInfo* info) override;
    int FindPartitionRoot(DirContext context, const char* name, std::string& rootName) override;
    std::optional<std::size_t> NameLimit() const override { return inner_.NameLimit(); }
    int ReadEntryDn(DirContext context, const char* name, std::string& dn) override {
        return inner_.ReadEntryDn(context, name, dn);
    }
    std::string Description() const override { return inner_.Description(); }
    std::string FailureCause() const override;

  private:
    // The code of the rule that fails this call of op, counting the call.
    std::optional<int> Injected(DirOp op, std::string_view container);
    // Records the call, notes whose cause a failure has, and returns its result.
    int Record(DirCall call, bool injected = false);
    std::string ContainerOf(const DirBuffer* reply) const;

    DirectoryClient& inner_;
    std::vector<FailureRule> failures_;
    std::unordered_map<int, int> callCounts_;
    std::unordered_map<const DirBuffer*, std::string> batchContainers_;
    std::vector<DirCall> calls_;
    bool recording_ = true;
    std::optional<std::string> injectedCause_;  // set while the last failure was injected
    std::string openFailureCause_ = "the directory refused to open a context";
};

}  // namespace vantor
