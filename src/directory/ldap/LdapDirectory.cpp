#include "directory/ldap/LdapDirectory.h"

#include <ldap.h>

#include <csignal>
#include <new>

#include "directory/dn/Dn.h"
#include "directory/ldap/LdapErrors.h"
#include "directory/ldap/LdapFilter.h"
#include "directory/ldap/LdapSession.h"
#include "directory/ldap/LdapUris.h"

namespace vantor {

namespace {

void IgnoreSigpipeUnlessHandled() {
    struct sigaction current {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        std::signal(SIGPIPE, SIG_IGN);
    }
}

int LdapScope(int scope) {
    switch (scope) {
        case 0:
            return LDAP_SCOPE_BASE;
        case 1:
            return LDAP_SCOPE_ONELEVEL;
        case 2:
            return LDAP_SCOPE_SUBTREE;
        default:
            return -1;
    }
}

// The profile asked for, until a context settles "auto" on one: "auto" alone, with no rules.
ClassProfile AskedProfile(const LdapSettings& settings) {
    if (settings.customProfile) {
        return *settings.customProfile;
    }
    if (const ClassProfile* named = FindProfile(settings.profile)) {
        return *named;
    }
    ClassProfile unsettled;
    unsettled.name = settings.profile;
    return unsettled;
}

}  // namespace

LdapDirectory::LdapDirectory(LdapSettings settings)
    : settings_(std::move(settings)), profile_(AskedProfile(settings_)) {
    IgnoreSigpipeUnlessHandled();
}

LdapDirectory::~LdapDirectory() = default;

int LdapDirectory::Fail(int code, std::string cause) {
    failureCause_ = std::move(cause);
    return code;
}

template <class Operation>
int LdapDirectory::Guarded(Operation&& operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return Fail(dirError::kNoMemory, "out of memory");
    }
}

template <class Call>
int LdapDirectory::ForName(DirContext context, const char* name, const char* operation,
                           Call&& call) {
    return Guarded([&] {
        LdapSession* session = SessionOf(context);
        if (session == nullptr) {
            return ldapError::kUnknownContext;
        }
        if (name == nullptr) {
            return Fail(ldapError::kBadArgument, std::string(operation) + " needs a name");
        }
        return Noted(*session, call(*session));
    });
}

int LdapDirectory::Noted(LdapSession& session, int result) {
    if (result < 0) {
        failureCause_ = session.LastFailure();
    }
    return result;
}

LdapSession* LdapDirectory::SessionOf(DirContext context) {
    const auto it = contexts_.find(context);
    if (it == contexts_.end()) {
        Fail(ldapError::kUnknownContext, "context " + std::to_string(context) + " is not open");
        return nullptr;
    }
    return it->second.session.get();
}

LdapBuffer* LdapDirectory::BufferOf(DirBuffer* buffer) {
    const auto it = buffers_.find(buffer);
    if (it == buffers_.end()) {
        Fail(ldapError::kBadBuffer, "a buffer that this directory did not allocate");
        return nullptr;
    }
    return it->second.get();
}

LdapFilterCursor* LdapDirectory::CursorOf(FilterCursor* cursor) {
    const auto it = cursors_.find(cursor);
    if (it == cursors_.end()) {
        Fail(ldapError::kBadBuffer, "a filter cursor that this directory did not make");
        return nullptr;
    }
    return it->second.get();
}

int LdapDirectory::SelectLocale(int /*category*/, const char* /*locale*/) {
    return 0;
}

int LdapDirectory::ReadLocaleConventions(LocaleConventions& /*record*/) {
    return 0;
}

int LdapDirectory::LoadUnicodeTables(std::int32_t /*country*/, std::int32_t /*codePage*/) {
    return 0;
}

int LdapDirectory::UnloadUnicodeTables() {
    return 0;
}

int LdapDirectory::OpenContext() {
    return Guarded([&] {
        std::string cause;
        std::unique_ptr<LdapSession> session = LdapSession::Open(settings_, cause);
        if (session == nullptr) {
            return Fail(dirError::kCreateContextFailed, std::move(cause));
        }
        const DirContext context = nextContext_++;
        profile_ = session->Profile();
        contexts_[context].session = std::move(session);
        return context;
    });
}

int LdapDirectory::CloseContext(DirContext context) {
    if (contexts_.erase(context) == 0) {
        return Fail(ldapError::kUnknownContext,
                    "context " + std::to_string(context) + " is not open");
    }
    return 0;
}

int LdapDirectory::ReadContextValue(DirContext context, int key, std::uint32_t& flags) {
    if (SessionOf(context) == nullptr) {
        return ldapError::kUnknownContext;
    }
    if (key != kContextKeyFlags) {
        return Fail(ldapError::kBadArgument, "no context value " + std::to_string(key));
    }
    flags = contexts_[context].flags;
    return 0;
}

int LdapDirectory::WriteContextValue(DirContext context, int key, std::uint32_t flags) {
    if (SessionOf(context) == nullptr) {
        return ldapError::kUnknownContext;
    }
    if (key != kContextKeyFlags) {
        return Fail(ldapError::kBadArgument, "no context flags under key " + std::to_string(key));
    }
    contexts_[context].flags = flags;
    return 0;
}

int LdapDirectory::WriteContextValue(DirContext context, int key, const char* text) {
    if (SessionOf(context) == nullptr) {
        return ldapError::kUnknownContext;
    }
    if (key != kContextKeyNameContext || text == nullptr || *text != '\0') {
        return Fail(ldapError::kBadArgument,
                    "only the name context \"\" (names from the tree root) is supported");
    }
    return 0;
}

int LdapDirectory::NWDSAllocBuf(std::size_t /*size*/, DirBuffer** buffer) {
    return Guarded([&] {
        auto owned = std::make_unique<LdapBuffer>();
        *buffer = owned.get();
        buffers_.emplace(owned.get(), std::move(owned));
        return 0;
    });
}

int LdapDirectory::PrepareBuffer(DirContext context, int operation, DirBuffer* buffer) {
    LdapBuffer* own = BufferOf(buffer);
    if (own == nullptr) {
        return ldapError::kBadBuffer;
    }
    if (SessionOf(context) == nullptr) {
        return ldapError::kUnknownContext;
    }
    if (operation != kSearchOperation) {
        return Fail(ldapError::kBadArgument,
                    "buffers are prepared only for a search filter (operation 28)");
    }
    own->forFilter = true;
    own->hasFilter = false;
    return 0;
}

int LdapDirectory::ReleaseBuffer(DirBuffer* buffer) {
    if (buffers_.erase(buffer) == 0) {
        return Fail(ldapError::kBadBuffer, "a buffer that this directory did not allocate");
    }
    return 0;
}

int LdapDirectory::NewFilter(FilterCursor** cursor) {
    return Guarded([&] {
        auto owned = std::make_unique<LdapFilterCursor>();
        *cursor = owned.get();
        cursors_.emplace(owned.get(), std::move(owned));
        return 0;
    });
}

int LdapDirectory::AddFilterItem(FilterCursor* cursor, int token, const char* value, int syntax) {
    return Guarded([&] {
        LdapFilterCursor* own = CursorOf(cursor);
        if (own == nullptr) {
            return ldapError::kBadBuffer;
        }
        own->items.push_back({token, value != nullptr ? value : "", value != nullptr, syntax});
        return 0;
    });
}

int LdapDirectory::StoreFilter(DirContext context, DirBuffer* buffer, FilterCursor* cursor,
                               void (* /*freeValue*/)(void*)) {
    return Guarded([&] {
        LdapFilterCursor* own = CursorOf(cursor);
        if (own == nullptr) {
            return ldapError::kBadBuffer;
        }
        const std::vector<FilterItem> items = std::move(own->items);
        cursors_.erase(cursor);  // disposed of whatever the result
        LdapSession* session = SessionOf(context);
        if (session == nullptr) {
            return ldapError::kUnknownContext;
        }
        LdapBuffer* target = BufferOf(buffer);
        if (target == nullptr || !target->forFilter) {
            return Fail(ldapError::kBadBuffer, "the filter buffer was not prepared for a search");
        }
        const auto filter = ToLdapFilter(items, session->Profile());
        if (!filter) {
            return Fail(ldapError::kUnsupportedFilter,
                        "only the filter \"Object Class\" = class name is supported");
        }
        // The user's filter narrows the objects of every kind.
        const auto joined = [&](const std::string& kindFilter) {
            return settings_.objectFilter.empty()
                       ? kindFilter
                       : "(&" + kindFilter + settings_.objectFilter + ")";
        };
        target->filter = joined(*filter);
        target->kindFilters.reset();
        if (items[2].value == kEveryKindClassName) {  // ToLdapFilter took the shape
            const ClassProfile& profile = session->Profile();
            target->kindFilters.emplace();
            for (std::size_t kind = 0; kind < kKindWords.size(); ++kind) {
                target->kindFilters->at(kind) = joined(profile.kinds.at(kind).ldapFilter);
            }
        }
        target->hasFilter = true;
        return 0;
    });
}

int LdapDirectory::FreeFilter(FilterCursor* cursor) {
    if (cursors_.erase(cursor) == 0) {
        return Fail(ldapError::kBadBuffer, "a filter cursor that this directory did not make");
    }
    return 0;
}

int LdapDirectory::NWDSSearch(DirContext context, const char* base, int scope, int searchAliases,
                              DirBuffer* filter, int /*infoType*/, int /*allAttributes*/,
                              DirBuffer* /*attributeNames*/, std::int32_t* iterationHandle,
                              std::int32_t /*countObjectsToSearch*/,
                              std::int32_t* countObjectsSearched, DirBuffer* reply) {
    return Guarded([&] {
        LdapSession* session = SessionOf(context);
        if (session == nullptr) {
            return ldapError::kUnknownContext;
        }
        LdapBuffer* filterBuffer = BufferOf(filter);
        LdapBuffer* replyBuffer = BufferOf(reply);
        if (filterBuffer == nullptr || replyBuffer == nullptr || !filterBuffer->hasFilter) {
            return Fail(ldapError::kBadBuffer,
                        "the search needs a stored filter and a reply buffer");
        }
        const int ldapScope = LdapScope(scope);
        if (ldapScope < 0 || base == nullptr || iterationHandle == nullptr) {
            return Fail(ldapError::kBadArgument,
                        "a search needs a base, a handle and scope 0 to 2");
        }
        const int deref = searchAliases != 0 ? LDAP_DEREF_SEARCHING : LDAP_DEREF_NEVER;
        const int r =
            Noted(*session,
                  filterBuffer->kindFilters
                      ? session->SearchEveryKind(base, ldapScope, deref, *filterBuffer->kindFilters,
                                                 *iterationHandle, *replyBuffer)
                      : session->Search(base, ldapScope, deref, filterBuffer->filter,
                                        *iterationHandle, *replyBuffer));
        if (countObjectsSearched != nullptr) {
            *countObjectsSearched = static_cast<std::int32_t>(replyBuffer->Size());
        }
        return r;
    });
}

int LdapDirectory::NWDSGetObjCount(DirContext context, DirBuffer* reply, std::uint32_t* count) {
    if (SessionOf(context) == nullptr) {
        return ldapError::kUnknownContext;
    }
    const LdapBuffer* own = BufferOf(reply);
    if (own == nullptr) {
        return ldapError::kBadBuffer;
    }
    *count = own->Size();
    return 0;
}

int LdapDirectory::ReadKindCounts(DirContext context, DirBuffer* reply, KindCounts& counts) {
    if (SessionOf(context) == nullptr) {
        return ldapError::kUnknownContext;
    }
    const LdapBuffer* own = BufferOf(reply);
    if (own == nullptr) {
        return ldapError::kBadBuffer;
    }
    if (!own->kindCounts) {
        return Fail(ldapError::kBadBuffer, "the reply is not a search batch of every kind");
    }
    counts = *own->kindCounts;
    return 0;
}

int LdapDirectory::EndIteration(DirContext context, std::int32_t iterationHandle,
                                int /*operation*/) {
    LdapSession* session = SessionOf(context);
    if (session == nullptr) {
        return ldapError::kUnknownContext;
    }
    return Noted(*session, session->EndIteration(iterationHandle));
}

int LdapDirectory::NWDSListContainers(DirContext context, const char* name,
                                      std::int32_t* iterationHandle, DirBuffer* reply) {
    return Guarded([&] {
        LdapSession* session = SessionOf(context);
        if (session == nullptr) {
            return ldapError::kUnknownContext;
        }
        LdapBuffer* own = BufferOf(reply);
        if (own == nullptr) {
            return ldapError::kBadBuffer;
        }
        if (name == nullptr || iterationHandle == nullptr) {
            return Fail(ldapError::kBadArgument, "a listing needs a name and a handle");
        }
        return Noted(*session, session->List(name, *iterationHandle, *own));
    });
}

int LdapDirectory::NWDSGetObjName(DirContext context, DirBuffer* reply, std::string& objectName,
                                  std::uint32_t* attributeCount, ObjectInfo* info) {
    return Guarded([&] {
        if (SessionOf(context) == nullptr) {
            return ldapError::kUnknownContext;
        }
        LdapBuffer* own = BufferOf(reply);
        if (own == nullptr) {
            return ldapError::kBadBuffer;
        }
        if (own->isCount) {
            return Fail(ldapError::kBatchExhausted,
                        "a search batch holds how many objects there are, not their names");
        }
        if (own->next >= own->batch.size()) {
            return Fail(ldapError::kBatchExhausted, "every entry of the batch has been read");
        }
        const BatchEntry& entry = own->batch[own->next++];
        objectName = entry.name;
        if (attributeCount != nullptr) {
            *attributeCount = 0;
        }
        if (info != nullptr) {
            *info = ObjectInfo{entry.flags, 0};
        }
        return 0;
    });
}

int LdapDirectory::FindPartitionRoot(DirContext context, const char* name, std::string& rootName) {
    return ForName(context, name, "FindPartitionRoot",
                   [&](LdapSession& session) { return session.FindPartitionRoot(name, rootName); });
}

int LdapDirectory::ReadEntryDn(DirContext context, const char* name, std::string& dn) {
    return ForName(context, name, "ReadEntryDn",
                   [&](LdapSession& session) { return session.EntryDn(name, dn); });
}

std::string LdapDirectory::Description() const {
    const std::string uris = settings_.uri.empty() ? ConfiguredUriList() : settings_.uri;
    const auto servers = ParseServerList(uris);
    std::string text = servers ? DescribeServers(*servers) : std::string("ldap://localhost");
    const std::string base = settings_.base.empty() ? ConfiguredBase() : settings_.base;
    if (!base.empty()) {
        text += " (base " + base + ")";
    }
    return text;
}

std::string LdapDirectory::FailureCause() const {
    return failureCause_;
}

}  // namespace vantor
