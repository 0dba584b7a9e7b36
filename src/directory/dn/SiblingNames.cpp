#include "directory/dn/SiblingNames.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace vantor {

std::vector<bool> ClashingSiblings(std::span<const std::string_view> typeless) {
    std::vector<bool> clashes(typeless.size(), false);
    if (typeless.size() < 2) {
        return clashes;
    }
    std::vector<std::pair<std::string_view, std::size_t>> sorted;
    sorted.reserve(typeless.size());
    for (std::size_t i = 0; i < typeless.size(); ++i) {
        sorted.emplace_back(typeless[i], i);
    }
    std::sort(sorted.begin(), sorted.end());
    const auto named = [&](std::string_view name) {
        return std::equal_range(sorted.begin(), sorted.end(), std::pair(name, std::size_t{0}),
                                [](const auto& a, const auto& b) { return a.first < b.first; });
    };
    for (const auto& [name, index] : sorted) {
        const auto same = named(name);
        if (same.second - same.first > 1) {
            clashes[index] = true;
        }
        for (std::size_t at = 0; at < name.size(); ++at) {
            if (name[at] == '\\') {
                ++at;  // an escaped character, never a separator
                continue;
            }
            if (name[at] != '.') {
                continue;
            }
            const auto endings = named(name.substr(at + 1));
            for (auto it = endings.first; it != endings.second; ++it) {
                clashes[it->second] = true;
                clashes[index] = true;
            }
        }
    }
    return clashes;
}

}  // namespace vantor
