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

using testing::ElementsAre;
using testing::IsEmpty;
using testing::SizeIs;

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

// Spellings a server takes for the same entry: case, blanks, escapes, a type by another name
// or its OID, a value in #hex form, a Unicode case fold.
INSTANTIATE_TEST_SUITE_P(Spellings, SecondSpelling,
                         testing::Values("OU=dev,O=ACME", "ou=Dev, o=acme", "ou = Dev,o=acme",
                                         "ou=D\\65v,o=acme", "ou=Dev ,o=acme",
                                         "2.5.4.11=Dev,o=acme",
                                         "organizationalUnitName=Dev,2.5.4.10=acme",
                                         "ou=#1303446576,o=acme", "ou=dEV,organizationName=ACME"));

TEST(CollidingLdifNames, SiblingsThatReadAlikeAreListedWithTheirTypesAndAllCount) {
    // ou=Sales and l=Sales under acme would both be "Sales.acme"; the others keep their names.
    const Counted counted =
        LoadAndCount(Org("o=acme") + Unit("ou=Sales,o=acme") + Users("ou=Sales,o=acme", "a", 2) +
                     Entry("l=Sales,o=acme", "locality") + Users("l=Sales,o=acme", "b", 3) +
                     Unit("ou=Dev,l=Sales,o=acme") + Users("ou=Dev,l=Sales,o=acme", "c", 4) +
                     Unit("ou=Ops,o=acme"));
    ASSERT_THAT(counted.refusal, IsEmpty());
    ExpectWholeCount(counted);
    EXPECT_EQ(counted.total, 9);
    EXPECT_THAT(counted.shownNames, ElementsAre("[Root]", "acme", "ou=Sales.acme", "l=Sales.acme",
                                                "Ops.acme", "Dev.l=Sales.acme"));
}

TEST(CollidingLdifNames, NamesWithDotsAreEscapedAndMissingLevelsCannotPassForContainers) {
    // A top o=Dev.acme beside ou=Dev under o=acme; ou=a.b beside ou=a,ou=b (ou=b a container);
    // ou=c,cn=d (cn=d an entry that is no container) beside ou=d, which holds an ou=c: the two
    // would both read c.d.acme.
    const Counted counted = LoadAndCount(
        Org("o=acme") + Unit("ou=Dev,o=acme") + Users("ou=Dev,o=acme", "a", 2) + Org("o=Dev.acme") +
        Users("o=Dev.acme", "b", 3) + Unit("ou=b,o=acme") + Unit("ou=a,ou=b,o=acme") +
        Unit("ou=a.b,o=acme") + Users("ou=a.b,o=acme", "e", 1) + Users("ou=a,ou=b,o=acme", "f", 1) +
        Users("o=acme", "d", 1) + Unit("ou=c,uid=d0,o=acme") + Users("ou=c,uid=d0,o=acme", "g", 5) +
        Unit("ou=d0,o=acme") + Unit("ou=c,ou=d0,o=acme") + Users("ou=c,ou=d0,o=acme", "h", 7));
    ASSERT_THAT(counted.refusal, IsEmpty());
    ExpectWholeCount(counted);
    EXPECT_EQ(counted.total, 2 + 3 + 1 + 1 + 1 + 5 + 7);
    EXPECT_THAT(counted.shownNames,
                testing::UnorderedElementsAre("[Root]", "acme", "Dev\\.acme", "Dev.acme", "b.acme",
                                              "a\\.b.acme", "ou=c.uid=d0.acme", "ou=d0.acme",
                                              "a.b.acme", "c.ou=d0.acme"));
}

TEST(CollidingLdifNames, AnEscapedCommaIsPartOfTheNameNotAParent) {
    // One RDN whose value is "Dev,o=acme": under o=acme, and at the top (with nothing above
    // it) as a container of its own, neither taken for ou=Dev,o=acme.
    const Counted counted =
        LoadAndCount(Org("o=acme") + Unit("ou=Dev,o=acme") + Users("ou=Dev,o=acme", "a", 2) +
                     Unit("ou=Dev\\,o=acme,o=acme") + Users("ou=Dev\\,o=acme,o=acme", "b", 3) +
                     Unit("ou=Dev\\,o=acme") + Users("ou=Dev\\,o=acme", "c", 5));
    ASSERT_THAT(counted.refusal, IsEmpty());
    ExpectWholeCount(counted);
    EXPECT_EQ(counted.total, 10);
    EXPECT_THAT(counted.shownNames, testing::UnorderedElementsAre("[Root]", "acme", "Dev,o\\=acme",
                                                                  "Dev.acme", "Dev,o\\=acme.acme"));
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

// ---- Long names ----

// A container whose full name is fullLength characters under acme (4 of them, and a dot).
std::string UnitOfFullLength(std::size_t fullLength, char letter) {
    return "ou=" + std::string(fullLength - 5, letter) + ",o=acme";
}

// An export has no bound on names: full names and listed names over 256 characters, the old
// client library's buffer, are counted and shown whole.
TEST(LongLdifNames, NamesOver256AreCountedAndShownWhole) {
    const std::string fits = UnitOfFullLength(256, 'f');
    const std::string over = UnitOfFullLength(257, 'o');
    const std::string below = "ou=Below," + over;
    const std::string far = UnitOfFullLength(300, 'x');
    const std::string ldif = Org("o=acme") + Unit(fits) + Users(fits, "f", 2) + Unit(over) +
                             Users(over, "o", 3) + Unit(below) + Users(below, "b", 4) + Unit(far) +
                             Users(far, "x", 6) + Users("o=acme", "a", 1);
    const std::string overName = std::string(252, 'o') + ".acme";
    for (const bool byContainer : {true, false}) {
        SCOPED_TRACE(byContainer ? "by container" : "by partition");
        const Counted counted = LoadAndCount(ldif, byContainer);
        ASSERT_THAT(counted.refusal, IsEmpty());
        ExpectWholeCount(counted);
        EXPECT_EQ(counted.total, 1 + 2 + 3 + 4 + 6);
        for (const TreeLine& line : counted.lines) {
            EXPECT_TRUE(line.carriesData) << "no error lines: " << line.text;
        }
    }
    EXPECT_THAT(LoadAndCount(ldif).shownNames,
                ElementsAre("[Root]", "acme", std::string(251, 'f') + ".acme", overName,
                            std::string(295, 'x') + ".acme", "Below." + overName));
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
