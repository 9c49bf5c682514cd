#include "persist/ComponentStream.h"

#include "persist/ProfileFiles.h"
#include "persist/SiteMapSettings.h"
#include "persist/StreamSamples.h"

#include <gtest/gtest.h>
#include <set>

using namespace tw;
using twtest::Bytes;
using twtest::Header;

namespace {

// One property of each kind, bound to plain variables.
struct Probe {
    bool flag = false;
    TMapOutputType type = TMapOutputType::moutClipboard;
    TColor colour = 0;
    std::string text;

    TStreamObject Object() {
        TStreamObject o("TProbe");
        o.Boolean(
            "Flag", [this] { return flag; }, [this](bool v) { flag = v; });
        o.Enumeration<TMapOutputType>(
            "Type", {"moutClipboard", "moutFile", "moutInsert", "moutEditor"},
            [this] { return type; }, [this](TMapOutputType v) { type = v; });
        o.Colour(
            "Colour", [this] { return colour; }, [this](TColor v) { colour = v; });
        o.String(
            "Text", [this] { return text; }, [this](const std::string& v) { text = v; });
        return o;
    }

    std::string Write() {
        std::string out;
        WriteObject(out, Object());
        return out;
    }

    void Read(const std::string& stream) {
        TStreamObject o = Object();
        ReadObject(stream, o);
    }
};

// The bytes after the name of the probe's last written property: its value
// and the two end markers.
std::string Tail(const std::string& stream, const std::string& prop) {
    size_t at = stream.rfind(std::string(1, static_cast<char>(prop.size())) + prop);
    if (at == std::string::npos)
        return "<missing>";
    return stream.substr(at + 1 + prop.size());
}

// The value of the probe's Text property.
std::string TextValue(const std::string& stream) {
    std::string tail = Tail(stream, "Text");
    return tail.size() < 2 ? tail : tail.substr(0, tail.size() - 2);
}

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

} // namespace

TEST(ComponentStreamWrite, LaysOutHeaderPropertiesAndEndMarkers) {
    Probe p;
    p.flag = true;
    p.type = TMapOutputType::moutEditor;
    p.colour = 0x00FF0000;
    p.text = "ab";
    std::string expected = Header("TProbe")
                               .Bool("Flag", true)
                               .Ident("Type", "moutEditor")
                               .Ident("Colour", "clBlue")
                               .Str("Text", "ab")
                               .End();
    EXPECT_EQ(Hex(p.Write()), Hex(expected));
}

TEST(ComponentStreamWrite, LeavesEmptyStringsOut) {
    Probe p;
    std::string out = p.Write();
    EXPECT_EQ(out.find("Text"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 2), std::string(2, '\0'));
}

TEST(ComponentStreamWrite, AsciiStringTagFollowsLength) {
    Probe p;
    p.text = std::string(255, 'a');
    EXPECT_EQ(Hex(TextValue(p.Write()).substr(0, 2)), "06 FF");
    EXPECT_EQ(TextValue(p.Write()).size(), 2u + 255u);

    p.text = std::string(256, 'a');
    EXPECT_EQ(Hex(TextValue(p.Write()).substr(0, 5)), "0C 00 01 00 00");
    EXPECT_EQ(TextValue(p.Write()).size(), 5u + 256u);
}

TEST(ComponentStreamWrite, NonAsciiStringTagFollowsTheByteRule) {
    struct Case {
        std::string text;
        std::string bytes;
    } cases[] = {
        // One Latin letter: two UTF-8 bytes for one code unit.
        {"\xC3\xA9", "12 01 00 00 00 E9 00"},
        // With one ASCII letter: three bytes for two units.
        {"a\xC3\xA9", "14 03 00 00 00 61 C3 A9"},
        {"\xC3\xA9"
         "a",
         "14 03 00 00 00 C3 A9 61"},
        // CJK: three bytes for one unit.
        {"\xE6\x97\xA5", "12 01 00 00 00 E5 65"},
        // Beyond the BMP: four bytes for a surrogate pair.
        {"\xF0\x9F\x98\x80", "12 02 00 00 00 3D D8 00 DE"},
        // Not UTF-8 (a Latin-1 file name): the bytes as they are.
        {"caf\xE9", "14 04 00 00 00 63 61 66 E9"},
        // An encoded surrogate is not UTF-8 either.
        {"\xED\xA0\x80", "14 03 00 00 00 ED A0 80"},
    };
    for (const Case& c : cases) {
        Probe p;
        p.text = c.text;
        EXPECT_EQ(Hex(TextValue(p.Write())), c.bytes) << Hex(c.text);
    }
}

TEST(ComponentStreamWrite, ColourUsesIdentifierOrSmallestInteger) {
    struct Case {
        TColor colour;
        std::string bytes;
    } cases[] = {
        {-1, "02 FF"},
        {127, "02 7F"},
        {-128, "02 80"},
        {200, "03 C8 00"},
        {-129, "03 7F FF"},
        {-32768, "03 00 80"},
        {32767, "03 FF 7F"},
        {40000, "04 40 9C 00 00"},
        {0x00F0F4F4, "04 F4 F4 F0 00"},
        {INT32_MAX, "04 FF FF FF 7F"},
        {static_cast<TColor>(0x80000100u), "04 00 01 00 80"},
        {0x00000080, Hex(Bytes().Byte({7}).Short("clMaroon"))},
        {0, Hex(Bytes().Byte({7}).Short("clBlack"))},
        {static_cast<TColor>(0x80000000u), Hex(Bytes().Byte({7}).Short("clScrollBar"))},
    };
    for (const Case& c : cases) {
        Probe p;
        p.colour = c.colour;
        EXPECT_EQ(Hex(Tail(p.Write(), "Colour")), c.bytes + " 00 00") << c.colour;
    }
}

TEST(ComponentStreamWrite, CutsLongShortStringsAt255Bytes) {
    TStreamObject o(std::string(300, 'C'));
    std::string out;
    WriteObject(out, o);
    EXPECT_EQ(static_cast<unsigned char>(out[4]), 255u);
    EXPECT_EQ(out.size(), 4u + 1u + 255u + 1u + 2u);
}

TEST(ColourIdentifiers, MapBothWaysIgnoringCase) {
    const char* names[] = {"clBlack",
                           "clMaroon",
                           "clGreen",
                           "clOlive",
                           "clNavy",
                           "clPurple",
                           "clTeal",
                           "clGray",
                           "clSilver",
                           "clRed",
                           "clLime",
                           "clYellow",
                           "clBlue",
                           "clFuchsia",
                           "clAqua",
                           "clWhite",
                           "clMoneyGreen",
                           "clSkyBlue",
                           "clCream",
                           "clMedGray",
                           "clActiveBorder",
                           "clActiveCaption",
                           "clAppWorkSpace",
                           "clBackground",
                           "clBtnFace",
                           "clBtnHighlight",
                           "clBtnShadow",
                           "clBtnText",
                           "clCaptionText",
                           "clDefault",
                           "clGradientActiveCaption",
                           "clGradientInactiveCaption",
                           "clGrayText",
                           "clHighlight",
                           "clHighlightText",
                           "clHotLight",
                           "clInactiveBorder",
                           "clInactiveCaption",
                           "clInactiveCaptionText",
                           "clInfoBk",
                           "clInfoText",
                           "clMenu",
                           "clMenuBar",
                           "clMenuHighlight",
                           "clMenuText",
                           "clNone",
                           "clScrollBar",
                           "cl3DDkShadow",
                           "cl3DLight",
                           "clWindow",
                           "clWindowFrame",
                           "clWindowText"};
    std::set<TColor> values;
    for (const char* name : names) {
        std::optional<TColor> value = IdentToColor(name);
        ASSERT_TRUE(value) << name;
        EXPECT_EQ(ColorToIdent(*value).value_or(""), name);
        values.insert(*value);
    }
    EXPECT_EQ(values.size(), 52u);

    EXPECT_EQ(IdentToColor("clSkyBlue"), 0x00F0CAA6);
    EXPECT_EQ(IdentToColor("clMedGray"), 0x00A4A0A0);
    EXPECT_EQ(IdentToColor("clDefault"), 0x20000000);
    EXPECT_EQ(IdentToColor("clNone"), 0x1FFFFFFF);
    EXPECT_EQ(IdentToColor("clMenuBar"), static_cast<TColor>(0x8000001Eu));
    EXPECT_EQ(IdentToColor("CLBLUE"), 0x00FF0000);
    EXPECT_EQ(IdentToColor("clblue"), 0x00FF0000);
    EXPECT_FALSE(IdentToColor("clBlue2"));
    EXPECT_FALSE(ColorToIdent(-1));
    EXPECT_FALSE(ColorToIdent(0x00F0F4F4));
}

TEST(ComponentStreamRead, IdentifiersIgnoreLetterCase) {
    for (const char* ident : {"clBlue", "CLBLUE", "clblue"}) {
        Probe p;
        p.Read(Header("TProbe").Ident("Colour", ident).End());
        EXPECT_EQ(p.colour, 0x00FF0000) << ident;
    }
    for (const char* ident : {"moutFile", "MOUTFILE", "MoutfILE"}) {
        Probe p;
        p.Read(Header("TProbe").Ident("Type", ident).End());
        EXPECT_EQ(p.type, TMapOutputType::moutFile) << ident;
    }
    for (const char* ident : {"True", "TRUE", "tRuE"}) {
        Probe p;
        p.Read(Header("TProbe").Ident("Flag", ident).End());
        EXPECT_TRUE(p.flag) << ident;
    }
    Probe p;
    p.flag = true;
    p.Read(Header("TProbe").Ident("Flag", "false").End());
    EXPECT_FALSE(p.flag);
    p.Read(Header("TProbe").Bool("Flag", true).End());
    EXPECT_TRUE(p.flag);
    p.Read(Header("TProbe").Bool("fLAG", false).End());
    EXPECT_FALSE(p.flag);
}

TEST(ComponentStreamRead, IntegersAreSignExtended) {
    struct Case {
        std::string value;
        TColor colour;
    } cases[] = {
        {Bytes().Byte({2, 0xFF}), -1},
        {Bytes().Byte({2, 0x7F}), 127},
        {Bytes().Byte({3, 0x00, 0x80}), -32768},
        {Bytes().Byte({3, 0xC8, 0x00}), 200},
        {Bytes().Byte({4, 0xF4, 0xF4, 0xF0, 0x00}), 0x00F0F4F4},
        {Bytes().Byte({4, 0x00, 0x00, 0x00, 0x80}), INT32_MIN},
    };
    for (const Case& c : cases) {
        Probe p;
        p.Read(Header("TProbe").Short("Colour").Raw(c.value).End());
        EXPECT_EQ(p.colour, c.colour) << Hex(c.value);
    }
}

TEST(ComponentStreamRead, ConvertsEveryStringTagToUtf8) {
    struct Case {
        std::string value;
        std::string text;
    } cases[] = {
        {Bytes().Byte({6}).Short("plain"), "plain"},
        // Bytes 80-FF under the 8-bit tags are Windows-1252.
        {Bytes().Byte({6}).Short("caf\xE9 \x80 \x9F"), "caf\xC3\xA9 \xE2\x82\xAC \xC5\xB8"},
        // Its five unassigned bytes keep their value as control characters.
        {Bytes().Byte({6}).Short("\x81\x8D"), "\xC2\x81\xC2\x8D"},
        {Bytes().Byte({0x0C}).Int32(2).Raw("\xA0\xFF"), "\xC2\xA0\xC3\xBF"},
        {Bytes().Byte({0x12}).Int32(2).Raw("a\0\xE9\0"), "a\xC3\xA9"},
        {Bytes().Byte({0x12}).Int32(2).Raw("\x3D\xD8\x00\xDE"), "\xF0\x9F\x98\x80"},
        // Unpaired surrogates, high then low, become U+FFFD.
        {Bytes().Byte({0x12}).Int32(3).Raw("\x00\xD8"
                                           "A\0"
                                           "\x00\xDC"),
         "\xEF\xBF\xBD"
         "A"
         "\xEF\xBF\xBD"},
        {Bytes().Byte({0x12}).Int32(1).Raw("\x3D\xD8"), "\xEF\xBF\xBD"},
        {Bytes().Byte({0x14}).Int32(3).Raw("a\xC3\xA9"), "a\xC3\xA9"},
        {Bytes().Byte({0x14}).Int32(0), ""},
    };
    for (const Case& c : cases) {
        Probe p;
        p.text = "before";
        p.Read(Header("TProbe").Short("Text").Raw(c.value).End());
        EXPECT_EQ(Hex(p.text), Hex(c.text)) << Hex(c.value);
    }
}

TEST(ComponentStreamRead, WrittenStringsReadBackUnchanged) {
    for (std::string text :
         {std::string("x"), std::string(255, 'y'), std::string(70000, 'z'), std::string("\xC3\xA9"),
          std::string("a\xC3\xA9"), std::string("\xF0\x9F\x98\x80 /\xE6\x97\xA5/"),
          std::string("caf\xE9\xFF\x80"), std::string("nul\0byte", 8)}) {
        Probe out;
        out.text = text;
        Probe in;
        in.Read(out.Write());
        EXPECT_EQ(Hex(in.text), Hex(text));
    }
}

TEST(ComponentStreamRead, AcceptsPrefixBytes) {
    Probe plain;
    std::string body = Bytes().Short("TProbe").Byte({0}).Ident("Colour", "clRed").End();
    plain.Read("TPF0" + body);
    for (std::string prefix : {std::string("\xF0"), std::string("\xF1"),
                               std::string("\xF2\x02\x05"), std::string("\xF2\x03\x01\x02"),
                               std::string("\xFF\x04\x01\x02\x03\x04"), std::string("\xFD")}) {
        Probe p;
        p.Read("TPF0" + prefix + body);
        EXPECT_EQ(p.colour, plain.colour) << Hex(prefix);
    }
}

TEST(ComponentStreamRead, AcceptsBaseObjectProperties) {
    Probe p;
    TStreamObject o = p.Object();
    ReadObject(Header("TProbe")
                   .Value("Left", {2, 1})
                   .Value("TOP", {3, 1, 2})
                   .Value("Tag", {4, 1, 2, 3, 4})
                   .Str("Name", "Job")
                   .Ident("Colour", "clLime")
                   .End()
                   .Data(),
               o);
    EXPECT_EQ(o.Name, "Job");
    EXPECT_EQ(p.colour, 0x0000FF00);
}

TEST(ComponentStreamRead, LastOfRepeatedPropertiesWinsAndAbsentOnesStay) {
    Probe p;
    p.flag = true;
    p.text = "kept";
    p.Read(Header("TProbe")
               .Ident("Type", "moutInsert")
               .Ident("Colour", "clRed")
               .Ident("Type", "moutEditor")
               .End());
    EXPECT_EQ(p.type, TMapOutputType::moutEditor);
    EXPECT_EQ(p.colour, 0x000000FF);
    EXPECT_TRUE(p.flag);
    EXPECT_EQ(p.text, "kept");
}

TEST(ComponentStreamRead, IgnoresBytesAfterTheEnd) {
    Probe p;
    p.Read(Header("TProbe").Ident("Colour", "clRed").End().Raw("trailing junk"));
    EXPECT_EQ(p.colour, 0x000000FF);
}

TEST(ComponentStreamRead, MalformedStreamsRaiseTheirMessages) {
    for (const twtest::BrokenSample& sample : twtest::BrokenProfileSamples()) {
        TMapProfile profile;
        TStreamObject object = ProfileStreamObject(profile);
        try {
            ReadObject(sample.Stream, object);
            ADD_FAILURE() << sample.Name << ": no error";
        } catch (const EReadError& e) {
            EXPECT_EQ(std::string(e.what()), sample.Message) << sample.Name;
        }
    }
}

TEST(ComponentStreamRead, ValidSamplesReadWithoutError) {
    for (const twtest::ValidSample& sample : twtest::ValidSamples()) {
        TMapProfile profile;
        TSiteMapSettings settings("/opt/tw/");
        TStreamObject object = sample.Name == "settings" ? SettingsStreamObject(settings)
                                                         : ProfileStreamObject(profile);
        EXPECT_NO_THROW(ReadObject(sample.Stream, object)) << sample.Name;
    }
}

TEST(ComponentStreamRead, KeepsWhatWasReadBeforeAnError) {
    Probe p;
    p.text = "old";
    try {
        p.Read(Header("TProbe")
                   .Bool("Flag", true)
                   .Ident("Colour", "clAqua")
                   .Ident("Type", "moutSomewhere")
                   .Str("Text", "new")
                   .End());
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Error reading TProbe.Type: Invalid property value");
    }
    EXPECT_TRUE(p.flag);
    EXPECT_EQ(p.colour, 0x00FFFF00);
    EXPECT_EQ(p.type, TMapOutputType::moutClipboard);
    EXPECT_EQ(p.text, "old");
}
