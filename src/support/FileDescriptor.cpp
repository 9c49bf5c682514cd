#include "support/FileDescriptor.h"

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
    if (!fd.Valid() || fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return UniqueFd();
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
