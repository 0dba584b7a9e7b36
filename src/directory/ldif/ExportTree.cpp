#include "directory/ldif/ExportTree.h"

#include <ldap.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <set>

#include "directory/dn/SiblingNames.h"
#include "directory/ldif/Excerpt.h"
#include "engine/FullName.h"

namespace vantor {

namespace {

constexpr std::size_t kPartitionKind = 3;
// Distinct lists of object classes whose classification is kept; beyond them (a file that gives
// every entry classes of its own) each entry is classified afresh.
constexpr std::size_t kMaxClassLists = 65536;
constexpr std::string_view kOtherClassLists = "(entries with other lists of classes)";

std::uint32_t NodeHash(std::string_view key, std::uint32_t parent) {
    const std::size_t hash = std::hash<std::string_view>{}(key) ^ (parent * 0x9E3779B97F4A7C15ULL);
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

// Folds the components of a name into the hash of the name above it, last component first: a
// full name hashes alike however its components were grouped into listed names. A dot is a
// separator when an even number of backslashes stands before it.
std::uint64_t FoldHash(std::uint64_t above, std::string_view name) {
    std::uint64_t hash = above;
    const auto fold = [&hash](std::string_view part) {
        hash = (hash ^ std::hash<std::string_view>{}(part)) * 0x100000001B3ULL;
        hash ^= hash >> 29;
    };
    std::size_t end = name.size();
    for (std::size_t at = name.size(); at-- > 0;) {
        if (name[at] != '.') {
            continue;
        }
        std::size_t backslashes = 0;
        while (backslashes < at && name[at - 1 - backslashes] == '\\') {
            ++backslashes;
        }
        if (backslashes % 2 == 0) {
            fold(name.substr(at + 1, end - at - 1));
            end = at;
        }
    }
    fold(name.substr(0, end));
    return hash;
}

constexpr std::uint64_t kRootHash = 0xCBF29CE484222325ULL;

// Gives a container's memory back (assigning {} would keep a vector's capacity).
template <typename T>
void Release(T& container) {
    container = T();
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return out;
}

}  // namespace

std::optional<ExportTree::Id> ExportTree::Find(std::string_view fullName) const {
    if (IsRootName(fullName)) {
        return kRoot;
    }
    if (byFullName_.empty()) {
        return std::nullopt;
    }
    const auto hash = static_cast<std::uint32_t>(FoldHash(kRootHash, fullName));
    const std::size_t mask = byFullName_.size() - 1;
    for (std::size_t slot = hash & mask; byFullName_[slot].id != kRoot; slot = (slot + 1) & mask) {
        const Id id = byFullName_[slot].id;
        if (byFullName_[slot].hash == hash && containers_[id].fullLength == fullName.size() &&
            Named(id, fullName)) {
            return id;
        }
    }
    return std::nullopt;
}

bool ExportTree::Named(Id id, std::string_view fullName) const {
    for (Id at = id; at != kRoot; at = containers_[at].parent) {
        const std::string_view name = Name(containers_[at]);
        if (fullName.substr(0, name.size()) != name) {
            return false;
        }
        fullName.remove_prefix(name.size());
        if (containers_[at].parent != kRoot) {
            if (fullName.empty() || fullName.front() != '.') {
                return false;
            }
            fullName.remove_prefix(1);
        }
    }
    return fullName.empty();
}

std::string ExportTree::FullName(Id id) const {
    if (id == kRoot) {
        return std::string(kRootName);
    }
    std::string name;
    name.reserve(containers_[id].fullLength);
    for (Id at = id; at != kRoot; at = containers_[at].parent) {
        if (!name.empty()) {
            name += '.';
        }
        name += Name(containers_[at]);
    }
    return name;
}

ExportTree::Id ExportTree::PartitionRootOf(Id id) const {
    while (id != kRoot && !containers_[id].partitionRoot) {
        id = containers_[id].parent;
    }
    return id;
}

ExportTreeBuilder::ExportTreeBuilder(const ClassProfile& profile) : profile_(profile) {
    table_.resize(1024);
}

ExportTreeBuilder::~ExportTreeBuilder() = default;

ExportTreeBuilder::ClassFlags& ExportTreeBuilder::FlagsOf(
    std::span<const std::string_view> objectClasses) {
    classesKey_.clear();
    for (const std::string_view objectClass : objectClasses) {
        classesKey_ += objectClass;
        classesKey_ += '\n';
    }
    if (lastFlags_ != nullptr && classesKey_ == lastClassesKey_) {
        return *lastFlags_;  // entries of one sort often follow each other
    }
    auto found = flagsByClasses_.find(classesKey_);
    ClassFlags* flags = nullptr;
    if (found != flagsByClasses_.end()) {
        flags = &found->second;
    } else {
        flags = flagsByClasses_.size() < kMaxClassLists ? &flagsByClasses_[classesKey_]
                                                        : &uncachedFlags_;
        const std::vector<std::string> classes(objectClasses.begin(), objectClasses.end());
        flags->kinds = 0;
        flags->container = profile_.IsContainer(classes);
        flags->partitionRoot = flags->container && profile_.IsPartitionRoot(classes);
        for (std::size_t kind = 0; kind < kKindClassNames.size(); ++kind) {
            if (profile_.MatchesKind(kind, classes)) {
                flags->kinds |= static_cast<std::uint8_t>(1U << kind);
            }
        }
    }
    if (flags != &uncachedFlags_) {
        lastClassesKey_ = classesKey_;
        lastFlags_ = flags;
    }
    return *flags;
}

void ExportTreeBuilder::Grow() {
    std::vector<Slot> grown(table_.size() * 2);
    const std::size_t mask = grown.size() - 1;
    for (const Slot& slot : table_) {
        if (slot.node == kNone) {
            continue;
        }
        std::size_t at = slot.hash & mask;
        while (grown[at].node != kNone) {
            at = (at + 1) & mask;
        }
        grown[at] = slot;
    }
    table_.swap(grown);
}

const char* ExportTreeBuilder::StoreRdn(std::string_view key, std::string_view typed) {
    std::string& both = rdnScratch_;
    both.assign(key);
    both += typed;
    return keys_.Store(both).data();
}

std::uint32_t ExportTreeBuilder::FindOrAddNode(std::uint32_t parent, std::string_view key,
                                               std::string_view typed) {
    const std::uint32_t hash = NodeHash(key, parent);
    const std::size_t mask = table_.size() - 1;
    std::size_t at = hash & mask;
    for (; table_[at].node != kNone; at = (at + 1) & mask) {
        if (table_[at].hash == hash) {
            const Node& node = nodes_[table_[at].node];
            if (node.parent == parent && node.Key() == key) {
                return table_[at].node;
            }
        }
    }
    const auto id = static_cast<std::uint32_t>(nodes_.size());
    Node& node = nodes_.emplace_back();
    node.parent = parent;
    node.text = StoreRdn(key, typed);
    node.keyLength = static_cast<std::uint32_t>(key.size());
    node.typedLength = static_cast<std::uint32_t>(typed.size());
    table_[at] = {hash, id};
    if (nodes_.size() * 2 > table_.size()) {
        Grow();
    }
    return id;
}

std::optional<std::uint32_t> ExportTreeBuilder::ParentNode(std::string_view text) {
    for (const RecentParent& recent : recent_) {
        if (recent.node != kNone && recent.text == text) {
            return recent.node;
        }
    }
    const auto dn = Dn::Parse(text);
    if (!dn || dn->Depth() == 0) {
        return std::nullopt;
    }
    std::uint32_t node = kNone;
    for (std::size_t level = dn->Depth(); level-- > 0;) {
        node = FindOrAddNode(node, dn->Rdn(level).key, dn->Rdn(level).typed);
    }
    RecentParent& slot = recent_[nextRecent_++ % recent_.size()];
    slot.text.assign(text);
    slot.node = node;
    return node;
}

std::optional<LdifError> ExportTreeBuilder::AddContainer(const LdifEntry& entry,
                                                         std::string_view dn,
                                                         const ClassFlags& flags,
                                                         std::uint32_t referral) {
    const auto rest = ParseFirstRdn(dn, &rdn_);
    if (!rest) {
        return LdifError{entry.line, "invalid DN \"" + Excerpt(dn) + "\""};
    }
    std::uint32_t parent = kNone;
    if (*rest < dn.size()) {
        const auto found = ParentNode(dn.substr(*rest));
        if (!found) {
            return LdifError{entry.line, "invalid DN \"" + Excerpt(dn) + "\""};
        }
        parent = *found;
    }
    const std::uint32_t id = FindOrAddNode(parent, rdn_.key, rdn_.typed);
    Node& node = nodes_[id];
    if (node.container != kNone) {
        const ContainerEntry& first = containers_[node.container];
        if (referral != ExportTree::kNoReferral && first.referral != ExportTree::kNoReferral) {
            return std::nullopt;  // a search reference to a referral already in the file
        }
        return LdifError{entry.line,
                         "duplicate entry (first at line " + std::to_string(first.line) + ")"};
    }
    node.container = static_cast<std::uint32_t>(containers_.size());
    if (node.Typed() != rdn_.typed) {  // as the entry spells itself
        node.text = StoreRdn(rdn_.key, rdn_.typed);
        node.typedLength = static_cast<std::uint32_t>(rdn_.typed.size());
    }
    ContainerEntry& added = containers_.emplace_back();
    added.node = id;
    added.dn = dnText_.Store(dn);
    added.line = entry.line;
    added.kinds = flags.kinds;
    added.partitionRoot = flags.partitionRoot || referral != ExportTree::kNoReferral;
    added.matchesFilter = entry.matchesFilter;
    added.referral = referral;
    RecentParent& slot = recent_[nextRecent_++ % recent_.size()];
    slot.text.assign(dn);
    slot.node = id;
    return std::nullopt;
}

std::optional<LdifError> ExportTreeBuilder::AddSearchReference(const LdifEntry& entry) {
    const auto referral = static_cast<std::uint32_t>(referrals_.size());
    referrals_.emplace_back(entry.referrals.front());
    // The URL's DN is where the referred part of the tree hangs.
    LDAPURLDesc* url = nullptr;
    std::string dn;
    if (ldap_url_parse(referrals_.back().c_str(), &url) == LDAP_URL_SUCCESS) {
        dn = url->lud_dn != nullptr ? url->lud_dn : "";
        ldap_free_urldesc(url);
    }
    static const ClassFlags kNoFlags;
    if (!dn.empty() && Dn::Parse(dn)) {
        return AddContainer(entry, dn, kNoFlags, referral);
    }
    // Nowhere to hang it: a line of its own under "[Root]", named by the URL.
    const std::uint32_t id =
        FindOrAddNode(kNone, "\n" + referrals_.back(), "ref=" + ListedValue(referrals_.back()));
    if (nodes_[id].container != kNone) {
        return std::nullopt;
    }
    nodes_[id].container = static_cast<std::uint32_t>(containers_.size());
    containers_.push_back({id, {}, entry.line, 0, true, true, referral});
    return std::nullopt;
}

std::optional<LdifError> ExportTreeBuilder::Add(const LdifEntry& entry) {
    if (entry.dn.empty() && !entry.referrals.empty()) {
        return AddSearchReference(entry);
    }
    ClassFlags& flags = FlagsOf(entry.objectClasses);
    if (entry.dn.empty()) {
        return std::nullopt;  // the root DSE
    }
    if (!entry.referrals.empty()) {
        const auto referral = static_cast<std::uint32_t>(referrals_.size());
        referrals_.emplace_back(entry.referrals.front());
        return AddContainer(entry, entry.dn, flags, referral);
    }
    if (flags.container) {
        return AddContainer(entry, entry.dn, flags, ExportTree::kNoReferral);
    }
    const auto rest = ParseFirstRdn(entry.dn, nullptr);
    if (!rest) {
        return LdifError{entry.line, "invalid DN \"" + Excerpt(entry.dn) + "\""};
    }
    Counts* counts = &rootObjects_;
    if (*rest < entry.dn.size()) {
        const auto parent = ParentNode(entry.dn.substr(*rest));
        if (!parent) {
            return LdifError{entry.line, "invalid DN \"" + Excerpt(entry.dn) + "\""};
        }
        counts = &nodes_[*parent].objects;
    }
    for (std::size_t kind = 0; kind < counts->size() && entry.matchesFilter; ++kind) {
        (*counts)[kind] += (flags.kinds >> kind) & 1U;
    }
    if (flags.kinds == 0) {
        ++flags.uncounted;
    }
    return std::nullopt;
}

std::vector<ClassTally> ExportTreeBuilder::Tally() const {
    // By lower-cased name: the spelling first seen, and the entries.
    std::map<std::string, ClassTally> uncounted;
    std::set<std::string> counted = {"top"};
    for (const auto& [key, flags] : flagsByClasses_) {
        const bool countedList = flags.container || flags.kinds != 0;
        for (std::size_t start = 0; start < key.size();) {
            const std::size_t end = key.find('\n', start);
            const std::string_view name(key.data() + start, end - start);
            if (countedList) {
                counted.insert(Lower(name));
            } else if (flags.uncounted > 0) {
                ClassTally& tally = uncounted[Lower(name)];
                if (tally.className.empty()) {
                    tally.className = name;
                }
                tally.entries += flags.uncounted;
            }
            start = end + 1;
        }
    }
    std::vector<ClassTally> out;
    for (auto& [lower, tally] : uncounted) {
        if (counted.count(lower) == 0) {
            out.push_back(std::move(tally));
        }
    }
    if (uncachedFlags_.uncounted > 0) {
        out.push_back({std::string(kOtherClassLists), uncachedFlags_.uncounted});
    }
    std::stable_sort(out.begin(), out.end(), [](const ClassTally& a, const ClassTally& b) {
        return a.entries > b.entries;
    });
    return out;
}

ExportTree ExportTreeBuilder::Finish() {
    ExportTree tree;
    const std::size_t count = containers_.size() + 1;
    tree.referrals_ = std::move(referrals_);
    tree.uncounted_ = Tally();

    // The container that holds the entries under each node: the node's own, or the one above.
    // A node's parent is made before it, so one pass in node order settles every node.
    std::vector<ExportTree::Id> owner(nodes_.size());
    for (std::uint32_t id = 0; id < nodes_.size(); ++id) {
        const Node& node = nodes_[id];
        owner[id] = node.container != kNone ? node.container + 1
                    : node.parent == kNone  ? ExportTree::kRoot
                                            : owner[node.parent];
    }
    std::vector<Counts> counts(count);
    const auto addCounts = [&](ExportTree::Id to, const Counts& added) {
        for (std::size_t kind = 0; kind < added.size(); ++kind) {
            counts[to][kind] += added[kind];
        }
    };
    addCounts(ExportTree::kRoot, rootObjects_);
    for (std::uint32_t id = 0; id < nodes_.size(); ++id) {
        addCounts(owner[id], nodes_[id].objects);
    }

    // Parents and typed listed names, while the nodes are there.
    NameArena typedArena;
    std::vector<std::string_view> typedNames(count);
    std::vector<ExportTree::Id> parents(count, ExportTree::kRoot);
    std::string typed;
    for (std::uint32_t c = 0; c < containers_.size(); ++c) {
        std::uint32_t above = nodes_[containers_[c].node].parent;
        typed = nodes_[containers_[c].node].Typed();
        while (above != kNone && nodes_[above].container == kNone) {
            typed += '.';
            typed += nodes_[above].Typed();
            above = nodes_[above].parent;
        }
        typedNames[c + 1] = typedArena.Store(typed);
        parents[c + 1] = above == kNone ? ExportTree::kRoot : owner[above];
    }
    Release(nodes_);
    Release(table_);
    Release(keys_);
    Release(owner);

    // The containers, and each one's own kinds under its parent.
    tree.containers_.resize(count);
    tree.dns_.resize(count);
    tree.dnText_ = std::move(dnText_);
    tree.containers_[ExportTree::kRoot].partitionRoot = true;
    std::vector<std::uint32_t> childCounts(count, 0);
    for (ExportTree::Id id = 1; id < count; ++id) {
        const ContainerEntry& entry = containers_[id - 1];
        ExportTree::Container& container = tree.containers_[id];
        container.parent = parents[id];
        container.line = entry.line;
        tree.dns_[id] = entry.dn;
        container.referral = entry.referral;
        container.partitionRoot = entry.partitionRoot || container.parent == ExportTree::kRoot;
        Counts own{};
        if (entry.matchesFilter) {
            for (std::size_t kind = 0; kind < kPartitionKind; ++kind) {
                own[kind] = (entry.kinds >> kind) & 1U;
            }
            own[kPartitionKind] = container.partitionRoot ? 1 : 0;
        }
        addCounts(container.parent, own);
        ++childCounts[container.parent];
    }
    Release(containers_);
    Release(parents);
    for (ExportTree::Id id = 0; id < count; ++id) {
        tree.containers_[id].counts = counts[id];
    }
    Release(counts);

    // Children in file order.
    for (std::uint32_t id = 0, start = 0; id < count; ++id) {
        tree.containers_[id].firstChild = start;
        start += childCounts[id];
    }
    Release(childCounts);
    tree.children_.resize(count - 1);
    for (ExportTree::Id id = 1; id < count; ++id) {
        ExportTree::Container& parent = tree.containers_[tree.containers_[id].parent];
        tree.children_[parent.firstChild + parent.childCount++] = id;
    }

    // Listed names: typeless, unless a sibling's would compose the same full names.
    std::vector<std::string_view> typeless(count);
    for (ExportTree::Id id = 1; id < count; ++id) {
        typeless[id] = typedArena.Store(TypelessName(typedNames[id]));
    }
    std::vector<bool> typedForm(count, false);
    std::vector<std::string_view> siblings;
    for (ExportTree::Id parent = 0; parent < count; ++parent) {
        const ExportTree::Container& container = tree.containers_[parent];
        if (container.childCount < 2) {
            continue;
        }
        siblings.clear();
        for (std::uint32_t i = 0; i < container.childCount; ++i) {
            siblings.push_back(typeless[tree.children_[container.firstChild + i]]);
        }
        const std::vector<bool> clashes = ClashingSiblings(siblings);
        for (std::uint32_t i = 0; i < container.childCount; ++i) {
            typedForm[tree.children_[container.firstChild + i]] = clashes[i];
        }
    }

    // Names, full lengths and hashes, parents first.
    std::vector<std::uint64_t> hashes(count, kRootHash);
    std::vector<ExportTree::Id> order = {ExportTree::kRoot};
    order.reserve(count);
    for (std::size_t at = 0; at < order.size(); ++at) {
        const ExportTree::Id id = order[at];
        ExportTree::Container& container = tree.containers_[id];
        if (id != ExportTree::kRoot) {
            const ExportTree::Container& parent = tree.containers_[container.parent];
            const std::string_view name =
                tree.names_.Store(typedForm[id] ? typedNames[id] : typeless[id]);
            container.name = name.data();
            container.nameLength = static_cast<std::uint32_t>(name.size());
            const auto length = container.nameLength;
            container.fullLength =
                container.parent == ExportTree::kRoot ? length : parent.fullLength + 1 + length;
            hashes[id] = FoldHash(hashes[container.parent], name);
        }
        for (std::uint32_t i = 0; i < container.childCount; ++i) {
            order.push_back(tree.children_[container.firstChild + i]);
        }
    }
    std::size_t slots = 2;
    while (slots < count * 2) {
        slots *= 2;
    }
    tree.byFullName_.resize(slots);
    for (ExportTree::Id id = 1; id < count; ++id) {
        const auto hash = static_cast<std::uint32_t>(hashes[id]);
        std::size_t slot = hash & (slots - 1);
        while (tree.byFullName_[slot].id != ExportTree::kRoot) {
            slot = (slot + 1) & (slots - 1);
        }
        tree.byFullName_[slot] = {hash, id};
    }
    return tree;
}

}  // namespace vantor
