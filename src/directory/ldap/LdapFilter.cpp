#include "directory/ldap/LdapFilter.h"

#include <ldap.h>

namespace vantor {

namespace {

std::optional<std::string> EscapedValue(const std::string& value) {
    berval in{value.size(), const_cast<char*>(value.data())};
    berval out{0, nullptr};
    if (ldap_bv2escaped_filter_value(&in, &out) != 0) {
        return std::nullopt;
    }
    std::string escaped(out.bv_val, out.bv_len);
    ber_memfree(out.bv_val);
    return escaped;
}

}  // namespace

std::optional<std::string> ToLdapFilter(const std::vector<FilterItem>& items,
                                        const ClassProfile& profile) {
    if (items.size() != 4 || items[0].token != filterToken::kAttributeName ||
        !EqualsIgnoreCase(items[0].value, "Object Class") ||
        items[1].token != filterToken::kEquals || items[2].token != filterToken::kValue ||
        !items[2].hasValue || items[3].token != filterToken::kEnd) {
        return std::nullopt;
    }
    const std::string& className = items[2].value;
    if (const auto kind = ClassProfile::KindOfClassName(className)) {
        return profile.kinds.at(*kind).ldapFilter;
    }
    const auto escaped = EscapedValue(className);
    if (!escaped) {
        return std::nullopt;
    }
    return "(objectClass=" + *escaped + ")";
}

std::string ListingFilter(const ClassProfile& profile) {
    std::string filter = "(|";
    for (const std::string& containerClass : profile.containerClasses) {
        filter += "(objectClass=" + containerClass + ")";
    }
    return filter + "(objectClass=referral))";
}

}  // namespace vantor
