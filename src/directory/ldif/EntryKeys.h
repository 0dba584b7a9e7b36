#pragma once
// The DN keys of every entry of a file, kept small: each entry's own RDN, and its parent's key
// once for all its siblings. Finds duplicate DNs and each entry's nearest entry above. Storage
// grows in chunks, never by copying, so a million entries touch their memory once.

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "directory/ldif/EntryDnParser.h"

namespace vantor {

class EntryKeys {
  public:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    // The key of the next entry; entries are numbered from 0 in the order added.
    void Add(const EntryDn& dn);

    // After the last Add. The first entry whose key an earlier entry has too, with that one.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> FirstDuplicate();

    // Parent keys: the key of the DN above an entry, numbered once for all its siblings.
    // kNone for an entry whose DN has one RDN.
    std::uint32_t ParentKeyOf(std::uint32_t entry) const { return keys_[entry].parent; }
    // For each parent key, the nearest entry above: the entry of that key, else the one of
    // the key above it, and so on; kNone when there is none. Call after FirstDuplicate.
    std::vector<std::uint32_t> NearestEntries() const;

  private:
    struct Key {
        const char* own = nullptr;  // in chunks_
        std::uint32_t ownLength = 0;
        std::uint32_t parent = kNone;
    };

    std::string_view Own(const Key& key) const { return {key.own, key.ownLength}; }
    const char* Store(std::string_view own);
    std::optional<std::uint32_t> Find(std::string_view own, std::uint32_t parent) const;
    std::uint32_t Nearest(std::string_view key) const;

    std::vector<std::unique_ptr<char[]>> chunks_;
    std::size_t chunkUsed_ = 0;
    std::size_t chunkSize_ = 0;
    std::deque<Key> keys_;
    std::deque<std::string> parentKeys_;  // a deque keeps the views in the map valid
    std::unordered_map<std::string_view, std::uint32_t> parentIds_;
    std::uint32_t lastParent_ = kNone;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> byHash_;  // hash, entry; sorted
};

}  // namespace vantor
