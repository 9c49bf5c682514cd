#include "ui/SiteCheckRun.h"

#include "check/ExternalLinks.h"
#include "check/SiteCheck.h"

#include <QMetaObject>
#include <exception>

namespace tw::ui {

class SiteCheckRun::Listener : public SiteCheckListener, public ExternalCheckListener {
public:
    Listener(SiteCheckRun& owner, unsigned run) : owner_(owner), run_(run) {}

    void FilesFound(int count) override {
        owner_.done_ = count;
        owner_.PostProgress(run_);
    }
    void PageChecked(size_t done, size_t total) override {
        owner_.phase_ = static_cast<int>(Phase::Checking);
        owner_.done_ = static_cast<qint64>(done);
        owner_.total_ = static_cast<qint64>(total);
        owner_.PostProgress(run_);
        if (owner_.pageHook_)
            owner_.pageHook_(done);
    }
    void UrlsChecked(size_t done, size_t total) override {
        owner_.phase_ = static_cast<int>(Phase::External);
        owner_.done_ = static_cast<qint64>(done);
        owner_.total_ = static_cast<qint64>(total);
        owner_.PostProgress(run_);
    }
    bool StopRequested() override { return owner_.stop_.load(std::memory_order_relaxed); }

private:
    SiteCheckRun& owner_;
    unsigned run_;
};

SiteCheckRun::SiteCheckRun(QObject* parent) : QObject(parent) {}

SiteCheckRun::~SiteCheckRun() {
    Stop();
}

void SiteCheckRun::Start(TMapProfile profile) {
    Stop();
    report_.reset();
    error_.clear();
    warnings_.clear();
    stop_ = false;
    phase_ = static_cast<int>(Phase::Scanning);
    done_ = 0;
    total_ = 0;
    progressPending_ = false;
    const unsigned run = ++run_;
    worker_ =
        std::thread([this, run, p = std::move(profile)]() mutable { Work(std::move(p), run); });
}

bool SiteCheckRun::Stop() {
    if (!worker_.joinable())
        return false;
    RequestStop();
    worker_.join();
    // Whatever the run posted is now out of date.
    ++run_;
    report_.reset();
    return true;
}

void SiteCheckRun::RequestStop() {
    {
        std::lock_guard lock(stopMutex_);
        stop_ = true;
        if (checker_)
            checker_->Stop();
    }
    stopAsked_.notify_all();
}

void SiteCheckRun::WaitForStopRequest() {
    std::unique_lock lock(stopMutex_);
    stopAsked_.wait(lock, [this] { return stop_.load(); });
}

void SiteCheckRun::PostProgress(unsigned run) {
    if (progressPending_.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this, run] {
            progressPending_ = false;
            if (run == run_ && worker_.joinable())
                emit progress(static_cast<Phase>(phase_.load()), done_.load(), total_.load());
        },
        Qt::QueuedConnection);
}

void SiteCheckRun::CheckOnline(LinkReport& report, Listener& listener) {
    ExternalChecker checker(online_);
    {
        std::lock_guard lock(stopMutex_);
        if (stop_)
            return;
        checker_ = &checker;
    }
    ExternalRunOptions run;
    run.CacheFile = externalCache_;
    // The checker goes before Stop can reach it again, however this ends.
    struct Forget {
        SiteCheckRun& owner;
        ~Forget() {
            std::lock_guard lock(owner.stopMutex_);
            owner.checker_ = nullptr;
        }
    } forget{*this};
    CheckExternalLinks(
        report, checker, run, SystemCheckClock(),
        [this](const std::string& text) { warnings_ << QString::fromStdString(text); }, &listener);
}

void SiteCheckRun::Work(TMapProfile profile, unsigned run) {
    std::optional<LinkReport> report;
    QString error;
    try {
        Listener listener(*this, run);
        LinkCheckLimits limits;
        limits.SiteUrls = SiteUrlsFor(profile, {});
        limits.CollectExternal = profile.CheckExternalLinks();
        report = CheckSite(std::move(profile), limits, &listener);
        if (report && limits.CollectExternal)
            CheckOnline(*report, listener);
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    } catch (...) {
        error = QStringLiteral("An unexpected error occurred");
    }
    // A stopped run has nothing to tell: Stop waits for it and moves on.
    if (stop_)
        return;
    report_ = std::move(report);
    error_ = std::move(error);
    QMetaObject::invokeMethod(
        this,
        [this, run] {
            if (run != run_ || !worker_.joinable())
                return;
            worker_.join();
            emit finished();
        },
        Qt::QueuedConnection);
}

} // namespace tw::ui
