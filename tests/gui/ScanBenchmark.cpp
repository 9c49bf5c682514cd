// tw_gui_scan_benchmark SITE_INDEX [UPDATE_INTERVAL_MS]
//
// Times a scan of a site three ways: the core's scan alone (what the
// command-line tool runs), the wizard's scan run in its window, and the
// wizard's reaction to Cancel half way. For the window it also reports how
// often the window was given its events and the longest pause between two
// repaints of the scan log. Run it on a display or offscreen.

#include "ScriptedDialogs.h"
#include "scan/ScanRun.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "ui/SiteMapMainForm.h"
#include "ui/StatusPage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

// Longest pause between two paints of the watched widget while a scan runs.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(tw::ui::TfrmSiteMapMain& window) : window_(window) {}
    qint64 longestGapMs = 0;
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && window_.Searching()) {
            if (clock_.isValid())
                longestGapMs = std::max(longestGapMs, clock_.elapsed());
            clock_.start();
            ++paints;
        }
        return false;
    }

private:
    tw::ui::TfrmSiteMapMain& window_;
    QElapsedTimer clock_;
};

class CloseRefuser : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Close)
            return false;
        event->ignore();
        return true;
    }
};

template <typename T> T* Get(QWidget* w, const char* name) {
    return w->findChild<T*>(QString::fromLatin1(name));
}

} // namespace

int main(int argc, char* argv[]) {
    tw::SetApplicationExeName(argv[0]);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tw_gui_scan_benchmark SITE_INDEX [UPDATE_INTERVAL_MS]\n");
        return 2;
    }
    const std::string index = argv[1];
    const int interval = argc > 2 ? std::atoi(argv[2]) : -1;

    // The core alone.
    {
        tw::TMapProfile profile = tw::MakeStartupProfile();
        profile.SetIndexPage(index);
        tw::TSiteMapTree tree;
        tw::ScanRun run(tree, profile, {}, {});
        QElapsedTimer t;
        t.start();
        run.Run();
        std::printf("core scan: %lld ms, %d files, %d nodes\n", t.elapsed(), run.FoundCount(),
                    tree.Count());
    }

    // Settings and preview go to a folder of their own, not the build's.
    QTemporaryDir programFolder;
    ScriptedDialogs dialogs;
    tw::ui::TfrmSiteMapMain window(dialogs, {},
                                   (programFolder.path() + QLatin1Char('/')).toStdString());
    if (interval >= 0)
        window.Status()->SetUpdateInterval(interval);
    window.show();
    PaintWatch paints(window);
    Get<QPlainTextEdit>(&window, "memoFiles")->viewport()->installEventFilter(&paints);
    Get<QLineEdit>(&window, "editIndex")->setText(QString::fromStdString(index));

    QElapsedTimer t;
    t.start();
    Get<QPushButton>(&window, "btnNext")->click();
    qint64 scanMs = t.elapsed();
    int lines = Get<QPlainTextEdit>(&window, "memoFiles")->document()->blockCount();
    std::printf("window scan: %lld ms, %d files, %d log lines, %d event rounds, %d log paints, "
                "longest pause between log paints %lld ms\n",
                scanMs, window.FoundCount(), lines, window.Status()->EventRounds(), paints.paints,
                paints.longestGapMs);

    // Cancel half way, with the close refused as a user keeping the window.
    const int half = window.FoundCount() / 2;
    CloseRefuser refuser;
    window.installEventFilter(&refuser);
    Get<QPushButton>(&window, "btnBack")->click();
    QElapsedTimer sinceCancel;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&] {
        if (!sinceCancel.isValid() && window.Searching() &&
            Get<QLabel>(&window, "lblFileCount")->text().toInt() >= half) {
            sinceCancel.start();
            Get<QPushButton>(&window, "btnCancel")->click();
        }
    });
    watcher.start();
    Get<QPushButton>(&window, "btnNext")->click();
    qint64 stoppedMs = sinceCancel.isValid() ? sinceCancel.elapsed() : -1;
    std::printf("cancel at %d files: scan run ended %lld ms after the click (tree shown, %d files "
                "kept)\n",
                half, stoppedMs, window.FoundCount());
    return dialogs.Finished() ? 0 : 1;
}
