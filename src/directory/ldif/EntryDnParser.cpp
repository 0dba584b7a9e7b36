#include "directory/ldif/EntryDnParser.h"

namespace vantor {

bool EntryDnParser::Parse(std::string_view dn, bool withValues, EntryDn& name) {
    if (withValues || dn.empty()) {
        return ParseWhole(dn, withValues, name);
    }
    const auto rest = ParseFirstRdn(dn, false, first_);
    if (!rest) {
        return false;
    }
    const std::string_view parent = dn.substr(*rest);
    if (parent.empty()) {
        return ParseWhole(dn, withValues, name);
    }
    if (parent == lastEntry_.text) {
        std::swap(lastParent_, lastEntry_);
    } else if (parent != lastParent_.text) {
        return ParseWhole(dn, withValues, name);
    }
    name.key = first_.key;
    name.firstRdnKeyLength = name.key.size();
    name.key += ',';
    name.key += lastParent_.key;
    name.rdnCount = 1 + lastParent_.rdnCount;
    name.values.clear();
    lastEntry_.text.assign(dn);
    lastEntry_.key = name.key;
    lastEntry_.rdnCount = name.rdnCount;
    return true;
}

bool EntryDnParser::ParseWhole(std::string_view dn, bool withValues, EntryDn& name) {
    const auto parsed = Dn::Parse(dn);
    if (!parsed) {
        return false;
    }
    name.key = parsed->Key();
    name.rdnCount = parsed->Depth();
    name.firstRdnKeyLength = name.rdnCount == 0 ? 0 : parsed->Rdn(0).key.size();
    name.values.clear();
    if (withValues) {
        for (std::size_t level = 0; level < name.rdnCount; ++level) {
            name.values.push_back(parsed->Value(level));
        }
    }
    // The DNs that follow are likely this one's children or its siblings.
    if (name.rdnCount > 1) {
        if (const auto rest = ParseFirstRdn(dn, false, first_)) {
            lastParent_.text.assign(dn.substr(*rest));
            lastParent_.key.assign(name.ParentKey());
            lastParent_.rdnCount = name.rdnCount - 1;
        }
    }
    lastEntry_.text.assign(dn);
    lastEntry_.key = name.key;
    lastEntry_.rdnCount = name.rdnCount;
    return true;
}

std::size_t NextRdnBoundary(std::string_view key, std::size_t from) {
    for (std::size_t i = from; i < key.size(); ++i) {
        if (key[i] == '\\') {
            ++i;
        } else if (key[i] == ',') {
            return i;
        }
    }
    return std::string_view::npos;
}

}  // namespace vantor
