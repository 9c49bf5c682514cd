#include "support/AtomicFile.h"

#include "support/Errors.h"
#include "support/FileDescriptor.h"
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

namespace {
int MakeTempFile(char* pattern) {
    return mkostemp(pattern, O_CLOEXEC);
}
} // namespace

AtomicFile::AtomicFile(std::string target, MakeTemp makeTemp) : target_(std::move(target)) {
    auto fail = [this](const std::string& reason) {
        throw EFCreateError(WithReason(FormatText(kCannotCreateFile, {target_}), reason));
    };
    if (target_.empty() || target_.back() == kPathDelim)
        fail(SystemReason(EISDIR));

    // A link is written through, so that the link itself stays in place.
    finalPath_ = target_;
    struct stat st {};
    bool exists = stat(target_.c_str(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode))
            fail(S_ISDIR(st.st_mode) ? SystemReason(EISDIR) : kNotRegularFile);
        std::vector<char> resolved(PATH_MAX + 1);
        if (realpath(target_.c_str(), resolved.data()) != nullptr)
            finalPath_ = resolved.data();
        // Renaming would replace a file that we may not write to.
        if (access(finalPath_.c_str(), W_OK) != 0)
            fail(SystemReason(errno));
    }

    std::string folder = ExtractFilePath(finalPath_);
    std::string name = ExtractFileName(finalPath_);
    std::string pattern = folder + "." + name + ".tmp-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    fd_ = (makeTemp ? makeTemp : MakeTempFile)(buf.data());
    if (fd_ < 0) {
        // The folder refuses new files, but the target may be written: update
        // it in place, as a plain write would.
        int error = errno;
        if (!exists || (error != EACCES && error != EPERM && error != EROFS))
            fail(SystemReason(error));
        fd_ = open(finalPath_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        inPlace_ = true;
        // Whatever took the file's place since stat must be a file too.
        if (fd_ < 0 || fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            const std::string reason = fd_ < 0 ? SystemReason(errno) : kNotRegularFile;
            Discard();
            fail(reason);
        }
        return;
    }
    tempPath_ = buf.data();
    // Keep the owner, the group and the permissions of the file being
    // replaced; new files follow the umask. Only root may give a file away,
    // but a member of the old group may still keep that. The mode comes
    // last, as a change of owner can clear the set-ID bits.
    mode_t mode = 0666;
    if (exists) {
        if (fchown(fd_, st.st_uid, st.st_gid) != 0 &&
            fchown(fd_, static_cast<uid_t>(-1), st.st_gid) != 0) {
            // Neither may be kept: the file becomes ours, as a new one would.
        }
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
    return WriteAll(fd_, data, size);
}

bool AtomicFile::TruncateInPlace() {
    if (inPlace_ && !truncated_)
        truncated_ = ftruncate(fd_, 0) == 0;
    return !inPlace_ || truncated_;
}

void AtomicFile::Write(const void* data, size_t size) {
    if (fd_ < 0 || !TruncateInPlace() || !WriteRaw(static_cast<const char*>(data), size)) {
        const std::string reason = fd_ < 0 ? std::string() : SystemReason(errno);
        Discard();
        throw EWriteError(WithReason(kStreamWriteError, reason));
    }
}

void AtomicFile::Commit() {
    if (fd_ < 0)
        throw EWriteError(kStreamWriteError);
    bool ok = TruncateInPlace() && fsync(fd_) == 0;
    ok = close(fd_) == 0 && ok;
    fd_ = -1;
    if (!ok || (!inPlace_ && rename(tempPath_.c_str(), finalPath_.c_str()) != 0)) {
        const int error = errno;
        Discard();
        throw EWriteError(WithReason(kStreamWriteError, SystemReason(error)));
    }
    tempPath_.clear();
    committed_ = true;
}

} // namespace tw
