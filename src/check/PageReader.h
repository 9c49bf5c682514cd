#pragma once

#include "check/PageParser.h"

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <string>
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

// Reads the first MaxBytes of the regular file at Path and parses them.
PageRead ReadPage(const std::string& path, size_t maxBytes, std::string& buffer);

// Parsing is nearly all of a check's time, and pages parse independently:
// worker threads read and parse them a bounded window ahead of the one
// consumer, which takes them in page order and keeps the link resolution
// (and its caches) to itself.
class ParallelPageReader {
public:
    ParallelPageReader(std::vector<std::string> paths, size_t maxPageBytes);
    ~ParallelPageReader();
    ParallelPageReader(const ParallelPageReader&) = delete;
    ParallelPageReader& operator=(const ParallelPageReader&) = delete;

    // Pages are taken in order: 0, 1, 2, ... A page whose reading raised
    // raises here.
    PageRead Take(size_t index);

private:
    static constexpr size_t kWindow = 64;
    static constexpr unsigned kMaxThreads = 8;

    struct Slot {
        bool ready = false;
        PageRead read;
        std::exception_ptr error;
    };

    void Work();

    const std::vector<std::string> paths_;
    const size_t maxPageBytes_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Slot> window_;
    size_t next_ = 0;  // the next page a worker takes up
    size_t taken_ = 0; // pages the consumer has taken
    bool stopping_ = false;
    std::vector<std::thread> threads_;
    std::string ownBuffer_;
};

} // namespace tw
