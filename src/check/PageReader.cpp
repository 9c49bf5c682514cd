#include "check/PageReader.h"

#include "support/FileDescriptor.h"
#include "support/PageEncoding.h"

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
    if (!read.Readable)
        return read;
    std::string_view text(buffer.data(), length);
    const PageCharset charset = SniffPageCharset(text);
    if (!charset.Utf16()) {
        read.Parsed = ParsePage(text, charset.Declared);
        return read;
    }
    // Its markup is in UTF-16 units, which the tokenizer does not read: the
    // page is read as the UTF-8 a browser would make of it.
    const std::string utf8 = PageTextToUtf8(text.substr(charset.BomLength), charset.Declared);
    read.Parsed = ParsePage(utf8, CharsetForLabel("utf-8"));
    return read;
}

} // namespace tw
