#pragma once

#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "persist/SiteMapSettings.h"
#include "support/ConfigFolder.h"
#include "support/NXFiles.h"
#include "ui/GenerateRun.h"
#include "ui/ProfileCommands.h"
#include "ui/ScanSession.h"

#include <QPixmap>
#include <QStringList>
#include <QVector>
#include <QWidget>
#include <array>
#include <memory>
#include <string>

class QAbstractButton;
class QLabel;
class QMenu;
class QPushButton;
class QStackedWidget;

namespace tw::ui {

class ClickLabel;
class IDialogs;
class InformationPage;
class OutputSettingsPage;
class OutputStatusPage;
class ResultsPage;
class StatusPage;
class WizardPage;

// The wizard's main window: owns the profile and the site map tree, moves
// between the five pages and dispatches every push button by its tag. The
// profile files, the scan and the generation run are helpers it owns.
class TfrmSiteMapMain : public QWidget {
    Q_OBJECT
public:
    enum Page {
        kInformation = 0,
        kStatus = 1,
        kResults = 2,
        kOutputSettings = 3,
        kOutputStatus = 4
    };

    // Arguments are the program's command-line arguments after its name.
    // The program folder holds the help file and the item images; the
    // settings file, the preview file and the default profiles folder lie in
    // ConfigFolder's choice for it (the program folder itself while that is
    // writable). Tests give a folder of their own, and lookups of their own.
    TfrmSiteMapMain(IDialogs& dialogs, const QStringList& arguments,
                    std::string programFolder = ProgramFolder(), QWidget* parent = nullptr);
    TfrmSiteMapMain(IDialogs& dialogs, const QStringList& arguments, std::string programFolder,
                    const ConfigLookups& lookups, QWidget* parent = nullptr);
    ~TfrmSiteMapMain() override;

    int WizardPage() const { return wizardPage_; }
    bool Searching() const { return scan_->Searching(); }
    int FoundCount() const { return scan_->FoundCount(); }
    TMapProfile& Profile() { return profile_; }
    TSiteMapTree& Tree() { return tree_; }
    // The profile file named on the command line, opened at start-up once
    // profiles can be read.
    const QString& StartupProfileArgument() const { return profiles_->StartupProfile(); }

    InformationPage* Information() const { return information_; }
    StatusPage* Status() const { return status_; }
    ResultsPage* Results() const { return results_; }
    OutputSettingsPage* OutputSettings() const { return outputSettings_; }
    OutputStatusPage* OutputStatus() const { return outputStatus_; }
    QMenu* HelpMenu() const { return pumHelp_; }
    QVector<QPixmap> AnimationFrames() const { return ilAnimate_; }
    const std::string& ProgramFolderPath() const { return programFolder_; }
    const std::string& ConfigFolderPath() const { return configFolder_; }
    // Null until the first activation.
    TSiteMapSettings* Settings() const { return profiles_->Settings(); }
    bool FirstActivatePending() const { return firstActivate_; }
    bool Generating() const { return generate_->Running(); }
    const std::string& GeneratedText() const { return generate_->Text(); }

    // The shared click handler of every push button: dispatches by the
    // button's tag, and tells of a tag it does not know.
    void ButtonClick(QObject* sender);
    // The scan run of the status page; ends by moving on to the results.
    // Next runs it after its folder check; a folder may still go away between
    // the two, which callers may reproduce.
    void SearchFiles();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The window in named steps: the header, the five pages, the commands
    // over them, the button bar, and the wiring of the pages' buttons and
    // signals.
    void BuildWindow();
    void BuildHeader();
    void BuildPages();
    void CreateCommands(const QString& startupProfile);
    QWidget* BuildButtonBar();
    QWidget* BuildHelpArea();
    void ConnectPages();
    // Check Site on the results page: Next waits for it.
    void ConnectSiteCheck();
    void FormCreate();
    void SetupControls();
    // The one-time start-up at the first activation.
    void FormActivate();
    void LoadSearchAnimation();

    // The navigation.
    void UpdatePageState();
    void Next();
    void Back();
    void Cancel();
    // Next leaves neither a run's page nor the results while a check runs.
    bool NextAllowed() const;
    void SetRunCommandsEnabled(bool enabled);
    // A button's click, or a key that stands for one, when the button is
    // enabled.
    void Clicked(QAbstractButton* button);
    void UndefinedAction(QObject* sender);
    // Sets every control from the profile, then clears Modified.
    void ApplyProfile();
    // The generation run of the last page.
    void GenerateSiteMap();
    // Help, support and About.
    void ShowHelpFile();
    void ShowHelpMenu(const QPoint& globalPos);
    void miHelpClick();
    void miSupportClick();
    void miAboutClick();

    IDialogs& dialogs_;
    std::string programFolder_;
    std::string configFolder_;
    TMapProfile profile_;
    TSiteMapTree tree_;
    std::unique_ptr<ProfileCommands> profiles_;
    std::unique_ptr<ScanSession> scan_;
    std::unique_ptr<GenerateRun> generate_;
    bool firstActivate_ = true;
    int wizardPage_ = 0;
    QVector<QPixmap> ilAnimate_;

    QWidget* pnlHeader_ = nullptr;
    QLabel* lblHeader_ = nullptr;
    ClickLabel* imgHelp_ = nullptr;
    ClickLabel* lblHelp_ = nullptr;
    QMenu* pumHelp_ = nullptr;
    QStackedWidget* pcMain_ = nullptr;
    InformationPage* information_ = nullptr;
    StatusPage* status_ = nullptr;
    ResultsPage* results_ = nullptr;
    OutputSettingsPage* outputSettings_ = nullptr;
    OutputStatusPage* outputStatus_ = nullptr;
    // The five pages in their order.
    std::array<ui::WizardPage*, 5> pages_{};
    QPushButton* btnOpenProfile_ = nullptr;
    QPushButton* btnSaveProfile_ = nullptr;
    QPushButton* btnSaveProfileAs_ = nullptr;
    QPushButton* btnBack_ = nullptr;
    QPushButton* btnNext_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
};

} // namespace tw::ui
