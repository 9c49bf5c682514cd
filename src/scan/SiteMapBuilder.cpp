#include "scan/SiteMapBuilder.h"

#include "model/SiteLinks.h"
#include "scan/PageReading.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

namespace tw {

SiteMapBuilder::SiteMapBuilder(TSiteMapTree& tree, std::string scannedFolder, bool usePageTitles)
    : tree_(tree), scannedFolder_(std::move(scannedFolder)), usePageTitles_(usePageTitles) {}

SiteMapNode* SiteMapBuilder::AddMapNode(const std::string& path, bool isFolder) {
    TDataRec rec;
    rec.FilePath = path;
    rec.IsFolder = isFolder;
    SiteMapNode* parent = nullptr;
    int image = kImageFolder;
    if (!isFolder) {
        PageLinkText text = GetPageLinkText(path, usePageTitles_);
        rec.LinkText = std::move(text.Text);
        rec.LinkTextOrigin = text.FromTitle ? TextOrigin::PageTitle : TextOrigin::FileName;
        rec.FolderPath = ExtractFilePath(path);
        rec.LinkURL = MakeRelativeURL(path, scannedFolder_);
        parent = tree_.FindFolderNode(rec.FolderPath);
        image = MatchesFileTypes(path, kPictureFileTypes) ? kImagePicture : kImagePage;
    } else {
        std::string trimmed =
            LimitLength(path, static_cast<int>(path.empty() ? 0 : path.size() - 1));
        if (tree_.Empty()) {
            rec.LinkText = "Home";
        } else {
            rec.LinkText = ExtractFileName(trimmed);
            rec.LinkTextOrigin = TextOrigin::FileName;
        }
        rec.FolderPath = path;
        rec.LinkURL = MakeRelativeURL(FindFolderIndexPage(path), scannedFolder_);
        parent = tree_.FindFolderNode(ExtractFilePath(trimmed));
    }
    return tree_.Add(parent, std::move(rec), image);
}

} // namespace tw
