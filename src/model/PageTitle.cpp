#include "model/PageTitle.h"

#include "support/Errors.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

constexpr char kStartMark[] = "<title>";
constexpr char kEndMark[] = "</title>";
constexpr size_t kStartLen = sizeof kStartMark - 1;
constexpr size_t kEndLen = sizeof kEndMark - 1;
constexpr size_t kChunk = 64 * 1024;

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

ssize_t ReadAt(int fd, char* buf, size_t size, off_t offset) {
    for (;;) {
        ssize_t n = pread(fd, buf, size, offset);
        if (n < 0 && errno == EINTR)
            continue;
        return n;
    }
}

// Offset of Mark in the folded window, or npos.
size_t FindIn(const std::string& window, const char* mark, size_t len) {
    auto it = std::search(window.begin(), window.end(), mark, mark + len);
    return it == window.end() ? std::string::npos : static_cast<size_t>(it - window.begin());
}

} // namespace

std::string ReadTitleElement(const std::string& path) {
    // O_NONBLOCK: a FIFO put in a page's place must not hang the scan.
    Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (fd.get() < 0 || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw EFOpenError(FormatText(kCannotOpenFile, {path}));

    // The window holds the folded tail of the previous chunk (one byte short
    // of the longer mark) followed by the folded new chunk, so that a mark
    // split across two chunks is still found.
    std::string window;
    std::string chunk(kChunk, '\0');
    off_t windowStart = 0; // file offset of window[0]
    off_t readPos = 0;
    off_t start = -1; // offset of the first "<title>"
    for (;;) {
        ssize_t n = ReadAt(fd.get(), chunk.data(), kChunk, readPos);
        if (n < 0)
            throw EFOpenError(FormatText(kCannotOpenFile, {path}));
        if (n == 0)
            return {};
        readPos += n;
        size_t old = window.size();
        window.resize(old + static_cast<size_t>(n));
        for (size_t i = 0; i < static_cast<size_t>(n); ++i)
            window[old + i] = AsciiLower(chunk[i]);

        if (start < 0) {
            size_t s = FindIn(window, kStartMark, kStartLen);
            if (s != std::string::npos)
                start = windowStart + static_cast<off_t>(s);
        }
        size_t e = FindIn(window, kEndMark, kEndLen);
        if (e != std::string::npos) {
            off_t end = windowStart + static_cast<off_t>(e);
            off_t begin = start + static_cast<off_t>(kStartLen);
            // The first end mark came before any start mark: no title.
            if (start < 0 || begin > end)
                return {};
            std::string title(static_cast<size_t>(end - begin), '\0');
            size_t got = 0;
            while (got < title.size()) {
                ssize_t r = ReadAt(fd.get(), title.data() + got, title.size() - got,
                                   begin + static_cast<off_t>(got));
                if (r <= 0)
                    throw EFOpenError(FormatText(kCannotOpenFile, {path}));
                got += static_cast<size_t>(r);
            }
            return title;
        }
        size_t keep = std::min(window.size(), kEndLen - 1);
        windowStart += static_cast<off_t>(window.size() - keep);
        window.erase(0, window.size() - keep);
    }
}

std::string GetPageTitle(const std::string& path, bool usePageTitles) {
    std::string result = ExtractFileName(path);
    if (!usePageTitles || !MatchesFileTypes(path, kTitledFileTypes))
        return result;
    try {
        std::string title = ReadTitleElement(path);
        if (!title.empty())
            result = std::move(title);
    } catch (const std::exception&) {
        // An unreadable page keeps its file name.
    }
    return result;
}

} // namespace tw
