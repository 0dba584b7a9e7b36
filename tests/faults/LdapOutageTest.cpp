// The LDAP server fails in the middle of a counting run (killed, or stopped so that it no
// longer answers), or answers nothing from the start. The run must end within its timeouts,
// keep what it counted, put the failures as error lines under the nodes they hit, and a run
// after the server is back must count everything again.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ldap.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "directory/ldap/LdapErrors.h"
#include "directory/ldap/LdapTestSupport.h"
#include "faults/RestartedSlapd.h"
#include "faults/RunProbe.h"
#include "faults/SilentServer.h"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;
using testing::AllOf;
using testing::Each;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::SizeIs;
using testing::StartsWith;

// Far above what the timeouts allow for (a few calls of at most kTimeout each); reaching it
// means the run waited for a server that was never going to answer.
constexpr auto kNoHang = 15s;
constexpr auto kTimeout = 1s;

// Users directly under each container, by the full name the engine composes. The tree is
// acme / Dev.acme / QA.Dev.acme and acme / Ops.acme, so a run by container shows [Root],
// acme, Dev.acme, Ops.acme and QA.Dev.acme in that order.
const std::map<std::string, int>& UsersByContainer() {
    static const std::map<std::string, int> users = {
        {"acme", 1}, {"Dev.acme", 3}, {"QA.Dev.acme", 2}, {"Ops.acme", 4}};
    return users;
}

std::string AcmeLdif() {
    const auto& users = UsersByContainer();
    return "dn: o=acme\nobjectClass: organization\no: acme\n\n" +
           UsersLdif("o=acme", "boss", users.at("acme")) + OuLdif("ou=Dev,o=acme", "Dev") +
           UsersLdif("ou=Dev,o=acme", "dev", users.at("Dev.acme")) +
           OuLdif("ou=QA,ou=Dev,o=acme", "QA") +
           UsersLdif("ou=QA,ou=Dev,o=acme", "qa", users.at("QA.Dev.acme")) +
           OuLdif("ou=Ops,o=acme", "Ops") + UsersLdif("ou=Ops,o=acme", "ops", users.at("Ops.acme"));
}

int TotalUsers() {
    int total = 0;
    for (const auto& [name, users] : UsersByContainer()) {
        total += users;
    }
    return total;
}

std::string ResultText(const std::string& name, int count) {
    return name + " " + std::to_string(count);
}

// The result line that shows a container: its own name (the first part of the full name).
std::string OwnName(const std::string& fullName) {
    return fullName.substr(0, fullName.find('.'));
}

// Whether a connection accepted by the kernel for the server listening on `port` holds bytes the
// (stopped) server has not read, as /proc/net/tcp shows them. Polls for at most ten seconds.
bool AwaitUnreadRequest(int port) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream table("/proc/net/tcp");
        std::string line;
        std::getline(table, line);  // the column titles
        while (std::getline(table, line)) {
            unsigned slot = 0;
            unsigned localAddress = 0;
            unsigned localPort = 0;
            unsigned state = 0;
            unsigned long sendQueue = 0;
            unsigned long receiveQueue = 0;
            if (std::sscanf(line.c_str(), " %u: %x:%x %*x:%*x %x %lx:%lx", &slot, &localAddress,
                            &localPort, &state, &sendQueue, &receiveQueue) == 6 &&
                static_cast<int>(localPort) == port && state == 1 /* established */ &&
                receiveQueue > 0) {
                return true;
            }
        }
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

// Run with whole-subtree reads (the default) and container by container (the path taken where a
// server refuses them), each failing where it asks the server: a partition's subtree is read
// when its top is counted, a container's objects when it is.
class LdapOutage : public testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        SlapdOptions options;
        options.ldif = AcmeLdif();
        server_.Start(options);
        REQUIRE_SLAPD(server_);
        LdapSettings settings = SettingsFor(*server_, 2);
        settings.operationTimeout = kTimeout;
        settings.networkTimeout = kTimeout;
        settings.wholeSubtrees = GetParam();
        dir_ = std::make_unique<LdapDirectory>(settings);
    }

    // The last node shown before the server fails: with whole-subtree reads acme's own read
    // fails, container by container the requests after perContainer do.
    static std::string LastBeforeLoss(const std::string& perContainer) {
        return GetParam() ? "[Root]" : perContainer;
    }

    // A whole run that nothing disturbs: every container with its users, no error line.
    void ExpectCompleteCount() {
        CCountTreeCtrl tree;
        RecordingHost host;
        ASSERT_EQ(RunCount(*dir_, tree, host, true), CountRunOutcome::kFinished);
        EXPECT_THAT(host.failures, IsEmpty());
        ASSERT_EQ(host.shownNames.size(), UsersByContainer().size() + 1);
        for (const auto& [name, users] : UsersByContainer()) {
            const HTREEITEM line = FindLine(tree, ResultText(OwnName(name), users));
            ASSERT_NE(line, 0u) << name;
            EXPECT_EQ(tree.Data(line), users) << name;
            EXPECT_THAT(ErrorLinesUnder(tree, line), IsEmpty()) << name;
        }
        EXPECT_EQ(host.totals.back(), TotalUsers());
    }

    // After a run in which the server went away once node `last` was shown: every node shown
    // up to it kept its count, every later one shows 0 with error lines of its own, and the
    // grand total is what was counted before.
    void ExpectCountedUntil(const CCountTreeCtrl& tree, const RecordingHost& host,
                            const std::string& last, int errorCode) {
        bool lost = false;
        int counted = 0;
        for (const std::string& name : host.shownNames) {
            if (name == "[Root]") {
                lost = name == last;
                continue;
            }
            const int users = lost ? 0 : UsersByContainer().at(name);
            const HTREEITEM line = FindLine(tree, ResultText(OwnName(name), users));
            ASSERT_NE(line, 0u) << name << " should show " << users;
            const std::vector<std::string> errors = ErrorLinesUnder(tree, line);
            if (lost) {
                // The search and the listing both fail, each naming the container.
                EXPECT_THAT(errors, SizeIs(2)) << name;
                EXPECT_THAT(errors, Each(AllOf(StartsWith("-"), testing::EndsWith(":" + name))));
                EXPECT_THAT(errors.front(), StartsWith(std::to_string(errorCode) + ":"));
            } else {
                EXPECT_THAT(errors, IsEmpty()) << name;
                counted += users;
            }
            lost = lost || name == last;
        }
        EXPECT_TRUE(lost) << last << " was never shown";
        EXPECT_EQ(host.totals.back(), counted);
    }

    ServerHolder server_;
    std::unique_ptr<LdapDirectory> dir_;
};

TEST_P(LdapOutage, AServerKilledMidRunLeavesErrorLinesAndCountsAgainOnceRestarted) {
    ASSERT_NO_FATAL_FAILURE(ExpectCompleteCount());

    CCountTreeCtrl tree;
    RecordingHost host;
    const std::string last = LastBeforeLoss("acme");
    host.afterNodeShown = [&](const CCountNode& node) {
        if (std::string(node.fullName) == last) {
            server_->Kill();
        }
    };
    const TimedRun run = RunTimed(*dir_, tree, host, true);
    EXPECT_EQ(run.outcome, CountRunOutcome::kFinished);
    EXPECT_LT(run.elapsed, kNoHang);
    EXPECT_THAT(host.failures, IsEmpty()) << "a failure during the run is no message box";
    // Container by container acme's listing came before the kill, so its two containers are
    // still shown; QA.Dev.acme is never listed. With a subtree read acme's own read failed.
    EXPECT_THAT(host.shownNames, SizeIs(GetParam() ? 2 : 4));
    ExpectCountedUntil(tree, host, last, ldapError::kClientBase + LDAP_SERVER_DOWN);
    EXPECT_EQ(FindLine(tree, kCancelledLine), 0u);

    const RestartedSlapd restarted(*server_);
    ASSERT_TRUE(restarted.Running()) << restarted.Error();
    ExpectCompleteCount();
}

TEST_P(LdapOutage, AServerThatStopsAnsweringMidRunTimesOutNodeByNodeAndCountsOnceBack) {
    CCountTreeCtrl tree;
    RecordingHost host;
    const std::string last = LastBeforeLoss("Dev.acme");
    host.afterNodeShown = [&](const CCountNode& node) {
        if (std::string(node.fullName) == last) {
            server_->Pause();
        }
    };
    const TimedRun run = RunTimed(*dir_, tree, host, true);
    server_->Resume();
    EXPECT_EQ(run.outcome, CountRunOutcome::kFinished);
    EXPECT_LT(run.elapsed, kNoHang);
    EXPECT_THAT(host.failures, IsEmpty());
    // Container by container Dev.acme was listed before the pause, so QA.Dev.acme is shown
    // too, with Ops.acme. With a subtree read acme's own read timed out.
    EXPECT_THAT(host.shownNames, SizeIs(GetParam() ? 2 : 5));
    ExpectCountedUntil(tree, host, last, ldapError::kClientBase + LDAP_TIMEOUT);

    ExpectCompleteCount();
}

INSTANTIATE_TEST_SUITE_P(WholeSubtreesOrNot, LdapOutage, testing::Bool());

// The server stops answering once a hundred containers are queued, container by container: the
// first request waits its timeout, one reconnect waits another, and every container after that
// fails at once, each still a line with its error lines and their cause. (With whole-subtree
// reads the hundred were counted from acme's read before the server stopped.)
TEST(StoppedLdapServer, AHundredQueuedContainersEndWithinAFewTimeoutsEachListed) {
    if (const std::string why = SlapdServer::Unavailable(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    constexpr int kUnits = 100;
    SlapdOptions options;
    options.ldif =
        "dn: o=acme\nobjectClass: organization\no: acme\n\n" + UsersLdif("o=acme", "boss", 2);
    for (int i = 1; i <= kUnits; ++i) {
        const std::string dn = "ou=Unit" + std::to_string(i) + ",o=acme";
        options.ldif += OuLdif(dn, "Unit" + std::to_string(i)) + UsersLdif(dn, "u", 1);
    }
    ServerHolder server;
    server.Start(options);
    ASSERT_TRUE(server.Ready()) << server.Error();
    LdapSettings settings = SettingsFor(*server, 1000);
    settings.operationTimeout = kTimeout;
    settings.networkTimeout = kTimeout;
    settings.wholeSubtrees = false;
    LdapDirectory dir(settings);

    CCountTreeCtrl tree;
    RecordingHost host;
    host.afterNodeShown = [&](const CCountNode& node) {
        if (std::string(node.fullName) == "acme") {
            server->Pause();
        }
    };
    const TimedRun run = RunTimed(dir, tree, host, true);
    server->Resume();
    EXPECT_EQ(run.outcome, CountRunOutcome::kFinished);
    EXPECT_LT(run.elapsed, 5s);
    ASSERT_THAT(host.shownNames, SizeIs(kUnits + 2));
    for (int i = 1; i <= kUnits; ++i) {
        const std::string name = "Unit" + std::to_string(i);
        const HTREEITEM line = FindLine(tree, name + " 0");
        ASSERT_NE(line, 0u) << name;
        EXPECT_THAT(ErrorLinesUnder(tree, line),
                    AllOf(SizeIs(2), Each(testing::EndsWith(":" + name + ".acme"))));
    }
    EXPECT_EQ(host.totals.back(), 2);
}

// Ctrl-C while vantor-count waits for a server that stopped answering ends it at once, not
// after the 30-second timeout, and as a cancel, not as a lost server.
TEST_P(LdapOutage, CtrlCEndsTheCounterAtOnceWhileTheServerIsStopped) {
    server_->Pause();
    // One file per test process: the two instances may run side by side.
    const std::string err =
        testing::TempDir() + "vantor-ctrl-c-" + std::to_string(::getpid()) + ".err";
    const pid_t counter = ::fork();
    if (counter == 0) {
        const int log = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(log, STDOUT_FILENO);
        ::dup2(log, STDERR_FILENO);
        std::vector<const char*> argv = {VANTOR_COUNT, "-H", server_->Uri().c_str(),
                                         "--timeout",  "30", "-q"};
        if (!GetParam()) {
            argv.push_back("--per-container");
        }
        argv.push_back(nullptr);
        ::execv(VANTOR_COUNT, const_cast<char* const*>(argv.data()));
        ::_exit(127);
    }
    // Its interrupt handler is in place before it connects; once its bind lies unread at the
    // stopped server, it waits for an answer.
    ASSERT_TRUE(AwaitUnreadRequest(server_->Port()));
    const auto interrupted = std::chrono::steady_clock::now();
    ::kill(counter, SIGINT);
    int status = 0;
    ::waitpid(counter, &status, 0);
    const auto waited = std::chrono::steady_clock::now() - interrupted;
    server_->Resume();
    EXPECT_LT(waited, 2s);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    std::ifstream in(err);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_THAT(text, HasSubstr("cancelled"));
    std::remove(err.c_str());
}

TEST(SilentLdapServer, TheRunCannotOpenAContextAndSaysWhichServerDidNotAnswer) {
    const SilentServer silent;
    ASSERT_TRUE(silent.Listening()) << silent.Error();
    LdapSettings settings;
    settings.uri = silent.Uri();
    settings.operationTimeout = kTimeout;
    settings.networkTimeout = kTimeout;
    LdapDirectory dir(settings);

    CCountTreeCtrl tree;
    RecordingHost host;
    const TimedRun run = RunTimed(dir, tree, host, false);
    EXPECT_EQ(run.outcome, CountRunOutcome::kContextFailed);
    EXPECT_LT(run.elapsed, kNoHang);
    ASSERT_THAT(host.failures, SizeIs(1));
    EXPECT_EQ(host.failures[0].first, kCouldNotCreateContext);
    EXPECT_THAT(host.failures[0].second,
                AllOf(HasSubstr("cannot reach the LDAP server " + silent.Uri()),
                      HasSubstr(ldap_err2string(LDAP_TIMEOUT))));
    EXPECT_EQ(tree.ItemCount(), 0u);
    // The bind went out on an accepted connection; nothing came back.
    EXPECT_GE(silent.Connections(), 1);
    EXPECT_GT(silent.BytesRead(), 0u);

    // The next press of Count meets the same silence the same way.
    const TimedRun again = RunTimed(dir, tree, host, true);
    EXPECT_EQ(again.outcome, CountRunOutcome::kContextFailed);
    EXPECT_LT(again.elapsed, kNoHang);
    EXPECT_THAT(host.failures, SizeIs(2));
}

}  // namespace
}  // namespace vantor::test
