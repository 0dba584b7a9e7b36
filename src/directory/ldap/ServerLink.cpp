#include "directory/ldap/ServerLink.h"

#include <ldap.h>

#include <algorithm>

namespace vantor {

namespace {

constexpr std::chrono::seconds kFirstBackoff{1};
constexpr std::chrono::seconds kLongestBackoff{60};

bool MeansLost(int ldapCode) {
    return ldapCode == LDAP_SERVER_DOWN || ldapCode == LDAP_TIMEOUT ||
           ldapCode == LDAP_CONNECT_ERROR;
}

}  // namespace

ServerLink::ServerLink(LdapSettings settings, LdapHandle connected, std::string servers)
    : settings_(std::move(settings)), ld_(std::move(connected)), servers_(std::move(servers)) {}

LDAP* ServerLink::Get(int& ldapCode, std::string& cause) {
    if (ld_ != nullptr && !renew_) {
        return ld_.get();
    }
    const auto now = Clock::now();
    if (ld_ == nullptr && now < retryAt_) {
        const auto wait = std::chrono::ceil<std::chrono::seconds>(retryAt_ - now);
        ldapCode = lostCode_;
        cause = "not sent: the connection to " + servers_ + " was lost (" + lostCause_ +
                "); reconnecting is tried again in " + std::to_string(wait.count()) + " s";
        return nullptr;
    }
    const bool wasLost = ld_ == nullptr;
    ld_.reset();
    renew_ = false;
    ConnectResult connection = Connect(settings_);
    if (connection.handle == nullptr) {
        lostCode_ = connection.ldapCode;
        lostCause_ = "reconnecting failed: " + connection.cause;
        backoff_ = backoff_.count() == 0 ? kFirstBackoff : std::min(backoff_ * 2, kLongestBackoff);
        retryAt_ = Clock::now() + backoff_;
        ldapCode = lostCode_;
        cause = "not sent: " +
                std::string(wasLost ? "the connection to " + servers_ + " was lost, and "
                                    : "a new connection was needed, and ") +
                lostCause_;
        return nullptr;
    }
    ld_ = std::move(connection.handle);
    backoff_ = std::chrono::seconds(0);
    return ld_.get();
}

bool ServerLink::Lost(int ldapCode) {
    if (!MeansLost(ldapCode) || ld_ == nullptr) {
        return false;
    }
    ld_.reset();
    lostCode_ = ldapCode;
    lostCause_ = ldap_err2string(ldapCode);
    retryAt_ = Clock::now();  // the first reconnect is tried at once
    return true;
}

}  // namespace vantor
