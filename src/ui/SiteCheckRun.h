#pragma once

#include "check/ExternalCheck.h"
#include "check/LinkCheck.h"
#include "model/SiteMapProfile.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace tw::ui {

// Runs the core's CheckSite on a thread of its own, so that the window
// answers while a large site is read, then, when the profile asks for it,
// the external links online; a stop aborts the transfers in flight. Progress and the end reach the
// UI thread as queued calls; at most one progress call waits at a time, so a fast worker cannot
// flood the event loop.
class SiteCheckRun : public QObject {
    Q_OBJECT
public:
    enum class Phase { Scanning, Checking, External };

    explicit SiteCheckRun(QObject* parent = nullptr);
    // Stops a running check and waits for its thread.
    ~SiteCheckRun() override;

    bool Running() const { return worker_.joinable(); }
    // The file the online answers are kept in between runs; empty: none.
    void SetExternalCache(std::string file) { externalCache_ = std::move(file); }
    // The online check's limits; the wizard keeps the defaults, tests wait
    // longer than any run so that only a stop ends a silent request.
    void SetOnlineOptions(ExternalCheckOptions options) { online_ = std::move(options); }
    // Starts a check of the site Profile names; a running one is stopped first.
    void Start(TMapProfile profile);
    // Asks the worker to stop and waits for its end; true when one was
    // running. A stopped run signals nothing.
    bool Stop();

    // After finished(): the report (taken once), or else the error that
    // ended the run.
    std::optional<LinkReport> TakeReport() { return std::exchange(report_, std::nullopt); }
    const QString& Error() const { return error_; }
    // After finished(): what went wrong without ending the run (a cache
    // file ignored or not written).
    const QStringList& Warnings() const { return warnings_; }

    // Called on the worker thread after each checked page, before it asks
    // whether to stop: tests hold the run at a page of their choosing.
    using PageHook = std::function<void(size_t done)>;
    void SetPageHook(PageHook hook) { pageHook_ = std::move(hook); }
    // Blocks the calling thread (a page hook's) until a stop was asked for.
    void WaitForStopRequest();

signals:
    // Scanning: Done files found so far, Total 0. Checking: Done of Total
    // pages. External: Done of Total URLs.
    void progress(tw::ui::SiteCheckRun::Phase phase, qint64 done, qint64 total);
    // The run ended by itself: Report() or Error() tells how.
    void finished();

private:
    class Listener;
    void Work(TMapProfile profile, unsigned run);
    void PostProgress(unsigned run);
    void RequestStop();
    void CheckOnline(LinkReport& report, Listener& listener);

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
    std::string externalCache_;
    ExternalCheckOptions online_;
    // The online check while it runs, so that a stop aborts its transfers;
    // guarded by stopMutex_.
    ExternalChecker* checker_ = nullptr;
    // Written by the worker before it posts its end; read after the join.
    std::optional<LinkReport> report_;
    QString error_;
    QStringList warnings_;
};

} // namespace tw::ui
