#pragma once
// A directory whose containers and counts this process holds: the directory client's calls
// (contexts, buffers, filters, searches and listings in batches with iteration handles) over a
// store that a derived class keeps. The LDIF directory and the scripted test directory both
// answer through it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/DirectoryClient.h"

namespace vantor {

class StoredDirectory : public DirectoryClient {
  public:
    using EntryId = std::uint32_t;
    static constexpr EntryId kRoot = 0;

    StoredDirectory();
    ~StoredDirectory() override;
    StoredDirectory(const StoredDirectory&) = delete;
    StoredDirectory& operator=(const StoredDirectory&) = delete;

    // Objects per search batch and names per listing batch (at least 1; 1000 by default).
    void SetSearchBatchSize(std::uint32_t size) { searchBatch_ = size == 0 ? 1 : size; }
    void SetListBatchSize(std::uint32_t size) { listBatch_ = size == 0 ? 1 : size; }

    // What is left open, for tests that check every path releases what it took.
    int LiveBuffers() const { return liveBuffers_; }
    int LiveFilters() const { return liveFilters_; }
    std::size_t LiveIterations() const { return iterations_.size(); }
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
    // A search of every kind hands out each container's objects kind after kind, in batches
    // as any search.
    int ReadKindCounts(DirContext context, DirBuffer* reply, KindCounts& counts) override;
    int EndIteration(DirContext context, std::int32_t iterationHandle, int operation) override;
    int NWDSListContainers(DirContext context, const char* name, std::int32_t* iterationHandle,
                           DirBuffer* reply) override;
    int NWDSGetObjName(DirContext context, DirBuffer* reply, std::string& objectName,
                       std::uint32_t* attributeCount, ObjectInfo* info) override;
    int FindPartitionRoot(DirContext context, const char* name, std::string& rootName) override;
    // By default the bound of the original client library, kMaxNameChars.
    std::optional<std::size_t> NameLimit() const override { return kMaxNameChars; }
    int ReadEntryDn(DirContext context, const char* name, std::string& dn) override;
    std::string FailureCause() const override { return failureCause_; }

  protected:
    // One entry of a container's listing.
    struct Listed {
        std::string_view name;  // relative to the container
        bool container = false;
        EntryId id = kRoot;  // the container's id; unused for other entries
    };

    // The container with this full name ("[Root]" in any case is kRoot), or nullopt with why
    // not in whyNot.
    virtual std::optional<EntryId> FindContainer(std::string_view fullName,
                                                 std::string& whyNot) const = 0;
    virtual std::size_t ListedCount(EntryId container) const = 0;
    virtual Listed ListedAt(EntryId container, std::size_t index) const = 0;
    // An id for the class a search filter names, or nullopt for a class nothing has.
    virtual std::optional<std::uint32_t> ClassOf(std::string_view className) const = 0;
    // Objects of the class directly under the container (child containers of the class too).
    virtual std::uint32_t ObjectCount(EntryId container, std::uint32_t classId) const = 0;
    // The nearest partition root at or above the container.
    virtual EntryId PartitionRootOf(EntryId container) const = 0;
    virtual std::string FullNameOf(EntryId container) const = 0;
    // The DN of the container's entry; "" for a store without DNs (the scripted directory).
    virtual std::string DnOf(EntryId /*container*/) const { return {}; }
    // Why a search under the container fails (a code and its cause), or nullopt.
    virtual std::optional<std::pair<int, std::string>> SearchRefusal(EntryId container) const;

    // Notes the cause of a failing call; returns code.
    int Fail(int code, std::string cause);

  private:
    struct Iteration;
    class Buffer;
    class Filter;

    int NotOpen(DirContext context);
    int NoIteration(std::int32_t handle);
    int ContextKeyFailure(DirContext context, int key, int expectedKey);
    std::optional<EntryId> Resolve(const char* name);
    bool KnownContext(DirContext context) const;
    std::int32_t StartIteration(const Iteration& iteration);

    std::unordered_map<std::int32_t, Iteration> iterations_;
    std::vector<DirContext> contexts_;
    std::unordered_map<DirContext, std::uint32_t> contextFlags_;
    std::uint32_t searchBatch_ = 1000;
    std::uint32_t listBatch_ = 1000;
    std::int32_t nextIteration_ = 1;
    DirContext nextContext_ = 1;
    int liveBuffers_ = 0;
    int liveFilters_ = 0;
    bool tablesLoaded_ = false;
    std::string failureCause_;
};

}  // namespace vantor
