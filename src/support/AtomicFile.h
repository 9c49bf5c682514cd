#pragma once

#include <string>

namespace tw {

// Writes a file so that its old content survives any failure: the bytes go to
// a temporary file beside the target, which replaces the target only after
// everything was written and flushed. The replacement keeps the old file's
// permission bits, and its owner and group where the process may set them.
// Destroying an uncommitted AtomicFile removes the temporary file and leaves
// the target untouched.
//
// A folder that refuses new files may still hold a target we may write; that
// target is then written in place, which is not atomic: a failure part way
// leaves a partial file. It is truncated only by the first write or commit.
class AtomicFile {
public:
    // Makes the temporary file from a mkostemp pattern and returns its
    // descriptor, or -1 with errno set. Tests hand in one that fails.
    using MakeTemp = int (*)(char* pattern);

    // Raises EFCreateError "Cannot create file %s" when the target may not be
    // replaced, or no temporary file can be made in its folder and the target
    // cannot be written in place.
    explicit AtomicFile(std::string target, MakeTemp makeTemp = nullptr);
    virtual ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Raises EWriteError "Stream write error" when the bytes cannot be written.
    void Write(const void* data, size_t size);
    // Flushes and renames over the target; raises EWriteError on failure.
    void Commit();

    const std::string& Target() const { return target_; }
    // Whether the target itself is written (and emptied by the first write).
    bool WritesInPlace() const { return inPlace_; }

protected:
    // Writes all bytes to the temporary file; false on failure. Tests override
    // it to simulate a device that fails part way.
    virtual bool WriteRaw(const char* data, size_t size);

private:
    void Discard();
    bool TruncateInPlace();

    std::string target_;    // the path the caller named
    std::string finalPath_; // the file that is replaced (a link's target)
    std::string tempPath_;
    int fd_ = -1;
    bool committed_ = false;
    bool inPlace_ = false;   // writing the target itself, not a temporary file
    bool truncated_ = false; // the in-place target has been emptied
};

} // namespace tw
