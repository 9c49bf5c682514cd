#pragma once

#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"

#include <span>
#include <string>
#include <string_view>

namespace tw {

// Link texts a reader wants: the site's name cut from the pages' titles,
// folders named by their default pages' titles, each folder's items in
// name order. Titles are compared as the reader sees them (character
// references resolved) and stay written as the pages hold them.

// Where a part sits in a title, joined to the rest by a separator.
enum class TitlePartPlace : unsigned char { End, Start, Either };

struct TitlePart {
    std::string Text; // as the reader sees it; empty: none
    TitlePartPlace Place = TitlePartPlace::Either;
};

// The separators that join a title's part to the rest, longest match first.
inline constexpr std::string_view kTitleSeparators[] = {
    " :: ", " \xE2\x80\x94 ", " \xE2\x80\x93 ", " | ", " - ", " \xC2\xB7 ", ": "};

// A part longer than this (in bytes, as the reader sees it) is no site name:
// bounding it keeps the search linear in the titles' length.
inline constexpr size_t kMaxTitlePart = 256;

// The part that more than half of Titles (and at least two) share at their
// end, or else at their start, after a separator. Titles are the pages'
// texts, references unresolved. Of several such parts the one shared most
// wins, then the longer, then one at the end. Time linear in the titles'
// total length, memory constant beyond one title.
TitlePart FindSitePart(std::span<const std::string_view> titles);

// Title without Part and the separator before (End) or after (Start) it,
// matched on the text the reader sees, the rest kept byte for byte with its
// references. A title that lacks the part, or would keep no text, stays.
std::string TrimTitle(std::string_view title, const TitlePart& part);

// Natural order, letter case ignored (ASCII): digit runs compare by their
// value ("Page 2" before "Page 10"), however long. Negative, zero, positive.
int NaturalCompare(std::string_view a, std::string_view b);

struct LinkTextOptions {
    TMapTrimTitles Trim = TMapTrimTitles::mttNone;
    std::string TrimText; // the part mttText removes
    bool FolderTitles = false;
    bool SortByName = false;
};
LinkTextOptions LinkTextOptionsOf(const TMapProfile& profile);

// Rewrites the scanned tree's link texts as Options ask, in this order: the
// titles trimmed, the folders named by their default pages' titles (the top
// folder keeps "Home"), each folder's items sorted (pages before folders, as
// the scan puts them; equal texts keep their order). Only texts taken from
// titles are trimmed. Returns the part cut from the titles (empty: none).
TitlePart ApplyLinkTexts(TSiteMapTree& tree, const LinkTextOptions& options);

} // namespace tw
