#include "support/TextEncoding.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(TextEncoding, ConvertsWhatOtherPlatformsWrite) {
    EXPECT_EQ(Cp1252ToUtf8("caf\xE9 \x80 \x81"), "caf\xC3\xA9 \xE2\x82\xAC \xC2\x81");
    EXPECT_EQ(Utf16ToUtf8(u"A\u00E9\U0001F600"), "A\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'x', char16_t(0xD800), u'y'}), "x\xEF\xBF\xBDy");
    EXPECT_EQ(Utf8ToUtf16("A\xC3\xA9\xF0\x9F\x98\x80"), std::u16string(u"A\u00E9\U0001F600"));
    // Overlong, an encoded surrogate, beyond U+10FFFF, cut short, a stray byte.
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\x80"})
        EXPECT_FALSE(Utf8ToUtf16(bad).has_value()) << bad;
    EXPECT_TRUE(IsAscii("plain"));
    EXPECT_FALSE(IsAscii("caf\xC3\xA9"));
}
