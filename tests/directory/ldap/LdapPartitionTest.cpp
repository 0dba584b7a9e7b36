// Partition roots against a real slapd: published naming contexts (glued sub-suffixes and
// separate databases), the partition class, and the vendors' entryFlags and instanceType bits.

#include <gtest/gtest.h>

#include "directory/ldap/LdapTestSupport.h"

namespace vantor::test {
namespace {

std::string PartitionTree() {
    std::string ldif = "dn: o=acme\nobjectClass: organization\no: acme\n\n";
    ldif += OuLdif("ou=Europe,o=acme", "Europe", {"objectClass: partition"});
    ldif += OuLdif("ou=Paris,ou=Europe,o=acme", "Paris");
    ldif += OuLdif("ou=Lyon,ou=Paris,ou=Europe,o=acme", "Lyon", {"objectClass: partition"});
    ldif += OuLdif("ou=Asia,o=acme", "Asia", {"objectClass: vantorTestMarks", "entryFlags: 6"});
    ldif += OuLdif("ou=Tokyo,ou=Asia,o=acme", "Tokyo",
                   {"objectClass: vantorTestMarks", "entryFlags: 4"});
    ldif += OuLdif("ou=Labs,o=acme", "Labs", {"objectClass: vantorTestMarks", "instanceType: 5"});
    ldif += OuLdif("ou=Plain,o=acme", "Plain", {"objectClass: vantorTestMarks", "instanceType: 4"});
    return ldif;
}

SlapdOptions LdapPartitionsServer() {
    SlapdOptions options;
    options.ldif = PartitionTree();
    options.subordinates = {
        {"ou=Branch,o=acme", SlapdDatabase::Glue::kGluedAdvertised,
         OuLdif("ou=Branch,o=acme", "Branch") + OuLdif("ou=Sub,ou=Branch,o=acme", "Sub")},
        {"ou=Hidden,o=acme", SlapdDatabase::Glue::kGlued, OuLdif("ou=Hidden,o=acme", "Hidden")},
        {"ou=Separate,o=acme", SlapdDatabase::Glue::kSeparate,
         OuLdif("ou=Separate,o=acme", "Separate")},
    };
    return options;
}

class LdapPartitions : public SlapdSuite<LdapPartitionsServer> {
  protected:
    // Opens a context with these settings and lists every container the engine would meet.
    void Open(LdapSettings settings) {
        dir_ = std::make_unique<LdapDirectory>(std::move(settings));
        context_ = dir_->OpenContext();
        ASSERT_GE(context_, 0) << dir_->FailureCause();
        std::vector<std::string> pending = {"[Root]"};
        for (std::size_t i = 0; i < pending.size() && i < 100; ++i) {
            const Listing listing = ListAll(*dir_, context_, pending[i]);
            ASSERT_EQ(listing.result, 0) << pending[i] << ": " << dir_->FailureCause();
            for (const std::string& name : listing.names) {
                pending.push_back(i == 0 ? name : name + "." + pending[i]);
            }
        }
    }

    std::string RootOf(const std::string& name) {
        std::string root;
        const int r = dir_->FindPartitionRoot(context_, name.c_str(), root);
        return r == 0 ? std::string(root) : "error " + std::to_string(r);
    }

    std::unique_ptr<LdapDirectory> dir_;
    DirContext context_ = -1;
};

TEST_F(LdapPartitions, NearestRootAtOrAbove) {
    REQUIRE_SLAPD(server_);
    Open(SettingsFor(*server_));
    EXPECT_EQ(RootOf("[Root]"), "[Root]");
    EXPECT_EQ(RootOf("acme"), "acme");
    EXPECT_EQ(RootOf("Europe.acme"), "Europe.acme");
    EXPECT_EQ(RootOf("Paris.Europe.acme"), "Europe.acme");
    EXPECT_EQ(RootOf("Lyon.Paris.Europe.acme"), "Lyon.Paris.Europe.acme");
}

TEST_F(LdapPartitions, PublishedSubSuffixesStartPartitionsUnpublishedOnesDoNot) {
    REQUIRE_SLAPD(server_);
    Open(SettingsFor(*server_));
    EXPECT_EQ(RootOf("Branch.acme"), "Branch.acme");
    EXPECT_EQ(RootOf("Sub.Branch.acme"), "Branch.acme");
    EXPECT_EQ(RootOf("Separate.acme"), "Separate.acme");
    EXPECT_EQ(RootOf("Hidden.acme"), "acme");
}

TEST_F(LdapPartitions, VendorBitsMarkRoots) {
    REQUIRE_SLAPD(server_);
    Open(SettingsFor(*server_));
    EXPECT_EQ(RootOf("Asia.acme"), "Asia.acme");  // entryFlags 0x2
    EXPECT_EQ(RootOf("Tokyo.Asia.acme"), "Asia.acme");
    EXPECT_EQ(RootOf("Labs.acme"), "Labs.acme");  // instanceType 0x1
    EXPECT_EQ(RootOf("Plain.acme"), "acme");
}

TEST_F(LdapPartitions, TheProfileDecidesWhichClassMarksARoot) {
    REQUIRE_SLAPD(server_);
    LdapSettings settings = SettingsFor(*server_);
    settings.profile = "ad";  // its partition class is domainDNS
    Open(settings);
    EXPECT_EQ(RootOf("Paris.Europe.acme"), "acme");
    EXPECT_EQ(RootOf("Labs.acme"), "Labs.acme");
}

TEST_F(LdapPartitions, AGivenBaseIsTheOneTopPartition) {
    REQUIRE_SLAPD(server_);
    LdapSettings settings = SettingsFor(*server_);
    settings.base = "ou=Paris,ou=Europe,o=acme";
    Open(settings);
    EXPECT_EQ(ListAll(*dir_, context_, "[Root]").names,
              std::vector<std::string>{"Paris.Europe.acme"});
    EXPECT_EQ(RootOf("Paris.Europe.acme"), "Paris.Europe.acme");
    EXPECT_EQ(RootOf("Lyon.Paris.Europe.acme"), "Lyon.Paris.Europe.acme");
    EXPECT_EQ(RootOf("Europe.acme"), "error " + std::to_string(dirError::kUnknownName));
}

}  // namespace
}  // namespace vantor::test
