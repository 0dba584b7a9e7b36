#pragma once
// A search read page by page with the simple paged results control (RFC 2696). The cookie lives
// here between pages; one PagedSearch stands behind one iteration handle.
//
// The first request asks without the control for at most one page of entries: a container that
// fits in a page (most do) is read in that one request. Only when it holds more does the search
// start again from the beginning, page by page. Besides saving a request, this keeps slapd fast:
// its mdb back end answers a paged one-level search by walking every entry that matches the
// filter anywhere in the database, but an unpaged one by walking the base's children.

#include <string>
#include <vector>

#include "directory/ldap/EntryRead.h"

struct ldap;
struct ldapmsg;
struct ldapcontrol;

namespace vantor {

struct SearchSpec {
    std::string baseDn;
    int scope = 1;  // LDAP_SCOPE_ONELEVEL
    int deref = 0;  // LDAP_DEREF_NEVER
    std::string filter;
    std::vector<std::string> attributes;        // {"1.1"} asks for none
    std::vector<struct ldapcontrol*> controls;  // sent with every request; borrowed
};

// Receives what one page brought.
class PageSink {
  public:
    virtual ~PageSink() = default;
    virtual void Entry(struct ldap* ld, struct ldapmsg* entry) = 0;
    // A continuation reference: part of the result is held by another server.
    virtual void Reference(const std::vector<std::string>& urls) = 0;
};

class PagedSearch {
  public:
    explicit PagedSearch(SearchSpec spec) : spec_(std::move(spec)) {}

    // Fetches the next batch into sink; a failed request hands nothing on. When the server
    // refuses pageSize for the first page (adminLimitExceeded or unwillingToPerform, nothing
    // sent), the page is asked again with half the size, and again; a size the server takes is
    // left in pageSize for the searches that follow. A page that meets the server's size limit
    // is asked again at half the size, down to one entry. Any other failure ends the search.
    LdapOutcome NextPage(struct ldap* ld, int& pageSize, const WaitLimits& limits, PageSink& sink);
    bool Finished() const { return finished_; }
    // True unless the search ran to its end on a page that was not full. slapd's glue of
    // subordinate databases can keep a paged-search state on the connection in the other
    // cases, which later paged searches on the same connection then trip over.
    bool MayLeaveServerState() const { return failed_ || !finished_ || lastPageFull_; }
    const SearchSpec& Spec() const { return spec_; }
    // Entries brought by the pages so far.
    int Delivered() const { return delivered_; }
    // slapd's glue of subordinate databases answers the page after one that ended exactly at
    // the last entry with unwillingToPerform instead of an empty last page. True for a failure
    // of that shape, which may or may not be the end (see LdapSession::ConfirmEnd).
    bool EndMayBeHidden(const LdapOutcome& outcome) const;
    // The end was confirmed: the search is over, without failure.
    void ConfirmEnd();
    // Lets the server drop the state of an unfinished search: a request for no entries that
    // carries the cookie. Its answer does not matter; the search is over either way.
    void Abandon(struct ldap* ld, const WaitLimits& limits);

  private:
    enum class Mode {
        kWhole,  // no control, at most pageSize entries
        kPage,   // one page with the paged results control
    };
    // One request; entries counts the entries it brought.
    LdapOutcome Request(struct ldap* ld, Mode mode, int pageSize, const WaitLimits& limits,
                        PageSink* sink, int& entries);

    SearchSpec spec_;
    std::string cookie_;
    bool started_ = false;
    bool finished_ = false;
    bool failed_ = false;        // ended by a failure or abandoned
    bool lastPageFull_ = false;  // the last page held as many entries as were asked for
    int delivered_ = 0;
};

}  // namespace vantor
