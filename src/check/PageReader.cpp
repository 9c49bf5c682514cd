#include "check/PageReader.h"

#include "support/FileDescriptor.h"

#include <algorithm>
#include <string_view>
#include <system_error>
#include <utility>

namespace tw {

namespace {

constexpr size_t kReadStep = size_t{1} << 20;

} // namespace

bool ReadFileStart(const std::string& path, size_t maxBytes, std::string& buffer, size_t& length,
                   bool& truncated) {
    length = 0;
    truncated = false;
    // A FIFO put in a page's place must not hang the check.
    UniqueFd fd = OpenRegularFile(path);
    if (!fd.Valid())
        return false;
    for (;;) {
        ssize_t n;
        if (length == maxBytes) {
            char probe;
            n = ReadSome(fd.Get(), &probe, 1);
            truncated = n > 0;
            return true;
        }
        size_t want = std::min(maxBytes - length, kReadStep);
        if (buffer.size() < length + want)
            buffer.resize(std::max(length + want, std::min(maxBytes, buffer.size() * 2)));
        n = ReadSome(fd.Get(), buffer.data() + length, want);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        length += static_cast<size_t>(n);
    }
}

PageRead ReadPage(const std::string& path, size_t maxBytes, std::string& buffer) {
    PageRead read;
    size_t length = 0;
    read.Readable = ReadFileStart(path, maxBytes, buffer, length, read.Truncated);
    if (read.Readable)
        read.Parsed = ParsePage(std::string_view(buffer.data(), length));
    return read;
}

ParallelPageReader::ParallelPageReader(std::vector<std::string> paths, size_t maxPageBytes)
    : paths_(std::move(paths)), maxPageBytes_(maxPageBytes), window_(kWindow) {
    unsigned count = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
    count = static_cast<unsigned>(std::min<size_t>(count, paths_.size()));
    try {
        for (unsigned i = 0; i < count; ++i)
            threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // Fewer threads, or none: Take then reads the page itself.
    }
}

ParallelPageReader::~ParallelPageReader() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

PageRead ParallelPageReader::Take(size_t index) {
    if (threads_.empty())
        return ReadPage(paths_[index], maxPageBytes_, ownBuffer_);
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
    return std::move(taken.read);
}

void ParallelPageReader::Work() {
    std::string buffer;
    for (;;) {
        size_t index;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] {
                return stopping_ || next_ >= paths_.size() || next_ < taken_ + kWindow;
            });
            if (stopping_ || next_ >= paths_.size())
                return;
            index = next_++;
        }
        Slot done;
        try {
            done.read = ReadPage(paths_[index], maxPageBytes_, buffer);
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

} // namespace tw
