#pragma once

// The names of a site map page written in parts: part 1 is the output file
// itself, part N (from 2) is named after it, "sitemap.html" giving
// "sitemap-2.html", "sitemap-3.html" and so on in the same folder.

#include "model/SiteMapProfile.h"

#include <string>
#include <string_view>

namespace tw {

// Whether the profile's page may be written in parts: the modern layout
// with MaxLinks above 0.
bool SiteMapPaged(const TMapProfile& profile);

// The file of part Number (from 1) of the page written to OutputFile: its
// stem, "-", the number and its extension ("sitemap" gives "sitemap-2").
std::string SiteMapPartFile(std::string_view outputFile, size_t number);

// Whether Path names part 2 or later of OutputFile: the same folder, stem
// and extension, and a number from 2 without leading zeros. Both are compared
// byte for byte, so a caller that folds letter case folds both.
bool IsLaterSiteMapPart(std::string_view outputFile, std::string_view path);

} // namespace tw
