#include "servers/ContainerCounts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "directory/dn/Dn.h"
#include "support/ChildProcess.h"
#include "support/EveryKindColumns.h"
#include "support/TestFiles.h"

namespace vantor::test {

namespace {

constexpr int kCounterSeconds = 300;

// One CSV record of the counter's output: fields split at commas outside double quotes, a
// doubled quote inside quotes standing for one.
std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

Dn ParsedDn(const std::string& text) {
    const std::optional<Dn> dn = Dn::Parse(text);
    EXPECT_TRUE(dn) << "ldapsearch returned a DN libldap refuses: " << text;
    return dn.value_or(*Dn::Parse(""));
}

std::string AnyOfClasses(const std::vector<std::string>& classes) {
    std::string filter = "(|";
    for (const std::string& name : classes) {
        filter += "(objectClass=" + name + ")";
    }
    return filter + ")";
}

// vantor-count bound as login, quiet, writing to output.
std::vector<std::string> CounterCommand(const LdapLogin& login, const std::string& output) {
    std::vector<std::string> argv = {VANTOR_COUNT, "-H", login.uri, "-q", "-o", output};
    if (!login.bindDn.empty()) {
        argv.insert(argv.end(), {"-D", login.bindDn, "-y", login.passwordFile});
    }
    return argv;
}

}  // namespace

CounterRun RunCounter(const LdapLogin& login, const std::vector<std::string>& arguments,
                      const std::string& workFolder) {
    const std::string output = workFolder + "/count.csv";
    const std::string log = workFolder + "/count.err";
    std::remove(output.c_str());
    std::remove(log.c_str());
    std::vector<std::string> argv = CounterCommand(login, output);
    argv.insert(argv.end(), {"--format", "csv"});
    argv.insert(argv.end(), arguments.begin(), arguments.end());

    CounterRun run;
    run.exitCode = RunProgram(argv, log, kCounterSeconds);
    run.standardError = ReadTextFile(log);
    std::ifstream in(output);
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = CsvFields(line);
    // Columns are only ever added at the end; these tests read the first twelve.
    EXPECT_GE(header.size(), 12u) << line;
    while (std::getline(in, line)) {
        const std::vector<std::string> fields = CsvFields(line);
        if (fields.size() != header.size()) {
            ADD_FAILURE() << "a CSV line of " << fields.size() << " fields: " << line;
            continue;
        }
        // directory, object_class, mode, full_name, name, depth, count, branch_total, errors,
        // error_details, cancelled, filter
        run.lines.push_back({fields[3], std::stoll(fields[6]), fields[9]});
    }
    return run;
}

std::map<std::string, ContainerCount> LdapsearchContainers(const LdapLogin& login,
                                                           const ClassProfile& profile,
                                                           std::size_t kind,
                                                           const std::string& workFolder,
                                                           std::vector<std::string>* outside) {
    std::map<std::string, ContainerCount> containers;
    std::map<std::string, std::string> nameOfKey;  // container DN key -> its full name
    std::set<std::string> seen;                    // objects met in more than one context
    std::set<std::string> contexts;                // naming context keys
    std::vector<std::string> objects;
    for (const std::string& context :
         LdapsearchValues(login, "", "base", "(objectClass=*)", "namingContexts", workFolder)) {
        // A naming context is a line whatever its class (AD's schema is a dMD).
        const Dn top = ParsedDn(context);
        contexts.insert(top.Key());
        containers.insert({top.ListedName(top.Depth()), {context, 0}});
        nameOfKey.insert({top.Key(), top.ListedName(top.Depth())});
        for (const std::string& text : LdapsearchValues(
                 login, context, "sub", AnyOfClasses(profile.containerClasses), "dn", workFolder)) {
            const Dn dn = ParsedDn(text);
            const std::string name = dn.ListedName(dn.Depth());
            containers.insert({name, {text, 0}});
            nameOfKey.insert({dn.Key(), name});
        }
        for (std::string& text : LdapsearchValues(
                 login, context, "sub", profile.kinds.at(kind).ldapFilter, "dn", workFolder)) {
            objects.push_back(std::move(text));
        }
    }
    for (const std::string& text : objects) {
        const Dn dn = ParsedDn(text);
        if (dn.Depth() == 0 || !seen.insert(dn.Key()).second) {
            continue;
        }
        // An entry of another class in between is looked through: the nearest container counts.
        Dn above = dn.Ancestor(1);
        while (above.Depth() > 0 && !nameOfKey.contains(above.Key())) {
            above = above.Ancestor(1);
        }
        const auto parent = nameOfKey.find(above.Key());
        if (parent != nameOfKey.end()) {
            ++containers[parent->second].objects;
        } else if (outside != nullptr) {
            outside->push_back(text);
        }
    }
    return containers;
}

void ExpectEachLineCountsItsContainer(const CounterRun& run,
                                      const std::map<std::string, ContainerCount>& expected) {
    ASSERT_FALSE(run.lines.empty()) << run.standardError;
    EXPECT_EQ(run.lines.front().fullName, "[Root]");
    std::set<std::string> shown;
    for (const CounterLine& line : run.lines) {
        EXPECT_EQ(line.errors, "") << line.fullName;
        if (line.fullName == "[Root]") {
            continue;
        }
        const auto it = expected.find(line.fullName);
        if (it == expected.end()) {
            ADD_FAILURE() << "a line for no container: " << line.fullName;
            continue;
        }
        EXPECT_EQ(line.count, static_cast<std::int64_t>(it->second.objects)) << it->second.dn;
        EXPECT_TRUE(shown.insert(line.fullName).second) << "a second line for " << it->second.dn;
    }
    for (const auto& [name, container] : expected) {
        EXPECT_TRUE(shown.contains(name)) << "no line for " << container.dn;
    }
}

void ExpectCountsAgreeWithLdapsearch(const LdapLogin& login, const ClassProfile& profile,
                                     const std::string& kind,
                                     const std::vector<std::string>& options) {
    const std::vector<std::string> kinds = {"users", "servers", "groups", "partitions"};
    const auto index = std::find(kinds.begin(), kinds.end(), kind) - kinds.begin();
    const TemporaryFolder work;
    std::vector<std::string> outside;
    const auto expected = LdapsearchContainers(login, profile, static_cast<std::size_t>(index),
                                               work.Path(), &outside);
    // An object no line counts is one the total misses.
    for (const std::string& dn : outside) {
        ADD_FAILURE() << "in no container the walk reaches: " << dn;
    }
    std::vector<std::string> arguments = {"--profile", profile.name, "--by-container", "--kind",
                                          kind};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const CounterRun run = RunCounter(login, arguments, work.Path());
    EXPECT_EQ(run.exitCode, 0) << run.standardError;
    ExpectEachLineCountsItsContainer(run, expected);
}

void ExpectEveryKindAsEachKindAlone(const LdapLogin& login, const ClassProfile& profile,
                                    const std::vector<std::string>& options,
                                    const std::set<std::string>& absent) {
    const TemporaryFolder work;
    const std::string output = (work.Path() / "count.csv").string();
    const std::string log = (work.Path() / "count.err").string();
    const auto csv = [&](const std::vector<std::string>& arguments) {
        std::vector<std::string> argv = CounterCommand(login, output);
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        EXPECT_EQ(RunProgram(argv, log, kCounterSeconds), 0) << ReadTextFile(log);
        return ReadTextFile(output);
    };
    std::vector<std::string> arguments = {"--profile", profile.name, "--by-container"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    ExpectEachKindAsItsOwnRun(csv, arguments, absent);
}

}  // namespace vantor::test
