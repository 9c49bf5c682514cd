#pragma once

#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "output/SearchSitemaps.h"
#include "persist/SiteMapSettings.h"
#include "support/ConfigFolder.h"
#include "support/NXFiles.h"

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

namespace tw {
class ScanRun;
class SitemapJob;
} // namespace tw

namespace tw::ui {

class ClickLabel;
class IDialogs;
class InformationPage;
enum class MsgResult;
class OutputSettingsPage;
class OutputStatusPage;
class ResultsPage;
class StatusPage;
class WizardPage;

// The wizard's main window: owns the profile and the site map tree, moves
// between the five pages and dispatches every push button by its tag.
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
    bool Searching() const { return searching_; }
    int FoundCount() const { return foundCount_; }
    TMapProfile& Profile() { return profile_; }
    TSiteMapTree& Tree() { return tree_; }
    // The profile file named on the command line, opened at start-up once
    // profiles can be read.
    const QString& StartupProfileArgument() const { return startupProfile_; }

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
    TSiteMapSettings* Settings() const { return settings_.get(); }
    bool FirstActivatePending() const { return firstActivate_; }
    bool Generating() const { return generating_; }
    const std::string& GeneratedText() const { return generatedText_; }

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
    // The commands: the buttons, the help menu and the window's events run
    // them.
    void UpdatePageState();
    void ClearMap();
    void UpdateCaption();
    // The one-time start-up at the first activation.
    void FormActivate();

    // Commands of the profile files.
    void OpenProfileCommand();
    void SaveProfileCommand();
    void SaveProfileAsCommand();
    void LoadSettings();
    void SaveSettings();
    // The question before unsaved changes are lost: Yes, No or Cancel.
    MsgResult ConfirmSaveProfile();
    // True: the window may close.
    bool FormCloseQuery();
    void LoadProfile(const std::string& fileName);
    // Sets every control from the profile, then clears Modified.
    void ApplyProfile();
    // True when the profile was written.
    bool SaveProfile();
    bool SaveProfileAs();
    bool WriteProfile();
    // The generation run of the last page.
    void GenerateSiteMap();
    // The page, its item images and the sitemaps, each listed on the status page.
    void WriteOutputFiles();
    void WriteSitemaps(SitemapJob& job);
    // Help, support and About.
    void ShowHelpFile();
    void ShowHelpMenu(const QPoint& globalPos);
    void miHelpClick();
    void miSupportClick();
    void miAboutClick();

    // The window in named steps: the header, the five pages, the button bar,
    // and the wiring of the pages' buttons and signals.
    void BuildWindow();
    void BuildHeader();
    void BuildPages();
    QWidget* BuildButtonBar();
    void ConnectPages();
    // The scan in steps: the page made ready, the folder found (false: the
    // wizard went back), the walk (its error, if any), its figures, the end.
    void BeginSearch();
    bool PrepareScan(ScanRun& run);
    QString WalkSite(ScanRun& run);
    void ReportWalk(const ScanRun& run);
    void EndSearch(const QString& walkError);
    void FormCreate();
    void SetupControls();
    void LoadSearchAnimation();
    void Next();
    void Back();
    void Cancel();
    void UndefinedAction(QObject* sender);
    // A button's click, or a key that stands for one, when the button is enabled.
    void Clicked(QAbstractButton* button);
    void SetRunCommandsEnabled(bool enabled);
    QWidget* BuildHelpArea();
    // Check Site on the results page: Next waits for it.
    void ConnectSiteCheck();
    // Next leaves neither a run's page nor the results while a check runs.
    bool NextAllowed() const;

    IDialogs& dialogs_;
    QString startupProfile_;
    std::string programFolder_;
    std::string configFolder_;
    TMapProfile profile_;
    TSiteMapTree tree_;
    std::unique_ptr<TSiteMapSettings> settings_;
    // The last fragment, then the whole page of the last run.
    std::string generatedText_;
    bool generating_ = false;
    bool firstActivate_ = true;
    int wizardPage_ = 0;
    int foundCount_ = 0;
    bool searching_ = false;
    bool closed_ = false;
    ScanRun* scan_ = nullptr;
    // Whether the last scan read what pages say of themselves, which the
    // sitemaps' rules need.
    bool scanReadFacts_ = false;
    bool scanReadPictures_ = false;
    // The tree's files as the last scan left them, before any edit.
    SitemapFileCount scannedFiles_;
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
