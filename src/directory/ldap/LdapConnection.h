#pragma once
// One connection to the server: libldap's handle, set up with the settings' timeouts, StartTLS
// and bind. TLS certificate checks stay as libldap's configuration sets them.
//
// StartTLS goes as with ldapsearch: -Z goes on unencrypted only when the server answers that it
// does not offer StartTLS, and says so (ConnectResult::notice); a handshake that fails or a
// certificate that is not trusted ends the connection with the cause; -ZZ takes no refusal.

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
    std::string notice;   // set when -Z went on without TLS, in words
};

// Connects, starts TLS when asked to and binds, each step within the settings' timeouts and
// cancelled by the settings' hook.
ConnectResult Connect(const LdapSettings& settings);

}  // namespace vantor
