#pragma once
// The directory client over an LDAP server, through OpenLDAP's libldap.
//
// Each OpenContext makes its own connection (LdapSession). Names are typeless and dotted as
// the engine composes them; the back end answers for the names it handed out (see NameMap).
// Listings come in batches of at most LdapSettings::pageSize entries, each marked with
// kContainerFlag. A search batch holds a count, not names (NWDSGetObjName refuses it): a page
// of the server's answer, or a container's whole count from a read of its partition's subtree.
// Results follow LdapErrors.h; the cause of the last failure is kept in words
// (FailureCause()). The locale and unicode-table operations succeed without doing anything.
// Context flags are kept but change nothing: names are always typeless. NWDSAllocBuf's size is
// not a limit: a batch is bounded by its number of entries.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "directory/ldap/LdapBuffers.h"
#include "directory/ldap/LdapSettings.h"
#include "engine/DirectoryClient.h"

namespace vantor {

class LdapSession;

class LdapDirectory final : public DirectoryClient {
  public:
    // Ignores SIGPIPE unless the program set its own handler: a server that closes the
    // connection must end a call with an error, not the process.
    explicit LdapDirectory(LdapSettings settings);
    ~LdapDirectory() override;
    LdapDirectory(const LdapDirectory&) = delete;
    LdapDirectory& operator=(const LdapDirectory&) = delete;

    int SelectLocale(int category, const char* locale) override;
    int ReadLocaleConventions(LocaleConventions& record) override;
    int LoadUnicodeTables(std::int32_t country, std::int32_t codePage) override;
    int UnloadUnicodeTables() override;

    // Connects and binds; kCreateContextFailed on any failure, FailureCause() says why.
    int OpenContext() override;
    int CloseContext(DirContext context) override;
    int ReadContextValue(DirContext context, int key, std::uint32_t& flags) override;
    int WriteContextValue(DirContext context, int key, std::uint32_t flags) override;
    // Only the name context "" (the tree root) is taken.
    int WriteContextValue(DirContext context, int key, const char* text) override;

    int NWDSAllocBuf(std::size_t size, DirBuffer** buffer) override;
    int PrepareBuffer(DirContext context, int operation, DirBuffer* buffer) override;
    int ReleaseBuffer(DirBuffer* buffer) override;

    int NewFilter(FilterCursor** cursor) override;
    int AddFilterItem(FilterCursor* cursor, int token, const char* value, int syntax) override;
    // Takes the filter "Object Class" = class name only (see LdapFilter.h).
    int StoreFilter(DirContext context, DirBuffer* buffer, FilterCursor* cursor,
                    void (*freeValue)(void*)) override;
    int FreeFilter(FilterCursor* cursor) override;

    // Scope 0, 1, 2: base, one level, subtree. searchAliases nonzero dereferences aliases while
    // searching. infoType, allAttributes, attributeNames and countObjectsToSearch are not used:
    // a batch holds names only and the server's limits apply.
    int NWDSSearch(DirContext context, const char* base, int scope, int searchAliases,
                   DirBuffer* filter, int infoType, int allAttributes, DirBuffer* attributeNames,
                   std::int32_t* iterationHandle, std::int32_t countObjectsToSearch,
                   std::int32_t* countObjectsSearched, DirBuffer* reply) override;
    int NWDSGetObjCount(DirContext context, DirBuffer* reply, std::uint32_t* count) override;
    int ReadKindCounts(DirContext context, DirBuffer* reply, KindCounts& counts) override;
    int EndIteration(DirContext context, std::int32_t iterationHandle, int operation) override;
    int NWDSListContainers(DirContext context, const char* name, std::int32_t* iterationHandle,
                           DirBuffer* reply) override;
    int NWDSGetObjName(DirContext context, DirBuffer* reply, std::string& objectName,
                       std::uint32_t* attributeCount, ObjectInfo* info) override;
    int FindPartitionRoot(DirContext context, const char* name, std::string& rootName) override;
    // A server's names are as long as its DNs make them.
    std::optional<std::size_t> NameLimit() const override { return std::nullopt; }
    int ReadEntryDn(DirContext context, const char* name, std::string& dn) override;

    // "ldap://host:port" of the server(s), with the base when one is set; no credentials.
    std::string Description() const override;
    std::string FailureCause() const override;
    // The class profile of the last context opened ("auto" settles on one there), or the one
    // asked for before any was opened ("auto" alone, with no rules, until then).
    const ClassProfile& Profile() const { return profile_; }
    const std::string& ProfileName() const { return profile_.name; }

  private:
    struct Context {
        std::unique_ptr<LdapSession> session;
        std::uint32_t flags = 0;
    };

    int Fail(int code, std::string cause);
    // The session of an open context; null (and the failure noted) for any other value.
    LdapSession* SessionOf(DirContext context);
    LdapBuffer* BufferOf(DirBuffer* buffer);
    LdapFilterCursor* CursorOf(FilterCursor* cursor);
    // Runs an operation; an allocation failure inside becomes kNoMemory.
    template <class Operation>
    int Guarded(Operation&& operation);
    // Runs a session call about the entry of a name, guarded, with its failure noted.
    template <class Call>
    int ForName(DirContext context, const char* name, const char* operation, Call&& call);
    // Notes the session's cause when a session call failed.
    int Noted(LdapSession& session, int result);

    LdapSettings settings_;
    std::map<DirContext, Context> contexts_;
    DirContext nextContext_ = 1;
    std::unordered_map<const DirBuffer*, std::unique_ptr<LdapBuffer>> buffers_;
    std::unordered_map<const FilterCursor*, std::unique_ptr<LdapFilterCursor>> cursors_;
    std::string failureCause_;
    ClassProfile profile_;
};

}  // namespace vantor
