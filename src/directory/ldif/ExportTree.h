#pragma once
// The lean store of an LDIF export: its containers with their listed names, partition roots
// and referrals, and for each container the objects of each kind directly under it. Objects
// are counted while the file is read and never kept, so memory grows with the containers, not
// with the entries.
//
// How entries become the tree:
// - An entry's parent is the nearest entry above it in the file: its DN's parent, else that
//   one's parent, and so on; DNs are compared by the DN helper's key. An entry with no entry
//   above it is a top entry. A child may come before its parent (a glued export does that).
// - Containers are the entries of the profile's container classes, and referrals (entries
//   with "ref" values, and search references). Every container has a parent container: the
//   nearest container above it, or "[Root]". A container directly under "[Root]" is a partition
//   root, and so are one of the profile's partition class and a referral. A partition root
//   also counts as a "Partition" object under its parent container.
// - A container's listed name is the values of the RDNs between it and its parent container,
//   own first, joined with dots (see TypelessName): ou=QA,ou=Dev,o=acme is listed "QA" under
//   "Dev.acme", a top dc=example,dc=com is "example.com" under "[Root]", and a container below
//   an entry that is no container (ou=Desk,cn=Ann,ou=Sales,o=acme) is "Desk.Ann" under
//   "Sales.acme". Siblings whose listed names are equal, or one of which is the other's
//   ending after a dot (they would compose the same full names), are all listed in typed form
//   instead ("ou=Sales", "l=Sales"): the rule of SiblingNames.h, which the LDAP back end follows
//   too. Full names so name one container each. Names are kept
//   whole, also beyond 256 characters.
// - An entry the user's filter turned down counts as no object of any kind; a container stays
//   a container all the same.
// - Every other entry is an object: it counts once for each kind it matches under the
//   container of its parent DN, or the nearest container above that, or "[Root]". A container
//   that matches "User", "NCP_Server" or "Group" counts as one under its parent container too.
// - Each container lists its subcontainers in the order of the file. The root DSE (empty DN)
//   adds nothing.
// - Refused: a DN libldap cannot parse, and a container DN that occurs twice. A second object
//   of one DN is not noticed: objects are not kept.

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "directory/dn/Dn.h"
#include "directory/ldif/LdifReader.h"
#include "directory/ldif/NameArena.h"
#include "directory/profile/ClassProfile.h"
#include "engine/ObjectKinds.h"

namespace vantor {

// The classes of entries that no rule of the profile counted, with how many such entries had
// each (classes that counted entries also carry, and "top", are left out).
struct ClassTally {
    std::string className;
    std::uint64_t entries = 0;
};

class ExportTree {
  public:
    using Id = std::uint32_t;
    static constexpr Id kRoot = 0;
    static constexpr std::uint32_t kNoReferral = UINT32_MAX;

    struct Container {
        const char* name = nullptr;  // listed name, of nameLength bytes
        unsigned long line = 0;      // of the entry
        std::uint32_t nameLength = 0;
        Id parent = kRoot;
        std::uint32_t firstChild = 0;  // in children_
        std::uint32_t childCount = 0;
        std::uint32_t fullLength = 0;  // of the full name
        std::uint32_t referral = kNoReferral;
        std::array<std::uint32_t, kKindClassNames.size()> counts{};  // objects per kind
        bool partitionRoot = false;
    };

    std::size_t ContainerCount() const { return containers_.size(); }
    const Container& At(Id id) const { return containers_[id]; }
    Id Child(const Container& container, std::size_t index) const {
        return children_[container.firstChild + index];
    }
    std::string_view ReferralUrl(const Container& container) const {
        return referrals_[container.referral];
    }
    // The container of a full name ("[Root]" in any case is kRoot).
    std::optional<Id> Find(std::string_view fullName) const;
    std::string FullName(Id id) const;
    // The DN of the container's entry as the export spells it; "" for "[Root]" and for a
    // search reference whose URL names no DN.
    std::string_view EntryDn(Id id) const { return dns_[id]; }
    Id PartitionRootOf(Id id) const;
    const std::vector<ClassTally>& Uncounted() const { return uncounted_; }

    static std::string_view Name(const Container& container) {
        return {container.name, container.nameLength};
    }

  private:
    friend class ExportTreeBuilder;

    // True when the container's full name is fullName.
    bool Named(Id id, std::string_view fullName) const;

    NameArena names_;
    NameArena dnText_;
    std::vector<std::string_view> dns_;  // by container id, in dnText_
    std::vector<Container> containers_;
    std::vector<Id> children_;
    std::vector<std::string> referrals_;
    // Containers by the hash of their full names (see FoldHash), open addressing; id 0 (the
    // root, never looked up this way) marks an empty slot.
    struct Slot {
        std::uint32_t hash = 0;
        Id id = kRoot;
    };
    std::vector<Slot> byFullName_;
    std::vector<ClassTally> uncounted_;
};

class ExportTreeBuilder {
  public:
    explicit ExportTreeBuilder(const ClassProfile& profile);
    ~ExportTreeBuilder();
    ExportTreeBuilder(const ExportTreeBuilder&) = delete;
    ExportTreeBuilder& operator=(const ExportTreeBuilder&) = delete;

    std::optional<LdifError> Add(const LdifEntry& entry);
    // The tree of every entry added; the builder is spent.
    ExportTree Finish();

  private:
    static constexpr std::uint32_t kNone = UINT32_MAX;
    using Counts = std::array<std::uint32_t, kKindClassNames.size()>;

    // A DN that is an entry's parent or a container, or lies above one: its own RDN under the
    // node of its parent DN. Kept small: an export may have millions of containers.
    struct Node {
        const char* text = nullptr;  // the RDN's key, then the RDN in typed listed form
        std::uint32_t keyLength = 0;
        std::uint32_t typedLength = 0;
        std::uint32_t parent = kNone;
        std::uint32_t container = kNone;  // in containers_, when the DN is a container's
        Counts objects{};                 // entries directly under the DN, per kind

        std::string_view Key() const { return {text, keyLength}; }
        std::string_view Typed() const { return {text + keyLength, typedLength}; }
    };
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t node = kNone;
    };
    struct ContainerEntry {
        std::uint32_t node = 0;
        std::string_view dn;  // in dnText_
        unsigned long line = 0;
        std::uint8_t kinds = 0;  // bit k: the entry matches kind k
        bool partitionRoot = false;
        bool matchesFilter = true;  // else it counts as no object
        std::uint32_t referral = ExportTree::kNoReferral;
    };
    // What the profile makes of one list of object classes, and how many entries with that
    // list no rule counted.
    struct ClassFlags {
        std::uint8_t kinds = 0;
        bool container = false;
        bool partitionRoot = false;
        std::uint64_t uncounted = 0;
    };
    struct RecentParent {
        std::string text;
        std::uint32_t node = kNone;
    };

    ClassFlags& FlagsOf(std::span<const std::string_view> objectClasses);
    std::uint32_t FindOrAddNode(std::uint32_t parent, std::string_view key, std::string_view typed);
    // Keeps the RDN's key and typed form together.
    const char* StoreRdn(std::string_view key, std::string_view typed);
    void Grow();
    // The node of a parent DN text; nullopt when libldap refuses it.
    std::optional<std::uint32_t> ParentNode(std::string_view text);
    std::optional<LdifError> AddContainer(const LdifEntry& entry, std::string_view dn,
                                          const ClassFlags& flags, std::uint32_t referral);
    std::optional<LdifError> AddSearchReference(const LdifEntry& entry);
    std::vector<ClassTally> Tally() const;

    const ClassProfile& profile_;
    NameArena keys_;
    NameArena dnText_;
    std::deque<Node> nodes_;
    std::vector<Slot> table_;  // nodes by the hash of their parent and key, open addressing
    std::vector<ContainerEntry> containers_;
    Counts rootObjects_{};
    std::vector<std::string> referrals_;
    DnRdn rdn_;
    std::string rdnScratch_;
    std::array<RecentParent, 8> recent_;
    std::size_t nextRecent_ = 0;
    std::unordered_map<std::string, ClassFlags> flagsByClasses_;
    std::string classesKey_;
    ClassFlags* lastFlags_ = nullptr;
    std::string lastClassesKey_;
    ClassFlags uncachedFlags_;
};

}  // namespace vantor
