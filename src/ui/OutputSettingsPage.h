#pragma once

#include "model/SiteMapProfile.h"
#include "ui/SitemapsDialog.h"
#include "ui/WizardPage.h"

#include <QWidget>
#include <array>
#include <memory>
#include <string>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTextBrowser;

namespace tw {
class SitemapJob;
} // namespace tw

namespace tw::ui {

class ColorPickerButton;
class IDialogs;

// Wizard page 3: the output file, the five page colours with their preview,
// the layout and the options. Every control writes straight into the
// profile; ApplyProfile sets the controls from it.
class OutputSettingsPage : public WizardPage {
    Q_OBJECT
public:
    enum ColorSlot { kBackground, kText, kLink, kVisited, kActive, kColorCount };

    OutputSettingsPage(TMapProfile& profile, IDialogs& dialogs, QWidget* parent = nullptr);
    ~OutputSettingsPage() override;

    // The output file's Browse and the colours' Reset.
    bool RunCommand(ButtonTag tag) override;
    // Finish: the output file beside the index page (or the user's word to
    // keep it elsewhere), sitemap settings that can work, and outputs the
    // run may write. The sitemaps planned here wait for the run.
    bool MayLeave() override;
    // The sitemaps the last MayLeave planned, or null.
    std::unique_ptr<SitemapJob> TakePlannedSitemaps();
    // Where the preview file is written for a moment; with MakeOnDemand the
    // folder is made before the first write (a configuration folder, never
    // the program folder).
    void SetPreviewFolder(const std::string& folder, bool makeOnDemand) {
        previewFolder_ = folder;
        makePreviewFolder_ = makeOnDemand;
    }
    void SetEditorOptionCaption(const QString& caption);

    // Sets the field while the user has chosen no output file: a proposal
    // follows the index page until then.
    void ProposeOutputFile(const QString& fileName);
    // Whether the output file is the user's: typed, browsed for, fixed on
    // Finish, or named by an opened profile.
    void SetOutputChosen(bool chosen) { outputChosen_ = chosen; }

    // The page's part of showing a profile: the output file to the options.
    // Changes moutInsert and moutClipboard into moutFile.
    void ApplyProfile() override;
    // Writes the preview file, shows it and deletes it. Raises "Cannot create
    // file %s" when the preview folder cannot take it.
    void UpdatePreview();

    // True while the program itself puts pickers into the None state.
    bool SettingColors() const { return settingColors_; }
    ColorPickerButton* Picker(ColorSlot slot) const { return pickers_[slot]; }
    // The None choice of a picker (also for a profile's none value).
    void ColorPickerDefaultSelect(ColorPickerButton* picker);

private:
    // The sitemaps dialog, opened with the focus on Focus; true when its
    // settings went into the profile.
    bool EditSitemaps(TfrmSearchSitemaps::Field focus = TfrmSearchSitemaps::Field::XmlSitemap);
    void ShowSitemapSummary();
    // The modern page's options dialog; true when they went into the profile.
    bool EditModernOptions();
    // Sets the field as the user's choice; its change handler stores the
    // name in the profile.
    void SetOutputFileText(const QString& fileName);
    void FocusOutputFile();
    void BrowseOutputFile();
    void ResetColors();
    // The leave checks in their order; each is true when the wizard stays.
    bool CheckOutputPaths();
    // Plans the sitemaps the profile asks for; a setting that cannot work is
    // told, and its field is shown in the sitemaps dialog.
    bool CheckSitemapSettings();
    bool CheckOutputFiles();
    void OutputTypeOptionClick();
    void PickerChange(int slot);
    void OutputFormatChange(const QRadioButton* chosen);
    void chkAddImagesClick(bool checked);
    void EnableClassicOptions();
    QGroupBox* BuildOutputType();
    QGroupBox* BuildPageColors();
    QWidget* BuildFormatAndOptions();
    QWidget* BuildSearchEngines();

    TMapProfile& profile_;
    IDialogs& dialogs_;
    std::string previewFolder_;
    bool makePreviewFolder_ = false;
    bool settingColors_ = false;
    // While the colour reset sets the pickers, the preview waits for the
    // last of them.
    bool resetting_ = false;
    bool resetChanged_ = false;
    bool outputChosen_ = false;
    std::unique_ptr<SitemapJob> plannedSitemaps_;

    QRadioButton* rbOutputClipBoard_;
    QRadioButton* rbOutputFile_;
    QRadioButton* rbOutputInsert_;
    QRadioButton* rbOutputEditor_;
    QButtonGroup* outputTypes_;
    QLineEdit* editOutputFile_;
    QPushButton* btnOutputFileBrowse_;
    QLineEdit* editOutputInsert_;
    QPushButton* btnOutputInsertBrowse_;
    QLabel* lblOutputInsertHowTo_;
    QGroupBox* gbPageColors_;
    std::array<ColorPickerButton*, kColorCount> pickers_{};
    QPushButton* btnResetColors_;
    QTextBrowser* htmlPreview_;
    QRadioButton* rbOutputUnnumberedList_;
    QRadioButton* rbOutputParagraph_;
    QRadioButton* rbOutputModern_;
    QPushButton* btnModernOptions_;
    QCheckBox* chkClassAttribs_;
    QCheckBox* chkAddImages_;
    QCheckBox* chkNoFolderImages_;
    QCheckBox* chkDontLinkFolders_;
    QLabel* lblSitemapSummary_;
    QPushButton* btnSearchSitemaps_;

    // Template: a page of the site's own look for the modern nav.
    QWidget* BuildTemplate();
    void BrowseTemplate();
    // Enabled with the modern layout only.
    void EnableTemplate();
    // A template that cannot be used is told; true when the wizard stays.
    bool CheckTemplate();
    QLabel* lblTemplate_;
    QLineEdit* edTemplate_;
    QPushButton* btnBrowseTemplate_;
};

} // namespace tw::ui
