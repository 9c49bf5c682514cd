#pragma once

#include "scan/DirectoryListing.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tw {

// Whether a dead link would lead somewhere were letter case ignored, as
// some hosts ignore it. A folder is listed once however many dead links
// lead into it, and each name costs little whatever the folder holds.
class CaseHints {
public:
    // Whether Path, below Root (absolute, ending in "/"), names something
    // only when letter case is ignored, step by step from Root. A Path
    // ending in "/" names a folder.
    bool ExistsIgnoringCase(const std::string& root, const std::string& path);

private:
    // A folder's entries in listing order, where names equal but for letter
    // case stand together, ordered by their bytes: a name is found by two
    // binary searches.
    struct FolderNames {
        std::vector<TSearchRec> Entries;

        // The entry named Name exactly, else the first whose name differs
        // only in letter case; null for none.
        const TSearchRec* Find(std::string_view name) const;
    };

    const FolderNames& NamesOf(const std::string& folder);

    std::unordered_map<std::string, FolderNames> listings_;
};

} // namespace tw
