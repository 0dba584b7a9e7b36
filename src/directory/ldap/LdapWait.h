#pragma once
// Waiting for the server's answer to a request sent without blocking. The wait goes in short
// slices, so that the operation timeout is kept to the slice and a cancel request (Ctrl-C, the
// window's Cancel) is seen within one: a server that stops answering never holds the user.

#include <sys/time.h>

#include <chrono>
#include <functional>

struct ldap;
struct ldapmsg;

namespace vantor {

struct WaitLimits {
    // No answer for this long fails the request with LDAP_TIMEOUT.
    std::chrono::milliseconds timeout{30000};
    // Asked between slices; true abandons the request with LDAP_USER_CANCELLED. May be empty.
    std::function<bool()> cancelled;
};

// The slices of one wait, for a loop around ldap_result.
class WaitSlices {
  public:
    explicit WaitSlices(const WaitLimits& limits);
    // How long the next ldap_result may block.
    timeval Next() const;
    // A message came: the timeout starts again.
    void Answered();
    // LDAP_SUCCESS to go on waiting, LDAP_TIMEOUT when the timeout passed without a message, or
    // LDAP_USER_CANCELLED. Asks the cancel hook at most once a slice, so it may be called after
    // every message of a stream.
    int Check();

  private:
    using Clock = std::chrono::steady_clock;
    const WaitLimits& limits_;
    Clock::time_point lastAnswer_;
    Clock::time_point lastCheck_;
};

// Waits for the whole answer to request msgid: LDAP_SUCCESS with *answer set (the caller frees
// it), or LDAP_TIMEOUT or LDAP_USER_CANCELLED (the request is abandoned), or the client error
// libldap met (LDAP_SERVER_DOWN when the connection broke). The answer's own result code is for
// the caller to parse.
int AwaitAnswer(struct ldap* ld, int msgid, const WaitLimits& limits, struct ldapmsg** answer);

// The client error that ended a failed ldap_result (LDAP_SERVER_DOWN when libldap says none).
int ClientError(struct ldap* ld);

}  // namespace vantor
