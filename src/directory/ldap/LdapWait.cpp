#include "directory/ldap/LdapWait.h"

#include <ldap.h>

#include <algorithm>

namespace vantor {

namespace {

// Short enough for a cancel to feel immediate, long enough to cost nothing while waiting.
constexpr std::chrono::milliseconds kSlice{50};

int ClientError(LDAP* ld) {
    int code = LDAP_OTHER;
    ldap_get_option(ld, LDAP_OPT_RESULT_CODE, &code);
    return code == LDAP_SUCCESS ? LDAP_SERVER_DOWN : code;
}

}  // namespace

int AwaitAnswer(LDAP* ld, int msgid, const WaitLimits& limits, LDAPMessage** answer) {
    using Clock = std::chrono::steady_clock;
    *answer = nullptr;
    const auto deadline = Clock::now() + limits.timeout;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        const auto slice = std::clamp<std::chrono::microseconds>(left, {}, kSlice);
        timeval wait{0, static_cast<suseconds_t>(slice.count())};
        const int type = ldap_result(ld, msgid, LDAP_MSG_ALL, &wait, answer);
        if (type > 0) {
            return LDAP_SUCCESS;
        }
        if (type < 0) {
            return ClientError(ld);
        }
        const bool cancelled = limits.cancelled && limits.cancelled();
        if (cancelled || Clock::now() >= deadline) {
            ldap_abandon_ext(ld, msgid, nullptr, nullptr);
            return cancelled ? LDAP_USER_CANCELLED : LDAP_TIMEOUT;
        }
    }
}

}  // namespace vantor
