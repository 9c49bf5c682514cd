#include "model/SiteMapTree.h"

#include "core/TestUtil.h"
#include "model/SiteLinks.h"
#include "scan/PageReading.h"
#include "scan/SiteMapBuilder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace tw;
using twtest::TempDir;

namespace {

std::vector<std::string> Captions(const TSiteMapTree& tree) {
    std::vector<std::string> out;
    tree.ForEach([&out](SiteMapNode& n, int) {
        out.push_back(std::string(static_cast<size_t>(n.Level()) * 2, ' ') + n.Data.LinkText);
    });
    return out;
}

TDataRec Folder(const std::string& path) {
    TDataRec r;
    r.FilePath = r.FolderPath = path;
    r.IsFolder = true;
    r.LinkText = path;
    return r;
}

TDataRec File(const std::string& folder, const std::string& name) {
    TDataRec r;
    r.FilePath = folder + name;
    r.FolderPath = folder;
    r.LinkText = name;
    return r;
}

// The default page as the scan finds it, from the folder's listing.
std::string FromListing(const TempDir& dir) {
    std::vector<TSearchRec> entries;
    ListFolder(dir.Path(), entries, ListingDetail::Types);
    std::string name = DefaultPageName(entries);
    return name.empty() ? name : dir / name;
}

} // namespace

TEST(FindFolderIndexPage, FirstExistingNameWins) {
    TempDir dir;
    EXPECT_EQ(FindFolderIndexPage(dir.Path()), "");
    dir.Write("index.asp");
    EXPECT_EQ(FindFolderIndexPage(dir.Path()), dir / "index.asp");
    dir.Write("index.htm");
    dir.Write("index.html");
    // The trailing separator is optional.
    std::string noSlash = dir.Path().substr(0, dir.Path().size() - 1);
    EXPECT_EQ(FindFolderIndexPage(noSlash), dir / "index.html");
    // A folder named like a default page is not one; letter case matters.
    TempDir other;
    other.MakeDir("index.html");
    other.Write("INDEX.HTM");
    other.Write("welcome.html");
    EXPECT_EQ(FindFolderIndexPage(other.Path()), other / "welcome.html");
    EXPECT_EQ(FromListing(dir), dir / "index.html");
    EXPECT_EQ(FromListing(other), other / "welcome.html");
    // Only a regular file counts, reached through a link or not.
    TempDir special;
    ASSERT_EQ(mkfifo((special / "index.html").c_str(), 0644), 0);
    ASSERT_EQ(symlink("nowhere", (special / "index.htm").c_str()), 0);
    special.Write("page.php");
    ASSERT_EQ(symlink("page.php", (special / "index.php").c_str()), 0);
    EXPECT_EQ(FindFolderIndexPage(special.Path()), special / "index.php");
    EXPECT_EQ(FromListing(special), special / "index.php");
    EXPECT_EQ(FromListing(TempDir()), "");
}

TEST(MakeRelativeURL, DropsTheBaseByLengthAlone) {
    EXPECT_EQ(MakeRelativeURL("/site/about.html", "/site"), "about.html");
    EXPECT_EQ(MakeRelativeURL("/site/docs/a.html", "/site/"), "docs/a.html");
    EXPECT_EQ(MakeRelativeURL("/site/Docs/my page.htm", "/site"), "Docs/my page.htm");
    EXPECT_EQ(MakeRelativeURL("", "/site"), "");
    EXPECT_EQ(MakeRelativeURL("/site/", "/site"), "");
    // Only the length of the base counts, not its characters.
    EXPECT_EQ(MakeRelativeURL("/other/x.html", "/site"), "/x.html");
}

TEST(SiteMapTree, AddsInIndexOrderAndTracksLevelsAndRows) {
    TSiteMapTree tree;
    SiteMapNode* root = tree.Add(nullptr, Folder("/s/"), kImageFolder);
    SiteMapNode* a = tree.Add(root, File("/s/", "a.html"), kImagePage);
    SiteMapNode* sub = tree.Add(root, Folder("/s/sub/"), kImageFolder);
    tree.Add(sub, File("/s/sub/", "b.html"), kImagePage);
    EXPECT_EQ(tree.Count(), 4);
    EXPECT_EQ(tree.First(), root);
    EXPECT_EQ(a->Level(), 1);
    EXPECT_EQ(sub->Row(), 1);
    EXPECT_EQ(sub->Child(0)->Level(), 2);
    EXPECT_EQ(Captions(tree),
              (std::vector<std::string>{"/s/", "  a.html", "  /s/sub/", "    b.html"}));
    // The first node in index order with a folder path is found, folder first.
    EXPECT_EQ(tree.FindFolderNode("/s/"), root);
    EXPECT_EQ(tree.FindFolderNode("/s/sub/"), sub);
    EXPECT_EQ(tree.FindFolderNode("/S/"), nullptr);
}

TEST(SiteMapTree, FindFolderNodeStaysExactAfterOutOfOrderAddsAndDeletes) {
    TSiteMapTree tree;
    SiteMapNode* root = tree.Add(nullptr, Folder("/s/"), kImageFolder);
    SiteMapNode* first = tree.Add(root, Folder("/s/x/"), kImageFolder);
    tree.Add(root, Folder("/s/y/"), kImageFolder);
    // A second node with the path /s/x/ but later in index order.
    SiteMapNode* later = tree.Add(nullptr, Folder("/s/x/"), kImageFolder);
    EXPECT_EQ(tree.FindFolderNode("/s/x/"), first);
    // Added under an earlier folder: it comes before the later duplicate.
    SiteMapNode* early = tree.Add(first, File("/s/z/", "q.html"), kImagePage);
    SiteMapNode* z = tree.Add(nullptr, Folder("/s/z/"), kImageFolder);
    EXPECT_EQ(tree.FindFolderNode("/s/z/"), early);
    tree.Delete(first);
    EXPECT_EQ(tree.FindFolderNode("/s/x/"), later);
    EXPECT_EQ(tree.FindFolderNode("/s/z/"), z);
    EXPECT_EQ(tree.Count(), 4);
}

TEST(SiteMapTree, DeleteRemovesTheSubtreeAndRenumbersRows) {
    TSiteMapTree tree;
    SiteMapNode* root = tree.Add(nullptr, Folder("/s/"), kImageFolder);
    SiteMapNode* sub = tree.Add(root, Folder("/s/a/"), kImageFolder);
    tree.Add(sub, File("/s/a/", "1.html"), kImagePage);
    tree.Add(sub, File("/s/a/", "2.html"), kImagePage);
    SiteMapNode* last = tree.Add(root, File("/s/", "z.html"), kImagePage);
    tree.Delete(sub);
    EXPECT_EQ(tree.Count(), 2);
    EXPECT_EQ(last->Row(), 0);
    tree.Delete(root);
    EXPECT_TRUE(tree.Empty());
    EXPECT_EQ(tree.First(), nullptr);
}

TEST(SiteMapTree, RemoveEmptyFoldersPrunesChainsButNeverFiles) {
    TSiteMapTree tree;
    SiteMapNode* root = tree.Add(nullptr, Folder("/s/"), kImageFolder);
    tree.Add(root, File("/s/", "a.html"), kImagePage);
    SiteMapNode* empty = tree.Add(root, Folder("/s/e/"), kImageFolder);
    SiteMapNode* deeper = tree.Add(empty, Folder("/s/e/f/"), kImageFolder);
    tree.Add(deeper, Folder("/s/e/f/g/"), kImageFolder);
    SiteMapNode* kept = tree.Add(root, Folder("/s/k/"), kImageFolder);
    tree.Add(kept, Folder("/s/k/none/"), kImageFolder);
    tree.Add(kept, File("/s/k/", "b.html"), kImagePage);
    tree.RemoveEmptyFolders();
    EXPECT_EQ(Captions(tree),
              (std::vector<std::string>{"/s/", "  a.html", "  /s/k/", "    b.html"}));
    EXPECT_EQ(tree.Count(), 4);
    EXPECT_EQ(kept->Row(), 1);
    EXPECT_EQ(tree.FindFolderNode("/s/k/"), kept);

    TSiteMapTree onlyFolders;
    SiteMapNode* r = onlyFolders.Add(nullptr, Folder("/t/"), kImageFolder);
    onlyFolders.Add(r, Folder("/t/u/"), kImageFolder);
    onlyFolders.RemoveEmptyFolders();
    EXPECT_TRUE(onlyFolders.Empty());
}

TEST(SiteMapTree, DeepTreesAreBuiltWalkedAndReleasedWithoutRecursion) {
    TSiteMapTree tree;
    SiteMapNode* parent = nullptr;
    std::string path;
    for (int i = 0; i < 20000; ++i) {
        path = "/d" + std::to_string(i) + "/";
        parent = tree.Add(parent, Folder(path), kImageFolder);
    }
    tree.Add(parent, File(path, "leaf.html"), kImagePage);
    EXPECT_EQ(tree.FindFolderNode(path), parent);
    int visited = 0;
    tree.ForEach([&visited](SiteMapNode&, int) { ++visited; });
    EXPECT_EQ(visited, 20001);
    tree.RemoveEmptyFolders();
    EXPECT_EQ(tree.Count(), 20001);
    tree.Clear();
    EXPECT_TRUE(tree.Empty());
}

TEST(SiteMapBuilder, MakesFolderPageAndPictureNodes) {
    TempDir site;
    site.Write("index.html", "<title>Welcome</title>");
    site.Write("logo.PNG");
    site.Write("page.HTML", "<TITLE>Caps</TITLE>");
    site.Write("docs/index.htm");
    site.Write("docs/index.html");
    site.Write("Docs2/my page.htm");
    std::string base = site.Path().substr(0, site.Path().size() - 1);

    TSiteMapTree tree;
    SiteMapBuilder builder(tree, base, true);
    SiteMapNode* root = builder.AddMapNode(site.Path(), true);
    SiteMapNode* index = builder.AddMapNode(site / "index.html", false);
    SiteMapNode* logo = builder.AddMapNode(site / "logo.PNG", false);
    SiteMapNode* page = builder.AddMapNode(site / "page.HTML", false);
    SiteMapNode* docs = builder.AddMapNode(site / "docs/", true);
    SiteMapNode* docs2 = builder.AddMapNode(site / "Docs2/", true);
    SiteMapNode* spaced = builder.AddMapNode(site / "Docs2/my page.htm", false);

    EXPECT_EQ(root->Data.LinkText, "Home");
    EXPECT_EQ(root->Data.LinkURL, "index.html");
    EXPECT_EQ(root->Data.FolderPath, site.Path());
    EXPECT_TRUE(root->Data.IsFolder);
    EXPECT_EQ(root->ImageIndex(), kImageFolder);
    EXPECT_EQ(index->Parent(), root);
    EXPECT_EQ(index->Data.LinkText, "Welcome");
    EXPECT_EQ(index->ImageIndex(), kImagePage);
    EXPECT_EQ(logo->ImageIndex(), kImagePicture);
    EXPECT_EQ(logo->Data.LinkText, "logo.PNG");
    EXPECT_EQ(page->ImageIndex(), kImagePage);
    EXPECT_EQ(page->Data.LinkText, "Caps");
    EXPECT_EQ(page->Data.FolderPath, site.Path());
    EXPECT_EQ(docs->Data.LinkText, "docs");
    EXPECT_EQ(docs->Data.LinkURL, "docs/index.html");
    EXPECT_EQ(docs->Parent(), root);
    EXPECT_EQ(docs2->Data.LinkURL, "");
    EXPECT_EQ(spaced->Parent(), docs2);
    EXPECT_EQ(spaced->Data.LinkURL, "Docs2/my page.htm");
    EXPECT_EQ(spaced->Data.LinkText, "my page.htm");
}

TEST(SiteMapBuilder, RootWithoutDefaultPageHasNoLink) {
    TempDir site;
    site.Write("start.html", "<title>Start</title>");
    TSiteMapTree tree;
    SiteMapBuilder builder(tree, site.Path(), true);
    SiteMapNode* root = builder.AddMapNode(site.Path(), true);
    EXPECT_EQ(root->Data.LinkURL, "");
    // A folder whose parent has no node goes to the top level; only the first
    // node of all is "Home".
    SiteMapNode* stray = builder.AddMapNode("/elsewhere/x/", true);
    EXPECT_EQ(stray->Parent(), nullptr);
    EXPECT_EQ(stray->Data.LinkText, "x");
}

// What the results tree shows: the text as the page's reader sees it.
TEST(SiteMapTree, ShownLinkTextResolvesReferencesOfTitlesAndTypedTexts) {
    const std::tuple<TextOrigin, const char*, const char*> cases[] = {
        {TextOrigin::PageTitle, "Documents &#8212; Python", "Documents — Python"},
        {TextOrigin::PageTitle, "Tom &amp; Jerry <b> &nosuch; AT&T",
         "Tom & Jerry <b> &nosuch; AT&T"},
        {TextOrigin::AsTyped, "<em>R&amp;D</em> &eacute;", "<em>R&D</em> é"},
        {TextOrigin::FileName, "R&amp;D.html", "R&amp;D.html"},
    };
    TDataRec rec;
    for (const auto& [origin, text, shown] : cases) {
        rec.LinkText = text;
        rec.LinkTextOrigin = origin;
        EXPECT_EQ(ShownLinkText(rec), shown) << text;
    }
}
