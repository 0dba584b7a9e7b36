// LDIF files that are not quite LDIF: random bytes, scrambled records, garbage after a good
// export, NUL bytes, index lines, lines without a type, includes. Each is
// refused with a reason or counted whole, never a crash or a hang.

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
using testing::StartsWith;

// A small deterministic generator, so that a failing input can be made again.
class Xorshift {
  public:
    explicit Xorshift(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }

  private:
    std::uint64_t state_;
};

std::string RandomText(Xorshift& random, std::size_t size, std::string_view alphabet) {
    std::string text(size, '\0');
    for (char& c : text) {
        c = alphabet.empty() ? static_cast<char>(random.Next() & 0xff)
                             : alphabet[random.Below(alphabet.size())];
    }
    return text;
}

void ExpectRefusedOrCounted(std::string_view text) {
    const Counted counted = LoadAndCount(text);
    if (counted.refusal.empty()) {
        ExpectWholeCount(counted);
    } else {
        ExpectClearRefusal(counted.refusal, text);
    }
}

TEST(GarbageLdif, RandomBytesAreRefusedWithAReason) {
    Xorshift random(20240601);
    for (int i = 0; i < 200; ++i) {
        const std::string text = RandomText(random, 1 + random.Below(1500), {});
        SCOPED_TRACE("input " + std::to_string(i));
        ExpectRefusedOrCounted(text);
    }
}

// Records of the right shape with scrambled parts: DNs from a few types and awkward value
// characters, class and other lines, blank lines missing or doubled, CR LF mixed in.
std::string ScrambledRecords(Xorshift& random) {
    constexpr std::string_view kTypes[] = {"ou=", "o=", "cn=", "uid=", "dc=", "l=", "OU="};
    constexpr std::string_view kValueChars = "abcAB .\\,+=#\";<>0";
    constexpr std::string_view kLines[] = {"objectClass: organizationalUnit",
                                           "objectClass: organization",
                                           "objectClass: inetOrgPerson",
                                           "objectClass: groupOfNames",
                                           "objectClass: partition",
                                           "objectClass:: aW5ldE9yZ1BlcnNvbg==",
                                           "description:: =",
                                           "description: folded\n over",
                                           "changetype: add",
                                           "changetype: delete",
                                           "-",
                                           "version: 1",
                                           "# a comment",
                                           " a stray continuation"};
    constexpr std::string_view kEnds[] = {"\n\n", "\n", "\r\n\r\n", "\n\n\n"};
    std::string text;
    for (std::size_t record = random.Below(8) + 1; record > 0; --record) {
        text += "dn: ";
        for (std::size_t rdn = random.Below(4) + 1; rdn > 0; --rdn) {
            text += kTypes[random.Below(std::size(kTypes))];
            text += RandomText(random, random.Below(6), kValueChars);
            text += rdn > 1 ? "," : "";
        }
        for (std::size_t line = random.Below(4); line > 0; --line) {
            text += "\n";
            text += kLines[random.Below(std::size(kLines))];
        }
        text += kEnds[random.Below(std::size(kEnds))];
    }
    return text;
}

TEST(GarbageLdif, ScrambledRecordsAreRefusedOrCounted) {
    Xorshift random(7);
    int loaded = 0;
    for (int i = 0; i < 400; ++i) {
        const std::string text = ScrambledRecords(random);
        SCOPED_TRACE("input " + std::to_string(i) + ":\n" + text);
        const Counted counted = LoadAndCount(text);
        if (counted.refusal.empty()) {
            ++loaded;
            ExpectWholeCount(counted);
        } else {
            ExpectClearRefusal(counted.refusal, text);
        }
    }
    EXPECT_GT(loaded, 0) << "some scrambles are still exports";
}

TEST(GarbageLdif, GarbageAfterAGoodExportIsRefusedOrLeavesTheExportsCount) {
    const Export whole = MakeExport();
    Xorshift random(99);
    for (int i = 0; i < 60; ++i) {
        const std::string text = whole.text + RandomText(random, 1 + random.Below(300), {});
        SCOPED_TRACE("input " + std::to_string(i));
        const Counted counted = LoadAndCount(text);
        if (!counted.refusal.empty()) {
            ExpectClearRefusal(counted.refusal, text);
            continue;
        }
        ExpectWholeCount(counted);
        EXPECT_GE(counted.total, static_cast<std::int32_t>(whole.users.size()) - 1)
            << "only the last record can change";
    }
}

// LDIF text cannot hold a NUL byte; read up to it, a line would lose its end (libldap's own
// reader lost whole entries that way).
TEST(GarbageLdif, ARawNulByteIsRefusedAtItsLine) {
    const std::string inDn = std::string("dn: o=acme\nobjectClass: organization\n\ndn: ou=D") +
                             '\0' + "v,o=acme\nobjectClass: organizationalUnit\n\n" +
                             "dn: uid=a,o=acme\nobjectClass: inetOrgPerson\n";
    EXPECT_EQ(LoadAndCount(inDn).refusal,
              std::string(kLdifSource) +
                  ":4: a NUL byte, which LDIF text cannot hold (a value with one is written in "
                  "base64)");
    const std::string inClass =
        std::string("dn: o=acme\nobjectClass: organization\n\ndn: uid=a,o=acme\nobjectClass: ") +
        "inetOrg" + '\0' + "Person\n\ndn: uid=b,o=acme\nobjectClass: inetOrgPerson\n";
    EXPECT_EQ(RefusedLine(LoadAndCount(inClass).refusal), 5U);
}

TEST(GarbageLdif, ALineOfDigitsWhereARecordStartsIsAnIndexNumberAndNothingElse) {
    // As old tools wrote before each record; alone it is an empty record.
    const Counted alone = LoadAndCount(
        "dn: o=acme\nobjectClass: organization\n\n7\n\n"
        "dn: ou=Dev,o=acme\nobjectClass: organizationalUnit\n");
    ASSERT_THAT(alone.refusal, IsEmpty());
    EXPECT_THAT(alone.shownNames, ElementsAre("[Root]", "acme", "Dev.acme"));
    // Digits run into a dn make a line of another type: the dn is missing.
    EXPECT_EQ(LoadAndCount("1dn: o=acme\nobjectClass: organization\n").refusal,
              std::string(kLdifSource) + ":1: missing dn");
    const Counted indexed = LoadAndCount(
        "1\ndn: o=acme\nobjectClass: organization\n\n"
        "2\ndn: uid=ann,o=acme\nobjectClass: inetOrgPerson\n");
    ASSERT_THAT(indexed.refusal, IsEmpty());
    EXPECT_EQ(indexed.total, 1);
}

TEST(GarbageLdif, ALineWithoutAnAttributeTypeIsRefusedAtItsLine) {
    // libldap's record parser would read a missing type right after the dn through a null
    // pointer.
    EXPECT_EQ(LoadAndCount("dn: o=acme\n: partition\n").refusal,
              std::string(kLdifSource) + ":2: no attribute type before the colon: \": partition\"");
    EXPECT_EQ(LoadAndCount("dn: o=acme\nobjectClass: organization\n\n"
                           "dn: ou=Dev,o=acme\n# note\nobjectClass: organizationalUnit\n:\n")
                  .refusal,
              std::string(kLdifSource) + ":7: no attribute type before the colon: \":\"");
    // Blanks and carriage returns before the colon leave the type empty all the same; a
    // blank first makes a continuation instead.
    EXPECT_EQ(LoadAndCount("dn: o=acme\n\t:x\n").refusal,
              std::string(kLdifSource) + ":2: no attribute type before the colon: \"?:x\"");
    EXPECT_EQ(
        LoadAndCount("dn: o=acme\n# note\n\r \r: organ=acme\n").refusal,
        std::string(kLdifSource) + ":3: no attribute type before the colon: \"? ?: organ=acme\"");
    EXPECT_THAT(LoadAndCount("dn: o=acme\n :x\nobjectClass: organization\n").refusal, IsEmpty());
    // The "-" that ends a change has no type either.
    EXPECT_EQ(LoadAndCount("dn: o=acme\n-\nobjectClass: organization\n").refusal,
              std::string(kLdifSource) + ":2: \"-\" outside a change record");
    EXPECT_EQ(
        LoadAndCount("dn: o=acme\r\nchangetype: add\r\n-\r\nobjectClass: organization\r\n").refusal,
        std::string(kLdifSource) + ":3: \"-\" outside a change record");
    EXPECT_EQ(LoadAndCount("dn: o=acme\nchangetype: modify\n-\n").refusal,
              std::string(kLdifSource) +
                  ":2: change record (changetype: modify), not an entry of a directory export");
}

TEST(GarbageLdif, AnIncludeIsRefusedWithoutLookingForTheFile) {
    const Counted counted =
        LoadAndCount("include: file:///nonexistent/vantor/part.ldif\n\ndn: o=acme\n");
    EXPECT_EQ(counted.refusal, std::string(kLdifSource) +
                                   ":1: \"include:\" is refused: an export is one file, and the "
                                   "line would read another one");
}

}  // namespace
}  // namespace vantor::test
