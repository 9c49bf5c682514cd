#include "support/TextEncoding.h"

#include <array>

namespace tw {

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

namespace {

// Bytes 80 to 9F of Windows-1252; the five it leaves undefined map to the
// control characters of the same value, as Windows itself converts them.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

char32_t Cp1252Character(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out += c;
        else
            AppendUtf8(out, Cp1252Character(b));
    }
    return out;
}

namespace {

// UTF-16 units as UTF-8, Unit(i) giving the i-th of Count.
template <class UnitAt> void AppendUtf16(std::string& out, size_t count, UnitAt unit) {
    for (size_t i = 0; i < count; ++i) {
        char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out += kReplacementCharacter;
        } else {
            AppendUtf8(out, u);
        }
    }
}

// The length of the well-formed UTF-8 sequence at Text[I] (a maximal
// subpart's when ill-formed), and whether it is well-formed.
size_t Utf8SequenceAt(std::string_view text, size_t i, bool& wellFormed) {
    auto lead = static_cast<unsigned char>(text[i]);
    wellFormed = true;
    if (lead < 0x80)
        return 1;
    size_t need = 0;
    unsigned char low = 0x80, high = 0xBF; // what the second byte may be
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing beyond U+10FFFF
    }
    size_t n = 1;
    while (n <= need && i + n < text.size()) {
        auto c = static_cast<unsigned char>(text[i + n]);
        if (c < (n == 1 ? low : 0x80) || c > (n == 1 ? high : 0xBF))
            break;
        ++n;
    }
    wellFormed = need > 0 && n == need + 1;
    return n;
}

} // namespace

std::string Utf16ToUtf8(const std::u16string& units) {
    std::string out;
    out.reserve(units.size());
    AppendUtf16(out, units.size(), [&units](size_t i) { return char32_t{units[i]}; });
    return out;
}

std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const int high = bigEndian ? 0 : 1;
    AppendUtf16(out, bytes.size() / 2, [b, high](size_t i) {
        return static_cast<char32_t>(b[2 * i + high] << 8 | b[2 * i + (1 - high)]);
    });
    if (bytes.size() % 2)
        out += kReplacementCharacter;
    return out;
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        bool wellFormed = true;
        const size_t n = Utf8SequenceAt(text, i, wellFormed);
        if (wellFormed)
            out.append(text.substr(i, n));
        else
            out += kReplacementCharacter;
        i += n;
    }
    return out;
}

bool IsUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        bool wellFormed = true;
        i += Utf8SequenceAt(text, i, wellFormed);
        if (!wellFormed)
            return false;
    }
    return true;
}

std::string Utf8OrCp1252(std::string_view text) {
    return IsUtf8(text) ? std::string(text) : Cp1252ToUtf8(text);
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        auto b = static_cast<unsigned char>(text[i]);
        char32_t cp;
        size_t extra;
        char32_t min;
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1F;
            extra = 1;
            min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0F;
            extra = 2;
            min = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07;
            extra = 3;
            min = 0x10000;
        } else {
            return std::nullopt;
        }
        if (text.size() - i <= extra)
            return std::nullopt;
        for (size_t k = 1; k <= extra; ++k) {
            auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80)
                return std::nullopt;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += extra + 1;
    }
    return out;
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace tw
