#pragma once

#include "model/SiteMapTree.h"

#include <string>

namespace tw {

// Turns scanned folders and files into nodes of a site map tree, reading the
// pages' titles and the folders' default pages on the way.
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
