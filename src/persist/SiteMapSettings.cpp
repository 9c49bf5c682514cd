#include "persist/SiteMapSettings.h"

#include "support/ConfigFolder.h"
#include "support/NXFiles.h"

namespace tw {

TSiteMapSettings::TSiteMapSettings()
    : TSiteMapSettings(ConfigFolder(ProgramFolder(), SystemConfigLookups())) {}

TSiteMapSettings::TSiteMapSettings(const std::string& folder)
    : settingFile_(folder + kSettingsFileName) {}

TStreamObject SettingsStreamObject(TSiteMapSettings& settings) {
    TSiteMapSettings* s = &settings;
    TStreamObject object(kSettingsClassName);
    object
        .String(
            "LastFile", [s] { return s->LastFile(); },
            [s](const std::string& v) { s->SetLastFile(v); })
        .Boolean(
            "LoadLast", [s] { return s->LoadLast(); }, [s](bool v) { s->SetLoadLast(v); })
        .String(
            "SettingFile", [s] { return s->SettingFile(); },
            [s](const std::string& v) { s->SetSettingFile(v); });
    return object;
}

bool LoadSettingsFile(TSiteMapSettings& settings) {
    if (!FileExists(settings.SettingFile()))
        return false;
    TStreamObject object = SettingsStreamObject(settings);
    LoadObjectFile(settings.SettingFile(), object);
    return true;
}

void SaveSettingsFile(const TSiteMapSettings& settings, const TCreateFile& createFile) {
    TSiteMapSettings copy = settings; // the stream object binds a mutable instance
    SaveObjectFile(SettingsStreamObject(copy), copy.SettingFile(), createFile);
}

} // namespace tw
