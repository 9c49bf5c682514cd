#include "model/CssReferences.h"

#include "support/NXStrings.h"
#include "support/TextEncoding.h"

#include <optional>
#include <vector>

namespace tw {

namespace {

bool IsHex(char c) {
    return IsAsciiDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}
bool IsNewline(char c) {
    return c == '\n' || c == '\r' || c == '\f';
}
bool IsWhite(char c) {
    return c == ' ' || c == '\t' || IsNewline(c);
}
bool IsNameStart(char c) {
    return ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool IsNameChar(char c) {
    return IsNameStart(c) || IsAsciiDigit(c) || c == '-';
}

// The tokens of CSS Syntax that can hold a URL, read in one pass; the
// others are stepped over just far enough not to be mistaken for one.
class CssScanner {
public:
    CssScanner(std::string_view text, unsigned line,
               const std::function<void(CssReference&&)>& found)
        : s_(text), line_(line), found_(found) {}

    void Run() {
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (IsNewline(c)) {
                Newline();
            } else if (c == '/' && At(i_ + 1) == '*') {
                SkipComment();
            } else if (c == '"' || c == '\'') {
                const unsigned line = line_;
                begin_ = i_;
                if (std::optional<std::string> value = String(c))
                    StringToken(std::move(*value), line);
            } else if (c == '@' && StartsName(i_ + 1)) {
                ++i_;
                std::string keyword = AsciiLowerCase(Name());
                atRule_ = keyword == "import"      ? AtRule::Import
                          : keyword == "namespace" ? AtRule::Namespace
                                                   : AtRule::Other;
                importTaken_ = false;
            } else if (c == '#' && (IsNameChar(At(i_ + 1)) || ValidEscape(i_ + 1))) {
                ++i_;
                Name();
            } else if (IsAsciiDigit(c)) {
                while (i_ < s_.size() && (IsAsciiDigit(s_[i_]) || s_[i_] == '.'))
                    ++i_;
                if (StartsName(i_))
                    Name(); // a dimension's unit
            } else if (StartsName(i_)) {
                const unsigned line = line_;
                std::string name = Name();
                if (At(i_) == '(') {
                    ++i_;
                    Function(AsciiLowerCase(name), line);
                }
            } else {
                if (c == '(') {
                    functions_.push_back(false);
                } else if (c == ')') {
                    if (!functions_.empty())
                        functions_.pop_back();
                } else if ((c == ';' || c == '{' || c == '}') && functions_.empty()) {
                    atRule_ = AtRule::None;
                }
                ++i_;
            }
        }
    }

private:
    enum class AtRule { None, Import, Namespace, Other };

    char At(size_t i) const { return i < s_.size() ? s_[i] : '\0'; }

    // At a newline: a CR LF is one.
    void Newline() {
        i_ += s_[i_] == '\r' && At(i_ + 1) == '\n' ? 2 : 1;
        ++line_;
    }

    void SkipComment() {
        size_t end = s_.find("*/", i_ + 2);
        end = end == std::string_view::npos ? s_.size() : end + 2;
        while (i_ < end) {
            if (IsNewline(s_[i_]) && !(s_[i_] == '\r' && At(i_ + 1) == '\n'))
                ++line_;
            ++i_;
        }
    }

    bool ValidEscape(size_t i) const {
        return At(i) == '\\' && i + 1 < s_.size() && !IsNewline(s_[i + 1]);
    }

    bool StartsName(size_t i) const {
        if (At(i) == '-')
            return IsNameStart(At(i + 1)) || At(i + 1) == '-' || ValidEscape(i + 1);
        return IsNameStart(At(i)) || ValidEscape(i);
    }

    // After a backslash that begins a valid escape.
    void Escape(std::string& out) {
        if (!IsHex(At(i_))) {
            if (i_ < s_.size())
                out += s_[i_++];
            return;
        }
        char32_t cp = 0;
        for (int k = 0; k < 6 && IsHex(At(i_)); ++k, ++i_)
            cp = cp * 16 + static_cast<char32_t>(IsAsciiDigit(s_[i_]) ? s_[i_] - '0'
                                                                      : (s_[i_] | 0x20) - 'a' + 10);
        if (i_ < s_.size() && IsWhite(s_[i_])) {
            if (IsNewline(s_[i_]))
                Newline();
            else
                ++i_;
        }
        AppendUtf8(out, cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) ? 0xFFFD : cp);
    }

    std::string Name() {
        std::string name;
        while (i_ < s_.size()) {
            if (IsNameChar(s_[i_])) {
                name += s_[i_++];
            } else if (ValidEscape(i_)) {
                ++i_;
                Escape(name);
            } else {
                break;
            }
        }
        return name;
    }

    // From the opening quote; nothing for a string a line break cuts off.
    std::optional<std::string> String(char quote) {
        std::string value;
        ++i_;
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == quote) {
                ++i_;
                stringEnd_ = i_;
                return value;
            }
            if (IsNewline(c))
                return std::nullopt;
            if (c == '\\') {
                ++i_;
                if (i_ >= s_.size())
                    break;
                if (IsNewline(s_[i_]))
                    Newline(); // a line continued
                else
                    Escape(value);
                continue;
            }
            value += c;
            ++i_;
        }
        stringEnd_ = i_;
        return value;
    }

    void Function(const std::string& name, unsigned line) {
        if (name != "url") {
            functions_.push_back(name == "image-set" || name == "-webkit-image-set");
            return;
        }
        while (i_ < s_.size() && IsWhite(s_[i_])) {
            if (IsNewline(s_[i_]))
                Newline();
            else
                ++i_;
        }
        const char c = At(i_);
        begin_ = i_;
        if (c == '"' || c == '\'') {
            std::optional<std::string> value = String(c);
            if (value)
                Url(std::move(*value), line);
            functions_.push_back(false); // its ")" is still to come
            return;
        }
        UnquotedUrl(line);
    }

    void UnquotedUrl(unsigned line) {
        std::string value;
        end_ = s_.size();
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == ')') {
                end_ = i_;
                ++i_;
                break;
            }
            if (IsWhite(c)) {
                end_ = i_;
                while (i_ < s_.size() && IsWhite(s_[i_])) {
                    if (IsNewline(s_[i_]))
                        Newline();
                    else
                        ++i_;
                }
                if (i_ >= s_.size() || s_[i_] == ')') {
                    ++i_;
                    break;
                }
                return BadUrl();
            }
            if (c == '"' || c == '\'' || c == '(' || static_cast<unsigned char>(c) < 0x20 ||
                c == 0x7F)
                return BadUrl();
            if (c == '\\') {
                if (!ValidEscape(i_))
                    return BadUrl();
                ++i_;
                Escape(value);
                continue;
            }
            value += c;
            ++i_;
        }
        Url(std::move(value), line);
    }

    // The rest of a malformed url(), which names nothing.
    void BadUrl() {
        while (i_ < s_.size() && s_[i_] != ')') {
            if (ValidEscape(i_))
                i_ += 2;
            else if (IsNewline(s_[i_]))
                Newline();
            else
                ++i_;
        }
        ++i_;
    }

    bool TakesImport() {
        if (atRule_ != AtRule::Import || importTaken_ || !functions_.empty())
            return false;
        importTaken_ = true;
        return true;
    }

    // An empty URL names nothing to fetch.
    void Url(std::string value, unsigned line) {
        if (atRule_ == AtRule::Namespace || value.empty())
            return;
        const bool import = TakesImport();
        found_({std::move(value), line, import, begin_, QuotedEnd()});
    }

    // A string is a URL as what an @import names and inside image-set().
    void StringToken(std::string value, unsigned line) {
        if (value.empty())
            return;
        if (TakesImport())
            found_({std::move(value), line, true, begin_, i_});
        else if (!functions_.empty() && functions_.back())
            found_({std::move(value), line, false, begin_, i_});
    }

    // A quoted url() ends where its string did; an unquoted one at end_.
    size_t QuotedEnd() const {
        const char c = s_[begin_];
        return c == '"' || c == '\'' ? stringEnd_ : end_;
    }

    std::string_view s_;
    size_t i_ = 0;
    // Where the URL being read begins, and where its string or unquoted
    // contents end.
    size_t begin_ = 0, end_ = 0, stringEnd_ = 0;
    unsigned line_;
    const std::function<void(CssReference&&)>& found_;
    AtRule atRule_ = AtRule::None;
    bool importTaken_ = false;
    // The open functions and parentheses: whether each is an image-set().
    std::vector<bool> functions_;
};

} // namespace

void FindCssReferences(std::string_view text, unsigned firstLine,
                       const std::function<void(CssReference&&)>& found) {
    CssScanner(text, firstLine, found).Run();
}

} // namespace tw
