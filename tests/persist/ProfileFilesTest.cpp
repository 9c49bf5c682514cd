#include "persist/ProfileFiles.h"

#include "core/TestUtil.h"
#include "persist/FailingFile.h"
#include "persist/SiteMapSettings.h"
#include "persist/StreamSamples.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tw;
using twtest::Bytes;
using twtest::Header;
using twtest::ReadAll;
using twtest::TempDir;

namespace {

// Every property away from its default, with texts of every string tag.
TMapProfile UnusualProfile(const std::string& fileName) {
    TMapProfile p;
    p.SetFileName(fileName);
    p.SetFileTypes("*.htm;*.shtml;");
    p.SetIndexPage("/srv/caf\xC3\xA9/index.html");
    p.SetIgnoreFolders("/srv/caf\xC3\xA9/old/\r\n/srv/caf\xC3\xA9/\xE6\x97\xA5/\r\n");
    p.SetIgnoreFiles(std::string(300, 'f') + "\r\n");
    p.SetUsePageTitles(false);
    p.SetOutputType(TMapOutputType::moutEditor);
    p.SetOutputFormat(TMapOutputFormat::mfmtList);
    p.SetOutputFileName("/srv/\xE9t\xE9/map.html"); // not UTF-8
    p.SetOutputInsert("/srv/insert.html");
    p.SetConfirmDelete(false);
    p.SetclrBackground(kColorNone);
    p.SetclrText(200);
    p.SetclrLink(0x00F0F4F4);
    p.SetclrVisited(static_cast<TColor>(0x8000000Fu));
    p.SetclrActive(0x1FFFFFFF);
    p.SetClassAttribs(false);
    p.SetAddImages(false);
    p.SetNoFolderImages(true);
    p.SetNoFolderLinks(true);
    return p;
}

void ExpectSameProperties(const TMapProfile& a, const TMapProfile& b) {
    EXPECT_EQ(a.FileName(), b.FileName());
    EXPECT_EQ(a.FileTypes(), b.FileTypes());
    EXPECT_EQ(a.IndexPage(), b.IndexPage());
    EXPECT_EQ(a.IgnoreFolders(), b.IgnoreFolders());
    EXPECT_EQ(a.IgnoreFiles(), b.IgnoreFiles());
    EXPECT_EQ(a.UsePageTitles(), b.UsePageTitles());
    EXPECT_EQ(a.OutputType(), b.OutputType());
    EXPECT_EQ(a.OutputFormat(), b.OutputFormat());
    EXPECT_EQ(a.OutputFileName(), b.OutputFileName());
    EXPECT_EQ(a.OutputInsert(), b.OutputInsert());
    EXPECT_EQ(a.ConfirmDelete(), b.ConfirmDelete());
    EXPECT_EQ(a.clrBackground(), b.clrBackground());
    EXPECT_EQ(a.clrText(), b.clrText());
    EXPECT_EQ(a.clrLink(), b.clrLink());
    EXPECT_EQ(a.clrVisited(), b.clrVisited());
    EXPECT_EQ(a.clrActive(), b.clrActive());
    EXPECT_EQ(a.ClassAttribs(), b.ClassAttribs());
    EXPECT_EQ(a.AddImages(), b.AddImages());
    EXPECT_EQ(a.NoFolderImages(), b.NoFolderImages());
    EXPECT_EQ(a.NoFolderLinks(), b.NoFolderLinks());
    EXPECT_EQ(a.Untitled(), b.Untitled());
}

std::string StreamOf(TMapProfile& p) {
    std::string out;
    WriteObject(out, ProfileStreamObject(p));
    return out;
}

void Read(TMapProfile& p, const std::string& stream) {
    TStreamObject o = ProfileStreamObject(p);
    ReadObject(stream, o);
}

size_t FilesIn(const std::string& folder) {
    size_t n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

} // namespace

TEST(ProfileFiles, StartupProfileIsWrittenByteForByte) {
    TempDir dir;
    TMapProfile p = MakeStartupProfile();
    p.SetFileName(dir / "site.zpf");
    TSiteMapSettings settings(dir.Path());
    EXPECT_TRUE(WriteProfile(p, &settings));
    EXPECT_EQ(ReadAll(dir / "site.zpf"), twtest::StartupProfileBytes(dir / "site.zpf"));
    EXPECT_EQ(settings.LastFile(), dir / "site.zpf");
    EXPECT_FALSE(p.Modified());
}

TEST(ProfileFiles, WritesModifiedAsItStandsThenClearsIt) {
    TempDir dir;
    TMapProfile p = MakeStartupProfile();
    p.SetFileName(dir / "site.zpf");
    p.SetUsePageTitles(true);
    ASSERT_TRUE(p.Modified());
    WriteProfile(p);
    EXPECT_NE(ReadAll(dir / "site.zpf").find(Bytes().Bool("Modified", true).Data()),
              std::string::npos);
    EXPECT_FALSE(p.Modified());
}

TEST(ProfileFiles, EveryPropertyReadsBackAsWritten) {
    TempDir dir;
    TMapProfile written = UnusualProfile(dir / "unusual.zpf");
    bool modifiedInFile = written.Modified();
    WriteProfile(written);
    TMapProfile read;
    LoadProfile(read, dir / "unusual.zpf");
    ExpectSameProperties(read, written);
    // Properties after Modified in the file go through setters.
    EXPECT_TRUE(read.Modified());
    read.SetModified(modifiedInFile);
    EXPECT_EQ(StreamOf(read), ReadAll(dir / "unusual.zpf"));
}

// The sitemap and link-text settings go after the published properties, only away from
// their defaults, so a profile that leaves them alone keeps its bytes.
TEST(ProfileFiles, SitemapSettingsAreWrittenOnlyAwayFromTheirDefaults) {
    using Set = void (*)(TMapProfile&, bool);
    const std::vector<std::pair<std::string, Set>> settings = {
        {"XmlSitemap", [](TMapProfile& p, bool on) { p.SetXmlSitemap(on); }},
        {"XmlBaseURL",
         [](TMapProfile& p, bool on) { p.SetXmlBaseURL(on ? "https://e.org/" : ""); }},
        {"XmlOutputFileName",
         [](TMapProfile& p, bool on) { p.SetXmlOutputFileName(on ? "/srv/s\xC3\xA9.xml" : ""); }},
        {"TextSitemapFileName",
         [](TMapProfile& p, bool on) { p.SetTextSitemapFileName(on ? "/srv/urls.txt" : ""); }},
        {"XmlIncludePictures", [](TMapProfile& p, bool on) { p.SetXmlIncludePictures(on); }},
        {"XmlImages", [](TMapProfile& p, bool on) { p.SetXmlImages(on); }},
        {"XmlAllPages", [](TMapProfile& p, bool on) { p.SetXmlAllPages(on); }},
        {"XmlCleanURLs", [](TMapProfile& p, bool on) { p.SetXmlCleanURLs(on); }},
        {"XmlGzip", [](TMapProfile& p, bool on) { p.SetXmlGzip(on); }},
        {"RobotsTxt", [](TMapProfile& p, bool on) { p.SetRobotsTxt(on); }},
        {"XmlLastMod",
         [](TMapProfile& p, bool on) {
             p.SetXmlLastMod(on ? TMapLastMod::mlmGit : TMapLastMod::mlmFileTime);
         }},
        // The modern layout.
        {"PageLayout", [](TMapProfile& p, bool on) { p.SetPageLayout(TMapPageLayout(on)); }},
        {"PageLang", [](TMapProfile& p, bool on) { p.SetPageLang(on ? "de-CH" : ""); }},
        {"PageTitle", [](TMapProfile& p, bool on) { p.SetPageTitle(on ? "Pl\xC3\xA4ne" : ""); }},
        {"Collapsible", [](TMapProfile& p, bool on) { p.SetCollapsible(on); }},
        {"FilterBox", [](TMapProfile& p, bool on) { p.SetFilterBox(on); }},
        {"NoCredit", [](TMapProfile& p, bool on) { p.SetNoCredit(on); }},
        // Link texts.
        {"TrimTitles",
         [](TMapProfile& p, bool on) {
             p.SetTrimTitles(on ? TMapTrimTitles::mttAuto : TMapTrimTitles::mttNone);
         }},
        {"TrimTitlesText", [](TMapProfile& p, bool on) { p.SetTrimTitlesText(on ? "S &" : ""); }},
        {"FolderTitles", [](TMapProfile& p, bool on) { p.SetFolderTitles(on); }},
        {"ItemSort",
         [](TMapProfile& p, bool on) {
             p.SetItemSort(on ? TMapItemSort::msortName : TMapItemSort::msortNone);
         }},
        {"CheckExternalLinks", [](TMapProfile& p, bool on) { p.SetCheckExternalLinks(on); }}};
    TMapProfile plain = MakeStartupProfile();
    for (const auto& [name, set] : settings)
        set(plain, false);
    const std::string head = StreamOf(plain).substr(0, StreamOf(plain).size() - 2);
    EXPECT_TRUE(head.ends_with(Bytes().Bool("UsePageTitles", true).Data()));
    for (const auto& [name, set] : settings) {
        TMapProfile one = MakeStartupProfile();
        set(one, true);
        const std::string stream = StreamOf(one);
        EXPECT_EQ(stream.substr(0, head.size() + 1 + name.size()),
                  head + static_cast<char>(name.size()) + name);
        TMapProfile read = MakeStartupProfile();
        Read(read, stream);
        EXPECT_EQ(StreamOf(read), stream) << name;
    }
}

TEST(ProfileFiles, PlainFieldsAreReadWithoutSetters) {
    TMapProfile p;
    Read(p, Header().Str("FileName", "/p/a.zpf").End());
    EXPECT_FALSE(p.Untitled());
    EXPECT_FALSE(p.Modified()) << "the FileName setter does not mark the profile";

    Read(p, Header().Bool("Untitled", true).End());
    EXPECT_TRUE(p.Untitled());
    EXPECT_FALSE(p.Modified());

    Read(p, Header().Bool("AddImages", true).End());
    EXPECT_TRUE(p.Modified()) << "an unchanged value still goes through its setter";

    Read(p, Header().Bool("Modified", false).End());
    EXPECT_FALSE(p.Modified());
}

TEST(ProfileFiles, StringsMissingFromTheFileKeepTheirValues) {
    TempDir dir;
    TMapProfile saved;
    saved.SetFileName(dir / "bare.zpf");
    WriteProfile(saved);

    TMapProfile current = UnusualProfile("/before.zpf");
    LoadProfile(current, dir / "bare.zpf");
    EXPECT_EQ(current.FileName(), dir / "bare.zpf");
    EXPECT_EQ(current.IgnoreFolders(), UnusualProfile("").IgnoreFolders());
    EXPECT_EQ(current.IndexPage(), "/srv/caf\xC3\xA9/index.html");
    EXPECT_EQ(current.OutputInsert(), "/srv/insert.html");
    EXPECT_EQ(current.FileTypes(), "*.htm;*.shtml;");
    EXPECT_TRUE(current.AddImages()) << "the file's Booleans are always there";
}

TEST(ProfileFiles, ReadingAFileRecordsItAsLastFileFirst) {
    TempDir dir;
    TSiteMapSettings settings(dir.Path());
    TMapProfile p;
    try {
        LoadProfile(p, dir / "missing.zpf", &settings);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file " + dir / "missing.zpf" + ": No such file or directory");
    }
    EXPECT_EQ(settings.LastFile(), dir / "missing.zpf");

    dir.MakeDir("folder.zpf");
    EXPECT_THROW(LoadProfile(p, dir / "folder.zpf", &settings), EFOpenError);

    std::string broken = dir.Write(
        "broken.zpf",
        Header().Ident("clrText", "clRed").Bool("LoadLast", true).Ident("clrLink", "clRed").End());
    try {
        LoadProfile(p, broken, &settings);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Error reading TMapProfile.LoadLast: Property LoadLast does not "
                               "exist");
    }
    EXPECT_EQ(settings.LastFile(), broken);
    EXPECT_EQ(p.clrText(), 0x000000FF);
    EXPECT_EQ(p.clrLink(), 0x00FF0000);
}

TEST(ProfileFiles, FailedWriteKeepsTheOldFileAndTheModifiedFlag) {
    TempDir dir;
    std::string path = dir.Write("site.zpf", "old content");
    TMapProfile p = UnusualProfile(path);
    TSiteMapSettings settings(dir.Path());
    for (size_t allowed : {size_t{0}, size_t{1}, size_t{100}}) {
        try {
            WriteProfile(p, &settings, twtest::FailingFile::After(allowed));
            FAIL() << "no error";
        } catch (const EWriteError& e) {
            EXPECT_STREQ(e.what(), "Stream write error: No space left on device");
        }
        EXPECT_EQ(ReadAll(path), "old content");
        EXPECT_EQ(FilesIn(dir.Path()), 1u) << "the temporary file is removed";
        EXPECT_TRUE(p.Modified());
        EXPECT_EQ(settings.LastFile(), path);
    }
    std::string expected = StreamOf(p);
    WriteProfile(p, &settings, twtest::FailingFile::After(100000));
    EXPECT_EQ(ReadAll(path), expected);
    EXPECT_FALSE(p.Modified());
}

TEST(ProfileFiles, UncreatableFileRaisesCannotCreate) {
    TempDir dir;
    TMapProfile p;
    p.SetFileName(dir / "no/such/folder/site.zpf");
    p.SetAddImages(true);
    try {
        WriteProfile(p);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir / "no/such/folder/site.zpf" +
                                             ": No such file or directory");
    }
    EXPECT_TRUE(p.Modified());
}

TEST(ProfileFiles, ReadsTheSignatureFirstAndRefusesHugeFiles) {
    TempDir dir;
    std::string path = dir / "f.zpf";
    // Sparse files; the zeros after "TPF0" read as an empty object.
    const struct {
        std::string head;
        std::uint64_t size;
        std::string error;
    } cases[] = {{"TPF0", kMaxStreamFileSize, ""},
                 {"TPF0", kMaxStreamFileSize + 1,
                  "Invalid stream format: " + path + " is larger than 64 MB"},
                 // Reading all of this would take eight gigabytes.
                 {"PK\x03\x04", std::uint64_t{1} << 33, "Invalid stream format"},
                 {"TP", 2, "Stream read error"}};
    for (const auto& c : cases) {
        dir.Write("f.zpf", c.head);
        ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(c.size)), 0);
        TMapProfile p;
        std::string error;
        try {
            LoadProfile(p, path);
        } catch (const EReadError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error) << c.size;
    }
}
