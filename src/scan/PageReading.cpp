#include "scan/PageReading.h"

#include "model/PageFacts.h"
#include "model/PageParser.h"
#include "model/PageTitle.h"
#include "support/Errors.h"
#include "support/FileDescriptor.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "support/PageEncoding.h"

#include <cstring>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace tw {

namespace {

constexpr size_t kChunk = size_t{64} * 1024;
// Titles usually sit in the first few kilobytes: the first read is small,
// so a typical page costs one short copy, not one of its whole length.
constexpr size_t kFirstChunk = size_t{4} * 1024;

static_assert(kFirstChunk >= kCharsetSniffBytes);

TitleUnits UnitsOf(const PageCharset& charset) {
    if (!charset.Utf16())
        return TitleUnits::Bytes;
    return charset.Declared->Kind == CharsetKind::Utf16LE ? TitleUnits::Utf16LE
                                                          : TitleUnits::Utf16BE;
}

// A title's bytes as the link text: in UTF-8, from the page's encoding.
std::string TitleText(std::string_view bytes, const PageCharset& charset) {
    return PageTextToUtf8(bytes, charset.Declared);
}

// The title of an open regular file of Size bytes, in UTF-8; Path names it
// in errors.
std::string ReadTitleFrom(int fd, off_t size, const std::string& path) {
    // The buffer holds the undecided tail of the previous chunk followed by
    // the next chunk, so that a mark split across two reads is still found.
    thread_local std::vector<char> buffer(TitleSearch::kMaxKept + 1 + kChunk);
    char* buf = buffer.data();
    size_t have = 0;
    off_t bufStart = 0; // file offset of buf[0]
    off_t readPos = 0;
    // The first read holds what the page says of its encoding.
    PageCharset charset;
    TitleSearch search;
    for (;;) {
        ssize_t n = ReadAt(fd, buf + have, readPos == 0 ? kFirstChunk : kChunk, readPos);
        if (n < 0)
            throw EFOpenError(FormatText(kCannotOpenFile, {path}));
        if (n == 0)
            return {}; // no end mark: no title
        if (readPos == 0) {
            charset = SniffPageCharset(std::string_view(buf, static_cast<size_t>(n)));
            search = TitleSearch(UnitsOf(charset));
        }
        readPos += n;
        have += static_cast<size_t>(n);
        // A page read to its known end needs no read to learn that.
        const bool atEnd = readPos >= size;

        TitleSearch::Result result =
            search.Feed(std::string_view(buf, have), static_cast<std::uint64_t>(bufStart));
        if (result == TitleSearch::Result::NoTitle)
            return {};
        if (result == TitleSearch::Result::Found) {
            auto begin = static_cast<off_t>(search.TitleBegin());
            auto end = static_cast<off_t>(search.TitleEnd());
            if (begin >= bufStart)
                return TitleText(
                    std::string_view(buf + (begin - bufStart), static_cast<size_t>(end - begin)),
                    charset);
            // The title began in an earlier chunk: read it again, at once.
            std::string title(static_cast<size_t>(end - begin), '\0');
            size_t got = 0;
            while (got < title.size()) {
                ssize_t r = ReadAt(fd, title.data() + got, title.size() - got,
                                   begin + static_cast<off_t>(got));
                if (r <= 0)
                    throw EFOpenError(FormatText(kCannotOpenFile, {path}));
                got += static_cast<size_t>(r);
            }
            return TitleText(title, charset);
        }
        if (atEnd)
            return {};
        auto keepFrom = static_cast<off_t>(search.KeepFrom());
        size_t keep = have - static_cast<size_t>(keepFrom - bufStart);
        memmove(buf, buf + (have - keep), keep);
        bufStart = keepFrom;
        have = keep;
    }
}

// Reads a page whole (up to kMaxFactsBytes), or its head without Pictures,
// for its facts into Result, and returns its title when Titles, as
// ReadTitleFrom finds it.
std::string ReadPageForFacts(int fd, off_t size, const std::string& path, PageReadWanted wanted,
                             PageLinkText& result) {
    const bool titles = wanted.Titles;
    thread_local std::string page;
    size_t have = 0;
    bool truncated = false;
    if (!ReadFileStart(fd, wanted.Pictures ? kMaxFactsBytes : kHeadBytes, page, have, truncated))
        throw EFOpenError(FormatText(kCannotOpenFile, {path}));
    std::string_view text(page.data(), have);
    PageFacts facts = ReadPageFacts(text);
    // Those of a head-only read would be a part that looks like the whole.
    if (!wanted.Pictures)
        facts.Images.clear();
    result.Facts = std::make_shared<const PageFacts>(std::move(facts));
    if (!titles)
        return {};
    const PageCharset charset = SniffPageCharset(text);
    TitleSearch search(UnitsOf(charset));
    switch (search.Feed(text, 0)) {
    case TitleSearch::Result::Found:
        return TitleText(text.substr(search.TitleBegin(), search.TitleEnd() - search.TitleBegin()),
                         charset);
    case TitleSearch::Result::NoTitle:
        return {};
    case TitleSearch::Result::NeedMore:
        break;
    }
    // Undecided at the end of what was read: a page longer than that may
    // still hold its title further on.
    return truncated ? ReadTitleFrom(fd, size, path) : std::string();
}

} // namespace

std::string ReadTitleElement(const std::string& path) {
    // A FIFO put in a page's place must not hang the scan.
    struct stat st {};
    UniqueFd fd = OpenRegularFile(path, &st);
    if (!fd.Valid())
        throw EFOpenError(FormatText(kCannotOpenFile, {path}));
    return ReadTitleFrom(fd.Get(), st.st_size, path);
}

PageLinkText ReadPageLinkTextAt(int dirFd, const std::string& name, PageReadWanted wanted) {
    PageLinkText result{name};
    struct stat st {};
    UniqueFd fd = OpenRegularFileAt(dirFd, name.c_str(), &st);
    if (!fd.Valid())
        return result;
    result.Modified = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    try {
        std::string title;
        if (wanted.Facts)
            title = ReadPageForFacts(fd.Get(), st.st_size, name, wanted, result);
        else if (wanted.Titles)
            title = ReadTitleFrom(fd.Get(), st.st_size, name);
        if (!title.empty()) {
            result.Text = std::move(title);
            result.FromTitle = true;
        }
    } catch (const std::exception&) {
        // An unreadable page keeps its file name.
    }
    return result;
}

bool HasTitledType(const std::string& path) {
    return MatchesFileTypes(path, kTitledFileTypes);
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

namespace {

const char* const kDefaultPageNames[] = {"index.html", "index.htm", "welcome.html", "index.php",
                                         "index.asp"};

} // namespace

std::string ReadPageLanguage(const std::string& path) {
    std::string head;
    try {
        FileReader(path).ReadInto(head, kHeadBytes);
    } catch (const std::exception&) {
        return {};
    }
    return ParsePage(head).Lang.value_or(std::string());
}

std::string FindFolderIndexPage(const std::string& folder) {
    std::string base = AddTrailingBackslash(folder);
    for (const char* name : kDefaultPageNames) {
        std::string candidate = base + name;
        if (FileExists(candidate))
            return candidate;
    }
    return {};
}

std::string DefaultPageName(const std::vector<TSearchRec>& entries) {
    const TSearchRec* found[std::size(kDefaultPageNames)] = {};
    for (const TSearchRec& rec : entries) {
        if (rec.Attr & faDirectory)
            continue;
        for (size_t i = 0; i < std::size(kDefaultPageNames); ++i)
            if (rec.Name == kDefaultPageNames[i])
                found[i] = &rec;
    }
    for (const TSearchRec* rec : found)
        if (rec)
            return rec->Name;
    return {};
}

} // namespace tw
