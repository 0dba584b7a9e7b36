// The sample compiled into the programs loads, and counts to the totals its generator reports
// in resources/sample/README.md.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "directory/ldif/BundledSample.h"
#include "directory/ldif/LdifProbe.h"

namespace vantor::test {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The rows "| label | number |" and "| region | users | containers |" of the README's totals.
struct ReportedTotals {
    std::map<std::string, long long> totals;
    std::map<std::string, std::pair<long long, long long>> regions;
};

ReportedTotals ReadReportedTotals() {
    std::istringstream readme(ReadFile(VANTOR_SAMPLE_README));
    const std::regex total(R"(^\| ([^|]+?) \| (\d+) \|$)");
    const std::regex region(R"(^\| [a-z]+=([^|]+?) \| (\d+) \| (\d+) \|$)");
    ReportedTotals reported;
    std::smatch match;
    for (std::string line; std::getline(readme, line);) {
        if (std::regex_match(line, match, total)) {
            reported.totals[match[1]] = std::stoll(match[2]);
        } else if (std::regex_match(line, match, region)) {
            reported.regions[match[1]] = {std::stoll(match[2]), std::stoll(match[3])};
        }
    }
    return reported;
}

long long Reported(const ReportedTotals& reported, const std::string& label) {
    const auto it = reported.totals.find(label);
    EXPECT_NE(it, reported.totals.end()) << "the README reports no \"" << label << "\"";
    return it != reported.totals.end() ? it->second : -1;
}

class BundledSample : public ::testing::Test {
  protected:
    void SetUp() override {
        LdifLoadResult result = LoadBundledSample();
        ASSERT_TRUE(result) << result.error;
        dir_ = std::move(result.directory);
    }

    std::unique_ptr<LdifDirectory> dir_;
    ReportedTotals reported_ = ReadReportedTotals();
};

TEST_F(BundledSample, IsTheSampleFileAsBuilt) {
    EXPECT_EQ(BundledSampleLdif(), ReadFile(VANTOR_SAMPLE_LDIF));
    EXPECT_EQ(dir_->Description(), "bundled sample directory");
}

TEST_F(BundledSample, HasTheReportedTotals) {
    EXPECT_EQ(static_cast<long long>(dir_->ContainerCount()) - 1,
              Reported(reported_, "containers"));
    EXPECT_EQ(Total(CountRun(*dir_, "Partition", false)), Reported(reported_, "partition roots"));
    EXPECT_EQ(Total(CountRun(*dir_, "User", false)), Reported(reported_, "users (inetOrgPerson)"));
    EXPECT_EQ(Total(CountRun(*dir_, "NCP_Server", false)),
              Reported(reported_, "servers (ncpServer)"));
    EXPECT_EQ(Total(CountRun(*dir_, "Group", false)),
              Reported(reported_, "groups (groupOfNames)") +
                  Reported(reported_, "groups (groupOfUniqueNames)"));

    LdifLoadResult edirectory = LoadBundledSample(EDirectoryProfile());
    ASSERT_TRUE(edirectory) << edirectory.error;
    EXPECT_EQ(Total(CountRun(*edirectory.directory, "Group", false)),
              Reported(reported_, "groups (groupOfNames)"));
}

TEST_F(BundledSample, CountsByPartitionAddUpToTheSameUsers) {
    const NodeCounts byPartition = CountRun(*dir_, "User", true);
    EXPECT_EQ(static_cast<long long>(byPartition.size()),
              Reported(reported_, "partition roots") + 1);
    EXPECT_EQ(Total(byPartition), Reported(reported_, "users (inetOrgPerson)"));
}

TEST_F(BundledSample, RegionsHaveTheReportedUsersAndContainers) {
    ASSERT_FALSE(reported_.regions.empty()) << "the README reports no regions";
    const NodeCounts byContainer = CountRun(*dir_, "User", false);
    for (const auto& [region, expected] : reported_.regions) {
        SCOPED_TRACE(region);
        const std::string top = ListedNames(*dir_, "[Root]").at(0);
        const std::string fullName = region + "." + top;
        long long users = 0;
        long long containers = 0;
        for (const auto& [name, count] : byContainer) {
            if (name == fullName || (name.size() > fullName.size() &&
                                     name.compare(name.size() - fullName.size() - 1,
                                                  std::string::npos, "." + fullName) == 0)) {
                users += count;
                ++containers;
            }
        }
        EXPECT_EQ(users, expected.first);
        EXPECT_EQ(containers, expected.second);
    }
}

}  // namespace
}  // namespace vantor::test
