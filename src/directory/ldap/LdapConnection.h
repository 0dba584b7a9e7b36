#pragma once
// One connection to the server: libldap's handle, set up with the settings' timeouts, StartTLS
// and bind. TLS certificate checks stay as libldap's configuration sets them.

#include <memory>
#include <string>

#include "directory/ldap/LdapSettings.h"

struct ldap;

namespace vantor {

struct LdapHandleClose {
    void operator()(struct ldap* ld) const;
};
using LdapHandle = std::unique_ptr<struct ldap, LdapHandleClose>;

struct ConnectResult {
    LdapHandle handle;    // null on failure
    int ldapCode = 0;     // the failing step's LDAP result code
    std::string cause;    // on failure, in words, with the server's URI; never a password
    std::string servers;  // "ldap://host:port" of the servers the handle goes to
};

// Connects and binds. A password file is read here, so it is read once per connection.
ConnectResult Connect(const LdapSettings& settings);

}  // namespace vantor
