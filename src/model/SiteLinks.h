#pragma once

#include <string>

namespace tw {

// How the files of a site folder appear in its site map: the folder a scan
// walks, the link form of a path, and which files are pictures.

// Extensions that make a file node a picture node.
inline constexpr const char* kPictureFileTypes = "*.gif;*.bmp;*.jpg;*.jpeg;*.png;*.swf;";

// The folder a scan of the index page walks: the page's folder expanded
// (".", ".." and doubled separators gone, links kept) with its separator.
// Every base and every comparison with the site's folder uses this spelling.
std::string SiteFolderOf(const std::string& indexPage);

// Link form of a path below the scanned folder: the path without as many
// leading characters as the base (the scanned folder with its separator)
// has, with "/" separators. Empty when the path is not longer than the base.
std::string MakeRelativeURL(const std::string& path, const std::string& scannedFolder);

} // namespace tw
