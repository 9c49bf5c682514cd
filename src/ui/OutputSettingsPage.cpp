#include "ui/OutputSettingsPage.h"

#include "model/ProfileRules.h"
#include "output/OutputTargets.h"
#include "output/PageTemplate.h"
#include "output/PreviewPage.h"
#include "output/SitemapJob.h"
#include "support/ConfigFolder.h"
#include "support/NXFiles.h"
#include "ui/ColorPickerButton.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/Guard.h"
#include "ui/ModernOptionsDialog.h"
#include "ui/Text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tw::ui {

using namespace Qt::StringLiterals;

namespace {

// The pickers in the order of the profile's colour table.
struct ColorBinding {
    const char* name;
    const char* label;
    const PageColour& colour;
};

constexpr std::array<ColorBinding, OutputSettingsPage::kColorCount> kColors{{
    {"cpbBackground", "Back&ground", kPageColours[0]},
    {"cpbText", "&Text", kPageColours[1]},
    {"cpbLink", "&Link", kPageColours[2]},
    {"cpbVisited", "Visited Lin&k", kPageColours[3]},
    {"cpbActive", "&Active Link", kPageColours[4]},
}};
static_assert(kPageColours.size() == OutputSettingsPage::kColorCount);

const QString kHtmlFilter = u"HTML Files (*.htm, *.html)|*.htm;*.html"_s;

QRadioButton* MakeRadio(const QString& caption, const QString& name) {
    auto* radio = new QRadioButton(caption);
    radio->setObjectName(name);
    return radio;
}

QGroupBox* MakeGroup(const QString& caption, const QString& name) {
    auto* group = new QGroupBox(caption);
    group->setObjectName(name);
    return group;
}

} // namespace

OutputSettingsPage::OutputSettingsPage(TMapProfile& profile, IDialogs& dialogs, QWidget* parent)
    : WizardPage(parent), profile_(profile), dialogs_(dialogs), previewFolder_(ProgramFolder()) {
    setObjectName(u"tsOutputSettings"_s);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 10, 12, 8);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    grid->addWidget(BuildOutputType(), 0, 0, 1, 2);
    // Template: under the colours, where the window's smallest height has room.
    auto* colorsAndTemplate = new QVBoxLayout;
    colorsAndTemplate->setSpacing(8);
    colorsAndTemplate->addWidget(BuildPageColors(), 1);
    colorsAndTemplate->addWidget(BuildTemplate());
    grid->addLayout(colorsAndTemplate, 1, 0);
    grid->addWidget(BuildFormatAndOptions(), 1, 1);
    grid->addWidget(BuildSearchEngines(), 2, 0, 1, 2, Qt::AlignBottom);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(2, 1);
}

QGroupBox* OutputSettingsPage::BuildOutputType() {
    auto* group = MakeGroup(u" Output Type "_s, u"gbOutputType"_s);
    rbOutputFile_ = MakeRadio(u"F&ile:"_s, u"rbOutputFile"_s);
    rbOutputFile_->setChecked(true);
    editOutputFile_ = new QLineEdit;
    editOutputFile_->setObjectName(u"editOutputFile"_s);
    // The radio button is the field's caption but cannot be its buddy.
    editOutputFile_->setAccessibleName(u"Output File:"_s);
    btnOutputFileBrowse_ =
        MakeCommandButton(u"Bro&wse..."_s, u"btnOutputFileBrowse"_s, ButtonTag::BrowseOutputFile);
    rbOutputEditor_ = MakeRadio(QString(), u"rbOutputEditor"_s);
    rbOutputEditor_->setEnabled(false);

    // The clipboard and insert targets exist for profiles that name them,
    // but are never shown.
    rbOutputClipBoard_ = MakeRadio(u"Clipboard"_s, u"rbOutputClipBoard"_s);
    rbOutputInsert_ = MakeRadio(u"Insert into File:"_s, u"rbOutputInsert"_s);
    editOutputInsert_ = new QLineEdit;
    editOutputInsert_->setObjectName(u"editOutputInsert"_s);
    btnOutputInsertBrowse_ =
        MakeButton(u"Browse..."_s, u"btnOutputInsertBrowse"_s, ButtonTag::BrowseOutputInsert);
    lblOutputInsertHowTo_ = new QLabel;
    lblOutputInsertHowTo_->setObjectName(u"lblOutputInsertHowTo"_s);
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{rbOutputClipBoard_, rbOutputInsert_, editOutputInsert_,
                                         btnOutputInsertBrowse_, lblOutputInsertHowTo_}) {
        hidden->setParent(group);
        hidden->hide();
        hidden->setEnabled(false);
    }

    outputTypes_ = new QButtonGroup(group);
    for (QRadioButton* rb : {rbOutputClipBoard_, rbOutputFile_, rbOutputInsert_, rbOutputEditor_})
        outputTypes_->addButton(rb);

    auto* layout = new QGridLayout(group);
    layout->setHorizontalSpacing(6);
    layout->addWidget(rbOutputFile_, 0, 0);
    layout->addWidget(editOutputFile_, 0, 1);
    layout->addWidget(btnOutputFileBrowse_, 0, 2);
    layout->addWidget(rbOutputEditor_, 1, 0, 1, 3);
    layout->setColumnStretch(1, 1);

    for (QRadioButton* rb : {rbOutputClipBoard_, rbOutputFile_, rbOutputInsert_, rbOutputEditor_})
        connect(rb, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                OutputTypeOptionClick();
        });
    connect(editOutputFile_, &QLineEdit::textChanged, this,
            [this](const QString& text) { profile_.SetOutputFileName(ToStd(text)); });
    connect(editOutputFile_, &QLineEdit::textEdited, this, [this] { outputChosen_ = true; });
    connect(editOutputInsert_, &QLineEdit::textChanged, this,
            [this](const QString& text) { profile_.SetOutputInsert(ToStd(text)); });
    return group;
}

QGroupBox* OutputSettingsPage::BuildPageColors() {
    gbPageColors_ = MakeGroup(u" Output Page Colors "_s, u"gbPageColors"_s);
    auto* pickers = new QGridLayout;
    pickers->setVerticalSpacing(6);
    pickers->setHorizontalSpacing(8);
    for (int i = 0; i < kColorCount; ++i) {
        const ColorBinding& binding = kColors[static_cast<size_t>(i)];
        auto* picker = new ColorPickerButton(dialogs_);
        picker->setObjectName(QString::fromLatin1(binding.name));
        // The colours of a new profile, before any handler is connected.
        picker->SetColor(binding.colour.Default);
        auto* label = new QLabel(QString::fromLatin1(binding.label));
        label->setObjectName(u"lbl"_s + QString::fromLatin1(binding.name + 3));
        SetBuddy(label, picker);
        pickers->addWidget(label, i, 0);
        pickers->addWidget(picker, i, 1);
        pickers_[static_cast<size_t>(i)] = picker;
        connect(picker, &ColorPickerButton::Changed, this, [this, i] {
            // A user's pick ends here; its error (the preview file) is shown.
            Guarded(this, dialogs_, [this, i] { PickerChange(i); });
        });
        connect(picker, &ColorPickerButton::NoneSelected, this,
                [this, picker] { ColorPickerDefaultSelect(picker); });
    }
    btnResetColors_ = MakeCommandButton(u"&Reset Colors To Defaults"_s, u"btnResetColors"_s,
                                        ButtonTag::ResetColors);
    btnResetColors_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    pickers->addWidget(btnResetColors_, kColorCount, 0, 1, 2);
    pickers->setRowStretch(kColorCount + 1, 1);

    htmlPreview_ = new QTextBrowser;
    htmlPreview_->setObjectName(u"htmlPreview"_s);
    htmlPreview_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    htmlPreview_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    htmlPreview_->setOpenLinks(false);
    htmlPreview_->setTabChangesFocus(true);
    QFont previewFont = htmlPreview_->font();
    previewFont.setPointSize(10);
    htmlPreview_->document()->setDefaultFont(previewFont);
    htmlPreview_->setMinimumSize(120, 110);
    auto* previewLabel = new QLabel(u"Page Preview:"_s);
    previewLabel->setObjectName(u"lblPagePreview"_s);
    SetBuddy(previewLabel, htmlPreview_);
    auto* preview = new QVBoxLayout;
    preview->setSpacing(4);
    preview->addWidget(previewLabel);
    preview->addWidget(htmlPreview_, 1);

    auto* layout = new QHBoxLayout(gbPageColors_);
    layout->setSpacing(12);
    layout->addLayout(pickers);
    layout->addLayout(preview, 1);
    return gbPageColors_;
}

QWidget* OutputSettingsPage::BuildFormatAndOptions() {
    auto* format = MakeGroup(u" Output Format "_s, u"gbOutputFormat"_s);
    rbOutputUnnumberedList_ =
        MakeRadio(u"&Unnumbered Indented Lists"_s, u"rbOutputUnnumberedList"_s);
    rbOutputUnnumberedList_->setChecked(true);
    rbOutputParagraph_ = MakeRadio(u"Simple &Paragraphs"_s, u"rbOutputParagraph"_s);
    rbOutputModern_ = MakeRadio(u"Modern HTML&5 page"_s, u"rbOutputModern"_s);
    // Outside the window's numbered commands: the page handles it itself.
    btnModernOptions_ =
        MakeButton(u"La&yout Options..."_s, u"btnModernOptions"_s, ButtonTag::OwnHandler);
    btnModernOptions_->setAccessibleDescription(
        u"Language, title, folding, filter box and credit of the modern page"_s);
    btnModernOptions_->setEnabled(false);
    connect(btnModernOptions_, &QPushButton::clicked, this,
            [this] { Guarded(this, dialogs_, [this] { EditModernOptions(); }); });
    // Under its choice, as the folder images' option is under the images'.
    auto* modernRow = new QHBoxLayout;
    modernRow->addSpacing(20);
    modernRow->addWidget(btnModernOptions_);
    modernRow->addStretch(1);
    auto* formatLayout = new QVBoxLayout(format);
    formatLayout->setSpacing(4);
    formatLayout->addWidget(rbOutputUnnumberedList_);
    formatLayout->addWidget(rbOutputParagraph_);
    formatLayout->addWidget(rbOutputModern_);
    formatLayout->addLayout(modernRow);

    auto* options = MakeGroup(u" Output Options "_s, u"gbOutputOptions"_s);
    chkClassAttribs_ = MakeCheckBox(u"Use Style S&heet for Items"_s, u"chkClassAttribs"_s);
    chkAddImages_ = MakeCheckBox(u"Add I&mages for Items"_s, u"chkAddImages"_s);
    chkNoFolderImages_ =
        MakeCheckBox(u"Don't in&clude images for folders"_s, u"chkNoFolderImages"_s);
    chkNoFolderImages_->setEnabled(false);
    chkDontLinkFolders_ = MakeCheckBox(u"Don't Link Fol&ders"_s, u"chkDontLinkFolders"_s);
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->setSpacing(4);
    optionsLayout->addWidget(chkClassAttribs_);
    optionsLayout->addWidget(chkAddImages_);
    auto* indented = new QHBoxLayout;
    indented->addSpacing(20);
    indented->addWidget(chkNoFolderImages_);
    optionsLayout->addLayout(indented);
    optionsLayout->addWidget(chkDontLinkFolders_);

    auto* column = new QWidget;
    column->setObjectName(u"pnlFormatAndOptions"_s);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(format);
    layout->addWidget(options);
    layout->addStretch(1);

    for (QRadioButton* rb : {rbOutputUnnumberedList_, rbOutputParagraph_, rbOutputModern_})
        connect(rb, &QRadioButton::toggled, this, [this, rb](bool checked) {
            if (checked)
                Guarded(this, dialogs_, [this, rb] { OutputFormatChange(rb); });
        });
    connect(chkClassAttribs_, &QCheckBox::toggled, this,
            [this](bool on) { profile_.SetClassAttribs(on); });
    connect(chkAddImages_, &QCheckBox::toggled, this, &OutputSettingsPage::chkAddImagesClick);
    connect(chkNoFolderImages_, &QCheckBox::toggled, this,
            [this](bool on) { profile_.SetNoFolderImages(on); });
    connect(chkDontLinkFolders_, &QCheckBox::toggled, this,
            [this](bool on) { profile_.SetNoFolderLinks(on); });
    return column;
}

// The search engine sitemaps live in a dialog: the row below the groups
// says what they will be and opens it, leaving every other control in place.
QWidget* OutputSettingsPage::BuildSearchEngines() {
    auto* row = new QWidget;
    row->setObjectName(u"pnlSearchEngines"_s);
    lblSitemapSummary_ = new QLabel;
    lblSitemapSummary_->setObjectName(u"lblSitemapSummary"_s);
    // Outside the window's numbered commands: the page handles it itself.
    btnSearchSitemaps_ =
        MakeButton(u"Search &Engine Sitemaps..."_s, u"btnSearchSitemaps"_s, ButtonTag::OwnHandler);
    btnSearchSitemaps_->setAccessibleDescription(u"XML and text sitemaps, robots.txt"_s);
    connect(btnSearchSitemaps_, &QPushButton::clicked, this,
            [this] { Guarded(this, dialogs_, [this] { EditSitemaps(); }); });
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(4, 0, 0, 0);
    // A long summary gives way (its tip shows it whole); the button keeps
    // its whole caption.
    lblSitemapSummary_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    btnSearchSitemaps_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addWidget(lblSitemapSummary_, 1);
    layout->addWidget(btnSearchSitemaps_);
    return row;
}

OutputSettingsPage::~OutputSettingsPage() = default;

bool OutputSettingsPage::RunCommand(ButtonTag tag) {
    switch (tag) {
    case ButtonTag::BrowseOutputFile:
        BrowseOutputFile();
        return true;
    case ButtonTag::ResetColors:
        ResetColors();
        return true;
    default:
        return false;
    }
}

bool OutputSettingsPage::MayLeave() {
    return !CheckOutputPaths() && !CheckSitemapSettings() && !CheckOutputFiles() &&
           !CheckTemplate();
}

std::unique_ptr<SitemapJob> OutputSettingsPage::TakePlannedSitemaps() {
    return std::move(plannedSitemaps_);
}

bool OutputSettingsPage::CheckOutputPaths() {
    // Linux file systems tell letter cases apart, so the folders are compared
    // as written, and the fix keeps the index folder as the user wrote it.
    const std::string indexFolder = ExtractFilePath(profile_.IndexPage());
    if (profile_.OutputType() != TMapOutputType::moutFile)
        return false;
    if (OutputPlaceOf(profile_.OutputFileName(), profile_.IndexPage()) == OutputPlace::IndexFolder)
        return false;
    MsgResult answer = dialogs_.messageBox(
        window(), u"File Paths"_s,
        u"The folder for the output file is not the same as the index folder.\n\nLinks to the "
        u"pages in your site map are based on the index file location.\n\nWould you like to fix "
        u"this now?\n\nYes\t= Fix it for me.\nNo\t= Leave it as it is.\nCancel\t= I'll fix it "
        u"myself.\n"_s,
        MsgIcon::Question, MsgButtons::YesNoCancel);
    if (answer == MsgResult::Yes) {
        SetOutputFileText(ToQ(indexFolder + ExtractFileName(profile_.OutputFileName())));
        return false;
    }
    if (answer == MsgResult::No)
        return false;
    FocusOutputFile();
    return true;
}

bool OutputSettingsPage::CheckSitemapSettings() {
    using Setting = SitemapSettingError::Setting;
    using Field = TfrmSearchSitemaps::Field;
    plannedSitemaps_.reset();
    // An editor has no folder to put sitemaps in.
    if (profile_.OutputType() != TMapOutputType::moutFile)
        return false;
    try {
        plannedSitemaps_ = SitemapJob::Plan(profile_);
        return false;
    } catch (const SitemapSettingError& e) {
        static const std::map<Setting, std::pair<Field, const char*>> kWhere{
            {Setting::BaseURL, {Field::BaseURL, "Base URL"}},
            {Setting::RobotsTxt, {Field::RobotsTxt, "robots.txt"}},
            {Setting::PageFile, {Field::XmlOutput, "XML file"}},
            {Setting::SameFile, {Field::TextSitemap, "Text sitemap"}},
            {Setting::LastMod, {Field::LastMod, "Last modified"}},
        };
        const auto& [field, caption] = kWhere.at(e.Which());
        QString text = QString::fromUtf8(e.what());
        if (!text.isEmpty())
            text[0] = text[0].toUpper();
        dialogs_.messageBox(window(), AppTitle(),
                            u"Search Engine Sitemaps, "_s + QString::fromLatin1(caption) +
                                u":\n\n"_s + text + u"."_s,
                            MsgIcon::None, MsgButtons::Ok);
        // The field is on the sitemaps dialog: it opens with the focus there.
        EditSitemaps(field);
        return true;
    }
}

bool OutputSettingsPage::CheckOutputFiles() {
    if (profile_.OutputType() != TMapOutputType::moutFile)
        return false;
    const std::vector<RunOutput> outputs = PlannedOutputs(profile_, plannedSitemaps_.get());
    try {
        CheckRunOutputs(outputs, profile_.IndexPage(), profile_.FileTypes(), false);
        return false;
    } catch (const EOutputRefused& e) {
        const QString text = QString::fromUtf8(e.what());
        if (e.Which() != EOutputRefused::Reason::SitePage) {
            dialogs_.messageBox(window(), AppTitle(), ErrorBoxText(text), MsgIcon::Error,
                                MsgButtons::Ok);
        } else if (dialogs_.messageBox(window(), AppTitle(), text + u".\n\nReplace it?"_s,
                                       MsgIcon::Warning,
                                       MsgButtons::YesNoDefaultNo) == MsgResult::Yes) {
            // The user's answer covers that page; every other rule still holds.
            try {
                CheckRunOutputs(outputs, profile_.IndexPage(), profile_.FileTypes(), true);
                return false;
            } catch (const EOutputRefused& again) {
                dialogs_.messageBox(window(), AppTitle(),
                                    ErrorBoxText(QString::fromUtf8(again.what())), MsgIcon::Error,
                                    MsgButtons::Ok);
            }
        }
        FocusOutputFile();
        return true;
    }
}

bool OutputSettingsPage::EditSitemaps(TfrmSearchSitemaps::Field focus) {
    TfrmSearchSitemaps dialog(profile_, dialogs_, window());
    dialog.FocusField(focus);
    if (dialogs_.showModal(dialog) != QDialog::Accepted)
        return false;
    dialog.ApplyTo(profile_);
    ShowSitemapSummary();
    return true;
}

void OutputSettingsPage::ShowSitemapSummary() {
    lblSitemapSummary_->setText(SitemapSummary(profile_));
    lblSitemapSummary_->setToolTip(lblSitemapSummary_->text());
}

void OutputSettingsPage::SetEditorOptionCaption(const QString& caption) {
    rbOutputEditor_->setText(caption);
    rbOutputEditor_->setToolTip(caption);
    // A radio button cannot wrap its caption; this long note of an option
    // that is never available is set a little smaller, so that the whole
    // of it fits the window's smallest width.
    QFont font = rbOutputEditor_->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    rbOutputEditor_->setFont(font);
}

void OutputSettingsPage::SetOutputFileText(const QString& fileName) {
    outputChosen_ = true;
    editOutputFile_->setText(fileName);
}

void OutputSettingsPage::ProposeOutputFile(const QString& fileName) {
    if (!outputChosen_)
        editOutputFile_->setText(fileName);
}

void OutputSettingsPage::FocusOutputFile() {
    editOutputFile_->setFocus();
}

void OutputSettingsPage::OutputTypeOptionClick() {
    const std::array<std::pair<QRadioButton*, TMapOutputType>, 4> types{{
        {rbOutputClipBoard_, TMapOutputType::moutClipboard},
        {rbOutputFile_, TMapOutputType::moutFile},
        {rbOutputInsert_, TMapOutputType::moutInsert},
        {rbOutputEditor_, TMapOutputType::moutEditor},
    }};
    for (const auto& [radio, type] : types)
        if (radio->isChecked())
            profile_.SetOutputType(type);
    btnOutputFileBrowse_->setEnabled(rbOutputFile_->isChecked());
    editOutputFile_->setEnabled(rbOutputFile_->isChecked());
    const TMapOutputType type = profile_.OutputType();
    gbPageColors_->setEnabled(type == TMapOutputType::moutFile ||
                              type == TMapOutputType::moutEditor);
}

void OutputSettingsPage::PickerChange(int slot) {
    const ColorBinding& binding = kColors[static_cast<size_t>(slot)];
    ColorPickerButton* picker = pickers_[static_cast<size_t>(slot)];
    (profile_.*binding.colour.Set)(picker->Color());
    if (settingColors_ && !picker->Caption().isEmpty())
        (profile_.*binding.colour.Set)(kColorNone);
    if (!settingColors_) {
        picker->SetCaption(QString());
        if (resetting_)
            resetChanged_ = true;
        else
            UpdatePreview();
    }
}

void OutputSettingsPage::ColorPickerDefaultSelect(ColorPickerButton* picker) {
    // Restored rather than cleared: applying a profile sets the flag around
    // all five pickers, and a None among them must not end it early.
    const bool wasSetting = settingColors_;
    settingColors_ = true;
    picker->SetCaption(u"None"_s);
    picker->SetColor(kButtonFaceColor);
    settingColors_ = wasSetting;
}

void OutputSettingsPage::ResetColors() {
    resetting_ = true;
    resetChanged_ = false;
    for (int i = 0; i < kColorCount; ++i)
        pickers_[static_cast<size_t>(i)]->SetColor(kColors[static_cast<size_t>(i)].colour.Default);
    resetting_ = false;
    // One rebuild for all the pickers that changed; none when none did.
    if (resetChanged_)
        UpdatePreview();
}

void OutputSettingsPage::UpdatePreview() {
    const std::string path = previewFolder_ + kPreviewFileName;
    // A folder that cannot be made shows as the write's own error below.
    if (makePreviewFolder_)
        (void)MakeConfigFolder(previewFolder_);
    SaveFileText(BuildPreviewPage(profile_), path);
    std::string html;
    try {
        html = LoadFileText(path);
    } catch (...) {
        DeleteFileQuietly(path);
        throw;
    }
    // Qt's rich text ignores the body's text attribute; the style carries it.
    htmlPreview_->setHtml(ToQ(WithBodyTextColourAsStyle(html)));
    if (FileExists(path))
        DeleteFileQuietly(path);
}

void OutputSettingsPage::BrowseOutputFile() {
    const std::string output = profile_.OutputFileName();
    const std::string indexFolder = ExtractFilePath(profile_.IndexPage());
    std::string proposed = output.empty() ? ProposedOutputFile(profile_.IndexPage()) : output;
    SaveFileRequest request;
    request.title = u"Site Map Output File"_s;
    request.filter = kHtmlFilter;
    request.defaultSuffix = u"html"_s;
    const std::string outputFolder = ExtractFilePath(output);
    request.startFolder = DialogStartFolder({outputFolder, indexFolder});
    proposed = ExtractFileName(proposed);
    if (HasInvalidFileNameChars(proposed))
        proposed = kDefaultOutputName;
    request.fileName = ToQ(proposed);
    QString chosen = dialogs_.saveFile(window(), request);
    if (chosen.isEmpty())
        return;
    // A name typed without an extension becomes an HTML file.
    if (ExtractFileExt(ToStd(chosen)).empty())
        chosen += u".html"_s;
    SetOutputFileText(chosen);
}

void OutputSettingsPage::OutputFormatChange(const QRadioButton* chosen) {
    // As the command line's --format: the modern page leaves OutputFormat at
    // its default; a classic layout keeps the modern options, unused.
    const bool modern = chosen == rbOutputModern_;
    profile_.SetOutputFormat(chosen == rbOutputUnnumberedList_ ? TMapOutputFormat::mfmtList
                                                               : TMapOutputFormat::mfmtParagraph);
    const bool changed = profile_.ModernLayout() != modern;
    profile_.SetPageLayout(modern ? TMapPageLayout::mlayModern : TMapPageLayout::mlayClassic);
    btnModernOptions_->setEnabled(modern);
    EnableClassicOptions();
    EnableTemplate();
    // The preview follows the layout once the page shows; applying a profile
    // leaves it to the page's own rebuild.
    if (changed && isVisible())
        UpdatePreview();
}

void OutputSettingsPage::EnableClassicOptions() {
    // The modern page has its own style and icons; folder links apply to all.
    const bool classic = !profile_.ModernLayout();
    chkClassAttribs_->setEnabled(classic);
    chkAddImages_->setEnabled(classic);
    chkNoFolderImages_->setEnabled(classic && profile_.AddImages());
}

bool OutputSettingsPage::EditModernOptions() {
    TfrmModernOptions dialog(profile_, window());
    if (dialogs_.showModal(dialog) != QDialog::Accepted)
        return false;
    dialog.ApplyTo(profile_);
    UpdatePreview();
    return true;
}

void OutputSettingsPage::chkAddImagesClick(bool checked) {
    profile_.SetAddImages(checked);
    EnableClassicOptions();
}

void OutputSettingsPage::ApplyProfile() {
    editOutputFile_->setText(ToQ(profile_.OutputFileName()));
    editOutputInsert_->setText(ToQ(profile_.OutputInsert()));
    // Neither target can be shown, so a profile that names one writes a file.
    if (ShownOutputType(profile_.OutputType()) != profile_.OutputType())
        profile_.SetOutputType(ShownOutputType(profile_.OutputType()));
    const TMapOutputType type = profile_.OutputType();
    rbOutputClipBoard_->setChecked(type == TMapOutputType::moutClipboard);
    rbOutputFile_->setChecked(type == TMapOutputType::moutFile);
    rbOutputEditor_->setChecked(type == TMapOutputType::moutEditor);
    rbOutputInsert_->setChecked(type == TMapOutputType::moutInsert);

    settingColors_ = true;
    for (int i = 0; i < kColorCount; ++i) {
        const ColorBinding& binding = kColors[static_cast<size_t>(i)];
        ColorPickerButton* picker = pickers_[static_cast<size_t>(i)];
        const TColor color = (profile_.*binding.colour.Get)();
        if (color == kColorNone) {
            ColorPickerDefaultSelect(picker);
        } else {
            picker->SetCaption(QString());
            picker->SetColor(color);
        }
    }
    settingColors_ = false;
    gbPageColors_->setEnabled(type == TMapOutputType::moutFile ||
                              type == TMapOutputType::moutEditor);

    ShowSitemapSummary();
    // One radio checked; its toggle stores what the profile already says.
    if (profile_.ModernLayout())
        rbOutputModern_->setChecked(true);
    else if (profile_.OutputFormat() == TMapOutputFormat::mfmtList)
        rbOutputUnnumberedList_->setChecked(true);
    else
        rbOutputParagraph_->setChecked(true);
    btnModernOptions_->setEnabled(profile_.ModernLayout());
    chkClassAttribs_->setChecked(profile_.ClassAttribs());
    chkAddImages_->setChecked(profile_.AddImages());
    chkNoFolderImages_->setChecked(profile_.NoFolderImages());
    EnableClassicOptions();
    chkDontLinkFolders_->setChecked(profile_.NoFolderLinks());
    edTemplate_->setText(ToQ(profile_.PageTemplate()));
    EnableTemplate();
}

// Template.
QWidget* OutputSettingsPage::BuildTemplate() {
    auto* row = new QWidget;
    row->setObjectName(u"pnlTemplate"_s);
    edTemplate_ = MakeEdit(QString(), u"edTemplate"_s, u"none"_s);
    edTemplate_->setToolTip(
        u"A page of your site holding the comment <!-- trailwright:sitemap "
        u"-->: the modern site map is written into it in the comment's place"_s);
    lblTemplate_ = MakeCaption(u"Template (e&xisting page):"_s, u"lblTemplate"_s, edTemplate_);
    // Short, so that the field keeps room in the colours' column.
    btnBrowseTemplate_ = MakeButton(u"..."_s, u"btnBrowseTemplate"_s, ButtonTag::OwnHandler);
    btnBrowseTemplate_->setAccessibleName(u"Browse for a template"_s);
    btnBrowseTemplate_->setToolTip(u"Browse for a template"_s);
    btnBrowseTemplate_->setStyleSheet(u"QPushButton { min-width: 0px; padding: 4px 8px; }"_s);
    connect(btnBrowseTemplate_, &QPushButton::clicked, this, [this] { BrowseTemplate(); });
    connect(edTemplate_, &QLineEdit::textChanged, this,
            [this](const QString& text) { profile_.SetPageTemplate(ToStd(text)); });
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lblTemplate_);
    layout->addWidget(edTemplate_, 1);
    layout->addWidget(btnBrowseTemplate_);
    return row;
}

void OutputSettingsPage::EnableTemplate() {
    const bool modern = rbOutputModern_->isChecked();
    for (QWidget* control :
         std::initializer_list<QWidget*>{lblTemplate_, edTemplate_, btnBrowseTemplate_})
        control->setEnabled(modern);
}

void OutputSettingsPage::BrowseTemplate() {
    OpenFileRequest request;
    request.title = u"Template Page"_s;
    request.filter = kHtmlFilter;
    request.startFolder = DialogStartFolder(
        {ExtractFilePath(profile_.PageTemplate()), ExtractFilePath(profile_.IndexPage())});
    const QStringList chosen = dialogs_.openFiles(window(), request);
    if (!chosen.isEmpty())
        edTemplate_->setText(chosen.front());
}

bool OutputSettingsPage::CheckTemplate() {
    if (!profile_.ModernLayout() || profile_.PageTemplate().empty() ||
        profile_.OutputType() != TMapOutputType::moutFile)
        return false;
    // A name without its folder is taken from the index page's.
    if (!profile_.PageTemplate().starts_with('/'))
        edTemplate_->setText(
            ToQ(ExpandFileName(ExtractFilePath(profile_.IndexPage()) + profile_.PageTemplate())));
    try {
        LoadPageTemplate(profile_.PageTemplate(), profile_.OutputFileName());
        return false;
    } catch (const ETemplateError& e) {
        dialogs_.messageBox(window(), AppTitle(), ErrorBoxText(QString::fromUtf8(e.what())),
                            MsgIcon::Error, MsgButtons::Ok);
        edTemplate_->setFocus();
        return true;
    }
}

} // namespace tw::ui
