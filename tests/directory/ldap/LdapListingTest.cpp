// Container listings against a real slapd: the top containers under "[Root]", names holding
// blanks, dots and commas, several batches, sub-suffixes, referrals.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "directory/ldap/LdapErrors.h"
#include "directory/ldap/LdapTestSupport.h"

namespace vantor::test {
namespace {

using testing::Each;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::UnorderedElementsAre;

constexpr int kManyContainers = 23;
constexpr int kPageSize = 10;

// Four levels of 60-character names below ou=Beta,ou=v1.2,o=acme; the DN of the deepest.
std::string LongChainDn() {
    std::string dn = "ou=Beta,ou=v1.2,o=acme";
    for (char c : {'a', 'b', 'c', 'd'}) {
        dn = "ou=" + std::string(60, c) + "," + dn;
    }
    return dn;
}

std::string LongChain() {
    std::string ldif;
    std::string dn = "ou=Beta,ou=v1.2,o=acme";
    for (char c : {'a', 'b', 'c', 'd'}) {
        dn = "ou=" + std::string(60, c) + "," + dn;
        ldif += OuLdif(dn, std::string(60, c));
    }
    return ldif;
}

std::string ListingTree() {
    std::string ldif = "dn: o=acme\nobjectClass: organization\no: acme\n\n";
    ldif += "dn: cn=FS1,o=acme\nobjectClass: ncpServer\ncn: FS1\n\n";
    ldif += OuLdif("ou=Sales Team,o=acme", "Sales Team");
    ldif += OuLdif("ou=Tools\\, Inc.,o=acme", "Tools, Inc.");
    ldif += OuLdif("ou=Sub,ou=Tools\\, Inc.,o=acme", "Sub");
    ldif += OuLdif("ou=v1.2,o=acme", "v1.2");
    ldif += OuLdif("ou=Beta,ou=v1.2,o=acme", "Beta");
    ldif += LongChain();
    ldif += OuLdif("ou=a.b,o=acme", "a.b");
    ldif += OuLdif("ou=b,o=acme", "b");
    ldif += OuLdif("ou=a,ou=b,o=acme", "a");
    ldif += OuLdif("ou=Many,o=acme", "Many");
    for (int i = 1; i <= kManyContainers; ++i) {
        ldif +=
            OuLdif("ou=Unit " + std::to_string(i) + ",ou=Many,o=acme", "Unit " + std::to_string(i));
    }
    ldif += OuLdif("ou=Exact,o=acme", "Exact") + UsersLdif("ou=Exact,o=acme", "x", 2 * kPageSize);
    for (int i = 1; i <= 2 * kPageSize; ++i) {
        ldif += OuLdif("ou=E" + std::to_string(i) + ",ou=Exact,o=acme", "E" + std::to_string(i));
    }
    // Held by another server; the URL points at a closed loopback port and is never followed.
    ldif +=
        "dn: ou=Remote,o=acme\nobjectClass: referral\nobjectClass: extensibleObject\n"
        "ou: Remote\nref: ldap://127.0.0.1:1/ou=Remote,o=acme\n\n";
    return ldif;
}

SlapdOptions LdapListingServer() {
    SlapdOptions options;
    options.ldif = ListingTree();
    options.subordinates = {
        {"dc=example,dc=com", SlapdDatabase::Glue::kSeparate,
         "dn: dc=example,dc=com\nobjectClass: domain\ndc: example\n\n" +
             OuLdif("ou=People,dc=example,dc=com", "People")},
        {"ou=Branch,o=acme", SlapdDatabase::Glue::kGluedAdvertised,
         OuLdif("ou=Branch,o=acme", "Branch") + OuLdif("ou=Sub,ou=Branch,o=acme", "Sub")},
        {"ou=Separate,o=acme", SlapdDatabase::Glue::kSeparate,
         OuLdif("ou=Separate,o=acme", "Separate") +
             OuLdif("ou=Inside,ou=Separate,o=acme", "Inside")},
    };
    return options;
}

class LdapListing : public SlapdSuite<LdapListingServer> {
  protected:
    void SetUp() override {
        REQUIRE_SLAPD(server_);
        dir_ = std::make_unique<LdapDirectory>(SettingsFor(*server_, kPageSize));
        context_ = dir_->OpenContext();
        ASSERT_GE(context_, 0) << dir_->FailureCause();
    }

    Listing List(const std::string& name) { return ListAll(*dir_, context_, name); }

    std::unique_ptr<LdapDirectory> dir_;
    DirContext context_ = -1;
};

TEST_F(LdapListing, RootHoldsTheTopNamingContextsNamedByTheirValues) {
    const Listing root = List("[Root]");
    ASSERT_EQ(root.result, 0) << dir_->FailureCause();
    EXPECT_EQ(root.batches, 1);
    EXPECT_THAT(root.names, UnorderedElementsAre("acme", "example.com"));
    EXPECT_THAT(root.flags, Each(kContainerFlag));
}

TEST_F(LdapListing, ContainersKeepBlanksDotsAndCommasAndObjectsAreLeftOut) {
    ASSERT_EQ(List("[Root]").result, 0);
    const Listing acme = List("acme");
    ASSERT_EQ(acme.result, 0) << dir_->FailureCause();
    EXPECT_THAT(acme.names,
                UnorderedElementsAre("Sales Team", "Tools, Inc\\.", "v1\\.2", "a\\.b", "b", "Many",
                                     "Exact", "Remote", "Branch", "Separate"));
    EXPECT_THAT(acme.flags, Each(kContainerFlag));
}

TEST_F(LdapListing, NamesWithDotsAndCommasLeadBackToTheirEntries) {
    ASSERT_EQ(List("[Root]").result, 0);
    ASSERT_EQ(List("acme").result, 0);
    EXPECT_THAT(List("Tools, Inc\\..acme").names, ElementsAre("Sub"));
    EXPECT_THAT(List("v1\\.2.acme").names, ElementsAre("Beta"));
    EXPECT_THAT(List("Sales Team.acme").names, ElementsAre());
    ASSERT_EQ(List("example.com").result, 0);
    EXPECT_THAT(List("example.com").names, ElementsAre("People"));
}

// A base names the one top container with all its values: here more than 256 characters, which
// a server's names may be.
TEST_F(LdapListing, ANameLongerThanTheOldBufferIsHandedOutWhole) {
    LdapSettings settings = SettingsFor(*server_, kPageSize);
    settings.base = LongChainDn();
    LdapDirectory deep(settings);
    const DirContext context = deep.OpenContext();
    ASSERT_GE(context, 0) << deep.FailureCause();
    const std::string name = std::string(60, 'd') + "." + std::string(60, 'c') + "." +
                             std::string(60, 'b') + "." + std::string(60, 'a') +
                             ".Beta.v1\\.2.acme";
    EXPECT_THAT(ListAll(deep, context, "[Root]").names, ElementsAre(name));
    EXPECT_EQ(SearchAll(deep, context, name, "User").result, 0) << deep.FailureCause();
}

TEST_F(LdapListing, ManyContainersComeInSeveralBatches) {
    ASSERT_EQ(List("[Root]").result, 0);
    ASSERT_EQ(List("acme").result, 0);
    const Listing many = List("Many.acme");
    ASSERT_EQ(many.result, 0) << dir_->FailureCause();
    EXPECT_EQ(many.names.size(), static_cast<std::size_t>(kManyContainers));
    EXPECT_EQ(many.batches, (kManyContainers + kPageSize - 1) / kPageSize);
}

// slapd's glue answers the page after an exactly full last page with unwillingToPerform.
TEST_F(LdapListing, AContainerThatFillsItsLastPageExactlyIsReadWhole) {
    LdapSettings settings = SettingsFor(*server_, kPageSize);
    settings.wholeSubtrees = false;
    dir_ = std::make_unique<LdapDirectory>(settings);
    context_ = dir_->OpenContext();
    ASSERT_EQ(List("[Root]").result, 0);
    ASSERT_EQ(List("acme").result, 0);
    const Search users = SearchAll(*dir_, context_, "Exact.acme", "User");
    EXPECT_EQ(users.result, 0) << dir_->FailureCause();
    EXPECT_EQ(users.count, static_cast<std::uint32_t>(2 * kPageSize));
    EXPECT_EQ(users.batches, 3) << "two full pages and an empty last one";
    const Listing units = List("Exact.acme");
    EXPECT_EQ(units.result, 0) << dir_->FailureCause();
    EXPECT_EQ(units.names.size(), static_cast<std::size_t>(2 * kPageSize));
    EXPECT_EQ(SearchAll(*dir_, context_, "Many.acme", "User").result, 0) << dir_->FailureCause();
}

TEST_F(LdapListing, SubSuffixesAppearUnderTheirParentGluedOrNot) {
    ASSERT_EQ(List("[Root]").result, 0);
    ASSERT_EQ(List("acme").result, 0);
    EXPECT_THAT(List("Branch.acme").names, ElementsAre("Sub"));
    EXPECT_THAT(List("Separate.acme").names, ElementsAre("Inside"));
}

TEST_F(LdapListing, AGluedListingThatEndsOnAFullPageLeavesLaterSearchesIntact) {
    ASSERT_EQ(List("[Root]").result, 0);
    const Listing acme = List("acme");
    ASSERT_EQ(acme.result, 0);
    // The server's own entries (Separate comes from the root DSE) in several full pages.
    const int entries = static_cast<int>(acme.names.size()) - 1;
    int pageSize = entries / 2;
    while (entries % pageSize != 0) {
        --pageSize;
    }
    LdapDirectory exact(SettingsFor(*server_, pageSize));
    const DirContext context = exact.OpenContext();
    ASSERT_GE(context, 0) << exact.FailureCause();
    ASSERT_EQ(ListAll(exact, context, "[Root]").result, 0);
    ASSERT_EQ(ListAll(exact, context, "acme").names.size(), acme.names.size());
    const Listing many = ListAll(exact, context, "Many.acme");
    EXPECT_EQ(many.result, 0) << exact.FailureCause();
    EXPECT_EQ(many.names.size(), static_cast<std::size_t>(kManyContainers));
    EXPECT_EQ(ListAll(exact, context, "acme").names.size(), acme.names.size());
}

TEST_F(LdapListing, AReferralIsAContainerWhoseCountFails) {
    ASSERT_EQ(List("[Root]").result, 0);
    ASSERT_EQ(List("acme").result, 0);
    const Search search = SearchAll(*dir_, context_, "Remote.acme", "User");
    EXPECT_EQ(search.result, dirError::kReferralsFailed);
    EXPECT_THAT(dir_->FailureCause(), HasSubstr("ou=Remote,o=acme"));
}

TEST_F(LdapListing, NamesNotHandedOutAreUnknown) {
    EXPECT_EQ(List("acme").result, dirError::kUnknownName);  // "[Root]" not listed yet
    ASSERT_EQ(List("[Root]").result, 0);
    EXPECT_EQ(List("Nowhere.acme").result, dirError::kUnknownName);
    EXPECT_THAT(dir_->FailureCause(), HasSubstr("Nowhere.acme"));
}

TEST_F(LdapListing, ReadingPastABatchOrWithAStaleHandleFails) {
    DirBuffer* reply = nullptr;
    ASSERT_EQ(dir_->NWDSAllocBuf(4096, &reply), 0);
    std::int32_t handle = kNoIteration;
    ASSERT_EQ(dir_->NWDSListContainers(context_, "[Root]", &handle, reply), 0);
    std::string name;
    std::uint32_t attributes = 0;
    ObjectInfo info;
    EXPECT_EQ(dir_->NWDSGetObjName(context_, reply, name, &attributes, &info), 0);
    EXPECT_EQ(dir_->NWDSGetObjName(context_, reply, name, &attributes, &info), 0);
    EXPECT_EQ(dir_->NWDSGetObjName(context_, reply, name, &attributes, &info),
              ldapError::kBatchExhausted);
    handle = 12345;
    EXPECT_EQ(dir_->NWDSListContainers(context_, "[Root]", &handle, reply),
              ldapError::kUnknownIteration);
    EXPECT_EQ(dir_->ReleaseBuffer(reply), 0);
}

// slapd refuses a page size above size.pr with adminLimitExceeded; the back end asks again
// with smaller pages and keeps the smaller size.
SlapdOptions LdapPageSizeServer() {
    SlapdOptions options;
    options.ldif = "dn: o=acme\nobjectClass: organization\no: acme\n\n" +
                   OuLdif("ou=Staff,o=acme", "Staff") + UsersLdif("ou=Staff,o=acme", "s", 17);
    for (int i = 1; i <= 9; ++i) {
        options.ldif +=
            OuLdif("ou=Unit" + std::to_string(i) + ",o=acme", "Unit" + std::to_string(i));
    }
    options.sizeLimit = "size.soft=unlimited size.hard=unlimited size.pr=3 size.prtotal=unlimited";
    return options;
}

class LdapPageSize : public SlapdSuite<LdapPageSizeServer> {};

TEST_F(LdapPageSize, ARefusedPageSizeIsLoweredUntilTheServerTakesIt) {
    REQUIRE_SLAPD(server_);
    LdapSettings settings = SettingsFor(*server_, 10);
    settings.wholeSubtrees = false;
    LdapDirectory dir(settings);
    const DirContext context = dir.OpenContext();
    ASSERT_GE(context, 0) << dir.FailureCause();
    ASSERT_EQ(ListAll(dir, context, "[Root]").result, 0);
    const Listing acme = ListAll(dir, context, "acme");
    ASSERT_EQ(acme.result, 0) << dir.FailureCause();
    EXPECT_EQ(acme.names.size(), 10u);
    const Search staff = SearchAll(dir, context, "Staff.acme", "User");
    ASSERT_EQ(staff.result, 0) << dir.FailureCause();
    EXPECT_EQ(staff.count, 17u);
    EXPECT_GE(staff.batches, 17 / 3);  // pages of at most three
}

}  // namespace
}  // namespace vantor::test
