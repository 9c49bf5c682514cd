#pragma once

#include "scan/ScanRun.h"
#include "ui/WizardPage.h"

#include <QElapsedTimer>
#include <QPixmap>
#include <QVector>
#include <QWidget>
#include <functional>
#include <string>
#include <utility>

class QLabel;
class QPlainTextEdit;
class QTimer;

namespace tw::ui {

class PathLabel;

// The scan animation: cycles its frames on a 100 ms timer while active.
class SearchAnimation : public QWidget {
    Q_OBJECT
public:
    explicit SearchAnimation(QWidget* parent = nullptr);

    void SetFrames(QVector<QPixmap> frames);
    void Start();
    void Stop();
    bool Active() const;
    int CurrentFrame() const { return frame_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Tick();

    QVector<QPixmap> frames_;
    QTimer* timer_;
    int frame_ = 2; // the first run starts here
};

// Wizard page 1: the progress of a scan. It is also the scan's listener:
// labels and log lines are gathered and shown at most about 60 times a
// second, when the window is also given its pending events, so that a large
// site is not slowed down by repainting after every file.
class StatusPage : public WizardPage, public ScanListener {
    Q_OBJECT
public:
    explicit StatusPage(QWidget* parent = nullptr);

    SearchAnimation* Animation() const { return aniSearch_; }

    // Before a walk: count 0, the searching title, an empty log.
    void SetFileCount(int count);
    void SetTitle(const QString& title);
    void ClearLog();
    // Appends one log line at once (after the walk).
    void AppendLog(const QString& line);
    void ClearLocation();

    // Shows what was gathered since the last update.
    void Flush();
    // 0 shows every event at once and processes events after each of them.
    void SetUpdateInterval(int milliseconds) { intervalMs_ = milliseconds; }
    // How often the walk handed the event loop its pending events.
    int EventRounds() const { return eventRounds_; }
    // A test seam, null by default: called at every Idle with the count of
    // files found so far, so that a test can act at an exact point of a walk
    // however fast the machine is.
    void SetProgressHook(std::function<void(int foundCount)> hook) {
        progressHook_ = std::move(hook);
    }

    void FolderEntered(const std::string& folder, bool ignored) override;
    void FileReported(const std::string& path) override;
    void FileListed(const std::string& path) override;
    void FileAdded(int foundCount) override;
    void Idle() override;
    void Warning(const std::string& text) override;

private:
    QLabel* lblStatusTitle_;
    PathLabel* lblLookingIn_;
    PathLabel* lblFileFound_;
    QLabel* lblFileCount_;
    SearchAnimation* aniSearch_;
    QPlainTextEdit* memoFiles_;

    int intervalMs_ = 16;
    int eventRounds_ = 0;
    QElapsedTimer sinceFlush_;
    std::string pendingLog_;
    std::string lookingIn_;
    std::string fileFound_;
    int foundCount_ = 0;
    bool labelsDirty_ = false;
    std::function<void(int)> progressHook_;
};

} // namespace tw::ui
