#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace tw {

// What git says of the files of a site kept in a git work tree.
struct GitFileTimes {
    // The committer time of the last commit that changed each file, by its
    // path below the site folder ("/" separated), for the files that HEAD
    // holds and that have no uncommitted changes.
    std::unordered_map<std::string, std::int64_t> Committed;
    // A shallow clone: its oldest commits carry the clone's history, not
    // the files' own.
    bool Shallow = false;
};

// Raises TError when SiteFolder is not inside a git work tree or git cannot
// be run; quick, so that a run can refuse before it starts.
void CheckGitWorkTree(const std::string& siteFolder);

// Reads the times of every file below SiteFolder at once, running no
// program that the repository's configuration names. Raises as
// CheckGitWorkTree, or when git fails.
GitFileTimes ReadGitFileTimes(const std::string& siteFolder);

} // namespace tw
