// Feeds arbitrary bytes to the page title reader as a file's content and
// checks that reading in chunks, and searching windows of a few bytes, give
// exactly what reading the whole file and taking the text between the
// markers gives, in UTF-8 from the page's encoding (a UTF-16 page's marks
// and title taken from the whole page converted).

#include "model/PageTitle.h"
#include "scan/PageReading.h"
#include "support/NXStrings.h"
#include "support/PageEncoding.h"
#include "support/TextEncoding.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static int fd = memfd_create("page", 0);
    static std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();
    std::string content(reinterpret_cast<const char*>(data), size);
    std::string chunked = tw::ReadTitleElement(path);
    const tw::PageCharset charset = tw::SniffPageCharset(content);
    const bool bigEndian = charset.Utf16() && charset.Declared->Kind == tw::CharsetKind::Utf16BE;
    std::string whole =
        charset.Utf16()
            ? tw::ExtractBetween(tw::Utf16BytesToUtf8(content.substr(2), bigEndian), "<title>",
                                 "</title>", true)
            : tw::PageTextToUtf8(tw::ExtractBetween(content, "<title>", "</title>", true),
                                 charset.Declared);
    if (chunked != whole) {
        std::fprintf(stderr, "chunked read gave %zu bytes, the whole file %zu\n", chunked.size(),
                     whole.size());
        std::abort();
    }
    // Windows of 1 to 16 new bytes, so that marks are split anywhere.
    size_t step = size > 0 ? data[0] % 16 + 1 : 1;
    tw::TitleSearch search(!charset.Utf16() ? tw::TitleUnits::Bytes
                           : bigEndian      ? tw::TitleUnits::Utf16BE
                                            : tw::TitleUnits::Utf16LE);
    std::string windowed;
    for (size_t from = 0, end = 0;;) {
        end = std::min(size, end + step);
        tw::TitleSearch::Result result =
            search.Feed(std::string_view(content).substr(from, end - from), from);
        if (result == tw::TitleSearch::Result::Found)
            windowed = tw::PageTextToUtf8(
                std::string_view(content).substr(search.TitleBegin(),
                                                 search.TitleEnd() - search.TitleBegin()),
                charset.Declared);
        if (result != tw::TitleSearch::Result::NeedMore || end == size)
            break;
        from = search.KeepFrom();
    }
    if (windowed != whole) {
        std::fprintf(stderr, "windows of %zu bytes gave %zu bytes, the whole file %zu\n", step,
                     windowed.size(), whole.size());
        std::abort();
    }
    return 0;
}
