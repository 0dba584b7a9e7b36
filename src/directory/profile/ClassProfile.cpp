#include "directory/profile/ClassProfile.h"

#include <algorithm>
#include <cctype>

namespace vantor {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

namespace {

bool HasAny(const std::vector<std::string>& have, const std::vector<std::string>& wanted) {
    return std::any_of(have.begin(), have.end(), [&](const std::string& c) {
        return std::any_of(wanted.begin(), wanted.end(),
                           [&](const std::string& w) { return EqualsIgnoreCase(c, w); });
    });
}

std::vector<std::string> StandardContainers() {
    return {"organization", "organizationalUnit", "country",  "locality",
            "domain",       "dcObject",           "container"};
}

ClassProfile MakeEDirectory() {
    ClassProfile p;
    p.name = "edirectory";
    p.containerClasses = StandardContainers();
    p.partitionClass = "partition";
    p.kinds[0] = {{"inetOrgPerson"}, {}, "(objectClass=inetOrgPerson)"};
    p.kinds[1] = {{"ncpServer"}, {}, "(objectClass=ncpServer)"};
    p.kinds[2] = {{"groupOfNames"}, {}, "(objectClass=groupOfNames)"};
    p.kinds[3] = {{"partition"}, {}, "(objectClass=partition)"};
    return p;
}

ClassProfile MakeGeneric() {
    ClassProfile p = MakeEDirectory();
    p.name = "generic";
    p.containerClasses.emplace_back("nsContainer");  // 389 Directory Server's plain container
    p.kinds[2] = {{"groupOfNames", "groupOfUniqueNames", "posixGroup"},
                  {},
                  "(|(objectClass=groupOfNames)(objectClass=groupOfUniqueNames)"
                  "(objectClass=posixGroup))"};
    return p;
}

ClassProfile MakeActiveDirectory() {
    ClassProfile p;
    p.name = "ad";
    p.containerClasses = {"domain", "domainDNS", "organizationalUnit", "container", "builtinDomain",
                          "organization", "country", "locality", "dcObject",
                          // where the server puts orphaned objects, and Authorization Manager
                          // stores, whose applications and scopes hold groups
                          "lostAndFound", "msDS-AzAdminManager", "msDS-AzApplication",
                          "msDS-AzScope"};
    p.partitionClass = "domainDNS";
    // A computer is of class user too, and may be filed as a person: the filter leaves it out as
    // the classes do, so that it is a server only, searched alone or with the other kinds.
    p.kinds[0] = {{"user"},
                  {"computer"},
                  "(&(objectClass=user)(objectCategory=person)(!(objectClass=computer)))"};
    p.kinds[1] = {{"computer"}, {}, "(objectClass=computer)"};
    p.kinds[2] = {{"group"}, {}, "(objectClass=group)"};
    p.kinds[3] = {{"domainDNS"}, {}, "(objectClass=domainDNS)"};
    return p;
}

}  // namespace

bool ClassProfile::IsContainer(const std::vector<std::string>& objectClasses) const {
    return HasAny(objectClasses, containerClasses);
}

bool ClassProfile::IsPartitionRoot(const std::vector<std::string>& objectClasses) const {
    return HasAny(objectClasses, {partitionClass});
}

bool ClassProfile::MatchesKind(std::size_t kind,
                               const std::vector<std::string>& objectClasses) const {
    const KindRule& rule = kinds.at(kind);
    return HasAny(objectClasses, rule.anyOfClasses) && !HasAny(objectClasses, rule.noneOfClasses);
}

std::string ClassProfile::ClassesOf(std::size_t kind) const {
    std::string classes;
    for (const std::string& className : kinds.at(kind).anyOfClasses) {
        classes += (classes.empty() ? "" : "|") + className;
    }
    return classes;
}

std::optional<std::size_t> ClassProfile::KindOfClassName(std::string_view className) {
    for (std::size_t i = 0; i < kKindClassNames.size(); ++i) {
        if (EqualsIgnoreCase(kKindClassNames[i], className)) {
            return i;
        }
    }
    return std::nullopt;
}

const ClassProfile& EDirectoryProfile() {
    static const ClassProfile profile = MakeEDirectory();
    return profile;
}

const ClassProfile& GenericProfile() {
    static const ClassProfile profile = MakeGeneric();
    return profile;
}

const ClassProfile& ActiveDirectoryProfile() {
    static const ClassProfile profile = MakeActiveDirectory();
    return profile;
}

namespace {
constexpr std::array<const ClassProfile& (*)(), 3> kBuiltInProfiles = {
    &EDirectoryProfile, &GenericProfile, &ActiveDirectoryProfile};
}  // namespace

const ClassProfile* FindProfile(std::string_view name) {
    for (const auto profile : kBuiltInProfiles) {
        if (EqualsIgnoreCase(profile().name, name)) {
            return &profile();
        }
    }
    return nullptr;
}

std::vector<std::string> BuiltInProfileNames() {
    std::vector<std::string> names{"auto"};
    for (const auto profile : kBuiltInProfiles) {
        names.push_back(profile().name);
    }
    return names;
}

}  // namespace vantor
