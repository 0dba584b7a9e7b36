#include <gtest/gtest.h>

#include "directory/ldap/LdapFlags.h"

namespace vantor {
namespace {

using Args = std::vector<std::string>;

TEST(LdapFlags, AppliesEveryFlagAndLeavesTheRestInOrder) {
    LdapSettings settings;
    const LdapFlagResult result = ApplyLdapFlags({"--by-container",
                                                  "-H",
                                                  "ldap://dir.example:3389",
                                                  "-b",
                                                  "o=acme",
                                                  "-D",
                                                  "cn=admin,o=acme",
                                                  "-y",
                                                  "/run/pw",
                                                  "-x",
                                                  "-ZZ",
                                                  "--profile",
                                                  "edirectory",
                                                  "users",
                                                  "--page-size",
                                                  "250",
                                                  "--timeout",
                                                  "7",
                                                  "--network-timeout",
                                                  "3"},
                                                 settings);
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.rest, (Args{"--by-container", "users"}));
    EXPECT_EQ(settings.uri, "ldap://dir.example:3389");
    EXPECT_EQ(settings.base, "o=acme");
    EXPECT_EQ(settings.bindDn, "cn=admin,o=acme");
    EXPECT_EQ(result.passwordFile, "/run/pw");
    EXPECT_EQ(settings.password, "");
    EXPECT_EQ(settings.startTls, 2);
    EXPECT_EQ(settings.profile, "edirectory");
    EXPECT_EQ(settings.pageSize, 250);
    EXPECT_EQ(settings.operationTimeout, std::chrono::seconds(7));
    EXPECT_EQ(settings.networkTimeout, std::chrono::seconds(3));
}

TEST(LdapFlags, TakesAttachedValues) {
    LdapSettings settings;
    const LdapFlagResult result =
        ApplyLdapFlags({"-Hldaps://dir.example", "-bou=Dev,o=acme", "--profile=ad",
                        "-Dadmin@acme.example", "-wsecret", "--page-size=40"},
                       settings);
    ASSERT_EQ(result.error, "");
    EXPECT_TRUE(result.rest.empty());
    EXPECT_EQ(settings.uri, "ldaps://dir.example");
    EXPECT_EQ(settings.base, "ou=Dev,o=acme");
    EXPECT_EQ(settings.profile, "ad");
    EXPECT_EQ(settings.bindDn, "admin@acme.example");  // a bind name need not be a DN
    EXPECT_EQ(settings.password, "secret");
    EXPECT_EQ(settings.pageSize, 40);
}

TEST(LdapFlags, CountsStartTlsLevels) {
    for (const auto& [args, level] :
         std::vector<std::pair<Args, int>>{{{}, 0}, {{"-Z"}, 1}, {{"-Z", "-Z"}, 2}, {{"-ZZ"}, 2}}) {
        LdapSettings settings;
        EXPECT_EQ(ApplyLdapFlags(args, settings).error, "");
        EXPECT_EQ(settings.startTls, level) << testing::PrintToString(args);
    }
}

TEST(LdapFlags, SaslMechanismWithIdentity) {
    LdapSettings settings;
    const LdapFlagResult result =
        ApplyLdapFlags({"-Y", "DIGEST-MD5", "-U", "alice", "-y", "pw.txt"}, settings);
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(settings.saslMechanism, "DIGEST-MD5");
    EXPECT_EQ(settings.saslAuthcid, "alice");
    EXPECT_EQ(result.passwordFile, "pw.txt");  // SASL needs no bind DN
}

TEST(LdapFlags, MinusWAsksForThePasswordWithoutTakingOne) {
    LdapSettings settings;
    const LdapFlagResult result = ApplyLdapFlags({"-W", "-D", "cn=admin,o=acme"}, settings);
    ASSERT_EQ(result.error, "");
    EXPECT_TRUE(result.askPassword);
    EXPECT_EQ(settings.password, "");
    EXPECT_FALSE(ApplyLdapFlags({"-D", "cn=admin,o=acme"}, settings).askPassword);
}

struct BadFlags {
    Args args;
    std::string error;
};

class LdapFlagErrors : public testing::TestWithParam<BadFlags> {};

TEST_P(LdapFlagErrors, NamesTheFlagAtFault) {
    LdapSettings settings;
    EXPECT_EQ(ApplyLdapFlags(GetParam().args, settings).error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, LdapFlagErrors,
    testing::Values(
        BadFlags{{"-H"}, "option -H needs a URI"},
        BadFlags{{"-b", "o=x", "-D"}, "option -D needs a bind DN"},
        BadFlags{{"-H", "http://dir.example"},
                 "option -H: \"http://dir.example\" is not an LDAP URI (ldap://host:port, "
                 "ldaps://... or ldapi://...)"},
        BadFlags{{"-H", "ldap://a", "-H", "ldap://b"}, "option -H is given more than once"},
        BadFlags{{"-b", "not a dn"}, "option -b: \"not a dn\" is not a distinguished name"},
        BadFlags{{"-x", "-Y", "EXTERNAL"}, "options -x and -Y exclude each other"},
        BadFlags{{"-U", "alice"}, "option -U needs a SASL mechanism (-Y)"},
        BadFlags{{"-D", "cn=a", "-w", "pw", "-y", "file"},
                 "give the password only once: -w, -W or -y"},
        BadFlags{{"-w", "pw"}, "a password needs a bind DN (-D)"},
        BadFlags{{"-Z", "-Z", "-Z"}, "option -Z: give -Z or -ZZ, at most twice"},
        BadFlags{{"-ZZ", "-Z"}, "option -Z: give -Z or -ZZ, at most twice"},
        BadFlags{{"--profile", "nds"},
                 "option --profile: unknown profile \"nds\" (auto, edirectory, generic or ad)"},
        BadFlags{{"--page-size", "0"},
                 "option --page-size: \"0\" is not a whole number from 1 to 1000000"},
        BadFlags{{"--timeout=5s"},
                 "option --timeout: \"5s\" is not a whole number from 1 to 86400"}));

}  // namespace
}  // namespace vantor
