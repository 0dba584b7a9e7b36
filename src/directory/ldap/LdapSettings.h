#pragma once
// What the LDAP back end needs to reach and read a server. Left empty, the URI and the base come
// from libldap's own client configuration (ldap.conf, ~/.ldaprc, LDAPURI, LDAPBASE), as they do
// for the OpenLDAP command-line tools.

#include <chrono>
#include <string>

namespace vantor {

struct LdapSettings {
    std::string uri;            // one or more LDAP URIs; empty: the client configuration's
    std::string base;           // the only top container; empty: the configured or published ones
    std::string bindDn;         // empty: anonymous (simple bind)
    std::string password;       // never printed or logged
    std::string passwordFile;   // read whole at bind time, as the OpenLDAP tools read -y files
    std::string saslMechanism;  // empty: simple bind
    std::string saslAuthcid;    // SASL authentication identity
    int startTls = 0;           // 0: none; 1: try StartTLS, go on without; 2: require it
    std::string profile = "auto";  // "auto", "edirectory", "generic" or "ad"
    std::chrono::seconds networkTimeout{30};
    std::chrono::seconds operationTimeout{30};
    int pageSize = 1000;  // objects asked for per batch; lowered when the server refuses it
};

// True when a bind with these settings may send the password unencrypted over the network:
// a password (or password file) with simple bind or the PLAIN/LOGIN mechanisms, no -ZZ, and
// at least one server that is neither ldaps://, ldapi:// nor on the loopback interface. With
// -Z alone the connection goes on unencrypted when StartTLS fails, so it does not count as safe.
bool SendsPasswordInClear(const LdapSettings& settings);

}  // namespace vantor
