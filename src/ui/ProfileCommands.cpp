#include "ui/ProfileCommands.h"

#include "persist/ProfileFiles.h"
#include "support/ConfigFolder.h"
#include "support/NXFiles.h"
#include "ui/Dialogs.h"
#include "ui/Guard.h"
#include "ui/InformationPage.h"
#include "ui/Text.h"

#include <QWidget>

namespace tw::ui {

using namespace Qt::StringLiterals;

namespace {

const QString kProfileFilter = u"Zephyrix Trailwright Profile (*.zpf)|*.zpf"_s;

} // namespace

ProfileCommands::ProfileCommands(QWidget& window, IDialogs& dialogs, TMapProfile& profile,
                                 InformationPage& information, std::string programFolder,
                                 std::string configFolder, QString startupProfile, Hooks hooks)
    : window_(window), dialogs_(dialogs), profile_(profile), information_(information),
      programFolder_(std::move(programFolder)), configFolder_(std::move(configFolder)),
      startupProfile_(std::move(startupProfile)), hooks_(std::move(hooks)) {}

ProfileCommands::~ProfileCommands() = default;

void ProfileCommands::UpdateCaption() {
    window_.setWindowTitle(AppTitle() + u" - "_s + ToQ(profile_.FileName()));
}

MsgResult ProfileCommands::ConfirmSave() {
    return dialogs_.messageBox(
        &window_, u"Save Profile"_s,
        u"The settings for the current profile have changed.\n\nDo you wish to save this profile?"_s,
        MsgIcon::Question, MsgButtons::YesNoCancel);
}

bool ProfileCommands::MayClose() {
    if (!profile_.Modified())
        return true;
    switch (ConfirmSave()) {
    case MsgResult::Yes:
        return Save();
    case MsgResult::No:
        return true;
    default:
        return false;
    }
}

void ProfileCommands::Open() {
    if (profile_.Modified()) {
        MsgResult answer = ConfirmSave();
        if (answer == MsgResult::Cancel)
            return;
        if (answer == MsgResult::Yes && !Save())
            return;
    }
    const QString chosen = information_.PromptOpenFile(ToQ(profile_.FileName()), kProfileFilter);
    if (chosen.isEmpty())
        return;
    hooks_.showFirstPage();
    Load(ToStd(chosen));
}

void ProfileCommands::Load(const std::string& fileName) {
    // Records the file as the last one first, also for a read that fails.
    // The file is read into a copy, so that a read failing half way cannot
    // leave a half-changed profile behind controls that show the old values.
    TMapProfile loaded = profile_;
    loaded.SetFileName(fileName);
    try {
        tw::LoadProfile(loaded, fileName, settings_.get());
    } catch (...) {
        // A file that could not be read may be the user's only copy of the
        // profile: its name is not taken, so Save asks for one instead of
        // overwriting it.
        profile_.MakeUntitled();
        UpdateCaption();
        throw;
    }
    profile_ = std::move(loaded);
    hooks_.showProfile();
    UpdateCaption();
}

bool ProfileCommands::Save() {
    if (profile_.Untitled())
        return SaveAs();
    return Write();
}

bool ProfileCommands::SaveAs() {
    SaveFileRequest request;
    request.title = u"Save Profile As"_s;
    request.filter = kProfileFilter;
    request.defaultSuffix = u"zpf"_s;
    if (profile_.Untitled()) {
        // The profiles folder is proposed but never made by the program.
        request.startFolder = ToQ(configFolder_ + "Profiles" + kPathDelim);
        request.fileName = QString::fromLatin1(kUntitledProfileName);
    } else {
        const std::string folder = ExtractFilePath(profile_.FileName());
        if (FolderExists(folder))
            request.startFolder = ToQ(folder);
        request.fileName = ToQ(profile_.FileName());
    }
    QString chosen = dialogs_.saveFile(&window_, request);
    if (chosen.isEmpty())
        return false;
    if (ExtractFileExt(ToStd(chosen)).empty())
        chosen += QString::fromLatin1(kProfileExtension);
    profile_.SetFileName(ToStd(chosen));
    return Write();
}

bool ProfileCommands::Write() {
    tw::WriteProfile(profile_, settings_.get());
    UpdateCaption();
    return true;
}

void ProfileCommands::LoadSettings() {
    // Every path ends with the controls showing what the profile holds; an
    // error on the way is shown and the start goes on from the defaults.
    settings_ = std::make_unique<TSiteMapSettings>(configFolder_);
    Guarded(&window_, dialogs_, [this] {
        try {
            LoadSettingsFile(*settings_);
        } catch (...) {
            // A damaged file counts for nothing; it is replaced at exit.
            settings_ = std::make_unique<TSiteMapSettings>(configFolder_);
            throw;
        }
    });
    information_.SetLoadLast(settings_->LoadLast());
    hooks_.showProfile();
    UpdateCaption();
    std::string path;
    if (!startupProfile_.isEmpty()) {
        // The name wins over the last profile even when no such file exists:
        // the defaults are then shown under that name, and Save writes there.
        path = ToStd(startupProfile_);
        if (!FileExists(path)) {
            profile_.SetFileName(path);
            UpdateCaption();
            return;
        }
    } else if (settings_->LoadLast() && FileExists(settings_->LastFile())) {
        path = settings_->LastFile();
    } else {
        return;
    }
    Guarded(&window_, dialogs_, [this, &path] { Load(path); });
}

void ProfileCommands::SaveSettings() {
    // A window that never reached its first activation read no settings
    // and has none to write.
    if (!settings_)
        return;
    // A folder that cannot be made shows as the write's own error.
    if (configFolder_ != programFolder_)
        (void)MakeConfigFolder(configFolder_);
    SaveSettingsFile(*settings_);
}

} // namespace tw::ui
