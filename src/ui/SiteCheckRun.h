#pragma once

#include "check/LinkCheck.h"
#include "model/SiteMapProfile.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace tw::ui {

// Runs the core's CheckSite on a thread of its own, so that the window
// answers while a large site is read. Progress and the end reach the UI
// thread as queued calls; at most one progress call waits at a time, so a
// fast worker cannot flood the event loop.
class SiteCheckRun : public QObject {
    Q_OBJECT
public:
    enum class Phase { Scanning, Checking };

    explicit SiteCheckRun(QObject* parent = nullptr);
    // Stops a running check and waits for its thread.
    ~SiteCheckRun() override;

    bool Running() const { return worker_.joinable(); }
    // Starts a check of the site Profile names; a running one is stopped first.
    void Start(TMapProfile profile);
    // Asks the worker to stop and waits for its end; true when one was
    // running. A stopped run signals nothing.
    bool Stop();

    // After finished(): the report (taken once), or else the error that
    // ended the run.
    std::optional<LinkReport> TakeReport() { return std::exchange(report_, std::nullopt); }
    const QString& Error() const { return error_; }

    // Called on the worker thread after each checked page, before it asks
    // whether to stop: tests hold the run at a page of their choosing.
    using PageHook = std::function<void(size_t done)>;
    void SetPageHook(PageHook hook) { pageHook_ = std::move(hook); }
    // Blocks the calling thread (a page hook's) until a stop was asked for.
    void WaitForStopRequest();

signals:
    // Scanning: Done files found so far, Total 0. Checking: Done of Total pages.
    void progress(tw::ui::SiteCheckRun::Phase phase, qint64 done, qint64 total);
    // The run ended by itself: Report() or Error() tells how.
    void finished();

private:
    class Listener;
    void Work(TMapProfile profile, unsigned run);
    void PostProgress(unsigned run);
    void RequestStop();

    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::mutex stopMutex_;
    std::condition_variable stopAsked_;
    // The runs are numbered, so that a queued call of a stopped run is
    // recognised and dropped.
    unsigned run_ = 0;
    std::atomic<bool> progressPending_{false};
    std::atomic<int> phase_{0};
    std::atomic<qint64> done_{0};
    std::atomic<qint64> total_{0};
    PageHook pageHook_;
    // Written by the worker before it posts its end; read after the join.
    std::optional<LinkReport> report_;
    QString error_;
};

} // namespace tw::ui
