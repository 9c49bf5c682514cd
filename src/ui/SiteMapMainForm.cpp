#include "ui/SiteMapMainForm.h"

#include "model/ProfileRules.h"
#include "output/SitemapJob.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/Guard.h"
#include "ui/InformationPage.h"
#include "ui/OutputSettingsPage.h"
#include "ui/OutputStatusPage.h"
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
    BuildWindow();
    CreateCommands(arguments.isEmpty() ? QString() : arguments.constFirst());
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
        profiles_->SaveSettings();
    } catch (const std::exception& e) {
        try {
            dialogs_.messageBox(nullptr, AppTitle(), ErrorBoxText(QString::fromUtf8(e.what())),
                                MsgIcon::Error, MsgButtons::Ok);
        } catch (...) {
        }
    }
    tree_.Clear();
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
    results_->SetExternalCache(configFolder_ + "external-links.json");
    outputSettings_ = new OutputSettingsPage(profile_, dialogs_);
    // The program folder is never made; a configuration folder is, when needed.
    outputSettings_->SetPreviewFolder(configFolder_, configFolder_ != programFolder_);
    outputStatus_ = new OutputStatusPage(profile_, dialogs_);
    pages_ = {information_, status_, results_, outputSettings_, outputStatus_};
    for (ui::WizardPage* page : pages_)
        pcMain_->addWidget(page);
}

void TfrmSiteMapMain::CreateCommands(const QString& startupProfile) {
    ProfileCommands::Hooks hooks;
    hooks.showProfile = [this] { ApplyProfile(); };
    hooks.showFirstPage = [this] {
        if (wizardPage_ == kInformation)
            return;
        wizardPage_ = kInformation;
        UpdatePageState();
        QCoreApplication::processEvents();
    };
    profiles_ =
        std::make_unique<ProfileCommands>(*this, dialogs_, profile_, *information_, programFolder_,
                                          configFolder_, startupProfile, std::move(hooks));
    scan_ = std::make_unique<ScanSession>(tree_, profile_, *status_, *results_);
    generate_ =
        std::make_unique<GenerateRun>(tree_, profile_, *outputStatus_, dialogs_, programFolder_);
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
        if (TSiteMapSettings* settings = profiles_->Settings())
            settings->SetLoadLast(on);
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
    scan_->ClearFoundCount();
    SetupControls();
    UpdatePageState();
    profiles_->UpdateCaption();
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
    scan_->SetWindowClosed(false);
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
    profiles_->LoadSettings();
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
        mayClose = profiles_->MayClose();
    });
    if (!mayClose) {
        event->ignore();
        return;
    }
    // A walk must not go on behind a closed window, whichever way it closed.
    scan_->Stop();
    results_->StopCheck();
    scan_->SetWindowClosed(true);
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
        // A running check stops before a profile command.
        case ButtonTag::OpenProfile:
            results_->StopCheck();
            profiles_->Open();
            break;
        case ButtonTag::SaveProfile:
            results_->StopCheck();
            (void)profiles_->Save();
            break;
        case ButtonTag::SaveProfileAs:
            results_->StopCheck();
            (void)profiles_->SaveAs();
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

void TfrmSiteMapMain::SearchFiles() {
    SetRunCommandsEnabled(false);
    const ScanSession::Outcome outcome = scan_->Run();
    SetRunCommandsEnabled(true);
    if (!outcome.Prepared) {
        // The folder went away after the check. The user can only fix that
        // on the information page, so the wizard goes back there.
        dialogs_.messageBox(this, AppTitle(), ErrorBoxText(outcome.Error), MsgIcon::Error,
                            MsgButtons::Ok);
        wizardPage_ = kInformation;
        UpdatePageState();
        information_->FocusIndex();
        return;
    }
    if (!outcome.Error.isEmpty())
        dialogs_.messageBox(this, AppTitle(), ErrorBoxText(outcome.Error), MsgIcon::Error,
                            MsgButtons::Ok);
    ButtonClick(btnNext_);
}

void TfrmSiteMapMain::ApplyProfile() {
    // A profile that names an output file has chosen it; one that does not
    // takes the proposal that follows its index page.
    outputSettings_->SetOutputChosen(!profile_.OutputFileName().empty());
    for (ui::WizardPage* page : pages_)
        page->ApplyProfile();
    profile_.SetModified(false);
}

void TfrmSiteMapMain::GenerateSiteMap() {
    if (generate_->Running())
        return;
    // Nothing may start a second run inside this one or change the tree
    // under the walk: Back, Finish and the profile commands wait for its end.
    SetRunCommandsEnabled(false);
    struct Finally {
        TfrmSiteMapMain* self;
        ~Finally() {
            self->btnCancel_->setText(u"Close"_s);
            self->SetRunCommandsEnabled(true);
            self->btnBack_->setEnabled(self->wizardPage_ >= kResults);
            self->btnNext_->setEnabled(self->wizardPage_ != kOutputStatus);
        }
    } finally{this};
    generate_->Run(outputSettings_->TakePlannedSitemaps(), *scan_);
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
