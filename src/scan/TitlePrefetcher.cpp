#include "scan/TitlePrefetcher.h"

#include "model/PageTitle.h"

namespace tw {

TitlePrefetcher::TitlePrefetcher(bool usePageTitles, unsigned threads)
    : usePageTitles_(usePageTitles) {
    for (unsigned i = 0; i < threads; ++i)
        workers_.emplace_back([this] { Work(); });
}

TitlePrefetcher::~TitlePrefetcher() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    jobReady_.notify_all();
    for (std::thread& t : workers_)
        t.join();
}

void TitlePrefetcher::Submit(std::string path) {
    if (workers_.empty())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        jobs_.push_back(Job{std::move(path), {}, false});
    }
    jobReady_.notify_one();
}

void TitlePrefetcher::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        jobReady_.wait(lock, [this] { return stopping_ || next_ < jobs_.size(); });
        if (stopping_)
            return;
        // References to deque elements stay valid while others are added at
        // the back; the front is removed only once its job is done.
        Job& job = jobs_[next_++];
        lock.unlock();
        std::string text = GetPageTitle(job.path, usePageTitles_);
        lock.lock();
        job.text = std::move(text);
        job.done = true;
        jobDone_.notify_all();
    }
}

std::string TitlePrefetcher::Take(const std::string& path) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!jobs_.empty()) {
        Job& front = jobs_.front();
        if (front.path != path && next_ == 0) {
            // Not submitted for this turn and nobody works on it: drop it.
            jobs_.pop_front();
            continue;
        }
        jobDone_.wait(lock, [&front] { return front.done; });
        bool match = front.path == path;
        std::string text = std::move(front.text);
        jobs_.pop_front();
        --next_;
        if (match)
            return text;
    }
    lock.unlock();
    return GetPageTitle(path, usePageTitles_);
}

} // namespace tw
