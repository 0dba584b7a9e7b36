#pragma once
// One open directory context: the link to the server, what the root DSE said, the chosen
// profile, the names handed out, what is known about partition roots and referrals, and the
// iterations in progress.
//
// "[Root]" is the server's root. Its containers are the configured base (-b, or BASE of the
// client configuration) or else the naming contexts the server publishes that lie under no
// other one; each is named by its RDN values joined with dots (dc=example,dc=com is
// "example.com") and each starts a partition. A naming context whose parent entry does not
// exist is listed under its nearest listed ancestor, named by the values in between. Names
// follow the listed-name rules the LDIF back end follows too (Dn.h, SiblingNames.h): dots and
// the like in values escaped, siblings that would read alike in typed form.
//
// Searches are read batch by batch as the engine asks for them (PagedSearch). Container
// listings are read whole at their first batch and handed out in batches from there: counting by
// partition nests the listings of a container's children inside its own, and a server such as
// slapd keeps only one paged search per connection, so a suspended listing's cookie would not
// survive. A listing holds containers only, a small number next to the objects counted.
//
// slapd's glue of subordinate databases can leave a paged-search state on the connection when a
// search ends on a full page or is left unfinished; a later paged search on that connection then
// fails (unwillingToPerform) or, worse, carries on the old one. So after such a search the next
// one starts on a fresh connection, bound as the first.
//
// An entry of no container class that has children is looked through, as the LDIF back end
// does: the containers below it are listed under the nearest container above, named by the
// values in between, and the objects below it count in that container. Where the server marks
// entries with children (ChildrenMarker.h) they are searched for; elsewhere each entry of
// another class is asked for its children, or a subtree read counts its objects in one search.
//
// Referrals are never followed. Listings read referral objects as entries (ManageDsaIT): each
// is a container of its own, and a search there fails with "Referrals failed" (-626) naming the
// URLs; its listing is empty. A continuation reference in a listing (a server that ignores
// ManageDsaIT, or a subordinate naming context held elsewhere) is taken the same way, named
// after the DN its URL gives. A search leaves continuation references out: in a one-level
// search they stand for containers, not for objects of the kind.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "directory/dn/Dn.h"
#include "directory/ldap/ChildrenMarker.h"
#include "directory/ldap/IterationTable.h"
#include "directory/ldap/LdapBuffers.h"
#include "directory/ldap/LdapSettings.h"
#include "directory/ldap/LdapWait.h"
#include "directory/ldap/NameMap.h"
#include "directory/ldap/NamingContexts.h"
#include "directory/ldap/PageSinks.h"
#include "directory/ldap/PartitionRoots.h"
#include "directory/ldap/RootDse.h"
#include "directory/ldap/ServerLink.h"
#include "directory/ldap/SubtreeCache.h"

struct ldapcontrol;

namespace vantor {

struct LdapControlFree {
    void operator()(struct ldapcontrol* control) const;
};

class LdapSession {
  public:
    // Connects, binds, reads the root DSE and settles the profile and the top containers.
    // Null on failure, with the cause in words. A notice of the connection (-Z without TLS)
    // goes to the settings' notice hook.
    static std::unique_ptr<LdapSession> Open(const LdapSettings& settings, std::string& cause);
    ~LdapSession();

    const ClassProfile& Profile() const { return *profile_; }
    // Why the last failing call failed.
    const std::string& LastFailure() const { return lastFailure_; }

    // One batch of the containers directly under the entry with this full name.
    int List(std::string_view name, std::int32_t& handle, LdapBuffer& reply);
    // One batch of a search under the entry with this full name; scope and deref as libldap's.
    int Search(std::string_view base, int scope, int deref, const std::string& filter,
               std::int32_t& handle, LdapBuffer& reply);
    // The same for the four kinds at once, each with its filter: one request per batch for the
    // kinds' objects, each entry sorted into the kinds its classes match (the profile's class
    // rules), and each batch's counts per kind in reply. Partitions count as Search counts them.
    int SearchEveryKind(std::string_view base, int scope, int deref,
                        const std::array<std::string, kKindWords.size()>& filters,
                        std::int32_t& handle, LdapBuffer& reply);
    int EndIteration(std::int32_t handle);
    // The full name of the nearest partition root at or above the named entry.
    int FindPartitionRoot(std::string_view name, std::string& rootName);
    // The DN a handed-out name stands for; "" for "[Root]".
    int EntryDn(std::string_view name, std::string& dn);

  private:
    // ReadSubtree's answer when the server would not give a subtree whole.
    static constexpr int kAskEachContainer = 1;

    LdapSession(ServerLink link, const RootDse& dse, const ClassProfile& profile);

    int Fail(int code, std::string cause);
    // The connection for the next request into ld: 0, or the failure (noted, the cause starting
    // with what) when there is none.
    int Connection(std::string_view what, struct ldap*& ld);
    // The next page of a search, through the failure that may hide its end (ConfirmEnd).
    LdapOutcome NextPage(struct ldap* ld, PagedSearch& search, PageSink& sink);
    // Whether a search whose next page failed as PagedSearch::EndMayBeHidden describes has
    // really ended: the same search on a fresh connection, in one page one entry larger than
    // what came so far, must bring exactly what came so far.
    bool ConfirmEnd(const PagedSearch& search);
    // Notes how a paged search ended: a fresh connection for the next when it may have left
    // state on the server.
    void Ended(const PagedSearch& search);
    // A failed request in words; a lost connection is dropped so the next request reconnects.
    int FailLdap(const LdapOutcome& outcome, const std::string& what);
    // The entry a handed-out name stands for; 0, or a failure code.
    int Resolve(std::string_view name, const Dn*& dn);
    // The URLs of a referral object, or null for any other entry.
    const std::vector<std::string>* ReferralOf(const Dn& dn) const;
    // The search that lists containers (and referral objects) under base.
    SearchSpec ContainerSearch(const Dn& base, int scope) const;
    // What an object search counts: the entries that filter matches, one count per filter of
    // counted (filter itself for one kind) as a search of that filter would count them; with a
    // sorting, several kinds in one search, each entry sorted into the kinds its classes match.
    struct ObjectQuery {
        std::string filter;
        std::vector<std::string> counted;
        std::optional<KindSorting> sorting;
    };
    static SearchSpec ObjectSearch(const std::string& dn, int scope, int deref,
                                   const ObjectQuery& query);
    static std::unique_ptr<ParentCountingSink> ObjectSink(const ObjectQuery& query,
                                                          std::vector<CountsByText>& counts);
    // The entry a search names, which must not be a referral; 0 or a failure.
    int SearchBase(std::string_view base, const Dn*& dn);
    // One batch of a search of objects, counts[i] the objects that filters[i] matches; with
    // everyKind the filters are the kinds' in kind order, asked for in one search.
    int SearchObjects(std::string_view base, int scope, int deref,
                      const std::vector<std::string>& filters, bool everyKind, std::int32_t& handle,
                      std::vector<std::uint32_t>& counts);
    // The search in progress under handle; 0 or a failure.
    int ContinuedSearch(std::int32_t handle, Iteration*& iteration);
    // The counts of query directly under dn from a read of its subtree (read now when it has not
    // been tried), into counts; nullopt when the container is to be searched alone. 0, or the
    // failure of a lost connection or a cancel.
    int Answered(const Dn& dn, const ObjectQuery& query,
                 std::optional<std::vector<std::uint32_t>>& counts);
    // The next page of a search into sink: the iteration is stored under a new handle while pages
    // remain (fresh) or freed after its last. 0 or the failure.
    int NextBatch(std::unique_ptr<Iteration> fresh, Iteration* iteration, std::int32_t& handle,
                  PageSink& sink);
    // Reads base's subtree into subtrees_: 0, or kAskEachContainer when the server would not
    // give it whole, or the failure of a lost connection or a cancel.
    int ReadSubtree(const Dn& base, const ObjectQuery& query);
    // A one-level search under base that reads no attributes, referral objects as entries.
    SearchSpec OneLevel(const Dn& base, std::string filter) const;
    // The filter that finds entries with children by the server's marker ("" without one); the
    // marker is learnt from entry on first use.
    int HasChildren(struct ldap* ld, const Dn& entry, std::string& filter);
    // Reads spec's entries into sink page by page. Where 389 Directory Server ends the paged
    // read with noSuchObject after some pages, reads it again unpaged after restart() has
    // emptied what sink kept. Sets outcome; returns a failure to connect.
    int ReadPaged(const std::string& what, const SearchSpec& spec, PageSink& sink,
                  const std::function<void()>& restart, LdapOutcome& outcome);
    // The entries directly under parent that have children and are not among the containers
    // listed there: searched for by the marker, or else each entry asked for its children.
    int NonContainerParents(const Dn& parent, const std::vector<ListedChild>& listed,
                            std::vector<Dn>& parents);
    // A container's listing from the server, looking through entries of no container class:
    // its containers, and those below such entries at every depth down to the next containers
    // (named by the values in between), and those entries, whose objects count in the
    // container. A failure of the container's own listing comes after what it kept.
    struct LookedThrough {
        std::vector<ListedChild> containers;
        std::vector<Dn> parents;
        int failure = 0;
        std::string failureCause;
    };
    // The container's LookedThrough, found once.
    int LookThrough(const Dn& container, const LookedThrough*& found);
    // The objects query counts directly under the parents found below container, per filter.
    int CountUnder(const Dn& container, const std::vector<Dn>& parents, const ObjectQuery& query,
                   std::vector<std::uint32_t>& objects);
    // Whether filter is the profile's filter for partitions. Those are counted as the partition
    // roots a container holds (a suffix of 389, a naming context of AD), whatever their class.
    bool CountsPartitions(const std::string& filter) const;
    int CountPartitionRoots(std::string_view name, const Dn& dn, std::uint32_t& roots);
    // Whether dn starts a partition, its markers read when not yet known; 0 or a failure.
    int IsPartitionRoot(const Dn& dn, bool& root);
    // Whether a request failed because the connection is gone or the user cancelled.
    static bool Lost(int ldapCode);
    // The containers directly under parent, as a one-level listing of the server gives them;
    // on a failure other than a lost connection or a cancel, those that came before it.
    int ListFromServer(const Dn& parent, std::vector<ListedChild>& children);
    // The same listing in one unpaged search; false when that fails too.
    bool ListUnpaged(const Dn& parent, std::vector<ListedChild>& children);
    // The whole listing under parent (full name parentName), from a subtree read or the
    // server, with its containers named; a failure may come with the containers read before it.
    int ReadListing(std::string_view parentName, const Dn& parent, std::vector<BatchEntry>& out);
    // The top containers, named and recorded as partition roots.
    std::vector<BatchEntry> TopEntries();
    // Puts the next batch of a listing into reply; frees it after the last.
    void HandOut(std::unique_ptr<Iteration> fresh, std::int32_t& handle, LdapBuffer& reply);
    // A child of one container, and how many RDNs its DN has below the container's.
    struct Sibling {
        const Dn* dn;
        std::size_t levels;
    };
    // Names the children of one container as both back ends list them (typeless, or typed where
    // siblings clash), records the names and puts them into out.
    void Adopt(const std::vector<Sibling>& siblings, std::string_view parentName,
               std::vector<BatchEntry>& out);

    ServerLink link_;
    WaitLimits limits_;
    int pageSize_;
    const ClassProfile* profile_;
    NamingContexts contexts_;
    std::vector<Dn> tops_;
    NameMap names_;
    PartitionRoots roots_;
    std::unordered_map<std::string, std::vector<std::string>> referrals_;  // by DN key
    std::unique_ptr<struct ldapcontrol, LdapControlFree> manageDsaIt_;
    SubtreeCache subtrees_;
    std::optional<ChildrenMarker> marker_;
    std::unordered_map<std::string, LookedThrough> lookedThrough_;  // by container DN key
    std::unordered_set<std::string> triedReads_;                    // filter, newline, DN key
    IterationTable iterations_;
    std::string lastFailure_;
};

}  // namespace vantor
