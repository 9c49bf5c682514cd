#pragma once

#include "check/LinkCheck.h"
#include "model/SiteMapProfile.h"

#include <optional>
#include <string>
#include <vector>

namespace tw {

// Told how a site check goes, on the thread that runs it; StopRequested is
// also asked during the scan.
class SiteCheckListener : public LinkCheckListener {
public:
    // During the scan: FoundCount files are in its tree so far.
    virtual void FilesFound(int foundCount) { (void)foundCount; }
    // During the scan: a warning of ScanListener::Warning.
    virtual void ScanWarning(const std::string& text) { (void)text; }
};

// Scans the site that Profile names into a tree of its own, with its file
// types and ignore lists, and checks its links. The site map file the
// profile would write is no page of the site, and the scan reads no
// titles: the check reads every page anyway. Returns nothing when the
// listener asked to stop; raises what ScanRun and CheckLinks raise.
// The addresses a site's own absolute links start with: Given when there
// are any, else the profile's sitemap base URL when it is http or https.
std::vector<std::string> SiteUrlsFor(const TMapProfile& profile, std::vector<std::string> given);

std::optional<LinkReport> CheckSite(TMapProfile profile, const LinkCheckLimits& limits = {},
                                    SiteCheckListener* listener = nullptr);

} // namespace tw
