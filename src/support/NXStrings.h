#pragma once

// Text routines shared by the scan, the page titles and the output.
// Positions are 1-based and count bytes; 0 means "not found". Ignoring case
// folds only the ASCII letters A to Z.

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// Text between the first StartMark and the first EndMark, both searched from
// the beginning of Text; empty when either is missing or the end mark comes
// before the text after the start mark.
std::string ExtractBetween(const std::string& text, const std::string& startMark,
                           const std::string& endMark, bool ignoreCase);

// Position of the first occurrence of Sub in Text (byte for byte), or 0.
// Start values of 0 and 1 both search the whole text.
int PosFrom(const std::string& text, const std::string& sub, int start);

// Count characters of Text beginning at Start; empty when the range does not
// lie inside Text.
std::string SafeMid(const std::string& text, int start, int count);

// Shortens S to the characters before its first NUL byte.
void TrimAtNull(std::string& s);

// The last N characters of Text; empty when N is below 1 or above the length.
std::string TailText(const std::string& text, int n);

// Folds A-Z to a-z, nothing else.
inline char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string AsciiLowerCase(std::string_view text);
// ASCII character classes, whatever the locale.
inline bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool IsAsciiAlnum(char c) {
    return IsAsciiAlpha(c) || IsAsciiDigit(c);
}
// HTML's ASCII white space: space, tab, LF, FF and CR.
inline bool IsHtmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}
std::string AsciiUpperCase(std::string_view text);
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

// Splits a line list (entries ended by CR, LF or CR LF) into its entries.
template <typename Fn> void ForEachLine(std::string_view text, Fn&& fn) {
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            fn(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < text.size())
        fn(text.substr(start));
}

// The entries of a line list.
std::vector<std::string> SplitLineList(std::string_view text);
// A line list of the entries: each followed by CR LF.
std::string JoinLineList(const std::vector<std::string>& entries);

// Text safe to print on a terminal: every C0 control, DEL and C1 control
// (written in UTF-8 as C2 80 to C2 9F) becomes "?", so a file name or a
// damaged file cannot move the cursor or change the terminal's state.
// It is safe in a CI log too: a runner such as GitHub's takes a line that
// starts with "::" after its blanks, or holds "##[" anywhere, as a workflow
// command. So a ':' that begins the text after its white space (as .NET
// counts it: the runner's) is written
// "\x3A", and the middle '#' of "##[" "\x23": the text may stand at a
// line's start or anywhere in it.
std::string PrintableText(std::string_view text);

// Whether Text holds at I the "##[" that a CI runner reads as a command.
inline bool RunnerMarkAt(std::string_view text, size_t i) {
    return text.compare(i, 3, "##[") == 0;
}

// JSON text as a serializer writes it, with each '#' that starts "##["
// written as the escape \u0023: the same JSON value, never a runner command.
// Lines of such text start with blanks and a quote, a bracket or a brace,
// never with "::".
std::string JsonWithoutRunnerMarks(std::string_view json);

// A count with its noun in the number it takes: "1 URL", "2 URLs", "0 URLs".
std::string CountOf(long long count, std::string_view singular, std::string_view plural);

// The entity reference of a character XML markup reserves (& < > " '), or
// null for any other byte.
const char* XmlEntityOf(char c);
// Text for XML 1.0 content and attribute values, the one rule every XML the
// program writes passes: the five reserved characters and the line ends
// (tab, LF, CR, which an attribute value would turn into spaces) as
// references; what XML 1.0 cannot hold (other C0 controls, U+FFFE, U+FFFF,
// bytes that are not UTF-8) as U+FFFD; the "#" that starts a CI runner's
// "##[" as a reference; everything else as it is.
std::string EscapeXmlText(std::string_view text);

} // namespace tw
