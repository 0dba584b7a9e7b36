// vantor-count over a private slapd: the outputs name each line by the DN the server holds, and
// a comparison with an earlier run matches lines by it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "directory/ldap/LdapTestSupport.h"
#include "support/ChildProcess.h"
#include "support/EveryKindColumns.h"
#include "support/TestFiles.h"

namespace vantor::test {
namespace {

using ::testing::HasSubstr;

bool Contains(const std::string& text, const std::string& pattern) {
    return std::regex_search(text, std::regex(pattern));
}

SlapdOptions CountCommandServer() {
    SlapdOptions options;
    options.ldif = "dn: o=acme\nobjectClass: organization\no: acme\n\n" +
                   OuLdif("ou=Dev,o=acme", "Dev") + UsersLdif("ou=Dev,o=acme", "dev", 3) +
                   OuLdif("ou=Sales.EU,o=acme", "Sales.EU") +
                   UsersLdif("ou=Sales.EU,o=acme", "eu", 2);
    return options;
}

class CountCommandOverLdap : public SlapdSuite<CountCommandServer> {
  protected:
    void SetUp() override { REQUIRE_SLAPD(server_); }

    // Runs vantor-count on the server by container with arguments; its output file's text.
    std::string Count(const std::vector<std::string>& arguments, const std::string& output) {
        std::vector<std::string> argv = {VANTOR_COUNT, "-H", server_->Uri(), "--by-container",
                                         "-q",         "-o", Path(output)};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        EXPECT_EQ(RunProgram(argv, Path("count.err"), 30), 0) << ReadWhole(Path("count.err"));
        return ReadWhole(Path(output));
    }
    std::string Path(const std::string& name) const { return server_->Folder() + "/" + name; }
};

// An earlier run that a filter kept one user from: that line changed, the others are the same.
TEST_F(CountCommandOverLdap, OutputsNameLinesByTheirDnAndCompareByIt) {
    Count({"--format", "json", "--filter", "(!(uid=dev1))"}, "then.json");
    const std::string csv = Count({"--format", "csv", "--compare", Path("then.json")}, "now.csv");
    EXPECT_THAT(csv, HasSubstr(",\"ou=Dev,o=acme\","));
    EXPECT_THAT(csv, HasSubstr(",\"ou=Sales.EU,o=acme\","));
    // DN, timestamp, the profile auto settled on, version; earlier count, difference, change.
    const std::string rest = R"(,\d{4}-\d\d-\d\dT[0-9:]{8}[+-]\d\d:\d\d,generic,[0-9.]+,)";
    EXPECT_TRUE(Contains(csv, R"(Dev,2,3,3,0,,false,,"ou=Dev,o=acme")" + rest + "2,1,changed\r\n"))
        << csv;
    EXPECT_TRUE(Contains(csv, R"(,"ou=Sales\.EU,o=acme")" + rest + "2,0,same\r\n")) << csv;

    const std::string metrics = Count({"--format", "prometheus"}, "users.prom");
    EXPECT_THAT(metrics, HasSubstr("vantor_count_line_objects{directory=\"" + server_->Uri() +
                                   R"(",kind="users",dn="ou=Sales.EU,o=acme",)"
                                   R"(full_name="Sales\\.EU.acme"} 2)"));
}

// Every kind, with a partition of its own database below o=acme.
SlapdOptions EveryKindServer() {
    SlapdOptions options;
    options.ldifFiles = {"acme.ldif"};
    options.subordinates = {
        {"ou=Branch,o=acme", SlapdDatabase::Glue::kGluedAdvertised,
         OuLdif("ou=Branch,o=acme", "Branch") + UsersLdif("ou=Branch,o=acme", "branch", 4)}};
    return options;
}

class CountEveryKindOverLdap : public SlapdSuite<EveryKindServer> {
  protected:
    void SetUp() override { REQUIRE_SLAPD(server_); }
};

// One search per container for all kinds must count each as its own searches do: whole subtrees
// or each container alone in pages that end inside a kind, with a filter, in both modes.
TEST_F(CountEveryKindOverLdap, EachKindsColumnsAreThatKindsOwnRun) {
    const std::string output = server_->Folder() + "/count.csv";
    const auto csv = [&](const std::vector<std::string>& arguments) {
        std::vector<std::string> argv = {VANTOR_COUNT, "-H", server_->Uri(), "-q", "-o", output};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        const std::string errors = server_->Folder() + "/count.err";
        EXPECT_EQ(RunProgram(argv, errors, 30), 0) << ReadWhole(errors);
        return ReadWhole(output);
    };
    const std::vector<std::vector<std::string>> runs = {
        {},
        {"--by-container"},
        {"--per-container", "--page-size", "2"},
        {"--by-container", "--per-container", "--page-size", "2"},
        {"--by-container", "--filter", "(!(|(uid=boss1)(cn=FS1)(ou=Europe)))"},
        {"--filter", "(!(uid=boss1))", "--per-container"}};
    for (const std::vector<std::string>& run : runs) {
        SCOPED_TRACE(::testing::PrintToString(run));
        ExpectEachKindAsItsOwnRun(csv, run);
    }
}

}  // namespace
}  // namespace vantor::test
