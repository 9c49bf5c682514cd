#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tw {

// File types whose title element is read.
inline constexpr const char* kTitledFileTypes = "*.htm;*.html;*.shtml;*.php;*.php4;*.php5;";

// Finds a page's title element in successive windows of its bytes, so that a
// reader stops as soon as the title is known and never holds a whole page.
// The title is the text between the first "<title>" and the first "</title>"
// (ASCII letter case ignored, both searched from the start). An end mark
// before any start mark means no title, and so does the page ending before
// an end mark. Marks split between two windows are still found.
class TitleSearch {
public:
    enum class Result : std::uint8_t {
        NeedMore, // undecided: feed the next window, starting by KeepFrom()
        NoTitle,  // an end mark came first
        Found,    // the title is [TitleBegin(), TitleEnd())
    };

    // Bytes from KeepFrom() to the end of a window are at most this many: a
    // "<" too close to the window's end to tell whether a mark begins there.
    static constexpr size_t kMaxKept = 7;

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
    Result result_ = Result::NeedMore;
    std::uint64_t next_ = 0;
    bool started_ = false;
    std::uint64_t start_ = 0; // offset of the first "<title>", once started_
    std::uint64_t begin_ = 0;
    std::uint64_t end_ = 0;
};

} // namespace tw
