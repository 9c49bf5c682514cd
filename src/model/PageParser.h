#pragma once

#include "support/PageEncoding.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tw {

// Where a link stands in the file that holds it.
enum class LinkSource : std::uint8_t {
    Attribute,      // an element's attribute: Tag and Attribute name it
    StyleElement,   // CSS in a <style> element: Tag is "style"
    StyleAttribute, // CSS in a style attribute: Tag is its element, Attribute "style"
    StyleSheet,     // CSS in a style sheet file: Tag and Attribute are empty
};

// One reference of a page, its value as a browser takes it (character
// references resolved; CSS escapes resolved). Where an attribute holds
// several URLs (srcset) or more than one (a refresh's content), each URL is
// a link of its own.
struct PageLink {
    std::string Value;
    std::string Tag;       // "a", "img", ...
    std::string Attribute; // "href", "src", "srcset", ...
    unsigned Line = 0;     // 1-based
    LinkSource Source = LinkSource::Attribute;
    bool CssImport = false;  // CSS: an @import rather than a url()
    bool StyleSheet = false; // the target is read as CSS: a stylesheet link, an @import
};

// An element a finding is about: its name, the URL it shows (src, or an
// area's href; empty without one) and its line.
struct PageElement {
    const char* Tag = ""; // a string literal: "img", "area", "input"
    std::string Url;
    unsigned Line = 0;
};

// Elements of one kind kept of a page at most: a hostile page of a million
// pictures must not cost a million findings.
inline constexpr size_t kMaxPageElements = 1000;

struct ParsedPage {
    // In document order.
    std::vector<PageLink> Links;
    // The href of the first base element that has one.
    std::optional<std::string> Base;
    // The text of the first title element as its reader sees it: converted
    // to UTF-8 from the page's encoding, character references resolved;
    // none without one.
    std::optional<std::string> Title;
    // What a fragment may name: every element's id and every a's name (an
    // a's name equal to its own id once).
    std::vector<std::string> Anchors;
    // The line of each of Anchors.
    std::vector<unsigned> AnchorLines;
    // The lang attribute of the first html start tag, as written.
    std::optional<std::string> Lang;

    // What a page-quality audit asks, from the same pass. The line of the
    // first html start tag, 0 without one.
    unsigned HtmlLine = 0;
    // Whether an h1 element starts (outside template contents).
    bool HasH1 = false;
    // The content of the first meta whose name is "description" in any
    // letter case.
    std::optional<std::string> Description;
    // The first kMaxPageElements img, area and input type=image elements
    // without an alt attribute.
    std::vector<PageElement> MissingAlt;

    // What the head says to search engines. The head is the page up to
    // "</head>" or the first "<body>", and at most its first 64 KB.
    // A robots or googlebot meta with "noindex" or "none" in its content.
    bool NoIndex = false;
    // The href of the first link rel=canonical.
    std::optional<std::string> Canonical;
    // Each link rel=alternate with an hreflang: the language and the href.
    std::vector<std::pair<std::string, std::string>> Alternates;
};

inline constexpr size_t kHeadBytes = size_t{64} << 10;

// What a caller that edits a page (a template) learns of where things stand
// in it, as byte offsets into the text ParsePage reads: told in document
// order, comments, script and raw text never taken for markup.
class PageMarkupObserver {
public:
    struct Attribute {
        std::string_view Name;    // lower case
        const std::string& Value; // as a browser takes it
        size_t Begin, End;        // the value as written, quotes included; Begin == End: none
    };
    virtual ~PageMarkupObserver() = default;
    // A comment, from its "<!--" to just past its end.
    virtual void Comment(size_t begin, size_t end) = 0;
    // A start tag (name in lower case) with its attributes, the first of
    // duplicates only.
    virtual void StartTag(std::string_view tag, const std::vector<Attribute>& attributes) = 0;
    // An end tag outside foreign content, at its "<".
    virtual void EndTag(std::string_view tag, size_t at) = 0;
    // The text of a style element.
    virtual void StyleText(size_t begin, size_t end) = 0;
};

// Reads HTML as the HTML tokenizer does, in one pass and without building a
// tree: comments, doctypes and the raw text of script, style, textarea,
// title and the like hold no elements; the first of duplicate attributes
// counts; unquoted values, uppercase names and character references are
// taken as a browser takes them; a tag cut off by the end of the text is
// no tag. Of tree building it keeps what decides which elements count:
// foreign content (svg, math) has no links and no title but its ids count,
// and template contents are inert. Takes the links of a, area, link (href);
// img, source (src, srcset); script, frame, iframe, embed, track, audio,
// video (src); video (poster); object (data); input type=image (src); a
// refresh meta's URL; url() and @import of style elements and style
// attributes; the base and the title; and the ids and anchor names. Time
// and memory are linear in the length of the text. The title's bytes are
// read in Charset, the page's encoding (SniffPageCharset; a UTF-16 page must
// be converted first); without one, as PageTextToUtf8 reads undeclared text.
// Observer, when given, is told where the markup stands.
ParsedPage ParsePage(std::string_view html, const Charset* charset = nullptr,
                     PageMarkupObserver* observer = nullptr);

// The character reference at the start of Text (just after "&") resolved
// into Out, as the tokenizer does; returns the bytes it took, 0 when Text
// begins no reference (the "&" then stands for itself). InAttribute: a
// named reference without its ";" before "=" or a letter or digit is no
// reference, as in attribute values.
size_t DecodeCharacterReference(std::string_view text, bool inAttribute, std::string& out);

// Each URL of a srcset value as the span [Begin, End) of Value: candidates
// are split at commas, a URL ends at white space, commas that end it belong
// to the list, and descriptors run to the next comma outside parentheses.
void ForEachSourceSetURL(std::string_view value, const std::function<void(size_t, size_t)>& each);

// Text of a page as its reader sees it: character references resolved and
// NULs replaced, as the tokenizer reads text between tags.
std::string DecodeHtmlText(std::string_view raw);

} // namespace tw
