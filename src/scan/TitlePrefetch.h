#pragma once

#include "scan/PageReading.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tw {

// Worker threads a scan may use to read titles: one fewer than the CPUs the
// process may run on (its affinity mask, not the machine's count), at most
// 3. The environment variable TW_SCAN_WORKERS, set to a number, decides
// instead; 0 reads every title on the scanning thread.
unsigned TitleWorkerCount();

// Reads the titles of one folder's pages from both ends: the scan reads them
// from the front as it needs them, the workers from the back, so neither
// waits for the other except where they meet. The link texts never depend
// on the workers: without any, the scan reads every page itself.
class TitlePrefetch {
public:
    explicit TitlePrefetch(unsigned workers, PageReadWanted wanted = {});
    ~TitlePrefetch();
    TitlePrefetch(const TitlePrefetch&) = delete;
    TitlePrefetch& operator=(const TitlePrefetch&) = delete;

    // Starts a folder open as DirFd, which stays open until End: Names are
    // the pages whose link texts will be taken, in the order they will be.
    void Begin(int dirFd, std::vector<std::string> names);
    // The link text of page Name of the folder: the next page named to
    // Begin comes from the shared work, any other is read here.
    PageLinkText Take(const std::string& name);
    // Ends the folder: once it returns no worker touches its descriptor.
    void End();

private:
    struct Slot {
        std::atomic<bool> done{false};
        PageLinkText text;
    };

    // The unclaimed pages are [front, back), packed into one word so that a
    // claim at either end is one compare-and-swap.
    static std::uint64_t Pack(std::uint32_t front, std::uint32_t back) {
        return (std::uint64_t{front} << 32) | back;
    }
    bool ClaimFront(std::uint32_t index);
    bool ClaimBack(std::uint32_t& index);
    void Read(int dirFd, std::uint32_t index);
    void WaitFor(std::uint32_t index);
    void Work();

    const PageReadWanted wanted_;
    int dirFd_ = -1;
    std::vector<std::string> names_;
    std::unique_ptr<Slot[]> slots_;
    std::uint32_t count_ = 0;
    std::uint32_t taken_ = 0; // the scan's next page
    std::atomic<std::uint64_t> unclaimed_{0};
    std::atomic<std::uint32_t> waitingFor_{UINT32_MAX};

    std::mutex mutex_;
    std::condition_variable wake_; // workers: a folder began, or the end
    std::condition_variable done_; // the scan: its page is read, or the workers left
    std::uint64_t folder_ = 0;     // counts Begin calls; under the mutex
    bool open_ = false;            // between Begin and End; under the mutex
    unsigned busy_ = 0;            // workers inside the folder; under the mutex
    bool quit_ = false;
    const bool spin_;                         // a CPU of their own may be the workers' to wait on
    std::atomic<std::uint64_t> published_{0}; // folder_, for workers to look at unlocked
    std::vector<std::thread> workers_;
};

} // namespace tw
