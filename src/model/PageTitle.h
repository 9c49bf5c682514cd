#pragma once

#include <string>

namespace tw {

// File types whose title element is read.
inline constexpr const char* kTitledFileTypes = "*.htm;*.html;*.shtml;*.php;*.php4;*.php5;";

// Text between the first "<title>" and the first "</title>" of a file (letter
// case ignored, both searched from the start), read in fixed-size chunks and
// only as far as needed. Empty when there is none; raises EFOpenError when the
// file cannot be read.
std::string ReadTitleElement(const std::string& path);

struct PageLinkText {
    std::string Text;
    bool FromTitle = false; // else the file's name
};

// Link text of a file: its title when UsePageTitles is on, the file is of a
// titled type and a non-empty title is found; otherwise the file's name.
// Never fails.
PageLinkText GetPageLinkText(const std::string& path, bool usePageTitles);
inline std::string GetPageTitle(const std::string& path, bool usePageTitles) {
    return GetPageLinkText(path, usePageTitles).Text;
}

} // namespace tw
