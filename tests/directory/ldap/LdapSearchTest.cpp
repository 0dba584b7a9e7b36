// Object searches against a real slapd: batches, the four kinds, abandoned searches, and the
// server's refusals (size limit, access control) that must fail rather than count short.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "directory/ldap/LdapErrors.h"
#include "directory/ldap/LdapTestSupport.h"

namespace vantor::test {
namespace {

using testing::HasSubstr;

constexpr int kQaUsers = 25;

std::string SearchTree() {
    std::string ldif = "dn: o=acme\nobjectClass: organization\no: acme\n\n";
    ldif += "dn: cn=FS1,o=acme\nobjectClass: ncpServer\ncn: FS1\n\n";
    ldif += "dn: cn=FS2,o=acme\nobjectClass: ncpServer\ncn: FS2\n\n";
    ldif += OuLdif("ou=QA,o=acme", "QA") + UsersLdif("ou=QA,o=acme", "qa", kQaUsers);
    ldif +=
        "dn: cn=Testers,ou=QA,o=acme\nobjectClass: groupOfNames\ncn: Testers\n"
        "member: uid=qa1,ou=QA,o=acme\n\n";
    ldif += OuLdif("ou=Inner,ou=QA,o=acme", "Inner", {"objectClass: partition"}) +
            UsersLdif("ou=Inner,ou=QA,o=acme", "in", 4);
    ldif += OuLdif("ou=Empty,o=acme", "Empty");
    ldif +=
        OuLdif("ou=Forbidden,o=acme", "Forbidden") + UsersLdif("ou=Forbidden,o=acme", "secret", 3);
    return ldif;
}

// Each test runs with whole-subtree reads (the default) and container by container.
SlapdOptions LdapSearchServer() {
    SlapdOptions options;
    options.ldif = SearchTree();
    // Listed (read) but not searchable: the search from it is refused, with disclosure.
    options.access = "access to dn.base=\"ou=Forbidden,o=acme\" attrs=entry by * =rd";
    return options;
}

class LdapSearch : public SlapdSuite<LdapSearchServer, testing::TestWithParam<bool>> {
  protected:
    void SetUp() override {
        REQUIRE_SLAPD(server_);
        LdapSettings settings = SettingsFor(*server_);
        settings.wholeSubtrees = GetParam();
        dir_ = std::make_unique<LdapDirectory>(settings);
        context_ = dir_->OpenContext();
        ASSERT_GE(context_, 0) << dir_->FailureCause();
        ASSERT_EQ(ListAll(*dir_, context_, "[Root]").result, 0);
        ASSERT_EQ(ListAll(*dir_, context_, "acme").result, 0) << dir_->FailureCause();
        ASSERT_EQ(ListAll(*dir_, context_, "QA.acme").result, 0) << dir_->FailureCause();
    }

    Search Count(const std::string& base, const std::string& className, int maxBatches = 1000) {
        return SearchAll(*dir_, context_, base, className, maxBatches);
    }

    std::unique_ptr<LdapDirectory> dir_;
    DirContext context_ = -1;
};

TEST_P(LdapSearch, UsersDirectlyUnderAContainerInPagesOrOneCount) {
    const Search qa = Count("QA.acme", "User");
    ASSERT_EQ(qa.result, 0) << dir_->FailureCause();
    EXPECT_EQ(qa.count, static_cast<std::uint32_t>(kQaUsers));  // not the 4 in ou=Inner
    EXPECT_EQ(qa.batches, GetParam() ? 1 : (kQaUsers + 9) / 10);
    EXPECT_EQ(qa.handle, kNoIteration);
}

TEST_P(LdapSearch, EachKindCountsItsOwnClass) {
    EXPECT_EQ(Count("QA.acme", "Group").count, 1u);
    EXPECT_EQ(Count("acme", "NCP_Server").count, 2u);
    EXPECT_EQ(Count("QA.acme", "Partition").count, 1u);
    EXPECT_EQ(Count("acme", "User").count, 0u);
    EXPECT_EQ(Count("Inner.QA.acme", "user").count, 4u);  // class names without regard to case
}

TEST_P(LdapSearch, AnEmptyContainerIsOneEmptyBatch) {
    const Search empty = Count("Empty.acme", "User");
    EXPECT_EQ(empty.result, 0);
    EXPECT_EQ(empty.count, 0u);
    EXPECT_EQ(empty.batches, 1);
}

TEST_P(LdapSearch, TheRootHoldsNoObjectsOfItsOwn) {
    const Search root = Count("[Root]", "User");
    EXPECT_EQ(root.result, 0);
    EXPECT_EQ(root.count, 0u);
}

TEST_P(LdapSearch, ASearchBatchHoldsACountNotNames) {
    SearchCursor search(*dir_, context_, "Inner.QA.acme", "User");
    std::uint32_t count = 0;
    ASSERT_EQ(search.Next(count), 0) << dir_->FailureCause();
    EXPECT_EQ(count, 4u);
    std::string name;
    std::uint32_t attributes = 0;
    ObjectInfo info;
    EXPECT_EQ(dir_->NWDSGetObjName(context_, search.Reply(), name, &attributes, &info),
              ldapError::kBatchExhausted);
    EXPECT_THAT(dir_->FailureCause(), HasSubstr("not their names"));
}

// Page by page a search keeps a handle until its end; a count from a subtree read needs none.
TEST_P(LdapSearch, AnAbandonedSearchFreesItsHandle) {
    const Search first = Count("QA.acme", "User", 1);
    if (GetParam()) {
        EXPECT_EQ(first.handle, kNoIteration);
        EXPECT_EQ(first.count, static_cast<std::uint32_t>(kQaUsers));
        return;
    }
    ASSERT_EQ(first.result, 0);
    ASSERT_NE(first.handle, kNoIteration);
    EXPECT_EQ(first.count, 10u);
    EXPECT_EQ(dir_->EndIteration(context_, first.handle, kSearchOperation), 0);
    EXPECT_EQ(dir_->EndIteration(context_, first.handle, kSearchOperation),
              ldapError::kUnknownIteration);
    EXPECT_EQ(Count("QA.acme", "User").count, static_cast<std::uint32_t>(kQaUsers));
}

TEST_P(LdapSearch, AForbiddenContainerFailsInsteadOfCountingNothing) {
    const Search forbidden = Count("Forbidden.acme", "User");
    EXPECT_EQ(forbidden.result, ldapError::kServerBase - 50);  // insufficientAccessRights
    EXPECT_THAT(dir_->FailureCause(), HasSubstr("ou=Forbidden,o=acme"));
    EXPECT_EQ(ListAll(*dir_, context_, "Forbidden.acme").result, ldapError::kServerBase - 50);
}

// A count from the top down reads acme's whole subtree, in which the users below ou=Forbidden
// may be read though ou=Forbidden itself may not be searched: they are counted, as an
// ldapsearch of the subtree counts them. Container by container the search of ou=Forbidden is
// refused and says so.
TEST_P(LdapSearch, AContainerThatMayNotBeSearchedCountsWhatASubtreeSearchReads) {
    std::map<std::string, NodeResult> nodes;
    for (NodeResult& node : RunEngine(*dir_, "User", false)) {
        nodes.emplace(node.fullName, std::move(node));
    }
    const NodeResult& forbidden = nodes.at("Forbidden.acme");
    if (GetParam()) {
        EXPECT_EQ(forbidden.count, 3);
        EXPECT_TRUE(forbidden.errors.empty());
    } else {
        EXPECT_EQ(forbidden.count, 0);
        ASSERT_EQ(forbidden.errors.size(), 2u);
        EXPECT_EQ(forbidden.errors[0].code, ldapError::kServerBase - 50);
    }
    EXPECT_EQ(nodes.at("QA.acme").count, kQaUsers);
    EXPECT_EQ(nodes.at("Inner.QA.acme").count, 4);
}

TEST_P(LdapSearch, OnlyTheObjectClassFilterIsTaken) {
    DirBuffer* filter = nullptr;
    ASSERT_EQ(dir_->NWDSAllocBuf(4096, &filter), 0);
    FilterCursor* cursor = nullptr;
    ASSERT_EQ(dir_->NewFilter(&cursor), 0);
    dir_->AddFilterItem(cursor, filterToken::kAttributeName, "Surname", 0);
    dir_->AddFilterItem(cursor, filterToken::kEquals, nullptr, 0);
    dir_->AddFilterItem(cursor, filterToken::kValue, "Smith", 0);
    dir_->AddFilterItem(cursor, filterToken::kEnd, nullptr, 0);
    EXPECT_EQ(dir_->StoreFilter(context_, filter, cursor, nullptr), ldapError::kBadBuffer)
        << "the buffer was not prepared";
    ASSERT_EQ(dir_->NewFilter(&cursor), 0);
    dir_->AddFilterItem(cursor, filterToken::kAttributeName, "Surname", 0);
    ASSERT_EQ(dir_->PrepareBuffer(context_, kSearchOperation, filter), 0);
    EXPECT_EQ(dir_->StoreFilter(context_, filter, cursor, nullptr), ldapError::kUnsupportedFilter);
    EXPECT_EQ(dir_->FreeFilter(cursor), ldapError::kBadBuffer) << "StoreFilter disposed of it";
    dir_->ReleaseBuffer(filter);
}

INSTANTIATE_TEST_SUITE_P(WholeSubtreesOrNot, LdapSearch, testing::Bool());

// A size limit that cuts a container short fails the search; the batches before it count.
SlapdOptions LdapSizeLimitServer() {
    SlapdOptions options;
    options.ldif = "dn: o=acme\nobjectClass: organization\no: acme\n\n" +
                   OuLdif("ou=Big,o=acme", "Big") + UsersLdif("ou=Big,o=acme", "b", 26) +
                   OuLdif("ou=Small,o=acme", "Small") + UsersLdif("ou=Small,o=acme", "s", 15);
    options.sizeLimit = "20";
    return options;
}

class LdapSizeLimit : public SlapdSuite<LdapSizeLimitServer> {};

TEST_F(LdapSizeLimit, ALimitedContainerFailsAndAnotherCountsWhole) {
    REQUIRE_SLAPD(server_);
    LdapDirectory dir(SettingsFor(*server_, 10));
    const DirContext context = dir.OpenContext();
    ASSERT_GE(context, 0) << dir.FailureCause();
    ASSERT_EQ(ListAll(dir, context, "[Root]").result, 0);
    ASSERT_EQ(ListAll(dir, context, "acme").result, 0);

    const Search big = SearchAll(dir, context, "Big.acme", "User");
    EXPECT_EQ(big.result, ldapError::kServerBase - 4);  // sizeLimitExceeded
    EXPECT_LT(big.count, 26u);
    EXPECT_EQ(big.handle, kNoIteration);
    EXPECT_THAT(dir.FailureCause(), HasSubstr("Size limit exceeded"));

    const Search small = SearchAll(dir, context, "Small.acme", "User");
    EXPECT_EQ(small.result, 0) << dir.FailureCause();
    EXPECT_EQ(small.count, 15u);
}

}  // namespace
}  // namespace vantor::test
