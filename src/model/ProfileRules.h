#pragma once

#include "model/SiteMapProfile.h"

#include <array>
#include <string>

namespace tw {

// What the wizard's pages do to a profile, so that the command-line tool
// reads a profile exactly as the wizard shows it.

// The output file a new index page proposes while none is set.
inline constexpr const char* kDefaultOutputName = "sitemap.html";
std::string ProposedOutputFile(const std::string& indexPage);

// Told when the index page's folder does not exist.
inline constexpr const char* kIndexFolderMissing =
    "The Index Page folder cannot be found, please enter a valid path.";

// Where an output file lies: links in the page are based on the index
// page's folder, so only there do they work. Inside the site's tree but in
// another folder they are all broken; outside it (a copy of the site, say)
// they lead to the index page's folder's pages by their relative paths.
enum class OutputPlace : unsigned char { IndexFolder, InsideSite, OutsideSite };
OutputPlace OutputPlaceOf(const std::string& outputFile, const std::string& indexPage);

// The output type a shown profile takes: the clipboard and insert targets
// are not offered, so they become the file.
TMapOutputType ShownOutputType(TMapOutputType type);

// Adds an entry, as given, to the end of one of the profile's ignore lists,
// keeping their line-list form: every entry followed by CR LF.
void AppendIgnoreFolder(TMapProfile& profile, const std::string& folder);
void AppendIgnoreFile(TMapProfile& profile, const std::string& file);

// One of the page's five colours: its command-line key, its property and the
// colour of a new profile.
struct PageColour {
    const char* Key;
    TColor (TMapProfile::*Get)() const;
    void (TMapProfile::*Set)(TColor);
    TColor Default;
};
inline constexpr std::array<PageColour, 5> kPageColours{{
    {"background", &TMapProfile::clrBackground, &TMapProfile::SetclrBackground, 0xFFFFFF},
    {"text", &TMapProfile::clrText, &TMapProfile::SetclrText, 0},
    {"link", &TMapProfile::clrLink, &TMapProfile::SetclrLink, 0xFF0000},
    {"visited", &TMapProfile::clrVisited, &TMapProfile::SetclrVisited, 0x800080},
    {"active", &TMapProfile::clrActive, &TMapProfile::SetclrActive, 255},
}};

} // namespace tw
