#include "output/OutputTargets.h"

#include "core/TestUtil.h"
#include "support/Errors.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace tw;
using twtest::Exists;
using twtest::ReadAll;
using twtest::TempDir;

namespace {

class OutputTargetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* image : kItemImages)
            program.Write(std::string("smimages/") + image, std::string("art of ") + image);
        out = site / "sitemap.html";
        profile.SetOutputFileName(out);
    }
    TempDir program;
    TempDir site;
    std::string out;
    TMapProfile profile;
};

} // namespace

TEST_F(OutputTargetsTest, SavesThePageAndCopiesTheImages) {
    std::string text = "\r\n<p>fragment</p>";
    EXPECT_TRUE(SaveSiteMapFile(text, profile, program.Path()));
    EXPECT_EQ(text.rfind("<!DOCTYPE", 0), 0u);
    EXPECT_EQ(ReadAll(out), text);
    for (const char* image : kItemImages)
        EXPECT_EQ(ReadAll(site / image), std::string("art of ") + image);
}

TEST_F(OutputTargetsTest, ExistingImagesAreNeverReplaced) {
    site.Write("smfile.gif", "mine");
    CopySiteMapImages(out, profile, program.Path());
    EXPECT_EQ(ReadAll(site / "smfile.gif"), "mine");
    EXPECT_TRUE(Exists(site / "smfolder.gif"));
    EXPECT_TRUE(Exists(site / "smimg.gif"));
}

TEST_F(OutputTargetsTest, NoImagesWithoutAddImages) {
    profile.SetAddImages(false);
    profile.SetNoFolderImages(true);
    site.Write("smimg.gif", "keep");
    CopySiteMapImages(out, profile, program.Path());
    EXPECT_FALSE(Exists(site / "smfolder.gif"));
    EXPECT_EQ(ReadAll(site / "smimg.gif"), "keep");
}

TEST_F(OutputTargetsTest, SourceFolderIsChosenBySmfolderAlone) {
    // Without smimages/smfolder.gif the program folder itself is the source.
    unlink((program / "smimages/smfolder.gif").c_str());
    for (const char* image : kItemImages)
        program.Write(image, std::string("top ") + image);
    CopySiteMapImages(out, profile, program.Path());
    for (const char* image : kItemImages)
        EXPECT_EQ(ReadAll(site / image), std::string("top ") + image);

    // With smfolder.gif but no smfile.gif in smimages, smfile.gif is not copied.
    TempDir other;
    program.Write("smimages/smfolder.gif", "sub folder");
    unlink((program / "smimages/smfile.gif").c_str());
    CopySiteMapImages(other / "map.html", profile, program.Path());
    EXPECT_EQ(ReadAll(other / "smfolder.gif"), "sub folder");
    EXPECT_FALSE(Exists(other / "smfile.gif"));
    EXPECT_TRUE(Exists(other / "smimg.gif"));
}

TEST_F(OutputTargetsTest, AFailedSaveKeepsTheOldFileAndCopiesNothing) {
    std::string missing = site / "no/such/dir/map.html";
    profile.SetOutputFileName(missing);
    std::string text;
    try {
        SaveSiteMapFile(text, profile, program.Path());
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file " + missing + ": No such file or directory");
    }
    EXPECT_FALSE(Exists(site / "smfolder.gif"));
}

TEST_F(OutputTargetsTest, SecondRunWritesTheSameFile) {
    std::string first = "\r\nx";
    SaveSiteMapFile(first, profile, program.Path());
    std::string bytes = ReadAll(out);
    std::string second = "\r\nx";
    SaveSiteMapFile(second, profile, program.Path());
    EXPECT_EQ(ReadAll(out), bytes);
}

TEST_F(OutputTargetsTest, StreamingWriteGivesTheSameBytesAsTheWholePage) {
    TSiteMapTree tree;
    TDataRec root;
    root.IsFolder = true;
    root.LinkText = "Home";
    root.LinkURL = "index.html";
    SiteMapNode* home = tree.Add(nullptr, root, kImageFolder);
    // Enough pages that the writer hands its text over in several pieces.
    for (int i = 0; i < 30000; ++i) {
        TDataRec page;
        page.LinkText = "Page number " + std::to_string(i);
        page.LinkURL = "pages/p" + std::to_string(i) + ".html";
        tree.Add(home, page, i % 7 == 0 ? kImagePicture : kImagePage);
    }
    for (auto format : {TMapOutputFormat::mfmtList, TMapOutputFormat::mfmtParagraph}) {
        profile.SetOutputFormat(format);
        std::string text = BuildSiteMap(tree, profile);
        ASSERT_GT(text.size(), 2u << 20);
        SaveSiteMapFile(text, profile, program.Path());
        std::string whole = ReadAll(out);
        size_t written = WriteSiteMapFile(tree, profile, nullptr, program.Path());
        EXPECT_EQ(written, whole.size());
        EXPECT_EQ(ReadAll(out), whole);
    }
}
