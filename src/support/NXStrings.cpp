#include "support/NXStrings.h"

#include "support/TextEncoding.h"

#include <algorithm>

namespace tw {

std::string AsciiLowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = AsciiLower(c);
    return result;
}

std::string AsciiUpperCase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

namespace {

// 0-based offset of the first occurrence, or npos.
size_t Find(const std::string& text, const std::string& mark, bool ignoreCase) {
    if (!ignoreCase)
        return text.find(mark);
    auto it = std::search(text.begin(), text.end(), mark.begin(), mark.end(),
                          [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
    return it == text.end() && !mark.empty() ? std::string::npos
                                             : static_cast<size_t>(it - text.begin());
}

} // namespace

std::string ExtractBetween(const std::string& text, const std::string& startMark,
                           const std::string& endMark, bool ignoreCase) {
    size_t start = Find(text, startMark, ignoreCase);
    if (start == std::string::npos)
        return {};
    size_t begin = start + startMark.size();
    size_t end = Find(text, endMark, ignoreCase);
    if (end == std::string::npos || begin > end)
        return {};
    return text.substr(begin, end - begin);
}

int PosFrom(const std::string& text, const std::string& sub, int start) {
    size_t from = start > 1 ? static_cast<size_t>(start - 1) : 0;
    if (from > text.size())
        return 0;
    size_t pos = text.find(sub, from);
    return pos == std::string::npos ? 0 : static_cast<int>(pos + 1);
}

std::string SafeMid(const std::string& text, int start, int count) {
    if (start < 1 || count < 0 ||
        static_cast<long long>(start) + count - 1 > static_cast<long long>(text.size()))
        return {};
    return text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count));
}

void TrimAtNull(std::string& s) {
    size_t nul = s.find('\0');
    if (nul != std::string::npos)
        s.resize(nul);
}

std::string TailText(const std::string& text, int n) {
    if (n < 1 || static_cast<size_t>(n) > text.size())
        return {};
    return text.substr(text.size() - static_cast<size_t>(n));
}

std::vector<std::string> SplitLineList(std::string_view text) {
    std::vector<std::string> entries;
    ForEachLine(text, [&entries](std::string_view line) { entries.emplace_back(line); });
    return entries;
}

std::string JoinLineList(const std::vector<std::string>& entries) {
    std::string text;
    for (const auto& e : entries) {
        text += e;
        text += "\r\n";
    }
    return text;
}

namespace {

// The length of the white space character at I as .NET's TrimStart, which
// GitHub's runner applies to a line, takes it (0 for none). Tabs and other
// controls are not counted: they are printed as "?".
size_t BlankAt(std::string_view text, size_t i) {
    if (text[i] == ' ')
        return 1;
    if (text.compare(i, 2, "\xC2\xA0") == 0)
        return 2;
    if (i + 2 >= text.size())
        return 0;
    const auto b1 = static_cast<unsigned char>(text[i + 1]);
    const auto b2 = static_cast<unsigned char>(text[i + 2]);
    switch (static_cast<unsigned char>(text[i])) {
    case 0xE1: // U+1680
        return b1 == 0x9A && b2 == 0x80 ? 3 : 0;
    case 0xE2: // U+2000 to U+200A, U+2028, U+2029, U+202F, U+205F
        return (b1 == 0x80 && (b2 <= 0x8A || b2 == 0xA8 || b2 == 0xA9 || b2 == 0xAF)) ||
                       (b1 == 0x81 && b2 == 0x9F)
                   ? 3
                   : 0;
    case 0xE3: // U+3000
        return b1 == 0x80 && b2 == 0x80 ? 3 : 0;
    default:
        return 0;
    }
}

} // namespace

std::string PrintableText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t start = 0;
    while (start < text.size())
        if (size_t blank = BlankAt(text, start); blank > 0)
            start += blank;
        else
            break;
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            out += '?';
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += '?';
            ++i;
        } else if (c == ':' && i == start) {
            out += "\\x3A";
        } else if (RunnerMarkAt(text, i)) {
            out += "#\\x23[";
            i += 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string JsonWithoutRunnerMarks(std::string_view json) {
    std::string out;
    out.reserve(json.size());
    for (size_t i = 0; i < json.size(); ++i) {
        if (RunnerMarkAt(json, i))
            out += "\\u0023";
        else
            out += json[i];
    }
    return out;
}

const char* XmlEntityOf(char c) {
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    case '\'':
        return "&apos;";
    default:
        return nullptr;
    }
}

std::string EscapeXmlText(std::string_view raw) {
    const std::string text = ValidUtf8(raw);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (const char* entity = XmlEntityOf(c)) {
            out += entity;
        } else if (RunnerMarkAt(text, i)) {
            out += "&#35;"; // a report shown in a CI log must not start a command
        } else if (c == '\t') {
            out += "&#9;";
        } else if (c == '\n') {
            out += "&#10;";
        } else if (c == '\r') {
            out += "&#13;";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += kReplacementCharacter;
        } else if (text.compare(i, 3, "\xEF\xBF\xBE") == 0 ||
                   text.compare(i, 3, "\xEF\xBF\xBF") == 0) {
            out += kReplacementCharacter; // U+FFFE and U+FFFF are no characters
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::string CountOf(long long count, std::string_view singular, std::string_view plural) {
    std::string out = std::to_string(count);
    out += ' ';
    out += count == 1 ? singular : plural;
    return out;
}

} // namespace tw
