// A site folder full of what a web folder may really hold: link loops,
// special files, hostile names, a path too long to open by name, a folder
// that vanishes mid-scan, a huge sparse page and a huge title. The scan and
// the generation must finish and the page must stay well-formed.

#include "core/TestUtil.h"
#include "output/OutputTargets.h"
#include "scan/ScanRun.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using twtest::ReadAll;
using twtest::TempDir;

namespace {

constexpr int kDeepLevels = 2000;

// Makes Levels nested folders "ddd" below Base one step at a time (the full
// path soon exceeds what the platform opens by name) with a page at the
// bottom.
void MakeDeepFolders(const std::string& base, int levels) {
    int fd = open(base.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < levels; ++i) {
        ASSERT_EQ(mkdirat(fd, "ddd", 0755), 0);
        int next = openat(fd, "ddd", O_RDONLY | O_DIRECTORY);
        close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    int file = openat(fd, "deep.html", O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(file, 0);
    const char page[] = "<title>Deep</title>";
    ASSERT_EQ(write(file, page, sizeof page - 1), static_cast<ssize_t>(sizeof page - 1));
    close(file);
    close(fd);
}

// Removes a folder that holds everything made here; rm copes with paths
// longer than the platform's limit.
void RemoveTree(const std::string& path) {
    std::string cmd = "rm -rf '" + path + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
}

// Deletes one folder of the site the moment the scan enters the folder
// before it, so the walk meets a folder that is gone.
struct Vandal : ScanListener {
    std::string trigger, victim;
    int folders = 0;
    void FolderEntered(const std::string& folder, bool) override {
        ++folders;
        if (folder == trigger)
            RemoveTree(victim);
    }
};

// Every <ul> and <p> of the page is closed, innermost first.
void ExpectBalanced(const std::string& page) {
    std::vector<std::string> open;
    for (size_t i = page.find('<'); i != std::string::npos; i = page.find('<', i + 1)) {
        for (const char* tag : {"ul", "p"}) {
            std::string start = std::string("<") + tag + ">";
            std::string end = std::string("</") + tag + ">";
            if (page.compare(i, start.size(), start) == 0)
                open.push_back(tag);
            else if (page.compare(i, end.size(), end) == 0) {
                ASSERT_FALSE(open.empty()) << "close without open at " << i;
                ASSERT_EQ(open.back(), tag) << "at " << i;
                open.pop_back();
            }
        }
    }
    EXPECT_TRUE(open.empty());
}

// Href values hold no quote, no control byte and no byte above 0x7E.
void ExpectSafeHrefs(const std::string& page) {
    int count = 0;
    for (size_t i = page.find("href=\""); i != std::string::npos; i = page.find("href=\"", i + 1)) {
        size_t start = i + 6;
        size_t end = page.find('"', start);
        ASSERT_NE(end, std::string::npos);
        for (size_t k = start; k < end; ++k) {
            auto c = static_cast<unsigned char>(page[k]);
            ASSERT_TRUE(c >= 0x20 && c < 0x7F) << "byte " << int(c) << " in an href at " << k;
        }
        ++count;
    }
    EXPECT_GT(count, 0);
}

} // namespace

TEST(HostileTree, ScanAndGenerationFinishWithAWellFormedPage) {
    TempDir dir;
    std::string site = dir.MakeDir("site");
    auto write = [&](const std::string& name, const std::string& content) {
        std::string path = site + name;
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << name;
        ASSERT_EQ(::write(fd, content.data(), content.size()),
                  static_cast<ssize_t>(content.size()));
        close(fd);
    };
    write("index.html", "<title>R&D <Home></title>");
    dir.MakeDir("site/a");
    write("a/page.html", "<title>A</title>");
    ASSERT_EQ(symlink("..", (site + "a/loop").c_str()), 0);
    ASSERT_EQ(symlink(".", (site + "a/self").c_str()), 0);
    dir.MakeDir("site/b");
    ASSERT_EQ(symlink("../..", (site + "b/up").c_str()), 0);
    ASSERT_EQ(mkfifo((site + "pipe.html").c_str(), 0644), 0);
    twtest::SocketFile sock(site + "sock.html");
    ASSERT_EQ(symlink((site + "nowhere.html").c_str(), (site + "broken.html").c_str()), 0);
    for (const std::string name : {"new\nline.html", "quote\".html", "lt<.html", "amp&.html",
                                   "caf\xE9.html", "tab\tand\x7F.html"})
        write(name, "");
    write("bigtitle.html", "<title>" + std::string(1 << 20, 'T') + "</title>");
    dir.MakeDir("site/m-trigger");
    write("m-trigger/x.html", "");
    dir.MakeDir("site/n-victim");
    write("n-victim/y.html", "");
    // 2 GB of nothing: no title to find, and nothing of it on disk.
    int huge = open((site + "huge.html").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(huge, 0);
    ASSERT_EQ(ftruncate(huge, 2LL << 30), 0);
    close(huge);
    dir.MakeDir("site/z");
    MakeDeepFolders(site + "z", kDeepLevels);

    TMapProfile profile = MakeStartupProfile();
    profile.SetIndexPage(site + "index.html");
    profile.SetOutputFileName(dir / "map.html");
    profile.SetOutputFormat(TMapOutputFormat::mfmtList);
    TSiteMapTree tree;
    Vandal vandal;
    vandal.trigger = site + "m-trigger/";
    vandal.victim = site + "n-victim";
    ScanRun scan(tree, profile, &vandal);
    scan.Run();

    std::vector<std::string> names;
    int deepest = 0;
    tree.ForEach([&](SiteMapNode& n, int) {
        deepest = std::max(deepest, n.Level());
        if (n.Level() == 1 && !n.IsFolderNode())
            names.push_back(n.Data.LinkText);
    });
    // Special files and the broken link are not there; every hostile name is.
    EXPECT_EQ(names,
              (std::vector<std::string>{"amp&.html", std::string(1 << 20, 'T'), "caf\xC3\xA9.html",
                                        "huge.html", "R&D <Home>", "lt<.html", "new\nline.html",
                                        "quote\".html", "tab\tand\x7F.html"}));
    // The folder below the last openable path is reached too.
    EXPECT_EQ(deepest, kDeepLevels + 2); // z, the ddd chain, then the page
    // The loop links lead back into the walk and are not followed; the link to
    // the site's parent reaches the parent's other contents only.
    EXPECT_EQ(tree.FindFolderNode(site + "a/loop/"), nullptr);
    EXPECT_EQ(tree.FindFolderNode(site + "n-victim/"), nullptr);

    size_t written = WriteSiteMapFile(tree, profile, nullptr, dir.Path());
    std::string page = ReadAll(dir / "map.html");
    EXPECT_EQ(page.size(), written);
    ExpectBalanced(page);
    ExpectSafeHrefs(page);
    EXPECT_NE(page.find("href=\"new%0Aline.html\""), std::string::npos);
    EXPECT_NE(page.find("href=\"quote%22.html\""), std::string::npos);
    EXPECT_NE(page.find("href=\"caf%E9.html\""), std::string::npos);
    EXPECT_NE(page.find("href=\"tab%09and%7F.html\""), std::string::npos);

    RemoveTree(site + "z");
}
