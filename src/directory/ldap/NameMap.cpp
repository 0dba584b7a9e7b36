#include "directory/ldap/NameMap.h"

#include "directory/profile/ClassProfile.h"

namespace vantor {

void NameMap::Add(const std::string& fullName, const Dn& dn) {
    byDnKey_.insert_or_assign(dn.Key(), fullName);
    const auto [it, inserted] = byName_.try_emplace(fullName, Target{dn, {}});
    if (!inserted && it->second.dn.Key() != dn.Key() && it->second.otherDn.empty()) {
        it->second.otherDn = dn.Text();
    }
}

NameMap::Lookup NameMap::Find(std::string_view fullName) const {
    Lookup lookup;
    const auto it = byName_.find(std::string(fullName));
    if (it == byName_.end()) {
        return lookup;
    }
    if (!it->second.otherDn.empty()) {
        lookup.dns = {it->second.dn.Text(), it->second.otherDn};
        return lookup;
    }
    lookup.dn = &it->second.dn;
    return lookup;
}

const std::string* NameMap::FullNameOf(const std::string& dnKey) const {
    const auto it = byDnKey_.find(dnKey);
    return it == byDnKey_.end() ? nullptr : &it->second;
}

}  // namespace vantor
