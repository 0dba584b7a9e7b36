// Opening what the directory dialog asks for: an export is loaded, a server is reached and bound
// to at once, and each failure comes back with its cause.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "app/ChoiceOpener.h"
#include "directory/profile/ClassProfile.h"
#include "directory/profile/ProfileText.h"

namespace vantor {
namespace {

TEST(ChoiceOpener, OpensAnExportAndTellsWhyADirectoryCannotBeOpened) {
    ChoiceOpener opener(DirectoryChoice{});
    struct Case {
        const char* what;
        DirectoryRequest request;
        std::string errorPart;  // "" when it opens
    };
    DirectoryRequest exportFile;
    exportFile.ldifPath = VANTOR_TEST_DATA "/ldif/acme-slapcat.ldif";
    DirectoryRequest missing;
    missing.ldifPath = VANTOR_TEST_DATA "/ldif/no-such-export.ldif";
    DirectoryRequest closedPort;
    closedPort.ldap = true;
    closedPort.uri = "ldap://127.0.0.1:1";

    const QTemporaryDir folder;
    const std::string profilePath = folder.filePath("people.profile").toStdString();
    std::ofstream(profilePath) << ProfileText(GenericProfile());
    const std::string brokenPath = folder.filePath("broken.profile").toStdString();
    std::ofstream(brokenPath) << "no such setting = 1\n";
    DirectoryRequest withProfileFile = exportFile;
    withProfileFile.profile = profilePath;
    DirectoryRequest brokenProfile = exportFile;
    brokenProfile.profile = brokenPath;
    DirectoryRequest filtered = exportFile;
    filtered.filter = "(uid=a*)";
    DirectoryRequest badFilter = exportFile;
    badFilter.filter = "(uid=a*";
    DirectoryRequest badFilterOnServer = closedPort;
    badFilterOnServer.filter = "(uid=a*";
    const Case cases[] = {
        {"export", exportFile, ""},
        {"missing export", missing, "no-such-export.ldif"},
        {"no server", closedPort, "127.0.0.1:1"},
        {"profile file", withProfileFile, ""},
        {"broken profile file", brokenProfile, "broken.profile"},
        {"filter", filtered, ""},
        {"bad filter", badFilter, "the filter (uid=a*"},
        {"bad filter for a server", badFilterOnServer, "the filter (uid=a*"},
    };
    for (const Case& c : cases) {
        std::string error;
        const std::unique_ptr<DirectoryClient> opened = opener.Open(c.request, error);
        EXPECT_EQ(opened != nullptr, c.errorPart.empty()) << c.what << ": " << error;
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << c.what << ": " << error;
    }
}

TEST(ChoiceOpener, TheDialogsServerKeepsTheCommandLinesOtherSettingsAndNoPassword) {
    DirectoryChoice start;
    start.ldifPath = "start.ldif";
    start.ldapSettings.bindDn = "cn=admin,o=acme";
    start.ldapSettings.startTls = 1;
    start.ldapSettings.pageSize = 50;
    start.ldapSettings.profile = "ad";
    start.filter = "(!(loginDisabled=TRUE))";
    ChoiceOpener opener(start);
    EXPECT_EQ(opener.Profiles(), (std::vector<std::string>{"auto", "edirectory", "generic", "ad"}));
    const DirectoryRequest initial = opener.Initial();
    EXPECT_FALSE(initial.ldap);
    EXPECT_EQ(initial.ldifPath, "start.ldif");
    EXPECT_EQ(initial.bindName, "cn=admin,o=acme");
    EXPECT_TRUE(initial.startTls);
    EXPECT_EQ(initial.profile, "ad");
    EXPECT_EQ(initial.filter, "(!(loginDisabled=TRUE))");
    EXPECT_EQ(initial.password, "");

    DirectoryRequest server = initial;
    server.ldap = true;
    server.uri = "ldap://127.0.0.1:3890";
    server.password = "secret";
    const DirectoryChoice chosen = opener.ChoiceFor(server);
    EXPECT_TRUE(chosen.ldap);
    EXPECT_FALSE(chosen.ldifPath);
    EXPECT_EQ(chosen.ldapSettings.uri, "ldap://127.0.0.1:3890");
    EXPECT_EQ(chosen.ldapSettings.password, "secret");
    EXPECT_EQ(chosen.ldapSettings.startTls, 2);  // asked for in the window: required
    EXPECT_EQ(chosen.ldapSettings.pageSize, 50);
    EXPECT_EQ(chosen.ldapSettings.profile, "ad");
    EXPECT_EQ(chosen.filter, "(!(loginDisabled=TRUE))");

    // A profile file of the command line is shown by its name.
    start.profileFile = GenericProfile();
    start.profilePath = "/etc/vantor/people.profile";
    EXPECT_EQ(ChoiceOpener(start).Initial().profile, "/etc/vantor/people.profile");
}

}  // namespace
}  // namespace vantor
