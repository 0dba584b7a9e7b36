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

}  // namespace vantor
