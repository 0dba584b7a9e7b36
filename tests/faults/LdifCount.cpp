#include "faults/LdifCount.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "directory/ldif/LdifDirectory.h"

namespace vantor::test {

namespace {

std::int32_t SumOfLineData(const Counted& counted) {
    std::int32_t sum = 0;
    for (const TreeLine& line : counted.lines) {
        sum += static_cast<std::int32_t>(line.data);
    }
    return sum;
}

// One record of an export and whether it is a user.
struct Record {
    std::string text;
    bool user;
};

std::vector<Record> ExportRecords() {
    return {
        {"version: 1\n", false},
        {"# acme, an export\n"
         "dn: o=acme\n"
         "objectClass: top\n"
         "objectClass: organization\n"
         "o: acme\n",
         false},
        {"dn: uid=boss,o=acme\nobjectClass: inetOrgPerson\nuid: boss\ncn: Boss\nsn: B\n", true},
        {"dn: ou=Research and Development,\n"
         " o=acme\n"
         "objectClass: organizationalUnit\n"
         "ou: Research and Development\n"
         "description: long enough to be folded over two lines by the tool that wrote \n"
         " this export\n",
         false},
        {"dn: uid=ann,ou=Research and Development,o=acme\nobjectClass: inetOrgPerson\nsn: A\n",
         true},
        {"dn:: b3U9U8OkbGUsbz1hY21l\nobjectClass: organizationalUnit\n", false},
        {"dn: uid=bob,ou=S\\C3\\A4le,o=acme\nobjectClass:: aW5ldE9yZ1BlcnNvbg==\nsn: B\n", true},
        {"dn: ou=Lab+l=Rome,o=acme\r\nobjectClass: organizationalUnit\r\nou: Lab\r\n", false},
        {"dn: uid=cid,l=Rome+ou=Lab,o=acme\r\nobjectClass: inetOrgPerson\r\nsn: C\r\n", true},
        {"dn: uid=dee,ou=Lab+l=Rome,o=acme\nobjectClass: inetOrgPerson\nsn: D\n", true},
    };
}

}  // namespace

Counted LoadAndCount(std::string_view ldif, bool byContainer) {
    Counted counted;
    LdifLoadResult loaded = LoadLdifText(ldif, kLdifSource);
    if (!loaded) {
        counted.refusal = loaded.error;
        return counted;
    }
    CCountTreeCtrl tree;
    RecordingHost host;
    counted.outcome = RunCount(*loaded.directory, tree, host, byContainer);
    counted.total = host.totals.empty() ? 0 : host.totals.back();
    counted.lines = LinesOf(tree);
    counted.shownNames = host.shownNames;
    return counted;
}

unsigned long RefusedLine(const std::string& refusal) {
    const std::string prefix = std::string(kLdifSource) + ":";
    if (refusal.rfind(prefix, 0) != 0) {
        return 0;
    }
    return std::strtoul(refusal.c_str() + prefix.size(), nullptr, 10);
}

unsigned long LineCount(std::string_view text) {
    return static_cast<unsigned long>(std::count(text.begin(), text.end(), '\n')) + 1;
}

void ExpectClearRefusal(const std::string& refusal, std::string_view text) {
    EXPECT_THAT(refusal, testing::StartsWith(std::string(kLdifSource) + ":"));
    EXPECT_LE(RefusedLine(refusal), LineCount(text)) << refusal;
    EXPECT_GT(refusal.size(), std::string(kLdifSource).size() + 2) << "a refusal says why";
}

void ExpectWholeCount(const Counted& counted) {
    EXPECT_EQ(counted.outcome, CountRunOutcome::kFinished);
    EXPECT_EQ(counted.total, SumOfLineData(counted));
}

unsigned long LineOf(const std::string& text, const std::string& marker) {
    return LineCount(std::string_view(text).substr(0, text.find(marker)));
}

std::string Entry(const std::string& dn, const std::string& objectClass) {
    return "dn: " + dn + "\nobjectClass: " + objectClass + "\n\n";
}
std::string Org(const std::string& dn) {
    return Entry(dn, "organization");
}
std::string Unit(const std::string& dn) {
    return Entry(dn, "organizationalUnit");
}
std::string Users(const std::string& parent, const std::string& prefix, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += "dn: uid=" + prefix + std::to_string(i) + "," + parent +
                "\nobjectClass: inetOrgPerson\n\n";
    }
    return text;
}

Export MakeExport() {
    Export out;
    for (const Record& record : ExportRecords()) {
        if (!out.text.empty()) {
            out.text += "\n";
        }
        const std::size_t start = out.text.size();
        out.text += record.text;
        if (record.user) {
            out.users.emplace_back(start, out.text.size());
        }
    }
    return out;
}

}  // namespace vantor::test
