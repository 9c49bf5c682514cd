#include "model/PageTitle.h"

#include "support/NXStrings.h"

#include <cstring>

namespace tw {

namespace {

// Characters a mark needs after its "<": "title>" and "/title>".
constexpr size_t kStartTail = 6;
constexpr size_t kEndTail = 7;

} // namespace

bool TitleSearch::MarkAt(std::string_view window, size_t lt, const char* lower, size_t len) const {
    if (units_ == TitleUnits::Bytes) {
        for (size_t i = 0; i < len; ++i)
            if (AsciiLower(window[lt + 1 + i]) != lower[i])
                return false;
        return true;
    }
    const size_t low = units_ == TitleUnits::Utf16LE ? 0 : 1;
    for (size_t i = 0; i < len; ++i) {
        const size_t unit = lt + 2 * (i + 1);
        if (window[unit + 1 - low] != 0 || AsciiLower(window[unit + low]) != lower[i])
            return false;
    }
    return true;
}

size_t TitleSearch::FindLt(std::string_view window, size_t from) const {
    if (units_ == TitleUnits::Bytes) {
        const void* lt = memchr(window.data() + from, '<', window.size() - from);
        return lt ? static_cast<size_t>(static_cast<const char*>(lt) - window.data())
                  : std::string_view::npos;
    }
    const size_t low = units_ == TitleUnits::Utf16LE ? 0 : 1;
    for (size_t i = from; i + 2 <= window.size(); i += 2)
        if (window[i + low] == '<' && window[i + 1 - low] == 0)
            return i;
    return std::string_view::npos;
}

TitleSearch::Result TitleSearch::Feed(std::string_view window, std::uint64_t offset) {
    if (result_ != Result::NeedMore)
        return result_;
    const size_t have = window.size();
    const size_t width = units_ == TitleUnits::Bytes ? 1 : 2;
    // Units start at even offsets: Next_ stays on one.
    const size_t from = static_cast<size_t>(next_ - offset);
    size_t at = FindLt(window, from);
    for (; at != std::string_view::npos; at = FindLt(window, at + width)) {
        // Too close to the end to decide: the next window starts here.
        if (at + width * (1 + kEndTail) > have) {
            next_ = offset + at;
            return result_;
        }
        if (!started_ && MarkAt(window, at, "title>", kStartTail)) {
            started_ = true;
            start_ = offset + at;
        }
        if (MarkAt(window, at, "/title>", kEndTail)) {
            end_ = offset + at;
            begin_ = start_ + width * (1 + kStartTail);
            // The first end mark came before any start mark: no title.
            result_ = !started_ || begin_ > end_ ? Result::NoTitle : Result::Found;
            return result_;
        }
    }
    // A last half unit is still undecided.
    next_ = offset + have - (have - from) % width;
    return result_;
}

} // namespace tw
