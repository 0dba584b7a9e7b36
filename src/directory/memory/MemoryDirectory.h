#pragma once
// The scripted in-memory directory: a tree of containers and classed objects built in a few
// lines, with partition roots, batch sizes, injected failures and a record of every call.
// It is the test double of every layer above the engine and, loaded from LDIF, a real
// offline directory.

#include <cstdint>
#include <memory>
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
// and, when nthCall is set, only the nth call of op (counted from 1) fails.
struct FailureRule {
    DirOp op;
    int code;
    std::string container;
    int nthCall = 0;
};

class MemoryDirectory : public DirectoryClient {
  public:
    using EntryId = std::uint32_t;
    static constexpr EntryId kRoot = 0;

    MemoryDirectory();
    ~MemoryDirectory() override;

    // Building. Names are relative to the parent; classes are the entry's object classes
    // (a container that is a partition root also matches the class "Partition").
    EntryId AddContainer(EntryId parent, std::string name,
                         const std::vector<std::string>& classes = {});
    void MarkPartitionRoot(EntryId container);
    // Adds count objects of one class directly under parent.
    void AddObjects(EntryId parent, std::string_view className, std::uint32_t count);
    // Adds an entry that a listing returns without the container flag.
    void AddListedLeaf(EntryId parent, std::string name);
    // Creates (or finds) the chain of containers of a dotted full name, top last: "QA.Dev.acme".
    EntryId Path(std::string_view dottedFullName);
    std::optional<EntryId> Find(std::string_view fullName) const;
    std::size_t ContainerCount() const;

    void SetSearchBatchSize(std::uint32_t size) { searchBatch_ = size == 0 ? 1 : size; }
    void SetListBatchSize(std::uint32_t size) { listBatch_ = size == 0 ? 1 : size; }
    void InjectFailure(FailureRule rule) { failures_.push_back(std::move(rule)); }
    void SetRecording(bool on) { recording_ = on; }
    void SetDescription(std::string text) { description_ = std::move(text); }
    void SetOpenFailureCause(std::string text) { openFailureCause_ = std::move(text); }

    // What tests inspect.
    const std::vector<DirCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    int LiveBuffers() const { return liveBuffers_; }
    int LiveFilters() const { return liveFilters_; }
    std::size_t LiveIterations() const;
    std::size_t OpenContexts() const { return contexts_.size(); }
    bool UnicodeTablesLoaded() const { return tablesLoaded_; }

    // DirectoryClient
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
    int EndIteration(DirContext context, std::int32_t iterationHandle, int operation) override;
    int NWDSListContainers(DirContext context, const char* name, std::int32_t* iterationHandle,
                           DirBuffer* reply) override;
    int NWDSGetObjName(DirContext context, DirBuffer* reply, char* objectName,
                       std::uint32_t* attributeCount, ObjectInfo* info) override;
    int FindPartitionRoot(DirContext context, const char* name, char* rootName) override;
    std::string Description() const override { return description_; }
    std::string FailureCause() const override { return failureCause_; }

  private:
    static constexpr EntryId kAmbiguous = UINT32_MAX;
    struct Entry;
    struct Iteration;
    class Buffer;
    class Filter;

    int Record(DirCall call);
    // Notes the cause of a failing call; returns code.
    int Fail(int code, std::string cause);
    // The failures below note their cause and return their code.
    int UnknownName(const char* name);  // no container, or two, have that full name
    int NotOpen(DirContext context);
    int NoIteration(std::int32_t handle);
    // 0 when the context is open and key is expectedKey.
    int ContextKeyFailure(DirContext context, int key, int expectedKey);
    std::optional<int> InjectedFailure(DirOp op, std::string_view name);
    std::optional<EntryId> Resolve(const char* name) const;
    std::uint32_t ClassId(std::string_view className);
    std::optional<std::uint32_t> FindClassId(std::string_view className) const;
    std::uint32_t Matches(const Entry& container, std::uint32_t classId) const;
    bool KnownContext(DirContext context) const;
    std::int32_t StartIteration(Iteration iteration);

    std::vector<Entry> entries_;
    std::unordered_map<std::string, EntryId> byFullName_;
    std::vector<std::string> classNames_;  // lower-cased; index is the class id
    std::unordered_map<std::int32_t, Iteration> iterations_;
    std::vector<DirContext> contexts_;
    std::unordered_map<DirContext, std::uint32_t> contextFlags_;
    std::vector<FailureRule> failures_;
    std::unordered_map<int, int> callCounts_;
    std::vector<DirCall> calls_;
    std::uint32_t searchBatch_ = 1000;
    std::uint32_t listBatch_ = 1000;
    std::int32_t nextIteration_ = 1;
    DirContext nextContext_ = 1;
    int liveBuffers_ = 0;
    int liveFilters_ = 0;
    bool tablesLoaded_ = false;
    bool recording_ = true;
    std::string description_ = "in-memory directory";
    std::string openFailureCause_ = "the directory refused to open a context";
    std::string failureCause_;
};

}  // namespace vantor
