#pragma once
// Reading attribute values of one entry: from a search result message, or by a base-scope read.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "directory/ldap/LdapWait.h"

struct ldap;
struct ldapmsg;
struct ldapcontrol;

namespace vantor {

struct LdapMessageFree {
    void operator()(struct ldapmsg* message) const;
};
// A message chain from libldap, freed with it.
using LdapMessagePtr = std::unique_ptr<struct ldapmsg, LdapMessageFree>;

// Attribute values by attribute name, names compared without regard to case.
struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
using Attributes = std::map<std::string, std::vector<std::string>, CaseInsensitiveLess>;

// The attributes that an entry message carries.
Attributes AttributesOf(struct ldap* ld, struct ldapmsg* entry);

// The outcome of one request: the LDAP result code, the server's diagnostic message and, for a
// referral, the URLs the server refers to.
struct LdapOutcome {
    int code = 0;
    std::string diagnostic;
    std::vector<std::string> referrals;
};

// Sends a search (libldap's arguments; sizeLimit 0 is none) and waits for its whole answer.
// When one came, answer holds it and the outcome is that of its result message (see
// ParseResult for cookie).
LdapOutcome SearchAndWait(struct ldap* ld, const std::string& base, int scope,
                          const std::string& filter, const std::vector<std::string>& attributes,
                          struct ldapcontrol** controls, int sizeLimit, const WaitLimits& limits,
                          LdapMessagePtr& answer, std::string* cookie = nullptr);

// The code, diagnostic and referrals of a result message. The paged results cookie of its
// response control goes into *cookie when asked for ("" when there is none).
LdapOutcome ParseResult(struct ldap* ld, struct ldapmsg* result, std::string* cookie = nullptr);

// Reads the named attributes of the entry dn (base scope, no paging).
LdapOutcome ReadEntry(struct ldap* ld, const std::string& dn,
                      const std::vector<std::string>& attributes, const WaitLimits& limits,
                      Attributes& values);

// The URLs of a continuation reference message.
std::vector<std::string> ReferenceUrls(struct ldap* ld, struct ldapmsg* reference);

// The server's diagnostic message from the last operation on the handle, or "".
std::string LastDiagnostic(struct ldap* ld);

}  // namespace vantor
