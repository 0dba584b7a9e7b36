// The command-line counter against a private Samba AD domain controller holding the AD test
// directory: every line it shows counts what ldapsearch finds directly in that container, for
// users, computers and groups (and with --kind all, as each kind's own run), in all five naming
// contexts, and every container that today's walk reaches is a line: the five nested units of
// 62-character names too, whose full names pass 256 characters.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "servers/ContainerCounts.h"
#include "servers/ServerEnvironment.h"
#include "support/ChildProcess.h"
#include "support/SambaAdServer.h"
#include "support/TestFiles.h"

namespace vantor::test {
namespace {

const auto* const environment = ServerEnvironment<SambaAdServer>::Register(
    {std::string(VANTOR_SERVER_DATA) + "/samba-ad.ldif"});

// The test directory's five nested units of 62-character names.
std::string NestedUnit(int level) {
    return "Level " + std::to_string(level) +
           " Regional Operations and Facilities Management Sections";
}

// The fourth of them, whose full name passes 256 characters.
const std::string kLevel4 = "OU=" + NestedUnit(4) + ",OU=" + NestedUnit(3) +
                            ",OU=" + NestedUnit(2) + ",OU=" + NestedUnit(1) + ",DC=corp,DC=example";

// Kind, and whether each container is listed on its own (the server marks no entry with
// children, so entries of other classes are asked for theirs).
class SambaAdCounts : public testing::TestWithParam<std::tuple<const char*, bool>> {};

TEST_P(SambaAdCounts, EachLineCountsWhatLdapsearchFindsInItsContainer) {
    REQUIRE_SERVER(environment, SambaAdServer);
    const auto [kind, perContainer] = GetParam();
    const std::vector<std::string> options =
        perContainer ? std::vector<std::string>{"--per-container"} : std::vector<std::string>{};
    if (std::string(kind) == "all") {
        ExpectEveryKindAsEachKindAlone(environment->server()->AdminLogin(),
                                       ActiveDirectoryProfile(), options);
    } else {
        ExpectCountsAgreeWithLdapsearch(environment->server()->AdminLogin(),
                                        ActiveDirectoryProfile(), kind, options);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, SambaAdCounts,
                         testing::Combine(testing::Values("users", "servers", "groups", "all"),
                                          testing::Bool()),
                         [](const testing::TestParamInfo<std::tuple<const char*, bool>>& param) {
                             return std::string(std::get<0>(param.param)) +
                                    (std::get<1>(param.param) ? "PerContainer" : "");
                         });

// Every naming context is a partition, whatever its class (the schema is a dMD, the
// configuration a configuration): each counted once, under the line of the one above it.
TEST(SambaAdPartitions, EachNamingContextIsAPartition) {
    REQUIRE_SERVER(environment, SambaAdServer);
    const TemporaryFolder work;
    const CounterRun run = RunCounter(environment->server()->AdminLogin(),
                                      {"--profile", "ad", "--kind", "partitions"}, work.Path());
    EXPECT_EQ(run.exitCode, 0) << run.standardError;
    std::map<std::string, std::int64_t> counts;
    for (const CounterLine& line : run.lines) {
        counts[line.fullName] += line.count;
    }
    EXPECT_EQ(counts["[Root]"], 1);
    EXPECT_EQ(counts["corp.example"], 3);
    EXPECT_EQ(counts["Configuration.corp.example"], 1);
    std::int64_t total = 0;
    for (const auto& [name, count] : counts) {
        total += count;
    }
    EXPECT_EQ(total, 5);
}

// A refused bind says what the server's sub-code means, beside the raw diagnostic.
TEST(SambaAdBind, AWrongPasswordIsSaidInWords) {
    REQUIRE_SERVER(environment, SambaAdServer);
    const TemporaryFolder work;
    LdapLogin login = environment->server()->AdminLogin();
    login.passwordFile = (work.Path() / "wrong.pw").string();
    ASSERT_TRUE(WritePasswordFile(login.passwordFile, "not the password"));
    const std::string log = (work.Path() / "count.err").string();
    EXPECT_EQ(RunProgram({VANTOR_COUNT, "-H", login.uri, "-D", login.bindDn, "-y",
                          login.passwordFile, "-q"},
                         log, 60),
              3);
    EXPECT_THAT(ReadTextFile(log), testing::AllOf(testing::HasSubstr("data 52e"),
                                                  testing::HasSubstr("(the password is wrong)")));
}

// The situations the counts above must hold in are really in the test directory.
TEST(SambaAdDirectory, HasNamingContextsLostObjectsAStoreObjectsBelowSettingsDeepUnitsAPersonPc) {
    REQUIRE_SERVER(environment, SambaAdServer);
    const LdapLogin login = environment->server()->AdminLogin();
    const TemporaryFolder work;
    const auto count = [&](const std::string& base, const std::string& scope,
                           const std::string& filter, const std::string& attribute) {
        return LdapsearchValues(login, base, scope, filter, attribute, work.Path()).size();
    };
    EXPECT_EQ(count("", "base", "(objectClass=*)", "namingContexts"), 5u);
    EXPECT_EQ(count("CN=LostAndFound,DC=corp,DC=example", "one", "(objectClass=*)", "dn"), 4u);
    EXPECT_EQ(count("CN=Billing Store,CN=Program Data,DC=corp,DC=example", "sub",
                    "(objectClass=group)", "dn"),
              2u);
    EXPECT_EQ(count(kLevel4, "sub", "(objectClass=user)", "dn"), 2u);
    EXPECT_EQ(count("CN=Directory Service,CN=Windows NT,CN=Services,CN=Configuration,DC=corp,"
                    "DC=example",
                    "sub", "(|(objectClass=user)(objectClass=group))", "dn"),
              3u);
    EXPECT_EQ(count("DC=corp,DC=example", "sub", "(&(objectClass=computer)(objectCategory=person))",
                    "dn"),
              1u);
}

}  // namespace
}  // namespace vantor::test
