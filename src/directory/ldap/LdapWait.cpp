#include "directory/ldap/LdapWait.h"

#include <ldap.h>

#include <algorithm>

namespace vantor {

namespace {

// Short enough for a cancel to feel immediate, long enough to cost nothing while waiting.
constexpr std::chrono::milliseconds kSlice{50};

}  // namespace

WaitSlices::WaitSlices(const WaitLimits& limits)
    : limits_(limits), lastAnswer_(Clock::now()), lastCheck_(lastAnswer_) {}

timeval WaitSlices::Next() const {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
        lastAnswer_ + limits_.timeout - Clock::now());
    const auto slice = std::clamp<std::chrono::microseconds>(left, {}, kSlice);
    return {0, static_cast<suseconds_t>(slice.count())};
}

void WaitSlices::Answered() {
    lastAnswer_ = Clock::now();
}

int WaitSlices::Check() {
    const auto now = Clock::now();
    if (now - lastCheck_ >= kSlice || now - lastAnswer_ >= limits_.timeout) {
        lastCheck_ = now;
        if (limits_.cancelled && limits_.cancelled()) {
            return LDAP_USER_CANCELLED;
        }
        if (now - lastAnswer_ >= limits_.timeout) {
            return LDAP_TIMEOUT;
        }
    }
    return LDAP_SUCCESS;
}

int ClientError(LDAP* ld) {
    int code = LDAP_OTHER;
    ldap_get_option(ld, LDAP_OPT_RESULT_CODE, &code);
    return code == LDAP_SUCCESS ? LDAP_SERVER_DOWN : code;
}

int AwaitAnswer(LDAP* ld, int msgid, const WaitLimits& limits, LDAPMessage** answer) {
    *answer = nullptr;
    WaitSlices slices(limits);
    for (;;) {
        timeval wait = slices.Next();
        const int type = ldap_result(ld, msgid, LDAP_MSG_ALL, &wait, answer);
        if (type > 0) {
            return LDAP_SUCCESS;
        }
        if (type < 0) {
            return ClientError(ld);
        }
        if (const int code = slices.Check(); code != LDAP_SUCCESS) {
            ldap_abandon_ext(ld, msgid, nullptr, nullptr);
            return code;
        }
    }
}

}  // namespace vantor
