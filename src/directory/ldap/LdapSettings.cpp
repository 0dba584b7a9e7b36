#include "directory/ldap/LdapSettings.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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
    if (!MechanismSendsPassword(settings.saslMechanism) || settings.startTls >= 2) {
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

std::optional<std::string> ReadPasswordFile(const std::string& path, std::string& error) {
    // Far above any password; keeps a mistaken -y /dev/zero from reading forever.
    constexpr std::size_t kMaxBytes = 65536;
    const auto failure = [&](int code) {
        error = "cannot read the password file " + path + ": " + std::strerror(code);
        return std::nullopt;
    };
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return failure(errno);
    }
    std::string password;
    char chunk[512];
    ssize_t n = 0;
    while (password.size() <= kMaxBytes && (n = read(fd, chunk, sizeof chunk)) > 0) {
        password.append(chunk, static_cast<std::size_t>(n));
    }
    const int readError = errno;
    close(fd);
    if (n < 0) {
        return failure(readError);
    }
    if (password.size() > kMaxBytes) {
        error =
            "the password file " + path + " is larger than " + std::to_string(kMaxBytes) + " bytes";
        return std::nullopt;
    }
    return password;
}

}  // namespace vantor
