#include "output/SearchSitemaps.h"

#include "support/Errors.h"
#include "support/NXStrings.h"

namespace tw {

namespace {

// The rules in the order the summary names them, with the words that follow
// a count.
struct RuleWords {
    SitemapLeftOut SearchSitemapResult::*Rule;
    std::string_view Singular, Plural;
};
constexpr RuleWords kRuleWords[] = {
    {&SearchSitemapResult::NoIndex, "noindex", "noindex"},
    {&SearchSitemapResult::Canonical, "canonical elsewhere", "canonical elsewhere"},
    {&SearchSitemapResult::Disallowed, "disallowed by robots.txt", "disallowed by robots.txt"},
    {&SearchSitemapResult::ErrorPage, "error page", "error pages"},
    {&SearchSitemapResult::Deleted, "deleted or ignored in the wizard",
     "deleted or ignored in the wizard"},
    {&SearchSitemapResult::OutsideBase, "edited link off the base URL",
     "edited links off the base URL"},
    {&SearchSitemapResult::BadLength, "URL not 12 to 2048 characters long",
     "URLs not 12 to 2048 characters long"},
};

} // namespace

size_t SitemapPages(const SearchSitemapResult& result) {
    size_t pages = result.Urls;
    for (const RuleWords& words : kRuleWords)
        pages += (result.*words.Rule).Count;
    return pages;
}

std::string SitemapListedText(const SearchSitemapResult& result) {
    const size_t pages = SitemapPages(result);
    std::string text = std::to_string(result.Urls) + " of " +
                       CountOf(static_cast<long long>(pages), "page", "pages") + " listed";
    const char* separator = "; left out: ";
    for (const RuleWords& words : kRuleWords) {
        const SitemapLeftOut& rule = result.*words.Rule;
        if (rule.Count == 0)
            continue;
        text += separator;
        separator = ", ";
        text += CountOf(static_cast<long long>(rule.Count), words.Singular, words.Plural);
        if (2 * rule.Count > pages && !rule.Example.empty())
            text += " (e.g. " + rule.Example + ")";
    }
    return text;
}

std::string SitemapBadAlternatesText(const SitemapBadAlternates& page) {
    return page.Page + ": " +
           CountOf(static_cast<long long>(page.Count), "alternate link", "alternate links") +
           " left out of the XML sitemap (" + (page.Count == 1 ? "" : "first: ") + "hreflang \"" +
           page.Hreflang + "\" href \"" + page.Href +
           "\"): an alternate needs a language tag and an http or https URL with "
           "a valid host "
           "and port";
}

SearchSitemapResult WriteSearchSitemaps(const TSiteMapTree& tree,
                                        const SearchSitemapOptions& options,
                                        const SitemapFileListener& listener,
                                        const SitemapFileFactory& createFile) {
    std::string error = SitemapBaseURLError(options.BaseURL);
    if (!error.empty())
        throw TError(error);
    SearchSitemapResult result;
    const SitemapURLStyle style(tree, options);
    const SitemapSelection selection(tree, options, style, result);
    SitemapFilesWriter(tree, options, style, selection).Write(result, listener, createFile);
    return result;
}

} // namespace tw
