// With no URI and no base in the settings, libldap's client configuration decides, as it does
// for the OpenLDAP tools. The environment is read once per process, at libldap's first use, so
// this test has a program of its own and sets LDAPURI and LDAPBASE before that first use.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "directory/ldap/LdapTestSupport.h"

namespace vantor::test {
namespace {

TEST(LdapClientConfiguration, NoUriOrBaseMeansTheConfiguredOnes) {
    if (const std::string why = SlapdServer::Unavailable(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    SlapdOptions options;
    options.ldif = "dn: o=acme\nobjectClass: organization\no: acme\n\n" +
                   OuLdif("ou=QA,o=acme", "QA") + OuLdif("ou=Lab,ou=QA,o=acme", "Lab");
    ServerHolder server;
    server.Start(options);
    ASSERT_TRUE(server.Ready()) << server.Error();

    unsetenv("LDAPNOINIT");
    setenv("LDAPURI", server->Uri().c_str(), 1);
    setenv("LDAPBASE", "ou=QA,o=acme", 1);

    LdapSettings settings;
    settings.networkTimeout = std::chrono::seconds(5);
    settings.operationTimeout = std::chrono::seconds(10);
    LdapDirectory dir(settings);
    EXPECT_EQ(dir.Description(), server->Uri() + " (base ou=QA,o=acme)");
    const DirContext context = dir.OpenContext();
    ASSERT_GE(context, 0) << dir.FailureCause();
    EXPECT_THAT(ListAll(dir, context, "[Root]").names, testing::ElementsAre("QA.acme"));
    EXPECT_THAT(ListAll(dir, context, "QA.acme").names, testing::ElementsAre("Lab"));
}

}  // namespace
}  // namespace vantor::test
