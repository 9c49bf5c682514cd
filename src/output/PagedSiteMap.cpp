#include "output/PagedSiteMap.h"

#include "output/ModernLayout.h"
#include "output/OutputGuard.h"
#include "output/PageTemplate.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "support/UrlText.h"

#include <algorithm>

namespace tw {

std::vector<SiteMapPart> PlanSiteMapParts(const std::vector<SiteMapNode*>& nodes,
                                          const TMapProfile& profile, size_t maxLinks) {
    const size_t n = nodes.size();
    // Links before each index, and the index after each node's subtree.
    std::vector<size_t> before(n + 1, 0);
    std::vector<size_t> end(n, n);
    std::vector<size_t> open;
    for (size_t i = 0; i < n; ++i) {
        before[i + 1] = before[i] + (ModernItemLinked(*nodes[i], profile) ? 1 : 0);
        while (!open.empty() && nodes[open.back()]->Level() >= nodes[i]->Level()) {
            end[open.back()] = i;
            open.pop_back();
        }
        open.push_back(i);
    }
    std::vector<SiteMapPart> parts;
    SiteMapPart part;
    auto breakAt = [&](size_t at) {
        if (part.Links == 0)
            return;
        part.End = at;
        parts.push_back(part);
        part = {at, at, 0};
    };
    std::vector<size_t> largeEnds; // where the large folders being split end
    for (size_t i = 0; i < n;) {
        while (!largeEnds.empty() && largeEnds.back() == i) {
            largeEnds.pop_back();
            breakAt(i);
        }
        const size_t links = before[end[i]] - before[i];
        if (links <= maxLinks) {
            if (part.Links + links > maxLinks)
                breakAt(i);
            part.Links += links;
            i = end[i];
        } else {
            breakAt(i);
            largeEnds.push_back(end[i]);
            part.Links += before[i + 1] - before[i];
            ++i;
        }
    }
    part.End = n;
    if (part.Links > 0 || parts.empty())
        parts.push_back(part);
    else
        parts.back().End = n; // unlinked items at the end join the last part
    return parts;
}

PagedSiteMap::PagedSiteMap(const TSiteMapTree& tree, const TMapProfile& profile)
    : profile_(profile), nodes_(tree.NodesInIndexOrder()) {
    if (SiteMapPaged(profile))
        parts_ = PlanSiteMapParts(nodes_, profile, static_cast<size_t>(profile.MaxLinks()));
    else
        parts_.push_back({0, nodes_.size(), 0});
}

std::string PagedSiteMap::PartFile(size_t k) const {
    return SiteMapPartFile(profile_.OutputFileName(), k + 1);
}

namespace {

constexpr std::string_view kPartStyle =
    ".tw-crumbs ol{list-style:none;margin:0 0 1rem;padding:0}\n"
    ".tw-crumbs li{display:inline}\n"
    ".tw-crumbs li+li::before{content:\"\\203A\";margin:0 0.5rem}\n"
    ".tw-parts ol{margin:0 0 1.5rem;padding-left:2rem}\n"
    ".tw-parts li{margin:0.25rem 0;overflow-wrap:anywhere}\n"
    ".tw-parts>h2,.tw-parts>h3{font-size:1.25rem;margin:0 0 0.5rem}\n";

// A part's file as a link from another part: they share the folder.
std::string PartHref(const std::string& file) {
    return EncodeUrlPath(ExtractFileName(file));
}

} // namespace

void PagedSiteMap::WritePart(size_t k, const std::string& lang, WriterListener* listener,
                             const TextSink& sink) const {
    const std::string_view style = parts_.size() > 1 ? kPartStyle : std::string_view();
    if (!profile_.PageTemplate().empty()) {
        // Read once for all the parts.
        if (!frame_)
            frame_ = LoadPageTemplate(profile_.PageTemplate(), profile_.OutputFileName());
        WriteTemplatedPage(
            *frame_, ModernTemplateHead(profile_, style),
            [&](const TextSink& body) {
                ModernPageWriter page(profile_, body);
                WriteBody(page, k, listener, true);
                page.Flush(true);
            },
            sink);
        return;
    }
    ModernPageWriter page(profile_, sink);
    page.DocumentHead(lang, Heading(page, k), style);
    WriteBody(page, k, listener, false);
    page.DocumentFoot();
}

std::string PagedSiteMap::Heading(const ModernPageWriter& page, size_t k) const {
    std::string heading = page.Title();
    if (parts_.size() > 1)
        heading += " (page " + std::to_string(k + 1) + " of " + std::to_string(parts_.size()) + ")";
    return heading;
}

void PagedSiteMap::WriteBody(ModernPageWriter& page, size_t k, WriterListener* listener,
                             bool templated) const {
    const std::string title = page.Title();
    const size_t count = parts_.size();
    const std::string heading = Heading(page, k);
    // In a page of the site's own look everything lies inside the one nav
    // the template's marker stands for, under its h2.
    if (templated)
        page.NavOpen(heading);
    auto link = [&page](const std::string& file) {
        std::string href;
        AppendHtmlEscaped(href, PartHref(file));
        page.Raw("<a href=\"" + href + "\">");
    };
    if (k > 0) {
        page.Raw("<nav class=\"tw-crumbs\" aria-label=\"Breadcrumb\"><ol><li>");
        link(PartFile(0));
        std::string first;
        AppendHtmlEscaped(first, title);
        page.Raw(first + "</a></li><li aria-current=\"page\">Page " + std::to_string(k + 1) +
                 " of " + std::to_string(count) + "</li></ol></nav>\n");
    }
    if (!templated)
        page.Heading(heading);
    if (k == 0 && count > 1) {
        // Every part with its links and the item it starts at, under the
        // names of the folders that item lies in.
        page.Raw(templated ? "<nav class=\"tw-parts\" aria-labelledby=\"tw-parts\">\n"
                             "<h3 id=\"tw-parts\">Pages of the site map</h3>\n<ol>\n"
                           : "<nav class=\"tw-parts\" aria-labelledby=\"tw-parts\">\n"
                             "<h2 id=\"tw-parts\">Pages of the site map</h2>\n<ol>\n");
        for (size_t p = 0; p < count; ++p) {
            page.Raw("<li>");
            if (p == 0) {
                page.Raw("<span aria-current=\"page\">Page 1</span>");
            } else {
                link(PartFile(p));
                page.Raw("Page " + std::to_string(p + 1) + "</a>");
            }
            page.Raw(": " + CountOf(static_cast<long long>(parts_[p].Links), "link", "links") +
                     ", from ");
            std::vector<const SiteMapNode*> path;
            for (const SiteMapNode* at = nodes_[parts_[p].Begin]; at; at = at->Parent())
                path.push_back(at);
            for (size_t d = path.size(); d-- > 0;) {
                page.Text(path[d]->Data);
                if (d > 0)
                    page.Raw(" / ");
            }
            page.Raw("</li>\n");
        }
        page.Raw("</ol>\n</nav>\n");
    }
    // The filter looks at the map's items only, not at the pages' lists.
    if (templated)
        page.Raw("<div id=\"tw-map\">\n");
    else
        page.MapOpen();
    const SiteMapPart& part = parts_[k];
    if (part.Begin == part.End) {
        page.EmptyList();
    } else {
        std::vector<const SiteMapNode*> context;
        for (const SiteMapNode* at = nodes_[part.Begin]->Parent(); at; at = at->Parent())
            context.push_back(at);
        std::reverse(context.begin(), context.end());
        page.ListOpen(context);
        const int total = static_cast<int>(nodes_.size());
        for (size_t i = part.Begin; i < part.End; ++i) {
            const SiteMapNode& node = *nodes_[i];
            if (listener)
                listener->BeforeNode(node, static_cast<int>(i), total);
            page.Item(node);
            if (listener)
                listener->AfterNode(node, static_cast<int>(i), total);
            page.Flush(false);
        }
        page.ListClose();
    }
    if (templated) {
        page.Raw("</div>\n");
        page.NavClose("tw-map");
    } else {
        page.MapClose();
    }
}

std::vector<std::string> SiteMapPartFiles(const TSiteMapTree& tree, const TMapProfile& profile) {
    std::vector<std::string> files;
    if (!SiteMapPaged(profile))
        return files;
    const PagedSiteMap paged(tree, profile);
    for (size_t k = 1; k < paged.PartCount(); ++k)
        files.push_back(paged.PartFile(k));
    return files;
}

std::vector<std::string> LeftoverSiteMapParts(const std::string& outputFile, size_t partCount) {
    std::vector<std::string> left;
    for (size_t n = std::max<size_t>(partCount, 1) + 1;; ++n) {
        std::string path = SiteMapPartFile(outputFile, n);
        if (!FileExists(path))
            break;
        if (IsOurSiteMapPage(path))
            left.push_back(std::move(path));
    }
    return left;
}

} // namespace tw
