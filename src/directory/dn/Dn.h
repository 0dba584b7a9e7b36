#pragma once
// Distinguished names taken apart by libldap's DN parser, the one wrapper that the LDIF reader
// and the LDAP back end share: RDNs with their values for listed names, and a key that is
// equal where a server would judge two DNs equal.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// One RDN of a DN.
struct DnRdn {
    // The RDN re-encoded in LDAPv3 string form.
    std::string text;
    // Equal for the spellings of one RDN, as a server compares the standard naming types:
    // a type by any of its names or its OID (see CanonicalType), a value in #hex form as the
    // string it encodes, values case folded and spaces squashed (see FoldValue), the AVAs of a
    // multi-valued RDN in any order. ',' '+' and '\' inside values are escaped, so the keys of
    // RDNs joined with ',' are the key of their DN.
    std::string key;
    // The RDN as a listed name shows it when it must be told from a sibling: "type=value" for
    // each AVA (the type as the DN spells it), joined with '+', escaped as ListedValue does
    // (dots in an OID type too).
    std::string typed;
};

// A value as a part of a listed name: backslash, '.', '+' and '=' escaped with a backslash, a
// NUL byte written as backslash "00", so that the dots between RDNs and the '+' between values stay
// the only ones unescaped.
std::string ListedValue(std::string_view value);

// The typeless form of RDNs in typed form joined with '.' (see DnRdn::typed): the values
// alone. A name that reads "[Root]" in any case is written with a backslash before it, so that it
// is never taken for the tree root.
std::string TypelessName(std::string_view typedName);

// Parses the first RDN of a DN in LDAP string form into rdn, when given (reusing its storage;
// its text is left empty).
// Returns the offset of the rest of the DN after the separator, dn.size() for a DN of one RDN,
// or nullopt when libldap refuses the RDN or the separator is not followed by more.
std::optional<std::size_t> ParseFirstRdn(std::string_view dn, DnRdn* rdn);

class Dn {
  public:
    // nullopt when text is not a DN in LDAP string form. "" is the root (no RDN).
    static std::optional<Dn> Parse(std::string_view text);

    // The DN as given (re-encoded for an ancestor), to send back to the server.
    const std::string& Text() const { return text_; }
    // The RDN keys joined with ',': equal for the spellings of one DN. The key of an ancestor
    // is a suffix of the keys of its descendants.
    const std::string& Key() const { return key_; }
    std::size_t Depth() const { return rdns_.size(); }
    const DnRdn& Rdn(std::size_t level) const { return rdns_.at(level); }
    // The typed forms of the first `levels` RDNs joined by dots, own first
    // ("ou=QA.ou=Dev.o=acme" for ou=QA,ou=Dev,o=acme and levels 3).
    std::string TypedName(std::size_t levels) const;
    // The typeless listed name of those levels: TypelessName(TypedName(levels)), "QA.Dev.acme".
    std::string ListedName(std::size_t levels) const;
    // The DN `levels` RDNs higher up; Ancestor(Depth()) is the root.
    Dn Ancestor(std::size_t levels) const;
    // True when this DN lies strictly below ancestor.
    bool IsUnder(const Dn& ancestor) const;

  private:
    Dn() = default;
    void Assemble();

    std::vector<DnRdn> rdns_;
    std::string text_;
    std::string key_;
};

}  // namespace vantor
