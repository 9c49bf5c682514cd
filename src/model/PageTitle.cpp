#include "model/PageTitle.h"

#include "support/Errors.h"
#include "support/FileDescriptor.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tw {

namespace {

constexpr size_t kChunk = size_t{64} * 1024;
// Titles usually sit in the first few kilobytes: the first read is small,
// so a typical page costs one short copy, not one of its whole length.
constexpr size_t kFirstChunk = size_t{4} * 1024;
// Bytes a mark needs after its "<": "title>" and "/title>".
constexpr size_t kStartTail = 6;
constexpr size_t kEndTail = 7;

// Whether Text begins with Lower (given in small letters), ASCII case ignored.
bool StartsWithFolded(const char* text, const char* lower, size_t len) {
    for (size_t i = 0; i < len; ++i)
        if (AsciiLower(text[i]) != lower[i])
            return false;
    return true;
}

} // namespace

std::string ReadTitleElement(const std::string& path) {
    // A FIFO put in a page's place must not hang the scan.
    UniqueFd fd = OpenRegularFile(path);
    if (!fd.Valid())
        throw EFOpenError(FormatText(kCannotOpenFile, {path}));

    // The buffer holds the undecided tail of the previous chunk (a "<" too
    // close to its end to tell whether a mark begins there) followed by the
    // next chunk, so that a mark split across two reads is still found.
    thread_local std::vector<char> buffer(kEndTail + 1 + kChunk);
    char* buf = buffer.data();
    size_t have = 0;
    off_t bufStart = 0; // file offset of buf[0]
    off_t readPos = 0;
    off_t start = -1; // offset of the first "<title>"
    for (;;) {
        ssize_t n = ReadAt(fd.Get(), buf + have, readPos == 0 ? kFirstChunk : kChunk, readPos);
        if (n < 0)
            throw EFOpenError(FormatText(kCannotOpenFile, {path}));
        if (n == 0)
            return {}; // no end mark: no title
        readPos += n;
        have += static_cast<size_t>(n);

        size_t i = 0;
        size_t undecided = have;
        while (i < have) {
            auto* lt = static_cast<char*>(memchr(buf + i, '<', have - i));
            if (!lt)
                break;
            size_t at = static_cast<size_t>(lt - buf);
            if (at + 1 + kEndTail > have) {
                undecided = at;
                break;
            }
            if (start < 0 && StartsWithFolded(lt + 1, "title>", kStartTail))
                start = bufStart + static_cast<off_t>(at);
            if (StartsWithFolded(lt + 1, "/title>", kEndTail)) {
                off_t end = bufStart + static_cast<off_t>(at);
                off_t begin = start + 1 + static_cast<off_t>(kStartTail);
                // The first end mark came before any start mark: no title.
                if (start < 0 || begin > end)
                    return {};
                if (begin >= bufStart)
                    return std::string(buf + (begin - bufStart), static_cast<size_t>(end - begin));
                std::string title(static_cast<size_t>(end - begin), '\0');
                size_t got = 0;
                while (got < title.size()) {
                    ssize_t r = ReadAt(fd.Get(), title.data() + got, title.size() - got,
                                       begin + static_cast<off_t>(got));
                    if (r <= 0)
                        throw EFOpenError(FormatText(kCannotOpenFile, {path}));
                    got += static_cast<size_t>(r);
                }
                return title;
            }
            i = at + 1;
        }
        size_t keep = have - std::min(undecided, have);
        memmove(buf, buf + (have - keep), keep);
        bufStart += static_cast<off_t>(have - keep);
        have = keep;
    }
}

PageLinkText GetPageLinkText(const std::string& path, bool usePageTitles) {
    PageLinkText result{ExtractFileName(path)};
    if (!usePageTitles || !MatchesFileTypes(path, kTitledFileTypes))
        return result;
    try {
        std::string title = ReadTitleElement(path);
        if (!title.empty())
            result = {std::move(title), true};
    } catch (const std::exception&) {
        // An unreadable page keeps its file name.
    }
    return result;
}

} // namespace tw
