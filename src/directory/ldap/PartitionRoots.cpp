#include "directory/ldap/PartitionRoots.h"

#include <charconv>

namespace vantor {

namespace {

constexpr long long kEDirectoryPartitionRoot = 0x2;
constexpr long long kActiveDirectoryNamingContextHead = 0x1;

bool HasBit(const Attributes& attributes, const std::string& name, long long bit) {
    const auto it = attributes.find(name);
    if (it == attributes.end() || it->second.empty()) {
        return false;
    }
    const std::string& text = it->second.front();
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && (value & bit) != 0;
}

}  // namespace

const std::vector<std::string>& PartitionMarkerAttributes() {
    static const std::vector<std::string> names = {"objectClass", "entryFlags", "instanceType"};
    return names;
}

bool MarksPartitionRoot(const ClassProfile& profile, const Attributes& attributes) {
    const auto classes = attributes.find("objectClass");
    if (classes != attributes.end() && profile.IsPartitionRoot(classes->second)) {
        return true;
    }
    return HasBit(attributes, "entryFlags", kEDirectoryPartitionRoot) ||
           HasBit(attributes, "instanceType", kActiveDirectoryNamingContextHead);
}

void PartitionRoots::Remember(const Dn& dn, const Attributes& attributes) {
    const bool isRoot = contexts_.Contains(dn) || MarksPartitionRoot(profile_, attributes);
    const auto [it, inserted] = known_.try_emplace(dn.Key(), isRoot);
    if (!inserted) {
        it->second = it->second || isRoot;  // a top container stays a root
    }
}

std::optional<bool> PartitionRoots::IsRoot(const Dn& dn) const {
    if (contexts_.Contains(dn)) {
        return true;
    }
    const auto it = known_.find(dn.Key());
    if (it == known_.end()) {
        return std::nullopt;
    }
    return it->second;
}

}  // namespace vantor
