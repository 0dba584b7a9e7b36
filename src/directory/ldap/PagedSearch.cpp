#include "directory/ldap/PagedSearch.h"

#include <ldap.h>

#include <memory>

namespace vantor {

namespace {

struct MessageFree {
    void operator()(LDAPMessage* message) const { ldap_msgfree(message); }
};
struct ControlFree {
    void operator()(LDAPControl* control) const { ldap_control_free(control); }
};

bool RefusesPageSize(int code) {
    return code == LDAP_ADMINLIMIT_EXCEEDED || code == LDAP_UNWILLING_TO_PERFORM;
}

std::vector<std::string> ReferenceUrls(LDAP* ld, LDAPMessage* message) {
    std::vector<std::string> urls;
    char** raw = nullptr;
    if (ldap_parse_reference(ld, message, &raw, nullptr, 0) == LDAP_SUCCESS && raw != nullptr) {
        for (char** url = raw; *url != nullptr; ++url) {
            urls.emplace_back(*url);
        }
        ldap_memvfree(reinterpret_cast<void**>(raw));
    }
    return urls;
}

// The result message's code and diagnostic; the cookie of its paged results response, empty
// when there is none (the last page, or a server that ignored the control).
LdapOutcome ParseResult(LDAP* ld, LDAPMessage* message, std::string& cookie) {
    LdapOutcome outcome;
    char* diagnostic = nullptr;
    LDAPControl** controls = nullptr;
    const int rc =
        ldap_parse_result(ld, message, &outcome.code, nullptr, &diagnostic, nullptr, &controls, 0);
    if (rc != LDAP_SUCCESS) {
        outcome.code = rc;
    }
    if (diagnostic != nullptr) {
        outcome.diagnostic = diagnostic;
        ldap_memfree(diagnostic);
    }
    cookie.clear();
    if (LDAPControl* paged = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, controls, nullptr)) {
        ber_int_t estimate = 0;
        berval next{0, nullptr};
        if (ldap_parse_pageresponse_control(ld, paged, &estimate, &next) == LDAP_SUCCESS) {
            cookie.assign(next.bv_val != nullptr ? next.bv_val : "", next.bv_len);
            ber_memfree(next.bv_val);
        }
    }
    ldap_controls_free(controls);
    return outcome;
}

}  // namespace

LdapOutcome PagedSearch::NextPage(LDAP* ld, int& pageSize, int timeoutSeconds, PageSink& sink) {
    if (!started_) {
        started_ = true;
        int entries = 0;
        LdapOutcome whole = Request(ld, Mode::kWhole, pageSize, timeoutSeconds, &sink, entries);
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
        LdapOutcome outcome = Request(ld, Mode::kPage, size, timeoutSeconds, &sink, entries);
        if (outcome.code == LDAP_SUCCESS) {
            pageSize = size;
            return outcome;
        }
        if (!firstPage || entries > 0 || !RefusesPageSize(outcome.code) || size <= 1) {
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

void PagedSearch::Abandon(LDAP* ld, int timeoutSeconds) {
    if (!finished_ && !cookie_.empty()) {
        int entries = 0;
        Request(ld, Mode::kPage, 0, timeoutSeconds, nullptr, entries);
    }
    finished_ = true;
    failed_ = true;
}

LdapOutcome PagedSearch::Request(LDAP* ld, Mode mode, int pageSize, int timeoutSeconds,
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
    LDAPControl* serverControls[] = {control.get(), nullptr};

    std::vector<char*> attributes;
    for (const std::string& attribute : spec_.attributes) {
        attributes.push_back(const_cast<char*>(attribute.c_str()));
    }
    attributes.push_back(nullptr);
    ldap_set_option(ld, LDAP_OPT_DEREF, &spec_.deref);
    timeval timeout{timeoutSeconds, 0};
    LDAPMessage* rawResult = nullptr;
    outcome.code = ldap_search_ext_s(
        ld, spec_.baseDn.c_str(), spec_.scope, spec_.filter.c_str(), attributes.data(), 0,
        mode == Mode::kPage ? serverControls : nullptr, nullptr, &timeout,
        mode == Mode::kPage ? LDAP_NO_LIMIT : pageSize, &rawResult);
    const std::unique_ptr<LDAPMessage, MessageFree> result(rawResult);
    if (result == nullptr) {
        outcome.diagnostic = LastDiagnostic(ld);
        return outcome;
    }
    // The result comes last; what came before it is handed on only when it succeeded.
    std::string nextCookie;
    for (LDAPMessage* message = ldap_first_message(ld, result.get()); message != nullptr;
         message = ldap_next_message(ld, message)) {
        if (ldap_msgtype(message) == LDAP_RES_SEARCH_ENTRY) {
            ++entries;
        } else if (ldap_msgtype(message) == LDAP_RES_SEARCH_RESULT) {
            outcome = ParseResult(ld, message, nextCookie);
        }
    }
    if (outcome.code != LDAP_SUCCESS) {
        return outcome;
    }
    for (LDAPMessage* message = ldap_first_message(ld, result.get());
         message != nullptr && sink != nullptr; message = ldap_next_message(ld, message)) {
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
