#pragma once
// A distinguished name taken apart by libldap, in the two forms the LDIF directory needs: a key
// that finds an entry's parent whatever the spelling, and the plain RDN values that make the
// typeless dotted names the engine composes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

struct DistinguishedName {
    // Lower-cased types and values, escaped, the AVAs of a multi-valued RDN sorted, RDNs joined
    // with ','. The key of an ancestor is a suffix of the key of its descendants.
    std::string key;
    // Length of the leading RDN in key; the parent's key starts after it and its ','.
    std::size_t firstRdnKeyLength = 0;
    std::size_t rdnCount = 0;
    // One per RDN, own RDN first: the value as written (a multi-valued RDN's values joined
    // with '+'; a value given in #hex form keeps that form). Filled only when asked for.
    std::vector<std::string> values;

    std::string_view OwnKey() const { return std::string_view(key).substr(0, firstRdnKeyLength); }
    // The parent DN's key; empty for a DN of one RDN.
    std::string_view ParentKey() const {
        return rdnCount > 1 ? std::string_view(key).substr(firstRdnKeyLength + 1) : "";
    }
};

// Parses DNs (RFC 4514) with ldap_str2dn. An export names the same parent over and over, so
// the parser remembers the last parent and the last DN: a DN below one of them has only its
// first RDN parsed (ldap_str2rdn).
class DnParser {
  public:
    // Parses dn into name, reusing its storage. False when libldap refuses dn, also for a DN
    // with an embedded NUL. The empty DN gives rdnCount 0.
    bool Parse(std::string_view dn, bool withValues, DistinguishedName& name);

  private:
    struct Known {
        std::string text;
        std::string key;
        std::size_t rdnCount = 0;
    };

    bool ParseWhole(bool withValues, DistinguishedName& name);

    std::string text_;  // the DN being parsed, NUL-terminated for libldap
    Known lastParent_;
    Known lastEntry_;
};

// Position of the ',' that ends the RDN starting at from in a key, or npos.
std::size_t NextRdnBoundary(std::string_view key, std::size_t from);

}  // namespace vantor
