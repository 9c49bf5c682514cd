#pragma once

#include "model/SiteMapTree.h"

#include <string>

namespace tw {

// Extensions that make a file node a picture node.
inline constexpr const char* kPictureFileTypes = "*.gif;*.bmp;*.jpg;*.jpeg;*.png;*.swf;";

// Full path of the folder's default page ("index.html", "index.htm",
// "welcome.html", "index.php", "index.asp", first existing file), or empty.
std::string FindFolderIndexPage(const std::string& folder);

// The folder a scan of the index page walks: the page's folder expanded
// (".", ".." and doubled separators gone, links kept) with its separator.
// Every base and every comparison with the site's folder uses this spelling.
std::string SiteFolderOf(const std::string& indexPage);

// Link form of a path below the scanned folder: the path without as many
// leading characters as the base (the scanned folder with its separator)
// has, with "/" separators. Empty when the path is not longer than the base.
std::string MakeRelativeURL(const std::string& path, const std::string& scannedFolder);

// Turns scanned folders and files into nodes of a site map tree.
class SiteMapBuilder {
public:
    // ScannedFolder is the folder the finder searches (its Location).
    SiteMapBuilder(TSiteMapTree& tree, std::string scannedFolder, bool usePageTitles);

    // Adds one node for a folder (Path ends in the separator) or a file, under
    // the node of its folder, or at the top level when there is none.
    SiteMapNode* AddMapNode(const std::string& path, bool isFolder);

private:
    TSiteMapTree& tree_;
    std::string scannedFolder_;
    bool usePageTitles_;
};

} // namespace tw
