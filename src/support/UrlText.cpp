#include "support/UrlText.h"

namespace tw {

bool IsUnreservedByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

void AppendPercentByte(std::string& out, unsigned char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
}

size_t EncodedUrlPathLength(std::string_view path) {
    size_t n = 0;
    for (char ch : path)
        n += IsUnreservedByte(static_cast<unsigned char>(ch)) || ch == '/' ? 1 : 3;
    return n;
}

std::string EncodeUrlPath(std::string_view path) {
    std::string out;
    out.reserve(EncodedUrlPathLength(path));
    for (char ch : path) {
        auto c = static_cast<unsigned char>(ch);
        if (IsUnreservedByte(c) || c == '/')
            out += ch;
        else
            AppendPercentByte(out, c);
    }
    return out;
}

bool UrlByteNeedsEscape(std::string_view text, size_t i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c == '%')
        return i + 2 >= text.size() || HexDigitValue(text[i + 1]) < 0 ||
               HexDigitValue(text[i + 2]) < 0;
    return c <= 0x20 || c >= 0x7F ||
           std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) != std::string_view::npos;
}

std::string EncodeTypedUrl(std::string_view url) {
    std::string out;
    out.reserve(url.size());
    for (char ch : url) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c < 0x20 || c >= 0x7F)
            AppendPercentByte(out, c);
        else
            out += ch;
    }
    return out;
}

std::string PercentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        int high = text[i] == '%' && i + 2 < text.size() ? HexDigitValue(text[i + 1]) : -1;
        int low = high >= 0 ? HexDigitValue(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace tw
