#pragma once
// Turns the entries of an LDIF file into containers, partition roots and classed objects of an
// in-memory directory. Entries are collected first and built once the file is read, so a child
// may come before its parent (a glued export does that).
//
// How entries become the directory:
// - An entry's parent is the nearest entry above it in the file: its DN's parent, else that
//   one's parent, and so on. DNs are compared as LDAP compares them for the usual naming
//   attributes: types and values without regard to (ASCII) case, the AVAs of an RDN in any
//   order. An entry with no entry above it is a top entry.
// - Containers are the entries of the profile's container classes. Every container has a
//   parent container: the nearest container above it, or "[Root]". A container directly under
//   "[Root]" is a partition root, and so is one of the profile's partition class. A partition
//   root also counts as a "Partition" object under its parent container.
// - A container's listed name is the values of the RDNs between it and its parent container,
//   own first, joined with dots; a multi-valued RDN's values are joined with '+'. So
//   ou=QA,ou=Dev,o=acme is listed as "QA" under "Dev.acme", a top dc=example,dc=com is the one
//   container "example.com" under "[Root]", and a container below a non-container entry
//   (ou=Desk,cn=Ann,ou=Sales,o=acme) is "Desk.Ann" under "Sales.acme". The full names are thus
//   the typeless dotted DNs. Names are kept whole, also beyond 256 characters (the engine
//   refuses those per container), and names that come out alike stay ambiguous.
// - Every other entry is an object: it counts once for each kind it matches ("User",
//   "NCP_Server", "Group", "Partition") under its parent container, also when its own parent
//   entry is a non-container (then its objects are counted under the nearest container above)
//   or when it is a top entry (then under "[Root]"). A container that matches "User",
//   "NCP_Server" or "Group" counts as one under its parent container as well.
// - Each container lists its subcontainers in the order of the file. The root DSE (empty DN)
//   is "[Root]" itself and adds nothing.
// - Refused: a DN libldap cannot parse, and a DN that occurs twice.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "directory/ldif/EntryDnParser.h"
#include "directory/ldif/EntryKeys.h"
#include "directory/ldif/LdifReader.h"
#include "directory/memory/MemoryDirectory.h"
#include "directory/profile/ClassProfile.h"

namespace vantor {

class LdifTreeBuilder {
  public:
    explicit LdifTreeBuilder(const ClassProfile& profile) : profile_(profile) {}

    std::optional<LdifError> Add(const LdifEntry& entry);
    // Builds every entry added into directory, which should be empty.
    std::optional<LdifError> Build(MemoryDirectory& directory);

  private:
    static constexpr std::uint32_t kNone = EntryKeys::kNone;

    // What the profile makes of one list of object classes.
    struct ClassFlags {
        std::uint8_t kinds = 0;  // bit k: matches kind k
        bool container = false;
        bool partitionRoot = false;
    };

    // One per entry, kept small: a file may hold millions.
    struct Entry {
        unsigned long line = 0;
        std::uint32_t container = kNone;  // containers: their index in containers_
        std::uint8_t kinds = 0;           // bit k: matches kind k
    };

    struct Container {
        std::uint32_t entry = 0;
        std::uint32_t rdnCount = 0;
        bool partitionRoot = false;
        std::vector<std::string> values;  // of its RDNs, own first
        std::uint32_t above = kNone;      // the container it is listed in; kNone: "[Root]"
        std::uint32_t depth = 0;          // containers between it and "[Root]"
        MemoryDirectory::EntryId id = MemoryDirectory::kRoot;
    };

    ClassFlags FlagsOf(const std::vector<std::string_view>& objectClasses);
    // For each parent key (see EntryKeys), the nearest container above it, or kNone.
    std::vector<std::uint32_t> ContainersOfParentKeys() const;
    std::uint32_t ContainerAbove(std::uint32_t entry,
                                 const std::vector<std::uint32_t>& ofParentKeys) const;
    void PlaceContainers(const std::vector<std::uint32_t>& ofParentKeys);
    std::string ListedName(const Container& container) const;

    const ClassProfile& profile_;
    EntryDnParser dnParser_;
    EntryDn dn_;  // the entry being added
    // Entries of one sort repeat the same class list; the profile is asked once per list.
    std::unordered_map<std::string, ClassFlags> flagsByClasses_;
    std::string classesKey_;
    std::string lastClassesKey_;  // entries of one sort often follow each other
    ClassFlags lastFlags_;
    EntryKeys keys_;
    std::deque<Entry> entries_;
    std::vector<Container> containers_;
};

}  // namespace vantor
