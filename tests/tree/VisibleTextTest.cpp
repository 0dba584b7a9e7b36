#include "tree/VisibleText.h"

#include <gtest/gtest.h>

#include <string>

namespace vantor {
namespace {

TEST(VisibleText, ControlCharactersAndBrokenUtf8BecomeEscapesTheRestStays) {
    struct Case {
        std::string text;
        std::string shown;
    };
    const Case cases[] = {
        {"Sales Dept.acme", "Sales Dept.acme"},
        {"a\\.b", "a\\.b"},  // a back end's own escape is left alone
        {"Evil\n99\t\tFake", "Evil\\n99\\t\\tFake"},
        {"cr\rlf", "cr\\rlf"},
        {std::string("nul\0x", 5), "nul\\x00x"},
        {"\x1b[31mred\x7f", "\\x1b[31mred\\x7f"},
        {"Z\xc3\xbcrich \xe2\x82\xac \xf0\x9f\x8c\x8d",
         "Z\xc3\xbcrich \xe2\x82\xac \xf0\x9f\x8c\x8d"},
        {"csi\xc2\x9b"
         "2J nbsp\xc2\xa0",
         "csi\\u009b2J nbsp\xc2\xa0"},  // C1 escaped, U+00A0 kept
        {"latin1 Z\xfcrich", "latin1 Z\\xfcrich"},
        {"cut \xe2\x82", "cut \\xe2\\x82"},
        {"overlong \xc0\xaf", "overlong \\xc0\\xaf"},
        {"surrogate \xed\xa0\x80", "surrogate \\xed\\xa0\\x80"},
        {"too high \xf4\x90\x80\x80", "too high \\xf4\\x90\\x80\\x80"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VisibleText(c.text), c.shown) << c.shown;
    }
}

}  // namespace
}  // namespace vantor
