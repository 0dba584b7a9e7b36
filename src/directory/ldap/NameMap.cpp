#include "directory/ldap/NameMap.h"

namespace vantor {

void NameMap::Add(const std::string& fullName, const Dn& dn) {
    byDnKey_.insert_or_assign(dn.Key(), fullName);
    byName_.insert_or_assign(fullName, dn);
}

const Dn* NameMap::Find(std::string_view fullName) const {
    const auto it = byName_.find(std::string(fullName));
    return it == byName_.end() ? nullptr : &it->second;
}

const std::string* NameMap::FullNameOf(const std::string& dnKey) const {
    const auto it = byDnKey_.find(dnKey);
    return it == byDnKey_.end() ? nullptr : &it->second;
}

}  // namespace vantor
