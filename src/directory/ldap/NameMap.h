#pragma once
// The full names this back end handed out, each with the entry it stands for. The engine
// composes a child's full name from the listed name and the parent's full name, so a name
// whose values hold dots, blanks or commas can only be read back through this map, never by
// splitting it. Listed names tell siblings apart (SiblingNames.h), so one name stands for one
// entry; a name listed again for another entry (the directory changed during the run) stands for
// the entry listed last.

#include <string>
#include <string_view>
#include <unordered_map>

#include "directory/dn/Dn.h"

namespace vantor {

class NameMap {
  public:
    // Records that fullName stands for dn.
    void Add(const std::string& fullName, const Dn& dn);
    // The entry of a handed-out name, or null.
    const Dn* Find(std::string_view fullName) const;
    // The full name handed out for the entry with this DN key, or null.
    const std::string* FullNameOf(const std::string& dnKey) const;

  private:
    std::unordered_map<std::string, Dn> byName_;
    std::unordered_map<std::string, std::string> byDnKey_;
};

}  // namespace vantor
