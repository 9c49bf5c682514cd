#include "model/SiteMapBuilder.h"

#include "model/PageTitle.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <algorithm>

namespace tw {

std::string FindFolderIndexPage(const std::string& folder) {
    static const char* const kNames[] = {"index.html", "index.htm", "welcome.html", "index.php",
                                         "index.asp"};
    std::string base = AddTrailingBackslash(folder);
    for (const char* name : kNames) {
        std::string candidate = base + name;
        if (FileExists(candidate))
            return candidate;
    }
    return {};
}

std::string SiteFolderOf(const std::string& indexPage) {
    return AddTrailingBackslash(ExpandFileName(ExtractFilePath(indexPage)));
}

std::string MakeRelativeURL(const std::string& path, const std::string& scannedFolder) {
    std::string base = AddTrailingBackslash(scannedFolder);
    long long count = static_cast<long long>(path.size()) - static_cast<long long>(base.size());
    std::string url = count > 0 ? TailText(path, static_cast<int>(count)) : std::string();
    if constexpr (kPathDelim != '/')
        std::replace(url.begin(), url.end(), kPathDelim, '/');
    return url;
}

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
