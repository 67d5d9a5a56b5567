#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "case_name.h"
#include "platform/odbc/sql_text.h"

namespace {

std::vector<SQLWCHAR> units(std::u16string_view text)
{
    return {text.begin(), text.end()};
}

struct TextCase {
    const char* name;
    const char* utf8;
    std::u16string utf16;
};

class SqlTextRoundTrip : public testing::TestWithParam<TextCase> {};

TEST_P(SqlTextRoundTrip, keepsEveryCharacter)
{
    const std::vector<SQLWCHAR> wide = SqlText::wide(GetParam().utf8);
    EXPECT_EQ(wide, units(GetParam().utf16));
    EXPECT_EQ(SqlText::utf8(wide.data(), wide.size()), GetParam().utf8);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Texts, SqlTextRoundTrip,
                         testing::Values(TextCase{"empty", "", u""}, TextCase{"ascii", "sales", u"sales"},
                                         TextCase{"quotes", "N'o''brien'", u"N'o''brien'"}, TextCase{"chinese", "销售库", u"销售库"},
                                         TextCase{"latin1", "é¥", u"é¥"}, TextCase{"beyondBmp", "𠀀库😀", u"𠀀库😀"}),
                         CaseName());
// clang-format on

TEST(SqlTextFromProgram, refusesBytesThatAreNotUtf8)
{
    for (const char* bad : {"\xff", "\xc3", "a\xe4\xbd", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"})
        EXPECT_THROW(SqlText::wide(bad), std::invalid_argument) << bad;
}

TEST(SqlTextFromDriver, replacesABrokenSurrogate)
{
    const std::vector<SQLWCHAR> lone{u'a', 0xD800, u'b', 0xDC00};
    EXPECT_EQ(SqlText::utf8(lone.data(), lone.size()),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

} // namespace
