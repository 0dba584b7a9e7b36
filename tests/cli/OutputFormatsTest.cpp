// The CSV and JSON outputs of names that hold any bytes.

#include "cli/OutputFormats.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <string>
#include <utility>
#include <vector>

#include "support/ResultLines.h"

namespace vantor {
namespace {

TEST(OutputFormats, JsonIsValidForAnyBytesAndKeepsThemInHex) {
    const std::string latin1 = "Z\xfcrich";                     // not UTF-8
    const std::string hostile = "Evil\n99\t\tFake\x1b[2J\x7f";  // control characters
    CTextTreeCtrl tree;
    const HTREEITEM root = test::AddResultLine(tree, 0, "[Root]", 1);
    const HTREEITEM zurich = test::AddResultLine(tree, root, latin1, 2);
    const HTREEITEM evil = test::AddResultLine(tree, root, hostile, 3);
    RunRecord run;
    run.directory = "LDIF export /tmp/caf\xe9.ldif";
    run.className = "User";
    run.nodes[root].fullName = "[Root]";
    run.nodes[zurich].fullName = latin1;
    run.nodes[zurich].errors.push_back(
        {-601, 3, latin1, "-601:NWDSSearch:" + latin1, "no such object: ou=" + latin1});
    run.nodes[evil].fullName = hostile;
    CTreeWalk walk(tree);

    const std::string json = BuildJson(tree, walk, run);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n"
                                                     << json;

    const QJsonObject top = document.object();
    EXPECT_EQ(top["directory"].toString(), QString::fromUtf8("LDIF export /tmp/caf\uFFFD.ldif"));
    EXPECT_EQ(top["directory_hex"].toString().toStdString(),
              "4c444946206578706f7274202f746d702f636166e92e6c646966");
    const QJsonArray children = top["lines"].toArray()[0].toObject()["children"].toArray();
    ASSERT_EQ(children.size(), 2);
    const QJsonObject first = children[0].toObject();
    EXPECT_EQ(first["full_name"].toString(), QString::fromUtf8("Z\uFFFDrich"));
    EXPECT_EQ(first["full_name_hex"].toString(), "5afc72696368");
    EXPECT_EQ(first["name_hex"].toString(), "5afc72696368");
    const QJsonObject firstError = first["errors"].toArray()[0].toObject();
    EXPECT_EQ(firstError["name_hex"].toString(), "5afc72696368");
    EXPECT_EQ(firstError["detail"].toString(), QString::fromUtf8("no such object: ou=Z\uFFFDrich"));
    // Control characters are JSON's own escapes, read back exactly; valid names have no hex.
    const QJsonObject second = children[1].toObject();
    EXPECT_EQ(second["full_name"].toString().toStdString(), hostile);
    EXPECT_FALSE(second.contains("full_name_hex"));
}

TEST(OutputFormats, CsvQuotesFieldsAndKeepsTheirBytes) {
    CTextTreeCtrl tree;
    const HTREEITEM line = test::AddResultLine(tree, 0, "a,\"b\"\nc\xfc", 4);
    RunRecord run;
    run.directory = "d";
    run.className = "User";
    run.nodes[line].fullName = "a,\"b\"\nc\xfc";
    CTreeWalk walk(tree);
    EXPECT_EQ(BuildCsv(tree, walk, run),
              "directory,object_class,mode,full_name,name,depth,count,branch_total,errors,"
              "error_details,cancelled,filter,dn,timestamp,profile,version\r\n"
              "d,User,by "
              "partition,\"a,\"\"b\"\"\nc\xfc\",\"a,\"\"b\"\"\nc\xfc\",0,4,4,0,,false,,,,,\r\n");
}

// Label values hold any bytes of a name: escaped as the exposition format requires, valid
// UTF-8 always, so that node_exporter never drops the file.
TEST(OutputFormats, PrometheusEscapesLabelValuesAndGivesTheTotalsOfTheirOwn) {
    CTextTreeCtrl tree;
    const HTREEITEM root = test::AddResultLine(tree, 0, "[Root]", 1);
    const std::vector<std::pair<std::string, std::string>> names = {
        {"a\\b", "a\\\\b"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"two\nlines", "two\\nlines"},
        {"Z\xfcrich", "Z\uFFFDrich"},
    };
    RunRecord run;
    run.directory = "ldap://h (base o=x)";
    run.kind = 2;
    run.version = "9.8.7";
    run.nodes[root].fullName = "[Root]";
    for (const auto& [name, escaped] : names) {
        const HTREEITEM line = test::AddResultLine(tree, root, name, 2);
        run.nodes[line].fullName = name;
        run.nodes[line].dn = "ou=" + name;
    }
    run.nodes[root].errors.push_back({-601, 3, "", "-601:NWDSSearch:", ""});
    CTreeWalk walk(tree);
    const std::string out = BuildPrometheus(tree, walk, run);

    const std::string labels = R"x(directory="ldap://h (base o=x)",kind="groups")x";
    for (const auto& [name, escaped] : names) {
        EXPECT_NE(out.find("vantor_count_line_objects{" + labels + ",dn=\"ou=" + escaped +
                           "\",full_name=\"" + escaped + "\"} 2\n"),
                  std::string::npos)
            << out;
    }
    EXPECT_NE(out.find("\nvantor_count_line_branch_objects{" + labels +
                       R"(,dn="",full_name="[Root]"} 9)" + "\n"),
              std::string::npos);
    EXPECT_NE(
        out.find("# TYPE vantor_count_objects gauge\nvantor_count_objects{" + labels + "} 9\n"),
        std::string::npos);
    EXPECT_NE(out.find("\nvantor_count_errors{" + labels + "} 1\n"), std::string::npos);
    EXPECT_NE(out.find("\nvantor_count_info{" + labels +
                       R"(,mode="by partition",profile="",filter="",version="9.8.7"} 1)"),
              std::string::npos);
    // Each family once: a HELP and a TYPE line before its samples.
    for (const char* family :
         {"line_objects", "line_branch_objects", "objects", "errors", "cancelled", "info"}) {
        const std::string help = std::string("# HELP vantor_count_") + family + " ";
        EXPECT_EQ(out.find(help), out.rfind(help)) << family;
        EXPECT_NE(out.find(help), std::string::npos) << family;
    }
}

}  // namespace
}  // namespace vantor
