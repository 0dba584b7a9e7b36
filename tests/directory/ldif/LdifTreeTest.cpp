// How the entries of an LDIF file become containers, partition roots and objects.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "directory/filter/ObjectFilter.h"
#include "directory/ldif/LdifProbe.h"
#include "support/EngineFixture.h"

namespace vantor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

std::string Entry(std::string_view dn, std::initializer_list<std::string_view> classes) {
    std::string text = "dn: " + std::string(dn) + "\n";
    for (std::string_view c : classes) {
        text += "objectClass: " + std::string(c) + "\n";
    }
    return text + "\n";
}

std::string Org(std::string_view dn) {
    return Entry(dn, {"top", "organization"});
}
std::string Unit(std::string_view dn) {
    return Entry(dn, {"top", "organizationalUnit"});
}
std::string PartitionUnit(std::string_view dn) {
    return Entry(dn, {"top", "organizationalUnit", "partition"});
}
std::string User(std::string_view dn) {
    return Entry(dn, {"top", "person", "organizationalPerson", "inetOrgPerson"});
}

// The partition root above fullName, as the directory answers it.
std::string PartitionRootOf(DirectoryClient& dir, const std::string& fullName) {
    std::string root;
    EXPECT_EQ(dir.FindPartitionRoot(0, fullName.c_str(), root), 0) << fullName;
    return root;
}

TEST(LdifTree, TopEntriesAreContainersUnderTheRootInFileOrder) {
    const auto dir = Loaded(Org("o=globex") + Org("o=acme") + Unit("ou=Dev,o=acme"));
    EXPECT_THAT(ListedNames(*dir, "[Root]"), ElementsAre("globex", "acme"));
    EXPECT_EQ(PartitionRootOf(*dir, "globex"), "globex");
    EXPECT_EQ(PartitionRootOf(*dir, "Dev.acme"), "acme");
}

TEST(LdifTree, ATopEntryIsNamedByItsWholeDn) {
    const auto dir =
        Loaded(Entry("dc=example,dc=com", {"top", "dcObject", "organization"}) +
               Unit("ou=People,dc=example,dc=com") + User("uid=ann,ou=People,dc=example,dc=com"));
    EXPECT_THAT(ListedNames(*dir, "[Root]"), ElementsAre("example.com"));
    EXPECT_THAT(ListedNames(*dir, "example.com"), ElementsAre("People"));
    EXPECT_EQ(PartitionRootOf(*dir, "People.example.com"), "example.com");
    EXPECT_THAT(
        CountRun(*dir, "User", false),
        ElementsAre(Pair("[Root]", 0), Pair("example.com", 0), Pair("People.example.com", 1)));
}

// Dots, '+' and '=' inside a value are escaped: the dots between RDNs and the '+' between the
// values of one RDN stay the only ones unescaped.
TEST(LdifTree, NamesKeepBlanksAndAmpersandsAndEscapeDotsAndPluses) {
    const auto dir = Loaded(Org("o=Acme Widgets") + Unit("ou=Sales & Marketing,o=Acme Widgets") +
                            Unit("ou=St. Louis,o=Acme Widgets") +
                            Unit("ou=Smith\\, Jones \\+ Co,o=Acme Widgets") +
                            Unit("ou=Lab+l=Rome,o=Acme Widgets"));
    EXPECT_THAT(ListedNames(*dir, "Acme Widgets"),
                ElementsAre("Sales & Marketing", "St\\. Louis", "Smith, Jones \\+ Co", "Lab+Rome"));
    EXPECT_TRUE(Exists(*dir, "St\\. Louis.Acme Widgets"));
}

TEST(LdifTree, NamesLongerThanTheEngineTakesAreKeptWhole) {
    const std::string longName(300, 'x');
    const auto dir = Loaded(Org("o=acme") + Unit("ou=" + longName + ",o=acme"));
    EXPECT_TRUE(Exists(*dir, longName + ".acme"));
    EXPECT_EQ(dir->ContainerCount(), 3U);
}

TEST(LdifTree, PartitionRootsNest) {
    const auto dir = Loaded(Org("o=acme") + PartitionUnit("ou=Dev,o=acme") +
                            PartitionUnit("ou=QA,ou=Dev,o=acme") +
                            Unit("ou=Lab,ou=QA,ou=Dev,o=acme") + Unit("ou=Ops,o=acme"));
    EXPECT_EQ(PartitionRootOf(*dir, "acme"), "acme");
    EXPECT_EQ(PartitionRootOf(*dir, "Ops.acme"), "acme");
    EXPECT_EQ(PartitionRootOf(*dir, "Dev.acme"), "Dev.acme");
    EXPECT_EQ(PartitionRootOf(*dir, "QA.Dev.acme"), "QA.Dev.acme");
    EXPECT_EQ(PartitionRootOf(*dir, "Lab.QA.Dev.acme"), "QA.Dev.acme");
    // Each partition root is one "Partition" object of the container above it.
    EXPECT_THAT(CountRun(*dir, "Partition", true),
                ElementsAre(Pair("[Root]", 1), Pair("acme", 1), Pair("Dev.acme", 1),
                            Pair("QA.Dev.acme", 0)));
}

TEST(LdifTree, ObjectsCountForEveryKindTheyMatch) {
    const std::string ldif = Org("o=acme") + User("cn=Ann,o=acme") + User("cn=Bob,o=acme") +
                             Entry("cn=FS1,o=acme", {"top", "ncpServer"}) +
                             Entry("cn=Staff,o=acme", {"top", "groupOfNames"}) +
                             Entry("cn=Admins,o=acme", {"top", "groupOfUniqueNames"}) +
                             Entry("cn=Hybrid,o=acme", {"top", "inetOrgPerson", "groupOfNames"}) +
                             Entry("cn=Printer,o=acme", {"top", "device"});
    const auto generic = Loaded(ldif, GenericProfile());
    EXPECT_THAT(CountRun(*generic, "User", false), ElementsAre(Pair("[Root]", 0), Pair("acme", 3)));
    EXPECT_THAT(CountRun(*generic, "NCP_Server", false),
                ElementsAre(Pair("[Root]", 0), Pair("acme", 1)));
    EXPECT_THAT(CountRun(*generic, "Group", false),
                ElementsAre(Pair("[Root]", 0), Pair("acme", 3)));
    EXPECT_THAT(ListedNames(*generic, "acme"), IsEmpty());

    // groupOfUniqueNames is a group under the generic profile only.
    const auto edirectory = Loaded(ldif, EDirectoryProfile());
    EXPECT_THAT(CountRun(*edirectory, "Group", false),
                ElementsAre(Pair("[Root]", 0), Pair("acme", 2)));
}

TEST(LdifTree, ContainersAreListedInFileOrder) {
    const auto dir = Loaded(Org("o=acme") + Unit("ou=Zeta,o=acme") + Unit("ou=Alpha,o=acme") +
                            Unit("ou=Inner,ou=Zeta,o=acme") + Unit("ou=Mid,o=acme") +
                            Unit("ou=B,ou=Alpha,o=acme") + Unit("ou=A,ou=Alpha,o=acme"));
    EXPECT_THAT(ListedNames(*dir, "acme"), ElementsAre("Zeta", "Alpha", "Mid"));
    EXPECT_THAT(ListedNames(*dir, "Alpha.acme"), ElementsAre("B", "A"));
}

TEST(LdifTree, ChildrenMayComeBeforeTheirParents) {
    // As a glued export may have them: deepest first, siblings still in file order.
    const auto dir = Loaded(User("cn=Ann,ou=QA,ou=Dev,o=acme") + Unit("ou=QA,ou=Dev,o=acme") +
                            Unit("ou=Ops,o=acme") + Unit("ou=Dev,o=acme") + Org("o=acme") +
                            Unit("ou=Build,ou=Dev,o=acme"));
    EXPECT_THAT(ListedNames(*dir, "[Root]"), ElementsAre("acme"));
    EXPECT_THAT(ListedNames(*dir, "acme"), ElementsAre("Ops", "Dev"));
    EXPECT_THAT(ListedNames(*dir, "Dev.acme"), ElementsAre("QA", "Build"));
    EXPECT_EQ(Total(CountRun(*dir, "User", false)), 1);
}

TEST(LdifTree, ADeepChainGivenDeepestFirstIsBuilt) {
    constexpr int kDepth = 400;
    std::vector<std::string> dns = {"o=acme"};
    for (int level = 1; level < kDepth; ++level) {
        dns.push_back("ou=L" + std::to_string(level) + "," + dns.back());
    }
    std::string ldif;
    for (auto dn = dns.rbegin(); dn != dns.rend(); ++dn) {
        ldif += dn == dns.rend() - 1 ? Org(*dn) : Unit(*dn);
    }
    const auto dir = Loaded(ldif);
    EXPECT_EQ(dir->ContainerCount(), kDepth + 1U);
    EXPECT_THAT(ListedNames(*dir, "L2.L1.acme"), ElementsAre("L3"));
    std::string deepest;
    for (int level = kDepth - 1; level > 0; --level) {
        deepest += 'L';
        deepest += std::to_string(level);
        deepest += '.';
    }
    deepest += "acme";
    EXPECT_TRUE(Exists(*dir, deepest));
    EXPECT_EQ(PartitionRootOf(*dir, deepest), "acme");
}

TEST(LdifTree, ParentsAreFoundWhateverTheSpelling) {
    const auto dir =
        Loaded(Org("o=Acme") + Unit("ou=People,o=Acme") + Unit("OU=Staff, ou=PEOPLE,O=acme") +
               Entry("ou=Lab+l=Rome,o=acme", {"organizationalUnit"}) +
               Unit("ou=Bench,l=rome+OU=lab,o=acme") + Unit("ou=Z\xC3\xBCrich,o=Acme") +
               User("cn=Ann,ou=Z\xC3\x9CRICH,o=acme") +
               Unit("ou=Lab,2.5.4.11=z\xC3\xBCrich,2.5.4.10=ACME") +
               User("cn=Bob,ou=#0C075AC3BC72696368,organizationName=acme"));
    EXPECT_THAT(ListedNames(*dir, "[Root]"), ElementsAre("Acme"));
    EXPECT_THAT(ListedNames(*dir, "People.Acme"), ElementsAre("Staff"));
    EXPECT_THAT(ListedNames(*dir, "Lab+Rome.Acme"), ElementsAre("Bench"));
    EXPECT_THAT(ListedNames(*dir, "Z\xC3\xBCrich.Acme"), ElementsAre("Lab"));
    EXPECT_THAT(CountRun(*dir, "User", false),
                ElementsAre(Pair("[Root]", 0), Pair("Acme", 0), Pair("People.Acme", 0),
                            Pair("Lab+Rome.Acme", 0), Pair("Z\xC3\xBCrich.Acme", 2),
                            Pair("Staff.People.Acme", 0), Pair("Bench.Lab+Rome.Acme", 0),
                            Pair("Lab.Z\xC3\xBCrich.Acme", 0)));
}

// A referral, in an export (an entry with "ref" values) or as ldapsearch writes it (a search
// reference), is a line of its own whose count fails with the URL as the cause; it is not
// followed.
TEST(LdifTree, AReferralIsALineWhoseCountFailsNamingItsUrl) {
    const std::string ldif =
        Org("o=acme") + User("cn=Ann,o=acme") +
        "dn: ou=Far,o=acme\nobjectClass: referral\nobjectClass: extensibleObject\n"
        "ref: ldap://far.example.com/ou=Far,o=acme\n\n"
        "ref: ldap://near.example.com/ou=Near,o=acme??sub\n\n";
    const auto dir = Loaded(ldif);
    for (const bool byPartition : {true, false}) {
        InstrumentedDirectory client(*dir);
        EngineRun run(client, "User", byPartition);
        run.Run();
        std::vector<std::string> causes;
        for (const EngineRun::Processed& processed : run.History()) {
            processed.node->FirstError();
            while (const CountError* error = processed.node->NextError()) {
                EXPECT_EQ(error->errorCode, dirError::kReferralsFailed);
                causes.push_back(std::string(processed.node->fullName) + ": " + error->cause);
            }
        }
        EXPECT_THAT(causes,
                    ElementsAre("Far.acme: a referral to ldap://far.example.com/ou=Far,o=acme "
                                "(test.ldif:11); referrals are not followed",
                                "Near.acme: a referral to ldap://near.example.com/"
                                "ou=Near,o=acme??sub (test.ldif:16); referrals are not followed"));
        EXPECT_EQ(run.ShownTotal(), 1);
    }
}

// Every failing call leaves a cause that says what was asked and why it failed.
TEST(LdifTree, FailingCallsLeaveTheirCause) {
    const std::string longName(260, 'x');
    const std::string ldif = Org("o=acme") + Unit("ou=" + longName + ",o=acme");
    const auto dir = Loaded(ldif);
    const DirContext context = dir->OpenContext();
    DirBuffer* reply = nullptr;
    dir->NWDSAllocBuf(4096, &reply);
    std::int32_t handle = kNoIteration;
    std::string name;
    EXPECT_EQ(dir->NWDSListContainers(context, "Gone.acme", &handle, reply),
              dirError::kObjectNotFound);
    EXPECT_EQ(dir->FailureCause(), "no container of test.ldif has the full name \"Gone.acme\"");
    ASSERT_EQ(dir->NWDSListContainers(context, "acme", &handle, reply), 0);
    std::uint32_t attributes = 0;
    ObjectInfo info;
    ASSERT_EQ(dir->NWDSGetObjName(context, reply, name, &attributes, &info), 0);
    EXPECT_EQ(name, longName) << "kept whole";
    EXPECT_EQ(dir->NWDSGetObjName(context, reply, name, &attributes, &info),
              dirError::kInvalidSyntax);
    EXPECT_EQ(dir->FailureCause(), "every name of the batch has been read");
    dir->ReleaseBuffer(reply);
    dir->CloseContext(context);
}

TEST(LdifTree, AMissingParentIsBridgedToTheNearestEntryAbove) {
    // ou=Dev,o=acme is not in the file; dc=example,dc=com has no entry above it at all.
    const auto dir =
        Loaded(Org("o=acme") + Unit("ou=QA,ou=Dev,o=acme") + User("cn=Ann,ou=QA,ou=Dev,o=acme") +
               Unit("ou=People,dc=example,dc=com"));
    EXPECT_THAT(ListedNames(*dir, "[Root]"), ElementsAre("acme", "People.example.com"));
    EXPECT_THAT(ListedNames(*dir, "acme"), ElementsAre("QA.Dev"));
    EXPECT_TRUE(Exists(*dir, "QA.Dev.acme"));
    EXPECT_EQ(PartitionRootOf(*dir, "People.example.com"), "People.example.com");
    EXPECT_THAT(CountRun(*dir, "User", false),
                ElementsAre(Pair("[Root]", 0), Pair("acme", 0), Pair("People.example.com", 0),
                            Pair("QA.Dev.acme", 1)));
}

TEST(LdifTree, EntriesBelowANonContainerBelongToTheContainerAbove) {
    const auto dir = Loaded(
        Org("o=acme") + Unit("ou=Sales,o=acme") + User("cn=Ann,ou=Sales,o=acme") +
        User("cn=Assistant,cn=Ann,ou=Sales,o=acme") + Unit("ou=Desk,cn=Ann,ou=Sales,o=acme") +
        User("cn=Temp,ou=Desk,cn=Ann,ou=Sales,o=acme"));
    EXPECT_THAT(ListedNames(*dir, "Sales.acme"), ElementsAre("Desk.Ann"));
    EXPECT_THAT(CountRun(*dir, "User", false),
                ElementsAre(Pair("[Root]", 0), Pair("acme", 0), Pair("Sales.acme", 2),
                            Pair("Desk.Ann.Sales.acme", 1)));
}

TEST(LdifTree, TopEntriesThatAreNoContainersCountUnderTheRoot) {
    // An export of the users of one container, without the container.
    const auto dir = Loaded(User("cn=Ann,ou=People,o=acme") + User("cn=Bob,ou=People,o=acme") +
                            User("cn=Cid,cn=Bob,ou=People,o=acme"));
    EXPECT_THAT(ListedNames(*dir, "[Root]"), IsEmpty());
    EXPECT_THAT(CountRun(*dir, "User", true), ElementsAre(Pair("[Root]", 3)));
}

// A file that gives every entry a class list of its own cannot grow the list of classes not
// counted without bound: past a limit such entries are counted together.
TEST(LdifTree, EndlessListsOfClassesKeepTheirTallyBounded) {
    constexpr int kLists = 70000;
    std::string ldif = Org("o=acme");
    for (int i = 0; i < kLists; ++i) {
        ldif += Entry("cn=e" + std::to_string(i) + ",o=acme", {"c" + std::to_string(i)});
    }
    const auto dir = Loaded(ldif);
    const std::vector<ClassTally>& tally = dir->Uncounted();
    ASSERT_LT(tally.size(), static_cast<std::size_t>(kLists));
    std::uint64_t entries = 0;
    for (const ClassTally& one : tally) {
        entries += one.entries;
    }
    EXPECT_EQ(entries, static_cast<std::uint64_t>(kLists));
    EXPECT_EQ(tally.front().className, "(entries with other lists of classes)");
}

// The filter sees every attribute as the file gives it: folded lines, base64 values, any case.
TEST(LdifTree, AFilterCountsOnlyTheObjectsItMatchesAndKeepsEveryContainer) {
    const std::string ldif =
        "dn: o=acme\nobjectClass: organization\nobjectClass: partition\no: acme\n\n"
        "dn: ou=Dev,o=acme\nobjectClass: organizationalUnit\nobjectClass: partition\n"
        "ou: Dev\n\n"
        "dn: cn=Ann,o=acme\nobjectClass: inetOrgPerson\nEmployeeType: Act\n ive\n"
        "description:: w6lsdmU=\n\n"  // "élve"
        "dn: cn=Bob,ou=Dev,o=acme\nobjectClass: inetOrgPerson\nemployeeType: inactive\n\n"
        "dn: cn=Cid,ou=Dev,o=acme\nobjectClass: inetOrgPerson\n\n";
    struct Case {
        const char* filter;
        const char* className;
        NodeCounts counts;
    };
    const Case cases[] = {
        {"(employeeType=active)", "User", {{"[Root]", 0}, {"acme", 1}, {"Dev.acme", 0}}},
        {"(description=\xc3\x89LVE)", "User", {{"[Root]", 0}, {"acme", 1}, {"Dev.acme", 0}}},
        {"(!(employeeType=inactive))", "User", {{"[Root]", 0}, {"acme", 1}, {"Dev.acme", 1}}},
        {"(objectClass=inetOrgPerson)", "User", {{"[Root]", 0}, {"acme", 1}, {"Dev.acme", 2}}},
        {"(ou=dev)", "Partition", {{"[Root]", 0}, {"acme", 1}, {"Dev.acme", 0}}},
    };
    for (const Case& c : cases) {
        auto parsed = ObjectFilter::Parse(c.filter);
        const auto& filter = std::get<ObjectFilter>(parsed);
        LdifLoadResult loaded = LoadLdifText(ldif, "test.ldif", GenericProfile(), {}, &filter);
        ASSERT_TRUE(loaded) << loaded.error;
        EXPECT_EQ(CountRun(*loaded.directory, c.className, false), c.counts) << c.filter;
        EXPECT_TRUE(Exists(*loaded.directory, "Dev.acme")) << c.filter;
    }
}

TEST(LdifTree, TheRootDseAddsNothing) {
    const auto dir = Loaded("dn:\nobjectClass: top\nnamingContexts: o=acme\n\n" + Org("o=acme"));
    EXPECT_THAT(ListedNames(*dir, "[Root]"), ElementsAre("acme"));
    EXPECT_EQ(dir->ContainerCount(), 2U);
}

}  // namespace
}  // namespace vantor::test
