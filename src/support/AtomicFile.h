#pragma once

#include <string>

namespace tw {

// Writes a file so that its old content survives any failure: the bytes go to
// a temporary file beside the target, which replaces the target only after
// everything was written and flushed. Destroying an uncommitted AtomicFile
// removes the temporary file and leaves the target untouched.
class AtomicFile {
public:
    // Raises EFCreateError "Cannot create file %s" when the target may not be
    // replaced or no temporary file can be made in its folder.
    explicit AtomicFile(std::string target);
    virtual ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Raises EWriteError "Stream write error" when the bytes cannot be written.
    void Write(const void* data, size_t size);
    // Flushes and renames over the target; raises EWriteError on failure.
    void Commit();

    const std::string& Target() const { return target_; }

protected:
    // Writes all bytes to the temporary file; false on failure. Tests override
    // it to simulate a device that fails part way.
    virtual bool WriteRaw(const char* data, size_t size);

private:
    void Discard();

    std::string target_;    // the path the caller named
    std::string finalPath_; // the file that is replaced (a link's target)
    std::string tempPath_;
    int fd_ = -1;
    bool committed_ = false;
};

} // namespace tw
