#include "support/PageEncoding.h"

#include "support/NXStrings.h"
#include "support/TextEncoding.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <iterator>
#include <vector>

namespace tw {

namespace {

bool StartsWithFolded(std::string_view text, size_t at, std::string_view lower) {
    if (text.size() - at < lower.size())
        return false;
    for (size_t i = 0; i < lower.size(); ++i)
        if (AsciiLower(text[at + i]) != lower[i])
            return false;
    return true;
}

// The encodings a byte-order mark or the prescan's own rules name, looked up
// once rather than per page.
const Charset* const kUtf8Charset = CharsetForLabel("utf-8");
const Charset* const kWindows1252Charset = CharsetForLabel("windows-1252");
const Charset* const kUtf16LECharset = CharsetForLabel("utf-16le");
const Charset* const kUtf16BECharset = CharsetForLabel("utf-16be");

// The prescan of a page's first bytes for a meta element that declares its
// encoding, as the HTML standard describes it. Every step moves on, and
// nothing reads past the end of Text.
class Prescan {
public:
    explicit Prescan(std::string_view text) : text_(text) {}

    const Charset* Run() {
        while (pos_ < text_.size()) {
            if (text_[pos_] != '<') {
                ++pos_;
                continue;
            }
            if (StartsWithFolded(text_, pos_, "<!--")) {
                // The two dashes may be the opening ones: "<!-->" ends it.
                size_t end = text_.find("-->", pos_ + 2);
                if (end == std::string_view::npos)
                    return nullptr;
                pos_ = end + 3;
            } else if (StartsWithFolded(text_, pos_, "<meta") && pos_ + 5 < text_.size() &&
                       (IsHtmlSpace(text_[pos_ + 5]) || text_[pos_ + 5] == '/')) {
                pos_ += 5;
                bool complete = true;
                const Charset* found = Meta(complete);
                if (found)
                    return found;
                if (!complete)
                    return nullptr;
            } else if (pos_ + 1 < text_.size() &&
                       (IsLetter(text_[pos_ + 1]) ||
                        (text_[pos_ + 1] == '/' && pos_ + 2 < text_.size() &&
                         IsLetter(text_[pos_ + 2])))) {
                // Another tag: its attributes are skipped, so that a value
                // holding "<meta" is no element.
                while (pos_ < text_.size() && !IsHtmlSpace(text_[pos_]) && text_[pos_] != '>')
                    ++pos_;
                bool complete = true;
                while (Attribute(complete)) {
                }
                if (!complete)
                    return nullptr;
                ++pos_;
            } else if (pos_ + 1 < text_.size() &&
                       (text_[pos_ + 1] == '!' || text_[pos_ + 1] == '/' ||
                        text_[pos_ + 1] == '?')) {
                size_t end = text_.find('>', pos_ + 2);
                if (end == std::string_view::npos)
                    return nullptr;
                pos_ = end + 1;
            } else {
                ++pos_;
            }
        }
        return nullptr;
    }

private:
    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

    // The attributes of a meta element from Pos_ on; the charset it
    // declares, or null. Complete is false when the text ended inside it.
    const Charset* Meta(bool& complete) {
        seen_.clear();
        bool gotPragma = false;
        enum { Unset, No, Yes } needPragma = Unset;
        const Charset* charset = nullptr;
        while (Attribute(complete)) {
            // Only the first of attributes with the same name counts.
            if (std::find(seen_.begin(), seen_.end(), name_) != seen_.end())
                continue;
            seen_.push_back(name_);
            if (name_ == "http-equiv") {
                gotPragma = gotPragma || value_ == "content-type";
            } else if (name_ == "content") {
                if (!charset) {
                    charset = CharsetInContent(value_);
                    needPragma = charset ? Yes : needPragma;
                }
            } else if (name_ == "charset") {
                charset = CharsetForLabel(value_);
                needPragma = No;
            }
        }
        if (!complete || needPragma == Unset || (needPragma == Yes && !gotPragma) || !charset)
            return nullptr;
        // The page was read as ASCII to find this: it is no UTF-16.
        if (charset->Kind == CharsetKind::Utf16LE || charset->Kind == CharsetKind::Utf16BE)
            return kUtf8Charset;
        if (charset->Kind == CharsetKind::XUserDefined)
            return kWindows1252Charset;
        return charset;
    }

    // The next attribute of a tag into Name_ and Value_, lower-cased as the
    // prescan takes them; false at the tag's ">" (Pos_ left on it) or when
    // the text ends (Complete then false).
    bool Attribute(bool& complete) {
        name_.clear();
        value_.clear();
        auto atEnd = [this, &complete] {
            if (pos_ < text_.size())
                return false;
            complete = false;
            return true;
        };
        while (!atEnd() && (IsHtmlSpace(text_[pos_]) || text_[pos_] == '/'))
            ++pos_;
        if (atEnd() || text_[pos_] == '>')
            return false;
        for (;; ++pos_) {
            if (atEnd())
                return false;
            const char c = text_[pos_];
            if (c == '=' && !name_.empty())
                break;
            if (IsHtmlSpace(c)) {
                while (!atEnd() && IsHtmlSpace(text_[pos_]))
                    ++pos_;
                if (atEnd())
                    return false;
                if (text_[pos_] != '=')
                    return true;
                break;
            }
            if (c == '/' || c == '>')
                return true;
            name_ += AsciiLower(c);
        }
        ++pos_; // the "="
        while (!atEnd() && IsHtmlSpace(text_[pos_]))
            ++pos_;
        if (atEnd())
            return false;
        const char first = text_[pos_];
        if (first == '"' || first == '\'') {
            for (++pos_;; ++pos_) {
                if (atEnd())
                    return false;
                if (text_[pos_] == first) {
                    ++pos_;
                    return true;
                }
                value_ += AsciiLower(text_[pos_]);
            }
        }
        if (first == '>')
            return true;
        for (;; ++pos_) {
            if (atEnd())
                return false;
            const char c = text_[pos_];
            if (IsHtmlSpace(c) || c == '>')
                return true;
            value_ += AsciiLower(c);
        }
    }

    // The charset a Content-Type value names ("text/html; charset=..."), as
    // the standard extracts it; null when it names none that is known.
    static const Charset* CharsetInContent(std::string_view content) {
        size_t pos = 0;
        for (;;) {
            const size_t at = content.find("charset", pos);
            if (at == std::string_view::npos)
                return nullptr;
            pos = at + 7;
            while (pos < content.size() && IsHtmlSpace(content[pos]))
                ++pos;
            if (pos < content.size() && content[pos] == '=')
                break;
        }
        ++pos;
        while (pos < content.size() && IsHtmlSpace(content[pos]))
            ++pos;
        if (pos == content.size())
            return nullptr;
        std::string_view label;
        if (content[pos] == '"' || content[pos] == '\'') {
            const size_t end = content.find(content[pos], pos + 1);
            if (end == std::string_view::npos)
                return nullptr;
            label = content.substr(pos + 1, end - pos - 1);
        } else {
            size_t end = pos;
            while (end < content.size() && !IsHtmlSpace(content[end]) && content[end] != ';')
                ++end;
            label = content.substr(pos, end - pos);
        }
        return CharsetForLabel(label);
    }

    std::string_view text_;
    size_t pos_ = 0;
    // Scratch space, kept from tag to tag.
    std::string name_, value_;
    std::vector<std::string> seen_;
};

// One converter per encoding and thread: opening one costs far more than a
// title's conversion, and a converter serves one thread at a time.
class IconvCache {
public:
    ~IconvCache() {
        for (const Converter& c : open_)
            if (c.Opened)
                iconv_close(c.Cd);
    }
    // The converter from Name to UTF-8 in its initial state, or null when
    // the C library has none.
    iconv_t* Get(const char* name) {
        for (Converter& c : open_)
            if (c.Name == name) {
                if (c.Opened)
                    iconv(c.Cd, nullptr, nullptr, nullptr, nullptr);
                return c.Opened ? &c.Cd : nullptr;
            }
        iconv_t cd = iconv_open("UTF-8", name);
        // iconv_open's failure is the value -1.
        const bool opened = reinterpret_cast<std::intptr_t>(cd) != -1;
        open_.push_back({name, cd, opened});
        return opened ? &open_.back().Cd : nullptr;
    }

private:
    struct Converter {
        const char* Name;
        iconv_t Cd;
        bool Opened;
    };
    std::vector<Converter> open_;
};

// Bytes in a legacy encoding as UTF-8; false when the C library has no
// converter for it. A byte the encoding does not define, or a sequence cut
// off by the end, becomes U+FFFD, and the conversion goes on after it.
bool IconvToUtf8(std::string_view bytes, const char* name, std::string& out) {
    thread_local IconvCache cache;
    iconv_t* converter = cache.Get(name);
    if (!converter)
        return false;
    iconv_t cd = *converter;
    out.assign(bytes.size() + bytes.size() / 2 + 16, '\0');
    size_t used = 0;
    // Converts into the room left, with In null telling the end of the input;
    // false on an error other than a full buffer, which is grown.
    auto convert = [&](char** in, size_t* inLeft) {
        for (;;) {
            char* outPtr = out.data() + used;
            size_t outLeft = out.size() - used;
            const size_t r = iconv(cd, in, inLeft, &outPtr, &outLeft);
            used = static_cast<size_t>(outPtr - out.data());
            if (r != static_cast<size_t>(-1))
                return true;
            if (errno != E2BIG)
                return false;
            out.resize(out.size() * 2);
        }
    };
    // iconv takes non-const pointers but only reads through the input one.
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0 && !convert(&in, &inLeft)) {
        const bool cutOff = errno != EILSEQ;
        if (out.size() - used < kReplacementCharacter.size())
            out.resize(out.size() * 2);
        out.replace(used, kReplacementCharacter.size(), kReplacementCharacter);
        used += kReplacementCharacter.size();
        if (cutOff)
            break;
        ++in;
        --inLeft;
    }
    // A stateful encoding may hold a character back until the input ends.
    convert(nullptr, nullptr);
    out.resize(used);
    return true;
}

} // namespace

PageCharset SniffPageCharset(std::string_view start) {
    start = start.substr(0, std::min(start.size(), kCharsetSniffBytes));
    if (start.starts_with("\xEF\xBB\xBF"))
        return {kUtf8Charset, 3};
    if (start.starts_with("\xFF\xFE"))
        return {kUtf16LECharset, 2};
    if (start.starts_with("\xFE\xFF"))
        return {kUtf16BECharset, 2};
    return {Prescan(start).Run(), 0};
}

std::string PageTextToUtf8(std::string_view bytes, const Charset* charset) {
    if (!charset)
        return Utf8OrCp1252(bytes);
    switch (charset->Kind) {
    case CharsetKind::Utf8:
        return ValidUtf8(bytes);
    case CharsetKind::Utf16LE:
        return Utf16BytesToUtf8(bytes, false);
    case CharsetKind::Utf16BE:
        return Utf16BytesToUtf8(bytes, true);
    case CharsetKind::Windows1252:
        return Cp1252ToUtf8(bytes);
    case CharsetKind::XUserDefined: {
        std::string out;
        out.reserve(bytes.size());
        for (char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            AppendUtf8(out, b < 0x80 ? b : 0xF780 + (b - 0x80));
        }
        return out;
    }
    case CharsetKind::Replacement:
        return bytes.empty() ? std::string() : std::string(kReplacementCharacter);
    case CharsetKind::Iconv:
        break;
    }
    std::string out;
    if (!IconvToUtf8(bytes, charset->IconvName, out))
        return Utf8OrCp1252(bytes);
    return out;
}

} // namespace tw
