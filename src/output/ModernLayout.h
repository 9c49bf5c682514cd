#pragma once

// The modern layout: one HTML5 page with its own style, nested lists that
// follow the tree inside a named nav landmark, optional folding and an
// optional filter field. Every text of the site is written as text.

#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "output/SiteMapWriter.h"

#include <string>
#include <string_view>

namespace tw {

// The page's language: the profile's PageLang when set, else IndexLang (the
// index page's own lang) when it is a well-formed language tag, else "en".
std::string ModernPageLanguage(const TMapProfile& profile, std::string_view indexLang);

// ModernPageLanguage with the index page's lang read from the disk.
std::string ModernPageLanguageOf(const TMapProfile& profile);

// Appends Text as HTML text or a quoted attribute value: "&", "<", ">" and
// '"' escaped, and the code points HTML forbids in text (controls other
// than white space, noncharacters, bytes that are not UTF-8) written as
// U+FFFD.
void AppendHtmlEscaped(std::string& out, std::string_view text);

// Writes the whole modern page of the tree to Sink in pieces of about a
// megabyte, with the page's language Lang; time and memory linear in the
// tree, beyond the depth of its deepest folder.
void WriteModernPage(const TSiteMapTree& tree, const TMapProfile& profile, const std::string& lang,
                     WriterListener* listener, const TextSink& sink);

// The id of the nav that WriteModernNav writes into a page of the site's own.
inline constexpr std::string_view kTemplateNavId = "trailwright-sitemap";

// The modern page's style sheet. With Scope (a selector such as
// "#trailwright-sitemap") every rule, the dark scheme's and the print
// style's too, applies only inside that element, which takes the page's
// root and body rules and the colour variables.
std::string ModernStyleSheet(const TMapProfile& profile, std::string_view scope = {});

// Writes the modern page's nav alone, with the id kTemplateNavId and named
// by an h2 of the page title, its filter box, credit and filter script
// inside it or right after it; for a page of the site's own look.
void WriteModernNav(const TSiteMapTree& tree, const TMapProfile& profile, WriterListener* listener,
                    const TextSink& sink);

// WriteModernPage into one string.
std::string BuildModernPage(const TSiteMapTree& tree, const TMapProfile& profile,
                            const std::string& lang);

} // namespace tw
