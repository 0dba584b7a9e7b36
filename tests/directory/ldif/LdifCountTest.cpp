// Counting runs of the engine over a directory loaded from LDIF, by container and by partition.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "directory/ldif/LdifProbe.h"

namespace vantor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

// Users placed in each container of the file below.
constexpr int kAcme = 2;
constexpr int kDev = 3;
constexpr int kQa = 4;
constexpr int kLab = 1;
constexpr int kOps = 5;
constexpr int kGlobex = 6;

std::string Container(std::string_view dn, std::string_view structural, bool partition, int users) {
    std::string text = "dn: " + std::string(dn) +
                       "\nobjectClass: top\nobjectClass: " + std::string(structural) + "\n" +
                       (partition ? "objectClass: partition\n" : "") + "\n";
    for (int i = 0; i < users; ++i) {
        text += "dn: cn=User " + std::to_string(i) + "," + std::string(dn) +
                "\nobjectClass: inetOrgPerson\ncn: User " + std::to_string(i) +
                "\nsn: " + std::to_string(i) + "\n\n";
    }
    return text;
}

std::string TwoOrganisations() {
    return Container("o=acme", "organization", true, kAcme) +
           Container("ou=Dev,o=acme", "organizationalUnit", false, kDev) +
           Container("ou=QA,ou=Dev,o=acme", "organizationalUnit", true, kQa) +
           Container("ou=Lab,ou=QA,ou=Dev,o=acme", "organizationalUnit", false, kLab) +
           Container("ou=Ops,o=acme", "organizationalUnit", false, kOps) +
           Container("o=globex", "organization", false, kGlobex);
}

TEST(LdifCount, ByContainerEveryContainerHasItsOwnLine) {
    const auto dir = Loaded(TwoOrganisations());
    dir->SetSearchBatchSize(2);
    dir->SetListBatchSize(1);
    EXPECT_THAT(CountRun(*dir, "User", false),
                ElementsAre(Pair("[Root]", 0), Pair("acme", kAcme), Pair("globex", kGlobex),
                            Pair("Dev.acme", kDev), Pair("Ops.acme", kOps),
                            Pair("QA.Dev.acme", kQa), Pair("Lab.QA.Dev.acme", kLab)));
}

TEST(LdifCount, ByPartitionContainersCountIntoTheirPartitionRoot) {
    const auto dir = Loaded(TwoOrganisations());
    dir->SetSearchBatchSize(2);
    dir->SetListBatchSize(1);
    // globex has no partition class, but a top entry always starts a partition.
    EXPECT_THAT(CountRun(*dir, "User", true),
                ElementsAre(Pair("[Root]", 0), Pair("acme", kAcme + kDev + kOps),
                            Pair("globex", kGlobex), Pair("QA.Dev.acme", kQa + kLab)));
    EXPECT_THAT(
        CountRun(*dir, "Partition", true),
        ElementsAre(Pair("[Root]", 2), Pair("acme", 1), Pair("globex", 0), Pair("QA.Dev.acme", 0)));
}

}  // namespace
}  // namespace vantor::test
