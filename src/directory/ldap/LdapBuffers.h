#pragma once
// The LDAP back end's buffers and filter cursor, as handed to the engine through the directory
// client interface. A buffer holds either a search filter or the last batch put into it: a
// listing's containers, or a search's count (objects are counted, never named).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/DirectoryClient.h"

namespace vantor {

// One entry of a batch.
struct BatchEntry {
    std::string dn;
    std::string name;         // the listed name, relative to the listed parent
    std::uint32_t flags = 0;  // kContainerFlag for the entries of a container listing
};

class LdapBuffer final : public DirBuffer {
  public:
    void SetBatch(std::vector<BatchEntry> entries) {
        batch = std::move(entries);
        next = 0;
        counted = 0;
        isCount = false;
        kindCounts.reset();
    }
    void SetCount(std::uint32_t objects) {
        SetBatch({});
        counted = objects;
        isCount = true;
    }
    // A search batch of every kind: its count is their sum.
    void SetKindCounts(const KindCounts& objects) {
        std::uint32_t sum = 0;
        for (const std::uint32_t kind : objects) {
            sum += kind;
        }
        SetCount(sum);
        kindCounts = objects;
    }
    std::uint32_t Size() const {
        return isCount ? counted : static_cast<std::uint32_t>(batch.size());
    }

    bool forFilter = false;  // PrepareBuffer readied it for a search filter
    bool hasFilter = false;  // StoreFilter put one in
    std::string filter;      // the LDAP filter
    // A filter of every kind: each kind's own LDAP filter (filter is then unused).
    std::optional<std::array<std::string, kKindWords.size()>> kindFilters;
    std::vector<BatchEntry> batch;
    std::size_t next = 0;  // the entry NWDSGetObjName reads next
    std::uint32_t counted = 0;
    bool isCount = false;                  // a search's batch: counted objects, no names
    std::optional<KindCounts> kindCounts;  // a search batch of every kind
};

struct FilterItem {
    int token = 0;
    std::string value;
    bool hasValue = false;
    int syntax = 0;
};

class LdapFilterCursor final : public FilterCursor {
  public:
    std::vector<FilterItem> items;
};

}  // namespace vantor
