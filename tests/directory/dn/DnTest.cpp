// The DN helper shared by the LDIF reader and the LDAP back end.

#include <gtest/gtest.h>

#include <string>

#include "directory/dn/Dn.h"

namespace vantor {
namespace {

std::string KeyOf(std::string_view text) {
    const auto dn = Dn::Parse(text);
    EXPECT_TRUE(dn.has_value()) << text;
    return dn ? dn->Key() : std::string();
}

TEST(DnKey, SpellingsOfOneDnShareAKey) {
    const std::vector<std::pair<std::string, std::string>> same = {
        {"OU=Dev, O=Acme", "ou=dev,o=acme"},
        {"cn=Ann+uid=ann7,o=acme", "UID=ann7+CN=ann,o=acme"},
        {"ou=Dev;o=acme", "ou=Dev,o=acme"},
        {"ou=\"Tools, Inc.\",o=acme", "ou=Tools\\, Inc.,o=acme"},
    };
    for (const auto& [a, b] : same) {
        EXPECT_EQ(KeyOf(a), KeyOf(b)) << a << " / " << b;
    }
    const std::vector<std::pair<std::string, std::string>> different = {
        {"ou=Dev,o=acme", "ou=Dev2,o=acme"},
        {"cn=a\\,b,o=acme", "cn=a,cn=b,o=acme"},
        {"cn=a\\+cn=b,o=acme", "cn=a+cn=b,o=acme"},
    };
    for (const auto& [a, b] : different) {
        EXPECT_NE(KeyOf(a), KeyOf(b)) << a << " / " << b;
    }
}

TEST(DnFirstRdn, GivesTheRestAfterTheSeparatorAndRefusesWhatLibldapRefuses) {
    struct Case {
        std::string dn;
        std::optional<std::size_t> rest;
    };
    const std::vector<Case> cases = {
        {"ou=Dev,o=acme", 7},
        {"ou=Dev;o=acme", 7},
        {"ou=a\\,b,o=acme", 8},
        {"cn=a+sn=b,o=acme", 10},
        {"o=acme", 6},
        {"ou=Dev,", std::nullopt},
        {"no equals", std::nullopt},
        {"", std::nullopt},
        {std::string("ou=a\0b", 6), std::nullopt},
    };
    DnRdn rdn;
    for (const Case& c : cases) {
        EXPECT_EQ(ParseFirstRdn(c.dn, true, rdn), c.rest) << c.dn;
    }
    ASSERT_TRUE(ParseFirstRdn("CN=Ann+uid=ann7,o=acme", true, rdn));
    EXPECT_EQ(rdn.value, "Ann+ann7");
    EXPECT_EQ(rdn.key, KeyOf("uid=ann7+cn=ann"));
}

}  // namespace
}  // namespace vantor
