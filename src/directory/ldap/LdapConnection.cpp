#include "directory/ldap/LdapConnection.h"

#include <ldap.h>

#include <algorithm>
#include <memory>

#include "directory/ldap/EntryRead.h"
#include "directory/ldap/LdapErrors.h"
#include "directory/ldap/LdapUris.h"
#include "directory/ldap/LdapWait.h"
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
    // A signal (Ctrl-C) during a wait is not a broken connection: the wait goes on, and the
    // cancel hook decides.
    ldap_set_option(ld.get(), LDAP_OPT_RESTART, LDAP_OPT_ON);
    SetTimeout(ld.get(), LDAP_OPT_NETWORK_TIMEOUT, settings.networkTimeout);
    // Bounds what still waits inside libldap: the TLS handshake and a SASL bind.
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

WaitLimits LimitsOf(const LdapSettings& settings) {
    return {settings.operationTimeout, settings.hooks.cancelled};
}

// Sends a request (send returns its msgid) and waits for its result: the LDAP result code the
// server sent, or the client error that ended the wait. diagnostic gets the server's message.
template <class Send>
int Exchange(LDAP* ld, const LdapSettings& settings, Send&& send, std::string& diagnostic) {
    int msgid = -1;
    int code = send(msgid);
    if (code != LDAP_SUCCESS) {
        diagnostic = LastDiagnostic(ld);
        return code;
    }
    LDAPMessage* raw = nullptr;
    code = AwaitAnswer(ld, msgid, LimitsOf(settings), &raw);
    const LdapMessagePtr answer(raw);
    if (code != LDAP_SUCCESS) {
        return code;
    }
    char* text = nullptr;
    const int parsed =
        ldap_parse_result(ld, answer.get(), &code, nullptr, &text, nullptr, nullptr, 0);
    if (text != nullptr) {
        diagnostic = text;
        ldap_memfree(text);
    }
    return parsed == LDAP_SUCCESS ? code : parsed;
}

int SimpleBind(LDAP* ld, const LdapSettings& settings, std::string& diagnostic) {
    std::string password = settings.password;
    berval credentials{password.size(), password.data()};
    const char* dn = settings.bindDn.empty() ? nullptr : settings.bindDn.c_str();
    const int code = Exchange(
        ld, settings,
        [&](int& msgid) {
            return ldap_sasl_bind(ld, dn, LDAP_SASL_SIMPLE, &credentials, nullptr, nullptr, &msgid);
        },
        diagnostic);
    std::fill(password.begin(), password.end(), '\0');
    return code;
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
            std::string cause = DescribeLdapFailure(
                "the LDAP server " + result.servers + " refused the credentials of " + who,
                result.ldapCode, diagnostic);
            if (const std::string reason = ActiveDirectoryBindReason(diagnostic); !reason.empty()) {
                cause += " (" + reason + ")";
            }
            return cause;
        }
        default:
            return DescribeLdapFailure("bind to " + result.servers + " failed", result.ldapCode,
                                       diagnostic);
    }
}

// The TLS library's words for a failed handshake, which for a certificate it does not trust
// are often none ("(unknown error code)"): then the likely cause.
std::string TlsDiagnostic(LDAP* ld) {
    std::string text = LastDiagnostic(ld);
    if (text.find("certificate") == std::string::npos) {
        text = "the TLS handshake failed" + (text.empty() ? std::string() : " (" + text + ")") +
               "; the server's certificate may not be trusted here (TLS_CACERT, TLS_REQCERT "
               "in ldap.conf)";
    }
    return text;
}

// -Z / -ZZ. False when the connection cannot go on (the cause is in result).
bool StartTls(const LdapSettings& settings, LDAP* ld, ConnectResult& result) {
    if (settings.startTls == 0 || AllLdaps(result.servers)) {
        return true;
    }
    const std::string what = "StartTLS with " + result.servers + " failed";
    std::string diagnostic;
    result.ldapCode = Exchange(
        ld, settings, [&](int& msgid) { return ldap_start_tls(ld, nullptr, nullptr, &msgid); },
        diagnostic);
    if (result.ldapCode > 0 && settings.startTls < 2) {
        // The server answered, and its answer is no: it does not offer StartTLS.
        result.notice = "the LDAP server " + result.servers + " does not offer StartTLS (" +
                        ldap_err2string(result.ldapCode) +
                        "); going on without TLS as -Z allows (-ZZ would refuse)";
        result.ldapCode = LDAP_SUCCESS;
        return true;
    }
    if (result.ldapCode > 0) {
        result.cause = DescribeLdapFailure(what + ": the server does not offer it", result.ldapCode,
                                           diagnostic);
        return false;
    }
    if (result.ldapCode == LDAP_SUCCESS) {
        result.ldapCode = ldap_install_tls(ld);
        diagnostic = result.ldapCode == LDAP_SUCCESS ? std::string() : TlsDiagnostic(ld);
    }
    if (result.ldapCode != LDAP_SUCCESS) {
        result.cause = DescribeLdapFailure(what, result.ldapCode, diagnostic);
        return false;
    }
    return true;
}

}  // namespace

ConnectResult Connect(const LdapSettings& settings) {
    ConnectResult result;
    LdapHandle ld = Initialize(settings, result);
    if (ld == nullptr || !StartTls(settings, ld.get(), result)) {
        return result;
    }
    std::string diagnostic;
    if (settings.saslMechanism.empty()) {
        result.ldapCode = SimpleBind(ld.get(), settings, diagnostic);
    } else {
        result.ldapCode =
            SaslBind(ld.get(), settings.saslMechanism, settings.saslAuthcid, settings.password);
        diagnostic = LastDiagnostic(ld.get());
    }
    if (result.ldapCode != LDAP_SUCCESS) {
        result.cause = BindFailure(settings, result, diagnostic);
        return result;
    }
    result.handle = std::move(ld);
    return result;
}

}  // namespace vantor
