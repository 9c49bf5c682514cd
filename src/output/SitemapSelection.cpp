#include "output/SitemapSelection.h"

#include "output/OutputTargets.h"
#include "output/SitemapFiles.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "support/UrlText.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace tw {

namespace {

constexpr size_t kMinUrlLength = 12;
constexpr size_t kMaxUrlLength = 2048;

bool IsPictureName(std::string_view relativePath) {
    static constexpr std::string_view kPictures[] = {
        ".gif", ".jpg", ".jpeg", ".png", ".svg", ".webp", ".bmp", ".ico", ".avif", ".tif", ".tiff"};
    std::string_view name = LastPathStep(relativePath);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    std::string_view ext = name.substr(dot);
    return std::any_of(std::begin(kPictures), std::end(kPictures),
                       [ext](std::string_view p) { return SameTextIgnoringCase(ext, p); });
}

// The usual name of the page a server shows for a missing one.
bool IsErrorPage(std::string_view relativePath) {
    std::string_view name = LastPathStep(relativePath);
    return SameTextIgnoringCase(name, "404.html") || SameTextIgnoringCase(name, "404.htm");
}

void LeaveOut(SitemapLeftOut& rule, std::string_view page) {
    if (rule.Count++ == 0)
        rule.Example = page;
}

} // namespace

SitemapFileCount CountSitemapFiles(const TSiteMapTree& tree) {
    SitemapFileCount count;
    tree.ForEach([&count](SiteMapNode& node, int) {
        if (node.IsFolderNode())
            return;
        if (IsPictureName(ExtractFileName(node.Data.FilePath)))
            ++count.Pictures;
        else
            ++count.Others;
    });
    return count;
}

SitemapSelection::SitemapSelection(const TSiteMapTree& tree, const SearchSitemapOptions& options,
                                   const SitemapURLStyle& style, SearchSitemapResult& result)
    : tree_(tree), options_(options), style_(style),
      base_(WithoutTrailingSlashes(options.BaseURL)) {
    auto relativeToSite = [&](const std::string& path) {
        return RelativeToSiteFolder(options.SiteFolder, path);
    };
    const std::string& output = options.XmlOutput;
    ownXml_ = relativeToSite(output);
    ownOtherXml_ = relativeToSite(SitemapOtherFormOf(output, options.Gzip));
    ownText_ = relativeToSite(options.TextOutput);
    ownChunkPrefix_ = relativeToSite(SitemapPartPrefix(output));
    if (!options.SiteMapPage.empty())
        for (const char* image : kItemImages)
            itemImages_.push_back(relativeToSite(ExtractFilePath(options.SiteMapPage) + image));
    ReadSiteRules(result);
    ResolveEditedLinks(result);
    Survey();
    Select(result);
    CountDeleted(result);
    GroupLanguages();
}

const std::vector<SitemapSelection::LanguageLink>*
SitemapSelection::LanguageLinksOf(int index) const {
    auto it = alternates_.find(index);
    return it == alternates_.end() ? nullptr : &it->second.Links;
}

// A sitemap must not list itself, its chunks or the text sitemap: they
// turn up in the tree when their type is scanned.
bool SitemapSelection::IsOwnFile(std::string_view relative) const {
    if (relative == ownXml_ || relative == ownText_ ||
        (!ownOtherXml_.empty() && relative == ownOtherXml_))
        return true;
    std::string_view ext = relative.ends_with(".xml.gz") ? ".xml.gz" : ".xml";
    if (ownChunkPrefix_.empty() || relative.size() <= ownChunkPrefix_.size() + ext.size() ||
        !relative.starts_with(ownChunkPrefix_) || !relative.ends_with(ext))
        return false;
    std::string_view digits = relative.substr(
        ownChunkPrefix_.size(), relative.size() - ownChunkPrefix_.size() - ext.size());
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Files that are never pages of the site, whatever the file types.
bool SitemapSelection::IsNeverListed(std::string_view relative) const {
    return IsOwnFile(relative) || SameTextIgnoringCase(LastPathStep(relative), "robots.txt") ||
           std::find(itemImages_.begin(), itemImages_.end(), relative) != itemImages_.end();
}

// The host's robots.txt and the git times.
void SitemapSelection::ReadSiteRules(SearchSitemapResult& result) {
    if (!options_.AllPages) {
        std::string robots = options_.SiteFolder + "robots.txt";
        if (SitemapBaseIsHostRoot(options_.BaseURL)) {
            robots_ = ReadRobotsRules(robots, &result.RobotsTxtLonger);
        } else {
            result.RobotsNotApplied = FileExists(robots);
        }
    }
    if (options_.Lastmod == SitemapLastmod::Git) {
        git_ = options_.GitTimes;
        if (!git_)
            git_ = std::make_shared<GitFileTimes>(ReadGitFileTimes(options_.SiteFolder));
        result.ShallowGitClone = git_->Shallow;
    }
}

// A link URL the user changed is a reference from the site folder's URL:
// listed where it resolves to below the base, left out anywhere else.
void SitemapSelection::ResolveEditedLinks(SearchSitemapResult& result) {
    const std::string folderURL = base_.empty() ? std::string() : std::string(base_) + "/";
    tree_.ForEach([&](SiteMapNode& node, int index) {
        if (!node.Data.LinkURLEdited)
            return;
        std::optional<std::string> relative;
        if (!node.Data.LinkURL.empty() && !folderURL.empty())
            relative = style_.RelativeOf(ResolveURL(folderURL, node.Data.LinkURL));
        if (!relative)
            LeaveOut(result.OutsideBase,
                     RelativeToSiteFolder(options_.SiteFolder, node.Data.FilePath));
        edited_.emplace(index, relative.value_or(std::string()));
    });
}

std::string_view SitemapSelection::LinkOf(const SiteMapNode& node, int index) const {
    if (!edited_.empty() && node.Data.LinkURLEdited)
        if (auto it = edited_.find(index); it != edited_.end())
            return it->second;
    return WithoutLeadingSlashes(node.Data.LinkURL);
}

// What the rules need of the whole tree: each folder's default page node,
// whose facts the folder's URL goes by, and the files pictures may name.
void SitemapSelection::Survey() {
    std::unordered_map<const SiteMapNode*, int> folders;
    tree_.ForEach([&](SiteMapNode& node, int index) {
        if (!options_.FactsOf)
            nodes_.push_back(&node);
        if (node.IsFolderNode()) {
            folders.emplace(&node, index);
            return;
        }
        std::string_view link = LinkOf(node, index);
        if (options_.Images)
            files_.emplace(link, index);
        SiteMapNode* parent = node.Parent();
        if (parent && parent->IsFolderNode() && !link.empty())
            if (auto it = folders.find(parent);
                it != folders.end() && LinkOf(*parent, it->second) == link)
                defaultPageNode_.emplace(it->second, index);
    });
}

// The facts the caller hands in, else those the scan kept in the records.
const PageFacts* SitemapSelection::FactsOf(int index) const {
    auto it = defaultPageNode_.find(index);
    int page = it == defaultPageNode_.end() ? index : it->second;
    if (options_.FactsOf)
        return options_.FactsOf(page);
    return nodes_[static_cast<size_t>(page)]->Data.Facts.get();
}

// Decides which nodes give a URL, each URL once, and counts each page
// left out under the rule that left it out.
void SitemapSelection::Select(SearchSitemapResult& result) {
    selected_.assign(static_cast<size_t>(tree_.Count()), false);
    SeenSet seen(static_cast<size_t>(tree_.Count()));
    tree_.ForEach([&](SiteMapNode& node, int index) {
        std::string_view relative = LinkOf(node, index);
        // A folder's link is its default page; without one it lists nothing.
        if (relative.empty())
            return;
        if (!options_.IncludePictures && IsPictureName(relative))
            return;
        if (IsNeverListed(relative))
            return;
        std::string_view path = style_.PathOf(relative);
        // A folder and its default page are one page.
        if (!seen.Insert(path))
            return;
        const bool rules = !options_.AllPages;
        size_t length = base_.size() + 1 + EncodedUrlPathLength(path);
        SitemapLeftOut* rule = nullptr;
        const PageFacts* facts = nullptr;
        if (rules && IsErrorPage(relative))
            rule = &result.ErrorPage;
        else if (length < kMinUrlLength || length > kMaxUrlLength)
            rule = &result.BadLength;
        else if (rules && !robots_.Allows("/" + EncodeUrlPath(path)))
            rule = &result.Disallowed;
        else if ((facts = FactsOf(index)) != nullptr)
            rule = RuleOfFacts(*facts, relative, result);
        if (rule) {
            LeaveOut(*rule, relative);
            return;
        }
        if (facts && !facts->Alternates.empty())
            TakeAlternates(*facts, index, relative, result);
        selected_[static_cast<size_t>(index)] = true;
        ++result.Urls;
    });
}

// The page's alternates that a crawler can use; the others are left out
// and named once for the page.
void SitemapSelection::TakeAlternates(const PageFacts& facts, int index, std::string_view relative,
                                      SearchSitemapResult& result) {
    LanguageLinks page;
    page.Url = style_.URLOf(relative);
    SitemapBadAlternates bad;
    for (const auto& [language, href] : facts.Alternates) {
        std::optional<std::string> url;
        if (IsSitemapLanguageTag(language))
            url = SitemapWebURL(ResolveURL(page.Url, href));
        if (url) {
            page.Links.emplace_back(language, style_.Styled(*url));
        } else if (bad.Count++ == 0) {
            bad.Hreflang = language;
            bad.Href = href;
        }
    }
    if (bad.Count > 0) {
        bad.Page = relative;
        result.BadAlternates.push_back(std::move(bad));
    }
    if (!page.Links.empty())
        alternates_.emplace(index, std::move(page));
}

// The rule by which a page that may be listed asks not to be: marked
// noindex, or naming another URL as its canonical one; null when it asks
// to be listed.
SitemapLeftOut* SitemapSelection::RuleOfFacts(const PageFacts& facts, std::string_view relative,
                                              SearchSitemapResult& result) const {
    if (options_.AllPages)
        return nullptr;
    if (facts.NoIndex)
        return &result.NoIndex;
    if (!facts.Canonical)
        return nullptr;
    std::string url = style_.URLOf(relative);
    std::string canonical = ResolveURL(url, *facts.Canonical);
    // Search engines take only a web address for a canonical URL: the
    // file:// one of a locally installed copy names no page of the site.
    if (!IsWebURL(canonical))
        return nullptr;
    return style_.Styled(canonical) == url ? nullptr : &result.Canonical;
}

// The pages the user deleted or ignored after the scan: the scan's files
// that the tree no longer holds.
void SitemapSelection::CountDeleted(SearchSitemapResult& result) const {
    if (!options_.Scanned)
        return;
    const SitemapFileCount now = CountSitemapFiles(tree_);
    auto gone = [](size_t before, size_t after) { return before > after ? before - after : 0; };
    result.Deleted.Count = gone(options_.Scanned->Others, now.Others);
    if (options_.IncludePictures)
        result.Deleted.Count += gone(options_.Scanned->Pictures, now.Pictures);
}

// Pages that name each other are variants of one page: each lists all
// the variants that any of them names, itself included.
void SitemapSelection::GroupLanguages() {
    std::unordered_map<std::string_view, int> pageOf;
    std::map<int, int> leader;
    for (const auto& [index, page] : alternates_) {
        pageOf.emplace(page.Url, index);
        leader[index] = index;
    }
    auto find = [&](int index) {
        while (leader[index] != index)
            index = leader[index] = leader[leader[index]];
        return index;
    };
    auto names = [](const LanguageLinks& page, std::string_view url) {
        return std::any_of(page.Links.begin(), page.Links.end(),
                           [url](const auto& link) { return link.second == url; });
    };
    for (const auto& [index, page] : alternates_)
        for (const auto& link : page.Links) {
            auto other = pageOf.find(link.second);
            if (other != pageOf.end() && other->second != index &&
                names(alternates_.at(other->second), page.Url))
                leader[find(other->second)] = find(index);
        }
    std::map<int, std::vector<int>> groups;
    for (const auto& entry : alternates_)
        groups[find(entry.first)].push_back(entry.first);
    for (const auto& [first, members] : groups) {
        if (members.size() < 2)
            continue;
        std::vector<std::pair<std::string, std::string>> all;
        for (int member : members)
            for (const auto& link : alternates_.at(member).Links)
                if (std::none_of(all.begin(), all.end(), [&](const auto& known) {
                        return known.second == link.second &&
                               SameTextIgnoringCase(known.first, link.first);
                    }))
                    all.push_back(link);
        for (int member : members)
            alternates_.at(member).Links = all;
    }
}

int SitemapSelection::PictureId(const std::string& relative) const {
    if (auto node = files_.find(relative); node != files_.end())
        return node->second;
    auto [it, added] = otherFiles_.try_emplace(relative, kNotAFile);
    if (added && options_.IsSiteFile && options_.IsSiteFile(relative))
        it->second = -static_cast<int>(otherFiles_.size());
    return it->second;
}

} // namespace tw
