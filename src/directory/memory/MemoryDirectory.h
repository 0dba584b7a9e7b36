#pragma once
// The scripted in-memory directory, the test double of every layer above the engine: a tree of
// containers and classed objects built in a few lines, with partition roots, listed entries
// that are no containers, names that two containers share, and batch sizes. Tests record its
// calls and inject failures by wrapping it (see InstrumentedDirectory.h).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "directory/stored/StoredDirectory.h"

namespace vantor {

class MemoryDirectory : public StoredDirectory {
  public:
    MemoryDirectory();
    ~MemoryDirectory() override;

    // Building. Names are relative to the parent; classes are the entry's object classes
    // (a container that is a partition root also matches the class "Partition").
    EntryId AddContainer(EntryId parent, std::string name,
                         const std::vector<std::string>& classes = {});
    void MarkPartitionRoot(EntryId container);
    // Adds count objects of one class directly under parent.
    void AddObjects(EntryId parent, std::string_view className, std::uint32_t count);
    // Adds an entry that a listing returns without the container flag.
    void AddListedLeaf(EntryId parent, std::string name);
    // Creates (or finds) the chain of containers of a dotted full name, top last: "QA.Dev.acme".
    EntryId Path(std::string_view dottedFullName);
    std::optional<EntryId> Find(std::string_view fullName) const;
    std::size_t ContainerCount() const;

    void SetDescription(std::string text) { description_ = std::move(text); }
    std::string Description() const override { return description_; }

  protected:
    std::optional<EntryId> FindContainer(std::string_view fullName,
                                         std::string& whyNot) const override;
    std::size_t ListedCount(EntryId container) const override;
    Listed ListedAt(EntryId container, std::size_t index) const override;
    std::optional<std::uint32_t> ClassOf(std::string_view className) const override;
    std::uint32_t ObjectCount(EntryId container, std::uint32_t classId) const override;
    EntryId PartitionRootOf(EntryId container) const override;
    std::string FullNameOf(EntryId container) const override;

  private:
    static constexpr EntryId kAmbiguous = UINT32_MAX;
    struct Entry;

    std::uint32_t ClassId(std::string_view className);

    std::vector<Entry> entries_;
    std::unordered_map<std::string, EntryId> byFullName_;
    std::vector<std::string> classNames_;  // lower-cased; index is the class id
    std::string description_ = "in-memory directory";
};

}  // namespace vantor
