// Choosing the directory in the window: an export or a server, named before the next count and
// counted by it; a directory that cannot be opened leaves the one before.

#include <functional>

#include "WindowFixture.h"

namespace vantor::test {
namespace {

using DirectoryCommand = WindowTest;

// What the user does in the directory dialog: clicks choice, then OK.
std::function<void(QtDialogHost&)> ClickThenOk(int choice) {
    return [choice](QtDialogHost& dialog) {
        Click(dialog, choice);
        Click(dialog, res::IDOK);
    };
}

TEST_F(DirectoryCommand, AnExportChosenWithBrowseIsNamedAndCountedByTheNextCount) {
    SampleDirectory::Build(dir);
    opener.initial.ldifPath = "/srv/old.ldif";
    ui.openPath = "/srv/new.ldif";
    ui.onDirectoryDialog = ClickThenOk(res::IDC_DIR_BROWSE);
    Press(res::IDC_DIRECTORY);
    ASSERT_EQ(ui.directoryShown.size(), 1u);
    EXPECT_EQ(ui.directoryShown[0].file, "/srv/old.ldif");
    EXPECT_TRUE(ui.directoryShown[0].fileEnabled);
    EXPECT_FALSE(ui.directoryShown[0].uriEnabled);
    ASSERT_EQ(opener.requests.size(), 1u);
    EXPECT_FALSE(opener.requests[0].ldap);
    EXPECT_EQ(opener.requests[0].ldifPath, "/srv/new.ldif");
    EXPECT_EQ(Text(res::IDC_CURRENT_CONTAINER), "Directory: /srv/new.ldif");

    bool directoryEnabledWhileRunning = true;
    ui.onPump = [&](int) { directoryEnabledWhileRunning = Enabled(res::IDC_DIRECTORY); };
    Press(res::IDC_COUNT);
    EXPECT_FALSE(directoryEnabledWhileRunning);
    EXPECT_TRUE(Enabled(res::IDC_DIRECTORY));
    EXPECT_EQ(Text(res::IDC_TOTAL), std::to_string(FakeOpener::kUsers));
    EXPECT_TRUE(client.Calls().empty());  // the directory of the start is not counted
}

TEST_F(DirectoryCommand, AServerWithProfileFileAndFilterIsAskedForItsPasswordNeverShownAgain) {
    opener.initial.uri = "ldap://configured.example";
    ui.openPath = "/srv/people.profile";
    ui.onDirectoryDialog = [](QtDialogHost& dialog) {
        Click(dialog, res::IDC_DIR_LDAP);
        dialog.SetControlText(res::IDC_DIR_URI, "ldap://127.0.0.1:3890");
        dialog.SetControlText(res::IDC_DIR_BASE, "o=acme");
        dialog.SetControlText(res::IDC_DIR_BIND_NAME, "cn=admin,o=acme");
        dialog.SetControlText(res::IDC_DIR_PASSWORD, "secret");
        dialog.SetControlText(res::IDC_DIR_FILTER, "(!(loginDisabled=TRUE))");
        Click(dialog, res::IDC_DIR_PROFILE_BROWSE);
        Click(dialog, res::IDC_DIR_STARTTLS);
        Click(dialog, res::IDOK);
    };
    Press(res::IDC_DIRECTORY);
    ASSERT_EQ(opener.requests.size(), 1u);
    const DirectoryRequest& asked = opener.requests[0];
    EXPECT_TRUE(asked.ldap);
    EXPECT_EQ(asked.uri, "ldap://127.0.0.1:3890");
    EXPECT_EQ(asked.base, "o=acme");
    EXPECT_EQ(asked.bindName, "cn=admin,o=acme");
    EXPECT_EQ(asked.password, "secret");
    EXPECT_TRUE(asked.startTls);
    EXPECT_EQ(asked.profile, "/srv/people.profile");
    EXPECT_EQ(asked.filter, "(!(loginDisabled=TRUE))");
    EXPECT_EQ(Text(res::IDC_CURRENT_CONTAINER), "Directory: ldap://127.0.0.1:3890");

    ui.onDirectoryDialog = nullptr;
    Press(res::IDC_DIRECTORY);
    ASSERT_EQ(ui.directoryShown.size(), 2u);
    EXPECT_EQ(ui.directoryShown[0].uri, "ldap://configured.example");
    const ScriptedUi::ShownDirectory& again = ui.directoryShown[1];
    EXPECT_TRUE(again.ldap);
    EXPECT_TRUE(again.uriEnabled);
    EXPECT_FALSE(again.fileEnabled);
    EXPECT_EQ(again.uri, "ldap://127.0.0.1:3890");
    EXPECT_EQ(again.bindName, "cn=admin,o=acme");
    EXPECT_EQ(again.profile, "/srv/people.profile");
    EXPECT_EQ(again.password, "");
    EXPECT_EQ(opener.requests.size(), 1u);  // cancelled: nothing opened
}

TEST_F(DirectoryCommand, AFailureIsToldWithItsCauseAndTheDirectoryBeforeStays) {
    SampleDirectory::Build(dir);
    const std::string before = Text(res::IDC_CURRENT_CONTAINER);
    opener.failure = "Can't contact LDAP server (ldap://127.0.0.1:1)";
    ui.onDirectoryDialog = ClickThenOk(res::IDC_DIR_LDAP);
    Press(res::IDC_DIRECTORY);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(
        ui.messages[0],
        "The directory could not be opened.\n\nCan't contact LDAP server (ldap://127.0.0.1:1)");
    EXPECT_EQ(Text(res::IDC_CURRENT_CONTAINER), before);
    Press(res::IDC_COUNT);
    EXPECT_EQ(Text(res::IDC_TOTAL), std::to_string(SampleDirectory::kUsers));
}

TEST_F(DirectoryCommand, AnExportMustBeNamedBeforeOkCloses) {
    bool endedByOk = true;
    ui.onDirectoryDialog = [&](QtDialogHost& dialog) {
        dialog.SetControlText(res::IDC_DIR_FILE, "");
        Click(dialog, res::IDOK);
        endedByOk = dialog.Ended();
        Click(dialog, res::IDCANCEL);
    };
    Press(res::IDC_DIRECTORY);
    EXPECT_FALSE(endedByOk);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Name the LDIF export to count."});
    EXPECT_TRUE(opener.requests.empty());
}

}  // namespace
}  // namespace vantor::test
