#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "text/utf16.h"

namespace {

struct TextCase {
    const char* name;
    const char* utf8;
    std::u16string utf16;
};

class Utf16RoundTrip : public testing::TestWithParam<TextCase> {};

TEST_P(Utf16RoundTrip, keepsEveryCharacter)
{
    const std::u16string wide = Utf16::fromUtf8(GetParam().utf8);
    EXPECT_EQ(wide, GetParam().utf16);
    EXPECT_EQ(Utf16::toUtf8(wide), GetParam().utf8);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Texts, Utf16RoundTrip,
                         testing::Values(TextCase{"empty", "", u""}, TextCase{"ascii", "sales", u"sales"},
                                         TextCase{"quotes", "N'o''brien'", u"N'o''brien'"}, TextCase{"chinese", "销售库", u"销售库"},
                                         TextCase{"latin1", "é¥", u"é¥"}, TextCase{"beyondBmp", "𠀀库😀", u"𠀀库😀"}),
                         [](const testing::TestParamInfo<TextCase>& param) { return std::string(param.param.name); });
// clang-format on

TEST(Utf16FromProgram, refusesBytesThatAreNotUtf8)
{
    for (const char* bad : {"\xff", "\xc3", "a\xe4\xbd", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"})
        EXPECT_THROW(Utf16::fromUtf8(bad), std::invalid_argument) << bad;
}

TEST(Utf16FromSystem, replacesABrokenSurrogate)
{
    const std::u16string lone{u'a', char16_t(0xD800), u'b', char16_t(0xDC00)};
    EXPECT_EQ(Utf16::toUtf8(lone),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

} // namespace
