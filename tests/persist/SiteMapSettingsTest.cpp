#include "persist/SiteMapSettings.h"

#include "core/TestUtil.h"
#include "persist/FailingFile.h"
#include "persist/StreamSamples.h"

#include <gtest/gtest.h>

using namespace tw;
using twtest::Header;
using twtest::ReadAll;
using twtest::TempDir;

TEST(SiteMapSettings, StartsEmptyWithTheFileInTheProgramFolder) {
    TSiteMapSettings s("/opt/tw/");
    EXPECT_EQ(s.LastFile(), "");
    EXPECT_FALSE(s.LoadLast());
    EXPECT_EQ(s.SettingFile(), "/opt/tw/SiteMap.dat");
}

TEST(SiteMapSettings, IsWrittenByteForByte) {
    TempDir dir;
    TSiteMapSettings s(dir.Path());
    s.SetLoadLast(true);
    s.SetLastFile("/p/site.zpf");
    SaveSettingsFile(s);
    EXPECT_EQ(ReadAll(dir / "SiteMap.dat"), Header("TSiteMapSettings")
                                                .Str("LastFile", "/p/site.zpf")
                                                .Bool("LoadLast", true)
                                                .Str("SettingFile", dir / "SiteMap.dat")
                                                .End()
                                                .Data());

    s.SetLastFile("");
    s.SetLoadLast(false);
    SaveSettingsFile(s);
    EXPECT_EQ(ReadAll(dir / "SiteMap.dat"), Header("TSiteMapSettings")
                                                .Bool("LoadLast", false)
                                                .Str("SettingFile", dir / "SiteMap.dat")
                                                .End()
                                                .Data());
}

TEST(SiteMapSettings, MissingFileLeavesTheSettingsAlone) {
    TempDir dir;
    TSiteMapSettings s(dir.Path());
    s.SetLastFile("/p/a.zpf");
    EXPECT_FALSE(LoadSettingsFile(s));
    EXPECT_EQ(s.LastFile(), "/p/a.zpf");
    EXPECT_EQ(s.SettingFile(), dir / "SiteMap.dat");
}

TEST(SiteMapSettings, ReadsTheFileAndTakesItsRecordedPath) {
    TempDir dir;
    dir.Write("SiteMap.dat", Header("TSiteMapSettings")
                                 .Str("LastFile", "/p/caf\xE9.zpf")
                                 .Bool("LoadLast", true)
                                 .Str("SettingFile", "/old/folder/SiteMap.dat")
                                 .End());
    TSiteMapSettings s(dir.Path());
    EXPECT_TRUE(LoadSettingsFile(s));
    EXPECT_EQ(s.LastFile(), "/p/caf\xC3\xA9.zpf");
    EXPECT_TRUE(s.LoadLast());
    EXPECT_EQ(s.SettingFile(), "/old/folder/SiteMap.dat");
}

TEST(SiteMapSettings, SavedSettingsReadBack) {
    TempDir dir;
    TSiteMapSettings s(dir.Path());
    s.SetLastFile("/p/\xE6\x97\xA5\xE6\x9C\xAC.zpf");
    s.SetLoadLast(true);
    SaveSettingsFile(s);
    TSiteMapSettings read(dir.Path());
    ASSERT_TRUE(LoadSettingsFile(read));
    EXPECT_EQ(read.LastFile(), s.LastFile());
    EXPECT_EQ(read.LoadLast(), s.LoadLast());
    EXPECT_EQ(read.SettingFile(), s.SettingFile());
}

TEST(SiteMapSettings, DamagedFileNamesTheClassAndKeepsWhatWasRead) {
    TempDir dir;
    dir.Write(
        "SiteMap.dat",
        Header("TSiteMapSettings").Str("LastFile", "/p/a.zpf").Value("LoadLast", {2, 1}).End());
    TSiteMapSettings s(dir.Path());
    try {
        LoadSettingsFile(s);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Error reading TSiteMapSettings.LoadLast: Invalid property value");
    }
    EXPECT_EQ(s.LastFile(), "/p/a.zpf");
    EXPECT_FALSE(s.LoadLast());

    // A profile is no settings file.
    dir.Write("SiteMap.dat", twtest::StartupProfileBytes("/p/a.zpf"));
    EXPECT_THROW(LoadSettingsFile(s), EReadError);
}

TEST(SiteMapSettings, FailedSaveKeepsTheOldFile) {
    TempDir dir;
    std::string path = dir.Write("SiteMap.dat", "old settings");
    TSiteMapSettings s(dir.Path());
    s.SetLastFile("/p/a.zpf");
    EXPECT_THROW(SaveSettingsFile(s, twtest::FailingFile::After(10)), EWriteError);
    EXPECT_EQ(ReadAll(path), "old settings");

    s.SetSettingFile(dir / "gone/SiteMap.dat");
    EXPECT_THROW(SaveSettingsFile(s), EFCreateError);
}
