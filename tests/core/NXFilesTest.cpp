#include "support/NXFiles.h"

#include "core/TestUtil.h"
#include "persist/FailingFile.h"
#include "support/AtomicFile.h"
#include "support/Errors.h"
#include "support/FileDescriptor.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace tw;
using twtest::ReadAll;
using twtest::TempDir;

TEST(PathParts, FolderNameAndExtension) {
    EXPECT_EQ(ExtractFilePath("/site/docs/a.html"), "/site/docs/");
    EXPECT_EQ(ExtractFileName("/site/docs/a.html"), "a.html");
    EXPECT_EQ(ExtractFilePath("a.html"), "");
    EXPECT_EQ(ExtractFileName("/site/docs/"), "");
    EXPECT_EQ(ExtractFileExt("/site/a.b/page.HTML"), ".HTML");
    EXPECT_EQ(ExtractFileExt("/site/a.b/README"), "");
    EXPECT_EQ(ExtractFileExt("/site/archive.tar.gz"), ".gz");
}

TEST(AddTrailingBackslash, AppendsOnlyWhenNeeded) {
    EXPECT_EQ(AddTrailingBackslash(""), "");
    EXPECT_EQ(AddTrailingBackslash("/site"), "/site/");
    EXPECT_EQ(AddTrailingBackslash("/site/"), "/site/");
    EXPECT_EQ(AddTrailingBackslash("/"), "/");
}

TEST(ExpandFileName, RemovesDotStepsLexically) {
    EXPECT_EQ(ExpandFileName("/a/./b/../c.html"), "/a/c.html");
    EXPECT_EQ(ExpandFileName("/a/b/"), "/a/b/");
    EXPECT_EQ(ExpandFileName("/../x"), "/x");
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(ExpandFileName("sub/../f.txt"), AddTrailingBackslash(cwd) + "f.txt");
}

TEST(ProgramFolder, IsTheFolderOfTheTestExecutable) {
    std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_EQ(ModuleFolder(), folder);
}

TEST(MatchesFileTypes, SubstringRuleOfTheMaskList) {
    const std::string defaults = "*.htm;*.html;*.txt;*.php;*.php4;*.php5;";
    EXPECT_TRUE(MatchesFileTypes("/s/PAGE.HTM", defaults));
    EXPECT_TRUE(MatchesFileTypes("/s/page.html", defaults));
    EXPECT_FALSE(MatchesFileTypes("/s/README", defaults));
    EXPECT_TRUE(MatchesFileTypes("/s/README", "*.htm;*;"));
    // The last mask counts only when it is followed by ";".
    EXPECT_FALSE(MatchesFileTypes("/s/a.htm", "*.html;*.htm"));
    EXPECT_TRUE(MatchesFileTypes("/s/a.html", "*.html;*.htm"));
    // Masks in capitals match too; "*.*" matches nothing.
    EXPECT_TRUE(MatchesFileTypes("/s/a.php", "*.PHP;"));
    EXPECT_FALSE(MatchesFileTypes("/s/a.php", "*.*;"));
    // The extension is taken from the name part only.
    EXPECT_FALSE(MatchesFileTypes("/s/v1.html/readme", defaults));
    FileTypeMatcher matcher("*.HTML;*.txt;");
    EXPECT_TRUE(matcher.Matches("/x/a.html"));
    EXPECT_TRUE(matcher.Matches("/x/a.TXT"));
    EXPECT_FALSE(matcher.Matches("/x/a.htm"));
}

TEST(RelativeFolder, PathsFromBaseToSite) {
    const std::vector<std::array<const char*, 3>> cases = {
        {"/w/site/", "/w/site", ""},         {"/w/site/", "/w", "site/"},
        {"/w/site/", "/", "w/site/"},        {"/w/site/", "/w/docs/x", "../../site/"},
        {"/w/site/", "/w/site/pics", "../"}, {"/", "/w", "../"},
    };
    for (const auto& [site, base, expected] : cases)
        EXPECT_EQ(RelativeFolder(site, base), expected) << site << " from " << base;
}

TEST(HasInvalidFileNameChars, NineCharacters) {
    EXPECT_FALSE(HasInvalidFileNameChars("sitemap.html"));
    EXPECT_FALSE(HasInvalidFileNameChars(""));
    for (char c : std::string("\\/:*?\"<>|"))
        EXPECT_TRUE(HasInvalidFileNameChars(std::string("site") + c + "map.html")) << c;
}

TEST(LimitLength, CutsAndStopsAtNul) {
    EXPECT_EQ(LimitLength("/a/bcde/", 7), "/a/bcde");
    EXPECT_EQ(LimitLength("/a/bcde/", 20), "/a/bcde/");
    EXPECT_EQ(LimitLength("/a/bcde/", 0), "");
    EXPECT_EQ(LimitLength("", 0), "");
    EXPECT_EQ(LimitLength(std::string("ab\0cd", 5), 4), "ab");
}

TEST(FileRoutines, SaveThenLoadKeepsEveryByte) {
    TempDir dir;
    std::string bytes("line one\r\nline two\r\n\0binary\xFF", 29);
    std::string path = dir / "out.html";
    EXPECT_TRUE(SaveFileText(bytes, path));
    EXPECT_EQ(LoadFileText(path), bytes);
    EXPECT_TRUE(SaveFileText("", path));
    EXPECT_EQ(LoadFileText(path), "");
    EXPECT_TRUE(FileExists(path));
    DeleteFileQuietly(path);
    EXPECT_FALSE(FileExists(path));
    DeleteFileQuietly(path); // a missing file is no error
}

TEST(FileRoutines, ErrorsNameTheFile) {
    TempDir dir;
    std::string missing = dir / "no/such/dir/map.html";
    try {
        SaveFileText("x", missing);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file " + missing + ": No such file or directory");
    }
    try {
        LoadFileText(dir / "missing.html");
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file " + dir / "missing.html" + ": No such file or directory");
    }
    // A folder is neither loaded nor replaced, and the error says why.
    try {
        LoadFileText(dir.Path());
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.Path() + ": Is a directory");
    }
    dir.MakeDir("taken");
    EXPECT_THROW(SaveFileText("x", dir / "taken"), EFCreateError);
}

TEST(FileRoutines, SaveWritesThroughALinkAndKeepsPermissions) {
    TempDir dir;
    std::string real = dir.Write("real.html", "old");
    chmod(real.c_str(), 0640);
    std::string link = dir / "link.html";
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    SaveFileText("new", link);
    EXPECT_EQ(ReadAll(real), "new");
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(AtomicFile, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    TempDir dir;
    std::string path = dir.Write("map.html", "the old page");
    {
        twtest::FailingFile file(path, 4);
        file.Write("abc", 3);
        try {
            file.Write("defgh", 5);
            FAIL() << "no error";
        } catch (const EWriteError& e) {
            EXPECT_STREQ(e.what(), "Stream write error: No space left on device");
        }
    }
    EXPECT_EQ(ReadAll(path), "the old page");
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(AtomicFile, AnUncommittedFileChangesNothing) {
    TempDir dir;
    std::string path = dir / "new.html";
    {
        AtomicFile file(path);
        file.Write("abc", 3);
    }
    EXPECT_FALSE(twtest::Exists(path));
}

TEST(AtomicFile, ATargetWeMayNotWriteIsNotReplaced) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write anything";
    TempDir dir;
    std::string path = dir.Write("locked.html", "keep");
    chmod(path.c_str(), 0444);
    EXPECT_THROW(SaveFileText("new", path), EFCreateError);
    EXPECT_EQ(ReadAll(path), "keep");
}

TEST(CopyFileNoReplace, NeverReplacesAnExistingFile) {
    TempDir dir;
    std::string src = dir.Write("a.gif", "GIF89a-new");
    std::string dst = dir.Write("b.gif", "GIF89a-old");
    EXPECT_FALSE(CopyFileNoReplace(src, dst));
    EXPECT_EQ(ReadAll(dst), "GIF89a-old");
    EXPECT_TRUE(CopyFileNoReplace(src, dir / "c.gif"));
    EXPECT_EQ(ReadAll(dir / "c.gif"), "GIF89a-new");
    EXPECT_FALSE(CopyFileNoReplace(dir / "missing.gif", dir / "d.gif"));
    EXPECT_FALSE(twtest::Exists(dir / "d.gif"));
}

namespace {
// Stand-ins for a folder that refuses new files and for a full disk.
int RefuseTemp(char*) {
    errno = EACCES;
    return -1;
}
int DiskFull(char*) {
    errno = ENOSPC;
    return -1;
}
} // namespace

TEST(AtomicFile, KeepsOwnerAndModeOrWritesInPlaceWhereTheFolderRefuses) {
    const struct {
        AtomicFile::MakeTemp makeTemp;
        bool exists, inPlace, refused;
    } cases[] = {{nullptr, true, false, false},
                 {RefuseTemp, true, true, false},
                 {RefuseTemp, false, false, true},
                 {DiskFull, true, false, true}};
    for (const auto& c : cases) {
        TempDir dir;
        std::string path = c.exists ? dir.Write("sitemap.html", "old") : dir / "sitemap.html";
        chmod(path.c_str(), 0640);
        bool owned = chown(path.c_str(), 12345, 12345) == 0; // only root may give files away
        struct stat before {};
        struct stat after {};
        stat(path.c_str(), &before);
        if (c.refused) {
            EXPECT_THROW((AtomicFile{path, c.makeTemp}), EFCreateError);
            EXPECT_EQ(twtest::Exists(path), c.exists);
            continue;
        }
        (void)AtomicFile(path, c.makeTemp); // given up before a write: the old page stays
        EXPECT_EQ(ReadAll(path), "old");
        AtomicFile file(path, c.makeTemp);
        file.Write("new", 3);
        file.Commit();
        ASSERT_EQ(stat(path.c_str(), &after), 0);
        EXPECT_EQ(ReadAll(path), "new");
        EXPECT_EQ(after.st_mode & 07777, 0640u);
        EXPECT_EQ(after.st_ino == before.st_ino, c.inPlace);
        if (owned) {
            EXPECT_EQ(std::make_pair(after.st_uid, after.st_gid), std::make_pair(12345u, 12345u));
        }
    }
}

TEST(AtomicFile, AFolderThatRefusesFilesHasItsPageWrittenInPlace) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may create files in any folder";
    TempDir dir;
    std::string path = dir.Write("web/sitemap.html", "old");
    chmod((dir / "web").c_str(), 0555);
    EXPECT_NO_THROW(SaveFileText("new", path));
    chmod((dir / "web").c_str(), 0755);
    EXPECT_EQ(ReadAll(path), "new");
}

TEST(FileDescriptor, OnlyARegularFileIsOpenedAndReadBack) {
    twtest::TempDir dir;
    const std::string file = dir.Write("page.html", "old");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    for (const std::string& refused : {dir / "pipe", dir.Path(), dir / "missing"})
        EXPECT_FALSE(OpenRegularFile(refused).Valid()) << refused;
    UniqueFd out(open(file.c_str(), O_WRONLY | O_TRUNC));
    ASSERT_TRUE(WriteAll(out.Get(), "written", 7));
    ASSERT_TRUE(out.Close());
    UniqueFd in = OpenRegularFile(file);
    char buf[16];
    EXPECT_EQ(ReadAt(in.Get(), buf, sizeof buf, 2), 5);
    EXPECT_EQ(std::string(buf, 5), "itten");
}
