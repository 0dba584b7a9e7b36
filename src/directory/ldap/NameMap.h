#pragma once
// The full names this back end handed out, each with the entry it stands for. The engine
// composes a child's full name from the listed name and the parent's full name, so a name
// whose values hold dots, blanks or commas can only be read back through this map, never by
// splitting it. Two entries whose composed names coincide (ou=a.b,o=x and ou=a,ou=b,o=x are both
// "a.b.x") make that name ambiguous: it is refused rather than resolved to either of them.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "directory/dn/Dn.h"

namespace vantor {

class NameMap {
  public:
    struct Lookup {
        const Dn* dn = nullptr;        // null when the name is unknown or ambiguous
        std::vector<std::string> dns;  // both DNs of an ambiguous name, for the message
    };

    // Records that fullName stands for dn.
    void Add(const std::string& fullName, const Dn& dn);
    Lookup Find(std::string_view fullName) const;
    // The full name handed out for the entry with this DN key, or null.
    const std::string* FullNameOf(const std::string& dnKey) const;

  private:
    struct Target {
        Dn dn;
        std::string otherDn;  // set when a second entry got the same name
    };
    std::unordered_map<std::string, Target> byName_;
    std::unordered_map<std::string, std::string> byDnKey_;
};

}  // namespace vantor
