// The LDAP and LDIF back ends name containers by one rule: the same entries, read from a private
// slapd and from an LDIF file, give the same lines with the same counts.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "directory/ldap/LdapTestSupport.h"
#include "directory/ldif/LdifDirectory.h"

namespace vantor::test {
namespace {

// A container entry of the given class, its naming value in the DN.
std::string Container(const std::string& dn, const std::string& objectClass,
                      const std::string& attribute, const std::string& value) {
    return "dn: " + dn + "\nobjectClass: " + objectClass + "\n" + attribute + ": " + value + "\n\n";
}

struct NamedCase {
    std::string entries;                  // LDIF under o=acme
    std::string topSuffix;                // a second top entry's DN, when the case has one
    std::string topEntries;               // LDIF under it, itself first
    std::map<std::string, int> lines;     // full name -> users counted there
    std::string sizeLimit = "unlimited";  // slapd's sizelimit setting
};

// Each row adds entries under o=acme and maybe a top entry; the lines below "acme" and of the
// other top entry are the row's own.
std::vector<NamedCase> Cases() {
    return {
        // Siblings that read alike are listed with their types, and what is below them too.
        {Container("ou=Sales,o=acme", "organizationalUnit", "ou", "Sales") +
             UsersLdif("ou=Sales,o=acme", "s", 2) +
             Container("l=Sales,o=acme", "locality", "l", "Sales") +
             UsersLdif("l=Sales,o=acme", "l", 3) +
             Container("ou=Dev,l=Sales,o=acme", "organizationalUnit", "ou", "Dev") +
             UsersLdif("ou=Dev,l=Sales,o=acme", "d", 4),
         "",
         "",
         {{"ou=Sales.acme", 2}, {"l=Sales.acme", 3}, {"Dev.l=Sales.acme", 4}}},
        // A dot inside a value is escaped: ou=a.b is not ou=a under ou=b.
        {Container("ou=a.b,o=acme", "organizationalUnit", "ou", "a.b") +
             UsersLdif("ou=a.b,o=acme", "ab", 1) +
             Container("ou=b,o=acme", "organizationalUnit", "ou", "b") +
             Container("ou=a,ou=b,o=acme", "organizationalUnit", "ou", "a") +
             UsersLdif("ou=a,ou=b,o=acme", "a", 2),
         "",
         "",
         {{"a\\.b.acme", 1}, {"b.acme", 0}, {"a.b.acme", 2}}},
        // A top o=Dev.acme beside ou=Dev under o=acme.
        {Container("ou=Dev,o=acme", "organizationalUnit", "ou", "Dev") +
             UsersLdif("ou=Dev,o=acme", "v", 1),
         "o=Dev.acme",
         Container("o=Dev.acme", "organization", "o", "Dev.acme") + UsersLdif("o=Dev.acme", "t", 5),
         {{"Dev.acme", 1}, {"Dev\\.acme", 5}}},
        // Separators of DNs and of multi-valued RDNs inside values; "[Root]" as a name.
        {Container("ou=Dev\\,o\\=acme,o=acme", "organizationalUnit", "ou", "Dev,o=acme") +
             UsersLdif("ou=Dev\\,o\\=acme,o=acme", "c", 1) +
             // In the order slapd gives the values of a multi-valued RDN back.
             "dn: l=s\\+t+ou=q\\=r,o=acme\nobjectClass: organizationalUnit\nou: q=r\nl: s+t\n\n" +
             UsersLdif("l=s\\+t+ou=q\\=r,o=acme", "m", 2) +
             Container("ou=[ROOT],o=acme", "organizationalUnit", "ou", "[ROOT]") +
             UsersLdif("ou=[ROOT],o=acme", "r", 3) +
             Container("ou=back\\\\slash,o=acme", "organizationalUnit", "ou", "back\\slash"),
         "",
         "",
         {{"Dev,o\\=acme.acme", 1},
          {"s\\+t+q\\=r.acme", 2},
          {"\\[ROOT].acme", 3},
          {"back\\\\slash.acme", 0}}},
        // Entries of other classes with children are looked through, in a container and
        // directly under a top entry: what is below them belongs to the nearest container, a
        // user below a user included.
        {Container("ou=Sales,o=acme", "organizationalUnit", "ou", "Sales") +
             UsersLdif("ou=Sales,o=acme", "s", 1) + UsersLdif("ou=Sales,o=acme", "boss", 1) +
             UsersLdif("uid=boss1,ou=Sales,o=acme", "aide", 1) +
             Container("cn=Kiosk,ou=Sales,o=acme", "device", "cn", "Kiosk") +
             UsersLdif("cn=Kiosk,ou=Sales,o=acme", "k", 2) +
             Container("cn=Panel,cn=Kiosk,ou=Sales,o=acme", "applicationProcess", "cn", "Panel") +
             UsersLdif("cn=Panel,cn=Kiosk,ou=Sales,o=acme", "p", 1) +
             Container("ou=Desk,cn=Panel,cn=Kiosk,ou=Sales,o=acme", "organizationalUnit", "ou",
                       "Desk") +
             UsersLdif("ou=Desk,cn=Panel,cn=Kiosk,ou=Sales,o=acme", "d", 3),
         "o=Shop",
         Container("o=Shop", "organization", "o", "Shop") +
             Container("cn=Till,o=Shop", "device", "cn", "Till") +
             UsersLdif("cn=Till,o=Shop", "t", 2) +
             Container("ou=Back,cn=Till,o=Shop", "organizationalUnit", "ou", "Back") +
             UsersLdif("ou=Back,cn=Till,o=Shop", "b", 1),
         {{"Sales.acme", 6},
          {"Desk.Panel.Kiosk.Sales.acme", 3},
          {"Shop", 2},
          {"Back.Till.Shop", 1}}},
        // More users below an entry of another class than the server gives unpaged.
        {Container("ou=Staff,o=acme", "organizationalUnit", "ou", "Staff") +
             Container("cn=Kiosk,ou=Staff,o=acme", "device", "cn", "Kiosk") +
             UsersLdif("cn=Kiosk,ou=Staff,o=acme", "k", 7),
         "",
         "",
         {{"Staff.acme", 7}},
         "size.soft=4 size.hard=4 size.prtotal=unlimited"},
        // A NUL byte in a value.
        {"dn: ou=a\\00b,o=acme\nobjectClass: organizationalUnit\nou:: YQBi\n\n" +
             UsersLdif("ou=a\\00b,o=acme", "n", 2),
         "",
         "",
         {{"a\\00b.acme", 2}}},
    };
}

std::map<std::string, int> Lines(const std::vector<NodeResult>& nodes) {
    std::map<std::string, int> lines;
    for (const NodeResult& node : nodes) {
        EXPECT_TRUE(node.errors.empty()) << node.fullName << ": " << node.errors.front().cause;
        EXPECT_TRUE(lines.emplace(node.fullName, node.count).second) << "twice: " << node.fullName;
    }
    lines.erase("[Root]");
    lines.erase("acme");
    return lines;
}

TEST(LdapLdifNames, BothBackEndsListTheSameNamesWithTheSameCounts) {
    if (!SlapdServer::Unavailable().empty()) {
        GTEST_SKIP() << SlapdServer::Unavailable();
    }
    const std::vector<NamedCase> cases = Cases();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const NamedCase& row = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i);
        SlapdOptions options;
        options.ldif = Container("o=acme", "organization", "o", "acme") + row.entries;
        options.sizeLimit = row.sizeLimit;
        if (!row.topSuffix.empty()) {
            options.subordinates = {
                {row.topSuffix, SlapdDatabase::Glue::kSeparate, row.topEntries}};
        }
        const std::string ldif = options.ldif + row.topEntries;
        std::string error;
        const auto server = SlapdServer::Start(options, error);
        ASSERT_NE(server, nullptr) << error;
        LdapSettings settings = SettingsFor(*server);
        LdapDirectory ldap(settings);
        EXPECT_EQ(Lines(RunEngine(ldap, "User", false)), row.lines) << "over LDAP";
        settings.wholeSubtrees = false;
        LdapDirectory perContainer(settings);
        EXPECT_EQ(Lines(RunEngine(perContainer, "User", false)), row.lines) << "each container";

        const LdifLoadResult loaded = LoadLdifText(ldif, "names.ldif");
        ASSERT_TRUE(loaded) << loaded.error;
        EXPECT_EQ(Lines(RunEngine(*loaded.directory, "User", false)), row.lines) << "from LDIF";
    }
}

}  // namespace
}  // namespace vantor::test
