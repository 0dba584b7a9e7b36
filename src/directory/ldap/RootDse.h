#pragma once
// What a server says about itself in its root DSE, and the class profile chosen from it.

#include <string>
#include <vector>

#include "directory/ldap/LdapWait.h"
#include "directory/profile/ClassProfile.h"

struct ldap;

namespace vantor {

struct RootDse {
    std::vector<std::string> namingContexts;
    std::vector<std::string> supportedCapabilities;
    std::string vendorName;
    std::string vendorVersion;
};

// Reads the root DSE. Returns the LDAP result code; diagnostic gets the server's message.
int ReadRootDse(struct ldap* ld, const WaitLimits& limits, RootDse& dse, std::string& diagnostic);

// The profile for a server: Active Directory when it announces the Active Directory capability,
// eDirectory when its vendor is Novell or NetIQ (or its version names eDirectory), else generic.
const ClassProfile& ChooseProfile(const RootDse& dse);

// Whether a subtree's objects are counted by one search of its base rather than by searches of
// its parts side by side. 389 Directory Server answers a filter its index cannot narrow (a class
// held by more entries than its ID-list scan limit, 4,000 by default) by reading the whole back
// end once per search, so ten searches of ten parts cost it ten whole reads.
bool CountsSubtreesInOneSearch(const RootDse& dse);

}  // namespace vantor
