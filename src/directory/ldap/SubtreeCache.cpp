#include "directory/ldap/SubtreeCache.h"

#include <string_view>
#include <unordered_set>

namespace vantor {

void SubtreeCache::Add(const Dn& base, const std::string& filter,
                       const std::vector<ListedChild>& containers,
                       const CountsByText& objectsByParent) {
    std::unordered_map<std::string, std::vector<ListedChild>> children;
    std::unordered_map<std::string, std::uint32_t> counts;
    std::unordered_map<std::string_view, const std::string*> keyByText;
    children[base.Key()];
    counts.try_emplace(base.Key(), 0);
    keyByText.emplace(base.Text(), &base.Key());
    // A referral's subtree is not in the read: another server's, or another naming context that
    // has to be read on its own. A server may still return entries it keeps below a referral
    // object to a subtree search; they are left out, as a search of the referral is refused.
    std::unordered_set<std::string> referrals;
    for (const ListedChild& container : containers) {
        if (!container.referralUrls.empty()) {
            referrals.insert(container.dn.Key());
        }
    }
    const auto inReferral = [&](Dn dn) {
        for (; !referrals.empty() && dn.Depth() > base.Depth(); dn = dn.Ancestor(1)) {
            if (referrals.contains(dn.Key())) {
                return true;
            }
        }
        return false;
    };
    for (const ListedChild& container : containers) {
        if (container.referralUrls.empty() && !inReferral(container.dn)) {
            children[container.dn.Key()];
            counts.try_emplace(container.dn.Key(), 0);
            keyByText.emplace(container.dn.Text(), &container.dn.Key());
        }
    }
    // An entry of another class between a container and what lies below it is looked through:
    // the nearest container above holds it (base, at the latest).
    const auto nearest = [&](Dn dn) {
        do {
            dn = dn.Ancestor(1);
        } while (dn.Depth() > base.Depth() && !counts.contains(dn.Key()));
        return dn.Key();
    };
    for (const ListedChild& container : containers) {
        if (container.dn.IsUnder(base) && !inReferral(container.dn.Ancestor(1))) {
            children[nearest(container.dn)].push_back(container);
        }
    }
    for (const auto& [parent, objects] : objectsByParent) {
        // The server spells a parent in its children's DNs as it spells the parent itself; any
        // other spelling is compared by key.
        if (const auto exact = keyByText.find(parent); exact != keyByText.end()) {
            counts[*exact->second] += objects;
        } else if (const auto dn = Dn::Parse(parent)) {
            if (const auto container = counts.find(dn->Key()); container != counts.end()) {
                container->second += objects;
            } else if (dn->IsUnder(base) && !inReferral(*dn)) {
                counts[nearest(*dn)] += objects;  // below an entry of no container class
            }
        }
    }
    for (auto& [key, list] : children) {
        children_.try_emplace(key, std::move(list));
    }
    std::unordered_map<std::string, std::uint32_t>& known = counts_[filter];
    for (const auto& [key, objects] : counts) {
        known.try_emplace(key, objects);
    }
}

const std::vector<ListedChild>* SubtreeCache::Children(const Dn& container) const {
    const auto it = children_.find(container.Key());
    return it != children_.end() ? &it->second : nullptr;
}

std::optional<std::uint32_t> SubtreeCache::Count(const std::string& filter,
                                                 const Dn& container) const {
    const auto byFilter = counts_.find(filter);
    if (byFilter == counts_.end()) {
        return std::nullopt;
    }
    const auto it = byFilter->second.find(container.Key());
    return it != byFilter->second.end() ? std::optional<std::uint32_t>(it->second) : std::nullopt;
}

}  // namespace vantor
