#pragma once
// Several searches sent together on one connection and read as their messages stream in, each
// message handed to its search's sink and freed at once: memory holds what the sinks keep,
// never a whole result. The server works on the searches side by side.

#include <cstddef>
#include <vector>

#include "directory/ldap/EntryRead.h"
#include "directory/ldap/PagedSearch.h"

namespace vantor {

struct StreamedSearch {
    SearchSpec spec;  // deref is taken from the first search
    PageSink* sink;
};

// Runs the searches to their ends, at most maxInFlight at a time (in their order; a server
// drops a connection with too many requests outstanding). The outcome of the first one that
// failed (the others are then abandoned), or success. No message for limits.timeout fails with
// LDAP_TIMEOUT, a cancel with LDAP_USER_CANCELLED. A sink may have been handed entries of a
// search that failed.
LdapOutcome StreamSearches(struct ldap* ld, const std::vector<StreamedSearch>& searches,
                           const WaitLimits& limits, std::size_t maxInFlight);

}  // namespace vantor
