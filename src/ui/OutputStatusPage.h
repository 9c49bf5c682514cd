#pragma once

#include "model/SiteMapProfile.h"
#include "output/SiteMapWriter.h"
#include "ui/WizardPage.h"

#include <QElapsedTimer>
#include <functional>
#include <string>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace tw::ui {

class IDialogs;
class WrappingLabel;

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
