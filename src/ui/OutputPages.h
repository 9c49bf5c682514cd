#pragma once

#include "model/SiteMapProfile.h"
#include "output/SiteMapWriter.h"
#include "ui/SitemapsDialog.h"
#include "ui/WizardPage.h"

#include <QElapsedTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

class QProgressBar;
class QPushButton;
class QTimer;
class QRadioButton;
class QTextBrowser;
class QTreeWidget;

namespace tw {
class SitemapJob;
} // namespace tw

namespace tw::ui {

class ColorPickerButton;
class IDialogs;
class WrappingLabel;

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

    // Sets the field as the user's choice; its change handler stores the
    // name in the profile.
    void SetOutputFileText(const QString& fileName);
    // Sets the field while the user has chosen no output file: a proposal
    // follows the index page until then.
    void ProposeOutputFile(const QString& fileName);
    // Whether the output file is the user's: typed, browsed for, fixed on
    // Finish, or named by an opened profile.
    void SetOutputChosen(bool chosen) { outputChosen_ = chosen; }
    void FocusOutputFile();

    // The page's part of showing a profile: the output file to the options.
    // Changes moutInsert and moutClipboard into moutFile.
    void ApplyProfile() override;
    // Writes the preview file, shows it and deletes it. Raises "Cannot create
    // file %s" when the preview folder cannot take it.
    void UpdatePreview();
    // The sitemaps dialog, opened with the focus on Focus; true when its
    // settings went into the profile.
    bool EditSitemaps(TfrmSearchSitemaps::Field focus = TfrmSearchSitemaps::Field::XmlSitemap);
    void ShowSitemapSummary();

    // True while the program itself puts pickers into the None state.
    bool SettingColors() const { return settingColors_; }
    ColorPickerButton* Picker(ColorSlot slot) const { return pickers_[slot]; }
    // The None choice of a picker (also for a profile's none value).
    void ColorPickerDefaultSelect(ColorPickerButton* picker);

private:
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
    void OutputFormatChange();
    void chkAddImagesClick(bool checked);
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
    QCheckBox* chkClassAttribs_;
    QCheckBox* chkAddImages_;
    QCheckBox* chkNoFolderImages_;
    QCheckBox* chkDontLinkFolders_;
    QLabel* lblSitemapSummary_;
    QPushButton* btnSearchSitemaps_;
};

// Wizard page 4, where the generation run shows its progress and result,
// with the commands over the written files.
class OutputStatusPage : public WizardPage {
    Q_OBJECT
public:
    OutputStatusPage(const TMapProfile& profile, IDialogs& dialogs, QWidget* parent = nullptr);

    // View Output File and Copy Output to Clipboard.
    bool RunCommand(ButtonTag tag) override;

    // The start of a run: the progress range, the buttons disabled, the
    // labels in the normal font and the target sentence.
    void BeginRun(int nodeCount, const QString& generatingType);
    // The node the writer is at.
    void ShowNode(int index, const QString& linkText, const QString& filePath);
    // The file was written: its name, the buttons and the page in the memo.
    void ShowWritten(const QString& outputFile, std::string page);
    void ShowResult(const QString& text);
    void SetLabelsBold(bool bold);
    // The finally step of every run, also after an error.
    void Complete();

    // The list of files the run writes: each line is added before its file
    // is written, then marked written (with the size it has) or failed.
    void ClearFiles();
    int AddFile(const QString& what, const QString& path);
    // Note replaces the size; What, when given, the file's description.
    void FileWritten(int line, const QString& note = {}, const QString& what = {});
    void FileFailed(int line, const QString& error);
    // Lines still waiting when a write failed: they were not written.
    void FilesNotWritten();
    // The first line still waiting, or -1.
    int FirstWaitingFile() const;
    // "what|path|size or state" for each line, for tests and the folder command.
    QStringList FileLines() const;
    // The folder of the page (the first line), or empty before a run.
    QString OutputFolder() const;

    // The memo's whole text, exactly as it was given (line ends included).
    QString GeneratedContents() const;
    // Whether the memo still lacks part of a large page.
    bool MemoFilling() const { return memoFilled_ < memoPage_.size(); }
    // The progress range as the run set it: the node count minus one.
    int ProgressMaximum() const { return progressMaximum_; }

private:
    void ViewOutputFile();
    void CopyOutputToClipboard();
    void OpenOutputFolder();

    const TMapProfile& profile_;
    IDialogs& dialogs_;
    QLabel* lblGeneratingType_;
    QProgressBar* pbOutput_;
    QLabel* lblGenerationStatus_;
    WrappingLabel* lblGenerationFile_;
    QPushButton* btnViewOutputFile_;
    QPushButton* btnOpenOutputFolder_;
    QTreeWidget* twOutputFiles_;
    QPlainTextEdit* memoGenerated_;
    QPushButton* btnCopyToClipboard_;
    std::string memoPage_;
    size_t memoFilled_ = 0;
    QTimer* memoFill_;
    int progressMaximum_ = 0;

    void FillMemo();
    void FitFileList();
};

// Shows the writer's progress on the status page and paces the walk. A
// small tree is walked slowly enough to be watched; a large one at full
// speed, with the labels and pending events at most about 60 times a second.
class GenerationProgress : public WriterListener {
public:
    GenerationProgress(OutputStatusPage& page, int nodeCount);

    void BeforeNode(const SiteMapNode& node, int index, int count) override;
    void AfterNode(const SiteMapNode& node, int index, int count) override;
    // Shows the last node if the coalescing held it back.
    void Flush();

    // Pauses in milliseconds for a tree of Count nodes.
    static int PauseBeforeNode(int count);
    static int PauseAfterNode(int count);

    // Test seams, null by default and shared by every run: AtNode is called
    // with each node's index before the node is handled, so that a test acts
    // at an exact node; Pause, when set, is given each pause in milliseconds
    // instead of sleeping it.
    struct TestHooks {
        std::function<void(int index)> atNode;
        std::function<void(int milliseconds)> pause;
    };
    static TestHooks& Hooks();

private:
    void Show(const SiteMapNode& node, int index);
    static void Pause(int milliseconds);

    OutputStatusPage& page_;
    int nodeCount_;
    QElapsedTimer sinceShown_;
    const SiteMapNode* last_ = nullptr;
    int lastIndex_ = 0;
    bool lastShown_ = true;
};

} // namespace tw::ui
