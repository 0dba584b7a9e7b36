#include "directory/filter/ObjectFilter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vantor {
namespace {

using testing::HasSubstr;

// An account as an export holds it; types spelled as exports do, in mixed case.
const std::vector<FilterAttribute> kAccount = {
    {"objectClass", "inetOrgPerson"}, {"objectclass", "posixAccount"}, {"uid", "ann"},
    {"CN", "Ann  Zürich-Smith"},      {"uidNumber", "1000"},           {"2.5.4.10", "Acme"},
    {"userAccountControl", "512"},    {"mail", "ann@example.com"},
};

struct Case {
    const char* filter;
    bool matches;
};

TEST(ObjectFilter, MatchesAsAServerWouldForDirectoryStrings) {
    const Case cases[] = {
        {"(uid=ann)", true},
        {"(UID=ANN)", true},                // types and values without regard to case
        {"(cn=ann zürich-smith)", true},    // inner spaces squashed
        {"(cn=ANN ZÜRICH-SMITH)", true},    // Unicode case fold
        {"(organizationName=acme)", true},  // a type by another name ...
        {"(o=ACME)", true},                 // ... or by its OID in the entry
        {"(uid=bob)", false},
        {"(telephoneNumber=*)", false},  // an attribute the entry lacks
        {"(mail=*)", true},
        {"(cn=Ann*)", true},
        {"(cn=*smith)", true},
        {"(cn=a*zü*sm*h)", true},
        {"(cn=*smith*ann*)", false},  // pieces in order
        {"(cn=ann*ann)", false},      // initial and final may not overlap
        {"(uidNumber>=999)", true},   // numbers compare as numbers ...
        {"(uidNumber>=10000)", false},
        {"(uidNumber<=1000)", true},
        {"(uidNumber<=-5)", false},
        {"(cn>=b)", false},  // ... and words as folded words
        {"(cn<=b)", true},
        {"(&(objectClass=posixAccount)(!(userAccountControl=514)))", true},
        {"(|(uid=bob)(uid=ann))", true},
        {"(&(uid=ann)(uid=bob))", false},
        {"(!(uid=ann))", false},
        {"(&)", true},  // absolute true and false
        {"(|)", false},
        {"(mail=ann\\40example.com)", true},  // escaped '@'
        {"  (uid=ann)  ", true},
    };
    for (const Case& c : cases) {
        auto parsed = ObjectFilter::Parse(c.filter);
        ASSERT_TRUE(std::holds_alternative<ObjectFilter>(parsed))
            << c.filter << ": " << std::get<std::string>(parsed);
        EXPECT_EQ(std::get<ObjectFilter>(parsed).Matches(kAccount), c.matches) << c.filter;
    }
}

struct Refused {
    const char* filter;
    const char* message;
};

TEST(ObjectFilter, RefusesWhatItCannotEvaluateWithThePlace) {
    const Refused cases[] = {
        {"", "empty"},
        {"uid=ann", "position 1: expected '('"},
        {"(uid=ann", "ends where ')'"},
        {"(uid=ann))", "position 10: text after the end"},
        {"(cn~=ann)", "approximate matches"},
        {"(cn:caseExactMatch:=Ann)", "extensible matches"},
        {"(:dn:2.5.13.5:=x)", "expected an attribute type"},
        {"(cn;lang-de=Ann)", "attribute options"},
        {"(cn=a(b)", "'(' inside a value"},
        {"(uidNumber>=1*)", "'*' inside this value"},
        {"(cn=\\zz)", "two hexadecimal digits"},
        {"(!(uid=ann)(uid=bob))", "expected ')'"},
        {"(&(uid=ann)x)", "expected ')'"},
    };
    for (const Refused& c : cases) {
        auto parsed = ObjectFilter::Parse(c.filter);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << c.filter;
        EXPECT_THAT(std::get<std::string>(parsed), HasSubstr(c.message)) << c.filter;
    }
}

TEST(ObjectFilter, KeepsTheTextForTheServer) {
    auto parsed = ObjectFilter::Parse("  (&(objectClass=user)(!(cn=x\\2a)))\t");
    ASSERT_TRUE(std::holds_alternative<ObjectFilter>(parsed));
    EXPECT_EQ(std::get<ObjectFilter>(parsed).Text(), "(&(objectClass=user)(!(cn=x\\2a)))");
}

}  // namespace
}  // namespace vantor
