// Wide paths to 8-bit text and back, as the Windows build converts them at
// its edge: every name must come back exactly, never as a look-alike.
#include <gtest/gtest.h>

#include <string>

#include "trailer/utf16_text.h"

namespace {

std::string to_8bit(const std::u16string& wide)
{
    char out[64];
    std::size_t length = 0;
    EXPECT_TRUE(utf16_to_8bit(wide.c_str(), out, sizeof out, length));
    return std::string(out, length);
}

TEST(Utf16Text, NamesConvertBothWaysExactly)
{
    const struct {
        const char* name;
        std::u16string wide;
        std::string bytes;
        std::size_t characters;
    } cases[] = {
        {"ascii", u"vol.pgd", "vol.pgd", 7},
        {"latin", u"caf\u00e9.pgd", "caf\xc3\xa9.pgd", 8},
        {"polish", u"\u0142\u00f3d\u017a",
         "\xc5\x82\xc3\xb3"
         "d\xc5\xba",
         4},
        {"cyrillic", u"\u0442\u043e\u043c", "\xd1\x82\xd0\xbe\xd0\xbc", 3},
        {"cjk", u"\u5377.pgd", "\xe5\x8d\xb7.pgd", 5},
        {"surrogate_pair", u"\U0001F4BE", "\xf0\x9f\x92\xbe", 1},
        // NTFS allows names that are not well-formed UTF-16.
        {"lone_high_surrogate", std::u16string(1, u'\xD800') + u"a",
         "\xed\xa0\x80"
         "a",
         2},
        {"lone_low_surrogate", std::u16string(1, u'\xDC01'), "\xed\xb0\x81", 1},
        {"empty", u"", "", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(to_8bit(c.wide), c.bytes) << c.name;
        char16_t back[64];
        std::size_t length = 0;
        ASSERT_TRUE(utf8_to_utf16(c.bytes.c_str(), back, 64, length)) << c.name;
        EXPECT_EQ(std::u16string(back, length), c.wide) << c.name;
        EXPECT_EQ(code_points(c.bytes.c_str()), c.characters) << c.name;
    }
}

TEST(Utf16Text, MalformedTextNamesNoFile)
{
    for (const char* bad : {"\xe9t\xe9", "a\xc3", "\xc0\xaf", "\xe0\x80\xaf", "\xf5\x80\x80\x80",
                            "\xf4\x90\x80\x80", "\x80"}) {
        char16_t out[16];
        std::size_t length = 0;
        EXPECT_FALSE(utf8_to_utf16(bad, out, 16, length)) << bad;
    }
}

TEST(Utf16Text, TooLongForTheBufferFails)
{
    char16_t wide_out[4];
    char out[4];
    std::size_t length = 0;
    EXPECT_TRUE(utf8_to_utf16("abc", wide_out, 4, length));
    EXPECT_FALSE(utf8_to_utf16("abcd", wide_out, 4, length));
    EXPECT_FALSE(utf8_to_utf16("ab\xf0\x9f\x92\xbe", wide_out, 4, length)) << "a pair needs two";
    EXPECT_TRUE(utf16_to_8bit(u"abc", out, 4, length));
    EXPECT_FALSE(utf16_to_8bit(u"a\u00e9c", out, 4, length));
}

}  // namespace
