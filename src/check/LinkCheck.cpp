#include "check/LinkCheck.h"

#include "check/CaseHints.h"
#include "check/DiskCache.h"
#include "check/Findings.h"
#include "check/LinkPath.h"
#include "check/PageQuality.h"
#include "check/PageReader.h"
#include "model/CssReferences.h"
#include "model/SiteLinks.h"
#include "scan/PageReading.h"
#include "support/Errors.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace tw {

bool IsCheckedPage(std::string_view path) {
    static const FileTypeMatcher matcher(kCheckedPageTypes);
    return matcher.Matches(path);
}

bool IsHttpLink(std::string_view link) {
    size_t start = link.find_first_not_of(" \t\n\f\r");
    if (start == std::string_view::npos)
        return false;
    std::string head(link.substr(start, 8));
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return head.starts_with("http://") || head.starts_with("https://");
}

std::optional<std::string> SiteUrlPath(std::string_view link,
                                       const std::vector<std::string>& siteUrls) {
    size_t start = link.find_first_not_of(" \t\n\f\r");
    if (start == std::string_view::npos)
        return std::nullopt;
    link.remove_prefix(start);
    for (std::string_view base : siteUrls) {
        while (base.ends_with('/'))
            base.remove_suffix(1);
        size_t hostEnd =
            base.find('/', base.find("://") == std::string_view::npos ? 0 : base.find("://") + 3);
        if (hostEnd == std::string_view::npos)
            hostEnd = base.size();
        if (link.size() < base.size() ||
            !std::equal(base.begin(), base.begin() + static_cast<std::ptrdiff_t>(hostEnd),
                        link.begin(),
                        [](char a, char b) {
                            return std::tolower(static_cast<unsigned char>(a)) ==
                                   std::tolower(static_cast<unsigned char>(b));
                        }) ||
            link.substr(hostEnd, base.size() - hostEnd) != base.substr(hostEnd))
            continue;
        std::string_view rest = link.substr(base.size());
        if (!rest.empty() && rest.front() != '/' && rest.front() != '?' && rest.front() != '#')
            continue; // "https://example.org/docs" is not "https://example.org/docsx"
        return "/" + std::string(rest.starts_with('/') ? rest.substr(1) : rest);
    }
    return std::nullopt;
}

namespace {

// A link as far as it can be taken without the site's shared state.
struct PreparedLink {
    LinkKind Kind = LinkKind::SamePage;
    bool Ignored = false;
    bool NamesFolder = false;         // Local: written with a trailing "/"
    const DiskEntry* Entry = nullptr; // Local: what is there
    // Local: absolute, without a trailing "/"; kept only where the checker
    // needs it, for a dead link or a style sheet.
    std::string Path;
    std::optional<std::string> Fragment;
};

struct PreparedPage {
    PageRead Read;
    std::vector<PreparedLink> Links; // one for each of Read.Parsed.Links
    std::unordered_set<std::string> Anchors;
    // Its own page-quality findings, its redirect and its description.
    std::vector<QualityProblem> Quality;
    size_t RedirectLink = SIZE_MAX; // the refresh among Links
};

class LinkChecker {
public:
    LinkChecker(const TSiteMapTree& tree, const std::string& indexPage,
                const LinkCheckLimits& limits, LinkCheckListener* listener,
                const ScanFolders& folders)
        : tree_(tree), limits_(limits), listener_(listener ? listener : &silent_) {
        root_ = SiteFolderOf(indexPage);
        mixedContent_ =
            limits.Quality.On(QualityKind::MixedContent) && IsHttpsSite(limits.SiteUrls);
        const auto& q = limits.Quality.Enabled;
        quality_ = std::find(q.begin(), q.end(), true) != q.end();
        indexPage_ = root_ + ExtractFileName(indexPage);
        for (const std::string& folder : folders.Unreadable) {
            report_.UnreadableFolders.push_back(Relative(folder));
            unreadable_.Add(folder, {});
        }
        std::sort(report_.UnreadableFolders.begin(), report_.UnreadableFolders.end());
        for (const auto& [place, firstPlace] : folders.Revisited)
            revisited_.Add(place, firstPlace);
    }

    LinkReport Run() {
        CollectPages();
        if (quality_) {
            qualityPages_.resize(pages_.size());
            for (size_t i = 0; i < pages_.size(); ++i)
                qualityPages_[i].Relative = pages_[i].Relative;
        }
        std::vector<std::string> paths;
        paths.reserve(pages_.size());
        for (const Page& page : pages_)
            paths.push_back(page.Path);
        {
            OrderedWorkers<PreparedPage> workers(paths.size(),
                                                 [this, &paths](size_t i, std::string& buffer) {
                                                     return Prepare(paths[i], buffer);
                                                 });
            // A stop unwinds from here: the workers' destructor lets each
            // finish its page and joins them.
            for (size_t i = 0; i < pages_.size(); ++i) {
                CheckPage(i, workers.Take(i));
                listener_->PageChecked(i + 1, pages_.size());
                if (listener_->StopRequested())
                    throw ECheckStopped();
            }
        }
        CheckStyleSheets();
        report_.PageCount = pages_.size();
        for (const Page& page : pages_)
            if (page.Readable)
                report_.CheckedFiles.push_back(page.Relative);
        std::sort(report_.CheckedFiles.begin(), report_.CheckedFiles.end());
        FindMissingAnchors();
        FindOrphans();
        FindTitleProblems();
        FindFoldersWithoutDefaultPage();
        auto byPage = [](const auto& a, const auto& b) { return a.Page < b.Page; };
        std::stable_sort(report_.DeadLinks.begin(), report_.DeadLinks.end(),
                         [](const DeadLink& a, const DeadLink& b) {
                             return a.Page != b.Page ? a.Page < b.Page : a.Line < b.Line;
                         });
        std::stable_sort(report_.Notes.begin(), report_.Notes.end(), byPage);
        return std::move(report_);
    }

private:
    struct Page {
        std::string Path;
        std::string Relative;
        bool InTree = true;
        bool Readable = true;
        std::optional<std::string> Title;
        std::vector<std::uint32_t> Targets; // the pages its links lead to
        // Read and parsed whole: only then can a fragment be missing from it.
        bool Whole = false;
        std::unordered_set<std::string> Anchors;
    };

    // Where a link is written: its file and how it is described in a finding.
    struct LinkPlace {
        const std::string& File; // relative to the root
        const PageLink& Link;
    };

    // A link with a fragment to a page not yet parsed, kept small: a site
    // may have millions. Its fragment is taken from the link again.
    struct AnchorLink {
        std::uint32_t Target;
        std::uint32_t Page;
        std::uint32_t Line;
        std::uint32_t Kind; // an index into kinds_
        std::string Link;
    };

    std::string Relative(const std::string& path) const { return SiteRelativePath(root_, path); }

    void AddPage(const std::string& path, bool inTree) {
        if (!pageIndex_.try_emplace(path, pages_.size()).second)
            return;
        pages_.push_back({path, Relative(path), inTree, true, std::nullopt, {}, false, {}});
    }

    // The index page first: it is where reachability starts.
    void CollectPages() {
        bool indexInTree = false;
        tree_.ForEach([&](SiteMapNode& node, int) {
            if (node.IsFolderNode())
                folders_.push_back(node.Data.FolderPath);
            else if (node.Data.FilePath == indexPage_)
                indexInTree = true;
        });
        AddPage(indexPage_, indexInTree);
        tree_.ForEach([this](SiteMapNode& node, int) {
            if (!node.IsFolderNode() && IsCheckedPage(node.Data.FilePath))
                AddPage(node.Data.FilePath, true);
        });
    }

    // Runs on the worker threads: reads only what no thread changes, and
    // the disk cache, which has locks of its own.
    PreparedPage Prepare(const std::string& path, std::string& buffer) {
        PreparedPage prepared;
        prepared.Read = ReadPage(path, limits_.MaxPageBytes, buffer);
        ParsedPage& parsed = prepared.Read.Parsed;
        DuplicateIds ids(limits_.Quality.On(QualityKind::DuplicateId));
        for (size_t i = 0; i < parsed.Anchors.size(); ++i)
            if (auto [it, added] = prepared.Anchors.insert(std::move(parsed.Anchors[i])); !added)
                ids.Repeated(*it, parsed.AnchorLines[i]);
        parsed.Anchors.clear();

        std::string baseFolder = ExtractFilePath(path);
        bool externalBase = false;
        if (parsed.Base) {
            LinkTarget base = ClassifyLink(*parsed.Base);
            // Against a base on another host no relative link stays here.
            externalBase = base.Kind == LinkKind::External;
            if (base.Kind == LinkKind::Local)
                baseFolder = ExtractFilePath(Resolve(base.Path, baseFolder));
        }
        prepared.Links.resize(parsed.Links.size());
        for (size_t i = 0; i < parsed.Links.size(); ++i) {
            const PageLink& link = parsed.Links[i];
            PreparedLink& out = prepared.Links[i];
            // Against a base elsewhere only an absolute URL keeps its meaning.
            out.Ignored = Unchecked(link) || (externalBase && !IsHttpLink(link.Value));
            if (!out.Ignored)
                PrepareLink(link, baseFolder, out);
        }
        if (quality_ && prepared.Read.Readable)
            PrepareQuality(path, prepared, ids);
        return prepared;
    }

    // The findings a page gives on its own, on its worker thread.
    void PrepareQuality(const std::string& path, PreparedPage& prepared, DuplicateIds& ids) {
        const ParsedPage& parsed = prepared.Read.Parsed;
        const std::string page = Relative(path);
        std::vector<QualityProblem>& out = prepared.Quality;
        out = ids.Take();
        for (QualityProblem& q : out)
            q.Page = page;
        size_t mixed = 0;
        for (size_t i = 0; i < parsed.Links.size(); ++i) {
            const PageLink& link = parsed.Links[i];
            if (prepared.RedirectLink == SIZE_MAX && link.Tag == "meta" &&
                link.Attribute == "content" && link.Source == LinkSource::Attribute)
                prepared.RedirectLink = i;
            if (mixedContent_ && mixed < kMaxPageElements && !prepared.Links[i].Ignored &&
                IsResourceLink(link) && IsPlainHttpUrl(link.Value)) {
                ++mixed;
                const DeadLink place{page, link.Value, link.Tag,    link.Attribute, link.Line,
                                     {},   false,      link.Source, link.CssImport};
                out.push_back({QualityKind::MixedContent, page, link.Line, link.Tag, link.Attribute,
                               link.Value, DescribeLink(place)});
            }
        }
        PageOwnFindings(parsed, page, !prepared.Read.Truncated, prepared.RedirectLink != SIZE_MAX,
                        limits_.Quality, out);
    }

    // Links the user asked to leave alone, and fragments alone in CSS, which
    // name an element of the page that uses the style.
    bool Unchecked(const PageLink& link) const {
        return (link.Source != LinkSource::Attribute && link.Value.starts_with('#')) ||
               (limits_.IgnoreLink && limits_.IgnoreLink(link.Value));
    }

    void PrepareLink(const PageLink& link, const std::string& folder, PreparedLink& out) {
        std::optional<std::string> own;
        if (!limits_.SiteUrls.empty())
            own = SiteUrlPath(link.Value, limits_.SiteUrls);
        LinkTarget target = ClassifyLink(own ? *own : link.Value);
        out.Kind = target.Kind;
        out.Fragment = std::move(target.Fragment);
        if (target.Kind != LinkKind::Local)
            return;
        out.Path = Resolve(target.Path, folder);
        out.NamesFolder = out.Path.size() > 1 && out.Path.back() == '/';
        if (out.NamesFolder)
            out.Path.pop_back();
        out.Entry = &disk_.Lookup(out.Path);
        if (Reaches(out) && !link.StyleSheet)
            out.Path = std::string();
    }

    static bool Reaches(const PreparedLink& link) {
        return (link.Entry->Kind == EntryKind::File && !link.NamesFolder) ||
               !link.Entry->DefaultPage.empty();
    }

    const DiskEntry& LookupFolder(std::string folder) {
        if (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        return disk_.Lookup(folder);
    }

    void Note(const Page& page, PageNoteKind kind) {
        report_.Notes.push_back({page.Relative, kind});
    }

    void CheckPage(size_t index, PreparedPage prepared) {
        Page& page = pages_[index];
        PageRead& read = prepared.Read;
        if (!read.Readable) {
            if (index == 0)
                throw EFOpenError(FormatText(kCannotOpenFile, {page.Path}));
            page.Readable = false;
            Note(page, PageNoteKind::Unreadable);
            return;
        }
        if (read.Truncated)
            Note(page, PageNoteKind::Truncated);
        page.Whole = !read.Truncated;
        page.Title = std::move(read.Parsed.Title);
        page.Anchors = std::move(prepared.Anchors);
        const std::vector<PageLink>& links = read.Parsed.Links;
        size_t redirectTarget = kNoPage;
        for (size_t i = 0; i < links.size(); ++i) {
            if (prepared.Links[i].Ignored)
                continue;
            size_t target = CheckLink({page.Relative, links[i]}, prepared.Links[i], index);
            if (target != kNoPage)
                page.Targets.push_back(static_cast<std::uint32_t>(target));
            if (i == prepared.RedirectLink)
                redirectTarget = target;
        }
        if (!quality_)
            return;
        for (QualityProblem& q : prepared.Quality)
            report_.Quality.push_back(std::move(q));
        QualityPage& facts = qualityPages_[index];
        facts.Counted = true;
        facts.Description = std::move(read.Parsed.Description);
        if (prepared.RedirectLink != SIZE_MAX) {
            const PageLink& refresh = links[prepared.RedirectLink];
            facts.Redirect = refresh.Value;
            facts.RedirectLine = refresh.Line;
            if (redirectTarget != kNoPage)
                facts.RedirectTarget = static_cast<std::uint32_t>(redirectTarget);
        }
    }

    // Checks one link; returns the page it leads to, kNoPage for none.
    // Notes a style sheet it names, and its fragment when it has one.
    size_t CheckLink(const LinkPlace& place, const PreparedLink& link, size_t fromPage) {
        if (link.Kind == LinkKind::SamePage && link.Fragment && fromPage != kNoPage)
            NoteAnchor(fromPage, place, fromPage, *link.Fragment);
        if (link.Kind == LinkKind::External && limits_.CollectExternal &&
            IsHttpLink(place.Link.Value))
            report_.ExternalLinks.push_back(Finding(place, DeadLinkReason::Missing, false));
        if (link.Kind != LinkKind::Local)
            return kNoPage;
        ++report_.LocalLinkCount;
        const DiskEntry& entry = *link.Entry;
        bool isFile = entry.Kind == EntryKind::File && !link.NamesFolder;
        if (!Reaches(link)) {
            // What an unreadable folder holds is unknown: its own finding says so.
            if (InUnreadableFolder(link.Path))
                return kNoPage;
            DeadLinkReason reason = entry.Kind == EntryKind::Folder ? DeadLinkReason::NoDefaultPage
                                                                    : DeadLinkReason::Missing;
            if (reason == DeadLinkReason::NoDefaultPage)
                linkedFolders_.insert(link.Path + '/');
            bool caseDiffers = reason == DeadLinkReason::Missing &&
                               caseHints_.ExistsIgnoringCase(
                                   root_, link.NamesFolder ? link.Path + '/' : link.Path);
            report_.DeadLinks.push_back(Finding(place, reason, caseDiffers));
            return kNoPage;
        }
        if (isFile && place.Link.StyleSheet && sheetIndex_.insert(link.Path).second)
            sheets_.push_back(link.Path);
        if (entry.Page != kNoPage && link.Fragment)
            NoteAnchor(entry.Page, place, fromPage, *link.Fragment);
        return entry.Page;
    }

    bool InUnreadableFolder(const std::string& path) const {
        return unreadable_.Find(path + '/') != nullptr;
    }

    static DeadLink Finding(const LinkPlace& place, DeadLinkReason reason, bool caseDiffers) {
        const PageLink& link = place.Link;
        return {place.File, link.Value,  link.Tag,    link.Attribute, link.Line,
                reason,     caseDiffers, link.Source, link.CssImport};
    }

    // Style sheets are few and small beside the pages: read one after the
    // other once the pages are done, each once, those they import too.
    void CheckStyleSheets() {
        std::string buffer;
        // Imports join the queue as it is worked through.
        size_t next = 0;
        while (next < sheets_.size()) {
            if (listener_->StopRequested())
                throw ECheckStopped();
            const std::string path = sheets_[next++];
            const std::string relative = Relative(path);
            size_t length = 0;
            bool truncated = false;
            if (!ReadFileStart(path, limits_.MaxPageBytes, buffer, length, truncated)) {
                report_.Notes.push_back({relative, PageNoteKind::Unreadable});
                continue;
            }
            if (truncated)
                report_.Notes.push_back({relative, PageNoteKind::Truncated});
            report_.CheckedFiles.push_back(relative);
            const std::string folder = ExtractFilePath(path);
            std::vector<PageLink> links;
            FindCssReferences(std::string_view(buffer.data(), length), 1, [&](CssReference&& ref) {
                links.push_back({std::move(ref.Value), "", "", ref.Line, LinkSource::StyleSheet,
                                 ref.Import, ref.Import});
            });
            for (const PageLink& link : links) {
                if (Unchecked(link))
                    continue;
                PreparedLink prepared;
                PrepareLink(link, folder, prepared);
                CheckLink({relative, link}, prepared, kNoPage);
            }
        }
    }

    // A fragment on a page already parsed is looked up at once; one on a
    // page still to come waits for it.
    void NoteAnchor(size_t target, const LinkPlace& place, size_t fromPage,
                    const std::string& fragment) {
        // "#" and "#top" name the top of every page.
        if (fragment.empty() || fragment == "top")
            return;
        if (fromPage == kNoPage || target <= fromPage) {
            if (AnchorMissing(target, fragment))
                report_.DeadLinks.push_back(Finding(place, DeadLinkReason::MissingAnchor, false));
            return;
        }
        const PageLink& link = place.Link;
        std::string kind = link.Tag + '\0' + link.Attribute + '\0' +
                           static_cast<char>(link.Source) + static_cast<char>(link.CssImport);
        auto [it, added] = kindIndex_.try_emplace(kind, static_cast<std::uint32_t>(kinds_.size()));
        if (added)
            kinds_.push_back({"", link.Tag, link.Attribute, 0, link.Source, link.CssImport, false});
        anchorLinks_.push_back({static_cast<std::uint32_t>(target),
                                static_cast<std::uint32_t>(fromPage), link.Line, it->second,
                                link.Value});
    }

    // A page parsed in part, or not at all, may hold any anchor.
    bool AnchorMissing(size_t target, const std::string& fragment) const {
        const Page& page = pages_[target];
        return page.Whole && page.Anchors.count(fragment) == 0;
    }

    void FindMissingAnchors() {
        for (const AnchorLink& a : anchorLinks_) {
            if (!AnchorMissing(a.Target, *ClassifyLink(a.Link).Fragment))
                continue;
            PageLink link = kinds_[a.Kind];
            link.Value = a.Link;
            link.Line = a.Line;
            report_.DeadLinks.push_back(
                Finding({pages_[a.Page].Relative, link}, DeadLinkReason::MissingAnchor, false));
        }
        anchorLinks_ = {};
    }

    // Every path stays inside the root, as a browser resolves links on the
    // published site: ".." steps stop at its top, so nothing outside the
    // site folder satisfies a link or is read.
    std::string Resolve(const std::string& linkPath, const std::string& baseFolder) const {
        if (linkPath.starts_with('/'))
            return JoinLexically(root_, std::string_view(linkPath).substr(1), root_.size());
        return JoinLexically(baseFolder, linkPath, root_.size());
    }

    // Breadth first from the index page, so that each page's depth is the
    // fewest links that lead to it.
    void FindOrphans() {
        std::vector<std::uint32_t> depth(pages_.size(), kNotReached);
        std::vector<size_t> queue{0};
        depth[0] = 0;
        for (size_t next = 0; next < queue.size(); ++next) {
            size_t i = queue[next];
            for (size_t t : pages_[i].Targets) {
                if (depth[t] == kNotReached) {
                    depth[t] = depth[i] + 1;
                    queue.push_back(t);
                }
            }
        }
        // A page that went away since the scan is no orphan: its note says enough.
        for (size_t i = 0; i < pages_.size(); ++i)
            if (depth[i] == kNotReached && pages_[i].InTree && pages_[i].Readable)
                report_.OrphanPages.push_back(pages_[i].Relative);
        std::sort(report_.OrphanPages.begin(), report_.OrphanPages.end());
        if (quality_) {
            SiteFindings(qualityPages_, depth, limits_.Quality, report_.Quality);
            qualityPages_ = {};
            SortQuality(report_.Quality);
        }
    }

    void FindTitleProblems() {
        std::vector<std::string> missing, empty;
        std::unordered_map<std::string, std::vector<std::string>> byTitle;
        for (const Page& page : pages_) {
            if (!page.Readable)
                continue;
            if (!page.Title) {
                missing.push_back(page.Relative);
                continue;
            }
            std::string title = CollapseWhitespace(*page.Title);
            if (title.empty())
                empty.push_back(page.Relative);
            else
                byTitle[title].push_back(page.Relative);
        }
        std::sort(missing.begin(), missing.end());
        std::sort(empty.begin(), empty.end());
        for (std::string& page : missing)
            report_.TitleProblems.push_back({TitleProblemKind::Missing, {std::move(page)}, {}});
        for (std::string& page : empty)
            report_.TitleProblems.push_back({TitleProblemKind::Empty, {std::move(page)}, {}});
        std::vector<TitleProblem> duplicates;
        for (auto& [title, pages] : byTitle) {
            if (pages.size() < 2)
                continue;
            std::sort(pages.begin(), pages.end());
            duplicates.push_back({TitleProblemKind::Duplicate, std::move(pages), title});
        }
        std::sort(duplicates.begin(), duplicates.end(),
                  [](const TitleProblem& a, const TitleProblem& b) { return a.Pages < b.Pages; });
        for (TitleProblem& group : duplicates)
            report_.TitleProblems.push_back(std::move(group));
    }

    // Only a folder of pages, or one a link names, wants a default page:
    // folders of pictures or sources are not meant to be browsed. A folder
    // a link names counts even where the scan left it out.
    void FindFoldersWithoutDefaultPage() {
        std::unordered_set<std::string> withPages;
        for (const Page& page : pages_)
            if (page.InTree)
                withPages.insert(ExtractFilePath(page.Path));
        std::unordered_set<std::string> wanted = std::move(linkedFolders_);
        for (const std::string& folder : folders_)
            if (withPages.count(folder))
                wanted.insert(folder);
        for (const std::string& folder : wanted)
            if (LookupFolder(folder).DefaultPage.empty())
                report_.FoldersWithoutDefaultPage.push_back(Relative(folder));
        std::sort(report_.FoldersWithoutDefaultPage.begin(),
                  report_.FoldersWithoutDefaultPage.end());
    }

    const TSiteMapTree& tree_;
    LinkCheckLimits limits_;
    LinkCheckListener* listener_;
    LinkCheckListener silent_;
    std::string root_;
    std::string indexPage_;
    std::vector<Page> pages_;
    std::unordered_map<std::string, size_t> pageIndex_;
    FolderPrefixes revisited_;
    DiskCache disk_{pageIndex_, revisited_};
    std::vector<std::string> folders_;
    std::vector<AnchorLink> anchorLinks_;
    std::vector<PageLink> kinds_; // tag, attribute and source of deferred anchor links
    std::unordered_map<std::string, std::uint32_t> kindIndex_;
    std::vector<std::string> sheets_;
    std::unordered_set<std::string> sheetIndex_;
    std::unordered_set<std::string> linkedFolders_;
    CaseHints caseHints_;
    FolderPrefixes unreadable_;
    bool quality_ = false;      // any page-quality finding asked for
    bool mixedContent_ = false; // asked for, and the site is https
    std::vector<QualityPage> qualityPages_;
    LinkReport report_;
};

} // namespace

LinkReport CheckLinks(const TSiteMapTree& tree, const std::string& indexPage,
                      const LinkCheckLimits& limits, LinkCheckListener* listener,
                      const ScanFolders& folders) {
    return LinkChecker(tree, indexPage, limits, listener, folders).Run();
}

} // namespace tw
