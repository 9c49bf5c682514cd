#pragma once

#include "model/SiteMapTree.h"
#include "scan/DirectoryListing.h"

#include <memory>
#include <string>
#include <vector>

namespace tw {

// What a scan reads of a site's pages on the disk.

// Text between the first "<title>" and the first "</title>" of a file (the
// rule of TitleSearch), read in fixed-size chunks and only as far as needed,
// converted to UTF-8 from the page's encoding (SniffPageCharset, from the
// first read; a UTF-16 page's marks are UTF-16 too). Empty when there is
// none; raises EFOpenError when the file cannot be read.
std::string ReadTitleElement(const std::string& path);

struct PageLinkText {
    std::string Text;       // a title in UTF-8, or the file's name as it is
    bool FromTitle = false; // else the file's name
    // The page's last write, when reading it took its status.
    std::int64_t Modified = kUnknownTime;
    std::shared_ptr<const PageFacts> Facts = nullptr; // when they were wanted and the page read
};

// Link text of a file: its title when UsePageTitles is on, the file is of a
// titled type and a non-empty title is found; otherwise the file's name.
// Never fails.
PageLinkText GetPageLinkText(const std::string& path, bool usePageTitles);
inline std::string GetPageTitle(const std::string& path, bool usePageTitles) {
    return GetPageLinkText(path, usePageTitles).Text;
}

// What reading a page is for: its title as its link text, what it says of
// itself for search engines (PageFacts), or both, from one read.
struct PageReadWanted {
    bool Titles = true;
    bool Facts = false;
    // With Facts: the pictures the page shows, for which the whole page is
    // read; without, only its head (kHeadBytes), where the other facts are.
    bool Pictures = true;
};

// Pages longer than this are read for facts no further: their head is long
// past, and a picture beyond it goes unlisted.
inline constexpr size_t kMaxFactsBytes = size_t{16} << 20;

// GetPageLinkText with titles on (or, without Titles, the file's name), for
// a page of a titled type named Name in the folder open as DirFd; with
// Facts, the page's facts too, from the same read. Never fails.
PageLinkText ReadPageLinkTextAt(int dirFd, const std::string& name, PageReadWanted wanted = {});
// Whether a file's titles are read: its type is one of kTitledFileTypes.
bool HasTitledType(const std::string& path);

// The lang attribute of the page's html element as written, read from the
// page's first kHeadBytes; empty when it has none or cannot be read.
std::string ReadPageLanguage(const std::string& path);

// Full path of the folder's default page ("index.html", "index.htm",
// "welcome.html", "index.php", "index.asp", first existing file), or empty.
std::string FindFolderIndexPage(const std::string& folder);
// The same choice from the folder's listing: the default page's name, or
// empty.
std::string DefaultPageName(const std::vector<TSearchRec>& entries);

} // namespace tw
