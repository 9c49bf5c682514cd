#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tw {

// The character encodings of web pages, as browsers name and read them (the
// WHATWG Encoding Standard). A page's text is converted to UTF-8 from the
// encoding the page itself declares, so that a title reads as the page's
// reader sees it.

enum class CharsetKind : std::uint8_t {
    Utf8,
    Utf16LE,
    Utf16BE,
    Windows1252,
    XUserDefined,
    Replacement, // labels of encodings browsers refuse: the text is one U+FFFD
    Iconv,       // the other legacy encodings, converted by the C library
};

struct Charset {
    const char* Name; // the standard's name: "UTF-8", "Shift_JIS", ...
    CharsetKind Kind;
    const char* IconvName; // with CharsetKind::Iconv: the C library's name
};

// The encoding a label names, as the standard reads labels: ASCII white
// space around it and ASCII letter case do not count ("latin1", "ASCII" and
// "iso-8859-1" all name windows-1252). Null for an unknown label.
const Charset* CharsetForLabel(std::string_view label);

// How much of a page's start is read for its encoding, as browsers do.
inline constexpr size_t kCharsetSniffBytes = 1024;

// What a page's first bytes say of its encoding.
struct PageCharset {
    // Null when they say nothing: the text itself decides (PageTextToUtf8).
    const Charset* Declared = nullptr;
    // The byte-order mark's length, 0 without one.
    size_t BomLength = 0;
    bool Utf16() const {
        return Declared &&
               (Declared->Kind == CharsetKind::Utf16LE || Declared->Kind == CharsetKind::Utf16BE);
    }
};

// The encoding of a page whose bytes begin with Start: a byte-order mark
// (UTF-8, UTF-16LE, UTF-16BE), else what a <meta charset> or a <meta
// http-equiv="Content-Type" content="...charset=..."> wholly within the first
// kCharsetSniffBytes says, found as a browser's prescan finds it (comments
// and other tags' attributes skipped). A meta naming UTF-16 means UTF-8 (the
// page was read as ASCII to find it) and x-user-defined windows-1252; an
// unknown label says nothing. Reads at most kCharsetSniffBytes bytes.
PageCharset SniffPageCharset(std::string_view start);

// A page's bytes (a title, say) as UTF-8: read in Charset, or, without one,
// as UTF-8 when they are well-formed UTF-8 and else as windows-1252.
// Whatever cannot be read becomes U+FFFD: no bytes are dropped silently and
// none fail the conversion. An encoding the C library cannot convert counts
// as none. Time and memory are linear in the bytes' length.
std::string PageTextToUtf8(std::string_view bytes, const Charset* charset);

} // namespace tw
