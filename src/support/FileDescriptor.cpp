#include "support/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tw {

void UniqueFd::Reset(int fd) {
    if (fd_ >= 0)
        close(fd_);
    fd_ = fd;
}

bool UniqueFd::Close() {
    if (fd_ < 0)
        return true;
    bool ok = close(fd_) == 0;
    fd_ = -1;
    return ok;
}

UniqueFd OpenRegularFile(const std::string& path, struct stat* st) {
    return OpenRegularFileAt(AT_FDCWD, path.c_str(), st);
}

UniqueFd OpenRegularFileAt(int dirFd, const char* name, struct stat* st) {
    UniqueFd fd(openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat own {};
    struct stat& info = st ? *st : own;
    if (!fd.Valid() || fstat(fd.Get(), &info) != 0)
        return UniqueFd();
    if (!S_ISREG(info.st_mode)) {
        // Callers word the refusal: a folder says so, anything else is 0.
        int error = S_ISDIR(info.st_mode) ? EISDIR : 0;
        fd.Reset();
        errno = error;
        return UniqueFd();
    }
    return fd;
}

ssize_t ReadSome(int fd, void* buf, size_t size) {
    for (;;) {
        ssize_t n = read(fd, buf, size);
        if (n < 0 && errno == EINTR)
            continue;
        return n;
    }
}

bool ReadFileStart(int fd, size_t maxBytes, std::string& buffer, size_t& length, bool& truncated) {
    // Read in steps rather than by the file's size, which may change.
    constexpr size_t kReadStep = size_t{1} << 20;
    length = 0;
    truncated = false;
    for (;;) {
        if (length == maxBytes) {
            char probe;
            truncated = ReadSome(fd, &probe, 1) > 0;
            return true;
        }
        size_t want = std::min(maxBytes - length, kReadStep);
        if (buffer.size() < length + want)
            buffer.resize(std::max(length + want, std::min(maxBytes, buffer.size() * 2)));
        ssize_t n = ReadSome(fd, buffer.data() + length, want);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        length += static_cast<size_t>(n);
    }
}

ssize_t ReadAt(int fd, void* buf, size_t size, off_t offset) {
    for (;;) {
        ssize_t n = pread(fd, buf, size, offset);
        if (n < 0 && errno == EINTR)
            continue;
        return n;
    }
}

bool WriteAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace tw
