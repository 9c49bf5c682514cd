#pragma once

#include "persist/ComponentStream.h"

#include <string>

namespace tw {

inline constexpr const char* kSettingsFileName = "SiteMap.dat";

// What the program remembers between runs: the profile file used last and
// whether to reopen it. Assigning a property has no side effects.
class TSiteMapSettings {
public:
    // SettingFile is the running program's configuration folder (see
    // ConfigFolder) followed by "SiteMap.dat".
    TSiteMapSettings();
    // The same for another folder (one ending in a separator).
    explicit TSiteMapSettings(const std::string& folder);

    const std::string& LastFile() const { return lastFile_; }
    void SetLastFile(const std::string& value) { lastFile_ = value; }
    bool LoadLast() const { return loadLast_; }
    void SetLoadLast(bool value) { loadLast_ = value; }
    const std::string& SettingFile() const { return settingFile_; }
    void SetSettingFile(const std::string& value) { settingFile_ = value; }

private:
    std::string lastFile_;
    bool loadLast_ = false;
    std::string settingFile_;
};

inline constexpr const char* kSettingsClassName = "TSiteMapSettings";

// The settings' property list in stream order: LastFile, LoadLast, SettingFile.
TStreamObject SettingsStreamObject(TSiteMapSettings& settings);

// Reads the file at SettingFile into Settings when a file exists there; a
// missing file is no error and leaves the settings as they are. Returns
// whether a file was read. Raises "Cannot open file %s" or a stream error,
// keeping the values read before it.
bool LoadSettingsFile(TSiteMapSettings& settings);

// Writes Settings to the file SettingFile names. The previous file survives
// a failed write. Raises "Cannot create file %s" or "Stream write error".
void SaveSettingsFile(const TSiteMapSettings& settings, const TCreateFile& createFile = {});

} // namespace tw
