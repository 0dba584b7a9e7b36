#include "directory/ldap/LdapErrors.h"

#include <ldap.h>

#include <array>
#include <utility>

#include "directory/profile/ClassProfile.h"

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

std::string ActiveDirectoryBindReason(std::string_view diagnostic) {
    // "80090308: LdapErr: DSID-..., comment: AcceptSecurityContext error, data 52e, v4563"
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kReasons = {{
        {"525", "the user does not exist"},
        {"52e", "the password is wrong"},
        {"530", "the account may not log on at this time"},
        {"531", "the account may not log on from this computer"},
        {"532", "the password has expired"},
        {"533", "the account is disabled"},
        {"701", "the account has expired"},
        {"773", "the password must be changed before logging on"},
        {"775", "the account is locked out"},
    }};
    const std::size_t at = diagnostic.find("data ");
    if (at == std::string_view::npos) {
        return {};
    }
    const std::string_view code = diagnostic.substr(at + 5, 3);
    for (const auto& [subCode, reason] : kReasons) {
        if (EqualsIgnoreCase(code, subCode) &&
            (diagnostic.size() == at + 8 || diagnostic[at + 8] == ',')) {
            return std::string(reason);
        }
    }
    return {};
}

}  // namespace vantor
