#include "model/SiteMapParts.h"

#include "support/NXFiles.h"

namespace tw {

namespace {

// The output file less its extension, and the extension.
std::pair<std::string_view, std::string_view> StemAndExtension(std::string_view outputFile) {
    const size_t ext = ExtractFileExt(outputFile).size();
    return {outputFile.substr(0, outputFile.size() - ext),
            outputFile.substr(outputFile.size() - ext)};
}

} // namespace

bool SiteMapPaged(const TMapProfile& profile) {
    return profile.ModernLayout() && profile.MaxLinks() > 0;
}

std::string SiteMapPartFile(std::string_view outputFile, size_t number) {
    if (number <= 1)
        return std::string(outputFile);
    auto [stem, ext] = StemAndExtension(outputFile);
    std::string path(stem);
    path += '-';
    path += std::to_string(number);
    path += ext;
    return path;
}

bool IsLaterSiteMapPart(std::string_view outputFile, std::string_view path) {
    auto [stem, ext] = StemAndExtension(outputFile);
    if (path.size() < stem.size() + ext.size() + 2 || !path.starts_with(stem) ||
        !path.ends_with(ext) || path[stem.size()] != '-')
        return false;
    std::string_view number =
        path.substr(stem.size() + 1, path.size() - stem.size() - 1 - ext.size());
    if (number.empty() || number.size() > 9 || number[0] == '0')
        return false;
    for (char c : number)
        if (c < '0' || c > '9')
            return false;
    return number != "1";
}

} // namespace tw
