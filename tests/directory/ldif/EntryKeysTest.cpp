// The compact key store: duplicates and nearest entries, also among many keys whose 32-bit
// hashes collide.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "directory/ldif/EntryKeys.h"

namespace vantor {
namespace {

using ::testing::ElementsAre;
using ::testing::Optional;
using ::testing::Pair;

// A key as DnParser writes it, from RDN keys given own first.
EntryDn Key(std::initializer_list<std::string_view> rdns) {
    EntryDn dn;
    for (std::string_view rdn : rdns) {
        if (!dn.key.empty()) {
            dn.key += ',';
        }
        dn.key += rdn;
        if (dn.rdnCount++ == 0) {
            dn.firstRdnKeyLength = dn.key.size();
        }
    }
    return dn;
}

TEST(EntryKeys, ManyDistinctKeysHaveNoDuplicateAndFindTheirParents) {
    // Enough keys for the 32-bit hashes of some to collide.
    constexpr int kParents = 100;
    constexpr int kChildren = 2000;
    EntryKeys keys;
    keys.Add(Key({"o=acme"}));
    for (int p = 0; p < kParents; ++p) {
        keys.Add(Key({"ou=" + std::to_string(p), "o=acme"}));
    }
    for (int p = 0; p < kParents; ++p) {
        const std::string parent = "ou=" + std::to_string(p);
        for (int c = 0; c < kChildren; ++c) {
            keys.Add(Key({"cn=" + std::to_string(c), parent, "o=acme"}));
        }
    }
    EXPECT_EQ(keys.FirstDuplicate(), std::nullopt);
    const std::vector<std::uint32_t> nearest = keys.NearestEntries();
    ASSERT_EQ(keys.ParentKeyOf(0), EntryKeys::kNone);
    EXPECT_EQ(nearest.at(keys.ParentKeyOf(1)), 0U);
    for (std::uint32_t p = 0; p < kParents; ++p) {
        const std::uint32_t child = 1 + kParents + p * kChildren + kChildren - 1;
        EXPECT_EQ(nearest.at(keys.ParentKeyOf(child)), 1 + p);
    }
}

TEST(EntryKeys, TheFirstDuplicateInFileOrderIsReported) {
    EntryKeys keys;
    keys.Add(Key({"o=acme"}));            // 0
    keys.Add(Key({"ou=b", "o=acme"}));    // 1
    keys.Add(Key({"ou=a", "o=acme"}));    // 2
    keys.Add(Key({"ou=a", "o=globex"}));  // 3: same RDN, other parent
    keys.Add(Key({"ou=a", "o=acme"}));    // 4: repeats 2
    keys.Add(Key({"ou=b", "o=acme"}));    // 5: repeats 1, but later
    EXPECT_THAT(keys.FirstDuplicate(), Optional(Pair(2U, 4U)));
}

TEST(EntryKeys, TheNearestEntrySkipsLevelsNotInTheFile) {
    EntryKeys keys;
    keys.Add(Key({"cn=x", "ou=qa", "ou=dev", "o=acme"}));  // 0
    keys.Add(Key({"o=acme"}));                             // 1
    keys.Add(Key({"cn=y", "ou=other"}));                   // 2
    ASSERT_EQ(keys.FirstDuplicate(), std::nullopt);
    const std::vector<std::uint32_t> nearest = keys.NearestEntries();
    EXPECT_EQ(nearest.at(keys.ParentKeyOf(0)), 1U);
    EXPECT_EQ(nearest.at(keys.ParentKeyOf(2)), EntryKeys::kNone);
    EXPECT_EQ(keys.ParentKeyOf(1), EntryKeys::kNone);
}

}  // namespace
}  // namespace vantor
