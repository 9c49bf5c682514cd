#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tw {

// Reads the link texts of pages ahead of the walk on worker threads, so that
// reading titles overlaps with listing folders and building the tree. The
// walk asks for the texts in the order in which the paths were submitted;
// a path that was not submitted is read on the spot. The result is always
// GetPageTitle's.
class TitlePrefetcher {
public:
    TitlePrefetcher(bool usePageTitles, unsigned threads);
    ~TitlePrefetcher();
    TitlePrefetcher(const TitlePrefetcher&) = delete;
    TitlePrefetcher& operator=(const TitlePrefetcher&) = delete;

    // Queues a page whose link text will be asked for.
    void Submit(std::string path);
    // The link text of Path; waits for it when it is being read.
    std::string Take(const std::string& path);

private:
    struct Job {
        std::string path;
        std::string text;
        bool done = false;
    };
    void Work();

    bool usePageTitles_;
    std::mutex mutex_;
    std::condition_variable jobReady_;
    std::condition_variable jobDone_;
    std::deque<Job> jobs_; // in submission order; the front is asked for next
    size_t next_ = 0;      // index of the first job no worker has taken
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace tw
