#include "directory/ldap/PagedSearch.h"

#include <ldap.h>

#include <memory>

namespace vantor {

namespace {

struct ControlFree {
    void operator()(LDAPControl* control) const { ldap_control_free(control); }
};

bool RefusesPageSize(int code) {
    return code == LDAP_ADMINLIMIT_EXCEEDED || code == LDAP_UNWILLING_TO_PERFORM;
}

}  // namespace

LdapOutcome PagedSearch::NextPage(LDAP* ld, int& pageSize, const WaitLimits& limits,
                                  PageSink& sink) {
    if (!started_) {
        started_ = true;
        int entries = 0;
        LdapOutcome whole = Request(ld, Mode::kWhole, pageSize, limits, &sink, entries);
        if (whole.code != LDAP_SIZELIMIT_EXCEEDED) {
            failed_ = whole.code != LDAP_SUCCESS;
            finished_ = true;
            return whole;
        }
        // More than a page (or a server limit lower than a page): page by page from the start.
    }
    const bool firstPage = cookie_.empty();
    int size = pageSize;
    for (;;) {
        int entries = 0;
        LdapOutcome outcome = Request(ld, Mode::kPage, size, limits, &sink, entries);
        if (outcome.code == LDAP_SUCCESS) {
            pageSize = size;
            return outcome;
        }
        // A page larger than the server's size limit ends with sizeLimitExceeded: asked again,
        // smaller, from where it started, since nothing of a failed page is handed on.
        const bool refused = firstPage && entries == 0 && RefusesPageSize(outcome.code);
        const bool overLimit = outcome.code == LDAP_SIZELIMIT_EXCEEDED;
        if (!(refused || overLimit) || size <= 1) {
            finished_ = true;
            failed_ = true;
            return outcome;
        }
        size /= 2;
    }
}

bool PagedSearch::EndMayBeHidden(const LdapOutcome& outcome) const {
    return outcome.code == LDAP_UNWILLING_TO_PERFORM && !cookie_.empty() && lastPageFull_;
}

void PagedSearch::ConfirmEnd() {
    cookie_.clear();
    finished_ = true;
    failed_ = false;
    lastPageFull_ = false;
}

void PagedSearch::Abandon(LDAP* ld, const WaitLimits& limits) {
    if (!finished_ && !cookie_.empty()) {
        int entries = 0;
        Request(ld, Mode::kPage, 0, limits, nullptr, entries);
    }
    finished_ = true;
    failed_ = true;
}

LdapOutcome PagedSearch::Request(LDAP* ld, Mode mode, int pageSize, const WaitLimits& limits,
                                 PageSink* sink, int& entries) {
    LdapOutcome outcome;
    LDAPControl* rawControl = nullptr;
    if (mode == Mode::kPage) {
        berval cookie{cookie_.size(), cookie_.data()};
        outcome.code =
            ldap_create_page_control(ld, static_cast<ber_int_t>(pageSize),
                                     cookie_.empty() ? nullptr : &cookie, 0, &rawControl);
        if (outcome.code != LDAP_SUCCESS) {
            return outcome;
        }
    }
    const std::unique_ptr<LDAPControl, ControlFree> control(rawControl);
    std::vector<LDAPControl*> serverControls(spec_.controls.begin(), spec_.controls.end());
    if (control != nullptr) {
        serverControls.push_back(control.get());
    }
    serverControls.push_back(nullptr);
    ldap_set_option(ld, LDAP_OPT_DEREF, &spec_.deref);
    LdapMessagePtr result;
    std::string nextCookie;
    outcome = SearchAndWait(ld, spec_.baseDn, spec_.scope, spec_.filter, spec_.attributes,
                            serverControls.data(), mode == Mode::kPage ? LDAP_NO_LIMIT : pageSize,
                            limits, result, &nextCookie);
    if (result == nullptr) {
        return outcome;
    }
    for (LDAPMessage* message = ldap_first_entry(ld, result.get()); message != nullptr;
         message = ldap_next_entry(ld, message)) {
        ++entries;
    }
    // What came before the result is handed on only when the result is a success.
    if (outcome.code != LDAP_SUCCESS || sink == nullptr) {
        return outcome;
    }
    for (LDAPMessage* message = ldap_first_message(ld, result.get()); message != nullptr;
         message = ldap_next_message(ld, message)) {
        if (ldap_msgtype(message) == LDAP_RES_SEARCH_ENTRY) {
            sink->Entry(ld, message);
        } else if (ldap_msgtype(message) == LDAP_RES_SEARCH_REFERENCE) {
            sink->Reference(ReferenceUrls(ld, message));
        }
    }
    cookie_ = std::move(nextCookie);
    finished_ = cookie_.empty();
    lastPageFull_ = mode == Mode::kPage && entries >= pageSize;
    delivered_ += entries;
    return outcome;
}

}  // namespace vantor
