#include "support/AtomicFile.h"

#include "support/Errors.h"
#include "support/NXFiles.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tw {

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {
    auto fail = [this]() { throw EFCreateError(FormatText(kCannotCreateFile, {target_})); };
    if (target_.empty() || target_.back() == kPathDelim)
        fail();

    // A link is written through, so that the link itself stays in place.
    finalPath_ = target_;
    struct stat st {};
    bool exists = stat(target_.c_str(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode))
            fail();
        std::vector<char> resolved(PATH_MAX + 1);
        if (realpath(target_.c_str(), resolved.data()) != nullptr)
            finalPath_ = resolved.data();
        // Renaming would replace a file that we may not write to.
        if (access(finalPath_.c_str(), W_OK) != 0)
            fail();
    }

    std::string folder = ExtractFilePath(finalPath_);
    std::string name = ExtractFileName(finalPath_);
    std::string pattern = folder + "." + name + ".tmp-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    fd_ = mkostemp(buf.data(), O_CLOEXEC);
    if (fd_ < 0)
        fail();
    tempPath_ = buf.data();
    // Keep the permissions of the file being replaced; new files follow the umask.
    mode_t mode = 0666;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }
    (void)fchmod(fd_, mode);
}

AtomicFile::~AtomicFile() {
    if (!committed_)
        Discard();
}

void AtomicFile::Discard() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

bool AtomicFile::WriteRaw(const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void AtomicFile::Write(const void* data, size_t size) {
    if (fd_ < 0 || !WriteRaw(static_cast<const char*>(data), size)) {
        Discard();
        throw EWriteError(kStreamWriteError);
    }
}

void AtomicFile::Commit() {
    if (fd_ < 0)
        throw EWriteError(kStreamWriteError);
    bool ok = fsync(fd_) == 0;
    ok = close(fd_) == 0 && ok;
    fd_ = -1;
    if (!ok || rename(tempPath_.c_str(), finalPath_.c_str()) != 0) {
        Discard();
        throw EWriteError(kStreamWriteError);
    }
    tempPath_.clear();
    committed_ = true;
}

} // namespace tw
