#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tw {

// File types whose title element is read.
inline constexpr const char* kTitledFileTypes = "*.htm;*.html;*.shtml;*.php;*.php4;*.php5;";

// How the marks are written: in bytes (any encoding that keeps ASCII as it
// is), or in UTF-16 code units of either order, each at an even offset.
enum class TitleUnits : std::uint8_t { Bytes, Utf16LE, Utf16BE };

// Finds a page's title element in successive windows of its bytes, so that a
// reader stops as soon as the title is known and never holds a whole page.
// The title is the text between the first "<title>" and the first "</title>"
// (ASCII letter case ignored, both searched from the start). An end mark
// before any start mark means no title, and so does the page ending before
// an end mark. Marks split between two windows are still found.
class TitleSearch {
public:
    explicit TitleSearch(TitleUnits units = TitleUnits::Bytes) : units_(units) {}

    enum class Result : std::uint8_t {
        NeedMore, // undecided: feed the next window, starting by KeepFrom()
        NoTitle,  // an end mark came first
        Found,    // the title is [TitleBegin(), TitleEnd())
    };

    // Bytes from KeepFrom() to the end of a window are at most this many: a
    // "<" too close to the window's end to tell whether a mark begins there
    // (in UTF-16, with half a unit after it).
    static constexpr size_t kMaxKept = 15;

    // Window holds the page's bytes from file offset Offset on. The first
    // window starts at 0; each later one starts at or before the previous
    // KeepFrom() and reaches at least that far. Bytes already decided are
    // not searched again. Once an answer other than NeedMore is given, it
    // stays.
    Result Feed(std::string_view window, std::uint64_t offset);

    // After NeedMore: the offset of the first byte still undecided.
    std::uint64_t KeepFrom() const { return next_; }
    std::uint64_t TitleBegin() const { return begin_; }
    std::uint64_t TitleEnd() const { return end_; }

private:
    // The offset in Window of the first "<" at or after From, or npos.
    size_t FindLt(std::string_view window, size_t from) const;
    // Whether the mark Lower (in small letters) follows the "<" at Lt.
    bool MarkAt(std::string_view window, size_t lt, const char* lower, size_t len) const;

    TitleUnits units_;
    Result result_ = Result::NeedMore;
    std::uint64_t next_ = 0;
    bool started_ = false;
    std::uint64_t start_ = 0; // offset of the first "<title>", once started_
    std::uint64_t begin_ = 0;
    std::uint64_t end_ = 0;
};

} // namespace tw
