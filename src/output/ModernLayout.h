#pragma once

// The modern layout: one HTML5 page with its own style, nested lists that
// follow the tree inside a named nav landmark, optional folding and an
// optional filter field. Every text of the site is written as text.

#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "output/SiteMapWriter.h"

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The page's language: the profile's PageLang when set, else IndexLang (the
// index page's own lang) when it is a well-formed language tag, else "en".
std::string ModernPageLanguage(const TMapProfile& profile, std::string_view indexLang);

// ModernPageLanguage with the index page's lang read from the disk.
std::string ModernPageLanguageOf(const TMapProfile& profile);

// The light scheme's colour K (in the order of kPageColours) as "#RRGGBB";
// a "none" colour is the default the profile starts with.
std::string ModernPageColour(const TMapProfile& profile, size_t k);

// Appends Text as HTML text or a quoted attribute value: "&", "<", ">" and
// '"' escaped, and the code points HTML forbids in text (controls other
// than white space, noncharacters, bytes that are not UTF-8) written as
// U+FFFD.
void AppendHtmlEscaped(std::string& out, std::string_view text);

// Whether the modern page writes the node as a link (an <a href> item): a
// page, or a folder whose name links to its default page, with an address
// that runs no script.
bool ModernItemLinked(const SiteMapNode& node, const TMapProfile& profile);

// The id of the nav that WriteModernNav writes into a page of the site's own.
inline constexpr std::string_view kTemplateNavId = "trailwright-sitemap";

// The pieces of a modern page, in the order they are called: the document's
// head, then its body (heading, map, items, map's end), then its foot. The
// document stays apart from the body so that another page can wrap the body.
// Text goes to Sink in pieces of about a megabyte.
class ModernPageWriter {
public:
    ModernPageWriter(const TMapProfile& profile, const TextSink& sink);

    // The page's title: the profile's, else kDefaultPageTitle.
    std::string Title() const;
    // Up to and including <body>; ExtraStyle goes at the style sheet's end.
    void DocumentHead(const std::string& lang, std::string_view title, std::string_view extraStyle);
    // Opens <main> with the one <h1>, which names the map's nav.
    void Heading(std::string_view title);
    // The filter field and the map's nav.
    void MapOpen();
    // The outer list, with the folders of Context (outermost first) written
    // as unlinked items whose lists the following items continue.
    void ListOpen(const std::vector<const SiteMapNode*>& context);
    // One item; the items of a list come in the tree's index order.
    void Item(const SiteMapNode& node);
    void ListClose();
    // The line a map without items shows instead of its list.
    void EmptyList();
    // Ends the map and <main>; the credit and the filter's script.
    void MapClose();
    // For a page of the site's own look, instead of Heading, MapOpen and
    // MapClose: the nav with the id kTemplateNavId, named by an h2 of
    // Title, with the filter box, the credit and the filter's script, which
    // filters the items inside the element MapId (empty: the nav).
    void NavOpen(std::string_view title);
    void NavClose(std::string_view mapId = {});
    // Ends the document and hands the rest to Sink.
    void DocumentFoot();
    // Hands the text so far to Sink: always, or when it has grown large.
    void Flush(bool always);
    // Markup of the caller's own, as it stands.
    void Raw(std::string_view html) { out_ += html; }
    // The item's link text as its reader sees it, escaped.
    void Text(const TDataRec& rec);

private:
    void CloseFolders(int level);
    void FilterBox();
    void Credit(bool inNav);
    void FilterScript(std::string_view mapId);
    void Link(const TDataRec& rec);
    void Name(const TDataRec& rec);

    static constexpr std::string_view kIcon = "<span class=\"k\" aria-hidden=\"true\"></span>";
    static constexpr size_t kFlushSize = 1 << 20;
    const TMapProfile& profile_;
    const TextSink& sink_;
    bool collapsible_;
    std::string out_;
    std::string text_;
    std::vector<int> open_; // levels of the folders whose lists are open
};

// Writes the whole modern page of the tree to Sink in pieces of about a
// megabyte, with the page's language Lang; time and memory linear in the
// tree, beyond the depth of its deepest folder.
void WriteModernPage(const TSiteMapTree& tree, const TMapProfile& profile, const std::string& lang,
                     WriterListener* listener, const TextSink& sink);

// The modern page's style sheet. With Scope (a selector such as
// "#trailwright-sitemap") every rule, the dark scheme's and the print
// style's too, applies only inside that element, which takes the page's
// root and body rules and the colour variables.
std::string ModernStyleSheet(const TMapProfile& profile, std::string_view scope = {});

// Rules of the form "selectors{declarations}", one a line, with every
// selector put under Scope as ModernStyleSheet puts its own.
std::string ScopedCssRules(std::string_view rules, std::string_view scope);

// Writes the modern page's nav alone, with the id kTemplateNavId and named
// by an h2 of the page title, its filter box, credit and filter script
// inside it or right after it; for a page of the site's own look.
void WriteModernNav(const TSiteMapTree& tree, const TMapProfile& profile, WriterListener* listener,
                    const TextSink& sink);

// WriteModernPage into one string.
std::string BuildModernPage(const TSiteMapTree& tree, const TMapProfile& profile,
                            const std::string& lang);

} // namespace tw
