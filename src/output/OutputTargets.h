#pragma once

#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "output/SiteMapWriter.h"

#include <functional>
#include <string>
#include <string_view>

namespace tw {

inline constexpr const char* kItemImages[] = {"smfolder.gif", "smfile.gif", "smimg.gif"};

// Wraps the fragment into the page, writes it to the profile's output file
// and copies the item images beside it. On return GeneratedText holds the
// page. Raises "Cannot create file %s" or "Stream write error"; a failed
// write leaves any earlier file in place and copies no image.
bool SaveSiteMapFile(std::string& generatedText, const TMapProfile& profile,
                     const std::string& programFolder);

// SaveSiteMapFile for a page that is already whole.
bool SaveSiteMapPage(std::string_view page, const TMapProfile& profile,
                     const std::string& programFolder);

// Writes the whole page of the tree to Sink in the profile's layout: the
// one choice of layout, for the command-line tool and the wizard.
void WriteSiteMapPageTo(const TSiteMapTree& tree, const TMapProfile& profile,
                        WriterListener* listener, const TextSink& sink);

// Told of each file of the site map page once it is in place, with its links
// when the page is written in parts (0 for a page written whole).
using SiteMapPartWritten = std::function<void(const std::string& path, size_t links)>;

// Writes the whole page of the tree straight to the profile's output file,
// as SaveSiteMapFile does, without holding the page in memory; then copies
// the item images. A paged profile (SiteMapPaged) whose tree holds more
// links than MaxLinks is written in parts, one file each (PagedSiteMap).
// Returns the number of bytes written.
size_t WriteSiteMapFile(const TSiteMapTree& tree, const TMapProfile& profile,
                        WriterListener* listener, const std::string& programFolder,
                        const SiteMapPartWritten& told = {});

// Copies the three item images beside TargetFile when AddImages is on. The
// images come from ProgramFolder's "smimages" folder, or from ProgramFolder
// itself when that folder has no "smfolder.gif". Existing files are never
// replaced; a missing image or a failed copy is skipped.
void CopySiteMapImages(const std::string& targetFile, const TMapProfile& profile,
                       const std::string& programFolder);

} // namespace tw
