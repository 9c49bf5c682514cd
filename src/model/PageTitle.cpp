#include "model/PageTitle.h"

#include "support/NXStrings.h"

#include <cstring>

namespace tw {

namespace {

// Bytes a mark needs after its "<": "title>" and "/title>".
constexpr size_t kStartTail = 6;
constexpr size_t kEndTail = 7;
static_assert(TitleSearch::kMaxKept == kEndTail);

// Whether Text begins with Lower (given in small letters), ASCII case ignored.
bool StartsWithFolded(const char* text, const char* lower, size_t len) {
    for (size_t i = 0; i < len; ++i)
        if (AsciiLower(text[i]) != lower[i])
            return false;
    return true;
}

} // namespace

TitleSearch::Result TitleSearch::Feed(std::string_view window, std::uint64_t offset) {
    if (result_ != Result::NeedMore)
        return result_;
    const char* buf = window.data();
    const size_t have = window.size();
    size_t i = static_cast<size_t>(next_ - offset);
    while (i < have) {
        const auto* lt = static_cast<const char*>(memchr(buf + i, '<', have - i));
        if (!lt)
            break;
        size_t at = static_cast<size_t>(lt - buf);
        // Too close to the end to decide: the next window starts here.
        if (at + 1 + kEndTail > have) {
            next_ = offset + at;
            return result_;
        }
        if (!started_ && StartsWithFolded(lt + 1, "title>", kStartTail)) {
            started_ = true;
            start_ = offset + at;
        }
        if (StartsWithFolded(lt + 1, "/title>", kEndTail)) {
            end_ = offset + at;
            begin_ = start_ + 1 + kStartTail;
            // The first end mark came before any start mark: no title.
            result_ = !started_ || begin_ > end_ ? Result::NoTitle : Result::Found;
            return result_;
        }
        i = at + 1;
    }
    next_ = offset + have;
    return result_;
}

} // namespace tw
