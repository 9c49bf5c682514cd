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

} // namespace tw
