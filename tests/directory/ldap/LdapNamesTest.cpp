#include <gtest/gtest.h>

#include "directory/dn/Dn.h"
#include "directory/ldap/NameMap.h"
#include "directory/ldap/NamingContexts.h"
#include "engine/FullName.h"

namespace vantor {
namespace {

Dn Parsed(const std::string& text) {
    auto dn = Dn::Parse(text);
    EXPECT_TRUE(dn.has_value()) << text;
    return dn.value_or(*Dn::Parse(""));
}

TEST(Dn, ListedNamesKeepBlanksAndCommasAndEscapeDots) {
    const Dn dn = Parsed("ou=Tools\\, Inc.,ou=Sales Team,dc=example,dc=com");
    EXPECT_EQ(dn.Depth(), 4u);
    EXPECT_EQ(dn.ListedName(1), "Tools, Inc\\.");
    EXPECT_EQ(dn.ListedName(4), "Tools, Inc\\..Sales Team.example.com");
    EXPECT_EQ(dn.TypedName(2), "ou=Tools, Inc\\..ou=Sales Team");
    EXPECT_EQ(dn.Ancestor(2).ListedName(2), "example.com");
}

TEST(Dn, MultiValuedAndHexValues) {
    const Dn dn = Parsed("cn=Ann+uid=ann7,o=acme");
    EXPECT_EQ(dn.ListedName(1), "Ann+ann7");
    const Dn hex = Parsed("cn=#04024869,o=acme");
    EXPECT_EQ(hex.ListedName(1), "Hi");                               // the string its BER encodes
    EXPECT_EQ(Parsed("cn=#020105,o=acme").ListedName(1), "#020105");  // no string: kept as hex
}

TEST(Dn, KeysIgnoreCaseAndSpacing) {
    EXPECT_EQ(Parsed("OU=Dev, O=Acme").Key(), Parsed("ou=dev,o=acme").Key());
    EXPECT_NE(Parsed("ou=Dev,o=acme").Key(), Parsed("ou=Dev2,o=acme").Key());
}

TEST(Dn, AncestorsAndBelow) {
    const Dn child = Parsed("ou=QA,ou=Dev,o=acme");
    const Dn parent = Parsed("OU=dev,o=ACME");
    EXPECT_TRUE(child.IsUnder(parent));
    EXPECT_TRUE(child.IsUnder(Parsed("o=acme")));
    EXPECT_FALSE(parent.IsUnder(child));
    EXPECT_FALSE(child.IsUnder(child));
    EXPECT_FALSE(Parsed("ou=QA,ou=Dev2,o=acme").IsUnder(parent));
    EXPECT_EQ(child.Ancestor(1).Key(), parent.Key());
    EXPECT_EQ(child.Ancestor(3).Depth(), 0u);
}

TEST(Dn, RefusesWhatIsNoDn) {
    EXPECT_FALSE(Dn::Parse("no equals sign").has_value());
    EXPECT_FALSE(Dn::Parse("ou=a,,o=b").has_value());
    EXPECT_EQ(Parsed("").Depth(), 0u);
}

TEST(NameMap, ComposesLikeTheEngine) {
    EXPECT_EQ(ComposeFullName("[Root]", "example.com"), "example.com");
    EXPECT_EQ(ComposeFullName("[ROOT]", "acme"), "acme");
    EXPECT_EQ(ComposeFullName("Dev.acme", "QA"), "QA.Dev.acme");
}

TEST(NameMap, FindsTheEntryOfAHandedOutName) {
    NameMap names;
    names.Add("Tools, Inc..Dev.acme", Parsed("ou=Tools\\, Inc.,ou=Dev,o=acme"));
    const Dn* found = names.Find("Tools, Inc..Dev.acme");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Text(), "ou=Tools\\, Inc.,ou=Dev,o=acme");
    EXPECT_EQ(names.Find("tools, inc..dev.acme"), nullptr);  // names are kept as handed out
    const std::string* back = names.FullNameOf(Parsed("OU=tools\\, inc.,OU=dev,O=acme").Key());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(*back, "Tools, Inc..Dev.acme");
}

TEST(NamingContexts, TopsAndSubSuffixes) {
    const NamingContexts contexts({"ou=Branch,o=acme", "o=acme", "dc=example,dc=com",
                                   "ou=Deep,ou=Far,o=acme", "not a dn", "O=ACME"});
    std::vector<std::string> tops;
    for (const Dn& top : contexts.Tops()) {
        tops.push_back(top.Text());
    }
    EXPECT_EQ(tops, (std::vector<std::string>{"o=acme", "dc=example,dc=com"}));
    const auto under = contexts.Under(Parsed("o=Acme"));
    ASSERT_EQ(under.size(), 2u);
    EXPECT_EQ(under[0].Text(), "ou=Branch,o=acme");
    EXPECT_EQ(under[1].Text(), "ou=Deep,ou=Far,o=acme");
    EXPECT_TRUE(contexts.Contains(Parsed("OU=branch,o=acme")));
    EXPECT_FALSE(contexts.Contains(Parsed("ou=Far,o=acme")));
    EXPECT_TRUE(NamingContexts({"", "junk"}).Empty());
}

}  // namespace
}  // namespace vantor
