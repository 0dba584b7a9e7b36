#include "directory/ldap/EntryRead.h"

#include <ldap.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace vantor {

void LdapMessageFree::operator()(LDAPMessage* message) const {
    ldap_msgfree(message);
}

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
}

Attributes AttributesOf(LDAP* ld, LDAPMessage* entry) {
    Attributes values;
    BerElement* ber = nullptr;
    for (char* name = ldap_first_attribute(ld, entry, &ber); name != nullptr;
         name = ldap_next_attribute(ld, entry, ber)) {
        std::vector<std::string>& list = values[name];
        if (berval** raw = ldap_get_values_len(ld, entry, name)) {
            for (berval** value = raw; *value != nullptr; ++value) {
                list.emplace_back((*value)->bv_val, (*value)->bv_len);
            }
            ldap_value_free_len(raw);
        }
        ldap_memfree(name);
    }
    if (ber != nullptr) {
        ber_free(ber, 0);
    }
    return values;
}

LdapOutcome SearchAndWait(LDAP* ld, const std::string& base, int scope, const std::string& filter,
                          const std::vector<std::string>& attributes, LDAPControl** controls,
                          int sizeLimit, const WaitLimits& limits, LdapMessagePtr& answer,
                          std::string* cookie) {
    answer.reset();
    std::vector<char*> names;
    names.reserve(attributes.size() + 1);
    for (const std::string& attribute : attributes) {
        names.push_back(const_cast<char*>(attribute.c_str()));
    }
    names.push_back(nullptr);
    LdapOutcome outcome;
    int msgid = -1;
    outcome.code = ldap_search_ext(ld, base.c_str(), scope, filter.c_str(), names.data(), 0,
                                   controls, nullptr, nullptr, sizeLimit, &msgid);
    if (outcome.code == LDAP_SUCCESS) {
        LDAPMessage* raw = nullptr;
        outcome.code = AwaitAnswer(ld, msgid, limits, &raw);
        answer.reset(raw);
    }
    if (outcome.code != LDAP_SUCCESS) {
        outcome.diagnostic = LastDiagnostic(ld);
        return outcome;
    }
    for (LDAPMessage* message = ldap_first_message(ld, answer.get()); message != nullptr;
         message = ldap_next_message(ld, message)) {
        if (ldap_msgtype(message) == LDAP_RES_SEARCH_RESULT) {
            return ParseResult(ld, message, cookie);
        }
    }
    outcome.code = LDAP_DECODING_ERROR;  // a whole answer always ends with its result
    return outcome;
}

LdapOutcome ParseResult(LDAP* ld, LDAPMessage* result, std::string* cookie) {
    LdapOutcome outcome;
    char* diagnostic = nullptr;
    char** referrals = nullptr;
    LDAPControl** controls = nullptr;
    const int rc = ldap_parse_result(ld, result, &outcome.code, nullptr, &diagnostic, &referrals,
                                     cookie != nullptr ? &controls : nullptr, 0);
    if (rc != LDAP_SUCCESS) {
        outcome.code = rc;
    }
    if (diagnostic != nullptr) {
        outcome.diagnostic = diagnostic;
        ldap_memfree(diagnostic);
    }
    for (char** url = referrals; url != nullptr && *url != nullptr; ++url) {
        outcome.referrals.emplace_back(*url);
    }
    ldap_memvfree(reinterpret_cast<void**>(referrals));
    if (cookie != nullptr) {
        cookie->clear();
        if (LDAPControl* paged = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, controls, nullptr)) {
            ber_int_t estimate = 0;
            berval next{0, nullptr};
            if (ldap_parse_pageresponse_control(ld, paged, &estimate, &next) == LDAP_SUCCESS) {
                cookie->assign(next.bv_val != nullptr ? next.bv_val : "", next.bv_len);
                ber_memfree(next.bv_val);
            }
        }
        ldap_controls_free(controls);
    }
    return outcome;
}

LdapOutcome ReadEntry(LDAP* ld, const std::string& dn, const std::vector<std::string>& attributes,
                      const WaitLimits& limits, Attributes& values) {
    LdapMessagePtr result;
    LdapOutcome outcome = SearchAndWait(ld, dn, LDAP_SCOPE_BASE, "(objectClass=*)", attributes,
                                        nullptr, 0, limits, result);
    if (outcome.code == LDAP_SUCCESS) {
        if (LDAPMessage* entry = ldap_first_entry(ld, result.get())) {
            values = AttributesOf(ld, entry);
        }
    }
    return outcome;
}

std::vector<std::string> ReferenceUrls(LDAP* ld, LDAPMessage* reference) {
    std::vector<std::string> urls;
    char** raw = nullptr;
    if (ldap_parse_reference(ld, reference, &raw, nullptr, 0) == LDAP_SUCCESS && raw != nullptr) {
        for (char** url = raw; *url != nullptr; ++url) {
            urls.emplace_back(*url);
        }
        ldap_memvfree(reinterpret_cast<void**>(raw));
    }
    return urls;
}

std::string LastDiagnostic(LDAP* ld) {
    char* text = nullptr;
    if (ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &text) != LDAP_OPT_SUCCESS ||
        text == nullptr) {
        return {};
    }
    std::string diagnostic(text);
    ldap_memfree(text);
    return diagnostic;
}

}  // namespace vantor
