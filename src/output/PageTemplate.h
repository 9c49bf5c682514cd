#pragma once

// A page of the site's own look that the site map is written into: it holds
// kTemplateMarker once, where the site map's nav goes, and a head, before
// whose end the nav's style sheet goes. Every other byte is the template's.

#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "output/SiteMapWriter.h"
#include "support/Errors.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

inline constexpr std::string_view kTemplateMarker = "<!-- trailwright:sitemap -->";
// Checked before the file is read.
inline constexpr size_t kTemplateMaxBytes = size_t{16} << 20;

// A template that cannot be used; the message names the file.
class ETemplateError : public TError {
    using TError::TError;
};

struct LoadedTemplate {
    std::string Path;
    std::string Text;   // the file as read
    size_t HeadEnd = 0; // where its "</head>" begins
    size_t MarkerBegin = 0, MarkerEnd = 0;
    // The template's relative URLs rewritten to resolve from the output
    // file's folder: replacements of Text in ascending order, none
    // overlapping another or the two places above. None when the template
    // lies in the output file's folder.
    struct Edit {
        size_t Begin, End;
        std::string Text;
    };
    std::vector<Edit> Edits;
};

// Reads and checks the template Path for a page written to OutputFile (both
// absolute). Raises ETemplateError when it cannot be read, is larger than
// kTemplateMaxBytes, declares an encoding other than UTF-8 (the nav is
// UTF-8), holds the marker comment not exactly once, has no
// "</head>" end tag (comments and scripts do not count), or holds the
// marker in its head. Linear in the template's size.
LoadedTemplate LoadPageTemplate(const std::string& path, const std::string& outputFile);

// Writes the template to Sink with HeadInsert before its "</head>", what
// WriteBody gives in place of the marker, and its edits made.
void WriteTemplatedPage(const LoadedTemplate& page, std::string_view headInsert,
                        const std::function<void(const TextSink&)>& writeBody,
                        const TextSink& sink);

// What goes before the template's "</head>" for the modern nav: the
// generator meta, by which a later run knows the page as its own, and the
// nav's style sheet, every rule scoped under the nav's id.
// ExtraRules ("selectors{declarations}" a line) are scoped the same way.
std::string ModernTemplateHead(const TMapProfile& profile, std::string_view extraRules = {});

// The page of the tree in the template: the modern nav (WriteModernNav) in
// place of the marker.
void WriteModernTemplatedPage(const LoadedTemplate& page, const TSiteMapTree& tree,
                              const TMapProfile& profile, WriterListener* listener,
                              const TextSink& sink);

// The URL Url of a page in the folder TemplateFolder made to lead to the
// same place from a page in OutputFolder (both URL paths of absolute
// folders, ending in "/"); nothing when it is no relative path reference
// (a scheme, "//host", "/path", "#frag", "?query" or empty) and stays as it
// stands. Leading and trailing spaces and controls do not count, as in
// browsers; the query and fragment are kept.
std::optional<std::string> RebasedURL(std::string_view url, std::string_view templateFolder,
                                      std::string_view outputFolder);

} // namespace tw
