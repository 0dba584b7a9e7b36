#include "directory/ldif/LdifTreeBuilder.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "directory/ldif/LdifLines.h"

namespace vantor {

namespace {

constexpr std::size_t kPartitionKind = 3;

}  // namespace

LdifTreeBuilder::ClassFlags LdifTreeBuilder::FlagsOf(
    const std::vector<std::string_view>& objectClasses) {
    classesKey_.clear();
    for (const std::string_view objectClass : objectClasses) {
        classesKey_ += objectClass;
        classesKey_ += '\n';
    }
    if (classesKey_ == lastClassesKey_) {
        return lastFlags_;
    }
    auto [slot, added] = flagsByClasses_.try_emplace(classesKey_);
    if (added) {
        const std::vector<std::string> classes(objectClasses.begin(), objectClasses.end());
        ClassFlags& flags = slot->second;
        flags.container = profile_.IsContainer(classes);
        flags.partitionRoot = flags.container && profile_.IsPartitionRoot(classes);
        for (std::size_t kind = 0; kind < kKindClassNames.size(); ++kind) {
            if (profile_.MatchesKind(kind, classes)) {
                flags.kinds |= static_cast<std::uint8_t>(1U << kind);
            }
        }
    }
    lastClassesKey_ = classesKey_;
    lastFlags_ = slot->second;
    return lastFlags_;
}

std::optional<LdifError> LdifTreeBuilder::Add(const LdifEntry& entry) {
    const ClassFlags flags = FlagsOf(entry.objectClasses);
    if (!dnParser_.Parse(entry.dn, flags.container, dn_)) {
        return LdifError{entry.line, "invalid DN \"" + Excerpt(entry.dn) + "\""};
    }
    if (dn_.rdnCount == 0) {
        return std::nullopt;
    }
    Entry added;
    added.line = entry.line;
    added.kinds = flags.kinds;
    if (flags.container) {
        added.container = static_cast<std::uint32_t>(containers_.size());
        Container& container = containers_.emplace_back();
        container.entry = static_cast<std::uint32_t>(entries_.size());
        container.rdnCount = static_cast<std::uint32_t>(dn_.rdnCount);
        container.partitionRoot = flags.partitionRoot;
        container.values = dn_.values;
    }
    keys_.Add(dn_);
    entries_.push_back(added);
    return std::nullopt;
}

std::vector<std::uint32_t> LdifTreeBuilder::ContainersOfParentKeys() const {
    constexpr std::uint32_t kUnset = kNone - 1;
    const std::vector<std::uint32_t> nearest = keys_.NearestEntries();
    std::vector<std::uint32_t> containers(nearest.size(), kUnset);
    std::vector<std::uint32_t> chain;
    for (std::uint32_t id = 0; id < nearest.size(); ++id) {
        // Up through entries that are no containers, to a container, the top or a key already
        // settled; every key on the way has that same container above it.
        chain.clear();
        std::uint32_t found = kNone;
        for (std::uint32_t at = id; at != kNone;) {
            if (containers[at] != kUnset) {
                found = containers[at];
                break;
            }
            chain.push_back(at);
            const std::uint32_t entry = nearest[at];
            if (entry == kNone) {
                break;
            }
            if (entries_[entry].container != kNone) {
                found = entries_[entry].container;
                break;
            }
            at = keys_.ParentKeyOf(entry);
        }
        for (const std::uint32_t at : chain) {
            containers[at] = found;
        }
    }
    return containers;
}

std::uint32_t LdifTreeBuilder::ContainerAbove(
    std::uint32_t entry, const std::vector<std::uint32_t>& ofParentKeys) const {
    const std::uint32_t parentKey = keys_.ParentKeyOf(entry);
    return parentKey == kNone ? kNone : ofParentKeys[parentKey];
}

void LdifTreeBuilder::PlaceContainers(const std::vector<std::uint32_t>& ofParentKeys) {
    constexpr std::uint32_t kUnset = kNone;
    for (Container& container : containers_) {
        container.above = ContainerAbove(container.entry, ofParentKeys);
        container.depth = kUnset;
    }
    // A parent may come after its child in the file: up to a container already placed, then
    // down again, without recursion however deep the tree.
    std::vector<std::uint32_t> chain;
    for (std::uint32_t c = 0; c < containers_.size(); ++c) {
        chain.clear();
        for (std::uint32_t at = c; at != kNone && containers_[at].depth == kUnset;
             at = containers_[at].above) {
            chain.push_back(at);
        }
        for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
            const std::uint32_t above = containers_[*at].above;
            containers_[*at].depth = above == kNone ? 0 : containers_[above].depth + 1;
        }
    }
}

std::string LdifTreeBuilder::ListedName(const Container& container) const {
    const std::uint32_t levels =
        container.rdnCount - (container.above == kNone ? 0 : containers_[container.above].rdnCount);
    std::string name;
    for (std::uint32_t i = 0; i < levels; ++i) {
        if (i != 0) {
            name += '.';
        }
        name += container.values[i];
    }
    return name;
}

std::optional<LdifError> LdifTreeBuilder::Build(MemoryDirectory& directory) {
    if (const auto duplicate = keys_.FirstDuplicate()) {
        const auto [first, later] = *duplicate;
        return LdifError{entries_[later].line, "duplicate entry (first at line " +
                                                   std::to_string(entries_[first].line) + ")"};
    }
    const std::vector<std::uint32_t> ofParentKeys = ContainersOfParentKeys();
    PlaceContainers(ofParentKeys);

    // Level by level, each level in file order: a parent exists before its children, and
    // siblings are listed as the file has them.
    std::vector<std::uint32_t> order(containers_.size());
    std::iota(order.begin(), order.end(), 0U);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return containers_[a].depth < containers_[b].depth;
    });
    for (const std::uint32_t c : order) {
        Container& container = containers_[c];
        const MemoryDirectory::EntryId parent =
            container.above == kNone ? MemoryDirectory::kRoot : containers_[container.above].id;
        std::vector<std::string> classes;
        for (std::size_t kind = 0; kind < kPartitionKind; ++kind) {
            if ((entries_[container.entry].kinds & (1U << kind)) != 0) {
                classes.emplace_back(kKindClassNames[kind]);
            }
        }
        container.id = directory.AddContainer(parent, ListedName(container), classes);
        if (container.partitionRoot || parent == MemoryDirectory::kRoot) {
            directory.MarkPartitionRoot(container.id);
        }
    }

    // Objects per container; slot 0 is "[Root]", slot c + 1 container c.
    std::vector<std::array<std::uint32_t, kKindClassNames.size()>> objects(containers_.size() + 1);
    for (std::uint32_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].container == kNone) {
            const std::uint32_t above = ContainerAbove(i, ofParentKeys);
            auto& counts = objects[above == kNone ? 0 : above + 1];
            for (std::size_t kind = 0; kind < counts.size(); ++kind) {
                counts[kind] += (entries_[i].kinds >> kind) & 1U;
            }
        }
    }
    for (std::size_t slot = 0; slot < objects.size(); ++slot) {
        const MemoryDirectory::EntryId id =
            slot == 0 ? MemoryDirectory::kRoot : containers_[slot - 1].id;
        for (std::size_t kind = 0; kind < objects[slot].size(); ++kind) {
            if (objects[slot][kind] != 0) {
                directory.AddObjects(id, kKindClassNames[kind], objects[slot][kind]);
            }
        }
    }
    return std::nullopt;
}

}  // namespace vantor
