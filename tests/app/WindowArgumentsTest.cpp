// The window's command line: an export named alone is counted, as with --ldif; --filter.

#include <gtest/gtest.h>

#include "app/WindowArguments.h"

namespace vantor {
namespace {

TEST(WindowArguments, AnExportNamedAloneIsCountedWithTheFilterGivenAndAnythingElseIsRefused) {
    struct Case {
        std::vector<std::string> arguments;
        std::string ldifPath;  // "" for none
        bool ldap;
        std::string error;  // "" for none
        std::string filter = "";
    };
    const Case cases[] = {
        {{}, "", false, ""},
        {{"/home/ann/export.ldif"}, "/home/ann/export.ldif", false, ""},
        {{"--profile", "ad", "export.ldif"}, "export.ldif", false, ""},
        {{"--ldif", "a.ldif"}, "a.ldif", false, ""},
        {{"-"}, "-", false, ""},
        {{"--ldif", "a.ldif", "b.ldif"},
         "a.ldif",
         false,
         "one directory only: \"b.ldif\" besides \"a.ldif\""},
        {{"a.ldif", "b.ldif"},
         "a.ldif",
         false,
         "one directory only: \"b.ldif\" besides \"a.ldif\""},
        {{"-H", "ldap://127.0.0.1", "a.ldif"},
         "",
         true,
         "one directory only: \"a.ldif\" besides an LDAP server"},
        {{"a.ldif", "--frobnicate"}, "a.ldif", false, "unknown option --frobnicate"},
        {{"--filter", "(sn=Ng)", "a.ldif"}, "a.ldif", false, "", "(sn=Ng)"},
        {{"a.ldif", "--filter=(!(sn=Ng))"}, "a.ldif", false, "", "(!(sn=Ng))"},
        {{"a.ldif", "--filter"}, "a.ldif", false, "option --filter needs a filter"},
    };
    for (const Case& c : cases) {
        const DirectoryArguments chosen = TakeWindowArguments(c.arguments);
        const std::string shown = c.arguments.empty() ? "" : c.arguments.back();
        EXPECT_EQ(chosen.error, c.error) << shown;
        EXPECT_EQ(chosen.choice.ldifPath.value_or(""), c.ldifPath) << shown;
        EXPECT_EQ(chosen.choice.ldap, c.ldap) << shown;
        EXPECT_EQ(chosen.choice.filter, c.filter) << shown;
    }
}

}  // namespace
}  // namespace vantor
