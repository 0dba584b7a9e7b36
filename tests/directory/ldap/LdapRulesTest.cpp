#include <gtest/gtest.h>
#include <ldap.h>

#include <set>

#include "directory/ldap/IterationTable.h"
#include "directory/ldap/LdapErrors.h"
#include "directory/ldap/LdapFilter.h"
#include "directory/ldap/LdapSettings.h"
#include "directory/ldap/PartitionRoots.h"
#include "directory/ldap/RootDse.h"
#include "directory/ldap/SubtreeCache.h"

namespace vantor {
namespace {

TEST(LdapErrors, SameMeaningsTakeTheDirectoryCodes) {
    EXPECT_EQ(ldapError::FromLdap(LDAP_SUCCESS), 0);
    EXPECT_EQ(ldapError::FromLdap(LDAP_NO_SUCH_OBJECT), dirError::kObjectNotFound);
    EXPECT_EQ(ldapError::FromLdap(LDAP_INVALID_DN_SYNTAX), dirError::kInvalidSyntax);
    EXPECT_EQ(ldapError::FromLdap(LDAP_REFERRAL), dirError::kReferralsFailed);
    EXPECT_EQ(ldapError::FromLdap(LDAP_REFERRAL_LIMIT_EXCEEDED), dirError::kReferralsFailed);
    EXPECT_EQ(ldapError::FromLdap(LDAP_PARTIAL_RESULTS), dirError::kNoReferrals);
    EXPECT_EQ(ldapError::FromLdap(LDAP_NO_MEMORY), dirError::kNoMemory);
}

TEST(LdapErrors, EveryOtherResultKeepsADistinctBackEndCode) {
    std::set<int> codes;
    std::set<int> mapped = {dirError::kObjectNotFound, dirError::kInvalidSyntax,
                            dirError::kReferralsFailed, dirError::kNoReferrals,
                            dirError::kNoMemory};
    for (int ldapCode = -20; ldapCode <= 0x4100; ++ldapCode) {
        const int code = ldapError::FromLdap(ldapCode);
        if (ldapCode == 0 || mapped.contains(code)) {
            continue;
        }
        EXPECT_LE(code, dirError::kBackEndBase) << ldapCode;
        EXPECT_LT(code, ldapError::kBadDn) << "collides with the back end's own codes";
        EXPECT_TRUE(codes.insert(code).second) << "two LDAP results share " << code;
    }
    EXPECT_EQ(ldapError::FromLdap(LDAP_SIZELIMIT_EXCEEDED), -5004);
    EXPECT_EQ(ldapError::FromLdap(LDAP_SERVER_DOWN), -3101);
}

TEST(LdapErrors, DescriptionCarriesLibraryTextAndDiagnostic) {
    const std::string text =
        DescribeLdapFailure("searching under o=acme", LDAP_SIZELIMIT_EXCEEDED, "limit 500");
    EXPECT_EQ(text, "searching under o=acme: Size limit exceeded (LDAP 4): limit 500");
}

TEST(LdapErrors, ActiveDirectoryBindSubCodesInWords) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"80090308: LdapErr: DSID-0C09041C, comment: AcceptSecurityContext error, data 52e, v4563",
         "the password is wrong"},
        {"80090308: LdapErr: DSID-0C09041C, comment: AcceptSecurityContext error, data 533, v893",
         "the account is disabled"},
        {"AcceptSecurityContext error, data 775", "the account is locked out"},
        {"AcceptSecurityContext error, data 52E, v1db1", "the password is wrong"},
        {"AcceptSecurityContext error, data 5333, v1", ""},  // not a sub-code of three digits
        {"AcceptSecurityContext error, data 999, v1", ""},
        {"invalid credentials", ""},
        {"", ""},
    };
    for (const auto& [diagnostic, reason] : cases) {
        EXPECT_EQ(ActiveDirectoryBindReason(diagnostic), reason) << diagnostic;
    }
}

TEST(ProfileChoice, FromWhatTheRootDseSays) {
    RootDse ad;
    ad.supportedCapabilities = {"1.2.840.113556.1.4.1670", "1.2.840.113556.1.4.800"};
    EXPECT_EQ(ChooseProfile(ad).name, "ad");
    RootDse edir;
    edir.vendorName = "NetIQ Corporation";
    EXPECT_EQ(ChooseProfile(edir).name, "edirectory");
    RootDse byVersion;
    byVersion.vendorVersion = "LDAP Agent for NetIQ eDirectory 9.2";
    EXPECT_EQ(ChooseProfile(byVersion).name, "edirectory");
    RootDse openldap;
    openldap.vendorName = "OpenLDAP";
    EXPECT_EQ(ChooseProfile(openldap).name, "generic");
    EXPECT_EQ(ChooseProfile(RootDse{}).name, "generic");
}

std::vector<FilterItem> ClassFilter(const std::string& className) {
    return {{filterToken::kAttributeName, "Object Class", true, kSyntaxClassName},
            {filterToken::kEquals, "", false, 0},
            {filterToken::kValue, className, true, kSyntaxClassName},
            {filterToken::kEnd, "", false, 0}};
}

TEST(LdapFilter, KindsTakeTheProfilesFilters) {
    for (const ClassProfile* profile :
         {&EDirectoryProfile(), &GenericProfile(), &ActiveDirectoryProfile()}) {
        for (std::size_t kind = 0; kind < kKindClassNames.size(); ++kind) {
            EXPECT_EQ(ToLdapFilter(ClassFilter(std::string(kKindClassNames[kind])), *profile),
                      profile->kinds[kind].ldapFilter);
        }
    }
    EXPECT_EQ(ToLdapFilter(ClassFilter("user"), ActiveDirectoryProfile()),
              ActiveDirectoryProfile().kinds[0].ldapFilter);
}

TEST(LdapFilter, OtherClassesAreAskedForEscaped) {
    EXPECT_EQ(ToLdapFilter(ClassFilter("device"), GenericProfile()), "(objectClass=device)");
    EXPECT_EQ(ToLdapFilter(ClassFilter("a*(b)"), GenericProfile()), "(objectClass=a\\2A\\28b\\29)");
}

TEST(LdapFilter, OtherShapesAreRefused) {
    auto items = ClassFilter("User");
    items[0].value = "Surname";
    EXPECT_FALSE(ToLdapFilter(items, GenericProfile()));
    items = ClassFilter("User");
    items.pop_back();
    EXPECT_FALSE(ToLdapFilter(items, GenericProfile()));
    items = ClassFilter("User");
    items[2].hasValue = false;
    EXPECT_FALSE(ToLdapFilter(items, GenericProfile()));
}

TEST(LdapFilter, ContainersOfTheProfile) {
    EXPECT_EQ(ListingFilter(GenericProfile()).rfind("(|(objectClass=organization)", 0), 0u);
    EXPECT_NE(ListingFilter(ActiveDirectoryProfile()).find("(objectClass=domainDNS)"),
              std::string::npos);
}

struct ClearCase {
    std::string uri;
    std::string mechanism;
    int startTls;
    bool clear;
};

TEST(SendsPasswordInClear, OnlyUnprotectedPasswordsToOtherHosts) {
    const std::vector<ClearCase> cases = {
        {"ldap://dir.example", "", 0, true},
        {"ldap://dir.example", "", 1, true},  // -Z goes on without TLS when StartTLS fails
        {"ldap://dir.example", "", 2, false},
        {"ldaps://dir.example", "", 0, false},
        {"ldap://127.0.0.1:3890", "", 0, false},
        {"ldap://[::1]:389", "", 0, false},
        {"ldap://localhost", "", 0, false},
        {"ldapi://%2Frun%2Fslapd%2Fldapi", "", 0, false},
        {"ldap://localhost ldap://dir.example", "", 0, true},
        {"ldap://127.0.0.1.example.com", "", 0, true},
        {"ldap://dir.example", "PLAIN", 0, true},
        {"ldap://dir.example", "SCRAM-SHA-256", 0, false},
        {"ldap://dir.example", "EXTERNAL", 0, false},
    };
    for (const ClearCase& c : cases) {
        LdapSettings settings;
        settings.uri = c.uri;
        settings.bindDn = "cn=admin,o=acme";
        settings.password = "pw";
        settings.saslMechanism = c.mechanism;
        settings.startTls = c.startTls;
        EXPECT_EQ(SendsPasswordInClear(settings), c.clear)
            << c.uri << " " << c.mechanism << " -Z level " << c.startTls;
    }
}

TEST(PartitionMarkers, ClassOrVendorBits) {
    const auto marks = [](const Attributes& attributes) {
        return MarksPartitionRoot(EDirectoryProfile(), attributes);
    };
    EXPECT_TRUE(marks({{"objectClass", {"organizationalUnit", "Partition"}}}));
    EXPECT_FALSE(marks({{"objectClass", {"organizationalUnit"}}}));
    EXPECT_TRUE(marks({{"entryFlags", {"6"}}}));
    EXPECT_FALSE(marks({{"entryFlags", {"4"}}}));
    EXPECT_TRUE(marks({{"instanceType", {"5"}}}));
    EXPECT_FALSE(marks({{"INSTANCETYPE", {"4"}}}));
    EXPECT_FALSE(marks({{"instanceType", {"x1"}}}));
    EXPECT_TRUE(
        MarksPartitionRoot(ActiveDirectoryProfile(), {{"objectclass", {"top", "domainDNS"}}}));
}

// A subtree read's objects land on the containers they are directly under, whichever way the
// server spells a parent; objects and containers below an entry that is no container belong to
// the nearest container above it; a second read of a part already read for the same filter
// changes nothing.
TEST(SubtreeCache, ObjectsLandOnTheirParentsOnce) {
    const auto dn = [](const char* text) { return *Dn::Parse(text); };
    const Dn acme = dn("o=acme");
    const std::vector<ListedChild> containers = {{dn("o=acme"), {}},
                                                 {dn("ou=Dev,o=acme"), {}},
                                                 {dn("ou=QA,ou=Dev,o=acme"), {}},
                                                 {dn("ou=Remote,o=acme"), {"ldap://x/o=y"}},
                                                 {dn("ou=Desk,cn=Kiosk,ou=Dev,o=acme"), {}}};
    const CountsByText objects = {{"o=acme", 2},
                                  {"ou=Dev,o=acme", 3},
                                  {"OU=qa, ou=DEV,o=Acme", 4},
                                  {"uid=boss,o=acme", 7},
                                  {"cn=Kiosk,ou=Dev,o=acme", 5},
                                  {"uid=a,cn=Kiosk,ou=Dev,o=acme", 1},
                                  {"ou=Desk,cn=Kiosk,ou=Dev,o=acme", 6}};
    SubtreeCache cache;
    cache.Add(acme, "(objectClass=inetOrgPerson)", containers, objects);
    const std::vector<std::pair<const char*, std::optional<std::uint32_t>>> counts = {
        {"o=acme", 9},
        {"ou=Dev,o=acme", 9},
        {"ou=QA,ou=Dev,o=acme", 4},
        {"ou=Desk,cn=Kiosk,ou=Dev,o=acme", 6},
        {"ou=Remote,o=acme", std::nullopt},
        {"uid=boss,o=acme", std::nullopt}};
    for (const auto& [container, expected] : counts) {
        EXPECT_EQ(cache.Count("(objectClass=inetOrgPerson)", dn(container)), expected) << container;
    }
    EXPECT_EQ(cache.Count("(objectClass=groupOfNames)", acme), std::nullopt);

    cache.Add(dn("ou=Dev,o=acme"), "(objectClass=inetOrgPerson)", {containers[1], containers[2]},
              {{"ou=Dev,o=acme", 1}, {"ou=QA,ou=Dev,o=acme", 1}});
    EXPECT_EQ(cache.Count("(objectClass=inetOrgPerson)", dn("ou=QA,ou=Dev,o=acme")), 4u);

    std::vector<std::string> children;
    for (const ListedChild& child : *cache.Children(acme)) {
        children.push_back(child.dn.Text());
    }
    EXPECT_EQ(children, (std::vector<std::string>{"ou=Dev,o=acme", "ou=Remote,o=acme"}));
    children.clear();
    for (const ListedChild& child : *cache.Children(dn("ou=Dev,o=acme"))) {
        children.push_back(child.dn.Text());
    }
    EXPECT_EQ(children,
              (std::vector<std::string>{"ou=QA,ou=Dev,o=acme", "ou=Desk,cn=Kiosk,ou=Dev,o=acme"}));
    EXPECT_TRUE(cache.Children(dn("ou=QA,ou=Dev,o=acme"))->empty());
    EXPECT_EQ(cache.Children(dn("ou=Elsewhere,o=acme")), nullptr);
}

TEST(IterationTable, HandlesAreUniqueUntilRemoved) {
    IterationTable table;
    const std::int32_t a = table.Add(std::make_unique<Iteration>());
    const std::int32_t b = table.Add(std::make_unique<Iteration>());
    EXPECT_GE(a, 0);
    EXPECT_NE(a, b);
    EXPECT_NE(table.Find(a), nullptr);
    EXPECT_TRUE(table.Remove(a));
    EXPECT_FALSE(table.Remove(a));
    EXPECT_EQ(table.Find(a), nullptr);
    EXPECT_EQ(table.Find(kNoIteration), nullptr);
    EXPECT_EQ(table.Size(), 1u);
}

}  // namespace
}  // namespace vantor
