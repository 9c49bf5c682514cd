#pragma once

// The XML and text sitemaps of a tree: the page selection (SitemapSelection),
// the URLs (SitemapURLStyle) and the files (SitemapFiles) come with this
// header.

#include "model/SiteMapTree.h"
#include "output/SitemapFiles.h"
#include "output/SitemapOptions.h"
#include "output/SitemapSelection.h"
#include "output/SitemapURLStyle.h"

#include <cstddef>
#include <string>

namespace tw {

// Pages considered: those listed and those left out.
size_t SitemapPages(const SearchSitemapResult& result);
// What the sitemaps list of the site and why the rest is left out, e.g.
// "1 of 531 pages listed; left out: 530 canonical elsewhere (e.g.
// library/os.html)"; a rule that leaves out more than half the pages names its
// first page.
std::string SitemapListedText(const SearchSitemapResult& result);

// The warning for a page whose alternates were left out, naming the page,
// how many and the first of them.
std::string SitemapBadAlternatesText(const SitemapBadAlternates& page);

// Writes the XML sitemap (split into numbered sitemaps with an index when
// needed) and the text sitemap of the tree: file nodes give their URLs,
// folder nodes the URL of the folder when they have a default page; each URL
// once, pictures only when asked for, and never the sitemap files, robots.txt
// or the site map page's item images. Unless AllPages, error pages (404.html),
// what the host's robots.txt disallows and pages that ask not to be indexed
// or name another canonical URL are left out. Every file is replaced
// atomically. Raises TError for a bad base URL or unreadable git times and
// EFCreateError "Cannot create file %s" naming the file that could not be
// written.
SearchSitemapResult WriteSearchSitemaps(const TSiteMapTree& tree,
                                        const SearchSitemapOptions& options,
                                        const SitemapFileListener& listener = {},
                                        const SitemapFileFactory& createFile = {});

} // namespace tw
