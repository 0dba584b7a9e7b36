#include "directory/dn/AttributeTypes.h"

#include <algorithm>
#include <array>

namespace vantor {

namespace {

struct TypeNames {
    std::string_view canonical;
    std::string_view oid;
    std::string_view alias;  // "" when it has none
};

// The naming attributes of RFC 4519 and RFC 4524 and the few others that exports use.
constexpr std::array<TypeNames, 29> kTypes = {{
    {"objectclass", "2.5.4.0", ""},
    {"aliasedobjectname", "2.5.4.1", "aliasedentryname"},
    {"cn", "2.5.4.3", "commonname"},
    {"sn", "2.5.4.4", "surname"},
    {"serialnumber", "2.5.4.5", ""},
    {"c", "2.5.4.6", "countryname"},
    {"l", "2.5.4.7", "localityname"},
    {"st", "2.5.4.8", "stateorprovincename"},
    {"street", "2.5.4.9", "streetaddress"},
    {"o", "2.5.4.10", "organizationname"},
    {"ou", "2.5.4.11", "organizationalunitname"},
    {"title", "2.5.4.12", ""},
    {"description", "2.5.4.13", ""},
    {"businesscategory", "2.5.4.15", ""},
    {"postalcode", "2.5.4.17", ""},
    {"postofficebox", "2.5.4.18", ""},
    {"telephonenumber", "2.5.4.20", ""},
    {"name", "2.5.4.41", ""},
    {"givenname", "2.5.4.42", "gn"},
    {"initials", "2.5.4.43", ""},
    {"generationqualifier", "2.5.4.44", ""},
    {"x500uniqueidentifier", "2.5.4.45", ""},
    {"dnqualifier", "2.5.4.46", ""},
    {"pseudonym", "2.5.4.65", ""},
    {"uid", "0.9.2342.19200300.100.1.1", "userid"},
    {"mail", "0.9.2342.19200300.100.1.3", "rfc822mailbox"},
    {"dc", "0.9.2342.19200300.100.1.25", "domaincomponent"},
    {"email", "1.2.840.113549.1.9.1", "emailaddress"},
    {"uniqueidentifier", "0.9.2342.19200300.100.1.44", ""},
}};

}  // namespace

std::string CanonicalType(std::string_view type) {
    std::string lower(type);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    for (const TypeNames& names : kTypes) {
        if (lower == names.canonical || lower == names.oid ||
            (!names.alias.empty() && lower == names.alias)) {
            return std::string(names.canonical);
        }
    }
    return lower;
}

}  // namespace vantor
