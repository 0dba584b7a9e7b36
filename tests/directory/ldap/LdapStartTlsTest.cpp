// StartTLS against a slapd with a certificate made at test time. Which certificates a client
// trusts is libldap's configuration; the tests set it the way ldap.conf's TLS_CACERT would.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ldap.h>

#include "directory/ldap/LdapTestSupport.h"

namespace vantor::test {
namespace {

using testing::HasSubstr;

void TrustCertificate(const char* caFile) {
    ldap_set_option(nullptr, LDAP_OPT_X_TLS_CACERTFILE, caFile);
    const int isServer = 0;
    ldap_set_option(nullptr, LDAP_OPT_X_TLS_NEWCTX, &isServer);
}

class LdapStartTls : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (OpensslProgram().empty()) {
            return;
        }
        SlapdOptions options;
        options.ldif = "dn: o=acme\nobjectClass: organization\no: acme\n\n";
        options.tls = true;
        server_.Start(options);
    }
    static void TearDownTestSuite() { server_.Stop(); }

    void SetUp() override {
        if (OpensslProgram().empty()) {
            GTEST_SKIP() << "openssl is not installed, so there is no test certificate";
        }
        REQUIRE_SLAPD(server_);
    }
    void TearDown() override { TrustCertificate(nullptr); }

    static LdapSettings WithStartTls(int level) {
        LdapSettings settings = SettingsFor(*server_);
        settings.startTls = level;
        return settings;
    }

    static ServerHolder server_;
};

ServerHolder LdapStartTls::server_;

TEST_F(LdapStartTls, RequiredStartTlsWithATrustedCertificate) {
    TrustCertificate(server_->CaCertificate().c_str());
    LdapDirectory dir(WithStartTls(2));
    const DirContext context = dir.OpenContext();
    ASSERT_GE(context, 0) << dir.FailureCause();
    EXPECT_THAT(ListAll(dir, context, "[Root]").names, testing::ElementsAre("acme"));
}

TEST_F(LdapStartTls, RequiredStartTlsRefusesAnUntrustedCertificate) {
    TrustCertificate(nullptr);
    LdapDirectory dir(WithStartTls(2));
    EXPECT_EQ(dir.OpenContext(), dirError::kCreateContextFailed);
    EXPECT_THAT(dir.FailureCause(), HasSubstr("StartTLS with " + server_->Uri() + " failed"));
}

// ldapsearch -Z goes on without TLS only where the server does not offer it: a certificate that
// is not trusted ends the connection as with -ZZ.
TEST_F(LdapStartTls, TriedStartTlsRefusesAnUntrustedCertificateToo) {
    TrustCertificate(nullptr);
    LdapSettings settings = WithStartTls(1);
    std::vector<std::string> notices;
    settings.hooks.notice = [&](const std::string& notice) { notices.push_back(notice); };
    LdapDirectory dir(settings);
    EXPECT_EQ(dir.OpenContext(), dirError::kCreateContextFailed);
    EXPECT_THAT(dir.FailureCause(), HasSubstr("StartTLS with " + server_->Uri() + " failed"));
    EXPECT_THAT(dir.FailureCause(), HasSubstr("certificate"));
    EXPECT_THAT(notices, testing::IsEmpty());
}

TEST(LdapStartTlsWithoutCertificate, TriedStartTlsGoesOnWithoutItAndSaysSoRequiredRefuses) {
    if (const std::string why = SlapdServer::Unavailable(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    SlapdOptions options;
    options.ldif = "dn: o=acme\nobjectClass: organization\no: acme\n\n";
    ServerHolder server;
    server.Start(options);
    ASSERT_TRUE(server.Ready()) << server.Error();

    LdapSettings settings = SettingsFor(*server);
    settings.startTls = 1;
    std::vector<std::string> notices;
    settings.hooks.notice = [&](const std::string& notice) { notices.push_back(notice); };
    LdapDirectory tried(settings);
    const DirContext context = tried.OpenContext();
    ASSERT_GE(context, 0) << tried.FailureCause();
    EXPECT_THAT(ListAll(tried, context, "[Root]").names, testing::ElementsAre("acme"));
    ASSERT_THAT(notices, testing::SizeIs(1));
    EXPECT_THAT(notices[0], HasSubstr(server->Uri() + " does not offer StartTLS"));

    settings.startTls = 2;
    LdapDirectory required(settings);
    EXPECT_EQ(required.OpenContext(), dirError::kCreateContextFailed);
    EXPECT_THAT(required.FailureCause(), HasSubstr("the server does not offer it"));
    EXPECT_THAT(notices, testing::SizeIs(1));
}

}  // namespace
}  // namespace vantor::test
