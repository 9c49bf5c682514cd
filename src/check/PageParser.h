#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// One link-bearing attribute of a page, its value as the parser decoded it
// (character references resolved, invalid UTF-8 replaced).
struct PageLink {
    std::string Value;
    const char* Tag = "";       // "a", "img", ...
    const char* Attribute = ""; // "href" or "src"
    unsigned Line = 0;          // 1-based; 0 when the parser gave none
};

struct ParsedPage {
    // False when the parser ran out of its memory or time allowance; then
    // nothing else is filled.
    bool Parsed = false;
    // In document order.
    std::vector<PageLink> Links;
    // The href of the first base element that has one.
    std::optional<std::string> Base;
    // The text of the first title element, as written; none without one.
    std::optional<std::string> Title;
    // What a fragment may name: every element's id and every a's name.
    std::vector<std::string> Anchors;
};

// What one page may cost the parser. Its tree takes some fifty times the
// size of a page of dense markup, and unclosed block elements make it slow
// down quadratically, so both are bounded.
struct ParseLimits {
    size_t MaxMemory = size_t{512} << 20;
    // Zero or less: no time limit.
    double MaxSeconds = 30;
    // The clock the time limit is read from; the steady clock when empty.
    std::function<std::chrono::steady_clock::time_point()> Clock;
};

// Parses HTML with the tolerant HTML5 parser and takes out the links of a,
// area, link (href) and img, script, frame, iframe (src), the base and the
// title, and the ids and anchor names. Only elements in the HTML namespace
// count; template contents are inert.
ParsedPage ParsePage(std::string_view html, const ParseLimits& limits = {});

} // namespace tw
