#include "directory/ldap/LdapConnection.h"

#include <fcntl.h>
#include <ldap.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "directory/ldap/EntryRead.h"
#include "directory/ldap/LdapErrors.h"
#include "directory/ldap/LdapUris.h"
#include "directory/ldap/SaslBind.h"

namespace vantor {

void LdapHandleClose::operator()(LDAP* ld) const {
    ldap_unbind_ext_s(ld, nullptr, nullptr);
}

namespace {

void SetTimeout(LDAP* ld, int option, std::chrono::seconds limit) {
    const timeval value{static_cast<time_t>(limit.count()), 0};
    ldap_set_option(ld, option, &value);
}

LdapHandle Initialize(const LdapSettings& settings, ConnectResult& result) {
    LDAP* raw = nullptr;
    result.ldapCode = ldap_initialize(&raw, settings.uri.empty() ? nullptr : settings.uri.c_str());
    LdapHandle ld(raw);
    if (result.ldapCode != LDAP_SUCCESS || ld == nullptr) {
        result.cause = DescribeLdapFailure(
            "cannot use the LDAP URI \"" +
                (settings.uri.empty() ? ConfiguredUriList() : settings.uri) + "\"",
            result.ldapCode, {});
        return nullptr;
    }
    const int version = LDAP_VERSION3;
    ldap_set_option(ld.get(), LDAP_OPT_PROTOCOL_VERSION, &version);
    // Referrals are reported, not chased: a chased referral would count another server's
    // entries with anonymous credentials.
    ldap_set_option(ld.get(), LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    SetTimeout(ld.get(), LDAP_OPT_NETWORK_TIMEOUT, settings.networkTimeout);
    SetTimeout(ld.get(), LDAP_OPT_TIMEOUT, settings.operationTimeout);

    char* uri = nullptr;
    if (ldap_get_option(ld.get(), LDAP_OPT_URI, &uri) == LDAP_OPT_SUCCESS && uri != nullptr) {
        const auto servers = ParseServerList(uri);
        result.servers = servers ? DescribeServers(*servers) : std::string(uri);
        ldap_memfree(uri);
    }
    if (result.servers.empty()) {
        result.servers = "ldap://localhost";
    }
    return ld;
}

bool AllLdaps(const std::string& servers) {
    const auto list = ParseServerList(servers);
    return list && std::all_of(list->begin(), list->end(), [](const ServerAddress& server) {
               return server.scheme == "ldaps";
           });
}

// The whole file, as the OpenLDAP tools use a -y file.
bool ReadPasswordFile(const std::string& path, std::string& password, std::string& error) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot read the password file " + path + ": " + std::strerror(errno);
        return false;
    }
    password.clear();
    char chunk[512];
    ssize_t n = 0;
    while ((n = read(fd, chunk, sizeof chunk)) > 0) {
        password.append(chunk, static_cast<std::size_t>(n));
    }
    const int readError = errno;
    close(fd);
    if (n < 0) {
        error = "cannot read the password file " + path + ": " + std::strerror(readError);
        return false;
    }
    return true;
}

int SimpleBind(LDAP* ld, const std::string& bindDn, std::string& password) {
    berval credentials{password.size(), password.data()};
    return ldap_sasl_bind_s(ld, bindDn.empty() ? nullptr : bindDn.c_str(), LDAP_SASL_SIMPLE,
                            &credentials, nullptr, nullptr, nullptr);
}

std::string BindFailure(const LdapSettings& settings, const ConnectResult& result,
                        const std::string& diagnostic) {
    switch (result.ldapCode) {
        case LDAP_SERVER_DOWN:
        case LDAP_CONNECT_ERROR:
        case LDAP_TIMEOUT:
            return DescribeLdapFailure("cannot reach the LDAP server " + result.servers,
                                       result.ldapCode, diagnostic);
        case LDAP_INVALID_CREDENTIALS: {
            const std::string who = !settings.saslAuthcid.empty() ? settings.saslAuthcid
                                    : !settings.bindDn.empty()    ? settings.bindDn
                                                                  : std::string("anonymous");
            return DescribeLdapFailure(
                "the LDAP server " + result.servers + " refused the credentials of " + who,
                result.ldapCode, diagnostic);
        }
        default:
            return DescribeLdapFailure("bind to " + result.servers + " failed", result.ldapCode,
                                       diagnostic);
    }
}

// -Z / -ZZ. Returns false when the connection cannot go on; with -Z a failed StartTLS starts a
// fresh, unencrypted connection, as the handshake may have left the old one unusable.
bool StartTls(const LdapSettings& settings, LdapHandle& ld, ConnectResult& result) {
    if (settings.startTls == 0 || AllLdaps(result.servers)) {
        return true;
    }
    result.ldapCode = ldap_start_tls_s(ld.get(), nullptr, nullptr);
    if (result.ldapCode == LDAP_SUCCESS) {
        return true;
    }
    if (settings.startTls >= 2) {
        result.cause = DescribeLdapFailure("StartTLS with " + result.servers + " failed",
                                           result.ldapCode, LastDiagnostic(ld.get()));
        return false;
    }
    ld = Initialize(settings, result);
    return ld != nullptr;
}

}  // namespace

ConnectResult Connect(const LdapSettings& settings) {
    ConnectResult result;
    LdapHandle ld = Initialize(settings, result);
    if (ld == nullptr || !StartTls(settings, ld, result)) {
        return result;
    }
    std::string password = settings.password;
    if (!settings.passwordFile.empty() &&
        !ReadPasswordFile(settings.passwordFile, password, result.cause)) {
        result.ldapCode = LDAP_LOCAL_ERROR;
        return result;
    }
    result.ldapCode =
        settings.saslMechanism.empty()
            ? SimpleBind(ld.get(), settings.bindDn, password)
            : SaslBind(ld.get(), settings.saslMechanism, settings.saslAuthcid, password);
    std::fill(password.begin(), password.end(), '\0');
    if (result.ldapCode != LDAP_SUCCESS) {
        result.cause = BindFailure(settings, result, LastDiagnostic(ld.get()));
        return result;
    }
    result.handle = std::move(ld);
    return result;
}

}  // namespace vantor
