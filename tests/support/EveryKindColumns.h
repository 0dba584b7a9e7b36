#pragma once
// The check that --kind all counts each kind as a run of that kind alone: its CSV columns per
// kind against the count and branch total of each single-kind CSV, line by line.

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace vantor::test {

// The rows of vantor-count's CSV by full name (the fourth column), each row's fields unquoted.
inline std::map<std::string, std::vector<std::string>> CsvRowsByFullName(const std::string& csv) {
    std::map<std::string, std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < csv.size(); ++i) {
        const char c = csv[i];
        if (quoted && c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
            field += c;
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (quoted || (c != ',' && c != '\r' && c != '\n')) {
            field += c;
        } else if (c == ',' || c == '\n') {
            row.push_back(field);
            field.clear();
            if (c == '\n' && row.size() > 3) {
                rows[row[3]] = row;
            }
            if (c == '\n') {
                row.clear();
            }
        }
    }
    rows.erase("full_name");
    return rows;
}

// Runs count (vantor-count with the arguments, its CSV returned) with --kind all and with each
// kind, and expects the same lines with the same figures; every kind must count something but
// the kinds absent (the directory holds none of them).
inline void ExpectEachKindAsItsOwnRun(
    const std::function<std::string(const std::vector<std::string>&)>& count,
    std::vector<std::string> arguments, const std::set<std::string>& absent = {}) {
    static constexpr std::array<const char*, 4> kKinds = {"users", "servers", "groups",
                                                          "partitions"};
    arguments.insert(arguments.end(), {"--format", "csv", "--kind", "all"});
    const auto all = CsvRowsByFullName(count(arguments));
    ASSERT_TRUE(all.count("[Root]") != 0);
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        SCOPED_TRACE(kKinds[kind]);
        arguments.back() = kKinds[kind];
        const auto alone = CsvRowsByFullName(count(arguments));
        ASSERT_EQ(alone.size(), all.size());
        for (const auto& [name, row] : alone) {
            const std::vector<std::string>& every = all.at(name);
            EXPECT_EQ(every.at(6 + 2 * kind), row.at(6)) << name;
            EXPECT_EQ(every.at(7 + 2 * kind), row.at(7)) << name;
        }
        if (!absent.contains(kKinds[kind])) {
            EXPECT_NE(alone.at("[Root]").at(7), "0");
        }
    }
}

}  // namespace vantor::test
