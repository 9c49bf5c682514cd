#include "support/PageEncoding.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

std::string NameOf(const Charset* charset) {
    return charset ? charset->Name : "(none)";
}

} // namespace

TEST(PageEncoding, LabelsAreReadAsBrowsersReadThem) {
    const struct {
        std::string label;
        const char* name;
    } cases[] = {
        {"latin1", "windows-1252"},
        {" ISO-8859-1\t", "windows-1252"},
        {"ascii", "windows-1252"},
        {"US-ASCII", "windows-1252"},
        {"iso-8859-9", "windows-1254"},
        {"sjis", "Shift_JIS"},
        {"utf8", "UTF-8"},
        {"utf-16", "UTF-16LE"},
        {"hz-gb-2312", "replacement"},
        {"bogus", "(none)"},
        {"", "(none)"},
        {std::string(40, 'a'), "(none)"},
        {"utf-8;", "(none)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameOf(CharsetForLabel(c.label)), c.name) << '"' << c.label << '"';
}

// One sample of every kind of encoding, and what breaks each.
TEST(PageEncoding, ConvertsEachEncodingAndReplacesWhatCannotBeRead) {
    const struct {
        const char* label; // null: none declared
        std::string bytes;
        std::string utf8;
    } cases[] = {
        {"iso-8859-2", "\xB1", "ą"},
        {"iso-8859-7", "\xE1", "α"},
        {"iso-8859-8-i", "\xE0", "א"},
        {"iso-8859-16", "\xA1", "Ą"},
        {"koi8-r", "\xC1", "а"},
        {"koi8-u", "\xA4", "є"},
        {"ibm866", "\x80", "А"},
        {"x-mac-cyrillic", "\x80", "А"},
        {"macintosh", "\x8E", "é"},
        {"windows-874", "\xA1", "ก"},
        {"windows-1251", "\xE0", "а"},
        {"windows-1258", "\xC3", "Ă"},
        {"shift_jis", "\x93\xFA\x96\x7B", "日本"},
        {"shift_jis", "\x87\x40", "①"}, // Microsoft's additions, as browsers read them
        {"euc-jp", "\xC6\xFC\xCB\xDC", "日本"},
        {"iso-2022-jp", "\x1B$BF|\x1B(B", "日"},
        {"gbk", "\xD6\xD0", "中"},
        {"gb18030", "\x81\x30\x81\x30", "\xC2\x80"},
        {"big5", "\xA4\xA4", "中"},
        {"euc-kr", "\xC7\xD1", "한"},
        {"latin1",
         "Fran\xE7"
         "ais \x80",
         "Français €"},
        {"x-user-defined", "\x80", "\xEF\x9E\x80"},
        {"utf-16le", std::string("A\0\x3D\xD8\x00\xDE", 6), "A😀"},
        {"hz-gb-2312", "abc", "\xEF\xBF\xBD"},
        {"utf-8", "Caf\xC3\xA9 \xC3", "Café \xEF\xBF\xBD"},
        {nullptr, "Caf\xC3\xA9", "Café"},
        {nullptr,
         "Fran\xE7"
         "ais",
         "Français"},
        // Cut off, undefined, unpaired, half a unit.
        {"shift_jis", "a\x93", "a\xEF\xBF\xBD"},
        {"shift_jis", "\xA0x\xFD", "\xEF\xBF\xBDx\xEF\xBF\xBD"},
        {"iso-8859-3", "\xA5", "\xEF\xBF\xBD"},
        {"utf-16le",
         std::string("\0\xD8"
                     "B",
                     3),
         "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        const Charset* charset = c.label ? CharsetForLabel(c.label) : nullptr;
        ASSERT_TRUE(charset || !c.label) << c.label;
        EXPECT_EQ(PageTextToUtf8(c.bytes, charset), c.utf8) << (c.label ? c.label : "none");
    }
}

TEST(PageEncoding, EveryUnreadableByteBecomesOneReplacement) {
    const std::string bad(1 << 20, '\xFF');
    for (const char* label : {"euc-kr", "shift_jis", "iso-8859-8", "gb18030"})
        EXPECT_EQ(PageTextToUtf8(bad, CharsetForLabel(label)).size(), 3u << 20) << label;
}

TEST(PageEncoding, TheFirstKilobyteDeclaresTheEncoding) {
    const struct {
        std::string start;
        const char* name;
        size_t bom;
    } cases[] = {
        {"\xEF\xBB\xBF<meta charset=koi8-r>", "UTF-8", 3},
        {"\xFF\xFE<", "UTF-16LE", 2},
        {"\xFE\xFF", "UTF-16BE", 2},
        {"<meta charset=\"Shift_JIS\">", "Shift_JIS", 0},
        {"<html><META HTTP-EQUIV=Content-Type CONTENT='text/html; charset=iso-8859-2'>",
         "ISO-8859-2", 0},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset = 'euc-jp'\">", "EUC-JP",
         0},
        {"<meta/charset=gbk>", "GBK", 0},
        {"<meta charset=latin1 charset=koi8-r>", "windows-1252", 0},
        {"<meta charset=utf-16>", "UTF-8", 0},
        {"<meta charset=x-user-defined>", "windows-1252", 0},
        {"<!-- <meta charset=koi8-r> --><meta charset=iso-8859-5>", "ISO-8859-5", 0},
        {"<!--><meta charset=koi8-r>", "KOI8-R", 0},
        {"<p title='<meta charset=koi8-r>'><meta charset=big5>", "Big5", 0},
        // Saying nothing, or nothing known.
        {"<meta content=\"text/html; charset=koi8-r\">", "(none)", 0},
        {"<meta http-equiv=content-type content=\"text/html\">", "(none)", 0},
        {"<meta charset=bogus>", "(none)", 0},
        {"<metacharset=koi8-r>", "(none)", 0},
        {"<meta charset=koi8-r", "(none)", 0},
        {"<!-- <meta charset=koi8-r>", "(none)", 0},
        {std::string(1003, ' ') + "<meta charset=koi8-r>", "KOI8-R", 0}, // ends at 1,024
        {std::string(1004, ' ') + "<meta charset=koi8-r>", "(none)", 0},
        {"", "(none)", 0},
    };
    for (const auto& c : cases) {
        PageCharset found = SniffPageCharset(c.start);
        EXPECT_EQ(NameOf(found.Declared), c.name) << c.start;
        EXPECT_EQ(found.BomLength, c.bom) << c.start;
    }
}
