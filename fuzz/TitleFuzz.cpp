// Feeds arbitrary bytes to the page title reader as a file's content and
// checks that reading in chunks, and searching windows of a few bytes, give
// exactly what reading the whole file and taking the text between the
// markers gives.

#include "model/PageTitle.h"
#include "scan/PageReading.h"
#include "support/NXStrings.h"

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
    std::string whole = tw::ExtractBetween(content, "<title>", "</title>", true);
    if (chunked != whole) {
        std::fprintf(stderr, "chunked read gave %zu bytes, the whole file %zu\n", chunked.size(),
                     whole.size());
        std::abort();
    }
    // Windows of 1 to 16 new bytes, so that marks are split anywhere.
    size_t step = size > 0 ? data[0] % 16 + 1 : 1;
    tw::TitleSearch search;
    std::string windowed;
    for (size_t from = 0, end = 0;;) {
        end = std::min(size, end + step);
        tw::TitleSearch::Result result =
            search.Feed(std::string_view(content).substr(from, end - from), from);
        if (result == tw::TitleSearch::Result::Found)
            windowed = content.substr(search.TitleBegin(), search.TitleEnd() - search.TitleBegin());
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
