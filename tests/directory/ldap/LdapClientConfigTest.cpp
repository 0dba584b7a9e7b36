// With no URI and no base in the settings, libldap's client configuration decides, as it does
// for the OpenLDAP tools. The environment is read once per process, at libldap's first use, so
// this test has a program of its own and sets LDAPURI and LDAPBASE before that first use.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "directory/ldap/LdapFlags.h"
#include "directory/ldap/LdapUris.h"

#include "directory/ldap/LdapTestSupport.h"
#include "support/TestFiles.h"

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

// BINDDN is read from the user's files in libldap's order, LDAPBINDDN over them all, and goes
// into the settings when -D is not given.
TEST(LdapClientConfiguration, BindDnFromTheUsersFilesAndEnvironment) {
    const TemporaryFolder home;
    const auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(home.Path() / name) << text;
    };
    setenv("HOME", home.Path().c_str(), 1);
    unsetenv("LDAPNOINIT");
    unsetenv("LDAPRC");
    unsetenv("LDAPBINDDN");
    EXPECT_EQ(ConfiguredBindDn(), "");
    write("ldaprc", "BINDDN cn=plain,o=acme\n");
    EXPECT_EQ(ConfiguredBindDn(), "cn=plain,o=acme");
    write(".ldaprc", "# BINDDN cn=comment\nURI ldap://127.0.0.1/\n  binddn\tcn=dotted,o=acme  \n");
    EXPECT_EQ(ConfiguredBindDn(), "cn=dotted,o=acme");
    write(".myrc", "BINDDNX cn=not,o=acme\nBINDDN cn=named,o=acme\n");
    setenv("LDAPRC", "myrc", 1);
    EXPECT_EQ(ConfiguredBindDn(), "cn=named,o=acme");

    LdapSettings settings;
    EXPECT_EQ(ApplyLdapFlags({"-H", "ldap://127.0.0.1/", "-w", "secret"}, settings).error, "");
    EXPECT_EQ(settings.bindDn, "cn=named,o=acme");
    LdapSettings given;
    ApplyLdapFlags({"-D", "cn=given", "-w", "secret"}, given);
    EXPECT_EQ(given.bindDn, "cn=given");

    setenv("LDAPBINDDN", "cn=environment,o=acme", 1);
    EXPECT_EQ(ConfiguredBindDn(), "cn=environment,o=acme");
    setenv("LDAPNOINIT", "1", 1);
    EXPECT_EQ(ConfiguredBindDn(), "");
}

}  // namespace
}  // namespace vantor::test
