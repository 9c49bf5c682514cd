#include "model/SiteMapProfile.h"

#include <functional>
#include <gtest/gtest.h>

using namespace tw;

TEST(Profile, NewProfileHasTheDefaults) {
    TMapProfile p;
    EXPECT_EQ(p.FileName(), "Untitled.zpf");
    EXPECT_TRUE(p.Untitled());
    EXPECT_FALSE(p.Modified());
    EXPECT_EQ(p.OutputType(), TMapOutputType::moutFile);
    EXPECT_EQ(p.OutputFormat(), TMapOutputFormat::mfmtParagraph);
    EXPECT_TRUE(p.UsePageTitles());
    EXPECT_TRUE(p.ConfirmDelete());
    EXPECT_TRUE(p.ClassAttribs());
    EXPECT_TRUE(p.AddImages());
    EXPECT_FALSE(p.NoFolderImages());
    EXPECT_FALSE(p.NoFolderLinks());
    EXPECT_EQ(p.clrBackground(), 0xFFFFFF);
    EXPECT_EQ(p.clrText(), 0);
    EXPECT_EQ(p.clrLink(), 0xFF0000);
    EXPECT_EQ(p.clrVisited(), 0x800080);
    EXPECT_EQ(p.clrActive(), 255);
    // Not profile defaults: the window fills these in.
    EXPECT_EQ(p.FileTypes(), "");
    EXPECT_EQ(p.IndexPage(), "");
    EXPECT_EQ(p.IgnoreFolders(), "");
    EXPECT_EQ(p.IgnoreFiles(), "");
    EXPECT_EQ(p.OutputFileName(), "");
    EXPECT_EQ(p.OutputInsert(), "");
}

TEST(Profile, EverySetterMarksModifiedEvenWithTheSameValue) {
    const std::vector<std::pair<const char*, std::function<void(TMapProfile&)>>> setters = {
        {"FileTypes", [](TMapProfile& p) { p.SetFileTypes(p.FileTypes()); }},
        {"IndexPage", [](TMapProfile& p) { p.SetIndexPage(p.IndexPage()); }},
        {"IgnoreFolders", [](TMapProfile& p) { p.SetIgnoreFolders(p.IgnoreFolders()); }},
        {"IgnoreFiles", [](TMapProfile& p) { p.SetIgnoreFiles(p.IgnoreFiles()); }},
        {"UsePageTitles", [](TMapProfile& p) { p.SetUsePageTitles(p.UsePageTitles()); }},
        {"OutputType", [](TMapProfile& p) { p.SetOutputType(p.OutputType()); }},
        {"OutputFormat", [](TMapProfile& p) { p.SetOutputFormat(p.OutputFormat()); }},
        {"OutputFileName", [](TMapProfile& p) { p.SetOutputFileName(p.OutputFileName()); }},
        {"OutputInsert", [](TMapProfile& p) { p.SetOutputInsert(p.OutputInsert()); }},
        {"ConfirmDelete", [](TMapProfile& p) { p.SetConfirmDelete(p.ConfirmDelete()); }},
        {"clrBackground", [](TMapProfile& p) { p.SetclrBackground(p.clrBackground()); }},
        {"clrText", [](TMapProfile& p) { p.SetclrText(p.clrText()); }},
        {"clrLink", [](TMapProfile& p) { p.SetclrLink(p.clrLink()); }},
        {"clrVisited", [](TMapProfile& p) { p.SetclrVisited(p.clrVisited()); }},
        {"clrActive", [](TMapProfile& p) { p.SetclrActive(p.clrActive()); }},
        {"ClassAttribs", [](TMapProfile& p) { p.SetClassAttribs(p.ClassAttribs()); }},
        {"AddImages", [](TMapProfile& p) { p.SetAddImages(p.AddImages()); }},
        {"NoFolderImages", [](TMapProfile& p) { p.SetNoFolderImages(p.NoFolderImages()); }},
        {"NoFolderLinks", [](TMapProfile& p) { p.SetNoFolderLinks(p.NoFolderLinks()); }},
    };
    for (const auto& [name, set] : setters) {
        TMapProfile p;
        set(p);
        EXPECT_TRUE(p.Modified()) << name;
        EXPECT_TRUE(p.Untitled()) << name;
    }
}

TEST(Profile, NamingTheProfileClearsUntitledOnly) {
    TMapProfile p;
    p.SetFileName("/home/me/Profiles/site.zpf");
    EXPECT_EQ(p.FileName(), "/home/me/Profiles/site.zpf");
    EXPECT_FALSE(p.Untitled());
    EXPECT_FALSE(p.Modified());
    p.SetAddImages(false);
    p.SetFileName("/other.zpf");
    EXPECT_TRUE(p.Modified());
}

TEST(Profile, NoneColourIsKept) {
    TMapProfile p;
    p.SetclrBackground(kColorNone);
    EXPECT_EQ(p.clrBackground(), -1);
}

TEST(Profile, StartupProfileHasTheDefaultFileTypesAndIsNotModified) {
    TMapProfile p = MakeStartupProfile();
    EXPECT_EQ(p.FileTypes(), "*.htm;*.html;*.txt;*.php;*.php4;*.php5;");
    EXPECT_FALSE(p.Modified());
    EXPECT_TRUE(p.Untitled());
}
