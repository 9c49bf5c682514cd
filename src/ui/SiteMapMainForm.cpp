#include "ui/SiteMapMainForm.h"

#include "model/ProfileRules.h"
#include "output/OutputTargets.h"
#include "output/PageWrapper.h"
#include "output/RobotsTxt.h"
#include "output/SitemapJob.h"
#include "persist/ProfileFiles.h"
#include "scan/IgnoreRules.h"
#include "scan/ScanRun.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/Guard.h"
#include "ui/InformationPage.h"
#include "ui/OutputPages.h"
#include "ui/ResultsPage.h"
#include "ui/ShellOpen.h"
#include "ui/SiteMapAboutForm.h"
#include "ui/SiteMapTreeModel.h"
#include "ui/StatusPage.h"
#include "ui/Text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <array>

namespace tw::ui {

using namespace Qt::StringLiterals;

namespace {

constexpr int kPageCount = 5;

const std::array<QString, kPageCount> kHeaderTitles{
    u"Gathering Information"_s, u"Processing Files"_s, u"Site Map Results"_s,
    u"Site Map Output File Settings"_s, u"Site Map Output File Creation"_s};

// Flat buttons that light up under the mouse and show where the focus is.
const QString kFlatButtons = u"QPushButton { border: 1px solid palette(mid); border-radius: 3px;"
                             u" padding: 4px 12px; min-width: 64px; background: palette(button); }"
                             u"QPushButton:hover { border-color: palette(highlight);"
                             u" background: palette(light); }"
                             u"QPushButton:pressed { background: palette(midlight); }"
                             u"QPushButton:focus { border: 2px solid palette(highlight);"
                             u" padding: 3px 11px; }"
                             u"QPushButton:disabled { border-color: palette(midlight); }"_s;

const QString kProfileFilter = u"Zephyrix Trailwright Profile (*.zpf)|*.zpf"_s;
const QString kEditorOption = u"Open as New Document in Zephyrix HTML Editor (Only available when "
                              u"run from within the Editor)"_s;
constexpr const char* kHelpFileName = "Trailwright.html";

// The caption of a help menu item without its dots, as its hint.
QString HintOf(QString caption) {
    while (caption.endsWith(u'.'))
        caption.chop(1);
    return caption;
}

} // namespace

TfrmSiteMapMain::TfrmSiteMapMain(IDialogs& dialogs, const QStringList& arguments,
                                 std::string programFolder, QWidget* parent)
    : TfrmSiteMapMain(dialogs, arguments, std::move(programFolder), SystemConfigLookups(), parent) {
}

TfrmSiteMapMain::TfrmSiteMapMain(IDialogs& dialogs, const QStringList& arguments,
                                 std::string programFolder, const ConfigLookups& lookups,
                                 QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), programFolder_(std::move(programFolder)),
      configFolder_(ConfigFolder(programFolder_, lookups)) {
    setObjectName(u"frmSiteMapMain"_s);
    if (!arguments.isEmpty())
        startupProfile_ = arguments.constFirst();
    BuildWindow();
    ConnectSiteCheck();
    FormCreate();
    // F1 works from every control of the window, whatever has the focus.
    qApp->installEventFilter(this);
}

TfrmSiteMapMain::~TfrmSiteMapMain() {
    qApp->removeEventFilter(this);
    // FormDestroy: the settings file first, then the tree. The program ends
    // whatever happens; an error is still told if a box can be shown.
    try {
        SaveSettings();
    } catch (const std::exception& e) {
        try {
            dialogs_.messageBox(nullptr, AppTitle(), ErrorBoxText(QString::fromUtf8(e.what())),
                                MsgIcon::Error, MsgButtons::Ok);
        } catch (...) {
        }
    }
    ClearMap();
    // The pages refer to the profile and the tree, which go before the
    // widget base does; the pages must go first.
    delete pcMain_;
    pcMain_ = nullptr;
}

void TfrmSiteMapMain::BuildWindow() {
    setWindowIcon(ProgramIcon());
    resize(640, 500);
    setMinimumSize(640, 500);

    BuildHeader();
    BuildPages();
    QWidget* buttonBar = BuildButtonBar();

    auto separator = [] {
        auto* line = new QFrame;
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pnlHeader_);
    layout->addWidget(separator());
    layout->addWidget(pcMain_, 1);
    layout->addWidget(separator());
    layout->addWidget(buttonBar);

    ConnectPages();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmSiteMapMain::BuildHeader() {
    pnlHeader_ = new QWidget;
    pnlHeader_->setObjectName(u"pnlHeader"_s);
    pnlHeader_->setFixedHeight(48);
    pnlHeader_->setAutoFillBackground(true);
    pnlHeader_->setBackgroundRole(QPalette::Window);
    auto* icon = new QLabel;
    icon->setObjectName(u"imgHeader"_s);
    icon->setPixmap(ProgramPicture(32));
    icon->setFixedSize(32, 32);
    lblHeader_ = new QLabel;
    lblHeader_->setObjectName(u"lblHeader"_s);
    QFont headerFont = lblHeader_->font();
    headerFont.setBold(true);
    headerFont.setPointSize(12);
    lblHeader_->setFont(headerFont);
    auto* headerLayout = new QHBoxLayout(pnlHeader_);
    headerLayout->setContentsMargins(10, 6, 10, 6);
    headerLayout->setSpacing(10);
    headerLayout->addWidget(icon);
    headerLayout->addWidget(lblHeader_, 1);
    headerLayout->addWidget(BuildHelpArea());
}

void TfrmSiteMapMain::BuildPages() {
    pcMain_ = new QStackedWidget;
    pcMain_->setObjectName(u"pcMain"_s);
    pcMain_->setFrameShape(QFrame::NoFrame);
    pcMain_->setAutoFillBackground(true);
    QPalette pagePalette = pcMain_->palette();
    pagePalette.setColor(QPalette::Window, QColor(0xF7, 0xF6, 0xF5));
    pcMain_->setPalette(pagePalette);
    pcMain_->setStyleSheet(kFlatButtons);

    information_ = new InformationPage(profile_, dialogs_);
    status_ = new StatusPage;
    results_ = new ResultsPage(tree_, profile_, dialogs_);
    information_->SetProgramFolder(programFolder_);
    information_->SetConfigFolder(configFolder_);
    outputSettings_ = new OutputSettingsPage(profile_, dialogs_);
    // The program folder is never made; a configuration folder is, when needed.
    outputSettings_->SetPreviewFolder(configFolder_, configFolder_ != programFolder_);
    outputStatus_ = new OutputStatusPage(profile_, dialogs_);
    pages_ = {information_, status_, results_, outputSettings_, outputStatus_};
    for (ui::WizardPage* page : pages_)
        pcMain_->addWidget(page);
}

QWidget* TfrmSiteMapMain::BuildButtonBar() {
    auto* bottom = new QWidget;
    bottom->setObjectName(u"pnlButtons"_s);
    bottom->setStyleSheet(kFlatButtons);
    btnOpenProfile_ = MakeButton(u"&Open..."_s, u"btnOpenProfile"_s, ButtonTag::OpenProfile);
    btnOpenProfile_->setToolTip(u"Open Saved Profile"_s);
    btnSaveProfile_ = MakeButton(u"&Save"_s, u"btnSaveProfile"_s, ButtonTag::SaveProfile);
    btnSaveProfile_->setToolTip(u"Save Profile"_s);
    btnSaveProfileAs_ =
        MakeButton(u"Sa&ve As..."_s, u"btnSaveProfileAs"_s, ButtonTag::SaveProfileAs);
    btnSaveProfileAs_->setToolTip(u"Save Profile As"_s);
    btnBack_ = MakeButton(u"&Back"_s, u"btnBack"_s, ButtonTag::Back);
    btnNext_ = MakeButton(u"&Next"_s, u"btnNext"_s, ButtonTag::Next);
    btnCancel_ = MakeButton(u"Cancel"_s, u"btnCancel"_s, ButtonTag::Cancel);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(8, 6, 8, 8);
    bottomLayout->setSpacing(6);
    bottomLayout->addWidget(btnOpenProfile_);
    bottomLayout->addWidget(btnSaveProfile_);
    bottomLayout->addWidget(btnSaveProfileAs_);
    bottomLayout->addStretch(1);
    bottomLayout->addWidget(btnBack_);
    bottomLayout->addWidget(btnNext_);
    bottomLayout->addSpacing(8);
    bottomLayout->addWidget(btnCancel_);
    return bottom;
}

void TfrmSiteMapMain::ConnectPages() {
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             btnOpenProfile_, btnSaveProfile_, btnSaveProfileAs_, btnBack_, btnNext_, btnCancel_})
        connect(b, &QAbstractButton::clicked, this, [this, b] { Clicked(b); });
    for (ui::WizardPage* page : pages_)
        connect(page, &ui::WizardPage::buttonClicked, this, &TfrmSiteMapMain::Clicked);
    connect(information_, &InformationPage::loadLastChanged, this, [this](bool on) {
        if (settings_)
            settings_->SetLoadLast(on);
    });
    connect(results_, &ResultsPage::ignoreListsChanged, information_,
            &InformationPage::ShowIgnoreLists);
    connect(information_, &InformationPage::defaultOutputFileProposed, outputSettings_,
            &OutputSettingsPage::ProposeOutputFile);
}

QWidget* TfrmSiteMapMain::BuildHelpArea() {
    auto* area = new QWidget;
    area->setObjectName(u"pnlHelp"_s);
    imgHelp_ = new ClickLabel;
    imgHelp_->setObjectName(u"imgHelp"_s);
    imgHelp_->setPixmap(HelpPicture(24));
    imgHelp_->setFixedSize(24, 24);
    imgHelp_->setCursor(Qt::PointingHandCursor);
    imgHelp_->setToolTip(u"Help"_s);
    lblHelp_ = new ClickLabel(u"Help"_s);
    lblHelp_->setObjectName(u"lblHelp"_s);
    QFont helpFont = lblHelp_->font();
    helpFont.setUnderline(true);
    helpFont.setPointSize(10);
    lblHelp_->setFont(helpFont);
    lblHelp_->setCursor(Qt::PointingHandCursor);
    // Reachable with Tab, opened with Space or Enter; the frame shows focus.
    lblHelp_->setFocusPolicy(Qt::StrongFocus);
    lblHelp_->setStyleSheet(u"QLabel { color: palette(highlight); border: 1px solid transparent;"
                            u" padding: 0px 2px; }"
                            u"QLabel:focus { border: 1px dotted palette(highlight); }"_s);
    lblHelp_->setAccessibleName(u"Help"_s);
    lblHelp_->setAccessibleDescription(u"Opens the help menu"_s);
    const auto open = [this](const QPoint& at) { ShowHelpMenu(at); };
    imgHelp_->SetHandler(open);
    lblHelp_->SetHandler(open);

    pumHelp_ = new QMenu(this);
    pumHelp_->setObjectName(u"pumHelp"_s);
    pumHelp_->setToolTipsVisible(true);
    auto item = [this](const QString& name, const QString& caption, const QIcon& icon,
                       void (TfrmSiteMapMain::*handler)()) {
        QAction* action = pumHelp_->addAction(icon, caption);
        action->setObjectName(name);
        action->setToolTip(HintOf(caption));
        action->setStatusTip(HintOf(caption));
        connect(action, &QAction::triggered, this, [this, handler] {
            Guarded(this, dialogs_, [this, handler] { (this->*handler)(); });
        });
    };
    item(u"miHelpFile"_s, u"Help..."_s, QIcon(HelpPicture(16)), &TfrmSiteMapMain::ShowHelpFile);
    item(u"miHelp"_s, u"Help Online..."_s, style()->standardIcon(QStyle::SP_DriveNetIcon),
         &TfrmSiteMapMain::miHelpClick);
    item(u"miSupport"_s, u"Support..."_s, style()->standardIcon(QStyle::SP_MessageBoxQuestion),
         &TfrmSiteMapMain::miSupportClick);
    pumHelp_->addSeparator();
    item(u"miAbout"_s, u"About..."_s, ProgramIcon(), &TfrmSiteMapMain::miAboutClick);

    auto* layout = new QHBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(imgHelp_);
    layout->addWidget(lblHelp_);
    return area;
}

void TfrmSiteMapMain::Clicked(QAbstractButton* button) {
    // A click from the keyboard lands a moment after the key (Qt animates
    // it), by which time a scan or generation may have disabled the
    // button: such a click must not start a second run inside the first.
    if (button->isEnabled())
        ButtonClick(button);
}

void TfrmSiteMapMain::FormCreate() {
    firstActivate_ = true;
    wizardPage_ = 0;
    foundCount_ = 0;
    SetupControls();
    UpdatePageState();
    UpdateCaption();
}

void TfrmSiteMapMain::SetupControls() {
    // Through the field's change handler, which stores the types in the
    // profile (and so marks the new profile modified).
    information_->SetFileTypesText(DefaultFileTypesText());
    pcMain_->setCurrentIndex(0);
    outputSettings_->SetEditorOptionCaption(kEditorOption);
}

bool TfrmSiteMapMain::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && firstActivate_)
        Guarded(this, dialogs_, [this] { FormActivate(); });
    return QWidget::event(event);
}

void TfrmSiteMapMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    closed_ = false;
    // Some desktops never activate a new window (focus stealing prevention,
    // a bare X server); the start-up then runs once the window is shown.
    if (firstActivate_)
        QTimer::singleShot(0, this, [this] {
            if (firstActivate_)
                Guarded(this, dialogs_, [this] { FormActivate(); });
        });
}

void TfrmSiteMapMain::FormActivate() {
    if (!firstActivate_)
        return;
    firstActivate_ = false;
    LoadSettings();
    information_->FocusIndex();
    LoadSearchAnimation();
}

void TfrmSiteMapMain::LoadSearchAnimation() {
    ilAnimate_ = SearchAnimationFrames();
    status_->Animation()->SetFrames(ilAnimate_);
}

bool TfrmSiteMapMain::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && watched->isWidgetType()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier &&
            static_cast<QWidget*>(watched)->window() == this) {
            // On the key's release, as a key-up handler would, so that the
            // release does not land in the box that may open.
            if (type == QEvent::KeyRelease && !key->isAutoRepeat())
                Guarded(this, dialogs_, [this] { ShowHelpFile(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmSiteMapMain::closeEvent(QCloseEvent* event) {
    bool mayClose = true;
    Guarded(this, dialogs_, [this, &mayClose] {
        mayClose = false;
        mayClose = FormCloseQuery();
    });
    if (!mayClose) {
        event->ignore();
        return;
    }
    // A walk must not go on behind a closed window, whichever way it closed.
    if (searching_ && scan_)
        scan_->Stop();
    results_->StopCheck();
    closed_ = true;
    event->accept();
}

void TfrmSiteMapMain::ButtonClick(QObject* sender) {
    Guarded(this, dialogs_, [this, sender] {
        switch (TagOf(sender)) {
        case ButtonTag::Undefined:
            UndefinedAction(sender);
            break;
        case ButtonTag::Next:
            Next();
            break;
        case ButtonTag::Back:
            Back();
            break;
        case ButtonTag::Cancel:
            Cancel();
            break;
        case ButtonTag::OpenProfile:
            OpenProfileCommand();
            break;
        case ButtonTag::SaveProfile:
            SaveProfileCommand();
            break;
        case ButtonTag::SaveProfileAs:
            SaveProfileAsCommand();
            break;
        default:
            // The other tags are the pages' own; 11 and numbers above 17
            // are nobody's and do nothing.
            for (ui::WizardPage* page : pages_)
                if (page->RunCommand(TagOf(sender)))
                    break;
            break;
        }
    });
}

void TfrmSiteMapMain::UndefinedAction(QObject* sender) {
    QString name = sender ? sender->objectName() : QString();
    dialogs_.messageBox(
        this, AppTitle(),
        u"Button Action Undefined for Control \""_s + name +
            u"\"\n\nPlease report this error.\n\nPress CTRL-C to copy this message."_s,
        MsgIcon::None, MsgButtons::Ok);
}

void TfrmSiteMapMain::UpdatePageState() {
    btnCancel_->setText(u"Cancel"_s);
    const int page = wizardPage_;
    btnBack_->setEnabled(page >= kResults);
    btnNext_->setEnabled(NextAllowed());
    btnNext_->setText(page >= kOutputSettings ? u"&Finish"_s : u"&Next"_s);
    lblHeader_->setText(AppTitle() + u" - "_s + kHeaderTitles[static_cast<size_t>(page)]);
    // The page is shown before its preview is rebuilt: a preview that cannot
    // be written must not leave the window on the page it came from.
    pcMain_->setCurrentIndex(page);
    if (page == kOutputSettings)
        outputSettings_->UpdatePreview();
}

void TfrmSiteMapMain::Next() {
    if (wizardPage_ >= kOutputStatus)
        return;
    if (!pages_[static_cast<size_t>(wizardPage_)]->MayLeave())
        return;
    ++wizardPage_;
    UpdatePageState();
    if (wizardPage_ == kStatus)
        SearchFiles();
    if (wizardPage_ == kOutputStatus)
        GenerateSiteMap();
}

void TfrmSiteMapMain::Back() {
    if (wizardPage_ <= kInformation)
        return;
    results_->StopCheck();
    // The status page is skipped: going back means scanning again.
    wizardPage_ -= wizardPage_ == kResults ? 2 : 1;
    UpdatePageState();
}

void TfrmSiteMapMain::Cancel() {
    if (searching_ && scan_)
        scan_->Stop();
    // Also when the close is refused: Cancel ends what runs.
    results_->StopCheck();
    close();
}

void TfrmSiteMapMain::ConnectSiteCheck() {
    // Next waits for a check's end; Back, Cancel, the profile commands and
    // the close box stop it.
    connect(results_, &ResultsPage::checkRunningChanged, this,
            [this] { btnNext_->setEnabled(NextAllowed()); });
}

bool TfrmSiteMapMain::NextAllowed() const {
    return wizardPage_ != kStatus && wizardPage_ != kOutputStatus && !results_->Checking();
}

void TfrmSiteMapMain::SetRunCommandsEnabled(bool enabled) {
    // While a walk runs nothing may start a second one inside it.
    btnOpenProfile_->setEnabled(enabled);
    btnSaveProfile_->setEnabled(enabled);
    btnSaveProfileAs_->setEnabled(enabled);
    if (!enabled) {
        btnNext_->setEnabled(false);
        btnBack_->setEnabled(false);
    }
}

void TfrmSiteMapMain::ClearMap() {
    tree_.Clear();
}

void TfrmSiteMapMain::SearchFiles() {
    BeginSearch();
    ScanRun run(tree_, profile_, status_);
    // What the sitemaps need comes from the scan's own reads; turned on
    // after the scan, they read it when written.
    scanReadFacts_ = profile_.XmlSitemap();
    scanReadPictures_ = profile_.XmlImages();
    run.SetFileTimesWanted(scanReadFacts_);
    run.SetPageFactsWanted(scanReadFacts_, scanReadPictures_);
    if (!PrepareScan(run))
        return;
    SiteMapTreeModel* model = results_->Model();
    model->Suspend();
    const QString walkError = WalkSite(run);
    ReportWalk(run);
    run.Finish();
    scannedFiles_ = CountSitemapFiles(tree_);
    model->Resume();
    results_->ShowScanResult();
    EndSearch(walkError);
}

void TfrmSiteMapMain::BeginSearch() {
    foundCount_ = 0;
    status_->SetFileCount(0);
    status_->SetTitle(u"Searching for files, please wait...."_s);
    SetRunCommandsEnabled(false);
    QCoreApplication::processEvents();
    status_->ClearLog();
    for (const std::string& entry : IgnoreEntriesMatchingNothing(profile_))
        status_->AppendLog(u"Warning: the ignore entry "_s + ToQ(entry) +
                           u" matches no folder or file of the site"_s);
    status_->ClearLocation();
    // Check Site checks the site as this scan sees it.
    results_->SetScannedProfile(profile_);
    ClearMap();
    status_->Animation()->Start();
}

bool TfrmSiteMapMain::PrepareScan(ScanRun& run) {
    try {
        run.Prepare();
        return true;
    } catch (const std::exception& e) {
        // The folder went away after the check. The user can only fix that on
        // the information page, so the wizard goes back there.
        status_->Animation()->Stop();
        SetRunCommandsEnabled(true);
        dialogs_.messageBox(this, AppTitle(), ErrorBoxText(QString::fromUtf8(e.what())),
                            MsgIcon::Error, MsgButtons::Ok);
        wizardPage_ = kInformation;
        UpdatePageState();
        information_->FocusIndex();
        return false;
    }
}

QString TfrmSiteMapMain::WalkSite(ScanRun& run) {
    QString walkError;
    scan_ = &run;
    searching_ = true;
    try {
        // A close accepted while the page was painted leaves nothing to walk.
        if (!closed_)
            run.Execute();
    } catch (const std::exception& e) {
        walkError = QString::fromUtf8(e.what());
    }
    searching_ = false;
    scan_ = nullptr;
    return walkError;
}

void TfrmSiteMapMain::ReportWalk(const ScanRun& run) {
    foundCount_ = run.FoundCount();
    status_->Flush();
    status_->SetFileCount(foundCount_);
    status_->Animation()->Stop();
    status_->AppendLog(u"Total Files: "_s + QString::number(foundCount_));
    // The root is shown under the tree before the pruning, which can take
    // it away when no file was added.
    if (SiteMapNode* root = tree_.First())
        results_->SetLinkFileName(ToQ(root->Data.FilePath));
}

void TfrmSiteMapMain::EndSearch(const QString& walkError) {
    status_->ClearLocation();
    status_->SetTitle(u"Search Complete! Press Next to View Results."_s);
    SetRunCommandsEnabled(true);
    if (!walkError.isEmpty())
        dialogs_.messageBox(this, AppTitle(), ErrorBoxText(walkError), MsgIcon::Error,
                            MsgButtons::Ok);
    ButtonClick(btnNext_);
}

// ---------------------------------------------------------------------------
// Profile files and settings

void TfrmSiteMapMain::UpdateCaption() {
    setWindowTitle(AppTitle() + u" - "_s + ToQ(profile_.FileName()));
}

MsgResult TfrmSiteMapMain::ConfirmSaveProfile() {
    return dialogs_.messageBox(
        this, u"Save Profile"_s,
        u"The settings for the current profile have changed.\n\nDo you wish to save this profile?"_s,
        MsgIcon::Question, MsgButtons::YesNoCancel);
}

bool TfrmSiteMapMain::FormCloseQuery() {
    if (!profile_.Modified())
        return true;
    switch (ConfirmSaveProfile()) {
    case MsgResult::Yes:
        return SaveProfile();
    case MsgResult::No:
        return true;
    default:
        return false;
    }
}

void TfrmSiteMapMain::OpenProfileCommand() {
    results_->StopCheck();
    if (profile_.Modified()) {
        MsgResult answer = ConfirmSaveProfile();
        if (answer == MsgResult::Cancel)
            return;
        if (answer == MsgResult::Yes && !SaveProfile())
            return;
    }
    const QString chosen = information_->PromptOpenFile(ToQ(profile_.FileName()), kProfileFilter);
    if (chosen.isEmpty())
        return;
    if (wizardPage_ != kInformation) {
        wizardPage_ = kInformation;
        UpdatePageState();
        QCoreApplication::processEvents();
    }
    LoadProfile(ToStd(chosen));
}

void TfrmSiteMapMain::LoadProfile(const std::string& fileName) {
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
    ApplyProfile();
    UpdateCaption();
}

void TfrmSiteMapMain::ApplyProfile() {
    // A profile that names an output file has chosen it; one that does not
    // takes the proposal that follows its index page.
    outputSettings_->SetOutputChosen(!profile_.OutputFileName().empty());
    for (ui::WizardPage* page : pages_)
        page->ApplyProfile();
    profile_.SetModified(false);
}

void TfrmSiteMapMain::SaveProfileCommand() {
    results_->StopCheck();
    (void)SaveProfile();
}

void TfrmSiteMapMain::SaveProfileAsCommand() {
    results_->StopCheck();
    (void)SaveProfileAs();
}

bool TfrmSiteMapMain::SaveProfile() {
    if (profile_.Untitled())
        return SaveProfileAs();
    return WriteProfile();
}

bool TfrmSiteMapMain::SaveProfileAs() {
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
    QString chosen = dialogs_.saveFile(this, request);
    if (chosen.isEmpty())
        return false;
    if (ExtractFileExt(ToStd(chosen)).empty())
        chosen += QString::fromLatin1(kProfileExtension);
    profile_.SetFileName(ToStd(chosen));
    return WriteProfile();
}

bool TfrmSiteMapMain::WriteProfile() {
    tw::WriteProfile(profile_, settings_.get());
    UpdateCaption();
    return true;
}

void TfrmSiteMapMain::LoadSettings() {
    // Every path ends with the controls showing what the profile holds; an
    // error on the way is shown and the start goes on from the defaults.
    settings_ = std::make_unique<TSiteMapSettings>(configFolder_);
    Guarded(this, dialogs_, [this] {
        try {
            LoadSettingsFile(*settings_);
        } catch (...) {
            // A damaged file counts for nothing; it is replaced at exit.
            settings_ = std::make_unique<TSiteMapSettings>(configFolder_);
            throw;
        }
    });
    information_->SetLoadLast(settings_->LoadLast());
    ApplyProfile();
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
    Guarded(this, dialogs_, [this, &path] { LoadProfile(path); });
}

void TfrmSiteMapMain::SaveSettings() {
    // A window that never reached its first activation read no settings
    // and has none to write.
    if (!settings_)
        return;
    // A folder that cannot be made shows as the write's own error.
    if (configFolder_ != programFolder_)
        (void)MakeConfigFolder(configFolder_);
    SaveSettingsFile(*settings_);
}

// ---------------------------------------------------------------------------
// Output

void TfrmSiteMapMain::GenerateSiteMap() {
    if (generating_)
        return;
    generating_ = true;
    // Nothing may start a second run inside this one or change the tree
    // under the walk: Back, Finish and the profile commands wait for its end.
    SetRunCommandsEnabled(false);
    struct Finally {
        TfrmSiteMapMain* self;
        ~Finally() {
            self->outputStatus_->Complete();
            self->btnCancel_->setText(u"Close"_s);
            self->generating_ = false;
            self->SetRunCommandsEnabled(true);
            self->btnBack_->setEnabled(self->wizardPage_ >= kResults);
            self->btnNext_->setEnabled(self->wizardPage_ != kOutputStatus);
        }
    } finally{this};

    QCoreApplication::processEvents();
    const bool toEditor = profile_.OutputType() == TMapOutputType::moutEditor;
    const int count = tree_.Count();
    outputStatus_->BeginRun(count, toEditor ? u"Generating Site Map to Open in Editor..."_s
                                            : u"Generating Site Map to specified file..."_s);
    QCoreApplication::processEvents();

    // The page is built whole in one string: no copy of megabytes to wrap it.
    GenerationProgress progress(*outputStatus_, count);
    generatedText_ = SiteMapPageHead(profile_);
    BuildSiteMapTo(tree_, profile_, &progress,
                   [this](std::string_view piece) { generatedText_ += piece; });
    generatedText_ += SiteMapPageFoot();
    progress.Flush();

    if (toEditor) {
        outputStatus_->ShowResult(
            u"Your generated Site Map is ready to be opened in the Editor."_s);
    } else {
        WriteOutputFiles();
    }
    outputStatus_->SetLabelsBold(true);
}

void TfrmSiteMapMain::WriteOutputFiles() {
    // Planned at Finish; a run started otherwise plans here, before the page
    // is replaced, so that a setting that cannot work changes nothing.
    std::unique_ptr<SitemapJob> job = outputSettings_->TakePlannedSitemaps();
    if (!job)
        job = SitemapJob::Plan(profile_);
    outputStatus_->ClearFiles();
    const std::string page = profile_.OutputFileName();
    const int pageLine = outputStatus_->AddFile(u"Site map page"_s, ToQ(page));
    try {
        SaveSiteMapPage(generatedText_, profile_, programFolder_);
    } catch (...) {
        outputStatus_->FileFailed(pageLine, u"Not written"_s);
        throw;
    }
    outputStatus_->FileWritten(pageLine);
    if (profile_.AddImages())
        for (const char* image : kItemImages) {
            const std::string path = ExtractFilePath(page) + image;
            if (FileExists(path))
                outputStatus_->FileWritten(outputStatus_->AddFile(u"Item image"_s, ToQ(path)));
        }
    outputStatus_->ShowWritten(ToQ(page), generatedText_);
    if (job)
        WriteSitemaps(*job);
}

void TfrmSiteMapMain::WriteSitemaps(SitemapJob& job) {
    // Each line is there before its file is written, so that a failure
    // marks the file it was at.
    std::map<std::string, int> lines;
    auto line = [this, &lines](const QString& what, const std::string& path) {
        auto [it, added] = lines.emplace(path, 0);
        if (added)
            it->second = outputStatus_->AddFile(what, ToQ(path));
        return it->second;
    };
    line(u"XML sitemap"_s, job.XmlOutput());
    if (!job.TextOutput().empty())
        line(u"Text sitemap"_s, job.TextOutput());
    if (!job.RobotsTxtPath().empty())
        line(u"robots.txt"_s, job.RobotsTxtPath());
    QCoreApplication::processEvents();
    auto countOf = [](size_t count, const char* singular, const char* plural) {
        return ToQ(CountOf(static_cast<long long>(count), singular, plural));
    };
    // Pages the user deleted or ignored since the scan are told apart.
    job.SetScannedFiles(scannedFiles_);
    try {
        SitemapJob::Outcome outcome = job.Write(
            tree_,
            [&](const SitemapJobFile& file) {
                using Kind = SitemapJobFile::Kind;
                QString what = u"XML sitemap"_s;
                QString note = countOf(file.Entries, "URL", "URLs");
                if (file.FileKind == Kind::XmlIndex) {
                    // The file planned as the sitemap became the index of numbered ones.
                    what = u"Sitemap index"_s;
                    note = countOf(file.Entries, "sitemap", "sitemaps");
                } else if (file.FileKind == Kind::Text) {
                    what = u"Text sitemap"_s;
                } else if (file.FileKind == Kind::RobotsTxt) {
                    what = u"robots.txt"_s;
                    note = file.Entries > 0 ? QString() : u"already names it"_s;
                }
                outputStatus_->FileWritten(line(what, file.Path), note, what);
            },
            // Pictures asked for after a head-only scan need the pages again.
            scanReadFacts_ && (scanReadPictures_ || !profile_.XmlImages()));
        // Not a file: how much of the site the sitemaps list, and why not the rest.
        const SearchSitemapResult& result = outcome.Result;
        outputStatus_->FileWritten(
            outputStatus_->AddFile(u"Pages listed"_s, ToQ(SitemapListedText(result))),
            QString::number(result.Urls) + u" of "_s + QString::number(SitemapPages(result)));
        // Another run's sitemaps may still be served: shown, never deleted.
        for (const std::string& path : result.LeftBehind)
            outputStatus_->FileWritten(outputStatus_->AddFile(u"Older sitemap"_s, ToQ(path)),
                                       u"not written now, not deleted"_s);
        if (outcome.RobotsTxtLonger)
            outputStatus_->FileWritten(
                outputStatus_->AddFile(u"robots.txt"_s,
                                       ToQ(job.Options().SiteFolder + "robots.txt")),
                u"longer than %1 KiB, where crawlers may stop reading: only its start was read"_s
                    .arg(kRobotsTxtReadLimit / 1024));
        for (const SitemapBadAlternates& page : result.BadAlternates)
            outputStatus_->FileWritten(
                outputStatus_->AddFile(u"Alternates left out"_s, ToQ(page.Page)),
                ToQ(SitemapBadAlternatesText(page)));
        if (outcome.RobotsTxtNamesOtherForm)
            outputStatus_->FileWritten(
                outputStatus_->AddFile(u"robots.txt"_s, ToQ(job.RobotsTxtPath())),
                u"also names "_s + ToQ(result.OtherFormURL));
    } catch (const std::exception& e) {
        // The page stays written; the line the run was at shows the failure.
        const QString error = QString::fromUtf8(e.what());
        // The file the error names, else the first one still waiting.
        int failed = outputStatus_->FirstWaitingFile();
        for (const auto& [path, at] : lines)
            if (error.contains(ToQ(path)))
                failed = at;
        outputStatus_->FileFailed(failed, error);
        outputStatus_->FilesNotWritten();
        dialogs_.messageBox(this, AppTitle(), ErrorBoxText(error), MsgIcon::Error, MsgButtons::Ok);
    }
}

// ---------------------------------------------------------------------------
// Help, support and About

void TfrmSiteMapMain::ShowHelpFile() {
    const std::string path = programFolder_ + kHelpFileName;
    if (FileExists(path)) {
        // The result is not reported: the shell tells of a long name itself.
        (void)ShellOpenFile(dialogs_, this, ToQ(path), QString(), QString(), kShowNormal);
        return;
    }
    dialogs_.messageBox(this, u"File Not Found"_s,
                        u"The help file could not be found:\n\n"_s + ToQ(path), MsgIcon::Error,
                        MsgButtons::Ok);
}

void TfrmSiteMapMain::ShowHelpMenu(const QPoint& globalPos) {
    pumHelp_->popup(globalPos);
}

void TfrmSiteMapMain::miHelpClick() {
    OpenDocument(dialogs_, QString::fromLatin1(kOnlineHelpUrl), this);
}

void TfrmSiteMapMain::miSupportClick() {
    OpenDocument(dialogs_, QString::fromLatin1(kSupportUrl), this);
}

void TfrmSiteMapMain::miAboutClick() {
    ShowAboutBox(dialogs_, this);
}

} // namespace tw::ui
