#include "scan/TitlePrefetch.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <sched.h>

namespace tw {

namespace {

// Tells the processor the thread is only looking, which frees the core's
// other thread meanwhile.
inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

} // namespace

namespace {

// The CPUs the process may run on; 1 when that cannot be told.
int AllowedCpus() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        return 1;
    return CPU_COUNT(&set);
}

} // namespace

unsigned TitleWorkerCount() {
    if (const char* value = std::getenv("TW_SCAN_WORKERS")) {
        unsigned n = 0;
        const char* end = value + std::strlen(value);
        auto [ptr, ec] = std::from_chars(value, end, n);
        if (ec == std::errc() && ptr == end && n <= 64)
            return n;
    }
    return static_cast<unsigned>(std::clamp(AllowedCpus() - 1, 0, 3));
}

TitlePrefetch::TitlePrefetch(unsigned workers, PageReadWanted wanted)
    : wanted_(wanted), spin_(AllowedCpus() > 1) {
    workers_.reserve(workers);
    for (unsigned i = 0; i < workers; ++i)
        workers_.emplace_back([this] { Work(); });
}

TitlePrefetch::~TitlePrefetch() {
    End();
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : workers_)
        t.join();
}

void TitlePrefetch::Begin(int dirFd, std::vector<std::string> names) {
    End();
    dirFd_ = dirFd;
    names_ = std::move(names);
    count_ = static_cast<std::uint32_t>(std::min<size_t>(names_.size(), UINT32_MAX));
    slots_ = std::make_unique<Slot[]>(count_);
    taken_ = 0;
    unclaimed_.store(Pack(0, count_));
    // Waking a worker costs about what a page does: a folder of a page or
    // two is read here alone.
    if (workers_.empty() || count_ < 3)
        return;
    {
        std::lock_guard lock(mutex_);
        ++folder_;
        open_ = true;
        published_.store(folder_);
    }
    wake_.notify_all();
}

PageLinkText TitlePrefetch::Take(const std::string& name) {
    if (taken_ >= count_ || names_[taken_] != name)
        return ReadPageLinkTextAt(dirFd_, name, wanted_);
    const std::uint32_t index = taken_++;
    if (ClaimFront(index))
        Read(dirFd_, index);
    else
        WaitFor(index);
    return std::move(slots_[index].text);
}

void TitlePrefetch::End() {
    if (count_ == 0 && !open_)
        return;
    // Nothing is claimed from here on; the workers inside finish their page
    // and leave, and one still asleep finds the folder closed.
    unclaimed_.store(Pack(0, 0));
    {
        std::unique_lock lock(mutex_);
        open_ = false;
        done_.wait(lock, [this] { return busy_ == 0; });
    }
    count_ = 0;
    names_.clear();
    slots_.reset();
    dirFd_ = -1;
}

bool TitlePrefetch::ClaimFront(std::uint32_t index) {
    std::uint64_t range = unclaimed_.load();
    for (;;) {
        auto front = static_cast<std::uint32_t>(range >> 32);
        auto back = static_cast<std::uint32_t>(range);
        if (front != index || front >= back)
            return false;
        if (unclaimed_.compare_exchange_weak(range, Pack(front + 1, back)))
            return true;
    }
}

bool TitlePrefetch::ClaimBack(std::uint32_t& index) {
    std::uint64_t range = unclaimed_.load();
    for (;;) {
        auto front = static_cast<std::uint32_t>(range >> 32);
        auto back = static_cast<std::uint32_t>(range);
        if (front >= back)
            return false;
        if (unclaimed_.compare_exchange_weak(range, Pack(front, back - 1))) {
            index = back - 1;
            return true;
        }
    }
}

void TitlePrefetch::Read(int dirFd, std::uint32_t index) {
    slots_[index].text = ReadPageLinkTextAt(dirFd, names_[index], wanted_);
    slots_[index].done.store(true);
    if (waitingFor_.load() == index) {
        std::lock_guard lock(mutex_);
        done_.notify_all();
    }
}

void TitlePrefetch::WaitFor(std::uint32_t index) {
    Slot& slot = slots_[index];
    // Where the two ends meet a worker may still be on the page: it takes
    // microseconds, so look a while before sleeping.
    for (int i = 0; i < 2000; ++i) {
        if (slot.done.load(std::memory_order_acquire))
            return;
        CpuRelax();
    }
    waitingFor_.store(index);
    {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&slot] { return slot.done.load(); });
    }
    waitingFor_.store(UINT32_MAX);
}

void TitlePrefetch::Work() {
    std::uint64_t seen = 0;
    for (;;) {
        // The next folder usually begins within a listing's time: look for it
        // a while before going to sleep, which would cost a wake-up each. On
        // a CPU shared with the scan the looking would only delay it.
        for (int i = 0; spin_ && i < 4000 && published_.load(std::memory_order_relaxed) == seen;
             ++i)
            CpuRelax();
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this, seen] { return quit_ || folder_ != seen; });
            if (quit_)
                return;
            seen = folder_;
            if (!open_)
                continue;
            ++busy_;
        }
        std::uint32_t index = 0;
        while (ClaimBack(index))
            Read(dirFd_, index);
        std::lock_guard lock(mutex_);
        if (--busy_ == 0)
            done_.notify_all();
    }
}

} // namespace tw
