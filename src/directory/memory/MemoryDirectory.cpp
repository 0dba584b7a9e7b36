#include "directory/memory/MemoryDirectory.h"

#include <algorithm>
#include <cctype>

#include "engine/FullName.h"

namespace vantor {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

constexpr std::string_view kPartitionClass = "Partition";

}  // namespace

struct MemoryDirectory::Entry {
    struct Listed {
        EntryId container;     // kRoot when the entry is a leaf
        std::string leafName;  // name of a listed leaf
    };
    std::string name;
    std::string fullName;
    EntryId parent = kRoot;
    bool partitionRoot = false;
    std::vector<std::uint32_t> classes;
    std::vector<Listed> listed;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> objectCounts;  // class id, count
};

MemoryDirectory::MemoryDirectory() {
    Entry root;
    root.name = kRootName;
    root.fullName = root.name;
    root.partitionRoot = true;
    entries_.push_back(std::move(root));
}

MemoryDirectory::~MemoryDirectory() = default;

std::size_t MemoryDirectory::ContainerCount() const {
    return entries_.size();
}

MemoryDirectory::EntryId MemoryDirectory::AddContainer(EntryId parent, std::string name,
                                                       const std::vector<std::string>& classes) {
    const auto id = static_cast<EntryId>(entries_.size());
    Entry entry;
    entry.fullName = ComposeFullName(entries_.at(parent).fullName, name);
    entry.name = std::move(name);
    entry.parent = parent;
    for (const std::string& c : classes) {
        entry.classes.push_back(ClassId(c));
    }
    auto [slot, inserted] = byFullName_.try_emplace(entry.fullName, id);
    if (!inserted) {
        slot->second = kAmbiguous;  // two entries compose the same name; neither is reachable
    }
    entries_.push_back(std::move(entry));
    entries_[parent].listed.push_back({id, {}});
    return id;
}

void MemoryDirectory::MarkPartitionRoot(EntryId container) {
    Entry& entry = entries_.at(container);
    if (!entry.partitionRoot) {
        entry.partitionRoot = true;
        entry.classes.push_back(ClassId(kPartitionClass));
    }
}

void MemoryDirectory::AddObjects(EntryId parent, std::string_view className, std::uint32_t count) {
    const std::uint32_t id = ClassId(className);
    auto& counts = entries_.at(parent).objectCounts;
    auto it = std::find_if(counts.begin(), counts.end(), [&](auto& p) { return p.first == id; });
    if (it == counts.end()) {
        counts.emplace_back(id, count);
    } else {
        it->second += count;
    }
}

void MemoryDirectory::AddListedLeaf(EntryId parent, std::string name) {
    entries_.at(parent).listed.push_back({kRoot, std::move(name)});
}

MemoryDirectory::EntryId MemoryDirectory::Path(std::string_view dottedFullName) {
    if (IsRootName(dottedFullName)) {
        return kRoot;
    }
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t dot = dottedFullName.find('.', start);
        parts.push_back(dottedFullName.substr(start, dot - start));
        if (dot == std::string_view::npos) {
            break;
        }
        start = dot + 1;
    }
    EntryId current = kRoot;
    for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
        const auto found = Find(ComposeFullName(entries_[current].fullName, *part));
        current = found ? *found : AddContainer(current, std::string(*part));
    }
    return current;
}

std::optional<MemoryDirectory::EntryId> MemoryDirectory::Find(std::string_view fullName) const {
    std::string whyNot;
    return FindContainer(fullName, whyNot);
}

std::optional<MemoryDirectory::EntryId> MemoryDirectory::FindContainer(std::string_view fullName,
                                                                       std::string& whyNot) const {
    if (IsRootName(fullName)) {
        return kRoot;
    }
    auto it = byFullName_.find(std::string(fullName));
    if (it == byFullName_.end()) {
        whyNot = "no container has the full name \"" + std::string(fullName) + "\"";
        return std::nullopt;
    }
    if (it->second == kAmbiguous) {
        whyNot = "two containers have the full name \"" + std::string(fullName) + "\"";
        return std::nullopt;
    }
    return it->second;
}

std::uint32_t MemoryDirectory::ClassId(std::string_view className) {
    if (auto id = ClassOf(className)) {
        return *id;
    }
    classNames_.push_back(Lower(className));
    return static_cast<std::uint32_t>(classNames_.size() - 1);
}

std::optional<std::uint32_t> MemoryDirectory::ClassOf(std::string_view className) const {
    const std::string lower = Lower(className);
    for (std::size_t i = 0; i < classNames_.size(); ++i) {
        if (classNames_[i] == lower) {
            return static_cast<std::uint32_t>(i);
        }
    }
    return std::nullopt;
}

std::size_t MemoryDirectory::ListedCount(EntryId container) const {
    return entries_[container].listed.size();
}

StoredDirectory::Listed MemoryDirectory::ListedAt(EntryId container, std::size_t index) const {
    const Entry::Listed& child = entries_[container].listed[index];
    if (child.container != kRoot) {
        return {entries_[child.container].name, true, child.container};
    }
    return {child.leafName, false, kRoot};
}

std::uint32_t MemoryDirectory::ObjectCount(EntryId container, std::uint32_t classId) const {
    std::uint32_t total = 0;
    const Entry& entry = entries_[container];
    for (const auto& [id, n] : entry.objectCounts) {
        if (id == classId) {
            total += n;
        }
    }
    for (const Entry::Listed& child : entry.listed) {
        if (child.container != kRoot) {
            const auto& classes = entries_[child.container].classes;
            total += std::count(classes.begin(), classes.end(), classId) > 0 ? 1 : 0;
        }
    }
    return total;
}

MemoryDirectory::EntryId MemoryDirectory::PartitionRootOf(EntryId container) const {
    while (!entries_[container].partitionRoot) {
        container = entries_[container].parent;
    }
    return container;
}

std::string MemoryDirectory::FullNameOf(EntryId container) const {
    return entries_[container].fullName;
}

}  // namespace vantor
