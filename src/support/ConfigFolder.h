#pragma once

// Where the wizard keeps the files it writes: the settings file, the preview
// file and the default profiles folder. A portable copy keeps them beside the
// programs; an installed program, whose folder it may not write, keeps them
// in the user's configuration folder (XDG Base Directory).

#include <functional>
#include <optional>
#include <string>

namespace tw {

// The name of the program's own folder under the configuration folder.
inline constexpr const char* kConfigFolderName = "zephyrix-trailwright";
// Installation puts this file into the program folder: root may write in
// /usr/lib, yet an installed program must not keep its files there.
inline constexpr const char* kInstalledMarkerName = "installed";

// What the choice looks at, so that tests can give their own.
struct ConfigLookups {
    // The value of an environment variable; nullopt when it is not set.
    std::function<std::optional<std::string>(const char* name)> variable;
    // Whether the program can create files in an existing folder.
    std::function<bool(const std::string& folder)> writable;
    // Whether a program folder was laid out by an installation.
    std::function<bool(const std::string& folder)> installed;
};

// The process environment and the file system.
ConfigLookups SystemConfigLookups();

// True when Folder exists and this process may create files in it.
bool FolderWritable(const std::string& folder);

// The folder, with a trailing separator, for the files the wizard writes:
// ProgramFolder itself while it is writable and not installed; otherwise
// $XDG_CONFIG_HOME/zephyrix-trailwright/, or $HOME/.config/zephyrix-trailwright/
// when XDG_CONFIG_HOME is unset, empty or not absolute. Without a usable HOME
// either, ProgramFolder is kept, so that a later write reports its failure.
// The folder is not created here (see MakeConfigFolder).
std::string ConfigFolder(const std::string& programFolder, const ConfigLookups& lookups);

// Creates Folder and its missing parents (new folders private to the user,
// as XDG asks). True when the folder exists afterwards.
bool MakeConfigFolder(const std::string& folder);

} // namespace tw
