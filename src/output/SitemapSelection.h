#pragma once

// Which nodes of a tree the sitemaps list: the site's rules (robots.txt, git
// times), the links the user edited, the pages' own facts, each URL once, and
// the language variants that name each other.

#include "model/PageFacts.h"
#include "model/SiteMapTree.h"
#include "output/GitDates.h"
#include "output/RobotsTxt.h"
#include "output/SitemapOptions.h"
#include "output/SitemapURLStyle.h"

#include <climits>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tw {

// The files of the tree a sitemap may list: pictures and the others.
SitemapFileCount CountSitemapFiles(const TSiteMapTree& tree);

class SitemapSelection {
public:
    // A hreflang and the absolute URL of the variant it names.
    using LanguageLink = std::pair<std::string, std::string>;

    // Decides, counting each page left out in Result under the rule that left
    // it out. Raises TError for git times that cannot be read.
    SitemapSelection(const TSiteMapTree& tree, const SearchSitemapOptions& options,
                     const SitemapURLStyle& style, SearchSitemapResult& result);

    // Whether the node (by its index in the tree) gives a URL.
    bool Selected(int index) const { return selected_[static_cast<size_t>(index)]; }
    // The path below the site folder a node's link names; empty for none.
    std::string_view LinkOf(const SiteMapNode& node, int index) const;
    // The facts of a node's page (a folder's are its default page's), or
    // nullptr when none were read.
    const PageFacts* FactsOf(int index) const;
    // The variants a selected node lists, itself included; nullptr for none.
    const std::vector<LanguageLink>* LanguageLinksOf(int index) const;
    bool AnyLanguageLinks() const { return !alternates_.empty(); }
    // The commit times of the site, with Lastmod Git; else nullptr.
    const GitFileTimes* Git() const { return git_.get(); }

    static constexpr int kNotAFile = INT_MIN;
    // A number for each file a page may show: a node's index for the tree's
    // files, a negative one for other files of the site (asked of
    // IsSiteFile once), kNotAFile for what is no file of the site.
    int PictureId(const std::string& relative) const;

private:
    bool IsOwnFile(std::string_view relative) const;
    bool IsNeverListed(std::string_view relative) const;
    void ReadSiteRules(SearchSitemapResult& result);
    void ResolveEditedLinks(SearchSitemapResult& result);
    void Survey();
    void Select(SearchSitemapResult& result);
    void TakeAlternates(const PageFacts& facts, int index, std::string_view relative,
                        SearchSitemapResult& result);
    SitemapLeftOut* RuleOfFacts(const PageFacts& facts, std::string_view relative,
                                SearchSitemapResult& result) const;
    void CountDeleted(SearchSitemapResult& result) const;
    void GroupLanguages();

    struct LanguageLinks {
        std::string Url; // the page's own
        std::vector<LanguageLink> Links;
    };

    const TSiteMapTree& tree_;
    const SearchSitemapOptions& options_;
    const SitemapURLStyle& style_;
    std::string_view base_;
    std::string ownXml_;
    std::string ownOtherXml_;
    std::string ownText_;
    std::string ownChunkPrefix_;
    std::vector<std::string> itemImages_;
    RobotsRules robots_;
    std::shared_ptr<const GitFileTimes> git_;
    std::vector<const SiteMapNode*> nodes_;           // by absolute index, without FactsOf
    std::unordered_map<int, int> defaultPageNode_;    // folder -> its default page's node
    std::unordered_map<int, std::string> edited_;     // node -> its edited link's path
    std::unordered_map<std::string_view, int> files_; // file link -> node
    mutable std::unordered_map<std::string, int> otherFiles_;
    std::map<int, LanguageLinks> alternates_; // by node
    std::vector<bool> selected_;              // by absolute index
};

} // namespace tw
