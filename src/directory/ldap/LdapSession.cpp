#include "directory/ldap/LdapSession.h"

#include <ldap.h>

#include <algorithm>
#include <set>

#include "directory/ldap/LdapErrors.h"
#include "directory/ldap/LdapFilter.h"
#include "directory/ldap/LdapUris.h"
#include "directory/ldap/PageSinks.h"
#include "engine/FullName.h"

namespace vantor {

LdapSession::LdapSession(LdapHandle ld, std::string servers, LdapSettings settings, RootDse dse,
                         const ClassProfile& profile)
    : settings_(std::move(settings)),
      ld_(std::move(ld)),
      servers_(std::move(servers)),
      timeoutSeconds_(static_cast<int>(settings_.operationTimeout.count())),
      pageSize_(settings_.pageSize),
      dse_(std::move(dse)),
      profile_(&profile),
      contexts_(dse_.namingContexts),
      roots_(profile, contexts_) {}

std::unique_ptr<LdapSession> LdapSession::Open(const LdapSettings& settings, std::string& cause) {
    ConnectResult connection = Connect(settings);
    if (connection.handle == nullptr) {
        cause = connection.cause;
        return nullptr;
    }
    LDAP* ld = connection.handle.get();
    const int timeout = static_cast<int>(settings.operationTimeout.count());
    const std::string base = settings.base.empty() ? ConfiguredBase() : settings.base;

    RootDse dse;
    std::string diagnostic;
    const int rc = ReadRootDse(ld, timeout, dse, diagnostic);
    if (rc != LDAP_SUCCESS && (base.empty() || rc < 0)) {
        cause = DescribeLdapFailure("cannot read the root DSE of " + connection.servers, rc,
                                    diagnostic);
        return nullptr;
    }
    const ClassProfile* profile = EqualsIgnoreCase(settings.profile, "auto")
                                      ? &ChooseProfile(dse)
                                      : FindProfile(settings.profile);
    if (profile == nullptr) {
        cause = "unknown profile \"" + settings.profile + "\" (auto, edirectory, generic or ad)";
        return nullptr;
    }

    std::unique_ptr<LdapSession> session(new LdapSession(
        std::move(connection.handle), connection.servers, settings, std::move(dse), *profile));
    if (base.empty()) {
        session->tops_ = session->contexts_.Tops();
        if (session->tops_.empty()) {
            cause = "the LDAP server " + session->servers_ +
                    " publishes no naming contexts; name the base to count with -b";
            return nullptr;
        }
    } else {
        const auto dn = Dn::Parse(base);
        if (!dn || dn->Depth() == 0) {
            cause = "the base \"" + base + "\" is not a distinguished name";
            return nullptr;
        }
        Attributes markers;
        const LdapOutcome outcome =
            ReadEntry(ld, dn->Text(), PartitionMarkerAttributes(), timeout, markers);
        if (outcome.code != LDAP_SUCCESS) {
            cause = DescribeLdapFailure("cannot read the base " + base + " on " + session->servers_,
                                        outcome.code, outcome.diagnostic);
            return nullptr;
        }
        session->tops_.push_back(*dn);
    }
    for (const Dn& top : session->tops_) {
        session->roots_.MarkRoot(top);
    }
    return session;
}

int LdapSession::Fail(int code, std::string cause) {
    lastFailure_ = std::move(cause);
    return code;
}

int LdapSession::RenewIfNeeded() {
    if (!renew_) {
        return 0;
    }
    ConnectResult connection = Connect(settings_);
    if (connection.handle == nullptr) {
        return Fail(ldapError::FromLdap(connection.ldapCode),
                    "a new connection was needed: " + connection.cause);
    }
    ld_ = std::move(connection.handle);
    renew_ = false;
    return 0;
}

LdapOutcome LdapSession::NextPage(PagedSearch& search, PageSink& sink) {
    LdapOutcome outcome = search.NextPage(ld_.get(), pageSize_, timeoutSeconds_, sink);
    if (search.EndMayBeHidden(outcome) && ConfirmEnd(search)) {
        search.ConfirmEnd();
        outcome = LdapOutcome{};
    }
    return outcome;
}

bool LdapSession::ConfirmEnd(const PagedSearch& search) {
    renew_ = true;
    if (RenewIfNeeded() != 0) {
        return false;
    }
    PagedSearch check(search.Spec());
    CountingSink sink;
    int size = search.Delivered() + 1;
    const LdapOutcome outcome = check.NextPage(ld_.get(), size, timeoutSeconds_, sink);
    Ended(check);
    return outcome.code == LDAP_SUCCESS && check.Finished() && sink.entries == search.Delivered();
}

int LdapSession::FailLdap(const LdapOutcome& outcome, const std::string& what) {
    std::string cause =
        DescribeLdapFailure(what + " on " + servers_, outcome.code, outcome.diagnostic);
    if (outcome.code == LDAP_SIZELIMIT_EXCEEDED || outcome.code == LDAP_ADMINLIMIT_EXCEEDED) {
        cause += "; a server limit ended the search before the container's end";
    }
    return Fail(ldapError::FromLdap(outcome.code), std::move(cause));
}

int LdapSession::Resolve(std::string_view name, const Dn*& dn) {
    const NameMap::Lookup lookup = names_.Find(name);
    dn = lookup.dn;
    if (dn != nullptr) {
        return 0;
    }
    if (!lookup.dns.empty()) {
        return Fail(ldapError::kAmbiguousName, "the name \"" + std::string(name) +
                                                   "\" stands for two entries, " + lookup.dns[0] +
                                                   " and " + lookup.dns[1]);
    }
    return Fail(dirError::kUnknownName,
                "the name \"" + std::string(name) + "\" was not listed by " + servers_);
}

void LdapSession::Adopt(const Dn& child, std::size_t levels, std::string_view parentName,
                        std::vector<BatchEntry>& out) {
    std::string listed = child.DottedName(levels);
    names_.Add(ComposeFullName(parentName, listed), child);
    out.push_back({child.Text(), std::move(listed), kContainerFlag});
}

std::vector<BatchEntry> LdapSession::TopEntries() {
    std::vector<BatchEntry> entries;
    for (const Dn& top : tops_) {
        Adopt(top, top.Depth(), kRootName, entries);
    }
    return entries;
}

int LdapSession::ReadListing(std::string_view parentName, const Dn& parent,
                             std::vector<BatchEntry>& out) {
    if (const int r = RenewIfNeeded(); r != 0) {
        return r;
    }
    PagedSearch search({parent.Text(), LDAP_SCOPE_ONELEVEL, LDAP_DEREF_NEVER,
                        ContainerFilter(*profile_), PartitionMarkerAttributes()});
    ListingSink sink(roots_);
    do {
        const LdapOutcome outcome = NextPage(search, sink);
        if (outcome.code != LDAP_SUCCESS) {
            Ended(search);
            return FailLdap(outcome, "listing the containers under " + parent.Text());
        }
    } while (!search.Finished());
    Ended(search);
    if (!sink.badDn.empty()) {
        return Fail(ldapError::kBadDn, "listing the containers under " + parent.Text() + " on " +
                                           servers_ + ": the server sent the malformed DN \"" +
                                           sink.badDn + "\"");
    }

    std::set<std::string> seen;
    const auto adoptOnce = [&](const Dn& child) {
        if (child.IsUnder(parent) && seen.insert(child.Key()).second) {
            Adopt(child, child.Depth() - parent.Depth(), parentName, out);
        }
    };
    std::for_each(sink.children.begin(), sink.children.end(), adoptOnce);
    std::for_each(sink.referred.begin(), sink.referred.end(), adoptOnce);
    // A sub-suffix held by a database that is not glued to this one is not in the listing.
    for (const Dn& context : contexts_.DirectlyUnder(parent)) {
        adoptOnce(context);
    }
    return 0;
}

void LdapSession::HandOut(std::unique_ptr<Iteration> fresh, std::int32_t& handle,
                          LdapBuffer& reply) {
    Iteration* iteration = fresh != nullptr ? fresh.get() : iterations_.Find(handle);
    const std::size_t begin = iteration->handedOut;
    const std::size_t end =
        std::min(iteration->listed.size(), begin + static_cast<std::size_t>(pageSize_));
    const auto first = iteration->listed.begin();
    reply.SetBatch(std::vector<BatchEntry>(first + static_cast<std::ptrdiff_t>(begin),
                                           first + static_cast<std::ptrdiff_t>(end)));
    iteration->handedOut = end;
    const bool done = end == iteration->listed.size();
    if (fresh != nullptr) {
        if (!done) {
            handle = iterations_.Add(std::move(fresh));
        }
    } else if (done) {
        iterations_.Remove(handle);
        handle = kNoIteration;
    }
}

int LdapSession::List(std::string_view name, std::int32_t& handle, LdapBuffer& reply) {
    reply.SetBatch({});
    if (handle != kNoIteration) {
        const Iteration* iteration = iterations_.Find(handle);
        if (iteration == nullptr || iteration->search != nullptr) {
            return Fail(ldapError::kUnknownIteration,
                        "no listing is in progress with handle " + std::to_string(handle));
        }
        HandOut(nullptr, handle, reply);
        return 0;
    }
    auto fresh = std::make_unique<Iteration>();
    if (IsRootName(name)) {
        fresh->listed = TopEntries();
    } else {
        const Dn* parent = nullptr;
        if (const int r = Resolve(name, parent); r != 0) {
            return r;
        }
        if (const int r = ReadListing(name, Dn(*parent), fresh->listed); r != 0) {
            return r;
        }
    }
    HandOut(std::move(fresh), handle, reply);
    return 0;
}

int LdapSession::Search(std::string_view base, int scope, int deref, const std::string& filter,
                        std::int32_t& handle, LdapBuffer& reply) {
    reply.SetBatch({});
    std::unique_ptr<Iteration> fresh;
    Iteration* iteration = nullptr;
    if (handle != kNoIteration) {
        iteration = iterations_.Find(handle);
        if (iteration == nullptr || iteration->search == nullptr) {
            return Fail(ldapError::kUnknownIteration,
                        "no search is in progress with handle " + std::to_string(handle));
        }
    } else if (IsRootName(base)) {
        if (scope == LDAP_SCOPE_SUBTREE) {
            return Fail(ldapError::kBadArgument,
                        "a subtree search from [Root] is not supported; search each top "
                        "container");
        }
        return 0;  // the root itself holds no objects, only the top containers
    } else {
        const Dn* dn = nullptr;
        if (const int r = Resolve(base, dn); r != 0) {
            return r;
        }
        if (const int r = RenewIfNeeded(); r != 0) {
            return r;
        }
        fresh = std::make_unique<Iteration>();
        fresh->search = std::make_unique<PagedSearch>(
            SearchSpec{dn->Text(), scope, deref, filter, {LDAP_NO_ATTRS}});
        iteration = fresh.get();
    }

    SearchSink sink;
    const LdapOutcome outcome = NextPage(*iteration->search, sink);
    const bool finished = outcome.code != LDAP_SUCCESS || iteration->search->Finished();
    const std::string searchedDn = iteration->search->Spec().baseDn;
    if (finished) {
        Ended(*iteration->search);
        if (fresh == nullptr) {
            iterations_.Remove(handle);
        }
        handle = kNoIteration;
    } else if (fresh != nullptr) {
        handle = iterations_.Add(std::move(fresh));
    }
    if (outcome.code != LDAP_SUCCESS) {
        return FailLdap(outcome, "searching under " + searchedDn);
    }
    reply.SetBatch(std::move(sink.entries));
    return 0;
}

int LdapSession::EndIteration(std::int32_t handle) {
    Iteration* iteration = iterations_.Find(handle);
    if (iteration == nullptr) {
        return Fail(ldapError::kUnknownIteration,
                    "no search or listing is in progress with handle " + std::to_string(handle));
    }
    if (iteration->search != nullptr) {
        iteration->search->Abandon(ld_.get(), timeoutSeconds_);
        Ended(*iteration->search);
    }
    iterations_.Remove(handle);
    return 0;
}

int LdapSession::FindPartitionRoot(std::string_view name, std::string& rootName) {
    if (IsRootName(name)) {
        rootName = kRootName;
        return 0;
    }
    const Dn* dn = nullptr;
    if (const int r = Resolve(name, dn); r != 0) {
        return r;
    }
    for (Dn current = *dn; current.Depth() > 0; current = current.Ancestor(1)) {
        std::optional<bool> isRoot = roots_.IsRoot(current);
        if (!isRoot) {
            Attributes markers;
            const LdapOutcome outcome = ReadEntry(
                ld_.get(), current.Text(), PartitionMarkerAttributes(), timeoutSeconds_, markers);
            if (outcome.code != LDAP_SUCCESS) {
                return FailLdap(outcome, "reading " + current.Text());
            }
            roots_.Remember(current, markers);
            isRoot = roots_.IsRoot(current);
        }
        if (*isRoot) {
            const std::string* fullName = names_.FullNameOf(current.Key());
            if (fullName == nullptr) {
                return Fail(dirError::kUnknownName,
                            "the partition root " + current.Text() + " was not listed");
            }
            rootName = *fullName;
            return 0;
        }
    }
    rootName = kRootName;
    return 0;
}

}  // namespace vantor
