// What the LDIF directory reads and what it refuses, and where it says a file went wrong.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "directory/ldif/LdifProbe.h"

namespace vantor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// The line (from 1) on which needle first occurs in text.
unsigned long LineOf(std::string_view text, std::string_view needle) {
    const std::size_t at = text.find(needle);
    EXPECT_NE(at, std::string_view::npos) << needle;
    return 1 + static_cast<unsigned long>(std::count(text.begin(), text.begin() + at, '\n'));
}

std::string Refusal(std::string_view ldif) {
    const LdifLoadResult result = LoadLdifText(ldif, "test.ldif");
    EXPECT_FALSE(result) << "loaded although it should be refused";
    EXPECT_EQ(result.directory, nullptr);
    return result.error;
}

std::string At(std::string_view ldif, std::string_view needle) {
    return "test.ldif:" + std::to_string(LineOf(ldif, needle)) + ": ";
}

TEST(LdifFormat, FoldedLinesAreJoined) {
    const auto dir = Loaded(
        "dn: o=ac\n"
        " me\n"
        "objectClass: organiz\n"
        " ation\n"
        "description: a long description that an export\n"
        "  folds after seventy-six columns\n"
        "\n"
        "dn: ou=Research and Develop\n"
        " ment,o=acme\n"
        "objectClass: organizationalUnit\n");
    EXPECT_THAT(ListedNames(*dir, "[Root]"), ElementsAre("acme"));
    EXPECT_THAT(ListedNames(*dir, "acme"), ElementsAre("Research and Development"));
}

TEST(LdifFormat, Base64DnAndObjectClassAreDecoded) {
    // ou=Montréal,o=acme and organizationalUnit, as base64.
    const auto dir = Loaded(
        "dn: o=acme\n"
        "objectClass: organization\n"
        "\n"
        "dn:: b3U9TW9udHLDqWFsLG89YWNtZQ==\n"
        "objectClass:: b3JnYW5pemF0aW9uYWxVbml0\n");
    EXPECT_THAT(ListedNames(*dir, "acme"), ElementsAre("Montr\xC3\xA9"
                                                       "al"));
}

TEST(LdifFormat, CommentsVersionAndCarriageReturnsAreAccepted) {
    const auto dir = Loaded(
        "# an export\r\n"
        "version: 1\r\n"
        "\r\n"
        "# acme, a comment that goes on\r\n"
        "  on a folded line\r\n"
        "dn: o=acme\r\n"
        "# a comment inside the entry\r\n"
        "objectClass: organization\r\n"
        "\r\n"
        "\r\n"
        "dn: ou=Dev,o=acme\r\n"
        "objectClass: organizationalUnit\r\n");
    EXPECT_THAT(ListedNames(*dir, "acme"), ElementsAre("Dev"));
}

TEST(LdifFormat, VersionMayStartTheFirstEntry) {
    const auto dir = Loaded(
        "version: 1\n"
        "dn: o=acme\n"
        "objectClass: organization\n");
    EXPECT_THAT(ListedNames(*dir, "[Root]"), ElementsAre("acme"));
}

TEST(LdifFormat, SearchReferencesAreReferralsWhereTheirUrlPoints) {
    const LdifLoadResult result = LoadLdifText(
        "dn: o=acme\n"
        "objectClass: organization\n"
        "\n"
        "# search reference\n"
        "ref: ldap://elsewhere.example.com/ou=Far,o=acme??sub\n"
        "\n"
        "ref: ldap://other.example.com/\n",
        "acme export");
    ASSERT_TRUE(result) << result.error;
    EXPECT_EQ(result.directory->Description(), "acme export");
    EXPECT_THAT(ListedNames(*result.directory, "[Root]"),
                ElementsAre("acme", "ldap://other\\.example\\.com/"));
    EXPECT_THAT(ListedNames(*result.directory, "acme"), ElementsAre("Far"));
}

TEST(LdifFormat, GenuineExportsGiveTheSameDirectory) {
    for (const char* name :
         {"acme-slapcat.ldif", "acme-ldapsearch.ldif", "acme-ldapsearch-LLL.ldif"}) {
        SCOPED_TRACE(name);
        LdifLoadResult result = LoadLdifFile(DataFile(name));
        ASSERT_TRUE(result) << result.error;
        LdifDirectory& dir = *result.directory;
        EXPECT_EQ(dir.Description(), DataFile(name));
        EXPECT_THAT(ListedNames(dir, "Acme Widgets"), ElementsAre("Montr\xC3\xA9"
                                                                  "al",
                                                                  "St\\. Louis"));
        EXPECT_THAT(ListedNames(dir,
                                "Montr\xC3\xA9"
                                "al.Acme Widgets"),
                    ElementsAre("Sales & Marketing"));
        EXPECT_EQ(Total(CountRun(dir, "User", false)), 2);
        EXPECT_EQ(Total(CountRun(dir, "Group", false)), 2);
        EXPECT_EQ(Total(CountRun(dir, "NCP_Server", false)), 1);
        EXPECT_EQ(Total(CountRun(dir, "Partition", false)), 2);
    }
}

TEST(LdifFormat, AnExportCutShortByALimitIsRefused) {
    const std::string path = DataFile("acme-size-limit.ldif");
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    const LdifLoadResult result = LoadLdifFile(path);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error, path + ":" + std::to_string(LineOf(text, "result: 4")) +
                                ": the search that wrote this file ended with \"4 Size limit "
                                "exceeded\": the file is incomplete");
}

TEST(LdifFormat, AMalformedLineIsNamedByFileAndLine) {
    const std::string ldif =
        "dn: o=acme\n"
        "objectClass: organization\n"
        "\n"
        "dn: ou=Dev,o=acme\n"
        "objectClass: organizationalUnit\n"
        "description: folded over\n"
        " two lines\n"
        "this line has no colon\n"
        "\n"
        "dn: ou=Ops,o=acme\n"
        "objectClass: organizationalUnit\n";
    EXPECT_EQ(Refusal(ldif),
              At(ldif, "this line") + "not an LDIF line: \"this line has no colon\"");
}

TEST(LdifFormat, BadBase64IsNamedByLine) {
    const std::string ldif =
        "dn: o=acme\n"
        "objectClass: organization\n"
        "\n"
        "dn: ou=Dev,o=acme\n"
        "objectClass:: !!!not base64!!!\n";
    EXPECT_THAT(Refusal(ldif), StartsWith(At(ldif, "objectClass::")));
}

TEST(LdifFormat, RecordsWithoutAProperDnAreRefused) {
    const std::string noDn =
        "dn: o=acme\n"
        "objectClass: organization\n"
        "\n"
        "# a comment first\n"
        "objectClass: organizationalUnit\n"
        "ou: Dev\n";
    EXPECT_EQ(Refusal(noDn), At(noDn, "objectClass: organizationalUnit") + "missing dn");

    const std::string dnLater =
        "dn: o=acme\n"
        "objectClass: organization\n"
        "\n"
        "ou: Dev\n"
        "dn: ou=Dev,o=acme\n"
        "objectClass: organizationalUnit\n";
    EXPECT_EQ(Refusal(dnLater), At(dnLater, "ou: Dev") + "expected \"dn:\" first, found \"ou:\"");

    const std::string lostBlankLine =
        "dn: o=acme\n"
        "objectClass: organization\n"
        "dn: ou=Dev,o=acme\n"
        "objectClass: organizationalUnit\n";
    EXPECT_EQ(Refusal(lostBlankLine), At(lostBlankLine, "dn: ou=Dev") +
                                          "second dn in one record (a blank line missing "
                                          "before it?)");

    const std::string lateVersion =
        "dn: o=acme\n"
        "objectClass: organization\n"
        "\n"
        "version: 1\n";
    EXPECT_EQ(Refusal(lateVersion),
              At(lateVersion, "version") + "\"version:\" is allowed only at the top of the file");
}

TEST(LdifFormat, ChangeRecordsAreRefused) {
    const std::string ldif =
        "dn: o=acme\n"
        "objectClass: organization\n"
        "\n"
        "dn: o=acme\n"
        "changetype: modify\n"
        "replace: description\n"
        "description: changed\n";
    EXPECT_EQ(Refusal(ldif), At(ldif, "changetype") +
                                 "change record (changetype: modify), not an entry of a "
                                 "directory export");
}

TEST(LdifFormat, AddRecordsAreEntries) {
    const auto dir = Loaded(
        "dn: o=acme\n"
        "changetype: add\n"
        "objectClass: organization\n");
    EXPECT_THAT(ListedNames(*dir, "[Root]"), ElementsAre("acme"));
}

TEST(LdifFormat, InvalidAndDuplicateDnsAreRefused) {
    const std::string invalid =
        "dn: o=acme\n"
        "objectClass: organization\n"
        "\n"
        "dn: this is no dn\n"
        "objectClass: organizationalUnit\n";
    EXPECT_EQ(Refusal(invalid), At(invalid, "dn: this") + "invalid DN \"this is no dn\"");

    // The same entry, spelled differently.
    const std::string duplicate =
        "dn: o=acme\n"
        "objectClass: organization\n"
        "\n"
        "dn: ou=Dev,o=acme\n"
        "objectClass: organizationalUnit\n"
        "\n"
        "dn: OU=dev, O=ACME\n"
        "objectClass: organizationalUnit\n";
    EXPECT_EQ(Refusal(duplicate), At(duplicate, "dn: OU=dev") + "duplicate entry (first at line " +
                                      std::to_string(LineOf(duplicate, "dn: ou=Dev")) + ")");
}

TEST(LdifFormat, AFileWithoutEntriesIsRefused) {
    EXPECT_EQ(Refusal(""), "test.ldif: no entries");
    EXPECT_EQ(Refusal("# only a comment\n\n"), "test.ldif: no entries");
    EXPECT_EQ(Refusal("version: 1\n"), "test.ldif: no entries");
}

TEST(LdifFormat, UnreadableFilesNameTheFileAndTheCause) {
    const std::string missing = DataFile("no-such-file.ldif");
    LdifLoadResult result = LoadLdifFile(missing);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error, missing + ": cannot open: No such file or directory");

    const std::string folder = std::filesystem::temp_directory_path().string();
    result = LoadLdifFile(folder);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error, folder + ": read error: Is a directory");
}

// Lines that would make a reader fetch other files are refused at their line, before anything
// is fetched (a file's content never reaches a message).
TEST(LdifFormat, IncludesAndUrlValuesAreRefusedAtTheirLine) {
    struct Case {
        std::string ldif;
        std::string needle;
        std::string refusal;
    };
    const std::string org = "dn: o=acme\nobjectClass: organization\n\n";
    const std::vector<Case> cases = {
        {org + "include: file:///etc/hostname\n", "include",
         "\"include:\" is refused: an export is one file, and the line would read another one"},
        {org + "INCLUDE:file:///etc/hostname\n\ndn: ou=Dev,o=acme\n", "INCLUDE",
         "\"include:\" is refused: an export is one file, and the line would read another one"},
        {org + "dn:< file:///etc/shadow\nobjectClass: organizationalUnit\n", "dn:<",
         "the value of \"dn\" is a URL (\":<\"), which is refused: an export holds its values, "
         "and reading the URL would read another file"},
        {org + "dn: ou=Dev,o=acme\nobjectClass: organizationalUnit\njpegPhoto:< "
               "file:///dev/zero\n",
         "jpegPhoto", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ldif);
        const std::string refusal = Refusal(c.ldif);
        EXPECT_THAT(refusal, StartsWith(At(c.ldif, c.needle)));
        if (!c.refusal.empty()) {
            EXPECT_EQ(refusal, At(c.ldif, c.needle) + c.refusal);
        }
    }
}

// libldap's own complaints become part of the message that names the line.
TEST(LdifFormat, NothingOfLibldapReachesStandardError) {
    std::string path = (std::filesystem::temp_directory_path() / "vantor-stderr-XXXXXX").string();
    const int captured = ::mkstemp(path.data());
    ASSERT_GE(captured, 0);
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(captured, STDERR_FILENO);
    const std::string refusal = Refusal(
        "dn: o=acme\nobjectClass:: !!!not base64!!!\n\ndn: this is no dn\n\n"
        "dn: ou=x,o=acme\ndescription:: =\n");
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(captured);
    EXPECT_EQ(std::filesystem::file_size(path), 0U);
    std::filesystem::remove(path);
    EXPECT_EQ(refusal,
              "test.ldif:2: not an LDIF line: \"objectClass:: !!!not base64!!!\" (libldap: invalid "
              "base64 encoding char (!) 0x21)");
}

// A file without blank lines would otherwise be held whole as one record.
TEST(LdifFormat, ARecordLongerThanTheLimitIsRefusedAtItsStart) {
    std::string ldif = "dn: o=acme\nobjectClass: organization\n\ndn: ou=Big,o=acme\n";
    const std::string line = "description: " + std::string(1000, 'x') + "\n";
    while (ldif.size() <= LdifRecordSplitter::kMaxRecordBytes) {
        ldif += line;
    }
    EXPECT_EQ(Refusal(ldif),
              "test.ldif:4: a record longer than 64 MiB (is a blank line missing "
              "between entries?)");
}

TEST(LdifFormat, ProgressIsReportedAndACancelStopsTheRead) {
    std::string ldif = "dn: o=acme\nobjectClass: organization\n\n";
    for (int i = 0; i < 50000; ++i) {
        ldif += "dn: uid=u" + std::to_string(i) + ",o=acme\nobjectClass: inetOrgPerson\n\n";
    }
    std::vector<LdifProgress> seen;
    const LdifLoadResult loaded =
        LoadLdifText(ldif, "test.ldif", GenericProfile(), [&](const LdifProgress& progress) {
            seen.push_back(progress);
            return true;
        });
    ASSERT_TRUE(loaded) << loaded.error;
    ASSERT_GE(seen.size(), 2U) << "more than one read of a text over a MiB";
    EXPECT_EQ(seen.front().totalBytes, ldif.size());
    EXPECT_LT(seen.front().bytesRead, seen.back().bytesRead);
    EXPECT_EQ(seen.front().entries, 0U);
    EXPECT_GT(seen.back().entries, seen.front().entries);

    int calls = 0;
    const LdifLoadResult cancelled = LoadLdifText(ldif, "test.ldif", GenericProfile(),
                                                  [&](const LdifProgress&) { return ++calls < 2; });
    EXPECT_FALSE(cancelled);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(cancelled.error, "reading test.ldif was cancelled");
}

}  // namespace
}  // namespace vantor::test
