// The DN helper shared by the LDIF reader and the LDAP back end.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "directory/dn/Dn.h"
#include "directory/dn/SiblingNames.h"

namespace vantor {
namespace {

std::string KeyOf(std::string_view text) {
    const auto dn = Dn::Parse(text);
    EXPECT_TRUE(dn.has_value()) << text;
    return dn ? dn->Key() : std::string();
}

// As a server judges equality for the standard naming types.
TEST(DnKey, SpellingsOfOneDnShareAKey) {
    const std::vector<std::pair<std::string, std::string>> same = {
        {"OU=Dev, O=Acme", "ou=dev,o=acme"},
        {"cn=Ann+uid=ann7,o=acme", "UID=ann7+CN=ann,o=acme"},
        {"ou=Dev;o=acme", "ou=Dev,o=acme"},
        {"ou=\"Tools, Inc.\",o=acme", "ou=Tools\\, Inc.,o=acme"},
        {"2.5.4.10=acme", "o=acme"},
        {"organizationalUnitName=Dev,organizationName=acme", "ou=Dev,o=acme"},
        {"0.9.2342.19200300.100.1.25=example,DomainComponent=com", "dc=example,dc=com"},
        {"ou=#1303446576,o=acme", "ou=Dev,o=acme"},      // PrintableString
        {"ou=#0C075AC3BC72696368", "ou=Z\xC3\xBCrich"},  // UTF8String
        {"ou=#1E06004400650076", "ou=dev"},              // BMPString
        {"ou=Z\xC3\xBCrich", "ou=Z\xC3\x9CRICH"},        // a real Unicode case fold
        {"ou=Stra\xC3\x9F"
         "e",
         "ou=STRASSE"},                       // one letter folding to two
        {"ou=Sales  Team", "ou=Sales Team"},  // inner spaces count as one
        {"ou=\\20Sales\\20", "ou=Sales"},     // and outer ones not at all
    };
    for (const auto& [a, b] : same) {
        EXPECT_EQ(KeyOf(a), KeyOf(b)) << a << " / " << b;
    }
    const std::vector<std::pair<std::string, std::string>> different = {
        {"ou=Dev,o=acme", "ou=Dev2,o=acme"},
        {"cn=a\\,b,o=acme", "cn=a,cn=b,o=acme"},
        {"cn=a\\+cn=b,o=acme", "cn=a+cn=b,o=acme"},
        {"ou=Sales,o=acme", "l=Sales,o=acme"},
        {"ou=#020105", "ou=\\#020105"},  // an INTEGER is no string: not its hex text either
        {"ou=a\\00b", "ou=ab"},
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
        EXPECT_EQ(ParseFirstRdn(c.dn, &rdn), c.rest) << c.dn;
    }
    ASSERT_TRUE(ParseFirstRdn("CN=Ann+uid=ann7,o=acme", &rdn));
    EXPECT_EQ(rdn.typed, "CN=Ann+uid=ann7");
    EXPECT_EQ(rdn.key, KeyOf("uid=ann7+cn=ann"));
}

TEST(DnListedName, EscapesWhatSeparatesAndTheTypelessFormDropsTheTypes) {
    const auto dn = Dn::Parse("cn=a.b+sn=x\\+y,2.5.4.11=q\\=r,ou=#0C03446576,ou=\\5C\\00");
    ASSERT_TRUE(dn);
    EXPECT_EQ(dn->Rdn(0).typed, "cn=a\\.b+sn=x\\+y");
    EXPECT_EQ(dn->Rdn(1).typed, "2\\.5\\.4\\.11=q\\=r");
    EXPECT_EQ(dn->Rdn(2).typed, "ou=Dev");
    EXPECT_EQ(dn->Rdn(3).typed, "ou=\\\\\\00");
    const std::string typed =
        dn->Rdn(0).typed + "." + dn->Rdn(1).typed + "." + dn->Rdn(2).typed + "." + dn->Rdn(3).typed;
    EXPECT_EQ(TypelessName(typed), "a\\.b+x\\+y.q\\=r.Dev.\\\\\\00");
    EXPECT_EQ(TypelessName("o=[ROOT]"), "\\[ROOT]");
    EXPECT_EQ(TypelessName("o=[Root].o=acme"), "[Root].acme");
}

TEST(SiblingNames, SiblingsThatWouldComposeOneFullNameClash) {
    struct Case {
        std::vector<std::string_view> typeless;
        std::vector<bool> clashes;
    };
    const std::vector<Case> cases = {
        {{}, {}},
        {{"Sales"}, {false}},
        {{"Sales", "Dev", "Sales"}, {true, false, true}},
        {{"Sales", "sales"}, {false, false}},               // the engine's names are byte strings
        {{"Desk.Ann", "Ann", "Bob"}, {true, true, false}},  // Desk under Ann reads Desk.Ann too
        {{"a.b.c", "c", "b.c", "x"}, {true, true, true, false}},
        {{"a\\.b", "b", "a"}, {false, false, false}},  // an escaped dot separates nothing
        {{"a\\\\.b", "b"}, {true, true}},              // an escaped backslash, then a dot
        {{"x.\\[Root]", "\\[Root]"}, {true, true}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClashingSiblings(c.typeless), c.clashes) << testing::PrintToString(c.typeless);
    }
}

}  // namespace
}  // namespace vantor
