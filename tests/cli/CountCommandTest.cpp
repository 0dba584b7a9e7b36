// vantor-count run as a user runs it: a real process, real files, real signals.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/EveryKindColumns.h"
#include "support/TestFiles.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using test::ReadWhole;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Data(const std::string& name) {
    return std::string(VANTOR_TEST_DATA) + "/" + name;
}

class CountCommand : public ::testing::Test {
  protected:
    // Starts vantor-count with arguments, its output going to files in dir; input and output,
    // when not negative, become its standard input and output.
    pid_t Start(const std::vector<std::string>& arguments, int input = -1, int output = -1) {
        const std::string program = VANTOR_COUNT;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setsid();                  // no controlling terminal: -W cannot ask here
            ::signal(SIGPIPE, SIG_DFL);  // as a shell starts it, whatever the test runner ignores
            if (input >= 0) {
                ::dup2(input, STDIN_FILENO);
            }
            const int out =
                output >= 0 ? output
                            : ::open((dir / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = ::open((dir / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(out, STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (const std::string& a : arguments) {
                argv.push_back(const_cast<char*>(a.c_str()));
            }
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        return pid;
    }

    Outcome Finish(pid_t pid) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                ReadWhole(dir / "stdout"), ReadWhole(dir / "stderr")};
    }

    Outcome Run(const std::vector<std::string>& arguments) { return Finish(Start(arguments)); }

    test::TemporaryFolder temporary;
    const fs::path dir = temporary.Path();
};

// The first match of pattern in text; empty when there is none.
std::smatch Match(const std::string& text, const std::string& pattern) {
    std::smatch match;
    std::regex_search(text, match, std::regex(pattern));
    return match;
}

// The item lines of a text report: everything after the kind line and its empty line.
std::string ItemLines(const std::string& report) {
    const std::size_t kind = report.find(" objects -- Total: ");
    const std::size_t start = report.find("\r\n\r\n", kind);
    return start == std::string::npos ? "" : report.substr(start + 4);
}

TEST_F(CountCommand, CountsByPartitionAndByContainer) {
    const Outcome byPartition = Run({"--ldif", Data("cli/acme.ldif")});
    EXPECT_EQ(byPartition.exitCode, 0) << byPartition.err;
    EXPECT_THAT(byPartition.out, HasSubstr("\r\nUser objects -- Total: 6\r\n\r\n"));
    EXPECT_EQ(ItemLines(byPartition.out),
              "6\t\t0\t\t[Root] \r\n"
              "6\t\t4\t\t\tacme \r\n"
              "2\t\t2\t\t\t\tQA \r\n");

    const Outcome byContainer = Run({"--ldif", Data("cli/acme.ldif"), "--by-container"});
    EXPECT_EQ(byContainer.exitCode, 0) << byContainer.err;
    EXPECT_EQ(ItemLines(byContainer.out),
              "6\t\t0\t\t[Root] \r\n"
              "6\t\t1\t\t\tacme \r\n"
              "2\t\t2\t\t\t\tSales Dept \r\n"
              "3\t\t1\t\t\t\tDev \r\n"
              "2\t\t2\t\t\t\t\tQA \r\n");
}

TEST_F(CountCommand, CountsEachKindAloneOrAllAtOnce) {
    const std::vector<std::pair<std::string, std::string>> kinds = {
        {"groups", "Group objects -- Total: 1"},
        {"servers", "Server objects -- Total: 1"},
        {"partitions", "Partition objects -- Total: 2"}};
    for (const auto& [kind, line] : kinds) {
        const Outcome outcome = Run({"--ldif", Data("cli/acme.ldif"), "--kind", kind});
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_THAT(outcome.out, HasSubstr(line));
    }

    const auto csv = [&](const std::vector<std::string>& arguments) {
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        return outcome.out;
    };
    const std::vector<std::vector<std::string>> runs = {
        {},  // the bundled sample
        {"--by-container"},
        {"--ldif", Data("cli/acme.ldif")},
        {"--ldif", Data("cli/acme.ldif"), "--by-container", "--filter", "(!(sn=B))"}};
    for (const std::vector<std::string>& run : runs) {
        SCOPED_TRACE(::testing::PrintToString(run));
        test::ExpectEachKindAsItsOwnRun(csv, run);
    }

    // JSON and Prometheus carry the same figures per kind; what holds one count is refused.
    const Outcome json =
        Run({"--ldif", Data("cli/acme.ldif"), "--kind", "all", "--format", "json"});
    EXPECT_THAT(json.out, HasSubstr("\"kind\": \"all\""));
    EXPECT_THAT(json.out, HasSubstr("\"totals\": {\"users\": 6, \"servers\": 1, \"groups\": 1, "
                                    "\"partitions\": 2}"));
    EXPECT_THAT(json.out, HasSubstr("\"name\": \"QA\", \"depth\": 2, \"counts\": {\"users\": 2, "
                                    "\"servers\": 1, \"groups\": 0, \"partitions\": 0}, "
                                    "\"branch_totals\": {\"users\": 2, \"servers\": 1,"));
    std::ofstream(dir / "all.json") << json.out;
    const Outcome metrics =
        Run({"--ldif", Data("cli/acme.ldif"), "--kind", "all", "--format", "prometheus"});
    EXPECT_THAT(metrics.out, HasSubstr(",kind=\"servers\"} 1\n"));
    EXPECT_THAT(metrics.out, HasSubstr("vantor_count_errors{directory=\"" + Data("cli/acme.ldif") +
                                       "\",kind=\"all\"} 0\n"));
    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"--kind", "all"},
          {"--kind", "all", "--format", "csv", "--pdf", (dir / "x.pdf").string()},
          {"--kind", "all", "--format", "json", "--compare", Data("cli/acme.ldif")},
          {"--format", "csv", "--compare", (dir / "all.json").string()}}) {
        const Outcome outcome = Run(refused);
        EXPECT_EQ(outcome.exitCode, 4);
        EXPECT_THAT(outcome.err, HasSubstr("--kind all"));
    }
}

// The run's timestamp, profile and version end every row; the line's DN comes before them.
TEST_F(CountCommand, WritesCsvJsonAndPrometheusNamingTheDirectoryClassModeAndEachLinesDn) {
    const Outcome csv =
        Run({"--ldif", Data("cli/acme.ldif"), "--by-container", "--format", "csv", "-q"});
    EXPECT_EQ(csv.exitCode, 0) << csv.err;
    const std::string source = Data("cli/acme.ldif");
    const std::smatch run = Match(csv.out,
                                  ",(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d),"
                                  "generic,(\\d+\\.\\d+\\.\\d+)\r\n");
    ASSERT_FALSE(run.empty()) << csv.out;
    const std::string end = "," + run.str(1) + ",generic," + run.str(2) + "\r\n";
    EXPECT_EQ(
        csv.out,
        "directory,object_class,mode,full_name,name,depth,count,branch_total,errors,"
        "error_details,cancelled,filter,dn,timestamp,profile,version\r\n" +
            source + ",inetOrgPerson,by container,[Root],[Root],0,0,6,0,,false,," + end + source +
            ",inetOrgPerson,by container,acme,acme,1,1,6,0,,false,,o=acme" + end + source +
            ",inetOrgPerson,by container,Sales Dept.acme,Sales Dept,2,2,2,0,,false,,"
            "\"ou=Sales Dept,o=acme\"" +
            end + source +
            ",inetOrgPerson,by container,Dev.acme,Dev,2,1,3,0,,false,,\"ou=Dev,o=acme\"" + end +
            source +
            ",inetOrgPerson,by container,QA.Dev.acme,QA,3,2,2,0,,false,,\"ou=QA,ou=Dev,o=acme\"" +
            end);
    EXPECT_EQ(Run({"--version"}).out, "vantor-count " + run.str(2) + "\n");

    const Outcome json = Run({"--ldif", Data("cli/acme.ldif"), "--format=json"});
    EXPECT_EQ(json.exitCode, 0) << json.err;
    EXPECT_THAT(json.out, HasSubstr("\"object_class\": \"inetOrgPerson\""));
    // The column names the classes the profile counts as the kind.
    const std::vector<std::pair<std::vector<std::string>, std::string>> classes = {
        {{"--profile", "ad", "--kind", "servers"}, "computer"},
        {{"--profile", "edirectory", "--kind", "servers"}, "ncpServer"},
        {{"--kind", "groups"}, "groupOfNames|groupOfUniqueNames|posixGroup"},
    };
    for (const auto& [options, shown] : classes) {
        std::vector<std::string> arguments = {"--ldif", Data("cli/acme.ldif"), "--format=json"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        EXPECT_THAT(Run(arguments).out, HasSubstr("\"object_class\": \"" + shown + "\"")) << shown;
    }
    EXPECT_THAT(json.out, HasSubstr("\"mode\": \"by partition\""));
    EXPECT_THAT(json.out, HasSubstr("\"cancelled\": false"));
    EXPECT_THAT(json.out, HasSubstr("\"total\": 6"));
    EXPECT_THAT(json.out, HasSubstr("{\"full_name\": \"QA.Dev.acme\", \"name\": \"QA\", "
                                    "\"depth\": 2, \"count\": 2, \"branch_total\": 2"));
    EXPECT_THAT(json.out, HasSubstr("\"dn\": \"ou=QA,ou=Dev,o=acme\"}"));
    EXPECT_THAT(json.out, HasSubstr(",\n \"timestamp\": \"" + run.str(1).substr(0, 4)));
    EXPECT_THAT(json.out, HasSubstr(",\n \"profile\": \"generic\""));
    EXPECT_THAT(json.out, EndsWith(",\n \"version\": \"" + run.str(2) + "\"}\n"));

    const Outcome prometheus = Run({"--ldif", Data("cli/acme.ldif"), "--format=prometheus", "-o",
                                    (dir / "users.prom").string()});
    EXPECT_EQ(prometheus.exitCode, 0) << prometheus.err;
    EXPECT_THAT(
        ReadWhole(dir / "users.prom"),
        HasSubstr("vantor_count_line_objects{directory=\"" + source +
                  "\",kind=\"users\",dn=\"ou=QA,ou=Dev,o=acme\",full_name=\"QA.Dev.acme\"} 2\n"));
}

TEST_F(CountCommand, CountsOnlyWhatTheFilterMatchesAndSaysWhichFilter) {
    const std::string filter = "(|(sn=B)(sn=e))";
    const Outcome json =
        Run({"--ldif", Data("cli/acme.ldif"), "--format=json", "--filter", filter});
    EXPECT_EQ(json.exitCode, 0) << json.err;
    EXPECT_THAT(json.out, HasSubstr("\"filter\": \"(|(sn=B)(sn=e))\""));
    EXPECT_THAT(json.out, HasSubstr("\"total\": 2"));
    const Outcome csv =
        Run({"--ldif", Data("cli/acme.ldif"), "--format", "csv", "--filter=" + filter});
    EXPECT_THAT(csv.out, HasSubstr(",acme,acme,1,1,2,0,,false,(|(sn=B)(sn=e)),o=acme,"));

    const Outcome malformed = Run({"--ldif", Data("cli/acme.ldif"), "--filter", "(cn~=ann)"});
    EXPECT_EQ(malformed.exitCode, 4);
    EXPECT_THAT(malformed.err, HasSubstr("option --filter: position "));
}

// A built-in profile shown, edited to count a class of its own, and read back.
TEST_F(CountCommand, CountsWithAProfileFileMadeFromABuiltInOne) {
    const Outcome shown = Run({"--profile-show", "generic"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    std::string text = shown.out;
    const std::size_t users = text.find("users: inetOrgPerson\n");
    ASSERT_NE(users, std::string::npos) << text;
    text.insert(users + 20, " organizationalPerson");
    text.erase(text.find("users-filter:"),
               text.find('\n', text.find("users-filter:")) - text.find("users-filter:") + 1);
    std::ofstream(dir / "my.profile") << text;
    std::ofstream(dir / "people.ldif") << "dn: o=acme\nobjectClass: organization\n\n"
                                          "dn: cn=a,o=acme\nobjectClass: organizationalPerson\n\n";
    const std::string ldif = (dir / "people.ldif").string();
    EXPECT_THAT(Run({"--ldif", ldif, "-q"}).out, HasSubstr("User objects -- Total: 0"));
    const Outcome own = Run({"--ldif", ldif, "--profile", (dir / "my.profile").string()});
    EXPECT_EQ(own.exitCode, 0) << own.err;
    EXPECT_THAT(own.out, HasSubstr("User objects -- Total: 1"));

    std::ofstream(dir / "bad.profile") << "name: x\ncontainers: organization\nuser: a\n";
    const Outcome bad = Run({"--ldif", ldif, "--profile=" + (dir / "bad.profile").string()});
    EXPECT_EQ(bad.exitCode, 4);
    EXPECT_THAT(bad.err, HasSubstr("bad.profile:3: unknown key \"user\""));
}

// An export of o=acme with these containers (type=value RDNs) and users in each.
std::string AcmeLdif(const std::vector<std::pair<std::string, int>>& containers) {
    std::string text = "dn: o=acme\nobjectClass: organization\n\n";
    for (const auto& [rdn, users] : containers) {
        const std::string dn = rdn + ",o=acme";
        text += "dn: " + dn +
                "\nobjectClass: " + (rdn[0] == 'l' ? "locality" : "organizationalUnit") + "\n\n";
        for (int u = 0; u < users; ++u) {
            text += "dn: cn=u" + std::to_string(u) + "," + dn + "\nobjectClass: inetOrgPerson\n\n";
        }
    }
    return text;
}

// The comparison columns of each CSV row: full name, then earlier count, difference, change.
std::vector<std::string> ComparedRows(const std::string& csv) {
    std::vector<std::string> rows;
    const std::regex row(R"(by container,([^,]*),.*,(-?\d*),(-?\d+),(\w+)\r\n)");
    for (auto it = std::sregex_iterator(csv.begin(), csv.end(), row); it != std::sregex_iterator();
         ++it) {
        rows.push_back((*it)[1].str() + " " + (*it)[2].str() + " " + (*it)[3].str() + " " +
                       (*it)[4].str());
    }
    return rows;
}

// Lines are matched by DN (l=Old is not ou=Old though both are "Old.acme"), by full name where
// the earlier file has no DN; --changed-only leaves the same lines out; the exit status stays.
TEST_F(CountCommand, ComparesWithAnEarlierRunByDnAndMarksNewAndGoneLines) {
    std::ofstream(dir / "then.ldif") << AcmeLdif({{"ou=Sales", 2}, {"ou=Dev", 1}, {"ou=Old", 1}});
    std::ofstream(dir / "now.ldif") << AcmeLdif({{"ou=Sales", 3}, {"ou=Dev", 1}, {"l=Old", 1}});
    const std::string then = (dir / "then.json").string();
    ASSERT_EQ(Run({"--ldif", (dir / "then.ldif").string(), "--by-container", "--format", "json",
                   "-o", then})
                  .exitCode,
              0);
    std::string withoutDns = ReadWhole(then);
    withoutDns = std::regex_replace(withoutDns, std::regex(R"(,\s*"dn": "[^"]*")"), "");
    std::ofstream(dir / "old-style.json") << withoutDns;

    struct Case {
        std::string earlier;
        std::vector<std::string> extra;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {then,
         {},
         {"[Root] 0 0 same", "acme 0 0 same", "Sales.acme 2 1 changed", "Dev.acme 1 0 same",
          "Old.acme  1 new", "Old.acme 1 -1 gone"}},
        {then,
         {"--changed-only"},
         {"Sales.acme 2 1 changed", "Old.acme  1 new", "Old.acme 1 -1 gone"}},
        {(dir / "old-style.json").string(), {"--changed-only"}, {"Sales.acme 2 1 changed"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {
            "--ldif", (dir / "now.ldif").string(), "--by-container", "--format", "csv", "--compare",
            c.earlier};
        arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_THAT(outcome.out, HasSubstr(",version,earlier_count,difference,change\r\n"));
        EXPECT_EQ(ComparedRows(outcome.out), c.rows) << c.earlier << "\n" << outcome.out;
    }

    const Outcome json = Run({"--ldif", (dir / "now.ldif").string(), "--by-container",
                              "--format=json", "--compare", then, "--changed-only"});
    EXPECT_THAT(
        json.out,
        HasSubstr(
            R"("dn": "ou=Sales,o=acme", "earlier_count": 2, "difference": 1, "change": "changed"})"));
    EXPECT_THAT(
        json.out,
        HasSubstr(
            R"("dn": "ou=Old,o=acme", "earlier_count": 1, "difference": -1, "change": "gone"})"));
    EXPECT_THAT(json.out, Not(HasSubstr("Dev.acme")));
    EXPECT_THAT(json.out, HasSubstr(R"("total": 4},)"
                                    "\n"
                                    R"( "changed_only": true,)"));
    std::ofstream(dir / "changed.json") << json.out;

    // Files that cannot be compared end the program before the count, with exit status 4.
    std::ofstream(dir / "broken.json") << "{\"lines\": [\n  {\"full_name\": \"a\",\n ]}";
    std::ofstream(dir / "other.json") << "{\"rows\": []}";
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"--compare", (dir / "missing.json").string()}, "cannot read "},
        {{"--compare", (dir / "broken.json").string()}, "broken.json:3: not valid JSON"},
        {{"--compare", (dir / "other.json").string()}, "not the JSON output of vantor-count"},
        {{"--compare", (dir / "changed.json").string()}, "holds only the changed lines"},
        {{"--compare", then, "--kind", "groups"}, "counted User objects, this run counts Group"},
        {{"--compare", then, "--format", "report"}, "option --compare needs --format csv or json"},
        {{"--changed-only"}, "option --changed-only needs --compare"},
    };
    for (const auto& [extra, message] : refused) {
        std::vector<std::string> arguments = {"--ldif", (dir / "now.ldif").string(),
                                              "--by-container", "--format", "csv"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.exitCode, 4) << message;
        EXPECT_THAT(outcome.err, HasSubstr(message));
        EXPECT_EQ(outcome.out, "") << message;
    }
}

TEST_F(CountCommand, ListsDirectoryErrorsAndSaysSoInItsExitCode) {
    // A referral is a line whose search fails: it is not followed.
    std::ofstream(dir / "referral.ldif")
        << "dn: o=top\nobjectClass: organization\n\n"
        << "dn: ou=Near,o=top\nobjectClass: referral\nobjectClass: extensibleObject\n"
        << "ou: Near\nref: ldap://near.example.com/ou=Near,o=top\n\n";
    const std::string ldif = (dir / "referral.ldif").string();
    const Outcome outcome = Run({"--ldif", ldif, "--by-container"});
    EXPECT_EQ(outcome.exitCode, 1) << outcome.err;
    EXPECT_THAT(outcome.out, HasSubstr(":ERRORS\r\n"));
    const std::string line = "-626:NWDSSearch:Near.top";
    EXPECT_THAT(outcome.out, HasSubstr(line + "\r\n"));

    // The CSV and JSON outputs give the error's cause beside its line: the URL, and where in
    // the file the referral is.
    const std::string cause = "a referral to ldap://near.example.com/ou=Near,o=top (" + ldif +
                              ":4); referrals are not followed";
    const Outcome csv = Run({"--ldif", ldif, "--by-container", "-q", "--format", "csv"});
    EXPECT_THAT(csv.out, HasSubstr(line + " -- " + cause));
    const Outcome json = Run({"--ldif", ldif, "--by-container", "-q", "--format", "json"});
    EXPECT_THAT(json.out, HasSubstr("\"detail\": \"" + cause));
}

TEST_F(CountCommand, FileProblemsAndAnUnreachableServerAreReportedWithTheirExitCodes) {
    const Outcome missing = Run({"--ldif", (dir / "none.ldif").string()});
    EXPECT_EQ(missing.exitCode, 4);
    EXPECT_THAT(missing.err, HasSubstr("none.ldif"));

    std::ofstream(dir / "bad.ldif") << "dn: o=acme\nobjectClass: organization\n\nnot ldif at all\n";
    const Outcome malformed = Run({"--ldif", (dir / "bad.ldif").string()});
    EXPECT_EQ(malformed.exitCode, 4);
    EXPECT_THAT(malformed.err, HasSubstr("bad.ldif:"));

    const Outcome full = Run({"--ldif", Data("cli/acme.ldif"), "-o", "/dev/full"});
    EXPECT_EQ(full.exitCode, 4);
    EXPECT_THAT(full.err, HasSubstr("/dev/full"));

    const Outcome usage = Run({"--frobnicate"});
    EXPECT_EQ(usage.exitCode, 4);
    EXPECT_THAT(usage.err, HasSubstr("--frobnicate"));

    const Outcome unreachable = Run({"-H", "ldap://127.0.0.1:1/", "-x"});
    EXPECT_EQ(unreachable.exitCode, 3);
    EXPECT_THAT(unreachable.err, HasSubstr("Could not create context"));
}

TEST_F(CountCommand, PasswordProblemsAreUsageErrorsAndTheClearTextWarningComesFirst) {
    const std::string none = (dir / "none").string();
    const Outcome unreadable = Run({"-H", "ldap://127.0.0.1:1/", "-D", "cn=a", "-y", none});
    EXPECT_EQ(unreadable.exitCode, 4);
    EXPECT_THAT(unreadable.err, HasSubstr("cannot read the password file " + none));

    // Without a terminal -W reads standard input: a piped password goes on to the server (none
    // answers here), an empty input is no password. The warning came before it read.
    int pipeEnds[2] = {-1, -1};
    ASSERT_EQ(::pipe(pipeEnds), 0);
    (void)!::write(pipeEnds[1], "secret\n", 7);
    ::close(pipeEnds[1]);
    const pid_t piped = Start({"-H", "ldap://127.0.0.1:1/", "-D", "cn=a", "-W"}, pipeEnds[0]);
    ::close(pipeEnds[0]);
    const Outcome read = Finish(piped);
    EXPECT_EQ(read.exitCode, 3) << read.err;
    EXPECT_THAT(read.err, HasSubstr("Could not create context"));

    const int empty = ::open("/dev/null", O_RDONLY);
    const pid_t unpiped = Start({"-H", "ldap://directory.example.com/", "-D", "cn=a", "-W"}, empty);
    ::close(empty);
    const Outcome asked = Finish(unpiped);
    EXPECT_EQ(asked.exitCode, 4);
    const std::size_t warning = asked.err.find("warning: The password will be sent unencrypted");
    const std::size_t refusal = asked.err.find("option -W: no password was entered");
    ASSERT_NE(warning, std::string::npos) << asked.err;
    ASSERT_NE(refusal, std::string::npos) << asked.err;
    EXPECT_LT(warning, refusal);
}

TEST_F(CountCommand, OutputFileIsReplacedWholeAndHelpListsTheExitCodes) {
    std::ofstream(dir / "report.txt") << "previous report";
    const Outcome saved =
        Run({"--ldif", Data("cli/acme.ldif"), "-o", (dir / "report.txt").string()});
    EXPECT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_TRUE(saved.out.empty());
    EXPECT_THAT(ReadWhole(dir / "report.txt"), EndsWith("2\t\t2\t\t\t\tQA \r\n"));

    const Outcome help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.out, HasSubstr("Exit status:"));
}

// A reader that has gone (head had enough) is no news: status 4 without a word, over every back
// end alike; any other failure to write standard output says why.
TEST_F(CountCommand, StandardOutputThatCannotBeWrittenEndsWithStatus4) {
    const std::string full =
        "vantor-count: Could not write to standard output: " + std::string(std::strerror(ENOSPC)) +
        "\n";
    const std::vector<std::vector<std::string>> commands = {
        {"--ldif", Data("cli/acme.ldif"), "--by-container"},
        {"--help"},
        {"--version"},
        {"--profile-show", "generic"}};
    for (const auto& arguments : commands) {
        SCOPED_TRACE(arguments.front());
        int pipeEnds[2] = {-1, -1};
        ASSERT_EQ(::pipe(pipeEnds), 0);
        ::close(pipeEnds[0]);  // the reader has gone before the first line
        const int device = ::open("/dev/full", O_WRONLY);
        ASSERT_GE(device, 0);
        for (const auto& [output, err] : {std::pair{pipeEnds[1], std::string()}, {device, full}}) {
            const pid_t pid = Start(arguments, -1, output);
            ::close(output);
            const Outcome outcome = Finish(pid);
            EXPECT_EQ(outcome.exitCode, 4);
            EXPECT_EQ(outcome.err, err);
        }
    }
}

// What a FIFO's reader gets from one writer, waiting at most about ten seconds for it.
std::string ReadFifo(const fs::path& fifo) {
    const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    std::string got;
    bool writerSeen = false;
    for (int wait = 0; fd >= 0 && wait < 1000;) {
        char buffer[65536];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            got.append(buffer, static_cast<std::size_t>(n));
            writerSeen = true;
        } else if (n == 0 && writerSeen) {
            break;  // the writer is done
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            ++wait;
        }
    }
    ::close(fd);
    return got;
}

// The counter often runs as root: --pdf goes where its path leads and touches nothing else.
TEST_F(CountCommand, PdfIsWrittenWhereThePathLeadsAndNowhereElse) {
    const std::vector<std::string> count = {"--ldif", Data("cli/acme.ldif"), "-q", "--pdf"};
    auto pdfTo = [&](const fs::path& path) {
        std::vector<std::string> arguments = count;
        arguments.push_back(path.string());
        return Run(arguments);
    };
    auto isPdf = [](const std::string& bytes) { return bytes.rfind("%PDF-", 0) == 0; };

    // A link planted where a careless writer would put its partial file.
    std::ofstream(dir / "victim") << "precious";
    fs::create_symlink(dir / "victim", dir / "report.pdf.partial");
    EXPECT_EQ(pdfTo(dir / "report.pdf").exitCode, 0);
    EXPECT_TRUE(isPdf(ReadWhole(dir / "report.pdf")));
    EXPECT_EQ(ReadWhole(dir / "victim"), "precious");
    EXPECT_TRUE(fs::is_symlink(dir / "report.pdf.partial"));

    // A symbolic link is written through and stays a link.
    fs::create_directory(dir / "reports");
    std::ofstream(dir / "reports" / "old.pdf") << "old";
    fs::create_symlink(dir / "reports" / "old.pdf", dir / "link.pdf");
    EXPECT_EQ(pdfTo(dir / "link.pdf").exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(dir / "link.pdf"));
    EXPECT_TRUE(isPdf(ReadWhole(dir / "reports" / "old.pdf")));

    // A FIFO is fed, not replaced.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::string fromPipe;
    std::thread reader([&] { fromPipe = ReadFifo(dir / "pipe"); });
    const Outcome piped = pdfTo(dir / "pipe");
    reader.join();
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
    EXPECT_TRUE(isPdf(fromPipe));

    // A device is written into: a full one refuses, and stays a device.
    if (::mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {
        const Outcome full = pdfTo(dir / "full");
        EXPECT_EQ(full.exitCode, 4);
        EXPECT_THAT(full.err, HasSubstr(std::strerror(ENOSPC)));
        EXPECT_TRUE(fs::is_character_file(dir / "full"));
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"full", "link.pdf", "pipe", "report.pdf",
                                               "report.pdf.partial", "reports", "stderr", "stdout",
                                               "victim"}))
        << "nothing else is left in the folder";
}

TEST_F(CountCommand, RefusesToWriteOverTheExportItCounts) {
    const fs::path ldif = dir / "acme.ldif";
    fs::copy_file(Data("cli/acme.ldif"), ldif);
    fs::create_symlink(ldif, dir / "alias.txt");
    const std::string original = ReadWhole(ldif);
    const std::vector<std::vector<std::string>> clashes = {
        {"-o", ldif.string()},
        {"--pdf", ldif.string()},
        {"-o", (dir / "alias.txt").string()},
        {"-o", (dir / "same").string(), "--pdf", (dir / "same").string()},
    };
    for (const auto& outputs : clashes) {
        std::vector<std::string> arguments = {"--ldif", ldif.string(), "-q"};
        arguments.insert(arguments.end(), outputs.begin(), outputs.end());
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.exitCode, 4) << outputs.back();
        EXPECT_THAT(outcome.err, HasSubstr(outputs.back()));
        EXPECT_EQ(ReadWhole(ldif), original);
        EXPECT_FALSE(fs::exists(dir / "same"));
    }
}

bool CatchesInterrupt(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) == 0) {
            return (std::stoull(line.substr(7), nullptr, 16) & (1ULL << (SIGINT - 1))) != 0;
        }
    }
    return false;
}

TEST_F(CountCommand, InterruptCancelsTheRunAndStillWritesTheOutput) {
    // Big enough that the count is still going when the interrupt arrives.
    {
        std::ofstream ldif(dir / "big.ldif");
        ldif << "dn: o=big\nobjectClass: organization\n\n";
        for (int unit = 0; unit < 20000; ++unit) {
            ldif << "dn: ou=u" << unit << ",o=big\nobjectClass: organizationalUnit\n\n";
            for (int person = 0; person < 4; ++person) {
                ldif << "dn: cn=p" << person << ",ou=u" << unit
                     << ",o=big\nobjectClass: inetOrgPerson\ncn: p\nsn: p\n\n";
            }
        }
    }
    const pid_t pid = Start({"--ldif", (dir / "big.ldif").string(), "--by-container"});
    for (int i = 0; i < 500 && !CatchesInterrupt(pid); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(CatchesInterrupt(pid));
    ::kill(pid, SIGINT);
    const Outcome outcome = Finish(pid);
    EXPECT_EQ(outcome.exitCode, 2) << outcome.err;
    EXPECT_THAT(outcome.out, EndsWith("\t\tCANCELLED\r\n"));
}

TEST_F(CountCommand, ReadsAnExportFromStandardInput) {
    const int input = ::open(Data("cli/acme.ldif").c_str(), O_RDONLY);
    ASSERT_GE(input, 0);
    const Outcome piped = Finish(Start({"--ldif", "-", "--format", "json", "-q"}, input));
    ::close(input);
    const Outcome named = Run({"--ldif", Data("cli/acme.ldif"), "--format", "json", "-q"});
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_THAT(piped.out, HasSubstr("{\"directory\": \"standard input\""));
    // The lines, up to the run's timestamp (the two runs may fall in different seconds).
    const auto lines = [](const std::string& json) {
        const std::size_t start = json.find("\"lines\"");
        return json.substr(start, json.find("\"timestamp\"") - start);
    };
    EXPECT_EQ(lines(piped.out), lines(named.out));
}

TEST_F(CountCommand, InterruptWhileAPipeIsSilentCancelsTheLoadAtOnce) {
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t pid = Start({"--ldif", "-"}, pipe[0]);
    ::close(pipe[0]);
    const std::string start = "dn: o=acme\nobjectClass: organization\n\ndn: ou=Dev,o=acme\n";
    ASSERT_EQ(::write(pipe[1], start.data(), start.size()), static_cast<ssize_t>(start.size()));
    for (int i = 0; i < 500 && !CatchesInterrupt(pid); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(CatchesInterrupt(pid));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // now waiting on the pipe
    const auto sent = std::chrono::steady_clock::now();
    ::kill(pid, SIGINT);
    const Outcome outcome = Finish(pid);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(2));
    ::close(pipe[1]);
    EXPECT_EQ(outcome.exitCode, 2) << outcome.err;
    EXPECT_THAT(outcome.err, HasSubstr("reading standard input was cancelled"));
    EXPECT_THAT(outcome.out, EndsWith("\t\tCANCELLED\r\n"));
}

// Classes that no rule of the profile counts are listed after the count, so that a count of 0
// explains itself; classes that counted entries carry too, and "top", are left out.
TEST_F(CountCommand, SaysWhichClassesWereNotCounted) {
    {
        std::ofstream ldif(dir / "classes.ldif");
        ldif << "dn: o=acme\nobjectClass: top\nobjectClass: organization\n\n";
        for (int i = 0; i < 2; ++i) {
            ldif << "dn: uid=u" << i << ",o=acme\nobjectClass: top\nobjectClass: inetOrgPerson"
                 << "\nobjectClass: posixAccount\n\n";
        }
        for (int i = 0; i < 1200; ++i) {
            ldif << "dn: uid=a" << i << ",o=acme\nobjectClass: top\nobjectClass: account"
                 << "\nobjectClass: posixAccount\nobjectClass: shadowAccount\n\n";
        }
        ldif << "dn: cn=d,o=acme\nobjectClass: device\nobjectClass: OpenLDAPdevice\n\n";
    }
    const std::string path = (dir / "classes.ldif").string();
    const std::string said =
        "vantor-count: not counted as any kind: account 1,200, shadowAccount 1,200, device 1, "
        "OpenLDAPdevice 1\n";
    const Outcome plain = Run({"--ldif", path});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.err, said);
    EXPECT_EQ(Run({"--ldif", path, "-q"}).err, "");
    const Outcome json = Run({"--ldif", path, "--format", "json", "--quiet"});
    EXPECT_EQ(json.err, "");
    EXPECT_THAT(json.out,
                HasSubstr("\"not_counted\": [{\"class\": \"account\", \"entries\": 1200}, "
                          "{\"class\": \"shadowAccount\", \"entries\": 1200}, "
                          "{\"class\": \"device\", \"entries\": 1}, "
                          "{\"class\": \"OpenLDAPdevice\", \"entries\": 1}]"));
}

}  // namespace
}  // namespace vantor
