// Opening a context against a real slapd (binds, password files, SASL, StartTLS, wrong
// credentials, unreachable servers) and what happens when the server goes away mid-run.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ldap.h>
#include <pthread.h>

#include <csignal>
#include <thread>

#include "directory/ldap/LdapErrors.h"
#include "directory/ldap/LdapTestSupport.h"

namespace vantor::test {
namespace {

using testing::AllOf;
using testing::HasSubstr;
using testing::Not;

std::string ConnectTree() {
    return "dn: o=acme\nobjectClass: organization\no: acme\n\n" + OuLdif("ou=QA,o=acme", "QA") +
           UsersLdif("ou=QA,o=acme", "qa", 30) +
           "dn: uid=alice,o=acme\nobjectClass: inetOrgPerson\nuid: alice\ncn: Alice\nsn: A\n"
           "userPassword: wonderland\n\n";
}

SlapdOptions LdapConnectServer() {
    SlapdOptions options;
    options.ldif = ConnectTree();
    options.ldapi = true;
    return options;
}

class LdapConnect : public SlapdSuite<LdapConnectServer> {
  protected:
    void SetUp() override { REQUIRE_SLAPD(server_); }
};

TEST_F(LdapConnect, AnonymousAndSimpleBindsOpenAContext) {
    LdapDirectory anonymous(SettingsFor(*server_));
    EXPECT_GE(anonymous.OpenContext(), 0) << anonymous.FailureCause();

    LdapSettings root = SettingsFor(*server_);
    root.bindDn = server_->RootDn();
    root.password = SlapdServer::kRootPassword;
    LdapDirectory admin(root);
    EXPECT_GE(admin.OpenContext(), 0) << admin.FailureCause();

    LdapSettings user = SettingsFor(*server_);
    user.bindDn = "uid=alice,o=acme";
    user.password = "wonderland";
    LdapDirectory alice(user);
    EXPECT_GE(alice.OpenContext(), 0) << alice.FailureCause();
}

TEST_F(LdapConnect, AWrongPasswordFailsWithTheCauseButNotThePassword) {
    LdapSettings settings = SettingsFor(*server_);
    settings.bindDn = "uid=alice,o=acme";
    settings.password = "looking-glass";
    LdapDirectory dir(settings);
    EXPECT_EQ(dir.OpenContext(), dirError::kCreateContextFailed);
    EXPECT_THAT(dir.FailureCause(),
                AllOf(HasSubstr("Invalid credentials"), HasSubstr(server_->Uri()),
                      HasSubstr("uid=alice,o=acme"), Not(HasSubstr("looking-glass"))));
    EXPECT_THAT(dir.Description(), Not(HasSubstr("looking-glass")));
}

TEST_F(LdapConnect, AnUnreachableServerFailsWithItsUri) {
    const ClosedPort closed;
    LdapSettings settings = SettingsFor(*server_);
    settings.uri = closed.Uri();
    LdapDirectory dir(settings);
    EXPECT_EQ(dir.OpenContext(), dirError::kCreateContextFailed);
    EXPECT_THAT(dir.FailureCause(), AllOf(HasSubstr("cannot reach the LDAP server " + settings.uri),
                                          HasSubstr("Can't contact LDAP server")));
}

TEST_F(LdapConnect, AMissingBaseFailsToOpen) {
    LdapSettings settings = SettingsFor(*server_);
    settings.base = "ou=Gone,o=acme";
    LdapDirectory dir(settings);
    EXPECT_EQ(dir.OpenContext(), dirError::kCreateContextFailed);
    EXPECT_THAT(dir.FailureCause(),
                AllOf(HasSubstr("ou=Gone,o=acme"), HasSubstr("No such object")));
}

TEST_F(LdapConnect, SaslExternalOverTheLocalSocket) {
    LdapSettings settings = SettingsFor(*server_);
    settings.uri = server_->LdapiUri();
    settings.saslMechanism = "EXTERNAL";
    LdapDirectory dir(settings);
    const DirContext context = dir.OpenContext();
    ASSERT_GE(context, 0) << dir.FailureCause();
    EXPECT_THAT(ListAll(dir, context, "[Root]").names, testing::ElementsAre("acme"));
}

TEST_F(LdapConnect, DescriptionNamesServerAndBaseOnly) {
    LdapSettings settings = SettingsFor(*server_);
    settings.uri = server_->Uri() + "/o=acme??one";
    settings.base = "o=acme";
    settings.bindDn = server_->RootDn();
    settings.password = SlapdServer::kRootPassword;
    EXPECT_EQ(LdapDirectory(settings).Description(), server_->Uri() + " (base o=acme)");
}

TEST_F(LdapConnect, ContextsAreIndependentAndCloseOnce) {
    LdapDirectory dir(SettingsFor(*server_));
    const DirContext first = dir.OpenContext();
    const DirContext second = dir.OpenContext();
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    EXPECT_NE(first, second);
    ASSERT_EQ(ListAll(dir, first, "[Root]").result, 0);
    EXPECT_EQ(ListAll(dir, second, "acme").result, dirError::kUnknownName);
    EXPECT_EQ(dir.CloseContext(first), 0);
    EXPECT_EQ(dir.CloseContext(first), ldapError::kUnknownContext);
    EXPECT_EQ(ListAll(dir, first, "[Root]").result, ldapError::kUnknownContext);
    std::uint32_t flags = 0;
    EXPECT_EQ(dir.ReadContextValue(second, kContextKeyFlags, flags), 0);
    EXPECT_EQ(dir.WriteContextValue(second, kContextKeyFlags, flags | kContextFlagTypelessNames),
              0);
    EXPECT_EQ(dir.ReadContextValue(second, kContextKeyFlags, flags), 0);
    EXPECT_EQ(flags, kContextFlagTypelessNames);
    EXPECT_EQ(dir.WriteContextValue(second, kContextKeyNameContext, ""), 0);
    EXPECT_EQ(dir.WriteContextValue(second, kContextKeyNameContext, "acme"),
              ldapError::kBadArgument);
}

// The server dies or stops answering in the middle of a search: the next call fails, promptly.
class LdapServerLoss : public testing::Test {
  protected:
    void SetUp() override {
        SlapdOptions options;
        options.ldif = ConnectTree();
        server_.Start(options);
        REQUIRE_SLAPD(server_);
        LdapSettings settings = SettingsFor(*server_);
        settings.operationTimeout = std::chrono::seconds(1);
        settings.networkTimeout = std::chrono::seconds(1);
        dir_ = std::make_unique<LdapDirectory>(settings);
        context_ = ListedContext(*dir_);
    }

    // A context of dir in which [Root] and acme are listed, as a run has them before it
    // searches QA.acme.
    static DirContext ListedContext(LdapDirectory& dir) {
        const DirContext context = dir.OpenContext();
        EXPECT_GE(context, 0) << dir.FailureCause();
        EXPECT_EQ(ListAll(dir, context, "[Root]").result, 0);
        EXPECT_EQ(ListAll(dir, context, "acme").result, 0);
        return context;
    }

    ServerHolder server_;
    std::unique_ptr<LdapDirectory> dir_;
    DirContext context_ = -1;
};

TEST_F(LdapServerLoss, AKilledServerEndsTheSearchWithAnError) {
    LdapSettings settings = SettingsFor(*server_);
    settings.wholeSubtrees = false;  // page by page, so the kill falls between two pages
    dir_ = std::make_unique<LdapDirectory>(settings);
    context_ = dir_->OpenContext();
    ASSERT_EQ(ListAll(*dir_, context_, "[Root]").result, 0);
    ASSERT_EQ(ListAll(*dir_, context_, "acme").result, 0);
    SearchCursor search(*dir_, context_, "QA.acme", "User");
    std::uint32_t n = 0;
    ASSERT_EQ(search.Next(n), 0);
    ASSERT_NE(search.Handle(), kNoIteration);
    server_->Kill();
    EXPECT_EQ(search.Next(n), ldapError::kClientBase + LDAP_SERVER_DOWN);
    EXPECT_EQ(search.Handle(), kNoIteration);
    EXPECT_THAT(dir_->FailureCause(), HasSubstr("Can't contact LDAP server"));
    // QA's listing was read with its search; a new search needs the server.
    SearchCursor again(*dir_, context_, "QA.acme", "User");
    EXPECT_LT(again.Next(n), 0);
}

// Once a reconnect failed, requests fail at once, saying when the next attempt is due, instead
// of trying the server again for each of them.
TEST_F(LdapServerLoss, AKilledServerIsNotFloodedWithReconnects) {
    server_->Kill();
    int attempts = 0;
    int failures = 0;
    for (int i = 0; i < 500; ++i) {
        failures += SearchAll(*dir_, context_, "QA.acme", "User").result < 0 ? 1 : 0;
        const std::string cause = dir_->FailureCause();
        attempts += cause.find("reconnecting failed: cannot reach") != std::string::npos &&
                            cause.find("reconnecting is tried again") == std::string::npos
                        ? 1
                        : 0;
    }
    EXPECT_EQ(failures, 500);
    EXPECT_EQ(attempts, 1);
    EXPECT_THAT(dir_->FailureCause(),
                AllOf(HasSubstr("not sent: the connection to " + server_->Uri() + " was lost"),
                      HasSubstr("reconnecting is tried again in 1 s")));
}

// A cancel request (Ctrl-C) ends a request that waits for a silent server at once, not after
// the timeout; the connection is not taken for lost.
TEST_F(LdapServerLoss, ACancelEndsTheWaitForASilentServerAtOnce) {
    LdapSettings settings = SettingsFor(*server_);
    settings.operationTimeout = std::chrono::seconds(30);
    const auto start = std::chrono::steady_clock::now();
    settings.hooks.cancelled = [&] {
        return std::chrono::steady_clock::now() - start > std::chrono::milliseconds(300);
    };
    LdapDirectory dir(settings);
    const DirContext context = ListedContext(dir);
    ASSERT_GE(context, 0);
    server_->Pause();
    const Search stalled = SearchAll(dir, context, "QA.acme", "User");
    const auto waited = std::chrono::steady_clock::now() - start;
    server_->Resume();
    EXPECT_EQ(stalled.result, ldapError::kClientBase + LDAP_USER_CANCELLED);
    EXPECT_LT(waited, std::chrono::seconds(3));
}

volatile std::sig_atomic_t g_signalled = 0;

extern "C" void OnTestSignal(int) {
    g_signalled = 1;
}

// Ctrl-C reaches a wait as a signal: the wait must go on to ask the cancel hook, not take the
// interrupted poll for a broken connection.
TEST_F(LdapServerLoss, ASignalDuringAWaitCancelsItInsteadOfLosingTheConnection) {
    struct sigaction action {};
    action.sa_handler = OnTestSignal;  // no SA_RESTART, as the counter's own handler
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);
    g_signalled = 0;
    LdapSettings settings = SettingsFor(*server_);
    settings.operationTimeout = std::chrono::seconds(30);
    settings.hooks.cancelled = [] { return g_signalled != 0; };
    LdapDirectory dir(settings);
    const DirContext context = ListedContext(dir);
    ASSERT_GE(context, 0);
    server_->Pause();
    std::thread interrupter([waiting = pthread_self()] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        pthread_kill(waiting, SIGUSR1);
    });
    const Search stalled = SearchAll(dir, context, "QA.acme", "User");
    interrupter.join();
    server_->Resume();
    sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_EQ(stalled.result, ldapError::kClientBase + LDAP_USER_CANCELLED) << dir.FailureCause();
}

TEST_F(LdapServerLoss, AServerThatDoesNotAnswerTheBindFailsToOpen) {
    server_->Pause();
    LdapSettings settings = SettingsFor(*server_);
    settings.operationTimeout = std::chrono::seconds(1);
    LdapDirectory dir(settings);
    const int result = dir.OpenContext();
    server_->Resume();
    EXPECT_EQ(result, dirError::kCreateContextFailed);
    EXPECT_THAT(dir.FailureCause(), HasSubstr("cannot reach the LDAP server " + server_->Uri()));
}

TEST_F(LdapServerLoss, AServerThatStopsAnsweringTimesOut) {
    server_->Pause();
    const Search stalled = SearchAll(*dir_, context_, "QA.acme", "User");
    server_->Resume();
    EXPECT_EQ(stalled.result, ldapError::kClientBase + LDAP_TIMEOUT);
    EXPECT_THAT(dir_->FailureCause(), HasSubstr("Timed out"));
}

}  // namespace
}  // namespace vantor::test
