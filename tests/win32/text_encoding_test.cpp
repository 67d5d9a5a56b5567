// GBK through Windows' code page 936, both ways: the settings file's bytes.

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_text_encoding.h"

namespace ondrel::win32test {
namespace {

const Win32TextEncoding kGbk;

struct Decoding {
    const char* name;
    std::string gbk;
    std::string utf8;
};

void PrintTo(const Decoding& c, std::ostream* os)
{
    *os << c.name;
}

class GbkToUtf8 : public ::testing::TestWithParam<Decoding> {};

TEST_P(GbkToUtf8, decodesOneCharacterAtATime)
{
    EXPECT_EQ(kGbk.gbkToUtf8(GetParam().gbk), GetParam().utf8);
}

// Every byte that is not GBK becomes one U+FFFD, as on Linux; a lead byte
// whose pair is not GBK is replaced alone, and the byte after it is read anew.
INSTANTIATE_TEST_SUITE_P(Shared, GbkToUtf8,
                         ::testing::Values(Decoding{"Ascii", "sa 127.0.0.1", "sa 127.0.0.1"},
                                           Decoding{"Chinese", "\xD6\xD0\xCE\xC4\xBF\xE2", "中文库"},
                                           Decoding{"Header", "------\xB7\xFE\xCE\xF1\xC6\xF7\xC5\xE4\xD6\xC3------",
                                                    "------服务器配置------"},
                                           Decoding{"LeadByteAtTheEnd", "ab\x81", "ab\xEF\xBF\xBD"},
                                           Decoding{"LeadByteBeforeABlank", "\x81 x", "\xEF\xBF\xBD x"},
                                           Decoding{"LeadByteBeforeALineEnd", "\xD6\r\n\xD6\xD0", "\xEF\xBF\xBD\r\n中"},
                                           Decoding{"TrailByteOutOfRange", "\xA1\x7F", "\xEF\xBF\xBD\x7F"},
                                           Decoding{"EmbeddedNul", std::string("a\0b", 3), std::string("a\0b", 3)}),
                         [](const auto& test) { return std::string(test.param.name); });

// Windows' own table maps bytes the Linux converter refuses: 0x80 is the
// euro sign, GBK's user-defined pairs (A140...) are private-use characters.
INSTANTIATE_TEST_SUITE_P(WindowsOwn, GbkToUtf8,
                         ::testing::Values(Decoding{"Euro", "\x80", "€"},
                                           Decoding{"UserDefinedPair", "\xA1\x40", "\xEE\x93\x86"}),
                         [](const auto& test) { return std::string(test.param.name); });

struct Encoding {
    const char* name;
    std::string utf8;
    std::string gbk;
    bool lossless;
};

void PrintTo(const Encoding& c, std::ostream* os)
{
    *os << c.name;
}

class Utf8ToGbk : public ::testing::TestWithParam<Encoding> {};

TEST_P(Utf8ToGbk, keepsWhatGbkHoldsAndSaysWhenItCannot)
{
    bool lossless = !GetParam().lossless;
    EXPECT_EQ(kGbk.utf8ToGbk(GetParam().utf8, &lossless), GetParam().gbk);
    EXPECT_EQ(lossless, GetParam().lossless);
}

// One "?" for each character GBK cannot hold (a character outside the
// Basic Multilingual Plane too), and no best-fit look-alike: "ä" is not "a".
INSTANTIATE_TEST_SUITE_P(
    Shared, Utf8ToGbk,
    ::testing::Values(Encoding{"Ascii", "D:\\dbbak\\", "D:\\dbbak\\", true},
                      Encoding{"Chinese", "中文库", "\xD6\xD0\xCE\xC4\xBF\xE2", true},
                      Encoding{"PunctuationOfTheMessages", "“？”，", "\xA1\xB0\xA3\xBF\xA1\xB1\xA3\xAC", true},
                      Encoding{"Emoji", "pw🙂", "pw?", false}, Encoding{"NoBestFit", "ä", "?", false},
                      Encoding{"NotUtf8",
                               "a\xFF"
                               "b",
                               "a?b", false},
                      Encoding{"TruncatedUtf8", "x\xE4\xB8", "x?", false},
                      Encoding{"Surrogate", "\xED\xA0\x80", "?", false}),
    [](const auto& test) { return std::string(test.param.name); });

INSTANTIATE_TEST_SUITE_P(WindowsOwn, Utf8ToGbk, ::testing::Values(Encoding{"Euro", "€", "\x80", true}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(Gbk, aSettingsFileComesBackAsItWasWritten)
{
    const std::string text = "------服务器配置------\r\n192.168.1.20\r\n请勿修改\r\nD:\\数据\\备份\\\r\n";
    bool lossless = false;
    EXPECT_EQ(kGbk.gbkToUtf8(kGbk.utf8ToGbk(text, &lossless)), text);
    EXPECT_TRUE(lossless);
}

} // namespace
} // namespace ondrel::win32test
