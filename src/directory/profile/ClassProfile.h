#pragma once
// Class profiles: which directory object classes make a container, a partition root and each
// of the four object kinds. The LDIF directory and the LDAP back end read the same profile.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ObjectKinds.h"

namespace vantor {

struct KindRule {
    std::vector<std::string> anyOfClasses;   // an entry matches when it has one of these
    std::vector<std::string> noneOfClasses;  // ... and none of these
    std::string ldapFilter;                  // the same rule as an LDAP filter
    bool operator==(const KindRule&) const = default;
};

struct ClassProfile {
    std::string name;  // "edirectory", "generic" or "ad"
    std::vector<std::string> containerClasses;
    std::string partitionClass;     // auxiliary class marking a partition root
    std::array<KindRule, 4> kinds;  // in kind order
    bool operator==(const ClassProfile&) const = default;

    // True when one of objectClasses (compared without regard to case) is a container class.
    bool IsContainer(const std::vector<std::string>& objectClasses) const;
    bool IsPartitionRoot(const std::vector<std::string>& objectClasses) const;
    // Index of the kind an entry with these classes matches, per kind; an entry may match
    // several kinds (a partition root container is also a container).
    bool MatchesKind(std::size_t kind, const std::vector<std::string>& objectClasses) const;
    // The classes counted as a kind, as the outputs name them: "inetOrgPerson", or several
    // joined with '|' ("groupOfNames|groupOfUniqueNames|posixGroup").
    std::string ClassesOf(std::size_t kind) const;
    // Kind index for an engine class name ("User" ...), case-insensitive.
    static std::optional<std::size_t> KindOfClassName(std::string_view className);
};

const ClassProfile& EDirectoryProfile();
const ClassProfile& GenericProfile();
const ClassProfile& ActiveDirectoryProfile();
// The profile of a name given by the user ("edirectory", "generic", "ad"), case-insensitive.
const ClassProfile* FindProfile(std::string_view name);
// The names a user may choose a built-in profile by, as offered: "auto" (the back end picks one
// by what the directory says) and the name of each profile FindProfile knows.
std::vector<std::string> BuiltInProfileNames();

bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace vantor
