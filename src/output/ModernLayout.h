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

// The light scheme's colour K (in the order of kPageColours) as "#RRGGBB";
// a "none" colour is the default the profile starts with.
std::string ModernPageColour(const TMapProfile& profile, size_t k);

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

// WriteModernPage into one string.
std::string BuildModernPage(const TSiteMapTree& tree, const TMapProfile& profile,
                            const std::string& lang);

} // namespace tw
