#pragma once
// The server list of an LDAP URI setting, read with libldap's URL parser, and what the client
// configuration says when the settings leave the URI, the base or the bind DN empty.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

struct ServerAddress {
    std::string scheme;  // "ldap", "ldaps" or "ldapi"
    std::string host;    // for ldapi: the socket path, empty for the default socket
    int port = 0;
};

// The servers of a list of URIs separated by blanks or commas; nullopt when one of them is not
// an LDAP URI or the list is empty.
std::optional<std::vector<ServerAddress>> ParseServerList(std::string_view uris);

// The URI list that libldap uses when none is given (ldap.conf, LDAPURI, ...); may be empty.
std::string ConfiguredUriList();

// The base that libldap's client configuration names (BASE, LDAPBASE); may be empty.
std::string ConfiguredBase();

// The bind DN that the user's client configuration names (BINDDN in ldaprc, .ldaprc and the
// files LDAPRC names, LDAPBINDDN); empty when none does or LDAPNOINIT is set.
std::string ConfiguredBindDn();

// "ldap://host:port" for each server, blank-separated; no path, no extensions, no credentials.
std::string DescribeServers(const std::vector<ServerAddress>& servers);

bool IsLoopbackHost(std::string_view host);

}  // namespace vantor
