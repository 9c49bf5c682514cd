#pragma once

#include "model/SiteMapTree.h"
#include "scan/PageReading.h"

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
    // It reads the page's title and looks for the folder's default page.
    SiteMapNode* AddMapNode(const std::string& path, bool isFolder);
    // The same with what was read: the file's link text, the folder's
    // default page (its full path, or empty).
    SiteMapNode* AddFileNode(const std::string& path, PageLinkText text);
    SiteMapNode* AddFolderNode(const std::string& path, const std::string& defaultPage);
    // A folder's link to its default page, found later.
    void SetDefaultPage(TDataRec& folder, const std::string& defaultPage) const;
    bool UsePageTitles() const { return usePageTitles_; }

private:
    TSiteMapTree& tree_;
    std::string scannedFolder_;
    bool usePageTitles_;
};

} // namespace tw
