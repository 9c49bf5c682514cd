#include "output/SearchSitemaps.h"

#include "output/OutputGuard.h"
#include "output/OutputTargets.h"
#include "output/RobotsTxt.h"
#include "support/Errors.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "support/UrlText.h"

#include <algorithm>
#include <arpa/inet.h>
#include <climits>
#include <cstdio>
#include <map>
#include <unordered_map>
#include <vector>
#include <zlib.h>

namespace tw {

namespace {

constexpr size_t kMinUrlLength = 12;
constexpr size_t kMaxUrlLength = 2048;
constexpr size_t kFlushSize = 1 << 20;
constexpr size_t kMaxImagesPerUrl = 1000;

constexpr std::string_view kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
constexpr std::string_view kSitemapNamespace = "http://www.sitemaps.org/schemas/sitemap/0.9";
constexpr std::string_view kImageNamespace = "http://www.google.com/schemas/sitemap-image/1.1";
constexpr std::string_view kXhtmlNamespace = "http://www.w3.org/1999/xhtml";
constexpr std::string_view kUrlsetClose = "</urlset>\n";
constexpr std::string_view kIndexClose = "</sitemapindex>\n";
// Stands for any lastmod while the chunks are measured.
constexpr std::string_view kLongestDateTime = "0000-00-00T00:00:00Z";

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           SameTextIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           SameTextIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string_view WithoutTrailingSlashes(std::string_view url) {
    while (!url.empty() && url.back() == '/')
        url.remove_suffix(1);
    return url;
}

std::string_view WithoutLeadingSlashes(std::string_view path) {
    while (!path.empty() && path.front() == '/')
        path.remove_prefix(1);
    return path;
}

std::string_view NameOf(std::string_view relativePath) {
    size_t slash = relativePath.rfind('/');
    return slash == std::string_view::npos ? relativePath : relativePath.substr(slash + 1);
}

bool IsPictureName(std::string_view relativePath) {
    static constexpr std::string_view kPictures[] = {
        ".gif", ".jpg", ".jpeg", ".png", ".svg", ".webp", ".bmp", ".ico", ".avif", ".tif", ".tiff"};
    std::string_view name = NameOf(relativePath);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    std::string_view ext = name.substr(dot);
    return std::any_of(std::begin(kPictures), std::end(kPictures),
                       [ext](std::string_view p) { return SameTextIgnoringCase(ext, p); });
}

// The folder and the name of the XML sitemap's numbered parts up to the
// number: "/site/sitemap-" for /site/sitemap.xml and /site/sitemap.xml.gz.
std::string PartPrefix(const std::string& xmlOutput) {
    std::string name = ExtractFileName(xmlOutput);
    if (EndsWithIgnoringCase(name, ".gz"))
        name.resize(name.size() - 3);
    if (EndsWithIgnoringCase(name, ".xml"))
        name.resize(name.size() - 4);
    return ExtractFilePath(xmlOutput) + name + "-";
}

// The name the XML sitemap has in its other form, or empty when a gzip
// sitemap has a name without ".gz".
std::string OtherFormOf(const std::string& xmlOutput, bool gzip) {
    if (!gzip)
        return xmlOutput + ".gz";
    if (!EndsWithIgnoringCase(xmlOutput, ".gz"))
        return {};
    return xmlOutput.substr(0, xmlOutput.size() - 3);
}

// The usual name of the page a server shows for a missing one.
bool IsErrorPage(std::string_view relativePath) {
    std::string_view name = NameOf(relativePath);
    return SameTextIgnoringCase(name, "404.html") || SameTextIgnoringCase(name, "404.htm");
}

// Set of URLs already listed, keyed by views into the tree's own strings (a
// listed path is always a prefix of a node's link) so that a million-page
// site costs two words a page rather than a copy of each URL.
class SeenSet {
public:
    explicit SeenSet(size_t expected) {
        size_t capacity = 16;
        while (capacity < 2 * expected)
            capacity *= 2;
        slots_.assign(capacity, {});
        used_.assign(capacity, false);
    }

    // True when the path was not in the set yet.
    bool Insert(std::string_view path) {
        size_t mask = slots_.size() - 1;
        size_t i = std::hash<std::string_view>{}(path)&mask;
        while (used_[i]) {
            if (slots_[i] == path)
                return false;
            i = (i + 1) & mask;
        }
        slots_[i] = path;
        used_[i] = true;
        return true;
    }

private:
    std::vector<std::string_view> slots_;
    std::vector<bool> used_;
};

// One output file: a buffer in front of an atomic file, gzip-compressed when
// asked, every failure reported as the file that could not be created.
class SitemapFile {
public:
    SitemapFile(std::string path, const SitemapFileFactory& createFile, bool gzip,
                const std::string& siteFolder)
        : path_(std::move(path)), gzip_(gzip) {
        if (!siteFolder.empty())
            RefuseLinkOutOfSite(path_, siteFolder);
        Guard(
            [&] { file_ = createFile ? createFile(path_) : std::make_unique<AtomicFile>(path_); });
        if (!gzip_)
            return;
        // A header without a time or a name: the same sitemap gives the same bytes.
        header_.os = 255;
        if (deflateInit2(&zip_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8,
                         Z_DEFAULT_STRATEGY) != Z_OK)
            throw EFCreateError(FormatText(kCannotCreateFile, {path_}));
        zipOpen_ = true;
        deflateSetHeader(&zip_, &header_);
        zipped_.resize(1 << 16);
    }
    ~SitemapFile() {
        if (zipOpen_)
            deflateEnd(&zip_);
    }
    SitemapFile(const SitemapFile&) = delete;
    SitemapFile& operator=(const SitemapFile&) = delete;

    void Put(std::string_view text) {
        buffer_ += text;
        if (buffer_.size() >= kFlushSize)
            Flush(false);
    }

    void Commit() {
        Flush(true);
        Guard([&] { file_->Commit(); });
    }

    const std::string& Path() const { return path_; }

private:
    void Flush(bool last) {
        Guard([&] {
            if (!gzip_) {
                file_->Write(buffer_.data(), buffer_.size());
                return;
            }
            zip_.next_in = reinterpret_cast<Bytef*>(buffer_.data());
            zip_.avail_in = static_cast<uInt>(buffer_.size());
            do {
                zip_.next_out = zipped_.data();
                zip_.avail_out = static_cast<uInt>(zipped_.size());
                if (deflate(&zip_, last ? Z_FINISH : Z_NO_FLUSH) == Z_STREAM_ERROR)
                    throw TError("deflate");
                file_->Write(zipped_.data(), zipped_.size() - zip_.avail_out);
            } while (zip_.avail_out == 0);
        });
        buffer_.clear();
    }

    template <typename Fn> void Guard(Fn&& fn) {
        try {
            fn();
        } catch (const TError& e) {
            ThrowCannotCreate(path_, e);
        }
    }

    std::string path_;
    std::unique_ptr<AtomicFile> file_;
    std::string buffer_;
    bool gzip_;
    bool zipOpen_ = false;
    z_stream zip_{};
    gz_header header_{};
    std::vector<Bytef> zipped_;
};

class SitemapRun {
public:
    SitemapRun(const TSiteMapTree& tree, const SearchSitemapOptions& options)
        : tree_(tree), options_(options), style_(tree, options),
          base_(WithoutTrailingSlashes(options.BaseURL)),
          maxUrls_(std::max<size_t>(options.MaxUrlsPerFile, 1)) {
        const std::string& output = options.XmlOutput;
        otherForm_ = OtherFormOf(output, options.Gzip);
        ownXml_ = RelativeToSite(output);
        ownOtherXml_ = RelativeToSite(otherForm_);
        ownText_ = RelativeToSite(options.TextOutput);
        ownChunkPrefix_ = RelativeToSite(PartPrefix(output));
        if (!options.SiteMapPage.empty())
            for (const char* image : kItemImages)
                itemImages_.push_back(RelativeToSite(ExtractFilePath(options.SiteMapPage) + image));
    }

    SearchSitemapResult Run(const SitemapFileListener& listener,
                            const SitemapFileFactory& createFile) {
        SearchSitemapResult result;
        ReadSiteRules(result);
        ResolveEditedLinks(result);
        Survey();
        Select(result);
        CountDeleted(result);
        GroupLanguages();
        Measure();
        result.XmlFiles = chunkSizes_.size();
        result.XmlURL = URLOfFile(options_.XmlOutput);

        // The files named by the caller are opened first, so that one that
        // cannot be made stops the run before any other file is replaced.
        bool split = chunkSizes_.size() > 1;
        std::unique_ptr<SitemapFile> index;
        if (split)
            index = std::make_unique<SitemapFile>(options_.XmlOutput, createFile, options_.Gzip,
                                                  options_.SiteFolder);
        std::unique_ptr<SitemapFile> text;
        if (!options_.TextOutput.empty())
            text = std::make_unique<SitemapFile>(options_.TextOutput, createFile, false,
                                                 options_.SiteFolder);

        size_t chunk = 0;
        size_t inChunk = 0;
        std::unique_ptr<SitemapFile> xml;
        auto openChunk = [&] {
            std::string path = split ? ChunkPath(chunk + 1) : options_.XmlOutput;
            xml =
                std::make_unique<SitemapFile>(path, createFile, options_.Gzip, options_.SiteFolder);
            xml->Put(kXmlDeclaration);
            xml->Put(urlsetOpen_);
            chunkLastmods_.emplace_back();
        };
        auto closeChunk = [&] {
            xml->Put(kUrlsetClose);
            xml->Commit();
            if (listener)
                listener({SitemapFileKind::XmlSitemap, xml->Path(), chunkSizes_[chunk]});
            xml.reset();
            ++chunk;
            inChunk = 0;
        };

        openChunk();
        std::string url;
        std::string entry;
        tree_.ForEach([&](SiteMapNode& node, int nodeIndex) {
            if (!selected_[static_cast<size_t>(nodeIndex)])
                return;
            if (inChunk == chunkSizes_[chunk]) {
                closeChunk();
                openChunk();
            }
            std::string_view relative = LinkOf(node, nodeIndex);
            url = style_.URLOf(relative);
            std::string modified = ModifiedTime(node.Data, relative);
            chunkLastmods_.back() = std::max(chunkLastmods_.back(), modified);
            entry.clear();
            AppendEntry(entry, url, modified, nodeIndex);
            xml->Put(entry);
            ++inChunk;
            if (text) {
                url += '\n';
                text->Put(url);
            }
        });
        closeChunk();

        if (index) {
            WriteIndex(*index);
            if (listener)
                listener({SitemapFileKind::XmlIndex, index->Path(), chunkSizes_.size()});
        }
        if (text) {
            text->Commit();
            if (listener)
                listener({SitemapFileKind::Text, text->Path(), result.Urls});
        }
        FindLeftBehind(result);
        return result;
    }

private:
    // The path below the site folder, "/" separated, or empty when Path lies
    // elsewhere.
    std::string RelativeToSite(const std::string& path) const {
        const std::string& site = options_.SiteFolder;
        if (path.empty() || site.empty() || path.size() <= site.size() ||
            path.compare(0, site.size(), site) != 0)
            return {};
        std::string relative = path.substr(site.size());
        if constexpr (kPathDelim != '/')
            std::replace(relative.begin(), relative.end(), kPathDelim, '/');
        return relative;
    }

    // A file below the site has its URL; one elsewhere is taken to be
    // served from the base by its name.
    std::string URLOfFile(const std::string& path) const {
        std::string relative = RelativeToSite(path);
        return JoinSitemapURL(base_, relative.empty() ? ExtractFileName(path) : relative);
    }

    std::string ChunkPath(size_t number) const {
        return SitemapPartFileName(options_.XmlOutput, number, options_.Gzip);
    }

    // Another run's files where this one wrote none. Parts are numbered from
    // 1 without gaps, so each form's run of them ends at its first missing
    // number.
    void FindLeftBehind(SearchSitemapResult& result) const {
        auto note = [&](const std::string& path) {
            if (path == options_.TextOutput || path == options_.SiteMapPage || !FileExists(path))
                return false;
            result.LeftBehind.push_back(path);
            return true;
        };
        if (!otherForm_.empty()) {
            result.OtherFormURL = URLOfFile(otherForm_);
            note(otherForm_);
        }
        const bool gzip = options_.Gzip;
        for (size_t n = chunkSizes_.size() > 1 ? chunkSizes_.size() + 1 : 1;
             note(SitemapPartFileName(options_.XmlOutput, n, gzip)); ++n) {
        }
        for (size_t n = 1; note(SitemapPartFileName(options_.XmlOutput, n, !gzip)); ++n) {
        }
    }

    // A sitemap must not list itself, its chunks or the text sitemap: they
    // turn up in the tree when their type is scanned.
    bool IsOwnFile(std::string_view relative) const {
        if (relative == ownXml_ || relative == ownText_ ||
            (!ownOtherXml_.empty() && relative == ownOtherXml_))
            return true;
        std::string_view ext = relative.ends_with(".xml.gz") ? ".xml.gz" : ".xml";
        if (ownChunkPrefix_.empty() || relative.size() <= ownChunkPrefix_.size() + ext.size() ||
            !relative.starts_with(ownChunkPrefix_) || !relative.ends_with(ext))
            return false;
        std::string_view digits = relative.substr(
            ownChunkPrefix_.size(), relative.size() - ownChunkPrefix_.size() - ext.size());
        return std::all_of(digits.begin(), digits.end(),
                           [](char c) { return c >= '0' && c <= '9'; });
    }

    // Files that are never pages of the site, whatever the file types.
    bool IsNeverListed(std::string_view relative) const {
        return IsOwnFile(relative) || SameTextIgnoringCase(NameOf(relative), "robots.txt") ||
               std::find(itemImages_.begin(), itemImages_.end(), relative) != itemImages_.end();
    }

    // The host's robots.txt and the git times.
    void ReadSiteRules(SearchSitemapResult& result) {
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
    void ResolveEditedLinks(SearchSitemapResult& result) {
        const std::string folderURL = base_.empty() ? std::string() : std::string(base_) + "/";
        tree_.ForEach([&](SiteMapNode& node, int index) {
            if (!node.Data.LinkURLEdited)
                return;
            std::optional<std::string> relative;
            if (!node.Data.LinkURL.empty() && !folderURL.empty())
                relative = style_.RelativeOf(ResolveURL(folderURL, node.Data.LinkURL));
            if (!relative)
                LeaveOut(result.OutsideBase, RelativeToSite(node.Data.FilePath));
            edited_.emplace(index, relative.value_or(std::string()));
        });
    }

    // The path below the site folder a node's link names; empty for none.
    std::string_view LinkOf(const SiteMapNode& node, int index) const {
        if (!edited_.empty() && node.Data.LinkURLEdited)
            if (auto it = edited_.find(index); it != edited_.end())
                return it->second;
        return WithoutLeadingSlashes(node.Data.LinkURL);
    }

    // What the rules need of the whole tree: each folder's default page node,
    // whose facts the folder's URL goes by, and the files pictures may name.
    void Survey() {
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
    const PageFacts* FactsOf(int index) const {
        auto it = defaultPageNode_.find(index);
        int page = it == defaultPageNode_.end() ? index : it->second;
        if (options_.FactsOf)
            return options_.FactsOf(page);
        return nodes_[static_cast<size_t>(page)]->Data.Facts.get();
    }

    static void LeaveOut(SitemapLeftOut& rule, std::string_view page) {
        if (rule.Count++ == 0)
            rule.Example = page;
    }

    // Decides which nodes give a URL, each URL once, and counts each page
    // left out under the rule that left it out.
    void Select(SearchSitemapResult& result) {
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
    void TakeAlternates(const PageFacts& facts, int index, std::string_view relative,
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
    SitemapLeftOut* RuleOfFacts(const PageFacts& facts, std::string_view relative,
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
    void CountDeleted(SearchSitemapResult& result) const {
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
    void GroupLanguages() {
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

    // How the URLs fall into chunks, measured with the longest lastmod so that
    // a chunk never outgrows the limit whatever the files' times turn out to
    // be; the files can then be streamed without holding the URLs.
    void Measure() {
        urlsetOpen_ = "<urlset xmlns=\"" + std::string(kSitemapNamespace) + "\"";
        if (options_.Images)
            urlsetOpen_ += " xmlns:image=\"" + std::string(kImageNamespace) + "\"";
        if (!alternates_.empty())
            urlsetOpen_ += " xmlns:xhtml=\"" + std::string(kXhtmlNamespace) + "\"";
        urlsetOpen_ += ">\n";
        const size_t frame = kXmlDeclaration.size() + urlsetOpen_.size() + kUrlsetClose.size();
        std::string_view lastmod =
            options_.Lastmod == SitemapLastmod::None ? std::string_view() : kLongestDateTime;
        size_t inChunk = 0;
        size_t bytes = frame;
        std::string entry;
        tree_.ForEach([&](SiteMapNode& node, int index) {
            if (!selected_[static_cast<size_t>(index)])
                return;
            entry.clear();
            AppendEntry(entry, style_.URLOf(LinkOf(node, index)), lastmod, index);
            if (inChunk > 0 &&
                (inChunk == maxUrls_ || bytes + entry.size() > options_.MaxBytesPerFile)) {
                chunkSizes_.push_back(inChunk);
                inChunk = 0;
                bytes = frame;
            }
            ++inChunk;
            bytes += entry.size();
        });
        chunkSizes_.push_back(inChunk);
    }

    // One <url> element of the node listed as Url.
    void AppendEntry(std::string& entry, const std::string& url, std::string_view lastmod,
                     int index) const {
        entry += "<url><loc>";
        entry += EscapeXmlText(url);
        entry += "</loc>";
        if (!lastmod.empty()) {
            entry += "<lastmod>";
            entry += lastmod;
            entry += "</lastmod>";
        }
        if (options_.Images)
            AppendImages(entry, url, index);
        if (auto it = alternates_.find(index); it != alternates_.end()) {
            for (const auto& [language, href] : it->second.Links) {
                entry += "<xhtml:link rel=\"alternate\" hreflang=\"";
                entry += EscapeXmlText(language);
                entry += "\" href=\"";
                entry += EscapeXmlText(href);
                entry += "\"/>";
            }
        }
        entry += "</url>\n";
    }

    static constexpr int kNotAFile = INT_MIN;

    // A number for each file a page may show: a node's index for the tree's
    // files, a negative one for other files of the site, asked for once.
    int PictureId(const std::string& relative) const {
        if (auto node = files_.find(relative); node != files_.end())
            return node->second;
        auto [it, added] = otherFiles_.try_emplace(relative, kNotAFile);
        if (added && options_.IsSiteFile && options_.IsSiteFile(relative))
            it->second = -static_cast<int>(otherFiles_.size());
        return it->second;
    }

    // The pictures that the page shows, each once, in its order.
    void AppendImages(std::string& entry, const std::string& url, int index) const {
        const PageFacts* facts = FactsOf(index);
        if (!facts)
            return;
        std::unordered_set<int> listed;
        for (const std::string& src : facts->Images) {
            if (listed.size() == kMaxImagesPerUrl)
                break;
            std::optional<std::string> relative = style_.RelativeOf(ResolveURL(url, src), true);
            if (!relative)
                continue;
            int file = PictureId(*relative);
            if (file == kNotAFile || !listed.insert(file).second)
                continue;
            entry += "<image:image><image:loc>";
            entry += EscapeXmlText(JoinSitemapURL(base_, *relative));
            entry += "</image:loc></image:image>";
        }
    }

    // The time the lastmod option asks for: the last commit of a committed
    // file, else the time the scan saw, else the file's time now.
    std::string ModifiedTime(const TDataRec& rec, std::string_view link) const {
        if (options_.Lastmod == SitemapLastmod::None)
            return {};
        std::string relative(link);
        if (git_) {
            auto it = git_->Committed.find(relative);
            if (it != git_->Committed.end())
                return W3CDateTime(static_cast<std::time_t>(it->second));
        }
        // The scan's time is the scanned file's, not that of a page the user
        // pointed the link to.
        if (rec.Modified != kUnknownTime && !rec.LinkURLEdited)
            return W3CDateTime(static_cast<std::time_t>(rec.Modified));
        std::string path = options_.SiteFolder + relative;
        if constexpr (kPathDelim != '/')
            std::replace(path.begin(), path.end(), '/', kPathDelim);
        const PathStatus status = StatusOf(path);
        // A file gone since the scan keeps its URL; only the time is unknown.
        if (status.Kind == PathKind::Missing)
            return {};
        return W3CDateTime(static_cast<std::time_t>(status.Modified));
    }

    // Each chunk's lastmod is its newest URL's, so that the same site gives
    // the same index.
    void WriteIndex(SitemapFile& index) const {
        index.Put(kXmlDeclaration);
        index.Put("<sitemapindex xmlns=\"" + std::string(kSitemapNamespace) + "\">\n");
        for (size_t number = 1; number <= chunkSizes_.size(); ++number) {
            std::string entry = "<sitemap><loc>" + EscapeXmlText(URLOfFile(ChunkPath(number)));
            const std::string& lastmod = chunkLastmods_[number - 1];
            entry += lastmod.empty() ? "</loc></sitemap>\n"
                                     : "</loc><lastmod>" + lastmod + "</lastmod></sitemap>\n";
            index.Put(entry);
        }
        index.Put(kIndexClose);
        index.Commit();
    }

    const TSiteMapTree& tree_;
    const SearchSitemapOptions& options_;
    SitemapURLStyle style_;
    std::string_view base_;
    size_t maxUrls_;
    std::string otherForm_;
    std::string ownXml_;
    std::string ownOtherXml_;
    std::string ownText_;
    std::string ownChunkPrefix_;
    std::vector<std::string> itemImages_;
    mutable std::unordered_map<std::string, int> otherFiles_;
    RobotsRules robots_;
    std::shared_ptr<const GitFileTimes> git_;
    std::vector<const SiteMapNode*> nodes_;           // by absolute index, without FactsOf
    std::unordered_map<int, int> defaultPageNode_;    // folder -> its default page's node
    std::unordered_map<int, std::string> edited_;     // node -> its edited link's path
    std::unordered_map<std::string_view, int> files_; // file link -> node
    struct LanguageLinks {
        std::string Url;                                        // the page's own
        std::vector<std::pair<std::string, std::string>> Links; // hreflang, absolute URL
    };
    std::map<int, LanguageLinks> alternates_; // by node
    std::string urlsetOpen_;
    std::vector<bool> selected_;             // by absolute index
    std::vector<size_t> chunkSizes_;         // URLs of each chunk, in order
    std::vector<std::string> chunkLastmods_; // the newest lastmod of each chunk
};

} // namespace

std::string SitemapBaseURLError(std::string_view url) {
    std::string quoted = "\"" + std::string(url) + "\"";
    std::string_view rest;
    if (StartsWithIgnoringCase(url, "http://"))
        rest = url.substr(7);
    else if (StartsWithIgnoringCase(url, "https://"))
        rest = url.substr(8);
    else
        return "the base URL must be an absolute http:// or https:// URL, got " + quoted;
    if (url.find_first_of("?#") != std::string_view::npos)
        return "the base URL may not have a query or a fragment: " + quoted;
    size_t authorityEnd = std::min(rest.find('/'), rest.size());
    std::string_view authority = rest.substr(0, authorityEnd);
    std::string_view path = rest.substr(authorityEnd);
    for (size_t i = 0; i < url.size(); ++i)
        if (UrlByteNeedsEscape(url, i))
            return "the base URL contains a character that a URL may not hold as it is: " + quoted;
    if (path.find_first_of("[]") != std::string_view::npos)
        return "the base URL contains a character that a URL may not hold as it is: " + quoted;
    std::optional<HostAndPort> hostPort =
        SplitHostPort(authority.substr(std::min(authority.rfind('@') + 1, authority.size())));
    if (!hostPort || (!hostPort->Host.starts_with('[') &&
                      hostPort->Host.find_first_of("[]") != std::string_view::npos))
        return "the base URL has no valid host: " + quoted;
    auto [host, port] = *hostPort;
    if (host.empty() || host == "[]")
        return "the base URL has no host: " + quoted;
    if (!std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return "the base URL has no valid port: " + quoted;
    return {};
}

std::string JoinSitemapURL(std::string_view baseURL, std::string_view relativePath) {
    std::string_view base = WithoutTrailingSlashes(baseURL);
    std::string_view relative = WithoutLeadingSlashes(relativePath);
    std::string url;
    url.reserve(base.size() + 1 + EncodedUrlPathLength(relative));
    url += base;
    url += '/';
    url += EncodeUrlPath(relative);
    return url;
}

bool SitemapBaseIsHostRoot(std::string_view baseURL) {
    return WithoutTrailingSlashes(SplitURL(baseURL).Path).empty();
}

namespace {

template <typename Pred> bool AllOf(std::string_view text, Pred pred) {
    return std::all_of(text.begin(), text.end(), pred);
}

// A DNS name of letters, digits and hyphens, or an IPv4 address when its
// last label is numeric.
bool IsHostName(std::string_view host) {
    if (host.empty() || host.size() > 253)
        return false;
    std::string_view label;
    for (size_t start = 0;;) {
        size_t dot = host.find('.', start);
        label = host.substr(start, dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-' ||
            !AllOf(label, [](char c) { return IsAsciiAlnum(c) || c == '-'; }))
            return false;
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    if (!AllOf(label, IsAsciiDigit))
        return true;
    in_addr v4{};
    return inet_pton(AF_INET, std::string(host).c_str(), &v4) == 1;
}

// The tags RFC 5646 keeps for history that its syntax does not cover.
constexpr std::string_view kIrregularLanguageTags[] = {
    "en-GB-oed", "i-ami", "i-bnn",     "i-default", "i-enochian", "i-hak",
    "i-klingon", "i-lux", "i-mingo",   "i-navajo",  "i-pwn",      "i-tao",
    "i-tay",     "i-tsu", "sgn-BE-FR", "sgn-BE-NL", "sgn-CH-DE"};

} // namespace

bool IsSitemapLanguageTag(std::string_view tag) {
    if (SameTextIgnoringCase(tag, "x-default"))
        return true;
    for (std::string_view irregular : kIrregularLanguageTags)
        if (SameTextIgnoringCase(tag, irregular))
            return true;
    std::vector<std::string_view> subtags;
    for (size_t start = 0;;) {
        size_t dash = tag.find('-', start);
        std::string_view subtag = tag.substr(start, dash - start);
        if (subtag.empty() || subtag.size() > 8 || !AllOf(subtag, IsAsciiAlnum))
            return false;
        subtags.push_back(subtag);
        if (dash == std::string_view::npos)
            break;
        start = dash + 1;
    }
    size_t i = 0;
    const size_t n = subtags.size();
    auto alpha = [&](size_t min, size_t max) {
        return i < n && subtags[i].size() >= min && subtags[i].size() <= max &&
               AllOf(subtags[i], IsAsciiAlpha);
    };
    // privateuse = "x" 1*("-" (1*8alphanum))
    // A private use part takes the rest of the tag.
    auto privateUse = [&] { return i + 1 < n && SameTextIgnoringCase(subtags[i], "x"); };
    if (privateUse())
        return true;
    // language = 2*3ALPHA ["-" extlang] / 4ALPHA / 5*8ALPHA
    if (alpha(2, 3)) {
        ++i;
        for (int extlang = 0; extlang < 3 && alpha(3, 3); ++extlang)
            ++i;
    } else if (alpha(4, 8)) {
        ++i;
    } else {
        return false;
    }
    if (alpha(4, 4)) // script
        ++i;
    if (alpha(2, 2) || (i < n && subtags[i].size() == 3 && AllOf(subtags[i], IsAsciiDigit)))
        ++i; // region
    // variant = 5*8alphanum / (DIGIT 3alphanum)
    while (i < n &&
           (subtags[i].size() >= 5 || (subtags[i].size() == 4 && IsAsciiDigit(subtags[i].front()))))
        ++i;
    // extension = singleton 1*("-" (2*8alphanum))
    while (i < n && subtags[i].size() == 1 && !SameTextIgnoringCase(subtags[i], "x")) {
        size_t first = ++i;
        while (i < n && subtags[i].size() >= 2)
            ++i;
        if (i == first)
            return false;
    }
    return i == n || privateUse();
}

std::optional<std::string> SitemapWebURL(std::string_view url) {
    URLParts parts = SplitURL(url);
    std::string scheme = AsciiLowerCase(parts.Scheme);
    if (!parts.HasScheme || !parts.HasAuthority || (scheme != "http" && scheme != "https") ||
        parts.Authority.find('@') != std::string_view::npos)
        return std::nullopt;
    std::optional<HostAndPort> hostPort = SplitHostPort(parts.Authority);
    if (!hostPort)
        return std::nullopt;
    auto [host, port] = *hostPort;
    if (host.starts_with('[')) {
        in6_addr v6{};
        if (inet_pton(AF_INET6, std::string(host.substr(1, host.size() - 2)).c_str(), &v6) != 1)
            return std::nullopt;
    } else if (!IsHostName(host)) {
        return std::nullopt;
    }
    unsigned number = 0;
    if (port.size() > 5 || !AllOf(port, IsAsciiDigit))
        return std::nullopt;
    for (char c : port)
        number = number * 10 + static_cast<unsigned>(c - '0');
    if (!port.empty() && (number == 0 || number > 65535))
        return std::nullopt;
    std::string out = scheme + "://" + AsciiLowerCase(host);
    if (!port.empty() && number != (scheme == "https" ? 443u : 80u))
        out += ":" + std::to_string(number);
    AppendUrlBytes(out, parts.Path.empty() ? std::string_view("/") : parts.Path);
    if (parts.HasQuery) {
        out += '?';
        AppendUrlBytes(out, parts.Query);
    }
    return out;
}

SitemapURLStyle::SitemapURLStyle(const TSiteMapTree& tree, const SearchSitemapOptions& options)
    : base_(WithoutTrailingSlashes(options.BaseURL)), clean_(options.CleanURLs) {
    tree.ForEach([this](SiteMapNode& node, int) {
        std::string_view page = WithoutLeadingSlashes(node.Data.LinkURL);
        if (node.IsFolderNode() && !page.empty() && !node.Data.LinkURLEdited)
            defaultPages_.insert(page);
    });
}

std::string_view SitemapURLStyle::PathOf(std::string_view relativePath) const {
    std::string_view path = WithoutLeadingSlashes(relativePath);
    if (defaultPages_.count(path) != 0)
        return path.substr(0, path.rfind('/') + 1);
    if (clean_) {
        std::string_view name = NameOf(path);
        for (std::string_view ext : {".html", ".htm"})
            if (name.size() > ext.size() && EndsWithIgnoringCase(name, ext))
                return path.substr(0, path.size() - ext.size());
    }
    return path;
}

std::string SitemapURLStyle::URLOf(std::string_view relativePath) const {
    return JoinSitemapURL(base_, PathOf(relativePath));
}

std::optional<std::string> SitemapURLStyle::RelativeOf(std::string_view absoluteURL,
                                                       bool anyQuery) const {
    URLParts url = SplitURL(absoluteURL);
    URLParts base = SplitURL(base_);
    if (!url.HasScheme || !url.HasAuthority || (url.HasQuery && !anyQuery) ||
        OriginOf(url) != OriginOf(base))
        return std::nullopt;
    std::string_view basePath = WithoutTrailingSlashes(base.Path);
    std::string_view path = url.Path.empty() ? std::string_view("/") : url.Path;
    if (path.size() <= basePath.size() || !path.starts_with(basePath) ||
        path[basePath.size()] != '/')
        return std::nullopt;
    return PercentDecoded(path.substr(basePath.size() + 1));
}

std::string SitemapURLStyle::Styled(std::string_view absoluteURL) const {
    if (std::optional<std::string> relative = RelativeOf(absoluteURL))
        return URLOf(*relative);
    URLParts url = SplitURL(absoluteURL);
    if (!url.HasScheme || !url.HasAuthority)
        return std::string(absoluteURL);
    std::string styled = OriginOf(url) + std::string(url.Path.empty() ? "/" : url.Path);
    if (url.HasQuery)
        styled += "?" + std::string(url.Query);
    return styled;
}

std::string W3CDateTime(std::time_t time) {
    std::tm tm{};
    if (!gmtime_r(&time, &tm))
        return {};
    long long year = static_cast<long long>(tm.tm_year) + 1900;
    if (year < 0 || year > 9999)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02dZ", year, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

std::string SitemapXmlFileName(const std::string& path, bool gzip) {
    return gzip && !EndsWithIgnoringCase(path, ".gz") ? path + ".gz" : path;
}

std::string SitemapPartFileName(const std::string& xmlOutput, size_t number, bool gzip) {
    return PartPrefix(xmlOutput) + std::to_string(number) + (gzip ? ".xml.gz" : ".xml");
}

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
           "\"): an alternate needs a language tag and an http or https URL with a valid host "
           "and port";
}

SearchSitemapResult WriteSearchSitemaps(const TSiteMapTree& tree,
                                        const SearchSitemapOptions& options,
                                        const SitemapFileListener& listener,
                                        const SitemapFileFactory& createFile) {
    std::string error = SitemapBaseURLError(options.BaseURL);
    if (!error.empty())
        throw TError(error);
    SitemapRun run(tree, options);
    return run.Run(listener, createFile);
}

} // namespace tw
