// The command-line counter against a private 389 Directory Server holding the 389 test directory:
// every line it shows counts what ldapsearch finds directly in that container, for users and
// groups (and with --kind all, as each kind's own run), bound as Directory Manager and anonymously
// (past the anonymous size limit of 2,000 by paging), and every container that today's walk reaches
// is a line. Deleted entries (tombstones) and cn=config are never counted.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "servers/ContainerCounts.h"
#include "servers/ServerEnvironment.h"
#include "support/Ds389Server.h"
#include "support/TestFiles.h"

namespace vantor::test {
namespace {

const auto* const environment =
    ServerEnvironment<Ds389Server>::Register({std::string(VANTOR_SERVER_DATA) + "/ds389.ldif"});

// Whole-subtree reads, and container by container in small pages (where 389 ends a paged
// listing that reaches a sub-suffix with noSuchObject).
const std::vector<std::vector<std::string>> kWays = {{}, {"--per-container", "--page-size", "7"}};

class Ds389Counts : public testing::TestWithParam<std::tuple<const char*, bool, std::size_t>> {};

TEST_P(Ds389Counts, EachLineCountsWhatLdapsearchFindsInItsContainer) {
    REQUIRE_SERVER(environment, Ds389Server);
    const auto [kind, anonymous, way] = GetParam();
    const Ds389Server& server = *environment->server();
    const LdapLogin login = anonymous ? server.AnonymousLogin() : server.RootLogin();
    if (std::string(kind) == "all") {
        // 389 holds no servers of the generic profile's class.
        ExpectEveryKindAsEachKindAlone(login, GenericProfile(), kWays.at(way), {"servers"});
    } else {
        ExpectCountsAgreeWithLdapsearch(login, GenericProfile(), kind, kWays.at(way));
    }
}

INSTANTIATE_TEST_SUITE_P(
    KindsBindsAndWays, Ds389Counts,
    testing::Combine(testing::Values("users", "groups", "all"), testing::Bool(),
                     testing::Values(0u, 1u)),
    [](const testing::TestParamInfo<std::tuple<const char*, bool, std::size_t>>& param) {
        return std::string(std::get<0>(param.param)) +
               (std::get<1>(param.param) ? "Anonymously" : "AsDirectoryManager") +
               (std::get<2>(param.param) == 0 ? "" : "PerContainer");
    });

// A server size limit at or below the page size: the pages shrink until they pass it. 389's
// limit holds for every client, Directory Manager aside.
TEST(Ds389SizeLimit, PagesBelowTheServersLimitCountEverything) {
    REQUIRE_SERVER(environment, Ds389Server);
    const Ds389Server& server = *environment->server();
    const TemporaryFolder work;
    const std::string data = VANTOR_SERVER_DATA;
    ASSERT_EQ(ApplyLdif(server.RootLogin(), data + "/ds389-sizelimit-500.ldif",
                        (work.Path() / "l").string()),
              "");
    for (const std::vector<std::string>& way :
         {std::vector<std::string>{}, {"--per-container"}, {"--page-size", "2000"}}) {
        ExpectCountsAgreeWithLdapsearch(server.AnonymousLogin(), GenericProfile(), "users", way);
    }
    EXPECT_EQ(ApplyLdif(server.RootLogin(), data + "/ds389-sizelimit-2000.ldif",
                        (work.Path() / "l").string()),
              "");
}

// 389 has no partition class: its suffixes, sub-suffixes too, are the partitions, each a line.
TEST(Ds389Partitions, EachSuffixIsAPartition) {
    REQUIRE_SERVER(environment, Ds389Server);
    const TemporaryFolder work;
    for (const bool perContainer : {false, true}) {
        std::vector<std::string> arguments = {"--kind", "partitions"};
        if (perContainer) {
            arguments.emplace_back("--per-container");
        }
        const CounterRun run =
            RunCounter(environment->server()->AnonymousLogin(), arguments, work.Path());
        EXPECT_EQ(run.exitCode, 0) << run.standardError;
        std::vector<std::pair<std::string, std::int64_t>> lines;
        for (const CounterLine& line : run.lines) {
            lines.emplace_back(line.fullName, line.count);
        }
        EXPECT_THAT(lines, testing::ElementsAre(testing::Pair("[Root]", 1),
                                                testing::Pair("corp.example", 2),
                                                testing::Pair("Deep.Unit07.Region.corp.example", 0),
                                                testing::Pair("Branch.corp.example", 0)))
            << perContainer;
    }
}

// The situations the counts above must hold in are really in the test directory.
TEST(Ds389Directory, HasTombstonesSubSuffixesUsersBelowADeviceAndMoreThanTheLimit) {
    REQUIRE_SERVER(environment, Ds389Server);
    const Ds389Server& server = *environment->server();
    const TemporaryFolder work;
    EXPECT_GE(LdapsearchValues(server.RootLogin(), "dc=corp,dc=example", "sub",
                               "(objectClass=nsTombstone)", "dn", work.Path())
                  .size(),
              9u);
    EXPECT_EQ(LdapsearchValues(server.RootLogin(), "", "base", "(objectClass=*)", "nsBackendSuffix",
                               work.Path())
                  .size(),
              3u);
    EXPECT_GT(LdapsearchValues(server.AnonymousLogin(), "ou=People,dc=corp,dc=example", "one",
                               "(objectClass=inetOrgPerson)", "dn", work.Path())
                  .size(),
              2000u);
    EXPECT_EQ(LdapsearchValues(server.AnonymousLogin(), "cn=Kiosk,ou=Region,dc=corp,dc=example",
                               "sub", "(objectClass=inetOrgPerson)", "dn", work.Path())
                  .size(),
              4u);
}

}  // namespace
}  // namespace vantor::test
