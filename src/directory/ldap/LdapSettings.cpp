#include "directory/ldap/LdapSettings.h"

#include <algorithm>

#include "directory/ldap/LdapUris.h"
#include "directory/profile/ClassProfile.h"

namespace vantor {

namespace {

bool MechanismSendsPassword(const std::string& mechanism) {
    return mechanism.empty() || EqualsIgnoreCase(mechanism, "PLAIN") ||
           EqualsIgnoreCase(mechanism, "LOGIN");
}

bool IsProtected(const ServerAddress& server) {
    return EqualsIgnoreCase(server.scheme, "ldaps") || EqualsIgnoreCase(server.scheme, "ldapi") ||
           IsLoopbackHost(server.host);
}

}  // namespace

bool SendsPasswordInClear(const LdapSettings& settings) {
    const bool hasPassword = !settings.password.empty() || !settings.passwordFile.empty();
    if (!hasPassword || !MechanismSendsPassword(settings.saslMechanism) || settings.startTls >= 2) {
        return false;
    }
    const std::string uris = settings.uri.empty() ? ConfiguredUriList() : settings.uri;
    if (uris.empty()) {
        return false;  // libldap's default server is ldap://localhost
    }
    const auto servers = ParseServerList(uris);
    if (!servers) {
        return true;  // cannot tell where it goes: assume the worst
    }
    return !std::all_of(servers->begin(), servers->end(), IsProtected);
}

}  // namespace vantor
