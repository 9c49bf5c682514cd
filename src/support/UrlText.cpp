#include "support/UrlText.h"

#include "support/NXStrings.h"

#include <algorithm>

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

int PercentByteAt(std::string_view text, size_t i) {
    int high = text[i] == '%' && i + 2 < text.size() ? HexDigitValue(text[i + 1]) : -1;
    int low = high >= 0 ? HexDigitValue(text[i + 2]) : -1;
    return low >= 0 ? high * 16 + low : -1;
}

bool UrlByteNeedsEscape(std::string_view text, size_t i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c == '%')
        return PercentByteAt(text, i) < 0;
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
        if (int byte = PercentByteAt(text, i); byte >= 0) {
            out += static_cast<char>(byte);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

void AppendUrlBytes(std::string& out, std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (UrlByteNeedsEscape(text, i))
            AppendPercentByte(out, static_cast<unsigned char>(text[i]));
        else
            out += text[i];
    }
}

URLParts SplitURL(std::string_view url) {
    URLParts parts;
    url = url.substr(0, url.find('#'));
    size_t colon = url.find(':');
    if (colon != std::string_view::npos && colon > 0 && colon < url.find_first_of("/?") &&
        IsAsciiAlpha(url[0])) {
        parts.HasScheme = true;
        parts.Scheme = url.substr(0, colon);
        url.remove_prefix(colon + 1);
    }
    if (url.starts_with("//")) {
        parts.HasAuthority = true;
        size_t end = std::min(url.find_first_of("/?", 2), url.size());
        parts.Authority = url.substr(2, end - 2);
        url.remove_prefix(end);
    }
    size_t question = url.find('?');
    parts.Path = url.substr(0, question);
    if (question != std::string_view::npos) {
        parts.HasQuery = true;
        parts.Query = url.substr(question + 1);
    }
    return parts;
}

std::string RemoveDotSegments(std::string_view in) {
    std::string out;
    while (!in.empty()) {
        if (in.starts_with("../")) {
            in.remove_prefix(3);
        } else if (in.starts_with("./") || in.starts_with("/./")) {
            // "./" goes; "/./" becomes "/".
            in.remove_prefix(2);
        } else if (in == "/.") {
            in = "/";
        } else if (in.starts_with("/../") || in == "/..") {
            in = in.size() == 3 ? std::string_view("/") : in.substr(3);
            size_t slash = out.rfind('/');
            out.erase(slash == std::string::npos ? 0 : slash);
        } else if (in == "." || in == "..") {
            in = {};
        } else {
            size_t next = in.find('/', 1);
            next = std::min(next, in.size());
            out += in.substr(0, next);
            in.remove_prefix(next);
        }
    }
    return out;
}

std::string ResolveURL(std::string_view base, std::string_view ref) {
    auto space = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!ref.empty() && space(ref.front()))
        ref.remove_prefix(1);
    while (!ref.empty() && space(ref.back()))
        ref.remove_suffix(1);
    URLParts b = SplitURL(base);
    URLParts r = SplitURL(ref);
    URLParts t = r;
    std::string path;
    if (r.HasScheme) {
        path = RemoveDotSegments(r.Path);
    } else {
        t.HasScheme = b.HasScheme;
        t.Scheme = b.Scheme;
        if (r.HasAuthority) {
            path = RemoveDotSegments(r.Path);
        } else {
            t.HasAuthority = b.HasAuthority;
            t.Authority = b.Authority;
            if (r.Path.empty()) {
                path = b.Path;
                if (!r.HasQuery) {
                    t.HasQuery = b.HasQuery;
                    t.Query = b.Query;
                }
            } else if (r.Path.front() == '/') {
                path = RemoveDotSegments(r.Path);
            } else {
                std::string merged = b.HasAuthority && b.Path.empty()
                                         ? "/"
                                         : std::string(b.Path.substr(0, b.Path.rfind('/') + 1));
                path = RemoveDotSegments(merged + std::string(r.Path));
            }
        }
    }
    std::string url;
    if (t.HasScheme)
        url += std::string(t.Scheme) + ":";
    if (t.HasAuthority)
        url += "//" + std::string(t.Authority);
    url += path;
    if (t.HasQuery)
        url += "?" + std::string(t.Query);
    return url;
}

std::string OriginOf(const URLParts& parts) {
    std::string scheme = AsciiLowerCase(parts.Scheme);
    std::string authority = AsciiLowerCase(parts.Authority);
    if ((scheme == "https" && authority.ends_with(":443")) ||
        (scheme == "http" && authority.ends_with(":80")))
        authority.erase(authority.rfind(':'));
    return scheme + "://" + authority;
}

bool IsWebURL(std::string_view url) {
    URLParts parts = SplitURL(url);
    return parts.HasScheme && parts.HasAuthority && !parts.Authority.empty() &&
           (SameTextIgnoringCase(parts.Scheme, "http") ||
            SameTextIgnoringCase(parts.Scheme, "https"));
}

std::optional<HostAndPort> SplitHostPort(std::string_view authority) {
    HostAndPort parts{authority, {}};
    if (authority.starts_with('[')) {
        size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        std::string_view after = authority.substr(close + 1);
        if (!after.empty() && after.front() != ':')
            return std::nullopt;
        parts.Port = after.empty() ? after : after.substr(1);
        parts.Host = authority.substr(0, close + 1);
    } else if (size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
        parts.Port = authority.substr(colon + 1);
        parts.Host = authority.substr(0, colon);
    }
    return parts;
}

} // namespace tw
