#include "scan/ScanRun.h"

#include "core/TestUtil.h"
#include "support/NXStrings.h"

#include <gtest/gtest.h>

using namespace tw;
using twtest::TempDir;

namespace {

// Keeps the log the wizard would show.
struct LogListener : ScanListener {
    std::vector<std::string> log;
    std::vector<std::string> reported;
    int idles = 0;
    int lastCount = 0;
    std::function<void()> onIdle;
    void FolderEntered(const std::string& folder, bool ignored) override {
        log.push_back((ignored ? "Ignoring Folder: " : "Scanning Folder: ") + folder);
    }
    void FileReported(const std::string& path) override { reported.push_back(path); }
    void FileListed(const std::string& path) override { log.push_back("  " + path); }
    void FileAdded(int count) override { lastCount = count; }
    void Idle() override {
        ++idles;
        if (onIdle)
            onIdle();
    }
};

std::string NoTrailing(const std::string& folder) {
    return folder.substr(0, folder.size() - 1);
}

std::vector<std::string> Shape(const TSiteMapTree& tree) {
    std::vector<std::string> out;
    tree.ForEach([&out](SiteMapNode& n, int) {
        out.push_back(std::string(static_cast<size_t>(n.Level()) * 2, ' ') + n.Data.LinkText +
                      " [" + n.Data.LinkURL + "]");
    });
    return out;
}

class ScanRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        site.Write("index.html", "<title>Home Page</title>");
        site.Write("about.htm", "<title>About</title>");
        site.Write("logo.gif");
        site.Write("notes.TXT", "plain");
        site.Write("docs/manual.html", "<title>Manual</title>");
        site.Write("docs/skip.html", "<title>Skipped</title>");
        site.Write("images/only.png");
        site.Write("empty/deeper/nothing.bin");
        profile = MakeStartupProfile();
        profile.SetIndexPage(site / "index.html");
        profile.SetOutputFileName(site / "sitemap.html");
    }

    TempDir site;
    TMapProfile profile;
    TSiteMapTree tree;
};

} // namespace

TEST_F(ScanRunTest, BuildsThePrunedTreeAndTheLog) {
    site.Write("sitemap.html", "<title>old map</title>");
    LogListener listener;
    profile.SetIgnoreFiles(JoinLineList({site / "docs/skip.html"}));
    ScanRun scan(tree, profile, &listener);
    scan.Run();
    EXPECT_EQ(Shape(tree), (std::vector<std::string>{
                               "Home [index.html]",
                               "  About [about.htm]",
                               "  Home Page [index.html]",
                               "  notes.TXT [notes.TXT]",
                               "  docs []",
                               "    Manual [docs/manual.html]",
                           }));
    EXPECT_EQ(scan.FoundCount(), 4);
    EXPECT_EQ(listener.lastCount, 4);
    EXPECT_EQ(listener.log, (std::vector<std::string>{
                                "Scanning Folder: " + site.Path(),
                                "  " + site / "about.htm",
                                "  " + site / "index.html",
                                "  " + site / "notes.TXT",
                                "  " + site / "sitemap.html",
                                "Scanning Folder: " + site / "docs/",
                                "  " + site / "docs/manual.html",
                                "  " + site / "docs/skip.html",
                                "Scanning Folder: " + site / "empty/",
                                "Scanning Folder: " + site / "empty/deeper/",
                                "Scanning Folder: " + site / "images/",
                            }));
    // Every file is reported, listed type or not; one idle per folder and file.
    EXPECT_EQ(listener.reported.size(), 9u);
    EXPECT_EQ(listener.idles, 14);
}

TEST_F(ScanRunTest, IgnoreListsMatchWholeEntriesIgnoringCase) {
    std::string upperDocs = AsciiUpperCase(site / "docs/");
    // Folder entries must end in the separator to match.
    profile.SetIgnoreFolders(JoinLineList({NoTrailing(site / "images/"), upperDocs}));
    profile.SetIgnoreFiles(JoinLineList({AsciiLowerCase(site / "ABOUT.HTM")}));
    ScanRun scan(tree, profile, nullptr);
    scan.Run();
    std::vector<std::string> texts;
    tree.ForEach([&texts](SiteMapNode& n, int) { texts.push_back(n.Data.LinkText); });
    EXPECT_EQ(texts, (std::vector<std::string>{"Home", "Home Page", "notes.TXT"}));
    EXPECT_EQ(scan.FoundCount(), 2);
}

TEST_F(ScanRunTest, ImagesWithoutTrailingSlashEntryAreStillScanned) {
    profile.SetFileTypes("*.png;");
    profile.SetIgnoreFolders(JoinLineList({NoTrailing(site / "images/")}));
    ScanRun scan(tree, profile, nullptr);
    scan.Run();
    ASSERT_EQ(tree.Count(), 3);
    EXPECT_EQ(tree.First()->Child(0)->Data.LinkText, "images");
    EXPECT_EQ(tree.First()->Child(0)->Child(0)->ImageIndex(), kImagePicture);
}

TEST_F(ScanRunTest, IgnoringTheScannedFolderGivesAnEmptyTree) {
    LogListener listener;
    profile.SetIgnoreFolders(JoinLineList({site.Path()}));
    ScanRun scan(tree, profile, &listener);
    scan.Run();
    EXPECT_TRUE(tree.Empty());
    EXPECT_EQ(listener.log, (std::vector<std::string>{"Ignoring Folder: " + site.Path()}));
    EXPECT_EQ(scan.FoundCount(), 0);
}

TEST_F(ScanRunTest, FileTypeListRules) {
    // A stored list is matched in its canonical form: a last type without
    // its ";" and other separators still name their types.
    for (const char* types : {"*.HTML;*.htm", "*.HTML, *.htm", "html htm", "*.html;"}) {
        profile.SetFileTypes(types);
        ScanRun scan(tree, profile, nullptr);
        scan.Run();
        std::vector<std::string> texts;
        tree.ForEach([&texts](SiteMapNode& n, int) { texts.push_back(n.Data.LinkText); });
        if (std::string_view(types) == "*.html;")
            EXPECT_EQ(texts,
                      (std::vector<std::string>{"Home", "Home Page", "docs", "Manual", "Skipped"}));
        else
            EXPECT_EQ(texts, (std::vector<std::string>{"Home", "About", "Home Page", "docs",
                                                       "Manual", "Skipped"}))
                << types;
    }
}

TEST_F(ScanRunTest, OutputFileIsSkippedOnlyForTheFileTarget) {
    site.Write("SiteMap.HTML", "<title>map</title>");
    profile.SetOutputFileName(site / "sitemap.html"); // differs in letter case only
    {
        ScanRun scan(tree, profile, nullptr);
        scan.Run();
        EXPECT_EQ(scan.FoundCount(), 5);
    }
    profile.SetOutputType(TMapOutputType::moutEditor);
    ScanRun scan(tree, profile, nullptr);
    scan.Run();
    EXPECT_EQ(scan.FoundCount(), 6);
}

TEST_F(ScanRunTest, TitlesOffUsesFileNames) {
    profile.SetUsePageTitles(false);
    ScanRun scan(tree, profile, nullptr);
    scan.Run();
    EXPECT_EQ(tree.First()->Child(1)->Data.LinkText, "index.html");
}

TEST_F(ScanRunTest, StopKeepsWhatWasFoundAndStillPrunes) {
    LogListener listener;
    ScanRun* running = nullptr;
    listener.onIdle = [&]() {
        if (listener.lastCount == 2)
            running->Stop();
    };
    ScanRun scan(tree, profile, &listener);
    running = &scan;
    scan.Run();
    EXPECT_TRUE(scan.Finder().Stopped());
    EXPECT_EQ(scan.FoundCount(), 2);
    EXPECT_EQ(Shape(tree), (std::vector<std::string>{"Home [index.html]", "  About [about.htm]",
                                                     "  Home Page [index.html]"}));
}

TEST_F(ScanRunTest, ASecondScanStartsFromAnEmptyTree) {
    ScanRun first(tree, profile, nullptr);
    first.Run();
    int count = tree.Count();
    ScanRun second(tree, profile, nullptr);
    second.Run();
    EXPECT_EQ(tree.Count(), count);
    EXPECT_EQ(second.FoundCount(), first.FoundCount());
}

TEST_F(ScanRunTest, MissingIndexFolderIsReportedBeforeTheWalk) {
    profile.SetIndexPage(site / "gone/index.html");
    ScanRun scan(tree, profile, nullptr);
    try {
        scan.Run();
        FAIL() << "no error";
    } catch (const EFindFileError& e) {
        EXPECT_EQ(std::string(e.what()), site / "gone/" + "\n\rdirectory does not exists");
    }
    EXPECT_FALSE(scan.Searching());
}

// A site from old Windows and Japanese machines: titles are read in each
// page's encoding and names that are no UTF-8 as Windows-1252, whichever
// read takes them; links keep the names' bytes.
TEST_F(ScanRunTest, LinkTextsAreUtf8FromEachPagesEncoding) {
    site.Write("jp.html", "<meta charset=shift_jis><title>\x93\xFA\x96\x7B</title>");
    site.Write("u16.html", twtest::Utf16Page(u"<title>\u00C9t\u00E9</title>", false));
    site.Write("caf\xE9/men\xFA.txt", "plain");
    site.Write("old/Fran\xE7"
               "ais.html",
               "<html><head><title>Fran\xE7"
               "ais</title>");
    const std::vector<std::string> shape{
        "Home [index.html]",
        "  About [about.htm]",
        "  Home Page [index.html]",
        "  日本 [jp.html]",
        "  notes.TXT [notes.TXT]",
        "  Été [u16.html]",
        "  café []",
        "    menú.txt [caf\xE9/men\xFA.txt]",
        "  docs []",
        "    Manual [docs/manual.html]",
        "    Skipped [docs/skip.html]",
        "  old []",
        "    Français [old/Fran\xE7"
        "ais.html]",
    };
    for (bool facts : {false, true}) {
        TSiteMapTree scanned;
        ScanRun scan(scanned, profile);
        scan.SetPageFactsWanted(facts, false);
        scan.Run();
        EXPECT_EQ(Shape(scanned), shape) << facts;
    }
}

// Facts come from the read that takes the titles, titles on or off, and
// never change a link text; without pictures only the head is read, and a
// title past it is still found.
TEST_F(ScanRunTest, PagesAreReadForTheirFactsWithoutChangingTheirTexts) {
    site.Write("facts.html", "<head><meta name=robots content=noindex><title>Facts</title>"
                             "<link rel=canonical href=\"/about.htm\"></head>"
                             "<body><img src=a.png srcset=\"b.png 2x\">" +
                                 std::string(70000, ' ') + "<img src=late.png>");
    site.Write("docs/late.html", std::string(70000, ' ') + "<title>Late</title>");
    for (auto [titles, pictures] : {std::pair{true, true}, {false, true}, {true, false}}) {
        profile.SetUsePageTitles(titles);
        TSiteMapTree plain, withFacts;
        ScanRun(plain, profile).Run();
        ScanRun scan(withFacts, profile);
        scan.SetPageFactsWanted(true, pictures);
        scan.Run();
        EXPECT_EQ(Shape(withFacts), Shape(plain)) << titles;
        std::vector<std::string> facts;
        withFacts.ForEach([&facts](SiteMapNode& n, int) {
            if (!n.Data.Facts)
                return;
            std::string line = n.Data.LinkURL + (n.Data.Facts->NoIndex ? " noindex" : "");
            if (n.Data.Facts->Canonical)
                line += " canonical " + *n.Data.Facts->Canonical;
            for (const std::string& image : n.Data.Facts->Images)
                line += " " + image;
            facts.push_back(line);
        });
        EXPECT_EQ(facts,
                  (std::vector<std::string>{
                      "about.htm",
                      pictures ? "facts.html noindex canonical /about.htm a.png b.png late.png"
                               : "facts.html noindex canonical /about.htm",
                      "index.html", "docs/late.html", "docs/manual.html", "docs/skip.html"}))
            << titles << pictures;
    }
}
