#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The other HTML parsers the benchmark measures ours against, each taking
// out of a page what the link check needs, in one shape so that the
// results can be compared page by page.
namespace bench {

struct Link {
    std::string Tag;       // "a", "img", ...
    std::string Attribute; // "href", "src", "srcset", ...
    std::string Value;     // one URL; a srcset gives one per candidate
};

struct PageResult {
    bool Parsed = false;
    std::vector<Link> Links;
    std::vector<std::string> Anchors; // ids, and names of a elements
    std::optional<std::string> Title; // the first title's text
    std::optional<std::string> Base;  // the first base href
};

// Which attribute of which element holds a link, for the attributes every
// parser here looks at. Input elements count only with type=image.
struct LinkAttribute {
    const char* Tag;
    const char* Attribute;
};
inline constexpr LinkAttribute kLinkAttributes[] = {
    {"a", "href"},     {"area", "href"},     {"link", "href"},    {"img", "src"},
    {"img", "srcset"}, {"script", "src"},    {"frame", "src"},    {"iframe", "src"},
    {"source", "src"}, {"source", "srcset"}, {"video", "poster"}, {"object", "data"},
    {"embed", "src"},  {"track", "src"},     {"input", "src"},    {"audio", "src"},
    {"video", "src"},
};

bool IsLinkAttribute(std::string_view tag, std::string_view attribute);

// Appends the URLs of a srcset value, one link each, as a browser splits
// it: candidates part at commas, a URL ends at whitespace, and descriptors
// may hold commas inside parentheses.
void AddSrcset(std::string_view tag, std::string_view value, std::vector<Link>& links);

// Adds one attribute's link(s): srcset split, empty values skipped.
void AddLink(std::string_view tag, std::string_view attribute, std::string_view value,
             std::vector<Link>& links);

// Gumbo, the HTML5 parser the check used first: a whole tree, then a walk.
PageResult GumboParse(std::string_view html);

// libxml2's HTML parser (HTML 4 rules) through its SAX callbacks: no tree.
PageResult Libxml2Parse(std::string_view html);

} // namespace bench
