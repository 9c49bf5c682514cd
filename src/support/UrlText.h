#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tw {

// How paths and typed addresses are written into URLs: one rule for the
// site map page, the search-engine sitemaps and the check's reports, so a
// name links to the same bytes wherever it is written.

// The unreserved characters of a URL: A-Z a-z 0-9 - . _ ~
bool IsUnreservedByte(unsigned char c);

// The value of a hexadecimal digit, or -1.
int HexDigitValue(char c);

// Appends "%" and the byte's two upper-case hexadecimal digits.
void AppendPercentByte(std::string& out, unsigned char c);

// A relative path made into a URL path: every byte except the unreserved
// characters and "/" becomes %XX, so a name holding "#", "?", "%", ":" or a
// quote links to itself and never to a scheme or a fragment.
std::string EncodeUrlPath(std::string_view path);
// The length EncodeUrlPath gives, without building it.
size_t EncodedUrlPathLength(std::string_view path);

// Whether the byte at I of a URL's text cannot stand in a URL as it is:
// spaces, controls, bytes above 0x7E, one of "<>\^`{|}, or a "%" that no two
// hexadecimal digits follow.
bool UrlByteNeedsEscape(std::string_view text, size_t i);

// An address the user typed, made safe for an href value: '"', control
// bytes and bytes 0x80-0xFF become %XX, everything else stays as typed.
std::string EncodeTypedUrl(std::string_view url);

// %XX sequences decoded to their bytes; a "%" without two hex digits stays.
std::string PercentDecoded(std::string_view text);

} // namespace tw
