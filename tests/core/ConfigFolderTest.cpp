#include "support/ConfigFolder.h"

#include "core/TestUtil.h"
#include "support/NXFiles.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using twtest::TempDir;

namespace {

// An environment of its own and a fixed answer for the program folder.
struct FakeSystem {
    std::map<std::string, std::string> env;
    bool programFolderWritable = true;
    bool programFolderInstalled = false;
    std::string askedFolder;

    ConfigLookups Lookups() {
        ConfigLookups lookups;
        lookups.variable = [this](const char* name) -> std::optional<std::string> {
            auto it = env.find(name);
            if (it == env.end())
                return std::nullopt;
            return it->second;
        };
        lookups.writable = [this](const std::string& folder) {
            askedFolder = folder;
            return programFolderWritable;
        };
        lookups.installed = [this](const std::string&) { return programFolderInstalled; };
        return lookups;
    }
};

// Whether a file can really be made in Folder, whatever the permission bits
// say (root ignores them).
bool CanCreateIn(const std::string& folder) {
    const std::string probe = folder + "probe";
    int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}

} // namespace

TEST(ConfigFolder, WritableProgramFolderKeepsThePortableLayout) {
    FakeSystem sys;
    sys.env = {{"XDG_CONFIG_HOME", "/home/ann/.cfg"}, {"HOME", "/home/ann"}};
    EXPECT_EQ(ConfigFolder("/opt/tw/", sys.Lookups()), "/opt/tw/");
    EXPECT_EQ(sys.askedFolder, "/opt/tw/");
}

TEST(ConfigFolder, UnwritableProgramFolderMovesToTheXdgFolder) {
    FakeSystem sys;
    sys.programFolderWritable = false;
    sys.env = {{"XDG_CONFIG_HOME", "/home/ann/.cfg"}, {"HOME", "/home/ann"}};
    EXPECT_EQ(ConfigFolder("/usr/lib/zephyrix-trailwright/", sys.Lookups()),
              "/home/ann/.cfg/zephyrix-trailwright/");
    sys.env["XDG_CONFIG_HOME"] = "/home/ann/.cfg/";
    EXPECT_EQ(ConfigFolder("/usr/lib/zephyrix-trailwright/", sys.Lookups()),
              "/home/ann/.cfg/zephyrix-trailwright/");
}

TEST(ConfigFolder, InstalledProgramFolderMovesEvenWhenRootMayWriteIt) {
    FakeSystem sys;
    sys.programFolderInstalled = true;
    sys.env = {{"HOME", "/root"}};
    EXPECT_EQ(ConfigFolder("/usr/lib/zephyrix-trailwright/", sys.Lookups()),
              "/root/.config/zephyrix-trailwright/");
}

TEST(ConfigFolder, UnsetEmptyOrRelativeXdgFallsBackOnHome) {
    FakeSystem sys;
    sys.programFolderWritable = false;
    sys.env = {{"HOME", "/home/ann"}};
    EXPECT_EQ(ConfigFolder("/usr/lib/tw/", sys.Lookups()),
              "/home/ann/.config/zephyrix-trailwright/");
    for (const char* ignored : {"", "relative/cfg", "./cfg"}) {
        sys.env["XDG_CONFIG_HOME"] = ignored;
        EXPECT_EQ(ConfigFolder("/usr/lib/tw/", sys.Lookups()),
                  "/home/ann/.config/zephyrix-trailwright/")
            << "XDG_CONFIG_HOME=" << ignored;
    }
    sys.env["HOME"] = "/";
    EXPECT_EQ(ConfigFolder("/usr/lib/tw/", sys.Lookups()), "/.config/zephyrix-trailwright/");
}

TEST(ConfigFolder, WithoutAnyUsableHomeTheProgramFolderStays) {
    FakeSystem sys;
    sys.programFolderWritable = false;
    EXPECT_EQ(ConfigFolder("/usr/lib/tw/", sys.Lookups()), "/usr/lib/tw/");
    sys.env = {{"HOME", "home/ann"}, {"XDG_CONFIG_HOME", "cfg"}};
    EXPECT_EQ(ConfigFolder("/usr/lib/tw/", sys.Lookups()), "/usr/lib/tw/");
}

TEST(ConfigFolder, SystemLookupsReadTheEnvironmentAndTheFileSystem) {
    ConfigLookups lookups = SystemConfigLookups();
    ASSERT_EQ(setenv("TW_CONFIG_FOLDER_TEST", "/some/where", 1), 0);
    EXPECT_EQ(lookups.variable("TW_CONFIG_FOLDER_TEST"), std::optional<std::string>("/some/where"));
    ASSERT_EQ(unsetenv("TW_CONFIG_FOLDER_TEST"), 0);
    EXPECT_EQ(lookups.variable("TW_CONFIG_FOLDER_TEST"), std::nullopt);

    TempDir dir;
    EXPECT_TRUE(lookups.writable(dir.Path()));
    EXPECT_FALSE(FolderWritable(dir / "missing/"));
    const std::string file = dir.Write("plain.txt");
    EXPECT_FALSE(FolderWritable(file));
    EXPECT_FALSE(FolderWritable(file + "/below/"));
    // The installation's marker file, and only a file, tells an installed copy.
    EXPECT_FALSE(lookups.installed(dir.Path()));
    dir.MakeDir(kInstalledMarkerName);
    EXPECT_FALSE(lookups.installed(dir.Path()));
    TempDir installed;
    installed.Write(kInstalledMarkerName);
    EXPECT_TRUE(lookups.installed(installed.Path()));
    // Read-only bits: the answer must match what a write really does (a
    // root process may still write there).
    const std::string locked = dir.MakeDir("locked");
    ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
    EXPECT_EQ(FolderWritable(locked), CanCreateIn(locked));
    ASSERT_EQ(chmod(locked.c_str(), 0755), 0);
}

TEST(MakeConfigFolder, MakesMissingParentsPrivately) {
    TempDir dir;
    const std::string folder = dir / "home/.config/zephyrix-trailwright/";
    ASSERT_TRUE(MakeConfigFolder(folder));
    EXPECT_TRUE(FolderExists(folder));
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // An existing folder is fine and keeps its mode.
    ASSERT_EQ(chmod(folder.c_str(), 0750), 0);
    EXPECT_TRUE(MakeConfigFolder(folder));
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0750u);
    // Without a trailing separator too.
    EXPECT_TRUE(MakeConfigFolder(dir / "other/deep"));
    EXPECT_TRUE(FolderExists(dir / "other/deep/"));
}

TEST(MakeConfigFolder, FailsWhereNoFolderCanBe) {
    TempDir dir;
    const std::string file = dir.Write("taken");
    EXPECT_FALSE(MakeConfigFolder(file + "/cfg/"));
    EXPECT_FALSE(MakeConfigFolder(file));
    EXPECT_FALSE(MakeConfigFolder(""));
    EXPECT_TRUE(twtest::Exists(file));
}
