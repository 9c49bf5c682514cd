#include "ui/OutputStatusPage.h"

#include "model/SiteMapTree.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/Guard.h"
#include "ui/PathLabel.h"
#include "ui/ShellOpen.h"
#include "ui/Text.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextCursor>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tw::ui {

using namespace Qt::StringLiterals;

namespace {

// The states of a file on the status page before its write ends.
const QString kWaiting = u"waiting"_s;
const QString kNotWritten = u"not written"_s;

} // namespace

OutputStatusPage::OutputStatusPage(const TMapProfile& profile, IDialogs& dialogs, QWidget* parent)
    : WizardPage(parent), profile_(profile), dialogs_(dialogs) {
    setObjectName(u"tsOutputStatus"_s);
    lblGeneratingType_ = new QLabel(u"Generating..."_s);
    lblGeneratingType_->setObjectName(u"lblGeneratingType"_s);
    QFont typeFont = lblGeneratingType_->font();
    typeFont.setBold(true);
    lblGeneratingType_->setFont(typeFont);
    pbOutput_ = new QProgressBar;
    pbOutput_->setObjectName(u"pbOutput"_s);
    pbOutput_->setRange(0, 1);
    pbOutput_->setValue(0);
    pbOutput_->setTextVisible(false);
    auto* statusCaption = new QLabel(u"Output Status:"_s);
    statusCaption->setObjectName(u"lblOutputStatus"_s);
    SetBuddy(statusCaption, pbOutput_);
    lblGenerationStatus_ = new PathLabel;
    lblGenerationStatus_->setObjectName(u"lblGenerationStatus"_s);
    lblGenerationStatus_->setText(u"Generating..."_s);
    lblGenerationFile_ = new WrappingLabel(3);
    lblGenerationFile_->setObjectName(u"lblGenerationFile"_s);
    lblGenerationFile_->setText(u"Generating..."_s);
    btnViewOutputFile_ = MakeCommandButton(u"View Output File in Default Browser..."_s,
                                           u"btnViewOutputFile"_s, ButtonTag::ViewOutputFile);
    btnViewOutputFile_->setEnabled(false);
    btnOpenOutputFolder_ =
        MakeButton(u"Open Fol&der"_s, u"btnOpenOutputFolder"_s, ButtonTag::OwnHandler);
    connect(btnOpenOutputFolder_, &QPushButton::clicked, this, &OutputStatusPage::OpenOutputFolder);
    btnOpenOutputFolder_->setEnabled(false);
    twOutputFiles_ = new QTreeWidget;
    twOutputFiles_->setObjectName(u"twOutputFiles"_s);
    twOutputFiles_->setHeaderLabels({u"File"_s, u"Written"_s, u"Path"_s});
    twOutputFiles_->setRootIsDecorated(false);
    twOutputFiles_->setUniformRowHeights(true);
    twOutputFiles_->setSelectionMode(QAbstractItemView::SingleSelection);
    FitFileList();
    auto* filesCaption = new QLabel(u"Files &Written:"_s);
    filesCaption->setObjectName(u"lblOutputFiles"_s);
    SetBuddy(filesCaption, twOutputFiles_);
    memoGenerated_ = new QPlainTextEdit;
    memoGenerated_->setObjectName(u"memoGenerated"_s);
    memoGenerated_->setReadOnly(true);
    memoGenerated_->setUndoRedoEnabled(false);
    memoFill_ = new QTimer(this);
    memoFill_->setSingleShot(true);
    memoFill_->setInterval(0);
    connect(memoFill_, &QTimer::timeout, this, &OutputStatusPage::FillMemo);
    memoGenerated_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoGenerated_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoGenerated_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Read-only text is still selectable and copyable from the keyboard.
    memoGenerated_->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    auto* memoCaption = new QLabel(u"Generated Site Map Contents:"_s);
    memoCaption->setObjectName(u"lblGeneratedContents"_s);
    SetBuddy(memoCaption, memoGenerated_);
    btnCopyToClipboard_ = MakeCommandButton(u"Copy Output to Clipboard"_s, u"btnCopyToClipboard"_s,
                                            ButtonTag::CopyToClipboard);
    btnCopyToClipboard_->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 8);
    layout->setSpacing(4);
    layout->addWidget(lblGeneratingType_);
    layout->addSpacing(6);
    layout->addWidget(statusCaption);
    layout->addWidget(pbOutput_);
    layout->addWidget(lblGenerationStatus_);
    layout->addWidget(lblGenerationFile_);
    auto* viewRow = new QHBoxLayout;
    viewRow->addWidget(btnViewOutputFile_);
    viewRow->addWidget(btnOpenOutputFolder_);
    viewRow->addStretch(1);
    layout->addLayout(viewRow);
    layout->addSpacing(4);
    layout->addWidget(filesCaption);
    layout->addWidget(twOutputFiles_);
    layout->addSpacing(4);
    layout->addWidget(memoCaption);
    layout->addWidget(memoGenerated_, 1);
    auto* copyRow = new QHBoxLayout;
    copyRow->addStretch(1);
    copyRow->addWidget(btnCopyToClipboard_);
    layout->addLayout(copyRow);
}

bool OutputStatusPage::RunCommand(ButtonTag tag) {
    switch (tag) {
    case ButtonTag::ViewOutputFile:
        ViewOutputFile();
        return true;
    case ButtonTag::CopyToClipboard:
        CopyOutputToClipboard();
        return true;
    default:
        return false;
    }
}

void OutputStatusPage::ViewOutputFile() {
    // A profile whose reading failed can still name the clipboard or insert
    // targets; the run wrote a file for them.
    if (profile_.OutputType() == TMapOutputType::moutEditor)
        return;
    OpenDocument(dialogs_, ToQ(profile_.OutputFileName()), window());
}

void OutputStatusPage::CopyOutputToClipboard() {
    dialogs_.setClipboardText(GeneratedContents());
}

void OutputStatusPage::OpenOutputFolder() {
    Guarded(this, dialogs_, [this] { OpenDocument(dialogs_, OutputFolder(), window()); });
}

void OutputStatusPage::ClearFiles() {
    twOutputFiles_->clear();
    FitFileList();
    btnOpenOutputFolder_->setEnabled(false);
}

int OutputStatusPage::AddFile(const QString& what, const QString& path) {
    auto* item = new QTreeWidgetItem(twOutputFiles_, {what, kWaiting, path});
    item->setToolTip(2, path);
    twOutputFiles_->resizeColumnToContents(0);
    FitFileList();
    return twOutputFiles_->indexOfTopLevelItem(item);
}

// As tall as its lines, up to four, so that the page's text keeps its room;
// a run with more files scrolls.
void OutputStatusPage::FitFileList() {
    const int lines = std::clamp(twOutputFiles_->topLevelItemCount(), 1, 4);
    const int row = twOutputFiles_->fontMetrics().height() + 2;
    twOutputFiles_->setFixedHeight(twOutputFiles_->header()->sizeHint().height() + lines * row +
                                   2 * twOutputFiles_->frameWidth() + 2);
}

void OutputStatusPage::FileWritten(int line, const QString& note, const QString& what) {
    QTreeWidgetItem* item = twOutputFiles_->topLevelItem(line);
    if (!item)
        return;
    if (!what.isEmpty())
        item->setText(0, what);
    QString state = note;
    if (state.isEmpty()) {
        QFileInfo info(item->text(2));
        state = info.exists() ? QLocale().formattedDataSize(info.size()) : u"written"_s;
    }
    item->setText(1, state);
    twOutputFiles_->resizeColumnToContents(1);
    btnOpenOutputFolder_->setEnabled(true);
}

void OutputStatusPage::FileFailed(int line, const QString& error) {
    QTreeWidgetItem* item = twOutputFiles_->topLevelItem(line);
    if (!item)
        return;
    item->setText(1, u"FAILED"_s);
    item->setForeground(1, QColor(0xb0, 0, 0));
    item->setToolTip(1, error);
    item->setToolTip(2, error);
    twOutputFiles_->setCurrentItem(item);
}

void OutputStatusPage::FilesNotWritten() {
    for (int i = 0; i < twOutputFiles_->topLevelItemCount(); ++i)
        if (QTreeWidgetItem* item = twOutputFiles_->topLevelItem(i); item->text(1) == kWaiting)
            item->setText(1, kNotWritten);
}

int OutputStatusPage::FirstWaitingFile() const {
    for (int i = 0; i < twOutputFiles_->topLevelItemCount(); ++i)
        if (twOutputFiles_->topLevelItem(i)->text(1) == kWaiting)
            return i;
    return -1;
}

QStringList OutputStatusPage::FileLines() const {
    QStringList lines;
    for (int i = 0; i < twOutputFiles_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = twOutputFiles_->topLevelItem(i);
        lines << item->text(0) + u'|' + item->text(2) + u'|' + item->text(1);
    }
    return lines;
}

QString OutputStatusPage::OutputFolder() const {
    if (twOutputFiles_->topLevelItemCount() == 0)
        return {};
    return QFileInfo(twOutputFiles_->topLevelItem(0)->text(2)).absolutePath();
}

void OutputStatusPage::BeginRun(int nodeCount, const QString& generatingType) {
    progressMaximum_ = nodeCount - 1;
    // A bar whose range is empty would show Qt's busy animation.
    pbOutput_->setRange(0, std::max(progressMaximum_, 1));
    pbOutput_->setValue(0);
    btnViewOutputFile_->setEnabled(false);
    btnCopyToClipboard_->setEnabled(false);
    SetLabelsBold(false);
    lblGeneratingType_->setText(generatingType);
}

void OutputStatusPage::ShowNode(int index, const QString& linkText, const QString& filePath) {
    pbOutput_->setValue(index);
    lblGenerationStatus_->setText(u"Generating: "_s + linkText);
    lblGenerationFile_->setText(u"File: "_s + filePath);
}

void OutputStatusPage::ShowWritten(const QString& outputFile, std::string page) {
    lblGenerationFile_->setText(u"Your generated Site Map was saved to the following file:\n"_s +
                                outputFile);
    btnViewOutputFile_->setEnabled(true);
    btnCopyToClipboard_->setEnabled(true);
    memoPage_ = std::move(page);
    memoFilled_ = 0;
    memoGenerated_->clear();
    FillMemo();
}

QString OutputStatusPage::GeneratedContents() const {
    return ToQ(memoPage_);
}

// Laying out a page of megabytes at once would hold the window for a
// noticeable time, so a large page goes into the memo in parts, the first at
// once and the rest between events.
void OutputStatusPage::FillMemo() {
    constexpr size_t kPart = size_t{64} * 1024;
    size_t end = memoPage_.size();
    if (end - memoFilled_ > kPart) {
        // A part ends after a line feed, so that CR LF pairs and UTF-8
        // sequences stay whole.
        size_t lf = memoPage_.rfind('\n', memoFilled_ + kPart - 1);
        end = lf != std::string::npos && lf >= memoFilled_ ? lf + 1 : memoFilled_ + kPart;
    }
    QTextCursor cursor(memoGenerated_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromUtf8(memoPage_.data() + memoFilled_,
                                        static_cast<qsizetype>(end - memoFilled_)));
    memoFilled_ = end;
    if (MemoFilling())
        memoFill_->start();
    else
        memoFill_->stop();
}

void OutputStatusPage::ShowResult(const QString& text) {
    lblGenerationFile_->setText(text);
}

void OutputStatusPage::SetLabelsBold(bool bold) {
    for (QLabel* label : std::initializer_list<QLabel*>{lblGenerationFile_, lblGenerationStatus_}) {
        QFont font = label->font();
        font.setBold(bold);
        label->setFont(font);
    }
}

void OutputStatusPage::Complete() {
    lblGenerationStatus_->setText(u"Generation Complete!"_s);
}

// ---------------------------------------------------------------------------
// Generation progress

GenerationProgress::GenerationProgress(OutputStatusPage& page, int nodeCount)
    : page_(page), nodeCount_(nodeCount) {}

int GenerationProgress::PauseBeforeNode(int count) {
    // For a large tree a pause per node would add minutes.
    return count < 200 ? 1 : 0;
}

int GenerationProgress::PauseAfterNode(int count) {
    if (count < 50)
        return 15;
    if (count > 50 && count < 200)
        return 5;
    return 0;
}

GenerationProgress::TestHooks& GenerationProgress::Hooks() {
    static TestHooks hooks;
    return hooks;
}

void GenerationProgress::Pause(int milliseconds) {
    if (Hooks().pause)
        Hooks().pause(milliseconds);
    else
        QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void GenerationProgress::Show(const SiteMapNode& node, int index) {
    page_.ShowNode(index, ToQ(ShownLinkText(node.Data)), ToQ(node.Data.FilePath));
    QCoreApplication::processEvents();
    sinceShown_.start();
}

void GenerationProgress::BeforeNode(const SiteMapNode& node, int index, int) {
    if (Hooks().atNode)
        Hooks().atNode(index);
    last_ = &node;
    lastIndex_ = index;
    if (PauseBeforeNode(nodeCount_) > 0) {
        Show(node, index);
        Pause(PauseBeforeNode(nodeCount_));
        lastShown_ = true;
        return;
    }
    // About 60 updates a second.
    if (!sinceShown_.isValid() || sinceShown_.elapsed() >= 16) {
        Show(node, index);
        lastShown_ = true;
    } else {
        lastShown_ = false;
    }
}

void GenerationProgress::AfterNode(const SiteMapNode&, int, int) {
    if (int pause = PauseAfterNode(nodeCount_); pause > 0)
        Pause(pause);
}

void GenerationProgress::Flush() {
    if (last_ && !lastShown_)
        page_.ShowNode(lastIndex_, ToQ(ShownLinkText(last_->Data)), ToQ(last_->Data.FilePath));
    lastShown_ = true;
}

} // namespace tw::ui
