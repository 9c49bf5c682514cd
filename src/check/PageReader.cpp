#include "check/PageReader.h"

#include "support/FileDescriptor.h"

#include <algorithm>
#include <string_view>
#include <system_error>
#include <utility>

namespace tw {

bool ReadFileStart(const std::string& path, size_t maxBytes, std::string& buffer, size_t& length,
                   bool& truncated) {
    length = 0;
    truncated = false;
    // A FIFO put in a page's place must not hang the check.
    UniqueFd fd = OpenRegularFile(path);
    return fd.Valid() && ReadFileStart(fd.Get(), maxBytes, buffer, length, truncated);
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
