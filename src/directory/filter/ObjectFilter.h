#pragma once
// A search filter in LDAP's string form (RFC 4515) that the user gives to count only some objects
// of a kind: sent to an LDAP server as it is (joined to the kind's own filter), and evaluated
// here on the entries of an LDIF export.
//
// Evaluated as a server with the standard matching rules for directory strings would: attribute
// types by any of their names or their OID, values compared after a Unicode case fold with
// spaces squashed (see FoldValue); ordering (>=, <=) numeric when both sides are integers, else
// on the folded strings. An attribute the entry lacks makes its items false. Approximate
// matches (~=), extensible matches (:=) and attribute options are refused when parsed, not
// taken for a non-match.

#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vantor {

// One attribute value of an entry, its type as the entry spells it.
struct FilterAttribute {
    std::string_view type;
    std::string_view value;
};

class ObjectFilter {
  public:
    struct Node;

    // The filter, or a message that says what is wrong and where ("position 12: ...").
    static std::variant<ObjectFilter, std::string> Parse(std::string_view text);

    ObjectFilter(ObjectFilter&&) noexcept;
    ObjectFilter& operator=(ObjectFilter&&) noexcept;
    ~ObjectFilter();

    // The filter as the user gave it, without surrounding spaces.
    const std::string& Text() const { return text_; }
    bool Matches(const std::vector<FilterAttribute>& attributes) const;

  private:
    ObjectFilter(std::string text, std::unique_ptr<Node> root);

    std::string text_;
    std::unique_ptr<Node> root_;
};

}  // namespace vantor
