#pragma once
// What the LDAP back end needs to reach and read a server. Left empty, the URI and the base come
// from libldap's own client configuration (ldap.conf, ~/.ldaprc, LDAPURI, LDAPBASE), as they do
// for the OpenLDAP command-line tools.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "directory/profile/ClassProfile.h"

namespace vantor {

// What the program lets the back end do besides talking to the server.
struct LdapHooks {
    // Tells the user of something that changes how the run goes on without stopping it (the
    // server does not offer StartTLS, so -Z goes on unencrypted). Told once per directory.
    std::function<void(const std::string& notice)> notice;
    // Asked every few milliseconds while a request waits for the server (the window pumps its
    // messages here); true cancels the request at once.
    std::function<bool()> cancelled;
};

struct LdapSettings {
    std::string uri;            // one or more LDAP URIs; empty: the client configuration's
    std::string base;           // the only top container; empty: the configured or published ones
    std::string bindDn;         // empty: anonymous (simple bind)
    std::string password;       // never printed or logged
    std::string saslMechanism;  // empty: simple bind
    std::string saslAuthcid;    // SASL authentication identity
    int startTls = 0;           // 0: none; 1: try StartTLS, go on without; 2: require it
    std::string profile = "auto";               // "auto", "edirectory", "generic" or "ad"
    std::optional<ClassProfile> customProfile;  // a profile file's, used instead of profile
    // The user's filter (RFC 4515 text, checked before), ANDed into every search for objects.
    std::string objectFilter;
    std::chrono::seconds networkTimeout{30};
    std::chrono::seconds operationTimeout{30};
    int pageSize = 1000;  // objects asked for per batch; lowered when the server refuses it
    // Counts each partition from two searches of its whole subtree (its containers, and its
    // objects of the kind, counted as they stream in); false, or a server that refuses them,
    // asks container by container.
    bool wholeSubtrees = true;
    LdapHooks hooks;
};

// True when a password given for a bind with these settings would cross the network
// unencrypted: simple bind or the PLAIN/LOGIN mechanisms, no -ZZ, and at least one server that
// is neither ldaps://, ldapi:// nor on the loopback interface. With -Z alone the connection goes
// on unencrypted when the server offers no StartTLS, so it does not count as safe.
bool SendsPasswordInClear(const LdapSettings& settings);

// The whole contents of a password file, as the OpenLDAP tools read a -y file (a trailing
// newline is part of the password); nullopt with the reason in error, naming the file.
std::optional<std::string> ReadPasswordFile(const std::string& path, std::string& error);

}  // namespace vantor
