// LDIF names that could fool the counting: the same entry spelled twice, names that compose
// alike or hide a parent, entries without their parents, names over 256 characters, and a
// hundred thousand entries in one container.

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

using testing::AllOf;
using testing::ElementsAre;
using testing::EndsWith;
using testing::IsEmpty;
using testing::SizeIs;
using testing::StartsWith;

// ---- Names that collide or hide their parent ----

// The same entry written a second time: an entry that would be its own twin.
class SecondSpelling : public testing::TestWithParam<const char*> {};

TEST_P(SecondSpelling, IsRefusedAsADuplicateNamingBothLines) {
    const std::string text = Org("o=acme") + Unit("ou=Dev,o=acme") + Unit(GetParam());
    EXPECT_EQ(LoadAndCount(text).refusal, std::string(kLdifSource) + ":" +
                                              std::to_string(LineOf(text, GetParam())) +
                                              ": duplicate entry (first at line " +
                                              std::to_string(LineOf(text, "ou=Dev,o=acme")) + ")");
}

INSTANTIATE_TEST_SUITE_P(Spellings, SecondSpelling,
                         testing::Values("OU=dev,O=ACME", "ou=Dev, o=acme", "ou = Dev,o=acme",
                                         "ou=D\\65v,o=acme", "ou=Dev ,o=acme"));

// LDAP would take these for the same entry too, but they read as other names: the two
// containers then compose one full name, and the user sees errors on both, not a count
// of one of them twice.
class AliasedType : public testing::TestWithParam<const char*> {};

TEST_P(AliasedType, GivesErrorLinesOnBothContainersAndCountsNothingTwice) {
    const std::string alias = GetParam();
    const Counted counted =
        LoadAndCount(Org("o=acme") + Unit("ou=Dev,o=acme") + Users("ou=Dev,o=acme", "a", 2) +
                     Unit(alias) + Users(alias, "b", 3) + Users("o=acme", "c", 4));
    ASSERT_THAT(counted.refusal, IsEmpty());
    ExpectWholeCount(counted);
    EXPECT_EQ(counted.total, 4);
    int errorLines = 0;
    for (const TreeLine& line : counted.lines) {
        if (!line.carriesData && line.text.find(":Dev.acme") != std::string::npos) {
            EXPECT_THAT(line.text, StartsWith(std::to_string(dirError::kObjectNotFound) + ":"));
            ++errorLines;
        }
    }
    EXPECT_EQ(errorLines, 4) << "a search and a listing for each of the two";
}

INSTANTIATE_TEST_SUITE_P(Types, AliasedType,
                         testing::Values("2.5.4.11=Dev,o=acme",
                                         "organizationalUnitName=Dev,o=acme"));

TEST(CollidingLdifNames, AContainerNamedLikeAnotherOnesFullNameMakesBothErrors) {
    // A top o=Dev.acme and ou=Dev under o=acme are both "Dev.acme".
    const Counted counted =
        LoadAndCount(Org("o=acme") + Unit("ou=Dev,o=acme") + Users("ou=Dev,o=acme", "a", 2) +
                     Org("o=Dev.acme") + Users("o=Dev.acme", "b", 3) + Users("o=acme", "c", 1));
    ASSERT_THAT(counted.refusal, IsEmpty());
    ExpectWholeCount(counted);
    EXPECT_EQ(counted.total, 1);
    EXPECT_THAT(counted.shownNames, ElementsAre("[Root]", "acme", "Dev.acme", "Dev.acme"));
}

TEST(CollidingLdifNames, AnEscapedCommaIsPartOfTheNameNotAParent) {
    // One RDN whose value is "Dev,o=acme": under o=acme as "Dev,o=acme", and at the top (with
    // nothing above it) as a container of its own, neither taken for ou=Dev,o=acme.
    const Counted counted =
        LoadAndCount(Org("o=acme") + Unit("ou=Dev,o=acme") + Users("ou=Dev,o=acme", "a", 2) +
                     Unit("ou=Dev\\,o=acme,o=acme") + Users("ou=Dev\\,o=acme,o=acme", "b", 3) +
                     Unit("ou=Dev\\,o=acme") + Users("ou=Dev\\,o=acme", "c", 5));
    ASSERT_THAT(counted.refusal, IsEmpty());
    ExpectWholeCount(counted);
    EXPECT_EQ(counted.total, 10);
    EXPECT_THAT(counted.shownNames, testing::UnorderedElementsAre("[Root]", "acme", "Dev,o=acme",
                                                                  "Dev.acme", "Dev,o=acme.acme"));
}

// ---- Orphans ----

TEST(OrphanLdifEntries, CountUnderTheNearestContainerAboveThemOrTheRoot) {
    const Counted counted =
        LoadAndCount(Org("o=acme") + Users("ou=Gone,o=acme", "a", 2) +
                     Users("uid=x,ou=Gone,o=acme", "b", 1) + Users("ou=Lost,o=nowhere", "c", 3));
    ASSERT_THAT(counted.refusal, IsEmpty());
    ExpectWholeCount(counted);
    EXPECT_EQ(counted.total, 6) << "every user is counted somewhere";
    ASSERT_THAT(counted.lines, SizeIs(2));
    EXPECT_EQ(counted.lines[0].text, "[Root] 3");
    EXPECT_EQ(counted.lines[1].text, "acme 3");
}

// ---- Names too long for the engine ----

// A container whose full name is fullLength characters under acme (4 of them, and a dot).
std::string UnitOfFullLength(std::size_t fullLength, char letter) {
    return "ou=" + std::string(fullLength - 5, letter) + ",o=acme";
}

// The error lines (not their headers) in the order shown.
std::vector<std::string> ErrorLines(const Counted& counted) {
    std::vector<std::string> errors;
    for (const TreeLine& line : counted.lines) {
        if (!line.carriesData && line.text.find(":ERRORS") == std::string::npos) {
            errors.push_back(line.text);
        }
    }
    return errors;
}

// Every line that shows part of a long name shows all of it.
void ExpectNeverCut(const Counted& counted, const std::string& name) {
    for (const TreeLine& line : counted.lines) {
        if (line.text.find(name.substr(0, 64)) != std::string::npos) {
            EXPECT_NE(line.text.find(name), std::string::npos) << line.text;
        }
    }
}

TEST(LongLdifNames, AFullNameOver256IsAnErrorLineNamingItWholeAndTheRestCounts) {
    const std::string fits = UnitOfFullLength(256, 'f');
    const std::string over = UnitOfFullLength(257, 'o');
    const std::string ldif = Org("o=acme") + Unit(fits) + Users(fits, "f", 2) + Unit(over) +
                             Users(over, "o", 3) + Unit("ou=After,o=acme") +
                             Users("ou=After,o=acme", "z", 5) + Users("o=acme", "a", 1);
    const std::string overFullName = std::string(252, 'o') + ".acme";
    for (const bool byContainer : {true, false}) {
        SCOPED_TRACE(byContainer ? "by container" : "by partition");
        const Counted counted = LoadAndCount(ldif, byContainer);
        ASSERT_THAT(counted.refusal, IsEmpty());
        ExpectWholeCount(counted);
        EXPECT_EQ(counted.total, 1 + 2 + 5) << "all but the users of the refused container";
        EXPECT_THAT(ErrorLines(counted),
                    ElementsAre(AllOf(StartsWith(std::to_string(dirError::kNameTooLong) + ":"),
                                      EndsWith(":" + overFullName))));
        ExpectNeverCut(counted, overFullName);
    }
    EXPECT_THAT(LoadAndCount(ldif).shownNames,
                ElementsAre("[Root]", "acme", std::string(251, 'f') + ".acme", "After.acme"));
}

// A listed name that alone is over 256 characters cannot be handed to the engine at all: the
// name read fails under its parent, and the containers listed after it are still counted.
TEST(LongLdifNames, AListedNameOver256IsAnErrorUnderItsParentAndItsSiblingsStillCount) {
    const std::string far = UnitOfFullLength(300, 'x');
    const std::string ldif = Org("o=acme") + Unit(far) + Users(far, "x", 4) +
                             Unit("ou=After,o=acme") + Users("ou=After,o=acme", "z", 5) +
                             Users("o=acme", "a", 1);
    for (const bool byContainer : {true, false}) {
        SCOPED_TRACE(byContainer ? "by container" : "by partition");
        const Counted counted = LoadAndCount(ldif, byContainer);
        ASSERT_THAT(counted.refusal, IsEmpty());
        ExpectWholeCount(counted);
        EXPECT_EQ(counted.total, 1 + 5) << "all but the users of the refused container";
        EXPECT_THAT(ErrorLines(counted),
                    ElementsAre(AllOf(StartsWith(std::to_string(dirError::kNameTooLong) + ":"),
                                      EndsWith(":acme"))));
        ExpectNeverCut(counted, std::string(295, 'x'));
    }
}

// ---- Size ----

TEST(LargeLdif, AHundredThousandEntriesInOneContainerAreAllCounted) {
    constexpr int kEntries = 100000;
    std::string ldif = Org("o=acme") + Unit("ou=Big,o=acme");
    ldif.reserve(ldif.size() + kEntries * 60);
    for (int i = 0; i < kEntries; ++i) {
        ldif += "dn: uid=u";
        ldif += std::to_string(i);
        ldif += ",ou=Big,o=acme\nobjectClass: inetOrgPerson\n\n";
    }
    for (const bool byContainer : {true, false}) {
        SCOPED_TRACE(byContainer ? "by container" : "by partition");
        const Counted counted = LoadAndCount(ldif, byContainer);
        ASSERT_THAT(counted.refusal, IsEmpty());
        ExpectWholeCount(counted);
        EXPECT_EQ(counted.total, kEntries);
        const std::string bigLine = (byContainer ? "Big " : "acme ") + std::to_string(kEntries);
        EXPECT_TRUE(std::any_of(counted.lines.begin(), counted.lines.end(),
                                [&](const TreeLine& line) { return line.text == bigLine; }))
            << bigLine;
    }
}

}  // namespace
}  // namespace vantor::test
