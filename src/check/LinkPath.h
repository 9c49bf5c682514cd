#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tw {

enum class LinkKind {
    SamePage, // empty, or only a query or a fragment: the page itself
    External, // a scheme (http:, mailto:, javascript:, data:, ...) or "//host"
    Local,    // a file or folder on the local disk
};

struct LinkTarget {
    LinkKind Kind = LinkKind::SamePage;
    // Local: the path, percent-decoded, query and fragment cut off, "/"
    // separated; relative, or beginning with "/" for one from the site root.
    std::string Path;
    // SamePage and Local: the fragment after "#", percent-decoded; none
    // without a "#".
    std::optional<std::string> Fragment;
};

// What a link value names. Surrounding whitespace goes, tabs and line
// breaks inside go and backslashes count as slashes, as browsers take URLs.
LinkTarget ClassifyLink(std::string_view value);

// Folder (absolute, ending in "/") joined with a "/" separated relative
// path, "." and ".." steps and doubled slashes removed lexically. ".." never
// climbs above the first Floor characters of Folder. The result keeps a
// trailing "/" when Relative names a folder ("a/", "a/.", "..").
std::string JoinLexically(std::string_view folder, std::string_view relative, size_t floor = 1);

} // namespace tw
