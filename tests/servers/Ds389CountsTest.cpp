// The command-line counter against a private 389 Directory Server holding the 389 test directory:
// every line it shows counts what ldapsearch finds directly in that container, for users and
// groups, bound as Directory Manager and anonymously (past the anonymous size limit of 2,000 by
// paging), and every container that today's walk reaches is a line. Deleted entries (tombstones)
// and cn=config are never counted.

#include <gtest/gtest.h>

#include "servers/ContainerCounts.h"
#include "servers/ServerEnvironment.h"
#include "support/Ds389Server.h"
#include "support/TestFiles.h"

namespace vantor::test {
namespace {

const auto* const environment =
    ServerEnvironment<Ds389Server>::Register({std::string(VANTOR_SERVER_DATA) + "/ds389.ldif"});

// Not reached yet by the walk: the sub-suffixes, which 389 publishes only in the root entry's
// nsBackendSuffix.
const std::vector<std::string> kSubSuffixes = {"ou=Branch,dc=corp,dc=example",
                                               "ou=Deep,ou=Unit07,ou=Region,dc=corp,dc=example"};

class Ds389Counts : public testing::TestWithParam<std::tuple<const char*, bool>> {};

TEST_P(Ds389Counts, EachLineCountsWhatLdapsearchFindsInItsContainer) {
    REQUIRE_SERVER(environment, Ds389Server);
    const auto [kind, anonymous] = GetParam();
    const Ds389Server& server = *environment->server();
    ExpectCountsAgreeWithLdapsearch(anonymous ? server.AnonymousLogin() : server.RootLogin(),
                                    GenericProfile(), kind, 0, kSubSuffixes);
}

INSTANTIATE_TEST_SUITE_P(KindsAndBinds, Ds389Counts,
                         testing::Combine(testing::Values("users", "groups"), testing::Bool()),
                         [](const testing::TestParamInfo<std::tuple<const char*, bool>>& param) {
                             return std::string(std::get<0>(param.param)) +
                                    (std::get<1>(param.param) ? "Anonymously"
                                                              : "AsDirectoryManager");
                         });

// The situations the counts above must hold in are really in the test directory.
TEST(Ds389Directory, HasTombstonesSubSuffixesAndMoreUsersThanTheAnonymousLimit) {
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
}

}  // namespace
}  // namespace vantor::test
