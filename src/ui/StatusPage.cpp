#include "ui/StatusPage.h"

#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "ui/PathLabel.h"
#include "ui/Text.h"

#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>

namespace tw::ui {

using namespace Qt::StringLiterals;

SearchAnimation::SearchAnimation(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
    setObjectName(u"aniSearch"_s);
    setFixedSize(kAnimationFrameSize, kAnimationFrameSize);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &SearchAnimation::Tick);
}

void SearchAnimation::SetFrames(QVector<QPixmap> frames) {
    frames_ = std::move(frames);
    update();
}

void SearchAnimation::Start() {
    timer_->start();
}
void SearchAnimation::Stop() {
    timer_->stop();
}
bool SearchAnimation::Active() const {
    return timer_->isActive();
}

QSize SearchAnimation::sizeHint() const {
    return {kAnimationFrameSize, kAnimationFrameSize};
}

void SearchAnimation::Tick() {
    update();
    if (!frames_.isEmpty())
        frame_ = (frame_ + 1) % frames_.size();
}

void SearchAnimation::paintEvent(QPaintEvent*) {
    if (frames_.isEmpty())
        return;
    QPainter p(this);
    p.drawPixmap(0, 0, frames_[frame_ % frames_.size()]);
}

namespace {

QLabel* Caption(const QString& text, const QString& name) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    return label;
}

} // namespace

StatusPage::StatusPage(QWidget* parent) : WizardPage(parent) {
    setObjectName(u"tsStatus"_s);
    lblStatusTitle_ = Caption(u"Searching for files, please wait...."_s, u"lblStatusTitle"_s);
    QFont bold = lblStatusTitle_->font();
    bold.setBold(true);
    lblStatusTitle_->setFont(bold);
    lblLookingIn_ = new PathLabel;
    lblLookingIn_->setObjectName(u"lblLookingIn"_s);
    lblFileFound_ = new PathLabel;
    lblFileFound_->setObjectName(u"lblFileFound"_s);
    lblFileCount_ = Caption(u"0"_s, u"lblFileCount"_s);
    aniSearch_ = new SearchAnimation;
    memoFiles_ = new QPlainTextEdit;
    memoFiles_->setObjectName(u"memoFiles"_s);
    memoFiles_->setReadOnly(true);
    memoFiles_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoFiles_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoFiles_->setAccessibleName(u"Scan log"_s);
    // The log is read, not edited: the text cursor stays out of the way.
    memoFiles_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 10, 12, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    grid->addWidget(lblStatusTitle_, 0, 0, 1, 3);
    auto* lookingIn = Caption(u"Looking in:"_s, u"Label6"_s);
    auto* file = Caption(u"File:"_s, u"Label7"_s);
    auto* found = Caption(u"Files Found:"_s, u"Label8"_s);
    SetBuddy(lookingIn, lblLookingIn_);
    SetBuddy(file, lblFileFound_);
    SetBuddy(found, lblFileCount_);
    grid->addWidget(lookingIn, 1, 0);
    grid->addWidget(lblLookingIn_, 1, 1);
    grid->addWidget(file, 2, 0);
    grid->addWidget(lblFileFound_, 2, 1);
    grid->addWidget(found, 3, 0);
    grid->addWidget(lblFileCount_, 3, 1);
    grid->addWidget(aniSearch_, 1, 2, 3, 1, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(memoFiles_, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
}

void StatusPage::SetFileCount(int count) {
    foundCount_ = count;
    lblFileCount_->setText(QString::number(count));
}

void StatusPage::SetTitle(const QString& title) {
    lblStatusTitle_->setText(title);
}

void StatusPage::ClearLog() {
    pendingLog_.clear();
    eventRounds_ = 0;
    sinceFlush_.invalidate();
    memoFiles_->clear();
}

void StatusPage::AppendLog(const QString& line) {
    Flush();
    memoFiles_->appendPlainText(line);
    memoFiles_->moveCursor(QTextCursor::End);
}

void StatusPage::ClearLocation() {
    lookingIn_.clear();
    fileFound_.clear();
    labelsDirty_ = false;
    lblLookingIn_->setPath(QString());
    lblFileFound_->setPath(QString());
}

void StatusPage::Flush() {
    if (labelsDirty_) {
        lblLookingIn_->setPath(ToQ(lookingIn_));
        lblFileFound_->setPath(ToQ(fileFound_));
        lblFileCount_->setText(QString::number(foundCount_));
        labelsDirty_ = false;
    }
    if (!pendingLog_.empty()) {
        // One block of lines: the newest line comes into view.
        memoFiles_->appendPlainText(ToQ(pendingLog_));
        memoFiles_->moveCursor(QTextCursor::End);
        memoFiles_->verticalScrollBar()->setValue(memoFiles_->verticalScrollBar()->maximum());
        pendingLog_.clear();
    }
}

void StatusPage::FolderEntered(const std::string& folder, bool ignored) {
    lookingIn_ = folder;
    labelsDirty_ = true;
    if (!pendingLog_.empty())
        pendingLog_ += '\n';
    pendingLog_ += ignored ? "Ignoring Folder: " : "Scanning Folder: ";
    pendingLog_ += folder;
}

void StatusPage::Warning(const std::string& text) {
    if (!pendingLog_.empty())
        pendingLog_ += '\n';
    pendingLog_ += "Warning: ";
    pendingLog_ += text;
}

void StatusPage::FileReported(const std::string& path) {
    fileFound_ = path;
    labelsDirty_ = true;
}

void StatusPage::FileListed(const std::string& path) {
    if (!pendingLog_.empty())
        pendingLog_ += '\n';
    pendingLog_ += "  ";
    pendingLog_ += path;
}

void StatusPage::FileAdded(int foundCount) {
    foundCount_ = foundCount;
    labelsDirty_ = true;
}

void StatusPage::Idle() {
    if (progressHook_)
        progressHook_(foundCount_);
    if (intervalMs_ > 0 && sinceFlush_.isValid() && sinceFlush_.elapsed() < intervalMs_)
        return;
    Flush();
    ++eventRounds_;
    QCoreApplication::processEvents();
    sinceFlush_.start();
}

} // namespace tw::ui
