#include "directory/ldap/LdapSession.h"

#include <ldap.h>

#include <algorithm>
#include <functional>
#include <set>

#include "directory/dn/SiblingNames.h"
#include "directory/ldap/LdapErrors.h"
#include "directory/ldap/LdapFilter.h"
#include "directory/ldap/LdapUris.h"
#include "directory/ldap/SearchStream.h"
#include "engine/FullName.h"

namespace vantor {

namespace {

// Listings that may be outstanding together: enough to keep a server's cores busy, far below
// the hundred or so requests at which slapd drops a connection.
constexpr std::size_t kListingsInFlight = 8;

constexpr std::size_t kPartitionKind = 3;  // "Partition" in kKindClassNames

std::string JoinUrls(const std::vector<std::string>& urls) {
    std::string text;
    for (const std::string& url : urls) {
        text += (text.empty() ? "" : ", ") + url;
    }
    return text;
}

// The attributes a listing reads of each container: its partition markers and, for a referral
// object, where it refers to.
std::vector<std::string> ListingAttributes() {
    std::vector<std::string> attributes = PartitionMarkerAttributes();
    attributes.emplace_back("ref");
    return attributes;
}

// Removes from dns the entries that a listing returned as containers.
void LeaveOut(const std::vector<ListedChild>& listed, std::vector<Dn>& dns) {
    std::unordered_set<std::string_view> keys;
    for (const ListedChild& child : listed) {
        keys.insert(child.dn.Key());
    }
    std::erase_if(dns, [&](const Dn& dn) { return keys.contains(dn.Key()); });
}

}  // namespace

void LdapControlFree::operator()(LDAPControl* control) const {
    ldap_control_free(control);
}

LdapSession::LdapSession(ServerLink link, const RootDse& dse, const ClassProfile& profile)
    : link_(std::move(link)),
      limits_{link_.Settings().operationTimeout, link_.Settings().hooks.cancelled},
      pageSize_(link_.Settings().pageSize),
      profile_(&profile),
      contexts_(dse.namingContexts),
      roots_(profile, contexts_) {
    LDAPControl* control = nullptr;
    if (ldap_control_create(LDAP_CONTROL_MANAGEDSAIT, 0, nullptr, 0, &control) == LDAP_SUCCESS) {
        manageDsaIt_.reset(control);
    }
}

LdapSession::~LdapSession() = default;

std::unique_ptr<LdapSession> LdapSession::Open(const LdapSettings& settings, std::string& cause) {
    ConnectResult connection = Connect(settings);
    if (connection.handle == nullptr) {
        cause = connection.cause;
        return nullptr;
    }
    if (!connection.notice.empty() && settings.hooks.notice) {
        settings.hooks.notice(connection.notice);
    }
    LDAP* ld = connection.handle.get();
    const WaitLimits limits{settings.operationTimeout, settings.hooks.cancelled};
    const std::string base = settings.base.empty() ? ConfiguredBase() : settings.base;

    RootDse dse;
    std::string diagnostic;
    const int rc = ReadRootDse(ld, limits, dse, diagnostic);
    if (rc != LDAP_SUCCESS && (base.empty() || rc < 0)) {
        cause = DescribeLdapFailure("cannot read the root DSE of " + connection.servers, rc,
                                    diagnostic);
        return nullptr;
    }
    const ClassProfile* profile = settings.customProfile ? &*settings.customProfile
                                  : EqualsIgnoreCase(settings.profile, "auto")
                                      ? &ChooseProfile(dse)
                                      : FindProfile(settings.profile);
    if (profile == nullptr) {
        cause = "unknown profile \"" + settings.profile + "\" (auto, edirectory, generic or ad)";
        return nullptr;
    }

    std::optional<Dn> baseDn;
    if (!base.empty()) {
        baseDn = Dn::Parse(base);
        if (!baseDn || baseDn->Depth() == 0) {
            cause = "the base \"" + base + "\" is not a distinguished name";
            return nullptr;
        }
        Attributes markers;
        const LdapOutcome outcome =
            ReadEntry(ld, baseDn->Text(), PartitionMarkerAttributes(), limits, markers);
        if (outcome.code != LDAP_SUCCESS) {
            cause =
                DescribeLdapFailure("cannot read the base " + base + " on " + connection.servers,
                                    outcome.code, outcome.diagnostic);
            return nullptr;
        }
    }
    const std::string servers = connection.servers;
    std::unique_ptr<LdapSession> session(new LdapSession(
        ServerLink(settings, std::move(connection.handle), servers), dse, *profile));
    if (baseDn) {
        session->tops_.push_back(*baseDn);
    } else {
        session->tops_ = session->contexts_.Tops();
        if (session->tops_.empty()) {
            cause = "the LDAP server " + servers +
                    " publishes no naming contexts; name the base to count with -b";
            return nullptr;
        }
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

int LdapSession::Connection(std::string_view what, LDAP*& ld) {
    int code = 0;
    std::string cause;
    ld = link_.Get(code, cause);
    return ld != nullptr ? 0 : Fail(ldapError::FromLdap(code), std::string(what) + ": " + cause);
}

void LdapSession::Ended(const PagedSearch& search) {
    if (search.MayLeaveServerState()) {
        link_.Renew();
    }
}

LdapOutcome LdapSession::NextPage(LDAP* ld, PagedSearch& search, PageSink& sink) {
    LdapOutcome outcome = search.NextPage(ld, pageSize_, limits_, sink);
    if (search.EndMayBeHidden(outcome) && ConfirmEnd(search)) {
        search.ConfirmEnd();
        outcome = LdapOutcome{};
    }
    return outcome;
}

bool LdapSession::ConfirmEnd(const PagedSearch& search) {
    link_.Renew();
    LDAP* ld = nullptr;
    if (Connection("confirming the end of a search", ld) != 0) {
        return false;
    }
    PagedSearch check(search.Spec());
    CountingSink sink;
    int size = search.Delivered() + 1;
    const LdapOutcome outcome = check.NextPage(ld, size, limits_, sink);
    Ended(check);
    return outcome.code == LDAP_SUCCESS && check.Finished() && sink.entries == search.Delivered();
}

int LdapSession::FailLdap(const LdapOutcome& outcome, const std::string& what) {
    std::string cause =
        DescribeLdapFailure(what + " on " + link_.Servers(), outcome.code, outcome.diagnostic);
    if (outcome.code == LDAP_SIZELIMIT_EXCEEDED || outcome.code == LDAP_ADMINLIMIT_EXCEEDED) {
        cause += "; a server limit ended the search before the container's end";
    } else if (outcome.code == LDAP_TIMELIMIT_EXCEEDED) {
        cause += "; the server's time limit ended the search before the container's end";
    } else if (!outcome.referrals.empty()) {
        cause += "; the server refers to " + JoinUrls(outcome.referrals) +
                 ", and referrals are not followed";
    }
    link_.Lost(outcome.code);
    return Fail(ldapError::FromLdap(outcome.code), std::move(cause));
}

int LdapSession::Resolve(std::string_view name, const Dn*& dn) {
    dn = names_.Find(name);
    if (dn != nullptr) {
        return 0;
    }
    return Fail(dirError::kUnknownName,
                "the name \"" + std::string(name) + "\" was not listed by " + link_.Servers());
}

const std::vector<std::string>* LdapSession::ReferralOf(const Dn& dn) const {
    const auto it = referrals_.find(dn.Key());
    return it != referrals_.end() ? &it->second : nullptr;
}

void LdapSession::Adopt(const std::vector<Sibling>& siblings, std::string_view parentName,
                        std::vector<BatchEntry>& out) {
    std::vector<std::string> typed;
    std::vector<std::string> typeless;
    typed.reserve(siblings.size());
    typeless.reserve(siblings.size());
    for (const Sibling& sibling : siblings) {
        typed.push_back(sibling.dn->TypedName(sibling.levels));
        typeless.push_back(TypelessName(typed.back()));
    }
    const std::vector<bool> clashes =
        ClashingSiblings(std::vector<std::string_view>(typeless.begin(), typeless.end()));
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        std::string& listed = clashes[i] ? typed[i] : typeless[i];
        names_.Add(ComposeFullName(parentName, listed), *siblings[i].dn);
        out.push_back({siblings[i].dn->Text(), std::move(listed), kContainerFlag});
    }
}

std::vector<BatchEntry> LdapSession::TopEntries() {
    std::vector<Sibling> siblings;
    for (const Dn& top : tops_) {
        siblings.push_back({&top, top.Depth()});
    }
    std::vector<BatchEntry> entries;
    Adopt(siblings, kRootName, entries);
    return entries;
}

SearchSpec LdapSession::ContainerSearch(const Dn& base, int scope) const {
    SearchSpec spec{base.Text(),         scope, LDAP_DEREF_NEVER, ListingFilter(*profile_),
                    ListingAttributes(), {}};
    if (manageDsaIt_ != nullptr) {
        spec.controls.push_back(manageDsaIt_.get());
    }
    return spec;
}

bool LdapSession::Lost(int ldapCode) {
    return ldapCode == LDAP_TIMEOUT || ldapCode == LDAP_SERVER_DOWN ||
           ldapCode == LDAP_CONNECT_ERROR || ldapCode == LDAP_USER_CANCELLED;
}

SearchSpec LdapSession::ObjectSearch(const std::string& dn, int scope, int deref,
                                     const ObjectQuery& query) {
    std::vector<std::string> attributes = {LDAP_NO_ATTRS};
    if (query.sorting) {
        attributes = {"objectClass"};
    }
    return SearchSpec{dn, scope, deref, query.filter, std::move(attributes), {}};
}

std::unique_ptr<ParentCountingSink> LdapSession::ObjectSink(const ObjectQuery& query,
                                                            std::vector<CountsByText>& counts) {
    if (query.sorting) {
        return std::make_unique<ParentCountingSink>(counts, *query.sorting);
    }
    return std::make_unique<ParentCountingSink>(counts.at(0));
}

int LdapSession::ReadSubtree(const Dn& base, const ObjectQuery& query) {
    const std::string what = "reading the subtree of " + base.Text();
    LDAP* ld = nullptr;
    if (const int r = Connection(what, ld); r != 0) {
        return r;
    }
    // The objects in one search of base, sent with the container listing. Searches of base's
    // parts side by side on one connection cost the server more than the whole in one: their
    // threads contend for the connection, and a server that reads its whole back end for a
    // filter its index cannot narrow (389) reads it once per search.
    ListingSink containers(roots_);
    std::vector<CountsByText> objects(query.counted.size());
    const auto whole = ObjectSink(query, objects);
    const LdapOutcome outcome = StreamSearches(
        ld,
        {{ContainerSearch(base, LDAP_SCOPE_SUBTREE), &containers},
         {ObjectSearch(base.Text(), LDAP_SCOPE_SUBTREE, LDAP_DEREF_NEVER, query), whole.get()}},
        limits_, 2);
    if (outcome.code == LDAP_SUCCESS && containers.badDn.empty()) {
        for (std::size_t i = 0; i < objects.size(); ++i) {
            subtrees_.Add(base, query.counted[i], containers.children, objects[i]);
        }
        return 0;
    }
    if (Lost(outcome.code)) {
        return FailLdap(outcome, what);
    }
    // A limit or a refusal: this container is asked alone, and the smaller subtrees below it
    // may still be read whole.
    return kAskEachContainer;
}

SearchSpec LdapSession::OneLevel(const Dn& base, std::string filter) const {
    SearchSpec spec{base.Text(),       LDAP_SCOPE_ONELEVEL, LDAP_DEREF_NEVER,
                    std::move(filter), {LDAP_NO_ATTRS},     {}};
    if (manageDsaIt_ != nullptr) {
        spec.controls.push_back(manageDsaIt_.get());
    }
    return spec;
}

int LdapSession::HasChildren(LDAP* ld, const Dn& entry, std::string& filter) {
    if (!marker_) {
        Attributes attributes;
        const LdapOutcome outcome =
            ReadEntry(ld, entry.Text(), ChildrenMarkerAttributes(), limits_, attributes);
        if (Lost(outcome.code)) {
            return FailLdap(outcome, "reading " + entry.Text());
        }
        if (outcome.code != LDAP_SUCCESS) {
            filter = HasChildrenFilter(ChildrenMarker::kNone);  // asked again of the next entry
            return 0;
        }
        marker_ = MarkerOf(attributes);
    }
    filter = HasChildrenFilter(*marker_);
    return 0;
}

int LdapSession::ReadPaged(const std::string& what, const SearchSpec& spec, PageSink& sink,
                           const std::function<void()>& restart, LdapOutcome& outcome) {
    PagedSearch search(spec);
    LDAP* ld = nullptr;
    do {
        if (const int r = Connection(what, ld); r != 0) {
            return r;
        }
        outcome = NextPage(ld, search, sink);
    } while (outcome.code == LDAP_SUCCESS && !search.Finished());
    Ended(search);
    // As with a listing, 389 Directory Server may end this with noSuchObject when it reaches a
    // sub-suffix; unpaged it is whole.
    if (outcome.code != LDAP_SUCCESS && !Lost(outcome.code) && search.Delivered() > 0) {
        if (const int r = Connection(what, ld); r != 0) {
            return r;
        }
        restart();
        outcome = StreamSearches(ld, {{spec, &sink}}, limits_, 1);
    }
    return 0;
}

int LdapSession::NonContainerParents(const Dn& parent, const std::vector<ListedChild>& listed,
                                     std::vector<Dn>& parents) {
    const std::string what = "looking for entries with children under " + parent.Text();
    LDAP* ld = nullptr;
    if (const int r = Connection(what, ld); r != 0) {
        return r;
    }
    std::string hasChildren;
    if (const int r = HasChildren(ld, parent, hasChildren); r != 0) {
        return r;
    }
    // Without a marker this is every entry under parent.
    DnListSink found;
    LdapOutcome outcome;
    if (const int r = ReadPaged(
            what, OneLevel(parent, hasChildren.empty() ? "(objectClass=*)" : hasChildren), found,
            [&] { found = DnListSink{}; }, outcome);
        r != 0) {
        return r;
    }
    LeaveOut(listed, found.dns);
    // Without a marker, each entry of another class is asked for its children.
    std::vector<CountingSink> children(hasChildren.empty() ? found.dns.size() : 0);
    if (outcome.code == LDAP_SUCCESS && !children.empty()) {
        std::vector<StreamedSearch> listings;
        listings.reserve(children.size());
        for (std::size_t i = 0; i < children.size(); ++i) {
            listings.push_back({OneLevel(found.dns[i], "(objectClass=*)"), &children[i]});
        }
        if (const int r = Connection(what, ld); r != 0) {
            return r;
        }
        outcome = StreamSearches(ld, listings, limits_, kListingsInFlight);
    }
    if (outcome.code != LDAP_SUCCESS) {
        return FailLdap(outcome, what);
    }
    if (!found.badDn.empty()) {
        return Fail(ldapError::kBadDn, what + " on " + link_.Servers() +
                                           ": the server sent the malformed DN \"" + found.badDn +
                                           "\"");
    }
    for (std::size_t i = 0; i < found.dns.size(); ++i) {
        if (children.empty() || children[i].entries > 0) {
            parents.push_back(std::move(found.dns[i]));
        }
    }
    return 0;
}

int LdapSession::LookThrough(const Dn& container, const LookedThrough*& found) {
    if (const auto known = lookedThrough_.find(container.Key()); known != lookedThrough_.end()) {
        found = &known->second;
        return 0;
    }
    LookedThrough through;
    // The container's own listing may fail with some containers kept: its listing reports that.
    through.failure = ListFromServer(container, through.containers);
    if (through.failure != 0) {
        if (through.containers.empty()) {
            return through.failure;
        }
        through.failureCause = lastFailure_;
    }
    // Entries still to look below, each with the containers listed directly under it.
    std::vector<std::pair<Dn, std::vector<ListedChild>>> pending = {
        {container, through.containers}};
    while (!pending.empty()) {
        const auto [at, listed] = std::move(pending.back());
        pending.pop_back();
        std::vector<Dn> parents;
        if (const int r = NonContainerParents(at, listed, parents); r != 0) {
            return r;
        }
        for (Dn& parent : parents) {
            std::vector<ListedChild> below;
            if (const int r = ListFromServer(parent, below); r != 0) {
                return r;
            }
            through.containers.insert(through.containers.end(), below.begin(), below.end());
            through.parents.push_back(parent);
            pending.emplace_back(std::move(parent), std::move(below));
        }
    }
    found = &lookedThrough_.emplace(container.Key(), std::move(through)).first->second;
    return 0;
}

int LdapSession::CountUnder(const Dn& container, const std::vector<Dn>& parents,
                            const ObjectQuery& query, std::vector<std::uint32_t>& objects) {
    objects.assign(query.counted.size(), 0);
    if (parents.empty()) {
        return 0;
    }
    const std::string what =
        "searching below the entries of other classes under " + container.Text();
    // Paged, one entry after the other, so that a server limit ends no search early.
    for (const Dn& parent : parents) {
        std::vector<CountsByText> byParent(query.counted.size());
        const auto sink = ObjectSink(query, byParent);
        const auto restart = [&] {
            for (CountsByText& kind : byParent) {
                kind.clear();
            }
        };
        LdapOutcome outcome;
        if (const int r = ReadPaged(
                what, ObjectSearch(parent.Text(), LDAP_SCOPE_ONELEVEL, LDAP_DEREF_NEVER, query),
                *sink, restart, outcome);
            r != 0) {
            return r;
        }
        if (outcome.code != LDAP_SUCCESS) {
            return FailLdap(outcome, what);
        }
        for (std::size_t k = 0; k < byParent.size(); ++k) {
            for (const auto& [spelling, count] : byParent[k]) {
                objects[k] += count;
            }
        }
    }
    return 0;
}

int LdapSession::ListFromServer(const Dn& parent, std::vector<ListedChild>& children) {
    PagedSearch search(ContainerSearch(parent, LDAP_SCOPE_ONELEVEL));
    ListingSink sink(roots_);
    const std::string what = "listing the containers under " + parent.Text();
    do {
        LDAP* ld = nullptr;
        if (const int r = Connection(what, ld); r != 0) {
            return r;
        }
        const LdapOutcome outcome = NextPage(ld, search, sink);
        if (outcome.code != LDAP_SUCCESS) {
            Ended(search);
            if (Lost(outcome.code)) {
                return FailLdap(outcome, what);
            }
            // 389 Directory Server ends some paged listings that reach a sub-suffix with
            // noSuchObject, though the same listing unpaged is whole.
            if (search.Delivered() > 0 && ListUnpaged(parent, children)) {
                return 0;
            }
            children = std::move(sink.children);  // kept; the failure is reported after them
            return FailLdap(outcome, what);
        }
    } while (!search.Finished());
    Ended(search);
    if (!sink.badDn.empty()) {
        return Fail(ldapError::kBadDn,
                    "listing the containers under " + parent.Text() + " on " + link_.Servers() +
                        ": the server sent the malformed DN \"" + sink.badDn + "\"");
    }
    children = std::move(sink.children);
    return 0;
}

bool LdapSession::ListUnpaged(const Dn& parent, std::vector<ListedChild>& children) {
    LDAP* ld = nullptr;
    if (Connection("listing the containers under " + parent.Text(), ld) != 0) {
        return false;
    }
    ListingSink sink(roots_);
    const LdapOutcome outcome =
        StreamSearches(ld, {{ContainerSearch(parent, LDAP_SCOPE_ONELEVEL), &sink}}, limits_, 1);
    if (outcome.code != LDAP_SUCCESS || !sink.badDn.empty()) {
        return false;
    }
    children = std::move(sink.children);
    return true;
}

int LdapSession::ReadListing(std::string_view parentName, const Dn& parent,
                             std::vector<BatchEntry>& out) {
    const std::vector<ListedChild>* children = subtrees_.Children(parent);
    int failure = 0;
    if (children == nullptr) {
        const LookedThrough* through = nullptr;
        if (const int r = LookThrough(parent, through); r != 0) {
            return r;
        }
        failure = through->failure;
        lastFailure_ = through->failureCause;
        children = &through->containers;
    }
    std::set<std::string> seen;
    std::vector<Sibling> siblings;
    for (const ListedChild& child : *children) {
        // A continuation reference may name a DN elsewhere: it still stands for a container here.
        const std::size_t levels = child.dn.IsUnder(parent) ? child.dn.Depth() - parent.Depth() : 1;
        if (seen.insert(child.dn.Key()).second) {
            // A reference to a naming context this server publishes (as Samba gives its
            // Configuration and DNS partitions in a listing of the domain) leads back here.
            if (!child.referralUrls.empty() && !contexts_.Contains(child.dn)) {
                referrals_.insert_or_assign(child.dn.Key(), child.referralUrls);
            }
            siblings.push_back({&child.dn, levels});
        }
    }
    // Naming contexts not in the listing: a database not glued to this one, or one whose parent
    // entry does not exist. Each goes under its nearest listed ancestor.
    const std::vector<Dn> below = contexts_.Under(parent);
    for (const Dn& context : below) {
        const auto nearer = [&](const Dn& other) { return context.IsUnder(other); };
        const bool underChild =
            std::any_of(children->begin(), children->end(),
                        [&](const ListedChild& child) { return nearer(child.dn); });
        if (!underChild && std::none_of(below.begin(), below.end(), nearer) &&
            seen.insert(context.Key()).second) {
            siblings.push_back({&context, context.Depth() - parent.Depth()});
        }
    }
    Adopt(siblings, parentName, out);
    return failure;
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
    const bool done = end == iteration->listed.size() && iteration->failure == 0;
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
        if (iteration->handedOut == iteration->listed.size()) {
            // Every container that came before the failure has gone out: now the failure.
            const int failure = iteration->failure;
            lastFailure_ = iteration->failureCause;
            iterations_.Remove(handle);
            handle = kNoIteration;
            return failure;
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
        // A referral's containers are another server's: its search says so, once.
        if (ReferralOf(*parent) == nullptr) {
            if (const int r = ReadListing(name, Dn(*parent), fresh->listed); r != 0) {
                if (fresh->listed.empty()) {
                    return r;
                }
                fresh->failure = r;
                fresh->failureCause = lastFailure_;
            }
        }
    }
    HandOut(std::move(fresh), handle, reply);
    return 0;
}

int LdapSession::SearchBase(std::string_view base, const Dn*& dn) {
    if (const int r = Resolve(base, dn); r != 0) {
        return r;
    }
    if (const auto* urls = ReferralOf(*dn)) {
        return Fail(dirError::kReferralsFailed, dn->Text() + " is a referral to " +
                                                    JoinUrls(*urls) + " on " + link_.Servers() +
                                                    "; referrals are not followed");
    }
    return 0;
}

int LdapSession::ContinuedSearch(std::int32_t handle, Iteration*& iteration) {
    iteration = iterations_.Find(handle);
    if (iteration == nullptr || iteration->search == nullptr) {
        return Fail(ldapError::kUnknownIteration,
                    "no search is in progress with handle " + std::to_string(handle));
    }
    return 0;
}

int LdapSession::Answered(const Dn& dn, const ObjectQuery& query,
                          std::optional<std::vector<std::uint32_t>>& counts) {
    // The engine's search, one level without aliases, is answered from a read of the
    // container's whole subtree when the server gives it.
    const auto known = [&] {
        std::vector<std::uint32_t> found;
        for (const std::string& filter : query.counted) {
            const auto objects = subtrees_.Count(filter, dn);
            if (!objects) {
                return std::optional<std::vector<std::uint32_t>>();
            }
            found.push_back(*objects);
        }
        return std::optional(found);
    };
    counts = known();
    if (!counts && link_.Settings().wholeSubtrees &&
        triedReads_.insert(query.filter + '\n' + dn.Key()).second) {
        if (const int r = ReadSubtree(dn, query); r != 0 && r != kAskEachContainer) {
            return r;
        }
        counts = known();
    }
    return 0;
}

int LdapSession::NextBatch(std::unique_ptr<Iteration> fresh, Iteration* iteration,
                           std::int32_t& handle, PageSink& sink) {
    const std::string what = "searching under " + iteration->search->Spec().baseDn;
    LDAP* ld = nullptr;
    const int notSent = Connection(what, ld);
    const LdapOutcome outcome =
        notSent == 0 ? NextPage(ld, *iteration->search, sink) : LdapOutcome{LDAP_OTHER, {}, {}};
    const bool finished = outcome.code != LDAP_SUCCESS || iteration->search->Finished();
    if (finished) {
        Ended(*iteration->search);
        if (fresh == nullptr) {
            iterations_.Remove(handle);
        }
        handle = kNoIteration;
    } else if (fresh != nullptr) {
        handle = iterations_.Add(std::move(fresh));
    }
    if (notSent != 0) {
        return notSent;
    }
    if (outcome.code != LDAP_SUCCESS) {
        return FailLdap(outcome, what);
    }
    return 0;
}

int LdapSession::Search(std::string_view base, int scope, int deref, const std::string& filter,
                        std::int32_t& handle, LdapBuffer& reply) {
    reply.SetBatch({});
    std::vector<std::uint32_t> counts;
    if (const int r = SearchObjects(base, scope, deref, {filter}, false, handle, counts); r != 0) {
        return r;
    }
    reply.SetCount(counts.at(0));
    return 0;
}

int LdapSession::SearchEveryKind(std::string_view base, int scope, int deref,
                                 const std::array<std::string, kKindWords.size()>& filters,
                                 std::int32_t& handle, LdapBuffer& reply) {
    reply.SetBatch({});
    std::vector<std::uint32_t> counts;
    if (const int r = SearchObjects(base, scope, deref, {filters.begin(), filters.end()}, true,
                                    handle, counts);
        r != 0) {
        return r;
    }
    KindCounts kinds{};
    std::copy(counts.begin(), counts.end(), kinds.begin());
    reply.SetKindCounts(kinds);
    return 0;
}

int LdapSession::SearchObjects(std::string_view base, int scope, int deref,
                               const std::vector<std::string>& filters, bool everyKind,
                               std::int32_t& handle, std::vector<std::uint32_t>& counts) {
    counts.assign(filters.size(), 0);
    const bool engines = scope == LDAP_SCOPE_ONELEVEL && deref == LDAP_DEREF_NEVER;
    const bool atRoot = handle == kNoIteration && IsRootName(base);
    // The partitions of the engine's search are the partition roots a container holds (the top
    // containers for the root); every other filter is asked for in one search, each entry sorted
    // into the kinds its classes match when there are several.
    std::vector<std::size_t> roots;
    ObjectQuery query;
    std::vector<std::size_t> searched;
    for (std::size_t i = 0; i < filters.size(); ++i) {
        if ((engines || atRoot) && CountsPartitions(filters[i])) {
            roots.push_back(i);
        } else {
            query.counted.push_back(filters[i]);
            searched.push_back(i);
        }
    }
    if (everyKind) {
        query.sorting = KindSorting{profile_, searched};
        query.filter = "(|";
        for (const std::string& filter : query.counted) {
            query.filter += filter;
        }
        query.filter += ")";
    } else if (!query.counted.empty()) {
        query.filter = query.counted.front();
    }

    std::unique_ptr<Iteration> fresh;
    Iteration* iteration = nullptr;
    std::vector<std::uint32_t> lookedThrough;  // below entries of other classes, per filter
    if (handle != kNoIteration) {
        if (const int r = ContinuedSearch(handle, iteration); r != 0) {
            return r;
        }
    } else if (atRoot) {
        if (scope == LDAP_SCOPE_SUBTREE) {
            return Fail(ldapError::kBadArgument,
                        "a subtree search from [Root] is not supported; search each top "
                        "container");
        }
        for (const std::size_t i : roots) {
            counts[i] = static_cast<std::uint32_t>(tops_.size());
        }
        return 0;  // the root itself holds no objects, only the top containers
    } else {
        const Dn* dn = nullptr;
        if (const int r = SearchBase(base, dn); r != 0) {
            return r;
        }
        if (!roots.empty()) {
            std::uint32_t found = 0;
            if (const int r = CountPartitionRoots(base, *dn, found); r != 0) {
                return r;
            }
            for (const std::size_t i : roots) {
                counts[i] = found;
            }
        }
        std::optional<std::vector<std::uint32_t>> objects;
        if (query.counted.empty()) {
            return 0;
        }
        if (const int r = engines ? Answered(*dn, query, objects) : 0; r != 0) {
            return r;
        }
        if (objects) {
            for (std::size_t k = 0; k < searched.size(); ++k) {
                counts[searched[k]] = objects->at(k);
            }
            return 0;
        }
        if (engines) {
            const LookedThrough* through = nullptr;
            if (const int r = LookThrough(*dn, through); r != 0) {
                return r;
            }
            if (const int r = CountUnder(*dn, through->parents, query, lookedThrough); r != 0) {
                return r;
            }
        }
        fresh = std::make_unique<Iteration>();
        fresh->search =
            std::make_unique<PagedSearch>(ObjectSearch(dn->Text(), scope, deref, query));
        iteration = fresh.get();
    }
    // The first batch also carries the objects below entries of other classes.
    for (std::size_t k = 0; k < lookedThrough.size(); ++k) {
        counts[searched[k]] = lookedThrough[k];
    }
    if (!everyKind) {
        CountingSink sink;
        const int r = NextBatch(std::move(fresh), iteration, handle, sink);
        counts.at(searched.at(0)) += static_cast<std::uint32_t>(sink.entries);
        return r;
    }
    // One search's entries all have the container as parent: each kind's count is its one sum.
    std::vector<CountsByText> byParent(searched.size());
    ParentCountingSink sink(byParent, *query.sorting);
    const int r = NextBatch(std::move(fresh), iteration, handle, sink);
    for (std::size_t k = 0; k < byParent.size(); ++k) {
        for (const auto& [parent, objects] : byParent[k]) {
            counts[searched[k]] += objects;
        }
    }
    return r;
}

bool LdapSession::CountsPartitions(const std::string& filter) const {
    return filter == profile_->kinds.at(kPartitionKind).ldapFilter;
}

int LdapSession::CountPartitionRoots(std::string_view name, const Dn& dn, std::uint32_t& roots) {
    std::vector<BatchEntry> listed;
    if (const int r = ReadListing(name, dn, listed); r != 0) {
        return r;
    }
    for (const BatchEntry& entry : listed) {
        const std::optional<Dn> child = Dn::Parse(entry.dn);
        bool root = false;
        if (!child) {
            continue;
        }
        if (const int r = IsPartitionRoot(*child, root); r != 0) {
            return r;
        }
        roots += root ? 1 : 0;
    }
    return 0;
}

int LdapSession::IsPartitionRoot(const Dn& dn, bool& root) {
    std::optional<bool> known = roots_.IsRoot(dn);
    if (!known) {
        LDAP* ld = nullptr;
        if (const int r = Connection("reading " + dn.Text(), ld); r != 0) {
            return r;
        }
        Attributes markers;
        const LdapOutcome outcome =
            ReadEntry(ld, dn.Text(), PartitionMarkerAttributes(), limits_, markers);
        if (outcome.code != LDAP_SUCCESS) {
            return FailLdap(outcome, "reading " + dn.Text());
        }
        roots_.Remember(dn, markers);
        known = roots_.IsRoot(dn);
    }
    root = known.value_or(false);
    return 0;
}

int LdapSession::EndIteration(std::int32_t handle) {
    Iteration* iteration = iterations_.Find(handle);
    if (iteration == nullptr) {
        return Fail(ldapError::kUnknownIteration,
                    "no search or listing is in progress with handle " + std::to_string(handle));
    }
    if (iteration->search != nullptr) {
        // The search's state lives on the connection it ran on, if that is still there.
        if (LDAP* ld = link_.Current()) {
            iteration->search->Abandon(ld, limits_);
        }
        Ended(*iteration->search);
    }
    iterations_.Remove(handle);
    return 0;
}

int LdapSession::EntryDn(std::string_view name, std::string& dn) {
    if (IsRootName(name)) {
        dn.clear();
        return 0;
    }
    const Dn* found = nullptr;
    if (const int r = Resolve(name, found); r != 0) {
        return r;
    }
    dn = found->Text();
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
        bool isRoot = false;
        if (const int r = IsPartitionRoot(current, isRoot); r != 0) {
            return r;
        }
        if (isRoot) {
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
