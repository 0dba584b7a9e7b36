// Everything a server holds is found, once: naming contexts whose parent entry does not exist,
// databases not glued to their parent, and referral objects, which are lines of their own with
// an error that names where they refer to, never followed.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "directory/ldap/LdapTestSupport.h"

namespace vantor::test {
namespace {

using testing::AllOf;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::SizeIs;
using testing::UnorderedElementsAre;

std::string Referral(const std::string& dn, const std::string& ou, const std::string& url) {
    return "dn: " + dn + "\nobjectClass: referral\nobjectClass: extensibleObject\nou: " + ou +
           "\nref: " + url + "\n\n";
}

SlapdOptions LdapDiscoveryServer() {
    SlapdOptions options;
    options.ldif =
        "dn: o=acme\nobjectClass: organization\no: acme\n\n" + UsersLdif("o=acme", "boss", 1) +
        Referral("ou=Remote,o=acme", "Remote", "ldap://127.0.0.1:1/ou=Remote,o=acme") +
        // Entries kept below a referral belong to where it refers: a server may still return
        // them to a subtree search.
        UsersLdif("ou=Remote,o=acme", "far", 1) + OuLdif("ou=Inner,ou=Remote,o=acme", "Inner") +
        UsersLdif("ou=Inner,ou=Remote,o=acme", "inner", 2) +
        Referral("ou=Elsewhere,o=acme", "Elsewhere", "ldap://127.0.0.1:1/ou=People,dc=other") +
        OuLdif("ou=Dev,o=acme", "Dev") + UsersLdif("ou=Dev,o=acme", "dev", 2);
    // ou=Missing does not exist in either database.
    options.subordinates = {
        {"ou=Deep,ou=Missing,dc=example,dc=com", SlapdDatabase::Glue::kSeparate,
         OuLdif("ou=Deep,ou=Missing,dc=example,dc=com", "Deep") +
             UsersLdif("ou=Deep,ou=Missing,dc=example,dc=com", "deep", 3)},
        {"dc=example,dc=com", SlapdDatabase::Glue::kSeparate,
         "dn: dc=example,dc=com\nobjectClass: domain\ndc: example\n\n" +
             UsersLdif("dc=example,dc=com", "ex", 5)},
    };
    return options;
}

class LdapDiscovery : public SlapdSuite<LdapDiscoveryServer> {
  protected:
    void SetUp() override { REQUIRE_SLAPD(server_); }

    static std::map<std::string, NodeResult> ByName(const std::vector<NodeResult>& nodes) {
        std::map<std::string, NodeResult> byName;
        for (const NodeResult& node : nodes) {
            EXPECT_TRUE(byName.emplace(node.fullName, node).second) << "twice: " << node.fullName;
        }
        return byName;
    }

    static void ExpectEveryContextAndReferralOnce(const std::map<std::string, NodeResult>& nodes) {
        std::map<std::string, int> counts;
        for (const auto& [name, node] : nodes) {
            counts[name] = node.count;
        }
        EXPECT_EQ(counts, (std::map<std::string, int>{{"[Root]", 0},
                                                      {"acme", 1},
                                                      {"Dev.acme", 2},
                                                      {"Remote.acme", 0},
                                                      {"Elsewhere.acme", 0},
                                                      {"example.com", 5},
                                                      {"Deep.Missing.example.com", 3}}));
        for (const char* clean : {"[Root]", "acme", "Dev.acme", "example.com"}) {
            EXPECT_THAT(nodes.at(clean).errors, IsEmpty()) << clean;
        }
        EXPECT_THAT(nodes.at("Deep.Missing.example.com").errors, IsEmpty());

        // One error line each, the search's, naming the referral's own DN and its URL.
        const std::vector<std::pair<std::string, std::string>> referrals = {
            {"Remote.acme",
             "ou=Remote,o=acme is a referral to ldap://127.0.0.1:1/ou=Remote,o=acme"},
            {"Elsewhere.acme",
             "ou=Elsewhere,o=acme is a referral to ldap://127.0.0.1:1/ou=People,dc=other"}};
        for (const auto& [name, cause] : referrals) {
            const NodeResult& node = nodes.at(name);
            ASSERT_THAT(node.errors, SizeIs(1)) << name;
            EXPECT_EQ(node.errors[0].code, dirError::kReferralsFailed);
            EXPECT_EQ(node.errors[0].name, name);
            EXPECT_THAT(node.errors[0].cause,
                        AllOf(HasSubstr(cause), HasSubstr("referrals are not followed")));
        }
    }
};

TEST_F(LdapDiscovery, ByContainerEveryContextAndReferralIsOneLine) {
    for (const bool wholeSubtrees : {true, false}) {
        SCOPED_TRACE(wholeSubtrees ? "whole subtrees" : "each container");
        LdapSettings settings = SettingsFor(*server_);
        settings.wholeSubtrees = wholeSubtrees;
        LdapDirectory dir(settings);
        ExpectEveryContextAndReferralOnce(ByName(RunEngine(dir, "User", false)));
    }
}

// By partition a naming context and a referral each start a partition of their own.
TEST_F(LdapDiscovery, ByPartitionContextsAndReferralsArePartitions) {
    LdapDirectory dir(SettingsFor(*server_));
    std::vector<std::string> names;
    int total = 0;
    for (const NodeResult& node : RunEngine(dir, "User", true)) {
        names.push_back(node.fullName);
        total += node.count;
    }
    EXPECT_THAT(names, UnorderedElementsAre("[Root]", "acme", "example.com", "Remote.acme",
                                            "Elsewhere.acme", "Deep.Missing.example.com"));
    EXPECT_EQ(total, 1 + 2 + 5 + 3);
}

}  // namespace
}  // namespace vantor::test
