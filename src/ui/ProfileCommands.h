#pragma once

#include "model/SiteMapProfile.h"
#include "persist/SiteMapSettings.h"

#include <QString>
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace tw::ui {

class IDialogs;
class InformationPage;
enum class MsgResult;

// The profile files of the window: Open, Save and Save As, the question
// before unsaved changes are lost, and the settings file with the last
// profile it names.
class ProfileCommands {
public:
    // What the commands need of the window beyond the profile.
    struct Hooks {
        // Every page shows the profile, which is then unmodified.
        std::function<void()> showProfile;
        // Open shows the information page before it reads the file.
        std::function<void()> showFirstPage;
    };

    // The settings file lies in ConfigFolder; the profile file named on
    // the command line, if any, is StartupProfile.
    ProfileCommands(QWidget& window, IDialogs& dialogs, TMapProfile& profile,
                    InformationPage& information, std::string programFolder,
                    std::string configFolder, QString startupProfile, Hooks hooks);
    ~ProfileCommands();

    void Open();
    // True when the profile was written.
    bool Save();
    bool SaveAs();
    // True: the window may close (its changes saved or given up).
    bool MayClose();
    // The start-up at the first activation: the settings file, then the
    // profile named on the command line or the last one saved.
    void LoadSettings();
    // At exit: the settings file, when the start-up read one.
    void SaveSettings();
    void UpdateCaption();

    // Null until the first activation.
    TSiteMapSettings* Settings() const { return settings_.get(); }
    const QString& StartupProfile() const { return startupProfile_; }

private:
    // The question before unsaved changes are lost: Yes, No or Cancel.
    MsgResult ConfirmSave();
    void Load(const std::string& fileName);
    bool Write();

    QWidget& window_;
    IDialogs& dialogs_;
    TMapProfile& profile_;
    InformationPage& information_;
    std::string programFolder_;
    std::string configFolder_;
    QString startupProfile_;
    Hooks hooks_;
    std::unique_ptr<TSiteMapSettings> settings_;
};

} // namespace tw::ui
