#include "core/TestUtil.h"
#include "scan/DirectoryListing.h"
#include "scan/NXFileFinder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using twtest::TempDir;

namespace {

// Records the walk as lines "D <folder>" and "F <path>", relative to a base.
struct Recorder {
    explicit Recorder(TNXFileFinder& finder, std::string base) : base_(std::move(base)) {
        finder.OnNewFolder = [this](TNXFileFinder& f, const std::string& folder) {
            events.push_back("D " + Rel(folder));
            return onFolder ? onFolder(f, folder) : FolderAction::Enter;
        };
        finder.OnFound = [this](TNXFileFinder& f, const std::string& folder,
                                const TSearchRec& rec) {
            events.push_back("F " + Rel(folder + rec.Name));
            if (onFile)
                onFile(f, folder + rec.Name);
        };
        finder.OnRevisit = [this](TNXFileFinder&, const std::string& folder,
                                  const std::string& first) {
            events.push_back("R " + Rel(folder) + " = " + Rel(first));
        };
        finder.OnUnreadable = [this](TNXFileFinder&, const std::string& folder, int) {
            events.push_back("U " + Rel(folder));
        };
    }
    std::string Rel(const std::string& p) const {
        return p.compare(0, base_.size(), base_) == 0 ? p.substr(base_.size()) : p;
    }
    std::vector<std::string> events;
    std::function<FolderAction(TNXFileFinder&, const std::string&)> onFolder;
    std::function<void(TNXFileFinder&, const std::string&)> onFile;

private:
    std::string base_;
};

std::string NoSlash(const std::string& folder) {
    return folder.substr(0, folder.size() - 1);
}

} // namespace

TEST(ListingOrder, FoldsLettersThenComparesBytes) {
    std::vector<std::string> names = {"_x", "Zeta", "alpha", "b", "B", "a.html", "a", "\xC3\xA9"};
    std::sort(names.begin(), names.end(), ListingOrderLess);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "a.html", "alpha", "B", "b", "Zeta", "_x",
                                               "\xC3\xA9"}));
}

TEST(FileFinder, WalksDepthFirstFilesBeforeSubfoldersInNameOrder) {
    TempDir site;
    site.Write("b.html");
    site.Write("A.html");
    site.Write("zdir/inner.html");
    site.Write("adir/deep/x.txt");
    site.Write("adir/y.txt");
    site.Write("noext");
    TNXFileFinder finder;
    finder.SetLocation(site.Path());
    Recorder rec(finder, site.Path());
    finder.Execute();
    EXPECT_EQ(rec.events,
              (std::vector<std::string>{"D ", "F A.html", "F b.html", "F noext", "D adir/",
                                        "F adir/y.txt", "D adir/deep/", "F adir/deep/x.txt",
                                        "D zdir/", "F zdir/inner.html"}));
    EXPECT_FALSE(finder.Stopped());
}

TEST(FileFinder, DotNamesAreNeverReportedOrEntered) {
    TempDir site;
    site.Write(".htaccess");
    site.Write(".git/config.html");
    site.Write("page.html");
    TNXFileFinder finder;
    finder.SetLocation(site.Path());
    Recorder rec(finder, site.Path());
    finder.Execute();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"D ", "F page.html"}));
}

TEST(FileFinder, IgnoringAFolderSkipsEverythingBelowIt) {
    TempDir site;
    site.Write("a.html");
    site.Write("skip/b.html");
    site.Write("skip/sub/c.html");
    site.Write("z/d.html");
    TNXFileFinder finder;
    finder.SetLocation(site.Path());
    Recorder rec(finder, site.Path());
    rec.onFolder = [&](TNXFileFinder&, const std::string& folder) {
        return folder == site / "skip/" ? FolderAction::Skip : FolderAction::Enter;
    };
    finder.Execute();
    EXPECT_EQ(rec.events,
              (std::vector<std::string>{"D ", "F a.html", "D skip/", "D z/", "F z/d.html"}));

    // Ignoring the start folder: that one event is all.
    rec.events.clear();
    rec.onFolder = [](TNXFileFinder&, const std::string&) { return FolderAction::Skip; };
    finder.Execute();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"D "}));
}

TEST(FileFinder, StopEndsTheWalkAtTheNextCheckPoint) {
    TempDir site;
    site.Write("a.html");
    site.Write("b.html");
    site.Write("sub/c.html");
    TNXFileFinder finder;
    finder.SetLocation(site.Path());
    Recorder rec(finder, site.Path());
    rec.onFile = [](TNXFileFinder& f, const std::string&) { f.Stop(); };
    finder.Execute();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"D ", "F a.html"}));
    EXPECT_TRUE(finder.Stopped());

    // Stop from the folder event: none of its files are reported.
    rec.events.clear();
    rec.onFile = nullptr;
    rec.onFolder = [](TNXFileFinder&, const std::string&) { return FolderAction::Stop; };
    finder.Execute();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"D "}));
    EXPECT_TRUE(finder.Stopped());

    // The next walk starts afresh.
    rec.events.clear();
    rec.onFolder = nullptr;
    finder.Execute();
    EXPECT_EQ(rec.events.size(), 5u);
    EXPECT_FALSE(finder.Stopped());
}

TEST(FileFinder, LocationSetterStoresWithoutTrailingSeparatorAndChecksTheFolder) {
    TempDir site;
    TNXFileFinder finder;
    finder.SetLocation(site.Path());
    EXPECT_EQ(finder.Location(), NoSlash(site.Path()));
    EXPECT_EQ(finder.StartFolder(), site.Path());
    finder.SetLocation("/");
    EXPECT_EQ(finder.Location(), "/");
    EXPECT_EQ(finder.StartFolder(), "/");
    finder.SetLocation("");
    EXPECT_EQ(finder.Location(), "");

    finder.SetLocation(site.Path());
    try {
        finder.SetLocation(site / "gone/../missing/");
        FAIL() << "no error";
    } catch (const EFindFileError& e) {
        EXPECT_EQ(std::string(e.what()), site / "missing/" + "\n\rdirectory does not exists");
    }
    EXPECT_EQ(finder.Location(), NoSlash(site.Path()));
}

TEST(FileFinder, FilenameSetterRejectsPathsAndPatternsApply) {
    TempDir site;
    site.Write("htm");
    site.Write("htm.x");
    site.Write("page.htm");
    TNXFileFinder finder;
    try {
        finder.SetFilename("sub/x.htm");
        FAIL() << "no error";
    } catch (const EFindFileError& e) {
        EXPECT_STREQ(e.what(), "sub/x.htm\n\rInvalid filename specified");
    }
    EXPECT_EQ(finder.Filename(), "*.*");

    finder.SetLocation(site.Path());
    Recorder rec(finder, site.Path());
    finder.SetFilename("htm"); // searched as "htm.*"
    finder.Execute();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"D ", "F htm", "F htm.x"}));
    rec.events.clear();
    finder.SetFilename("*.HTM");
    finder.Execute();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"D ", "F page.htm"}));
    rec.events.clear();
    finder.SetFilename("");
    finder.Execute();
    EXPECT_EQ(rec.events.size(), 4u);
}

TEST(FileFinder, AttributeTest) {
    TempDir site;
    site.Write("rw.html");
    std::string ro = site.Write("ro.html");
    chmod(ro.c_str(), 0444);
    site.Write("sub/x.html");
    TNXFileFinder finder;
    finder.SetLocation(site.Path());
    Recorder rec(finder, site.Path());

    finder.SetAttributes(AttrSet({ffReadonly}));
    finder.Execute();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"D ", "F ro.html", "D sub/"}));

    rec.events.clear();
    finder.SetAttributes(AttrSet({ffNormal, ffArchive, ffDirectory}));
    finder.SetSubfolders(false);
    finder.Execute();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"D ", "F ro.html", "F rw.html", "F sub"}));
}

TEST(FileFinder, SpecialFilesAndBrokenLinksAreNeverReported) {
    TempDir site;
    site.Write("page.html");
    std::string fifo = site / "fifo.html";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    ASSERT_EQ(symlink((site / "nowhere.html").c_str(), (site / "broken.html").c_str()), 0);
    ASSERT_EQ(symlink((site / "page.html").c_str(), (site / "linked.html").c_str()), 0);
    twtest::SocketFile sock(site / "sock.html");
    TNXFileFinder finder;
    finder.SetLocation(site.Path());
    Recorder rec(finder, site.Path());
    finder.Execute();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"D ", "F linked.html", "F page.html"}));

    // The entry types of the folder give the same listing as a status of
    // every entry.
    site.MakeDir("sub");
    ASSERT_EQ(symlink("sub", (site / "linkedsub").c_str()), 0);
    auto shape = [&site](ListingDetail detail) {
        std::vector<TSearchRec> entries;
        EXPECT_TRUE(ListFolder(site.Path(), entries, detail));
        std::vector<std::string> out;
        for (const TSearchRec& e : entries)
            out.push_back(e.Name + ((e.Attr & faDirectory) ? "/" : ""));
        return out;
    };
    EXPECT_EQ(shape(ListingDetail::Types),
              (std::vector<std::string>{"linked.html", "linkedsub/", "page.html", "sub/"}));
    EXPECT_EQ(shape(ListingDetail::Types), shape(ListingDetail::Full));
}

TEST(FileFinder, LinkLoopsEndAndLinkedFoldersAreFollowed) {
    TempDir site;
    site.Write("a/page.html");
    site.Write("other/o.html");
    ASSERT_EQ(symlink("..", (site / "a/up").c_str()), 0);         // back to the start
    ASSERT_EQ(symlink(".", (site / "a/self").c_str()), 0);        // itself
    ASSERT_EQ(symlink("../other", (site / "a/side").c_str()), 0); // a real other folder
    TNXFileFinder finder;
    finder.SetLocation(site.Path());
    Recorder rec(finder, site.Path());
    finder.Execute();
    // "other" was walked as a/side/ first: by its own name it is left out.
    EXPECT_EQ(rec.events, (std::vector<std::string>{"D ", "D a/", "F a/page.html", "R a/self/ = a/",
                                                    "D a/side/", "F a/side/o.html",
                                                    "R a/up/ = ", "R other/ = a/side/"}));
}

TEST(FileFinder, LinksThatFanOutWalkEachRealFolderOnce) {
    // f1 to f4, each with a page and (but the last) eight links to the next.
    TempDir site;
    for (int level = 1; level <= 4; ++level) {
        const std::string folder = "f" + std::to_string(level) + "/";
        site.Write(folder + "page.html");
        for (int k = 0; level < 4 && k < 8; ++k)
            ASSERT_EQ(symlink(("../f" + std::to_string(level + 1)).c_str(),
                              (site / folder + "l" + std::to_string(k)).c_str()),
                      0);
    }
    TNXFileFinder finder;
    finder.SetLocation(site.Path());
    Recorder rec(finder, site.Path());
    finder.Execute();
    std::string kinds;
    for (const std::string& e : rec.events)
        kinds += e[0];
    // Each real folder once; left out: seven links on each of three levels,
    // and f2 to f4 by their own names.
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 'D'), 5);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 'F'), 4);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 'R'), 3 * 7 + 3);
    EXPECT_EQ(rec.events.back(), "R f4/ = f1/l0/l0/l0/");
}

TEST(FileFinder, UnreadableFolderCountsAsEmptyAndIsReported) {
    TempDir site;
    site.Write("locked/x.html");
    site.Write("open/y.html");
    chmod((site / "locked").c_str(), 0);
    twtest::PermissionsHold hold;
    TNXFileFinder finder;
    finder.SetLocation(site.Path());
    Recorder rec(finder, site.Path());
    finder.Execute();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"D ", "D locked/", "U locked/", "D open/",
                                                    "F open/y.html"}));
}

TEST(FilePattern, WindowsStyleWildcards) {
    EXPECT_TRUE(MatchesFilePattern("README", "*.*"));
    EXPECT_TRUE(MatchesFilePattern("a.b.c", "*"));
    EXPECT_TRUE(MatchesFilePattern("Page.HTML", "*.html"));
    EXPECT_TRUE(MatchesFilePattern("p1.htm", "p?.htm"));
    EXPECT_FALSE(MatchesFilePattern("p12.htm", "p?.htm"));
    EXPECT_TRUE(MatchesFilePattern("index", "index.*"));
    EXPECT_FALSE(MatchesFilePattern("indexes", "index.*"));
}
