// LDIF files cut off anywhere: mid-record, mid-base64, mid-folded line. Each cut is refused
// with the file and a line of what is left, or counts the whole records before it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/DirectoryClient.h"
#include "faults/LdifCount.h"

namespace vantor::test {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

TEST(TruncatedLdif, TheWholeExportCountsEveryUser) {
    const Export whole = MakeExport();
    const Counted counted = LoadAndCount(whole.text);
    ASSERT_THAT(counted.refusal, IsEmpty());
    ExpectWholeCount(counted);
    EXPECT_EQ(counted.total, static_cast<std::int32_t>(whole.users.size()));
}

// Cut after every byte: a refusal that names the file and a line of what is left, or a count of
// at least the users whose records are whole and at most those that were begun.
TEST(TruncatedLdif, ACutAnywhereIsRefusedOrCountsTheWholeRecordsBeforeIt) {
    const Export whole = MakeExport();
    int refused = 0;
    for (std::size_t cut = 0; cut < whole.text.size(); ++cut) {
        const std::string_view text = std::string_view(whole.text).substr(0, cut);
        SCOPED_TRACE("cut after " + std::to_string(cut) + " bytes: ..." +
                     std::string(text.substr(text.size() > 30 ? text.size() - 30 : 0)));
        const Counted counted = LoadAndCount(text);
        if (!counted.refusal.empty()) {
            ++refused;
            ExpectClearRefusal(counted.refusal, text);
            continue;
        }
        ExpectWholeCount(counted);
        std::int32_t complete = 0;
        std::int32_t begun = 0;
        for (const auto& [start, end] : whole.users) {
            complete += end <= cut ? 1 : 0;
            begun += start < cut ? 1 : 0;
        }
        EXPECT_GE(counted.total, complete);
        EXPECT_LE(counted.total, begun);
    }
    EXPECT_GT(refused, 0) << "some cuts leave a record no reader could take";
}

// The cut at the end of the text that ends just before marker's end (after its first
// `keep` characters).
std::string CutAfter(const std::string& text, const std::string& marker, std::size_t keep) {
    const std::size_t at = text.find(marker);
    EXPECT_NE(at, std::string::npos) << marker;
    return text.substr(0, at + keep);
}

TEST(TruncatedLdif, MidRecordTheCutEntryIsNoContainerAndTheUsersBeforeItCount) {
    const std::string text = MakeExport().text;
    const Counted counted = LoadAndCount(CutAfter(
        text, "objectClass: organizationalUnit\nou: Research", 24));  // "...organizationalU"
    ASSERT_THAT(counted.refusal, IsEmpty());
    ExpectWholeCount(counted);
    EXPECT_EQ(counted.total, 1);
    EXPECT_THAT(counted.shownNames, ElementsAre("[Root]", "acme"));
}

TEST(TruncatedLdif, MidBase64TheDnLineIsNamed) {
    const std::string text = MakeExport().text;
    const std::string dnLine = "dn:: b3U9U8OkbGUsbz1hY21l";
    const unsigned long line = LineOf(text, dnLine);
    // Not a whole group of four: the value cannot be decoded.
    const std::string partial = CutAfter(text, dnLine, dnLine.size() - 6);
    const Counted counted = LoadAndCount(partial);
    ExpectClearRefusal(counted.refusal, partial);
    EXPECT_EQ(RefusedLine(counted.refusal), line) << counted.refusal;
    // Whole groups that decode to "ou=S\xc3\xa4le,": a DN cut after its comma.
    const Counted comma = LoadAndCount(CutAfter(text, dnLine, dnLine.size() - 8));
    EXPECT_EQ(comma.refusal, std::string(kLdifSource) + ":" + std::to_string(line) +
                                 ": invalid DN \"ou=S\xc3\xa4le,\"");
}

TEST(TruncatedLdif, MidFoldedDnTheRestStandsAsItIsOrIsRefused) {
    const std::string text = MakeExport().text;
    const std::string folded = "dn: ou=Research and Development,\n o=acme";
    const unsigned long line = LineOf(text, folded);
    // Before the continuation: the dn ends in a comma.
    const Counted beforeContinuation = LoadAndCount(CutAfter(text, folded, folded.size() - 7));
    EXPECT_EQ(beforeContinuation.refusal, std::string(kLdifSource) + ":" + std::to_string(line) +
                                              ": invalid DN \"ou=Research and Development,\"");
    // Inside the continuation: a valid DN, but the entry has lost its classes with the rest of
    // the record, so it is no container and counts for no kind.
    const Counted inside = LoadAndCount(CutAfter(text, folded, folded.size() - 2));
    ASSERT_THAT(inside.refusal, IsEmpty());
    ExpectWholeCount(inside);
    EXPECT_EQ(inside.total, 1);
    EXPECT_THAT(inside.shownNames, ElementsAre("[Root]", "acme"));
}

}  // namespace
}  // namespace vantor::test
