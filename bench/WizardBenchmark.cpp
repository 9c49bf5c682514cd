// tw_gui_benchmark SITE_INDEX [TREE_NODES]
//
// Times the wizard against the core on the same site: the scan, the
// generation of the page, the reaction to Cancel and Check Site (with the
// longest pause between the window's repaints while it runs), Stop Check
// while external links are asked from a loopback port, each in the
// window (offscreen or on a display) and as the command-line tool runs it. Then it
// fills the results tree with a site of TREE_NODES pages (100,000 unless
// given) made in a temporary folder, and times what a user does there:
// opening and closing the whole tree, moving the selection, renaming,
// editing the properties and deleting an item. It prints figures and the
// targets they are held to; it asserts nothing.

#include "ScriptedDialogs.h"
#include "check/SiteCheck.h"
#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "output/OutputTargets.h"
#include "scan/ScanRun.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "ui/OutputSettingsPage.h"
#include "ui/OutputStatusPage.h"
#include "ui/ResultsPage.h"
#include "ui/SiteMapMainForm.h"
#include "ui/StatusPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Longest pause between two paints of the watched widget while the window
// is busy with a scan or a generation.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(tw::ui::TfrmSiteMapMain& window) : window_(window) {}
    qint64 longestGapMs = 0;
    int paints = 0;
    void Restart() {
        longestGapMs = 0;
        paints = 0;
        clock_.invalidate();
    }
    // A new run: the pause before its first paint is not one of its own.
    void Lap() { clock_.invalidate(); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && (window_.Searching() || window_.Generating())) {
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

QPushButton* Button(QWidget* w, const char* name) {
    return Get<QPushButton>(w, name);
}

void Verdict(const char* what, double figure, double limit, const char* unit) {
    std::printf("target: %s %.2f%s (at most %.2f%s) %s\n", what, figure, unit, limit, unit,
                figure <= limit ? "met" : "MISSED");
}

// Median of REPEATS runs of fn, in milliseconds.
double MedianMs(int repeats, const std::function<void()>& fn) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer t;
        t.start();
        fn();
        times.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A site of NODES small pages: folders of 100 pages, ten folders to a parent.
QString MakeFlatSite(const QString& root, int nodes) {
    QDir dir(root);
    QFile index(root + QStringLiteral("/index.html"));
    (void)index.open(QIODevice::WriteOnly);
    index.write("<title>Home</title>");
    index.close();
    for (int i = 0; i < nodes; ++i) {
        QString folder = QStringLiteral("%1/s%2/f%3").arg(root).arg(i / 10000).arg((i / 100) % 100);
        if (i % 100 == 0)
            dir.mkpath(folder);
        QFile page(QStringLiteral("%1/p%2.html").arg(folder).arg(i));
        (void)page.open(QIODevice::WriteOnly);
        page.write(QStringLiteral("<title>Page %1</title>").arg(i).toUtf8());
    }
    return root + QStringLiteral("/index.html");
}

struct Window {
    QTemporaryDir programFolder; // settings and preview go here, not to the build
    ScriptedDialogs dialogs;
    tw::ui::TfrmSiteMapMain form{
        dialogs, {}, (programFolder.path() + QLatin1Char('/')).toStdString()};
    PaintWatch paints{form};

    Window() {
        form.show();
        (void)QTest::qWaitFor([this] { return !form.FirstActivatePending(); });
        Get<QPlainTextEdit>(&form, "memoFiles")->viewport()->installEventFilter(&paints);
    }
};

// A corner of the window that asks to be repainted every 10 ms and records
// the longest pause between two of its paints: how long the window was
// frozen at most.
class RepaintProbe : public QWidget {
public:
    explicit RepaintProbe(QWidget* parent) : QWidget(parent) {
        setGeometry(0, 0, 4, 4);
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { update(); });
    }
    qint64 longestGapMs = 0;
    void Start() {
        longestGapMs = 0;
        clock_.invalidate();
        show();
        raise();
        timer_.start();
    }
    void Stop() { timer_.stop(); }

protected:
    void paintEvent(QPaintEvent*) override {
        if (clock_.isValid())
            longestGapMs = std::max(longestGapMs, clock_.elapsed());
        clock_.start();
        QPainter(this).fillRect(rect(), (++paints_ & 1) ? Qt::gray : Qt::lightGray);
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    int paints_ = 0;
};

// Check Site in the window against the core's CheckSite on the same site,
// and the longest pause between repaints of the window meanwhile.
void TimeCheck(const std::string& index) {
    tw::TMapProfile profile = tw::MakeStartupProfile();
    profile.SetIndexPage(index);
    size_t findings = 0;
    const double coreMs = MedianMs(3, [&] {
        std::optional<tw::LinkReport> report = tw::CheckSite(profile);
        findings = report ? report->ProblemCount() : 0;
    });

    Window w;
    Get<QLineEdit>(&w.form, "editIndex")->setText(QString::fromStdString(index));
    Button(&w.form, "btnNext")->click();
    tw::ui::ResultsPage* results = w.form.Results();
    RepaintProbe probe(&w.form);
    qint64 longestGap = 0;
    int listed = 0;
    const double windowMs = MedianMs(3, [&] {
        probe.Start();
        Button(&w.form, "btnCheckSite")->click();
        while (results->Checking())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // The findings fill their list as the run ends: that pause counts too.
        probe.repaint();
        probe.Stop();
        longestGap = std::max(longestGap, probe.longestGapMs);
        listed = Get<QTreeView>(&w.form, "lvFindings")->model()->rowCount();
    });
    std::printf("check site: core %.0f ms (%zu problems), window %.0f ms (%d findings listed), "
                "longest pause between repaints %lld ms\n",
                coreMs, findings, windowMs, listed, static_cast<long long>(longestGap));
    Verdict("window check / core check", windowMs / coreMs, 1.5, "");
    Verdict("longest pause between repaints during the check", static_cast<double>(longestGap), 100,
            " ms");
    if (!w.dialogs.Finished())
        std::printf("unexpected dialogs: %s\n", qPrintable(w.dialogs.Report()));
}

// A loopback port for Check Site online: Silent leaves every connection
// unanswered (requests in flight), else each gets a 503 asking to retry in
// 30 s (a wait with nothing in flight).
class StubbornServer {
public:
    explicit StubbornServer(bool silent) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(fd_, 1024) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            std::perror("loopback server");
        port_ = ntohs(address.sin_port);
        if (!silent)
            thread_ = std::thread([this] {
                static const char kAnswer[] =
                    "HTTP/1.1 503 Busy\r\nRetry-After: 30\r\nContent-Length: 0\r\n\r\n";
                for (int client; (client = ::accept(fd_, nullptr, nullptr)) >= 0;) {
                    char request[4096];
                    if (::recv(client, request, sizeof request, 0) > 0 &&
                        ::send(client, kAnswer, sizeof kAnswer - 1, MSG_NOSIGNAL) < 0)
                        std::perror("loopback answer");
                    ::close(client);
                }
            });
    }
    ~StubbornServer() {
        ::shutdown(fd_, SHUT_RDWR);
        if (thread_.joinable())
            thread_.join();
        ::close(fd_);
    }
    QString Url(int i) const { return QStringLiteral("http://127.0.0.1:%1/u%2").arg(port_).arg(i); }

private:
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
};

// Stop Check while the check asks external links: how long the click takes
// to return with the run ended, the slowest of five.
void TimeOnlineStop() {
    for (const bool silent : {true, false}) {
        StubbornServer server(silent);
        QTemporaryDir site;
        QFile index(site.filePath(QStringLiteral("index.html")));
        (void)index.open(QIODevice::WriteOnly);
        index.write("<title>Links</title>");
        for (int i = 0; i < 200; ++i)
            index.write(QStringLiteral("<a href='%1'>%2</a>").arg(server.Url(i)).arg(i).toUtf8());
        index.close();

        Window w;
        Get<QLineEdit>(&w.form, "editIndex")->setText(index.fileName());
        Button(&w.form, "btnNext")->click();
        Get<QCheckBox>(&w.form, "cbCheckExternal")->setChecked(true);
        tw::ui::ResultsPage* results = w.form.Results();
        auto* progress = Get<QLabel>(&w.form, "lblCheckProgress");
        qint64 slowest = 0;
        for (int run = 0; run < 5; ++run) {
            Button(&w.form, "btnCheckSite")->click();
            (void)QTest::qWaitFor(
                [&] { return progress->text().startsWith(QStringLiteral("Checking external")); },
                60000);
            // The transfers under way, or their retry waits begun.
            QTest::qWait(300);
            QElapsedTimer stop;
            stop.start();
            Button(&w.form, "btnCheckSite")->click();
            slowest = std::max(slowest, results->Checking() ? -1 : stop.elapsed());
        }
        std::printf("stop check online (%s): the run ended %lld ms after the click at most\n",
                    silent ? "200 requests in flight" : "retries waiting out Retry-After",
                    static_cast<long long>(slowest));
        Verdict(silent ? "Stop Check with requests in flight taken after"
                       : "Stop Check during a Retry-After wait taken after",
                static_cast<double>(slowest), 100, " ms");
    }
}

// The slowest of the steps a user takes in a large result tree.
void TimeTree(const QString& index) {
    Window w;
    Get<QLineEdit>(&w.form, "editIndex")->setText(index);
    QElapsedTimer t;
    t.start();
    Button(&w.form, "btnNext")->click();
    std::printf("results tree: %d nodes after a %lld ms scan in the window\n", w.form.FoundCount(),
                t.elapsed());

    auto* view = Get<QTreeView>(&w.form, "tvMap");
    view->setFocus();
    double worst = 0;
    // One user step: the event, its handling and the repaint it causes.
    auto step = [&](const char* what, int times, const std::function<void()>& fn) {
        double slowest = 0;
        for (int i = 0; i < times; ++i) {
            QElapsedTimer s;
            s.start();
            fn();
            // What the event loop does before the next key: queued calls
            // (the editor's commit), deferred deletes and the repaint.
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            view->viewport()->repaint();
            slowest = std::max(slowest, static_cast<double>(s.nsecsElapsed()) / 1e6);
        }
        std::printf("  %-34s slowest of %4d: %7.2f ms\n", what, times, slowest);
        worst = std::max(worst, slowest);
    };
    step("select the last item (End)", 3, [&] { QTest::keyClick(view, Qt::Key_End); });
    step("select the first item (Home)", 3, [&] { QTest::keyClick(view, Qt::Key_Home); });
    step("collapse the root (Left)", 1, [&] { QTest::keyClick(view, Qt::Key_Left); });
    step("expand the whole tree (*)", 1, [&] { QTest::keyClick(view, Qt::Key_Asterisk); });
    step("move down (Down)", 500, [&] { QTest::keyClick(view, Qt::Key_Down); });
    step("page down (PgDn)", 50, [&] { QTest::keyClick(view, Qt::Key_PageDown); });
    step("rename (F2, type, Enter)", 5, [&] {
        QTest::keyClick(view, Qt::Key_F2);
        if (auto* editor = view->viewport()->findChild<QLineEdit*>()) {
            editor->setText(QStringLiteral("Renamed"));
            QTest::keyClick(editor, Qt::Key_Return);
        }
    });
    step("properties (Alt+Enter, OK)", 5, [&] {
        w.dialogs.AnswerEditItem(true, QStringLiteral("Edited"), QStringLiteral("edited.html"));
        QTest::keyClick(view, Qt::Key_Return, Qt::AltModifier);
    });
    step("delete a page (Del, Yes)", 20, [&] {
        QTest::keyClick(view, Qt::Key_Down);
        w.dialogs.AnswerMessage(tw::ui::MsgResult::Yes);
        QTest::keyClick(view, Qt::Key_Delete);
    });
    Verdict("slowest step in the results tree", worst, 100, " ms");
    if (!w.dialogs.Finished())
        std::printf("unexpected dialogs: %s\n", qPrintable(w.dialogs.Report()));
}

} // namespace

int main(int argc, char* argv[]) {
    tw::SetApplicationExeName(argv[0]);
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // figures appear as they are taken
    if (argc < 2) {
        std::fprintf(stderr, "usage: tw_gui_benchmark SITE_INDEX [TREE_NODES]\n");
        return 2;
    }
    const std::string index = argv[1];
    const int treeNodes = argc > 2 ? std::atoi(argv[2]) : 100000;
    QTemporaryDir scratch;
    const std::string coreOutput = scratch.filePath(QStringLiteral("core.html")).toStdString();
    const QString windowOutput = scratch.filePath(QStringLiteral("window.html"));

    // What trailwright-cli generate runs: the scan, then the streamed page.
    tw::TMapProfile profile = tw::MakeStartupProfile();
    profile.SetIndexPage(index);
    profile.SetOutputFileName(coreOutput);
    int coreFiles = 0;
    const double coreScanMs = MedianMs(3, [&] {
        tw::TSiteMapTree tree;
        tw::ScanRun run(tree, profile);
        run.Run();
        coreFiles = run.FoundCount();
    });
    tw::TSiteMapTree tree;
    tw::ScanRun(tree, profile).Run();
    const double coreGenerateMs =
        MedianMs(3, [&] { tw::WriteSiteMapFile(tree, profile, nullptr, tw::ProgramFolder()); });
    std::printf("core: scan %.0f ms (%d files), generation %.0f ms (%d nodes)\n", coreScanMs,
                coreFiles, coreGenerateMs, tree.Count());

    Window w;
    Get<QLineEdit>(&w.form, "editIndex")->setText(QString::fromStdString(index));
    // Each run in the window is timed three times, as the core's are; the
    // medians are compared.
    int lines = 0;
    const double scanMs = MedianMs(3, [&] {
        if (w.form.WizardPage() != 0)
            Button(&w.form, "btnBack")->click();
        w.paints.Lap();
        Button(&w.form, "btnNext")->click();
        lines = Get<QPlainTextEdit>(&w.form, "memoFiles")->document()->blockCount();
    });
    std::printf("window scan: %.0f ms, %d files, %d log lines, %d event rounds, longest pause "
                "between log paints %lld ms\n",
                scanMs, w.form.FoundCount(), lines, w.form.Status()->EventRounds(),
                w.paints.longestGapMs);

    // The results page, then the output settings with a file outside the
    // site: the question about the folders is answered "leave it".
    Button(&w.form, "btnNext")->click();
    Get<QLineEdit>(&w.form, "editOutputFile")->setText(windowOutput);
    auto* memoGenerated = Get<QPlainTextEdit>(&w.form, "memoGenerated");
    memoGenerated->viewport()->installEventFilter(&w.paints);
    w.paints.Restart();
    qint64 fillMs = 0;
    qint64 longestRound = 0;
    std::vector<double> runs;
    for (int i = 0; i < 3; ++i) {
        if (w.form.WizardPage() == 4) {
            while (w.form.OutputStatus()->MemoFilling())
                QCoreApplication::processEvents();
            Button(&w.form, "btnBack")->click();
        }
        w.dialogs.AnswerMessage(tw::ui::MsgResult::No);
        w.paints.Lap();
        QElapsedTimer run;
        run.start();
        Button(&w.form, "btnNext")->click();
        (void)QTest::qWaitFor([&] { return !w.form.Generating(); }, 600000);
        runs.push_back(static_cast<double>(run.nsecsElapsed()) / 1e6);
    }
    std::sort(runs.begin(), runs.end());
    const double generateMs = runs[1];
    std::printf("window generation: %.0f ms to page %d, %lld bytes written, longest pause "
                "between paints %lld ms\n",
                generateMs, w.form.WizardPage(), QFileInfo(windowOutput).size(),
                w.paints.longestGapMs);
    // A large page reaches the memo in parts after the run, the window
    // answering in between; the last run's filling is timed.
    QElapsedTimer t;
    t.start();
    while (w.form.OutputStatus()->MemoFilling()) {
        QElapsedTimer round;
        round.start();
        QCoreApplication::processEvents();
        longestRound = std::max(longestRound, round.elapsed());
    }
    fillMs = t.elapsed();
    std::printf("memo filled %lld ms after the run, longest event round %lld ms\n",
                static_cast<long long>(fillMs), static_cast<long long>(longestRound));

    // Back to the start, and a second scan cancelled half way, with the close
    // refused as a user keeping the window.
    Button(&w.form, "btnBack")->click();
    Button(&w.form, "btnBack")->click();
    Button(&w.form, "btnBack")->click();
    const int half = w.form.FoundCount() / 2;
    CloseRefuser refuser;
    w.form.installEventFilter(&refuser);
    QElapsedTimer sinceCancel;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&] {
        if (!sinceCancel.isValid() && w.form.Searching() &&
            Get<QLabel>(&w.form, "lblFileCount")->text().toInt() >= half) {
            sinceCancel.start();
            Button(&w.form, "btnCancel")->click();
        }
    });
    watcher.start();
    Button(&w.form, "btnNext")->click();
    watcher.stop();
    const qint64 stoppedMs = sinceCancel.isValid() ? sinceCancel.elapsed() : -1;
    std::printf("cancel at %d files: the scan ended %lld ms after the click\n", half, stoppedMs);
    w.form.removeEventFilter(&refuser);

    Verdict("window scan / core scan", scanMs / coreScanMs, 3, "");
    Verdict("window generation / core generation", generateMs / coreGenerateMs, 2, "");
    Verdict("Cancel taken after", static_cast<double>(stoppedMs), 100, " ms");
    if (!w.dialogs.Finished())
        std::printf("unexpected dialogs: %s\n", qPrintable(w.dialogs.Report()));
    TimeCheck(index);
    TimeOnlineStop();

    if (treeNodes > 0) {
        // The tree is what is timed, not the disk: the site goes to memory
        // where there is a memory file system.
        const QString shm = QStringLiteral("/dev/shm");
        QTemporaryDir site(QFileInfo(shm).isWritable()
                               ? shm + QStringLiteral("/tw-bench-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/tw-bench-XXXXXX"));
        QElapsedTimer made;
        made.start();
        const QString flatIndex = MakeFlatSite(site.path(), treeNodes);
        std::printf("made a site of %d pages in %lld ms\n", treeNodes, made.elapsed());
        // The disk's write-back of the new files would otherwise run during
        // the timed steps.
        ::sync();
        TimeTree(flatIndex);
    }
    return 0;
}
