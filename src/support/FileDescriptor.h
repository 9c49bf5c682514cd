#pragma once

#include <cstddef>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace tw {

// An owning file descriptor: closed when it goes, moved but never copied.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset(int fd = -1);
    // Closes now and tells whether the close succeeded (a write may only
    // fail at its close).
    bool Close();

private:
    int fd_ = -1;
};

// Opens Path for reading only when it is a regular file (links followed),
// without blocking: a FIFO, socket or device that took a file's place is
// refused, never read. Invalid on any failure; St, when given, receives the
// file's status.
UniqueFd OpenRegularFile(const std::string& path, struct stat* st = nullptr);
// The same for Name in the folder open as DirFd.
UniqueFd OpenRegularFileAt(int dirFd, const char* name, struct stat* st = nullptr);

// One read (at Offset for ReadAt), repeated when a signal interrupts it:
// the count read, 0 at the end, -1 on an error.
ssize_t ReadSome(int fd, void* buf, size_t size);
ssize_t ReadAt(int fd, void* buf, size_t size, off_t offset);

// Reads the open file from its current offset into Buffer, at most MaxBytes:
// Length bytes of Buffer are then the file's, and Truncated says whether
// more followed. False on a read error. Buffer only ever grows, so that file
// after file costs no allocation and no clearing.
bool ReadFileStart(int fd, size_t maxBytes, std::string& buffer, size_t& length, bool& truncated);

// Writes all of Data, through short writes and interruptions.
bool WriteAll(int fd, const void* data, size_t size);

} // namespace tw
