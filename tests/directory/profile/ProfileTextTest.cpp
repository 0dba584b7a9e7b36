#include "directory/profile/ProfileText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vantor {
namespace {

using testing::HasSubstr;

TEST(ProfileText, EveryBuiltInProfileReadsBackAsItself) {
    for (const ClassProfile* profile :
         {&EDirectoryProfile(), &GenericProfile(), &ActiveDirectoryProfile()}) {
        auto parsed = ParseProfileText(ProfileText(*profile), "shown");
        ASSERT_TRUE(std::holds_alternative<ClassProfile>(parsed)) << std::get<std::string>(parsed);
        EXPECT_EQ(std::get<ClassProfile>(parsed), *profile) << profile->name;
    }
}

TEST(ProfileText, AFileOfItsOwnMakesFiltersFromItsClasses) {
    auto parsed = ParseProfileText(R"(# people of OpenLDAP's own test data
name: openldap-test
containers: organization organizationalUnit
users: OpenLDAPperson inetOrgPerson
users-not: computer
servers: device
groups: groupOfNames
groups-filter: (&(objectClass=groupOfNames)(!(cn=admins)))
partitions:
)",
                                   "test.profile");
    ASSERT_TRUE(std::holds_alternative<ClassProfile>(parsed)) << std::get<std::string>(parsed);
    const ClassProfile& profile = std::get<ClassProfile>(parsed);
    EXPECT_EQ(profile.name, "openldap-test");
    EXPECT_EQ(profile.partitionClass, "");
    EXPECT_EQ(
        profile.kinds[0].ldapFilter,
        "(&(|(objectClass=OpenLDAPperson)(objectClass=inetOrgPerson))(!(objectClass=computer)))");
    EXPECT_TRUE(profile.MatchesKind(0, {"top", "openldapPerson"}));
    EXPECT_FALSE(profile.MatchesKind(0, {"inetOrgPerson", "computer"}));
    EXPECT_EQ(profile.kinds[1].ldapFilter, "(objectClass=device)");
    EXPECT_EQ(profile.kinds[2].ldapFilter, "(&(objectClass=groupOfNames)(!(cn=admins)))");
    EXPECT_EQ(profile.kinds[3].ldapFilter, "(|)");
}

struct Malformed {
    const char* text;
    const char* message;
};

TEST(ProfileText, AMalformedFileIsRefusedAtItsLine) {
    constexpr const char* kKinds = "users: a\nservers: b\ngroups: c\npartitions: d\n";
    const Malformed cases[] = {
        {"containers: ou\nuser: person\n", "p:2: unknown key \"user\""},
        {"containers ou\n", "p:1: expected \"key: value\""},
        {"containers: ou\ncontainers: o\n", "p:2: \"containers\" was given before"},
        {"users: a\nservers: b\ngroups: c\npartitions: d\n", "no container classes"},
        {"containers: ou\nusers: a\n", "no \"servers\" line"},
        {"containers: ou\npartition: a b\n", "p:2: one partition class at most"},
    };
    for (const Malformed& c : cases) {
        auto parsed = ParseProfileText(c.text, "p");
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << c.text;
        EXPECT_THAT(std::get<std::string>(parsed), HasSubstr(c.message)) << c.text;
    }
    auto badFilter =
        ParseProfileText(std::string("containers: ou\n") + kKinds + "users-filter: (cn~=x)\n", "p");
    ASSERT_TRUE(std::holds_alternative<std::string>(badFilter));
    EXPECT_THAT(std::get<std::string>(badFilter), HasSubstr("p:6: filter position 4"));
}

}  // namespace
}  // namespace vantor
