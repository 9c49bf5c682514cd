#include "support/PageEncoding.h"

#include "support/TextEncoding.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <iterator>
#include <vector>

namespace tw {

namespace {

enum Index : std::uint8_t {
    kUtf8,
    kIbm866,
    kIso8859_2,
    kIso8859_3,
    kIso8859_4,
    kIso8859_5,
    kIso8859_6,
    kIso8859_7,
    kIso8859_8,
    kIso8859_8I,
    kIso8859_10,
    kIso8859_13,
    kIso8859_14,
    kIso8859_15,
    kIso8859_16,
    kKoi8R,
    kKoi8U,
    kMacintosh,
    kWindows874,
    kWindows1250,
    kWindows1251,
    kWindows1252,
    kWindows1253,
    kWindows1254,
    kWindows1255,
    kWindows1256,
    kWindows1257,
    kWindows1258,
    kXMacCyrillic,
    kGbk,
    kGb18030,
    kBig5,
    kEucJp,
    kIso2022Jp,
    kShiftJis,
    kEucKr,
    kReplacement,
    kUtf16BE,
    kUtf16LE,
    kXUserDefined,
};

using K = CharsetKind;

// In the order of Index. The iconv names are those of the C library that
// decode as the standard's decoders do: its GBK decoder is gb18030's, its
// Big5 holds the Hong Kong additions, its Shift_JIS and EUC-KR are
// Microsoft's code pages 932 and 949.
constexpr Charset kCharsets[] = {
    {"UTF-8", K::Utf8, nullptr},
    {"IBM866", K::Iconv, "IBM866"},
    {"ISO-8859-2", K::Iconv, "ISO-8859-2"},
    {"ISO-8859-3", K::Iconv, "ISO-8859-3"},
    {"ISO-8859-4", K::Iconv, "ISO-8859-4"},
    {"ISO-8859-5", K::Iconv, "ISO-8859-5"},
    {"ISO-8859-6", K::Iconv, "ISO-8859-6"},
    {"ISO-8859-7", K::Iconv, "ISO-8859-7"},
    {"ISO-8859-8", K::Iconv, "ISO-8859-8"},
    {"ISO-8859-8-I", K::Iconv, "ISO-8859-8"},
    {"ISO-8859-10", K::Iconv, "ISO-8859-10"},
    {"ISO-8859-13", K::Iconv, "ISO-8859-13"},
    {"ISO-8859-14", K::Iconv, "ISO-8859-14"},
    {"ISO-8859-15", K::Iconv, "ISO-8859-15"},
    {"ISO-8859-16", K::Iconv, "ISO-8859-16"},
    {"KOI8-R", K::Iconv, "KOI8-R"},
    {"KOI8-U", K::Iconv, "KOI8-U"},
    {"macintosh", K::Iconv, "MACINTOSH"},
    {"windows-874", K::Iconv, "CP874"},
    {"windows-1250", K::Iconv, "CP1250"},
    {"windows-1251", K::Iconv, "CP1251"},
    {"windows-1252", K::Windows1252, nullptr},
    {"windows-1253", K::Iconv, "CP1253"},
    {"windows-1254", K::Iconv, "CP1254"},
    {"windows-1255", K::Iconv, "CP1255"},
    {"windows-1256", K::Iconv, "CP1256"},
    {"windows-1257", K::Iconv, "CP1257"},
    {"windows-1258", K::Iconv, "CP1258"},
    {"x-mac-cyrillic", K::Iconv, "MAC-CYRILLIC"},
    {"GBK", K::Iconv, "GB18030"},
    {"gb18030", K::Iconv, "GB18030"},
    {"Big5", K::Iconv, "BIG5-HKSCS"},
    {"EUC-JP", K::Iconv, "EUC-JP"},
    {"ISO-2022-JP", K::Iconv, "ISO-2022-JP"},
    {"Shift_JIS", K::Iconv, "CP932"},
    {"EUC-KR", K::Iconv, "CP949"},
    {"replacement", K::Replacement, nullptr},
    {"UTF-16BE", K::Utf16BE, nullptr},
    {"UTF-16LE", K::Utf16LE, nullptr},
    {"x-user-defined", K::XUserDefined, nullptr},
};
static_assert(std::size(kCharsets) == kXUserDefined + 1);

struct Label {
    std::string_view Name;
    Index Charset;
};

// Every label of the standard, sorted byte by byte.
constexpr Label kLabels[] = {
    {"866", kIbm866},
    {"ansi_x3.4-1968", kWindows1252},
    {"arabic", kIso8859_6},
    {"ascii", kWindows1252},
    {"asmo-708", kIso8859_6},
    {"big5", kBig5},
    {"big5-hkscs", kBig5},
    {"chinese", kGbk},
    {"cn-big5", kBig5},
    {"cp1250", kWindows1250},
    {"cp1251", kWindows1251},
    {"cp1252", kWindows1252},
    {"cp1253", kWindows1253},
    {"cp1254", kWindows1254},
    {"cp1255", kWindows1255},
    {"cp1256", kWindows1256},
    {"cp1257", kWindows1257},
    {"cp1258", kWindows1258},
    {"cp819", kWindows1252},
    {"cp866", kIbm866},
    {"csbig5", kBig5},
    {"cseuckr", kEucKr},
    {"cseucpkdfmtjapanese", kEucJp},
    {"csgb2312", kGbk},
    {"csibm866", kIbm866},
    {"csiso2022jp", kIso2022Jp},
    {"csiso2022kr", kReplacement},
    {"csiso58gb231280", kGbk},
    {"csiso88596e", kIso8859_6},
    {"csiso88596i", kIso8859_6},
    {"csiso88598e", kIso8859_8},
    {"csiso88598i", kIso8859_8I},
    {"csisolatin1", kWindows1252},
    {"csisolatin2", kIso8859_2},
    {"csisolatin3", kIso8859_3},
    {"csisolatin4", kIso8859_4},
    {"csisolatin5", kWindows1254},
    {"csisolatin6", kIso8859_10},
    {"csisolatin9", kIso8859_15},
    {"csisolatinarabic", kIso8859_6},
    {"csisolatincyrillic", kIso8859_5},
    {"csisolatingreek", kIso8859_7},
    {"csisolatinhebrew", kIso8859_8},
    {"cskoi8r", kKoi8R},
    {"csksc56011987", kEucKr},
    {"csmacintosh", kMacintosh},
    {"csshiftjis", kShiftJis},
    {"csunicode", kUtf16LE},
    {"cyrillic", kIso8859_5},
    {"dos-874", kWindows874},
    {"ecma-114", kIso8859_6},
    {"ecma-118", kIso8859_7},
    {"elot_928", kIso8859_7},
    {"euc-jp", kEucJp},
    {"euc-kr", kEucKr},
    {"gb18030", kGb18030},
    {"gb2312", kGbk},
    {"gb_2312", kGbk},
    {"gb_2312-80", kGbk},
    {"gbk", kGbk},
    {"greek", kIso8859_7},
    {"greek8", kIso8859_7},
    {"hebrew", kIso8859_8},
    {"hz-gb-2312", kReplacement},
    {"ibm819", kWindows1252},
    {"ibm866", kIbm866},
    {"iso-10646-ucs-2", kUtf16LE},
    {"iso-2022-cn", kReplacement},
    {"iso-2022-cn-ext", kReplacement},
    {"iso-2022-jp", kIso2022Jp},
    {"iso-2022-kr", kReplacement},
    {"iso-8859-1", kWindows1252},
    {"iso-8859-10", kIso8859_10},
    {"iso-8859-11", kWindows874},
    {"iso-8859-13", kIso8859_13},
    {"iso-8859-14", kIso8859_14},
    {"iso-8859-15", kIso8859_15},
    {"iso-8859-16", kIso8859_16},
    {"iso-8859-2", kIso8859_2},
    {"iso-8859-3", kIso8859_3},
    {"iso-8859-4", kIso8859_4},
    {"iso-8859-5", kIso8859_5},
    {"iso-8859-6", kIso8859_6},
    {"iso-8859-6-e", kIso8859_6},
    {"iso-8859-6-i", kIso8859_6},
    {"iso-8859-7", kIso8859_7},
    {"iso-8859-8", kIso8859_8},
    {"iso-8859-8-e", kIso8859_8},
    {"iso-8859-8-i", kIso8859_8I},
    {"iso-8859-9", kWindows1254},
    {"iso-ir-100", kWindows1252},
    {"iso-ir-101", kIso8859_2},
    {"iso-ir-109", kIso8859_3},
    {"iso-ir-110", kIso8859_4},
    {"iso-ir-126", kIso8859_7},
    {"iso-ir-127", kIso8859_6},
    {"iso-ir-138", kIso8859_8},
    {"iso-ir-144", kIso8859_5},
    {"iso-ir-148", kWindows1254},
    {"iso-ir-149", kEucKr},
    {"iso-ir-157", kIso8859_10},
    {"iso-ir-58", kGbk},
    {"iso8859-1", kWindows1252},
    {"iso8859-10", kIso8859_10},
    {"iso8859-11", kWindows874},
    {"iso8859-13", kIso8859_13},
    {"iso8859-14", kIso8859_14},
    {"iso8859-15", kIso8859_15},
    {"iso8859-2", kIso8859_2},
    {"iso8859-3", kIso8859_3},
    {"iso8859-4", kIso8859_4},
    {"iso8859-5", kIso8859_5},
    {"iso8859-6", kIso8859_6},
    {"iso8859-7", kIso8859_7},
    {"iso8859-8", kIso8859_8},
    {"iso8859-9", kWindows1254},
    {"iso88591", kWindows1252},
    {"iso885910", kIso8859_10},
    {"iso885911", kWindows874},
    {"iso885913", kIso8859_13},
    {"iso885914", kIso8859_14},
    {"iso885915", kIso8859_15},
    {"iso88592", kIso8859_2},
    {"iso88593", kIso8859_3},
    {"iso88594", kIso8859_4},
    {"iso88595", kIso8859_5},
    {"iso88596", kIso8859_6},
    {"iso88597", kIso8859_7},
    {"iso88598", kIso8859_8},
    {"iso88599", kWindows1254},
    {"iso_8859-1", kWindows1252},
    {"iso_8859-15", kIso8859_15},
    {"iso_8859-1:1987", kWindows1252},
    {"iso_8859-2", kIso8859_2},
    {"iso_8859-2:1987", kIso8859_2},
    {"iso_8859-3", kIso8859_3},
    {"iso_8859-3:1988", kIso8859_3},
    {"iso_8859-4", kIso8859_4},
    {"iso_8859-4:1988", kIso8859_4},
    {"iso_8859-5", kIso8859_5},
    {"iso_8859-5:1988", kIso8859_5},
    {"iso_8859-6", kIso8859_6},
    {"iso_8859-6:1987", kIso8859_6},
    {"iso_8859-7", kIso8859_7},
    {"iso_8859-7:1987", kIso8859_7},
    {"iso_8859-8", kIso8859_8},
    {"iso_8859-8:1988", kIso8859_8},
    {"iso_8859-9", kWindows1254},
    {"iso_8859-9:1989", kWindows1254},
    {"koi", kKoi8R},
    {"koi8", kKoi8R},
    {"koi8-r", kKoi8R},
    {"koi8-ru", kKoi8U},
    {"koi8-u", kKoi8U},
    {"koi8_r", kKoi8R},
    {"korean", kEucKr},
    {"ks_c_5601-1987", kEucKr},
    {"ks_c_5601-1989", kEucKr},
    {"ksc5601", kEucKr},
    {"ksc_5601", kEucKr},
    {"l1", kWindows1252},
    {"l2", kIso8859_2},
    {"l3", kIso8859_3},
    {"l4", kIso8859_4},
    {"l5", kWindows1254},
    {"l6", kIso8859_10},
    {"l9", kIso8859_15},
    {"latin1", kWindows1252},
    {"latin2", kIso8859_2},
    {"latin3", kIso8859_3},
    {"latin4", kIso8859_4},
    {"latin5", kWindows1254},
    {"latin6", kIso8859_10},
    {"logical", kIso8859_8I},
    {"mac", kMacintosh},
    {"macintosh", kMacintosh},
    {"ms932", kShiftJis},
    {"ms_kanji", kShiftJis},
    {"shift-jis", kShiftJis},
    {"shift_jis", kShiftJis},
    {"sjis", kShiftJis},
    {"sun_eu_greek", kIso8859_7},
    {"tis-620", kWindows874},
    {"ucs-2", kUtf16LE},
    {"unicode", kUtf16LE},
    {"unicode-1-1-utf-8", kUtf8},
    {"unicode11utf8", kUtf8},
    {"unicode20utf8", kUtf8},
    {"unicodefeff", kUtf16LE},
    {"unicodefffe", kUtf16BE},
    {"us-ascii", kWindows1252},
    {"utf-16", kUtf16LE},
    {"utf-16be", kUtf16BE},
    {"utf-16le", kUtf16LE},
    {"utf-8", kUtf8},
    {"utf8", kUtf8},
    {"visual", kIso8859_8},
    {"windows-1250", kWindows1250},
    {"windows-1251", kWindows1251},
    {"windows-1252", kWindows1252},
    {"windows-1253", kWindows1253},
    {"windows-1254", kWindows1254},
    {"windows-1255", kWindows1255},
    {"windows-1256", kWindows1256},
    {"windows-1257", kWindows1257},
    {"windows-1258", kWindows1258},
    {"windows-31j", kShiftJis},
    {"windows-874", kWindows874},
    {"windows-949", kEucKr},
    {"x-cp1250", kWindows1250},
    {"x-cp1251", kWindows1251},
    {"x-cp1252", kWindows1252},
    {"x-cp1253", kWindows1253},
    {"x-cp1254", kWindows1254},
    {"x-cp1255", kWindows1255},
    {"x-cp1256", kWindows1256},
    {"x-cp1257", kWindows1257},
    {"x-cp1258", kWindows1258},
    {"x-euc-jp", kEucJp},
    {"x-gbk", kGbk},
    {"x-mac-cyrillic", kXMacCyrillic},
    {"x-mac-roman", kMacintosh},
    {"x-mac-ukrainian", kXMacCyrillic},
    {"x-sjis", kShiftJis},
    {"x-unicode20utf8", kUtf8},
    {"x-user-defined", kXUserDefined},
    {"x-x-big5", kBig5},
};

constexpr size_t kLongestLabel = 19; // "cseucpkdfmtjapanese"

constexpr bool LabelsSorted() {
    for (size_t i = 1; i < std::size(kLabels); ++i)
        if (!(kLabels[i - 1].Name < kLabels[i].Name))
            return false;
    for (const Label& l : kLabels)
        if (l.Name.size() > kLongestLabel)
            return false;
    return true;
}
static_assert(LabelsSorted());

// The standard's ASCII white space.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool StartsWithFolded(std::string_view text, size_t at, std::string_view lower) {
    if (text.size() - at < lower.size())
        return false;
    for (size_t i = 0; i < lower.size(); ++i)
        if (Lower(text[at + i]) != lower[i])
            return false;
    return true;
}

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
                       (IsSpace(text_[pos_ + 5]) || text_[pos_ + 5] == '/')) {
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
                while (pos_ < text_.size() && !IsSpace(text_[pos_]) && text_[pos_] != '>')
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
            return &kCharsets[kUtf8];
        if (charset->Kind == CharsetKind::XUserDefined)
            return &kCharsets[kWindows1252];
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
        while (!atEnd() && (IsSpace(text_[pos_]) || text_[pos_] == '/'))
            ++pos_;
        if (atEnd() || text_[pos_] == '>')
            return false;
        for (;; ++pos_) {
            if (atEnd())
                return false;
            const char c = text_[pos_];
            if (c == '=' && !name_.empty())
                break;
            if (IsSpace(c)) {
                while (!atEnd() && IsSpace(text_[pos_]))
                    ++pos_;
                if (atEnd())
                    return false;
                if (text_[pos_] != '=')
                    return true;
                break;
            }
            if (c == '/' || c == '>')
                return true;
            name_ += Lower(c);
        }
        ++pos_; // the "="
        while (!atEnd() && IsSpace(text_[pos_]))
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
                value_ += Lower(text_[pos_]);
            }
        }
        if (first == '>')
            return true;
        for (;; ++pos_) {
            if (atEnd())
                return false;
            const char c = text_[pos_];
            if (IsSpace(c) || c == '>')
                return true;
            value_ += Lower(c);
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
            while (pos < content.size() && IsSpace(content[pos]))
                ++pos;
            if (pos < content.size() && content[pos] == '=')
                break;
        }
        ++pos;
        while (pos < content.size() && IsSpace(content[pos]))
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
            while (end < content.size() && !IsSpace(content[end]) && content[end] != ';')
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

const Charset* CharsetForLabel(std::string_view label) {
    while (!label.empty() && IsSpace(label.front()))
        label.remove_prefix(1);
    while (!label.empty() && IsSpace(label.back()))
        label.remove_suffix(1);
    if (label.empty() || label.size() > kLongestLabel)
        return nullptr;
    char folded[kLongestLabel];
    std::transform(label.begin(), label.end(), folded, Lower);
    const std::string_view key(folded, label.size());
    const Label* it =
        std::lower_bound(std::begin(kLabels), std::end(kLabels), key,
                         [](const Label& l, std::string_view k) { return l.Name < k; });
    return it != std::end(kLabels) && it->Name == key ? &kCharsets[it->Charset] : nullptr;
}

PageCharset SniffPageCharset(std::string_view start) {
    start = start.substr(0, std::min(start.size(), kCharsetSniffBytes));
    if (start.starts_with("\xEF\xBB\xBF"))
        return {&kCharsets[kUtf8], 3};
    if (start.starts_with("\xFF\xFE"))
        return {&kCharsets[kUtf16LE], 2};
    if (start.starts_with("\xFE\xFF"))
        return {&kCharsets[kUtf16BE], 2};
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
