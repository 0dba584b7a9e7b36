#pragma once
// A session's connection to its server, and what happens when it is lost.
//
// A request that times out or finds the connection broken drops it (Lost). The next request
// reconnects, once; when that fails, every request fails at once, without waiting for the
// server, until the next attempt is due: one second after the failure, then two, four ... up to
// a minute. So a server that stops answering costs a run about two timeouts, not two per
// container, and a server that is gone is not flooded with connection attempts.

#include <chrono>
#include <string>

#include "directory/ldap/LdapConnection.h"
#include "directory/ldap/LdapSettings.h"

namespace vantor {

class ServerLink {
  public:
    using Clock = std::chrono::steady_clock;

    ServerLink(LdapSettings settings, LdapHandle connected, std::string servers);

    // The connection for the next request. Null when there is none: ldapCode and cause then say
    // why (the code of the loss, or of the failed reconnect).
    struct ldap* Get(int& ldapCode, std::string& cause);
    // The connection as it is, without reconnecting; null when there is none or it is to be
    // renewed.
    struct ldap* Current() const {
        return renew_ ? nullptr : ld_.get();
    }
    // After a request failed with this LDAP code: drops the connection when the code says it is
    // lost (timeout, server down, connect error), and returns whether it did.
    bool Lost(int ldapCode);
    // The next request starts on a fresh connection (slapd's paged-search state, see
    // LdapSession); not a loss.
    void Renew() { renew_ = true; }
    const std::string& Servers() const { return servers_; }
    const LdapSettings& Settings() const { return settings_; }

  private:
    LdapSettings settings_;
    LdapHandle ld_;
    std::string servers_;
    bool renew_ = false;
    // While ld_ is null: why, and when a reconnect may be tried next.
    int lostCode_ = 0;
    std::string lostCause_;
    Clock::time_point retryAt_{};
    std::chrono::seconds backoff_{0};
};

}  // namespace vantor
