#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tw {

// Text conversions for files written on other platforms. Strings in the
// program are UTF-8.

// Code point CP appended to Out in UTF-8; CP must be a Unicode scalar value.
void AppendUtf8(std::string& out, char32_t cp);

// The character a Windows-1252 byte stands for; the five bytes it leaves
// undefined stand for the control characters of the same value.
char32_t Cp1252Character(unsigned char byte);

// Windows-1252 bytes as UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-16 as UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& units);

// The UTF-16 form of well-formed UTF-8; nothing for any other byte sequence
// (overlong forms, encoded surrogates, values beyond U+10FFFF, cut sequences).
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

bool IsAscii(std::string_view text);

} // namespace tw
