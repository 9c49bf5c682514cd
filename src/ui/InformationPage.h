#pragma once

#include "model/SiteMapProfile.h"
#include "ui/WizardPage.h"

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tw::ui {

class IDialogs;

// Wizard page 0: the site's index page, the file types, the two ignore lists
// and the options. Every control writes straight into the profile.
class InformationPage : public WizardPage {
    Q_OBJECT
public:
    InformationPage(TMapProfile& profile, IDialogs& dialogs, QWidget* parent = nullptr);

    QPushButton* RemoveFolderButton() const { return btnRemoveFolder_; }
    QPushButton* RemoveFileButton() const { return btnFileRemove_; }

    // The index page's Browse, the ignore lists' buttons and Reset.
    bool RunCommand(ButtonTag tag) override;
    // Next scans only a folder that exists, with file types to list, and
    // asks before it scans the folder of an index page that does not exist.
    bool MayLeave() override;

    // The open-file dialog shared with the profile Open command: the chosen
    // file's full path, or empty when cancelled.
    QString PromptOpenFile(const QString& name, const QString& filter);

    // The lists show the profile's ignore lists, which the scan reads.
    void ShowIgnoreLists();

    void SetFileTypesText(const QString& text);
    void FocusIndex();
    // The page's part of showing a profile: the index page to the page
    // titles option, each through its control.
    void ApplyProfile() override;
    // The folder the dialogs fall back on.
    void SetProgramFolder(const std::string& folder) { programFolder_ = folder; }
    const std::string& ProgramFolderPath() const { return programFolder_; }
    // The folder the default profiles folder lies in.
    void SetConfigFolder(const std::string& folder) { configFolder_ = folder; }
    bool LoadLast() const { return loadLast_; }
    // Sets the check box; its click stores the state in the settings.
    void SetLoadLast(bool on);
    const std::string& IgnoreFolderRoot() const { return ignoreFolderRoot_; }

signals:
    // editIndexChange proposes the default output file for page 3.
    void defaultOutputFileProposed(const QString& fileName);
    // The state of "Load Last Saved Profile on next Startup" changed.
    void loadLastChanged(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The constructor in steps: the controls, their places, their handlers.
    void CreateControls();
    void LayOutControls();
    void ConnectControls();
    void FocusFileTypes();
    void editIndexButtonClick();
    void AddIgnoreFolder();
    void RemoveIgnoreFolders();
    void AddIgnoreFiles();
    void RemoveIgnoreFiles();
    void ResetFileTypes();
    void editIndexChange(const QString& text);
    void editFileTypesChange(const QString& text);
    void lstIgnoreFoldersClick();
    void lstIgnoreFilesClick();
    // The combo's choice and the text to cut, as the command line's
    // --trim-titles stores them.
    void TrimTitlesChange();
    void StoreIgnoreFolders();
    void StoreIgnoreFiles();
    void RemoveSelected(QListWidget* list, void (InformationPage::*store)(),
                        void (InformationPage::*click)());
    static std::vector<std::string> Entries(const QListWidget* list);
    static int FindEntry(const QListWidget* list, const std::string& entry);

    TMapProfile& profile_;
    IDialogs& dialogs_;
    std::string ignoreFolderRoot_;
    std::string lastIgnoreFolder_;
    std::string programFolder_;
    std::string configFolder_;
    bool loadLast_ = false;

    QLineEdit* editIndex_;
    QPushButton* btnBrowse_;
    QLineEdit* editFileTypes_;
    bool applying_ = false; // ApplyProfile is filling the fields
    QPushButton* btnResetTypes_;
    QListWidget* lstIgnoreFolders_;
    QPushButton* btnAddFolder_;
    QPushButton* btnRemoveFolder_;
    QListWidget* lstIgnoreFiles_;
    QPushButton* btnFileAdd_;
    QPushButton* btnFileRemove_;
    QCheckBox* chkUsePageTitles_;
    QCheckBox* chkLoadLast_;
    QComboBox* cbTrimTitles_;
    QLineEdit* editTrimTitlesText_;
    QCheckBox* chkFolderTitles_;
    QCheckBox* chkSortByName_;
};

// The file types of a new profile and of Reset.
QString DefaultFileTypesText();

} // namespace tw::ui
