// The counting engine over the LDAP back end and a loaded slapd, by container and by partition.
// Every count is checked against ldapsearch's own one-level searches of the same server, and
// the partition roots against an ldapsearch for the markers, so nothing here trusts the back end.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include "directory/dn/Dn.h"
#include "directory/ldap/LdapTestSupport.h"
#include "directory/profile/ProfileText.h"

namespace vantor::test {
namespace {

SlapdOptions LdapEngineCountServer() {
    SlapdOptions options;
    options.ldifFiles = {"acme.ldif"};
    options.subordinates = {{"ou=Branch,o=acme", SlapdDatabase::Glue::kGluedAdvertised,
                             OuLdif("ou=Branch,o=acme", "Branch") +
                                 UsersLdif("ou=Branch,o=acme", "branch", 4) +
                                 OuLdif("ou=Depot,ou=Branch,o=acme", "Depot") +
                                 UsersLdif("ou=Depot,ou=Branch,o=acme", "depot", 13)}};
    return options;
}

class LdapEngineCount : public SlapdSuite<LdapEngineCountServer> {
  protected:
    void SetUp() override {
        if (std::string(VANTOR_LDAPSEARCH_PROGRAM).empty()) {
            GTEST_SKIP() << "ldapsearch is not installed";
        }
        REQUIRE_SLAPD(server_);
        ASSERT_NO_FATAL_FAILURE(ReadContainers());
    }

    // The DNs that ldapsearch finds.
    std::vector<std::string> Ldapsearch(const std::string& base, const std::string& scope,
                                        const std::string& filter,
                                        const std::string& attribute = "1.1") {
        const std::string output = server_->Folder() + "/ldapsearch.out";
        std::remove(output.c_str());
        const int status =
            RunProgram({VANTOR_LDAPSEARCH_PROGRAM, "-x", "-LLL", "-o", "ldif-wrap=no", "-H",
                        server_->Uri(), "-b", base, "-s", scope, filter, attribute},
                       output, 30);
        EXPECT_EQ(status, 0) << "ldapsearch -b " << base;
        std::vector<std::string> values;
        std::ifstream in(output);
        const std::string prefix = (attribute == "1.1" ? std::string("dn") : attribute) + ": ";
        for (std::string line; std::getline(in, line);) {
            if (line.rfind(prefix, 0) == 0) {
                values.push_back(line.substr(prefix.size()));
            }
        }
        return values;
    }

    std::uint32_t UsersDirectlyUnder(const std::string& dn,
                                     const std::string& filter = "(objectClass=inetOrgPerson)") {
        return static_cast<std::uint32_t>(Ldapsearch(dn, "one", filter).size());
    }

    // Every container's DN by the full name the engine composes for it.
    void ReadContainers() {
        containers_.clear();
        for (const std::string& text :
             Ldapsearch("o=acme", "sub",
                        "(|(objectClass=organization)(objectClass=organizationalUnit))")) {
            const auto dn = Dn::Parse(text);
            ASSERT_TRUE(dn) << text;
            containers_.insert_or_assign(dn->ListedName(dn->Depth()), *dn);
        }
        ASSERT_GT(containers_.size(), 10u);
    }

    // The partition roots by what the server holds: naming contexts and marked entries.
    std::set<std::string> PartitionRootKeys() {
        std::set<std::string> keys;
        for (const std::string& text :
             Ldapsearch("", "base", "(objectClass=*)", "namingContexts")) {
            keys.insert(Dn::Parse(text)->Key());
        }
        for (const std::string& text :
             Ldapsearch("o=acme", "sub",
                        "(|(objectClass=partition)(entryFlags:1.2.840.113556.1.4.803:=2)"
                        "(instanceType:1.2.840.113556.1.4.803:=1))")) {
            keys.insert(Dn::Parse(text)->Key());
        }
        return keys;
    }

    std::map<std::string, Dn> containers_;
};

// Each node's count, and the DN and profile the back end names (what the outputs carry).
TEST_F(LdapEngineCount, ByContainerEachCountIsTheOneLevelSearchCount) {
    LdapDirectory dir(SettingsFor(*server_, 7));
    EXPECT_EQ(dir.ProfileName(), "auto");
    const std::vector<NodeResult> nodes = RunEngine(dir, "User", false);
    EXPECT_EQ(dir.ProfileName(), "generic");
    ASSERT_FALSE(nodes.empty());
    EXPECT_EQ(nodes.front().fullName, "[Root]");
    EXPECT_EQ(nodes.front().count, 0);
    std::set<std::string> seen;
    for (const NodeResult& node : nodes) {
        EXPECT_EQ(node.hasErrors, 0) << node.fullName << ": " << dir.FailureCause();
        EXPECT_EQ(node.result, 0) << node.fullName;
        if (node.fullName == "[Root]") {
            EXPECT_EQ(node.dn, "");
            continue;
        }
        const auto it = containers_.find(node.fullName);
        ASSERT_NE(it, containers_.end()) << "no container is named " << node.fullName;
        const auto dn = Dn::Parse(node.dn);
        EXPECT_TRUE(dn && dn->Key() == it->second.Key()) << node.fullName << ": " << node.dn;
        EXPECT_EQ(static_cast<std::uint32_t>(node.count), UsersDirectlyUnder(it->second.Text()))
            << node.fullName;
        seen.insert(node.fullName);
    }
    EXPECT_EQ(seen.size(), containers_.size()) << "every container is a node, once";
}

TEST_F(LdapEngineCount, TheUsersFilterIsAndedIntoEachSearch) {
    LdapSettings settings = SettingsFor(*server_, 7);
    settings.objectFilter = "(|(uid=depot1*)(uid=branch2))";
    LdapDirectory dir(settings);
    std::uint32_t total = 0;
    for (const NodeResult& node : RunEngine(dir, "User", false)) {
        EXPECT_EQ(node.hasErrors, 0) << node.fullName << ": " << dir.FailureCause();
        const auto it = containers_.find(node.fullName);
        if (it != containers_.end()) {
            EXPECT_EQ(static_cast<std::uint32_t>(node.count),
                      UsersDirectlyUnder(it->second.Text(), "(&(objectClass=inetOrgPerson)" +
                                                                settings.objectFilter + ")"))
                << node.fullName;
        }
        total += static_cast<std::uint32_t>(node.count);
    }
    EXPECT_EQ(total, 6u);  // depot1, depot10 to depot13, branch2
}

TEST_F(LdapEngineCount, AProfileFilesFilterIsWhatTheServerIsAskedWith) {
    LdapSettings settings = SettingsFor(*server_, 7);
    std::string text = ProfileText(GenericProfile());
    const std::size_t line = text.find("users-filter: ");
    text.replace(line, text.find('\n', line) - line,
                 "users-filter: (&(objectClass=inetOrgPerson)(sn=depot))");
    auto profile = ParseProfileText(text, "depot.profile");
    ASSERT_TRUE(std::holds_alternative<ClassProfile>(profile)) << std::get<std::string>(profile);
    settings.customProfile = std::get<ClassProfile>(profile);
    LdapDirectory dir(settings);
    std::int64_t total = 0;
    for (const NodeResult& node : RunEngine(dir, "User", true)) {
        EXPECT_EQ(node.hasErrors, 0) << node.fullName << ": " << dir.FailureCause();
        total += node.count;
    }
    EXPECT_EQ(total, 13);
}

TEST_F(LdapEngineCount, ByPartitionEachCountSumsItsPartitionsContainers) {
    const std::set<std::string> rootKeys = PartitionRootKeys();
    std::map<std::string, std::uint32_t> expected;  // partition root key -> users
    for (const auto& [name, dn] : containers_) {
        Dn root = dn;
        while (!rootKeys.contains(root.Key()) && root.Depth() > 1) {
            root = root.Ancestor(1);
        }
        expected[root.Key()] += UsersDirectlyUnder(dn.Text());
    }

    LdapDirectory dir(SettingsFor(*server_, 7));
    const std::vector<NodeResult> nodes = RunEngine(dir, "User", true);
    std::map<std::string, std::uint32_t> counted;
    for (const NodeResult& node : nodes) {
        EXPECT_EQ(node.hasErrors, 0) << node.fullName << ": " << dir.FailureCause();
        if (node.fullName == "[Root]") {
            EXPECT_EQ(node.count, 0);
            continue;
        }
        const auto it = containers_.find(node.fullName);
        ASSERT_NE(it, containers_.end()) << "no container is named " << node.fullName;
        counted[it->second.Key()] = static_cast<std::uint32_t>(node.count);
    }
    EXPECT_EQ(counted, expected);
    EXPECT_GE(counted.size(), 6u) << "the tree has several partitions";
}

}  // namespace
}  // namespace vantor::test
