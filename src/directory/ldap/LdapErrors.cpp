#include "directory/ldap/LdapErrors.h"

#include <ldap.h>

namespace vantor::ldapError {

int FromLdap(int ldapCode) {
    switch (ldapCode) {
        case LDAP_SUCCESS:
            return 0;
        case LDAP_NO_SUCH_OBJECT:
            return dirError::kObjectNotFound;
        case LDAP_INVALID_DN_SYNTAX:
            return dirError::kInvalidSyntax;
        case LDAP_REFERRAL:
        case LDAP_REFERRAL_LIMIT_EXCEEDED:
            return dirError::kReferralsFailed;
        case LDAP_PARTIAL_RESULTS:
            return dirError::kNoReferrals;
        case LDAP_NO_MEMORY:
            return dirError::kNoMemory;
        default:
            break;
    }
    return ldapCode < 0 ? kClientBase + ldapCode : kServerBase - ldapCode;
}

}  // namespace vantor::ldapError

namespace vantor {

std::string DescribeLdapFailure(std::string_view what, int ldapCode, std::string_view diagnostic) {
    std::string text(what);
    text += ": ";
    text += ldap_err2string(ldapCode);
    text += " (LDAP ";
    text += std::to_string(ldapCode);
    text += ")";
    if (!diagnostic.empty()) {
        text += ": ";
        text += diagnostic;
    }
    return text;
}

}  // namespace vantor
