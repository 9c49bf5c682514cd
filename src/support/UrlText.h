#pragma once

#include <cstddef>
#include <optional>
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

// The byte the "%XX" at I of Text stands for, or -1 when no "%" and two
// hexadecimal digits stand there.
int PercentByteAt(std::string_view text, size_t i);

// %XX sequences decoded to their bytes; a "%" without two hex digits stays.
std::string PercentDecoded(std::string_view text);

// Text with the bytes UrlByteNeedsEscape names percent-encoded, appended to
// Out: a URL's path or query made fit to be written as it is.
void AppendUrlBytes(std::string& out, std::string_view text);

// The parts of a URL reference (RFC 3986, appendix B), as views into its
// text; the fragment is dropped.
struct URLParts {
    std::string_view Scheme, Authority, Path, Query;
    bool HasScheme = false, HasAuthority = false, HasQuery = false;
};
URLParts SplitURL(std::string_view url);

// A path with its "." and ".." segments removed (RFC 3986, 5.2.4).
std::string RemoveDotSegments(std::string_view path);

// The reference Ref resolved against the absolute URL Base (RFC 3986, 5.2),
// its fragment dropped; spaces and controls around Ref do not count.
std::string ResolveURL(std::string_view base, std::string_view ref);

// Scheme and authority as two URLs' origins are compared: "scheme://host",
// in lower case, without the scheme's default port (80 for http, 443 for
// https).
std::string OriginOf(const URLParts& parts);

// Whether a URL is an absolute http:// or https:// one with a host.
bool IsWebURL(std::string_view url);

// The host and port of an authority without user info (the caller cuts it
// off or refuses it): the port without its ":", empty when none is given. A
// host in brackets (an IPv6 address) keeps them; nothing when its "]" is
// missing or anything but a port follows it. Else the port follows the last
// ":".
struct HostAndPort {
    std::string_view Host, Port;
};
std::optional<HostAndPort> SplitHostPort(std::string_view authority);

} // namespace tw
