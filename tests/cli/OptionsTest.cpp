#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <variant>

#include "cli/Options.h"
#include "directory/source/DirectorySource.h"

namespace vantor {
namespace {

std::variant<CliOptions, std::string> Parse(std::vector<std::string> arguments) {
    return ParseCommandLine(arguments);
}

TEST(CommandLine, DefaultsCountUsersByPartitionAsAReport) {
    const auto options = std::get<CliOptions>(Parse({}));
    EXPECT_EQ(options.kind, 0);
    EXPECT_FALSE(options.byContainer);
    EXPECT_EQ(options.format, OutputFormat::kReport);
    EXPECT_FALSE(options.outputPath);
    EXPECT_FALSE(options.quiet);
}

TEST(CommandLine, ReadsEveryOptionInBothSpellings) {
    const auto options =
        std::get<CliOptions>(Parse({"--kind=partitions", "--by-container", "--format", "json", "-o",
                                    "out.json", "--pdf=r.pdf", "-q"}));
    EXPECT_EQ(options.kind, 3);
    EXPECT_TRUE(options.byContainer);
    EXPECT_EQ(options.format, OutputFormat::kJson);
    EXPECT_EQ(options.outputPath, "out.json");
    EXPECT_EQ(options.pdfPath, "r.pdf");
    EXPECT_TRUE(options.quiet);
}

TEST(CommandLine, RefusesWhatItDoesNotKnowAndNamesIt) {
    EXPECT_EQ(std::get<std::string>(Parse({"--kind", "printers"})),
              "option --kind needs one of users, servers, groups, partitions, all");
    EXPECT_EQ(std::get<std::string>(Parse({"--format"})),
              "option --format needs one of report, csv, json, prometheus");
    EXPECT_EQ(std::get<std::string>(Parse({"-o"})), "option -o needs a file name");
    EXPECT_EQ(std::get<std::string>(Parse({"--colour"})), "unknown option --colour");
}

TEST(DirectoryOptions, ChooseTheSampleAnLdifFileOrAServer) {
    const DirectoryArguments sample = TakeDirectoryArguments({"--kind", "groups"});
    EXPECT_TRUE(sample.error.empty());
    EXPECT_FALSE(sample.choice.ldap);
    EXPECT_FALSE(sample.choice.ldifPath);
    EXPECT_EQ(sample.rest, (std::vector<std::string>{"--kind", "groups"}));

    const DirectoryArguments file =
        TakeDirectoryArguments({"--ldif", "a.ldif", "--profile", "edirectory"});
    EXPECT_TRUE(file.error.empty()) << file.error;
    EXPECT_EQ(file.choice.ldifPath, "a.ldif");
    EXPECT_FALSE(file.choice.ldap);

    const DirectoryArguments server =
        TakeDirectoryArguments({"-H", "ldap://127.0.0.1:389/", "-b", "o=acme", "-q"});
    EXPECT_TRUE(server.error.empty()) << server.error;
    EXPECT_TRUE(server.choice.ldap);
    EXPECT_EQ(server.choice.ldapSettings.base, "o=acme");
    EXPECT_EQ(server.rest, std::vector<std::string>{"-q"});

    EXPECT_FALSE(TakeDirectoryArguments({"--ldif", "a.ldif", "-H", "ldap://x/"}).error.empty());
    EXPECT_FALSE(TakeDirectoryArguments({"--profile", "novell"}).error.empty());
    EXPECT_FALSE(TakeDirectoryArguments({"--ldif"}).error.empty());
}

TEST(DirectoryOptions, WarnOnlyWhenAPasswordWouldCrossTheNetworkUnencrypted) {
    const auto warning = [&](std::vector<std::string> arguments) {
        const DirectoryChoice choice = TakeDirectoryArguments(arguments).choice;
        return ClearTextPasswordWarning(choice, choice.askPassword);
    };
    EXPECT_TRUE(warning({"-H", "ldap://directory.example.com/", "-D", "cn=a", "-w", "pw", "-x"}));
    EXPECT_FALSE(warning({"-H", "ldaps://directory.example.com/", "-D", "cn=a", "-w", "pw"}));
    EXPECT_FALSE(warning({"-H", "ldap://directory.example.com/", "-D", "cn=a", "-w", "pw", "-ZZ"}));
    EXPECT_FALSE(warning({"-H", "ldap://127.0.0.1:389/", "-D", "cn=a", "-w", "pw"}));
    EXPECT_FALSE(warning({"-H", "ldap://directory.example.com/"}));
    EXPECT_FALSE(warning({"--ldif", "a.ldif"}));
    // A password still to be asked for is warned about before it is asked for.
    EXPECT_TRUE(warning({"-H", "ldap://directory.example.com/", "-D", "cn=a", "-W"}));
    EXPECT_FALSE(warning({"-H", "ldap://directory.example.com/", "-D", "cn=a"}));
}

// -y is read while the options are taken: a file that cannot be read is bad usage, named.
TEST(DirectoryOptions, APasswordFileIsReadWholeWhenTheOptionsAreTaken) {
    const std::string folder = testing::TempDir();
    const std::string file = folder + "vantor-options-pw";
    std::ofstream(file, std::ios::binary) << "wonderland\n";
    const DirectoryArguments read =
        TakeDirectoryArguments({"-H", "ldap://127.0.0.1/", "-D", "cn=a", "-y", file});
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.choice.ldapSettings.password, "wonderland\n");
    std::remove(file.c_str());

    const std::string missing = folder + "vantor-options-no-such-file";
    EXPECT_EQ(
        TakeDirectoryArguments({"-D", "cn=a", "-y", missing}).error,
        "option -y: cannot read the password file " + missing + ": No such file or directory");
    EXPECT_EQ(TakeDirectoryArguments({"-D", "cn=a", "-y", folder}).error,
              "option -y: cannot read the password file " + folder + ": Is a directory");
}

TEST(DirectoryOptions, ABindByNameWithoutAnyPasswordNeedsOne) {
    const auto needs = [&](std::vector<std::string> arguments) {
        return NeedsPassword(TakeDirectoryArguments(arguments).choice);
    };
    EXPECT_TRUE(needs({"-H", "ldap://127.0.0.1/", "-D", "cn=admin,o=acme"}));
    EXPECT_FALSE(needs({"-H", "ldap://127.0.0.1/", "-D", "cn=admin,o=acme", "-w", "pw"}));
    const std::string file = testing::TempDir() + "vantor-needs-pw";
    std::ofstream(file) << "pw";
    EXPECT_FALSE(needs({"-H", "ldap://127.0.0.1/", "-D", "cn=admin,o=acme", "-y", file}));
    std::remove(file.c_str());
    EXPECT_FALSE(needs({"-H", "ldap://127.0.0.1/"}));
    EXPECT_FALSE(needs({"-H", "ldap://127.0.0.1/", "-Y", "EXTERNAL"}));
    EXPECT_TRUE(needs({"-H", "ldap://127.0.0.1/", "-Y", "DIGEST-MD5", "-U", "alice", "-W"}));
    EXPECT_FALSE(needs({}));
}

TEST(DirectoryOptions, PasswordsAreBlankedInTheProcessArguments) {
    std::string program = "vantor-count", flag = "-w", secret = "s3cret", joined = "-wtopsecret";
    std::vector<char*> argv = {program.data(), flag.data(), secret.data(), joined.data()};
    ScrubPasswordArguments(static_cast<int>(argv.size()), argv.data());
    EXPECT_STREQ(argv[2], "xxxxxx");
    EXPECT_STREQ(argv[3], "-wxxxxxxxxx");
    EXPECT_STREQ(argv[1], "-w");
}

}  // namespace
}  // namespace vantor
