// Feeds arbitrary bytes to the page title reader as a file's content and
// checks that reading in chunks gives exactly what reading the whole file
// and taking the text between the markers gives.

#include "model/PageTitle.h"
#include "support/NXStrings.h"

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
    return 0;
}
