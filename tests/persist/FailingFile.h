#pragma once

#include "persist/ComponentStream.h"
#include "support/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <memory>

namespace twtest {

// A device that takes the first Allowed bytes and then fails.
class FailingFile : public tw::AtomicFile {
public:
    FailingFile(std::string target, size_t allowed)
        : AtomicFile(std::move(target)), allowed_(allowed) {}

    static tw::TCreateFile After(size_t allowed) {
        return [allowed](const std::string& fileName) -> std::unique_ptr<tw::AtomicFile> {
            return std::make_unique<FailingFile>(fileName, allowed);
        };
    }

protected:
    bool WriteRaw(const char* data, size_t size) override {
        size_t n = std::min(size, allowed_);
        if (n > 0 && !AtomicFile::WriteRaw(data, n))
            return false;
        allowed_ -= n;
        if (n == size)
            return true;
        errno = ENOSPC; // as a full disk fails
        return false;
    }

private:
    size_t allowed_;
};

} // namespace twtest
