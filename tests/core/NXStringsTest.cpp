#include "support/NXStrings.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(ExtractBetween, FindsTitleInAnyLetterCaseAndKeepsItsOwnCase) {
    EXPECT_EQ(ExtractBetween("<HTML><TITLE>My Page</TITLE>", "<title>", "</title>", true),
              "My Page");
    EXPECT_EQ(ExtractBetween("<TITLE>My Page</TITLE>", "<title>", "</title>", false), "");
}

TEST(ExtractBetween, FirstOccurrencesDecide) {
    // End mark only before the start mark.
    EXPECT_EQ(ExtractBetween("</title><title>x", "<title>", "</title>", true), "");
    // End mark before and after: the first one decides.
    EXPECT_EQ(ExtractBetween("</title><title>x</title>", "<title>", "</title>", true), "");
    // End mark right after the start mark.
    EXPECT_EQ(ExtractBetween("<title></title>", "<title>", "</title>", true), "");
    // Missing marks.
    EXPECT_EQ(ExtractBetween("<title>open", "<title>", "</title>", true), "");
    EXPECT_EQ(ExtractBetween("close</title>", "<title>", "</title>", true), "");
    EXPECT_EQ(ExtractBetween("", "<title>", "</title>", true), "");
    // Second start mark does not move the start.
    EXPECT_EQ(ExtractBetween("<title>a<title>b</title>", "<title>", "</title>", true), "a<title>b");
}

TEST(ExtractBetween, KeepsWhiteSpaceAndEntitiesAsFound) {
    EXPECT_EQ(ExtractBetween("<title>\r\n  A &amp; B \t</title>", "<title>", "</title>", true),
              "\r\n  A &amp; B \t");
}

TEST(PosFrom, OneBasedAndZeroWhenMissing) {
    EXPECT_EQ(PosFrom("abcabc", "bc", 1), 2);
    EXPECT_EQ(PosFrom("abcabc", "bc", 0), 2);
    EXPECT_EQ(PosFrom("abcabc", "BC", 1), 0);
    EXPECT_EQ(PosFrom("abcabc", "bc", 3), 5);
    EXPECT_EQ(PosFrom("", "a", 1), 0);
    EXPECT_EQ(PosFrom("abc", "a", 99), 0);
}

TEST(SafeMid, EmptyOutsideTheText) {
    EXPECT_EQ(SafeMid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(SafeMid("abcdef", 1, 6), "abcdef");
    EXPECT_EQ(SafeMid("abcdef", 1, 0), "");
    EXPECT_EQ(SafeMid("abcdef", 0, 2), "");
    EXPECT_EQ(SafeMid("abcdef", 2, -1), "");
    EXPECT_EQ(SafeMid("abcdef", 5, 3), "");
}

TEST(TrimAtNull, CutsAtFirstNul) {
    std::string s("ab\0cd\0", 6);
    TrimAtNull(s);
    EXPECT_EQ(s, "ab");
    std::string plain = "abc";
    TrimAtNull(plain);
    EXPECT_EQ(plain, "abc");
}

TEST(TailText, WholeTextAtMostNeverMore) {
    EXPECT_EQ(TailText("0123456789", 10), "0123456789");
    EXPECT_EQ(TailText("0123456789", 3), "789");
    EXPECT_EQ(TailText("0123456789", 11), "");
    EXPECT_EQ(TailText("0123456789", 0), "");
    EXPECT_EQ(TailText("0123456789", -2), "");
}

TEST(CaseFolding, OnlyAsciiLettersFold) {
    EXPECT_EQ(AsciiLowerCase("ABC xyz \xC3\x89"), "abc xyz \xC3\x89");
    EXPECT_EQ(AsciiUpperCase("abc_\xC3\xA9"), "ABC_\xC3\xA9");
    EXPECT_TRUE(SameTextIgnoringCase("/Site/Docs/", "/site/docs/"));
    EXPECT_FALSE(SameTextIgnoringCase("/site/d\xC3\x89", "/site/d\xC3\xA9"));
}

TEST(LineList, SplitsOnAnyLineEndAndJoinsWithCrLf) {
    EXPECT_EQ(SplitLineList("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLineList("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(SplitLineList("").empty());
    EXPECT_EQ(JoinLineList({"x/", "y/"}), "x/\r\ny/\r\n");
    EXPECT_EQ(JoinLineList({}), "");
}

TEST(PrintableText, HidesEveryControlATerminalWouldObey) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"plain caf\xC3\xA9", "plain caf\xC3\xA9"},
        {std::string("a\0b\x1B[2J\x7F", 8), "a?b?[2J?"},
        {"\xC2\x9B"
         "31m\xC2\x80\xC2\xA0",
         "?31m?\xC2\xA0"}, // C1, then a no-break space
        {"\xC2", "\xC2"},
        {"::set-output name=ok::true.html", "\\x3A:set-output name=ok::true.html"},
        {" \xC2\xA0\xE3\x80\x80:x", " \xC2\xA0\xE3\x80\x80\\x3Ax"},
        {"x###[add-mask]y##", "x##\\x23[add-mask]y##"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PrintableText(c.in), c.out) << c.in;
}

// Whatever a page or a name holds, the XML stays well-formed.
TEST(EscapeXmlText, ReplacesWhatXmlCannotHoldAndKeepsLineEndsAsReferences) {
    const std::string fffd = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        {"a&b'c\"d<e>f", "a&amp;b&apos;c&quot;d&lt;e&gt;f"},
        {"\t\n\r", "&#9;&#10;&#13;"},
        {std::string("a\0b\x01\x1F", 5), "a" + fffd + "b" + fffd + fffd},
        {"\xEF\xBF\xBE\xEF\xBF\xBF", fffd + fffd},         // U+FFFE, U+FFFF
        {"en\xFF", "en" + fffd},                           // not UTF-8
        {"\xED\xA0\x80", fffd + fffd + fffd},              // a surrogate
        {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd},   // past U+10FFFF
        {"\x7F caf\xC3\xA9 \xEF\xBF\xBD \xF0\x9F\x98\x80", // kept as they are
         "\x7F caf\xC3\xA9 \xEF\xBF\xBD \xF0\x9F\x98\x80"},
    };
    for (const auto& [raw, escaped] : cases)
        EXPECT_EQ(EscapeXmlText(raw), escaped) << raw;
}
