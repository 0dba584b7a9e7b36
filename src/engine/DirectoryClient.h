#pragma once
// The directory client interface: every directory operation the counting engine and the
// Count command call. Results are 32-bit signed: 0 is success, a negative value is a
// directory error code. Back ends (in-memory, LDIF, LDAP) implement it; the engine sees
// only this class.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/ObjectKinds.h"

namespace vantor {

// The bound on full and listed names of a directory client that has one (the in-memory test
// directory keeps the original client library's buffer of this many characters and a NUL).
inline constexpr std::size_t kMaxNameChars = 256;
inline constexpr std::size_t kNameBufferSize = kMaxNameChars + 1;

// Iteration handles start at this value and are back at it after the last batch.
inline constexpr std::int32_t kNoIteration = -1;

// Directory context handle returned by OpenContext.
using DirContext = std::int32_t;

// Error codes shared by every back end.
namespace dirError {
inline constexpr int kCreateContextFailed = -328;
inline constexpr int kObjectNotFound = -601;   // "Object not found"
inline constexpr int kInvalidSyntax = -623;    // "Invalid syntax"
inline constexpr int kReferralsFailed = -626;  // "Referrals failed"
inline constexpr int kNoReferrals = -634;      // "No referrals"
inline constexpr int kMemoryStack = -648;      // "Memory error (stack)"
inline constexpr int kNoMemory = -649;         // "No memory"
// A composed full name or search base would exceed the client's NameLimit(): the engine refuses
// the container instead of cutting its name. A back end returns it for a name it cannot hand
// out within its NameLimit().
inline constexpr int kNameTooLong = -2001;
// A name that the back end handed out can no longer be resolved to an entry it knows.
inline constexpr int kUnknownName = -2002;
// Back-end specific failures without an equivalent above use codes at or below this value.
inline constexpr int kBackEndBase = -3000;
}  // namespace dirError

// Operation codes of EndIteration (and PrepareBuffer) for a search and for a listing.
inline constexpr int kSearchOperation = 28;
inline constexpr int kListOperation = 5;

// Context keys and flag used by the Count command.
inline constexpr int kContextKeyFlags = 1;
inline constexpr int kContextKeyNameContext = 3;
inline constexpr std::uint32_t kContextFlagTypelessNames = 4;

// Filter tokens and syntaxes of AddFilterItem.
namespace filterToken {
inline constexpr int kEnd = 0;
inline constexpr int kValue = 6;
inline constexpr int kEquals = 7;
inline constexpr int kAttributeName = 14;
}  // namespace filterToken
inline constexpr int kSyntaxClassName = 20;

// Search arguments used by the engine.
inline constexpr int kScopeOneLevel = 1;
inline constexpr int kInfoTypeNames = 1;

// Flag bit in ObjectInfo::objectFlags that marks a container.
inline constexpr std::uint32_t kContainerFlag = 4;

// The locale record filled by ReadLocaleConventions. Only the 32-bit values at bytes 56
// (code page) and 60 (country) are used, as the arguments of LoadUnicodeTables.
struct LocaleConventions {
    std::uint8_t unused[56] = {};
    std::int32_t codePage = 0;
    std::int32_t country = 0;
};
static_assert(offsetof(LocaleConventions, codePage) == 56);
static_assert(offsetof(LocaleConventions, country) == 60);

// Object information returned with each name of a listing batch.
struct ObjectInfo {
    std::uint32_t objectFlags = 0;  // kContainerFlag marks a container
    std::uint32_t subordinateCount = 0;
};

// Opaque buffer and filter cursor; each back end derives its own.
class DirBuffer {
  public:
    virtual ~DirBuffer() = default;
};
class FilterCursor {
  public:
    virtual ~FilterCursor() = default;
};

class DirectoryClient {
  public:
    virtual ~DirectoryClient() = default;

    // Selects the workstation locale. Always 0; callers ignore it.
    virtual int SelectLocale(int category, const char* locale) = 0;
    // Fills the locale record. Always 0; callers ignore it.
    virtual int ReadLocaleConventions(LocaleConventions& record) = 0;
    // Loads the unicode tables. 0 on success; nonzero means they could not be loaded.
    virtual int LoadUnicodeTables(std::int32_t country, std::int32_t codePage) = 0;
    // Unloads the unicode tables. 0 on success.
    virtual int UnloadUnicodeTables() = 0;

    // Opens a directory context (connects and authenticates where the back end needs to).
    // Success: a context handle, zero or positive. Failure: a negative code (for example
    // kCreateContextFailed); FailureCause() then says why.
    virtual int OpenContext() = 0;
    // Closes a context opened by OpenContext. 0 on success, negative for an unknown context.
    virtual int CloseContext(DirContext context) = 0;
    // Reads a context value (key kContextKeyFlags) into flags. 0 on success, negative for an
    // unknown context or key.
    virtual int ReadContextValue(DirContext context, int key, std::uint32_t& flags) = 0;
    // Writes the flags (key kContextKeyFlags). 0 on success, negative for an unknown context or
    // key.
    virtual int WriteContextValue(DirContext context, int key, std::uint32_t flags) = 0;
    // Writes a text value (key kContextKeyNameContext, the name context; "" is the tree root).
    // 0 on success, negative for an unknown context or key.
    virtual int WriteContextValue(DirContext context, int key, const char* text) = 0;

    // Allocates a buffer of the given size into *buffer. 0 on success; on failure a negative
    // code and *buffer is left null.
    virtual int NWDSAllocBuf(std::size_t size, DirBuffer** buffer) = 0;
    // Readies a buffer for the given operation (kSearchOperation: a search filter).
    // 0 on success, negative on failure.
    virtual int PrepareBuffer(DirContext context, int operation, DirBuffer* buffer) = 0;
    // Releases a buffer from NWDSAllocBuf. 0 on success.
    virtual int ReleaseBuffer(DirBuffer* buffer) = 0;

    // Creates an empty filter cursor into *cursor. 0 on success; on failure a negative code and
    // *cursor is left null.
    virtual int NewFilter(FilterCursor** cursor) = 0;
    // Adds one token (filterToken) with its value (or null) and syntax to the filter.
    // 0 on success, negative on failure (the cursor stays owned by the caller).
    virtual int AddFilterItem(FilterCursor* cursor, int token, const char* value, int syntax) = 0;
    // Puts the filter into a prepared buffer and disposes of the cursor, whatever the result.
    // freeValue is unused and passed as null. 0 on success, negative on failure.
    virtual int StoreFilter(DirContext context, DirBuffer* buffer, FilterCursor* cursor,
                            void (*freeValue)(void*)) = 0;
    // Disposes of a cursor that never reached StoreFilter. 0 on success.
    virtual int FreeFilter(FilterCursor* cursor) = 0;

    // One batch of a search under base with the filter stored in filter. The reply buffer
    // receives the batch; *iterationHandle is kNoIteration for the first batch and is set to
    // kNoIteration after the last. 0 on success, negative on failure (the search is then over).
    virtual int NWDSSearch(DirContext context, const char* base, int scope, int searchAliases,
                           DirBuffer* filter, int infoType, int allAttributes,
                           DirBuffer* attributeNames, std::int32_t* iterationHandle,
                           std::int32_t countObjectsToSearch, std::int32_t* countObjectsSearched,
                           DirBuffer* reply) = 0;
    // Number of objects in the batch held by reply. 0 on success, negative on failure.
    // For a search of kEveryKindClassName, the sum of the batch's counts per kind.
    virtual int NWDSGetObjCount(DirContext context, DirBuffer* reply, std::uint32_t* count) = 0;
    // The batch's count of each kind, for a reply of a search whose filter named
    // kEveryKindClassName; each kind counted as a search of its own class name would count it.
    // 0 on success, negative for any other reply.
    virtual int ReadKindCounts(DirContext context, DirBuffer* reply, KindCounts& counts) = 0;
    // Abandons an unfinished search or listing. 0 on success, negative for an unknown handle.
    virtual int EndIteration(DirContext context, std::int32_t iterationHandle, int operation) = 0;
    // One batch of the containers directly under name (full name; "[Root]" is the tree root).
    // Handles as for NWDSSearch. 0 on success, negative on failure.
    virtual int NWDSListContainers(DirContext context, const char* name,
                                   std::int32_t* iterationHandle, DirBuffer* reply) = 0;
    // Reads the next entry of a listing batch: its name relative to its parent (within
    // NameLimit()) into objectName, its attribute count and its information. 0 on success,
    // negative on failure or past the batch's end.
    virtual int NWDSGetObjName(DirContext context, DirBuffer* reply, std::string& objectName,
                               std::uint32_t* attributeCount, ObjectInfo* info) = 0;
    // Puts the full name of the root of the partition holding name (the nearest partition root
    // at or above it; "[Root]" for the top partition) into rootName. 0 on success, negative on
    // failure.
    virtual int FindPartitionRoot(DirContext context, const char* name, std::string& rootName) = 0;
    // The longest full name, in characters, that the back end takes and hands out, or nullopt
    // when it has no such bound (LDAP and LDIF: their names are as long as their DNs make them).
    // The engine refuses a longer composed name instead of cutting it.
    virtual std::optional<std::size_t> NameLimit() const = 0;
    // The DN of the entry that a full name handed out in this context stands for, into dn: ""
    // for "[Root]" and for a back end whose entries have no DN. The engine never calls it; the
    // outputs give it beside each line's full name, which is typeless and not a DN.
    // 0 on success, negative for an unknown context or name.
    virtual int ReadEntryDn(DirContext context, const char* name, std::string& dn) = 0;

    // What is being counted, for the user ("bundled sample directory", a file, a server).
    virtual std::string Description() const = 0;
    // The cause of the most recent failed call (OpenContext or any other), in words: what was
    // asked and why it failed (a server's message, say). Every failing call sets it, so the
    // engine reads it into the error line it records for that call. Successful calls leave it.
    virtual std::string FailureCause() const = 0;
};

}  // namespace vantor
