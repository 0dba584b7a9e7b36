#pragma once
// A distinguished name split into its RDNs with libldap's DN parser, with the typeless values
// that make the program's dotted names and a key for comparing DNs.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

class Dn {
  public:
    // nullopt when text is not a DN in LDAP string form. "" is the root (no RDN).
    static std::optional<Dn> Parse(std::string_view text);

    // The DN as given (re-encoded for an ancestor), to send back to the server.
    const std::string& Text() const { return text_; }
    // The DN re-encoded and lower-cased: equal for the spellings of one DN that servers use
    // (case of types and values, blanks, escapes). Attribute types given as OIDs stay apart.
    const std::string& Key() const { return key_; }
    std::size_t Depth() const { return rdns_.size(); }
    // The value of the RDN `level` steps up (0: the entry's own); several values joined by '+'.
    const std::string& Value(std::size_t level) const { return rdns_.at(level).value; }
    // The values of the first `levels` RDNs joined by dots, own value first: the typeless name
    // of those levels ("QA.Dev.acme" for ou=QA,ou=Dev,o=acme and levels 3).
    std::string DottedName(std::size_t levels) const;
    // The DN `levels` RDNs higher up; Ancestor(Depth()) is the root.
    Dn Ancestor(std::size_t levels) const;
    // True when this DN lies strictly below ancestor.
    bool IsUnder(const Dn& ancestor) const;

  private:
    struct Rdn {
        std::string text;   // LDAPv3 string form
        std::string key;    // text lower-cased
        std::string value;  // the typeless value(s)
    };
    Dn() = default;
    void Assemble();

    std::vector<Rdn> rdns_;
    std::string text_;
    std::string key_;
};

}  // namespace vantor
