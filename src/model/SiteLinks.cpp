#include "model/SiteLinks.h"

#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <algorithm>

namespace tw {

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

} // namespace tw
