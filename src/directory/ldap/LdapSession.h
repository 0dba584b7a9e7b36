#pragma once
// One open directory context: the bound connection, what the root DSE said, the chosen profile,
// the names handed out, what is known about partition roots, and the iterations in progress.
//
// "[Root]" is the server's root. Its containers are the configured base (-b, or BASE of the
// client configuration) or else the naming contexts the server publishes that lie under no
// other one; each is named by its RDN values joined with dots (dc=example,dc=com is
// "example.com") and each starts a partition.
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
// Continuation references in a listing are containers held by another server: they are listed
// (and start a partition), and a search there fails with "Referrals failed" (-626). A search
// leaves references out: in a one-level search they stand for subordinate naming contexts, not
// for objects of the kind.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "directory/dn/Dn.h"
#include "directory/ldap/IterationTable.h"
#include "directory/ldap/LdapBuffers.h"
#include "directory/ldap/LdapConnection.h"
#include "directory/ldap/LdapSettings.h"
#include "directory/ldap/NameMap.h"
#include "directory/ldap/NamingContexts.h"
#include "directory/ldap/PartitionRoots.h"
#include "directory/ldap/RootDse.h"

namespace vantor {

class LdapSession {
  public:
    // Connects, binds, reads the root DSE and settles the profile and the top containers.
    // Null on failure, with the cause in words.
    static std::unique_ptr<LdapSession> Open(const LdapSettings& settings, std::string& cause);

    const ClassProfile& Profile() const { return *profile_; }
    const std::string& Servers() const { return servers_; }
    // Why the last failing call failed.
    const std::string& LastFailure() const { return lastFailure_; }

    // One batch of the containers directly under the entry with this full name.
    int List(std::string_view name, std::int32_t& handle, LdapBuffer& reply);
    // One batch of a search under the entry with this full name; scope and deref as libldap's.
    int Search(std::string_view base, int scope, int deref, const std::string& filter,
               std::int32_t& handle, LdapBuffer& reply);
    int EndIteration(std::int32_t handle);
    // The full name of the nearest partition root at or above the named entry.
    int FindPartitionRoot(std::string_view name, std::string& rootName);

  private:
    LdapSession(LdapHandle ld, std::string servers, LdapSettings settings, RootDse dse,
                const ClassProfile& profile);

    int Fail(int code, std::string cause);
    // Replaces the connection when the last paged search may have left state on it.
    // 0, or kCreateContextFailed when no new connection could be made.
    int RenewIfNeeded();
    // The next page of a search, through the failure that may hide its end (ConfirmEnd).
    LdapOutcome NextPage(PagedSearch& search, PageSink& sink);
    // Whether a search whose next page failed as PagedSearch::EndMayBeHidden describes has
    // really ended: the same search on a fresh connection, in one page one entry larger than
    // what came so far, must bring exactly what came so far.
    bool ConfirmEnd(const PagedSearch& search);
    // Notes how a paged search ended, for RenewIfNeeded.
    void Ended(const PagedSearch& search) { renew_ = renew_ || search.MayLeaveServerState(); }
    int FailLdap(const LdapOutcome& outcome, const std::string& what);
    // The entry a handed-out name stands for; 0, or a failure code.
    int Resolve(std::string_view name, const Dn*& dn);
    // Reads the whole listing under parent (full name parentName) and names its containers.
    int ReadListing(std::string_view parentName, const Dn& parent, std::vector<BatchEntry>& out);
    // The top containers, named and recorded as partition roots.
    std::vector<BatchEntry> TopEntries();
    // Puts the next batch of a listing into reply; frees it after the last.
    void HandOut(std::unique_ptr<Iteration> fresh, std::int32_t& handle, LdapBuffer& reply);
    void Adopt(const Dn& child, std::size_t levels, std::string_view parentName,
               std::vector<BatchEntry>& out);

    LdapSettings settings_;
    LdapHandle ld_;
    bool renew_ = false;
    std::string servers_;
    int timeoutSeconds_;
    int pageSize_;
    RootDse dse_;
    const ClassProfile* profile_;
    NamingContexts contexts_;
    std::vector<Dn> tops_;
    NameMap names_;
    PartitionRoots roots_;
    IterationTable iterations_;
    std::string lastFailure_;
};

}  // namespace vantor
