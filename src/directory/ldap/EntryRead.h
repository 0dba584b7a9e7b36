#pragma once
// Reading attribute values of one entry: from a search result message, or by a base-scope read.

#include <map>
#include <string>
#include <vector>

struct ldap;
struct ldapmsg;

namespace vantor {

// Attribute values by attribute name, names compared without regard to case.
struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
using Attributes = std::map<std::string, std::vector<std::string>, CaseInsensitiveLess>;

// The attributes that an entry message carries.
Attributes AttributesOf(struct ldap* ld, struct ldapmsg* entry);

// The outcome of one request: the LDAP result code and the server's diagnostic message.
struct LdapOutcome {
    int code = 0;
    std::string diagnostic;
};

// Reads the named attributes of the entry dn (base scope, no paging).
LdapOutcome ReadEntry(struct ldap* ld, const std::string& dn,
                      const std::vector<std::string>& attributes, int timeoutSeconds,
                      Attributes& values);

// The server's diagnostic message from the last operation on the handle, or "".
std::string LastDiagnostic(struct ldap* ld);

}  // namespace vantor
