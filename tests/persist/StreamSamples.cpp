#include "persist/StreamSamples.h"

namespace twtest {

Bytes Header(std::string_view className) {
    Bytes b;
    b.Raw("TPF0").Short(className).Byte({0});
    return b;
}

std::string StartupProfileBytes(const std::string& fileName) {
    Bytes b = Header();
    b.Bool("AddImages", true);
    b.Bool("NoFolderImages", false);
    b.Bool("NoFolderLinks", false);
    b.Bool("ClassAttribs", true);
    b.Ident("clrBackground", "clWhite");
    b.Ident("clrText", "clBlack");
    b.Ident("clrLink", "clBlue");
    b.Ident("clrVisited", "clPurple");
    b.Ident("clrActive", "clRed");
    b.Bool("ConfirmDelete", true);
    b.Str("FileName", fileName);
    b.Str("FileTypes", "*.htm;*.html;*.txt;*.php;*.php4;*.php5;");
    b.Bool("Modified", false);
    b.Ident("OutputType", "moutFile");
    b.Ident("OutputFormat", "mfmtParagraph");
    b.Bool("Untitled", false);
    b.Bool("UsePageTitles", true);
    b.End();
    return b.Data();
}

namespace {

std::string InProp(const std::string& prop, const std::string& inner) {
    return "Error reading TMapProfile." + prop + ": " + inner;
}

} // namespace

std::vector<BrokenSample> BrokenProfileSamples() {
    const std::string readError = "Stream read error";
    const std::string invalid = "Invalid property value";
    auto head = [] { return Header(); };
    std::vector<BrokenSample> s;

    // Outside any property value.
    s.push_back({"empty", "", readError});
    s.push_back({"short signature", "TPF", readError});
    s.push_back({"other signature", "PK\x03\x04 and more", "Invalid stream format"});
    s.push_back({"signature only", "TPF0", readError});
    s.push_back({"class name cut", Bytes().Raw("TPF0").Byte({11}).Raw("TMap"), readError});
    s.push_back({"object name missing", Bytes().Raw("TPF0").Short("TMapProfile"), readError});
    s.push_back({"property name cut", head().Byte({9}).Raw("AddIm"), readError});
    s.push_back({"end of properties missing", head().Bool("AddImages", true), readError});
    s.push_back({"end of children missing", head().Byte({0}), readError});
    s.push_back({"child object", head().Byte({0}).Short("TMapProfile").Byte({0, 0, 0}),
                 "Invalid stream format: child objects are not supported"});
    s.push_back({"prefix without its integer", Bytes().Raw("TPF0").Byte({0xF2}), readError});
    s.push_back({"prefix with a string", Bytes().Raw("TPF0").Byte({0xF2, 0x06, 0x00}),
                 "Invalid stream format"});

    // Property names.
    s.push_back({"unknown property", head().Bool("Colour", true).End(),
                 InProp("Colour", "Property Colour does not exist")});
    s.push_back({"property path", head().Str("Font.Name", "Arial").End(),
                 InProp("Font.Name", "Property Font does not exist")});
    s.push_back({"settings file", Header("TSiteMapSettings").Bool("LoadLast", true).End(),
                 InProp("LoadLast", "Property LoadLast does not exist")});
    s.push_back({"settings file with a last profile",
                 Header("TSiteMapSettings").Str("LastFile", "/p/a.zpf").End(),
                 InProp("LastFile", "Property LastFile does not exist")});
    s.push_back({"named object",
                 Bytes().Raw("TPF0").Short("TMapProfile").Short("Job1").Bool("X", true).End(),
                 "Error reading Job1.X: Property X does not exist"});
    s.push_back({"renamed by Name", head().Str("Name", "Job2").Bool("X", true).End(),
                 "Error reading Job2.X: Property X does not exist"});

    // Values of the wrong kind.
    s.push_back({"value missing", head().Short("AddImages"), InProp("AddImages", readError)});
    s.push_back({"boolean as integer", head().Value("AddImages", {2, 1}).End(),
                 InProp("AddImages", invalid)});
    s.push_back({"boolean as other identifier", head().Ident("AddImages", "Yes").End(),
                 InProp("AddImages", invalid)});
    s.push_back(
        {"boolean nil", head().Value("AddImages", {0x0D}).End(), InProp("AddImages", invalid)});
    s.push_back({"boolean Null", head().Value("UsePageTitles", {0x00}).End(),
                 InProp("UsePageTitles", invalid)});
    s.push_back({"enumeration of another type", head().Ident("OutputType", "mfmtList").End(),
                 InProp("OutputType", invalid)});
    s.push_back({"enumeration as True", head().Bool("OutputFormat", true).End(),
                 InProp("OutputFormat", invalid)});
    s.push_back({"enumeration as string", head().Str("OutputType", "moutFile").End(),
                 InProp("OutputType", invalid)});
    s.push_back(
        {"unknown colour", head().Ident("clrLink", "clAzure").End(), InProp("clrLink", invalid)});
    s.push_back(
        {"colour as Boolean", head().Bool("clrLink", false).End(), InProp("clrLink", invalid)});
    s.push_back({"colour cut", head().Value("clrText", {4, 1, 2}), InProp("clrText", readError)});
    s.push_back({"colour identifier cut", head().Value("clrText", {7, 7}).Raw("clB"),
                 InProp("clrText", readError)});
    s.push_back({"string as identifier", head().Ident("IndexPage", "clBlue").End(),
                 InProp("IndexPage", invalid)});
    s.push_back({"count below zero", head().Value("MaxLinks", {2, 0xFF}).End(),
                 InProp("MaxLinks", invalid)});
    s.push_back(
        {"count as identifier", head().Ident("MaxLinks", "x").End(), InProp("MaxLinks", invalid)});
    s.push_back({"Left as string", head().Str("Left", "10").End(), InProp("Left", invalid)});
    s.push_back({"Name as integer", head().Value("Name", {2, 5}).End(), InProp("Name", invalid)});

    // Lengths.
    s.push_back({"short string past the end", head().Value("FileTypes", {6, 10}).Raw("*.h"),
                 InProp("FileTypes", readError)});
    s.push_back({"long string past the end",
                 head().Value("FileTypes", {0x0C}).Int32(0x7FFFFFFF).Raw("*.htm;").End(),
                 InProp("FileTypes", readError)});
    s.push_back({"long string negative",
                 head().Value("FileTypes", {0x0C}).Int32(-1).Raw("*.htm;").End(),
                 InProp("FileTypes", "Invalid string length")});
    s.push_back({"wide string past the end",
                 head().Value("IndexPage", {0x12}).Int32(0x40000000).Raw("a\0b\0").End(),
                 InProp("IndexPage", readError)});
    s.push_back({"wide string odd byte", head().Value("IndexPage", {0x12}).Int32(2).Raw("a\0b"),
                 InProp("IndexPage", readError)});
    s.push_back({"wide string negative", head().Value("IndexPage", {0x12}).Int32(INT32_MIN).End(),
                 InProp("IndexPage", "Invalid string length")});
    s.push_back({"UTF-8 string past the end",
                 head().Value("OutputInsert", {0x14}).Int32(5).Raw("caf\xC3"),
                 InProp("OutputInsert", readError)});
    s.push_back({"length cut", head().Value("OutputInsert", {0x14, 1, 0}),
                 InProp("OutputInsert", readError)});
    return s;
}

std::vector<ValidSample> ValidSamples() {
    std::vector<ValidSample> s;
    s.push_back({"startup profile", StartupProfileBytes("/home/user/Profiles/site.zpf")});
    s.push_back({"every property", Header()
                                       .Bool("AddImages", false)
                                       .Bool("NoFolderImages", true)
                                       .Bool("NoFolderLinks", true)
                                       .Bool("ClassAttribs", false)
                                       .Value("clrBackground", {2, 0xFF})
                                       .Value("clrText", {3, 0xC8, 0})
                                       .Value("clrLink", {4, 0xF4, 0xF4, 0xF0, 0})
                                       .Ident("clrVisited", "clBtnFace")
                                       .Ident("clrActive", "CLMAROON")
                                       .Bool("ConfirmDelete", false)
                                       .Value("FileName", {0x14})
                                       .Int32(12)
                                       .Raw("/p/caf\xC3\xA9.zpf")
                                       .Value("FileTypes", {0x0C})
                                       .Int32(5)
                                       .Raw("*.h;\xE9")
                                       .Value("IgnoreFolders", {0x12})
                                       .Int32(3)
                                       .Raw("/\0\xE5\x65/\0")
                                       .Str("IgnoreFiles", "/s/a.html\r\n/s/b.html\r\n")
                                       .Str("IndexPage", "/s/index.html")
                                       .Bool("Modified", true)
                                       .Ident("OutputType", "moutInsert")
                                       .Ident("OutputFormat", "MFMTLIST")
                                       .Str("OutputFileName", "/s/map.html")
                                       .Str("OutputInsert", "/s/old.html")
                                       .Bool("Untitled", true)
                                       .Ident("UsePageTitles", "false")
                                       .End()});
    s.push_back(
        {"prefix byte", Bytes().Raw("TPF0").Byte({0xF0}).Short("TMapProfile").Byte({0}).End()});
    s.push_back({"prefix with position", Bytes()
                                             .Raw("TPF0")
                                             .Byte({0xF2, 2, 5})
                                             .Short("TMapProfile")
                                             .Byte({0})
                                             .Value("Left", {3, 0x10, 0x01})
                                             .Value("Top", {4, 1, 2, 3, 4})
                                             .Value("Tag", {2, 7})
                                             .Str("Name", "Job")
                                             .End()});
    s.push_back({"repeated and out of order", Header()
                                                  .Bool("UsePageTitles", false)
                                                  .Ident("OutputType", "moutEditor")
                                                  .Ident("OutputType", "moutClipboard")
                                                  .Bool("addimages", false)
                                                  .End()});
    s.push_back({"settings", Header("TSiteMapSettings")
                                 .Str("LastFile", "/p/site.zpf")
                                 .Bool("LoadLast", true)
                                 .Str("SettingFile", "/opt/tw/SiteMap.dat")
                                 .End()});
    return s;
}

} // namespace twtest
