#pragma once

#include "model/SiteMapProfile.h"

#include <string>

namespace tw {

// The maker's home page, linked from the footer of every generated page.
inline constexpr const char* kMakerHomePage = "https://www.zephyrix.example/";

// "#RRGGBB" for a colour, or "" for the none value. System colours (top bit
// set) are resolved through a fixed table of classic desktop colours.
std::string ColorToHTML(TColor color);

// The body start tag with the five page colours, ending with CR LF.
std::string GetBodyTag(const TMapProfile& profile);

// The style block for the item classes, or "" when ClassAttribs is off.
std::string GetStyleSheet(const TMapProfile& profile);

// The page up to and including the body tag, and the page after the
// fragment; the page is head + fragment + foot.
std::string SiteMapPageHead(const TMapProfile& profile);
std::string SiteMapPageFoot();

// The complete page around a site map fragment; no line break at its end.
std::string BuildSiteMapPage(const std::string& fragment, const TMapProfile& profile);

} // namespace tw
