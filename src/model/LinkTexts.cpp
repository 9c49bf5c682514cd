#include "model/LinkTexts.h"

#include "model/PageParser.h"

#include <algorithm>
#include <array>

namespace tw {

namespace {

// A title's text as the reader sees it, as DecodeHtmlText reads it; At, when
// given, gets for each decoded byte where its character starts in Raw (npos
// within a character or a reference's later characters), and Raw's size at
// the end, so a cut between characters maps back to the page's bytes.
void DecodeTitle(std::string_view raw, std::string& out, std::vector<size_t>* at) {
    constexpr size_t kInside = std::string_view::npos;
    out.clear();
    if (at)
        at->clear();
    size_t i = 0;
    while (i < raw.size()) {
        size_t special = i;
        while (special < raw.size() && raw[special] != '&' && raw[special] != '\0')
            ++special;
        out.append(raw.substr(i, special - i));
        if (at)
            for (size_t k = i; k < special; ++k)
                at->push_back(k);
        if (special == raw.size())
            break;
        size_t before = out.size();
        i = special + 1;
        if (raw[special] == '\0')
            out += "\xEF\xBF\xBD";
        else if (size_t used = DecodeCharacterReference(raw.substr(i), false, out))
            i += used;
        else
            out += '&';
        if (at && out.size() > before) {
            at->push_back(special);
            at->resize(out.size(), kInside);
        }
    }
    if (at)
        at->push_back(raw.size());
}

// The byte after Sep's end where a part begins, if a separator starts at I.
size_t SeparatorAt(std::string_view text, size_t i) {
    // Most bytes, and most spaces, start no separator: told by two bytes.
    if (i + 1 >= text.size())
        return 0;
    const char next = text[i + 1];
    if (text[i] == ':' ? next != ' '
                       : text[i] != ' ' || (next != ':' && next != '|' && next != '-' &&
                                            next != '\xE2' && next != '\xC2'))
        return 0;
    for (std::string_view sep : kTitleSeparators)
        if (text.substr(i, sep.size()) == sep)
            return i + sep.size();
    return 0;
}

// Few titles join more than a handful of parts; bounding the cuts looked
// at keeps the work per title constant beyond decoding it.
constexpr size_t kMaxCuts = 4;

// The parts a decoded title may share at Place: after a separator near its
// end, or before one near its start, each leaving some text beside it.
size_t Candidates(std::string_view text, TitlePartPlace place,
                  std::array<std::string_view, kMaxCuts>& parts) {
    size_t n = 0;
    if (place == TitlePartPlace::End) {
        constexpr size_t kLongestSeparator = 5;
        size_t lowest = text.size() > kMaxTitlePart + kLongestSeparator
                            ? text.size() - kMaxTitlePart - kLongestSeparator
                            : 0;
        size_t lastStart = 0;
        for (size_t i = text.size(); i-- > std::max<size_t>(lowest, 1) && n < kMaxCuts;) {
            size_t start = SeparatorAt(text, i);
            if (start == 0 || start == lastStart || start >= text.size() ||
                text.size() - start > kMaxTitlePart)
                continue;
            lastStart = start;
            parts[n++] = text.substr(start);
        }
    } else {
        size_t highest = std::min(text.size(), kMaxTitlePart + 1);
        for (size_t i = 1; i < highest && n < kMaxCuts; ++i) {
            size_t end = SeparatorAt(text, i);
            if (end != 0 && end < text.size())
                parts[n++] = text.substr(0, i);
        }
    }
    return n;
}

struct Shared {
    std::string Text;
    size_t Count = 0;
};

// The parts in more than half of the titles at each end: a Misra-Gries
// summary of the stream of candidates (at most kMaxCuts a title) with
// enough counters that every such part survives, then their exact counts.
class SharedParts {
public:
    void Offer(std::string_view part) {
        auto it = std::find_if(kept_.begin(), kept_.end(),
                               [&](const Shared& s) { return s.Text == part; });
        if (it != kept_.end()) {
            ++it->Count;
        } else if (kept_.size() < kCounters) {
            kept_.push_back({std::string(part), 1});
        } else {
            for (Shared& s : kept_)
                --s.Count;
            std::erase_if(kept_, [](const Shared& s) { return s.Count == 0; });
        }
    }
    void StartCounting() {
        for (Shared& s : kept_)
            s.Count = 0;
    }
    void Count(std::string_view part) {
        for (Shared& s : kept_)
            s.Count += s.Text == part ? 1 : 0;
    }
    // Parts that more than half of Titles, and at least two, share.
    std::vector<Shared> Found(size_t titles) {
        std::erase_if(kept_, [&](const Shared& s) { return s.Count < 2 || s.Count * 2 <= titles; });
        return std::move(kept_);
    }

private:
    static constexpr size_t kCounters = 2 * kMaxCuts;
    std::vector<Shared> kept_;
};

bool Better(const Shared& a, const Shared& b) {
    return a.Count != b.Count ? a.Count > b.Count : a.Text.size() > b.Text.size();
}

// The site folder's own item is named "Home", not after a folder.
bool NamedAfterFolder(const SiteMapNode& node) {
    return node.IsFolderNode() && node.Data.LinkTextOrigin == TextOrigin::FileName;
}

// A folder's default page among its items: the page its link names.
const SiteMapNode* DefaultPageItem(const SiteMapNode& folder) {
    if (folder.Data.LinkURL.empty())
        return nullptr;
    for (int row = 0; row < folder.ChildCount(); ++row) {
        const SiteMapNode* child = folder.Child(row);
        if (!child->IsFolderNode() && child->Data.LinkURL == folder.Data.LinkURL)
            return child;
    }
    return nullptr;
}

// TrimTitle with the caller's buffers, which a tree's many titles share.
std::string_view TrimmedTitle(std::string_view title, const TitlePart& part, std::string& text,
                              std::vector<size_t>& at) {
    if (part.Text.empty())
        return title;
    DecodeTitle(title, text, &at);
    std::string_view shown = text;
    auto keeps = [](std::string_view rest) {
        return rest.find_first_not_of(" \t\n\f\r") != std::string_view::npos;
    };
    if (part.Place != TitlePartPlace::Start && shown.ends_with(part.Text)) {
        std::string_view before = shown.substr(0, shown.size() - part.Text.size());
        for (std::string_view sep : kTitleSeparators) {
            if (!before.ends_with(sep))
                continue;
            size_t cut = before.size() - sep.size();
            if (keeps(shown.substr(0, cut)) && at[cut] != std::string_view::npos)
                return title.substr(0, at[cut]);
            break;
        }
    }
    if (part.Place != TitlePartPlace::End && shown.starts_with(part.Text)) {
        std::string_view after = shown.substr(part.Text.size());
        for (std::string_view sep : kTitleSeparators) {
            if (!after.starts_with(sep))
                continue;
            size_t cut = part.Text.size() + sep.size();
            if (keeps(shown.substr(cut)) && at[cut] != std::string_view::npos)
                return title.substr(at[cut]);
            break;
        }
    }
    return title;
}

} // namespace

TitlePart FindSitePart(std::span<const std::string_view> titles) {
    SharedParts ends, starts;
    std::string text;
    std::array<std::string_view, kMaxCuts> parts;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            ends.StartCounting();
            starts.StartCounting();
        }
        for (std::string_view title : titles) {
            DecodeTitle(title, text, nullptr);
            for (auto [place, shared] :
                 {std::pair(TitlePartPlace::End, &ends), std::pair(TitlePartPlace::Start, &starts)})
                for (size_t c = 0, n = Candidates(text, place, parts); c < n; ++c) {
                    if (pass == 0)
                        shared->Offer(parts[c]);
                    else
                        shared->Count(parts[c]);
                }
        }
    }
    std::vector<Shared> end = ends.Found(titles.size());
    std::vector<Shared> start = starts.Found(titles.size());
    auto best = [](std::vector<Shared>& found) {
        return std::min_element(found.begin(), found.end(), Better);
    };
    auto e = best(end);
    auto s = best(start);
    if (s != start.end() && (e == end.end() || Better(*s, *e)))
        return {std::move(s->Text), TitlePartPlace::Start};
    if (e != end.end())
        return {std::move(e->Text), TitlePartPlace::End};
    return {};
}

std::string TrimTitle(std::string_view title, const TitlePart& part) {
    std::string text;
    std::vector<size_t> at;
    return std::string(TrimmedTitle(title, part, text, at));
}

int NaturalCompare(std::string_view a, std::string_view b) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    auto lower = [](char c) {
        return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    };
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            // Values compare by their significant digits: no number is formed.
            while (i < a.size() && a[i] == '0')
                ++i;
            while (j < b.size() && b[j] == '0')
                ++j;
            size_t ei = i, ej = j;
            while (ei < a.size() && digit(a[ei]))
                ++ei;
            while (ej < b.size() && digit(b[ej]))
                ++ej;
            if (ei - i != ej - j)
                return ei - i < ej - j ? -1 : 1;
            if (int c = a.substr(i, ei - i).compare(b.substr(j, ej - j)))
                return c < 0 ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        unsigned char ca = lower(a[i]), cb = lower(b[j]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

LinkTextOptions LinkTextOptionsOf(const TMapProfile& profile) {
    return {profile.TrimTitles(), profile.TrimTitlesText(), profile.FolderTitles(),
            profile.ItemSort() == TMapItemSort::msortName};
}

TitlePart ApplyLinkTexts(TSiteMapTree& tree, const LinkTextOptions& options) {
    TitlePart part;
    if (options.Trim == TMapTrimTitles::mttText)
        part = {options.TrimText, TitlePartPlace::Either};
    if (options.Trim == TMapTrimTitles::mttAuto) {
        std::vector<std::string_view> titles;
        tree.ForEach([&titles](SiteMapNode& n, int) {
            if (n.Data.LinkTextOrigin == TextOrigin::PageTitle)
                titles.push_back(n.Data.LinkText);
        });
        part = FindSitePart(titles);
    }
    if (!part.Text.empty()) {
        std::string text;
        std::vector<size_t> at;
        tree.ForEach([&](SiteMapNode& n, int) {
            if (n.Data.LinkTextOrigin != TextOrigin::PageTitle)
                return;
            std::string_view trimmed = TrimmedTitle(n.Data.LinkText, part, text, at);
            if (trimmed.size() != n.Data.LinkText.size())
                n.Data.LinkText = std::string(trimmed);
        });
    }
    if (options.FolderTitles)
        tree.ForEach([](SiteMapNode& n, int) {
            const SiteMapNode* page = NamedAfterFolder(n) ? DefaultPageItem(n) : nullptr;
            if (page && page->Data.LinkTextOrigin == TextOrigin::PageTitle) {
                n.Data.LinkText = page->Data.LinkText;
                n.Data.LinkTextOrigin = TextOrigin::PageTitle;
            }
        });
    if (options.SortByName) {
        std::vector<std::pair<std::string, SiteMapNode*>> keyed;
        tree.ReorderChildren([&keyed](std::vector<SiteMapNode*>& nodes) {
            keyed.clear();
            for (SiteMapNode* n : nodes)
                keyed.emplace_back(ShownLinkText(n->Data), n);
            std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
                if (a.second->IsFolderNode() != b.second->IsFolderNode())
                    return b.second->IsFolderNode();
                return NaturalCompare(a.first, b.first) < 0;
            });
            for (size_t i = 0; i < nodes.size(); ++i)
                nodes[i] = keyed[i].second;
        });
    }
    return part;
}

} // namespace tw
