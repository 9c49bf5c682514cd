#pragma once

#include "support/Errors.h"

#include <string>
#include <vector>

namespace tw {

// A file a run would write that it must not: the site's folder is often not
// the user's own work, and what it holds must not turn a run's writes
// against the user, the published site or another file of the run.
class EOutputRefused : public TError {
public:
    enum class Reason {
        LinkOutOfSite, // a symbolic link of the site leads out of it, or nowhere
        Protected,     // the index page, robots.txt or another output of the run
        SitePage,      // an existing page of the site that no run of ours wrote
    };
    EOutputRefused(Reason reason, const std::string& message) : TError(message), reason_(reason) {}
    Reason Which() const { return reason_; }

private:
    Reason reason_;
};

// Raises LinkOutOfSite when Target lies inside SiteFolder (the index page's
// folder, with its separator) as written, but the file it names, through a
// link of its own or of a folder on its way, lies outside the site's real
// folder, or it is a link that leads nowhere. A target outside the site as
// written is the user's own choice and is not looked at.
void RefuseLinkOutOfSite(const std::string& target, const std::string& siteFolder);

// One file a run writes; an Append output (robots.txt's line) changes a file
// rather than replacing it.
struct RunOutput {
    std::string Path;
    bool Append = false;
};

// Whether the file's first and last bytes carry what every site map page of
// ours carries: the classic page's footer or the generator meta of others.
bool IsOurSiteMapPage(const std::string& path);

// Checks every output of a run before anything is written: links out of the
// site (as RefuseLinkOutOfSite), then that no output replaces the index page,
// robots.txt (only an Append output may change it) or another output, and
// that none replaces an existing page of the site (a file of the listed
// FileTypes, or ending in .htm, .html, .shtml, .xhtml or .php) unless it is
// a site map page of ours or Overwrite allows it.
void CheckRunOutputs(const std::vector<RunOutput>& outputs, const std::string& indexPage,
                     const std::string& fileTypes, bool overwrite);

} // namespace tw
