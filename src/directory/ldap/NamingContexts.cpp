#include "directory/ldap/NamingContexts.h"

#include <algorithm>

namespace vantor {

NamingContexts::NamingContexts(const std::vector<std::string>& published) {
    for (const std::string& text : published) {
        if (auto dn = Dn::Parse(text); dn && dn->Depth() > 0) {
            contexts_.push_back(std::move(*dn));
        }
    }
}

bool NamingContexts::Contains(const Dn& dn) const {
    return std::any_of(contexts_.begin(), contexts_.end(),
                       [&](const Dn& context) { return context.Key() == dn.Key(); });
}

std::vector<Dn> NamingContexts::Tops() const {
    std::vector<Dn> tops;
    for (const Dn& candidate : contexts_) {
        const bool nested = std::any_of(contexts_.begin(), contexts_.end(),
                                        [&](const Dn& other) { return candidate.IsUnder(other); });
        const bool repeated = std::any_of(
            tops.begin(), tops.end(), [&](const Dn& top) { return top.Key() == candidate.Key(); });
        if (!nested && !repeated) {
            tops.push_back(candidate);
        }
    }
    return tops;
}

std::vector<Dn> NamingContexts::Under(const Dn& parent) const {
    std::vector<Dn> below;
    for (const Dn& context : contexts_) {
        if (context.IsUnder(parent)) {
            below.push_back(context);
        }
    }
    return below;
}

}  // namespace vantor
