#pragma once
// The engine's search filter ("Object Class" = a class name) as an LDAP filter. The four kinds'
// class names ("User", "NCP_Server", "Group", "Partition") take the profile's filter for the
// kind; any other class name is asked for as it is, (objectClass=name).

#include <optional>
#include <string>
#include <vector>

#include "directory/ldap/LdapBuffers.h"
#include "directory/profile/ClassProfile.h"

namespace vantor {

// nullopt for any other shape of filter.
std::optional<std::string> ToLdapFilter(const std::vector<FilterItem>& items,
                                        const ClassProfile& profile);

// The filter of a container listing: the profile's container classes, and referral objects
// (which stand for containers held by another server).
std::string ListingFilter(const ClassProfile& profile);

}  // namespace vantor
