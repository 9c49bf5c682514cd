#pragma once

#include "model/PageParser.h"

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace tw {

// What reading one page gave.
struct PageRead {
    bool Readable = false;  // false: gone, not a regular file, or no permission
    bool Truncated = false; // longer than the read limit: only its start was parsed
    ParsedPage Parsed;
};

// Reads the first MaxBytes of the regular file at Path into Buffer, of
// which Length bytes are then the file's; Truncated says whether more
// followed. False when the file cannot be read. Buffer is scratch space that
// only ever grows, so that file after file costs no allocation and no
// clearing.
bool ReadFileStart(const std::string& path, size_t maxBytes, std::string& buffer, size_t& length,
                   bool& truncated);

// Reads the first MaxBytes of the regular file at Path and parses them in
// the page's encoding (SniffPageCharset): a UTF-16 page as UTF-8.
PageRead ReadPage(const std::string& path, size_t maxBytes, std::string& buffer);

// Runs Work(0), Work(1), ... on worker threads, a bounded window ahead of
// the one consumer, which takes the results in order. Parsing is nearly all
// of a check's time, and pages parse independently; the consumer keeps what
// the pages share (and its caches) to itself. Work must be safe to run on
// several threads at once; it is given scratch space of its thread.
template <class Result> class OrderedWorkers {
public:
    using Work = std::function<Result(size_t index, std::string& scratch)>;

    OrderedWorkers(size_t count, Work work)
        : count_(count), work_(std::move(work)), window_(kWindow) {
        unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
        threads = static_cast<unsigned>(std::min<size_t>(threads, count_));
        try {
            for (unsigned i = 0; i < threads; ++i)
                threads_.emplace_back([this] { Run(); });
        } catch (const std::system_error&) {
            // Fewer threads, or none: Take then does the work itself.
        }
    }
    ~OrderedWorkers() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (std::thread& t : threads_)
            t.join();
    }
    OrderedWorkers(const OrderedWorkers&) = delete;
    OrderedWorkers& operator=(const OrderedWorkers&) = delete;

    // Results are taken in order: 0, 1, 2, ... Work that raised raises here.
    Result Take(size_t index) {
        if (threads_.empty())
            return work_(index, ownScratch_);
        std::unique_lock lock(mutex_);
        Slot& slot = window_[index % kWindow];
        changed_.wait(lock, [&slot] { return slot.ready; });
        Slot taken = std::move(slot);
        slot = Slot{};
        taken_ = index + 1;
        lock.unlock();
        changed_.notify_all();
        if (taken.error)
            std::rethrow_exception(taken.error);
        return std::move(*taken.result);
    }

private:
    static constexpr size_t kWindow = 64;
    static constexpr unsigned kMaxThreads = 8;

    struct Slot {
        bool ready = false;
        std::optional<Result> result;
        std::exception_ptr error;
    };

    void Run() {
        std::string scratch;
        for (;;) {
            size_t index;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] {
                    return stopping_ || next_ >= count_ || next_ < taken_ + kWindow;
                });
                if (stopping_ || next_ >= count_)
                    return;
                index = next_++;
            }
            Slot done;
            try {
                done.result.emplace(work_(index, scratch));
            } catch (...) {
                done.error = std::current_exception();
            }
            done.ready = true;
            {
                std::lock_guard lock(mutex_);
                window_[index % kWindow] = std::move(done);
            }
            changed_.notify_all();
        }
    }

    const size_t count_;
    const Work work_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Slot> window_;
    size_t next_ = 0;  // the next index a worker takes up
    size_t taken_ = 0; // results the consumer has taken
    bool stopping_ = false;
    std::vector<std::thread> threads_;
    std::string ownScratch_;
};

} // namespace tw
