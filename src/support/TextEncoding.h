#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tw {

// Text conversions for files written on other platforms. Strings in the
// program are UTF-8.

// U+FFFD, which stands for what could not be read.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// Code point CP appended to Out in UTF-8; CP must be a Unicode scalar value.
void AppendUtf8(std::string& out, char32_t cp);

// The character a Windows-1252 byte stands for; the five bytes it leaves
// undefined stand for the control characters of the same value.
char32_t Cp1252Character(unsigned char byte);

// Windows-1252 bytes as UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-16 as UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& units);
// The same from bytes in either order; a last odd byte becomes U+FFFD.
std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian);

// Text as UTF-8: each ill-formed part (a maximal subpart, as Unicode counts
// them) becomes U+FFFD. File names and pages can hold any bytes; JSON, XML
// and the widgets cannot.
std::string ValidUtf8(std::string_view text);
// Whether Text is well-formed UTF-8.
bool IsUtf8(std::string_view text);
// Text that is well-formed UTF-8 as it stands, any other as Windows-1252:
// what a name or an undeclared page most likely meant.
std::string Utf8OrCp1252(std::string_view text);

// The UTF-16 form of well-formed UTF-8; nothing for any other byte sequence
// (overlong forms, encoded surrogates, values beyond U+10FFFF, cut sequences).
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

bool IsAscii(std::string_view text);

} // namespace tw
