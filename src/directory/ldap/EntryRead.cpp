#include "directory/ldap/EntryRead.h"

#include <ldap.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace vantor {

namespace {

struct MessageFree {
    void operator()(LDAPMessage* message) const { ldap_msgfree(message); }
};

}  // namespace

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

LdapOutcome ReadEntry(LDAP* ld, const std::string& dn, const std::vector<std::string>& attributes,
                      int timeoutSeconds, Attributes& values) {
    std::vector<char*> names;
    names.reserve(attributes.size() + 1);
    for (const std::string& attribute : attributes) {
        names.push_back(const_cast<char*>(attribute.c_str()));
    }
    names.push_back(nullptr);
    timeval timeout{timeoutSeconds, 0};
    LDAPMessage* raw = nullptr;
    LdapOutcome outcome;
    outcome.code =
        ldap_search_ext_s(ld, dn.c_str(), LDAP_SCOPE_BASE, "(objectClass=*)", names.data(), 0,
                          nullptr, nullptr, &timeout, LDAP_NO_LIMIT, &raw);
    const std::unique_ptr<LDAPMessage, MessageFree> result(raw);
    if (outcome.code != LDAP_SUCCESS) {
        outcome.diagnostic = LastDiagnostic(ld);
        return outcome;
    }
    if (LDAPMessage* entry = ldap_first_entry(ld, result.get())) {
        values = AttributesOf(ld, entry);
    }
    return outcome;
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
