#include "directory/ldif/EntryKeys.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <numeric>

namespace vantor {

namespace {

constexpr std::size_t kChunkSize = std::size_t{1} << 20;

// 32 bits suffice to sort by: equal hashes are told apart by the keys themselves.
std::uint32_t Hash(std::string_view own, std::uint32_t parent) {
    const std::size_t hash = std::hash<std::string_view>{}(own) ^ (parent * 0x9E3779B97F4A7C15ULL);
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

// Sorts by hash, keeping file order among equal hashes: two stable counting passes of 16 bits
// each, cheaper than a comparison sort at a million entries.
void SortByHash(std::vector<std::pair<std::uint32_t, std::uint32_t>>& items) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sorted(items.size());
    std::vector<std::size_t> starts(std::size_t{1} << 16);
    for (const unsigned shift : {0U, 16U}) {
        std::fill(starts.begin(), starts.end(), 0);
        for (const auto& item : items) {
            ++starts[(item.first >> shift) & 0xffffU];
        }
        std::exclusive_scan(starts.begin(), starts.end(), starts.begin(), std::size_t{0});
        for (const auto& item : items) {
            sorted[starts[(item.first >> shift) & 0xffffU]++] = item;
        }
        items.swap(sorted);
    }
}

}  // namespace

const char* EntryKeys::Store(std::string_view own) {
    if (chunks_.empty() || chunkSize_ - chunkUsed_ < own.size()) {
        chunkSize_ = std::max(kChunkSize, own.size());
        chunks_.push_back(std::make_unique<char[]>(chunkSize_));
        chunkUsed_ = 0;
    }
    char* at = chunks_.back().get() + chunkUsed_;
    std::memcpy(at, own.data(), own.size());
    chunkUsed_ += own.size();
    return at;
}

void EntryKeys::Add(const EntryDn& dn) {
    Key key;
    key.own = Store(dn.OwnKey());
    key.ownLength = static_cast<std::uint32_t>(dn.firstRdnKeyLength);
    if (dn.rdnCount > 1) {
        // Siblings follow each other in an export: most entries name the last parent again.
        const std::string_view parent = dn.ParentKey();
        if (lastParent_ == kNone || parentKeys_[lastParent_] != parent) {
            auto known = parentIds_.find(parent);
            if (known == parentIds_.end()) {
                const auto id = static_cast<std::uint32_t>(parentKeys_.size());
                known = parentIds_.emplace(parentKeys_.emplace_back(parent), id).first;
            }
            lastParent_ = known->second;
        }
        key.parent = lastParent_;
    }
    keys_.push_back(key);
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> EntryKeys::FirstDuplicate() {
    byHash_.resize(keys_.size());
    for (std::uint32_t i = 0; i < keys_.size(); ++i) {
        byHash_[i] = {Hash(Own(keys_[i]), keys_[i].parent), i};
    }
    SortByHash(byHash_);
    std::optional<std::pair<std::uint32_t, std::uint32_t>> found;
    for (std::size_t run = 0; run < byHash_.size();) {
        std::size_t end = run + 1;
        while (end < byHash_.size() && byHash_[end].first == byHash_[run].first) {
            ++end;
        }
        // Within a run entries are in file order; most runs hold one entry.
        for (std::size_t a = run; a < end; ++a) {
            for (std::size_t b = a + 1; b < end; ++b) {
                const Key& first = keys_[byHash_[a].second];
                const Key& later = keys_[byHash_[b].second];
                if ((!found || byHash_[b].second < found->second) && first.parent == later.parent &&
                    Own(first) == Own(later)) {
                    found = std::pair(byHash_[a].second, byHash_[b].second);
                }
            }
        }
        run = end;
    }
    return found;
}

std::optional<std::uint32_t> EntryKeys::Find(std::string_view own, std::uint32_t parent) const {
    const std::uint32_t hash = Hash(own, parent);
    for (auto it = std::lower_bound(byHash_.begin(), byHash_.end(), std::pair(hash, 0U));
         it != byHash_.end() && it->first == hash; ++it) {
        const Key& key = keys_[it->second];
        if (key.parent == parent && Own(key) == own) {
            return it->second;
        }
    }
    return std::nullopt;
}

std::uint32_t EntryKeys::Nearest(std::string_view key) const {
    for (;;) {
        const std::size_t boundary = NextRdnBoundary(key, 0);
        if (boundary == std::string_view::npos) {
            return Find(key, kNone).value_or(kNone);
        }
        const std::string_view above = key.substr(boundary + 1);
        // An entry of this key has the key above as its parent key; no entry names an unknown one.
        if (auto parent = parentIds_.find(above); parent != parentIds_.end()) {
            if (auto found = Find(key.substr(0, boundary), parent->second)) {
                return *found;
            }
        }
        key = above;
    }
}

std::vector<std::uint32_t> EntryKeys::NearestEntries() const {
    std::vector<std::uint32_t> nearest(parentKeys_.size());
    for (std::uint32_t id = 0; id < parentKeys_.size(); ++id) {
        nearest[id] = Nearest(parentKeys_[id]);
    }
    return nearest;
}

}  // namespace vantor
