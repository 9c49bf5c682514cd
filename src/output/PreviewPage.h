#pragma once

#include "model/SiteMapProfile.h"

#include <string>

namespace tw {

inline constexpr const char* kPreviewFileName = "~sitemap.html";

// The small page that previews the five page colours: page text on the
// page background, and samples of the three link colours; for the modern
// layout, in the shape of its page.
std::string BuildPreviewPage(const TMapProfile& profile);

// Rich-text views that know only part of HTML 4 ignore the body's legacy
// text attribute; this adds the text colour as an inline style of the body
// (and keeps everything else), so such a view shows the page as a browser
// would. Pages without a body tag or without a text colour come back as
// they are.
std::string WithBodyTextColourAsStyle(const std::string& html);

} // namespace tw
