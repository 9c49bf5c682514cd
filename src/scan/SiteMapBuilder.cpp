#include "scan/SiteMapBuilder.h"

#include "model/SiteLinks.h"
#include "scan/PageReading.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "support/TextEncoding.h"

namespace tw {

namespace {

// A name's bytes are the file system's, in no declared encoding: one that is
// no UTF-8 is most likely an old Windows name. Only the link text is read
// so; the link keeps the bytes.
std::string NameLinkText(const std::string& name) {
    return Utf8OrCp1252(name);
}

} // namespace

SiteMapBuilder::SiteMapBuilder(TSiteMapTree& tree, std::string scannedFolder, bool usePageTitles)
    : tree_(tree), scannedFolder_(std::move(scannedFolder)), usePageTitles_(usePageTitles) {}

SiteMapNode* SiteMapBuilder::AddMapNode(const std::string& path, bool isFolder) {
    if (isFolder)
        return AddFolderNode(path, FindFolderIndexPage(path));
    return AddFileNode(path, GetPageLinkText(path, usePageTitles_));
}

SiteMapNode* SiteMapBuilder::AddFileNode(const std::string& path, PageLinkText text) {
    TDataRec rec;
    rec.FilePath = path;
    rec.LinkText = text.FromTitle ? std::move(text.Text) : NameLinkText(text.Text);
    rec.LinkTextOrigin = text.FromTitle ? TextOrigin::PageTitle : TextOrigin::FileName;
    rec.Modified = text.Modified;
    rec.Facts = std::move(text.Facts);
    rec.FolderPath = ExtractFilePath(path);
    rec.LinkURL = MakeRelativeURL(path, scannedFolder_);
    SiteMapNode* parent = tree_.FindFolderNode(rec.FolderPath);
    int image = MatchesFileTypes(path, kPictureFileTypes) ? kImagePicture : kImagePage;
    return tree_.Add(parent, std::move(rec), image);
}

SiteMapNode* SiteMapBuilder::AddFolderNode(const std::string& path,
                                           const std::string& defaultPage) {
    TDataRec rec;
    rec.FilePath = path;
    rec.IsFolder = true;
    std::string trimmed = LimitLength(path, static_cast<int>(path.empty() ? 0 : path.size() - 1));
    if (tree_.Empty()) {
        rec.LinkText = "Home";
    } else {
        rec.LinkText = NameLinkText(ExtractFileName(trimmed));
        rec.LinkTextOrigin = TextOrigin::FileName;
    }
    rec.FolderPath = path;
    SetDefaultPage(rec, defaultPage);
    SiteMapNode* parent = tree_.FindFolderNode(ExtractFilePath(trimmed));
    return tree_.Add(parent, std::move(rec), kImageFolder);
}

void SiteMapBuilder::SetDefaultPage(TDataRec& folder, const std::string& defaultPage) const {
    folder.LinkURL = MakeRelativeURL(defaultPage, scannedFolder_);
}

} // namespace tw
