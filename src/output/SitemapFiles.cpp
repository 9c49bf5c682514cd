#include "output/SitemapFiles.h"

#include "output/OutputGuard.h"
#include "output/SitemapSelection.h"
#include "output/SitemapURLStyle.h"
#include "support/Errors.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "support/UrlText.h"

#include <algorithm>
#include <functional>
#include <unordered_set>
#include <zlib.h>

namespace tw {

namespace {

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

} // namespace

std::string SitemapXmlFileName(const std::string& path, bool gzip) {
    return gzip && !EndsWithIgnoringCase(path, ".gz") ? path + ".gz" : path;
}

std::string SitemapPartFileName(const std::string& xmlOutput, size_t number, bool gzip) {
    return SitemapPartPrefix(xmlOutput) + std::to_string(number) + (gzip ? ".xml.gz" : ".xml");
}

std::string SitemapPartPrefix(const std::string& xmlOutput) {
    std::string name = ExtractFileName(xmlOutput);
    if (EndsWithIgnoringCase(name, ".gz"))
        name.resize(name.size() - 3);
    if (EndsWithIgnoringCase(name, ".xml"))
        name.resize(name.size() - 4);
    return ExtractFilePath(xmlOutput) + name + "-";
}

std::string SitemapOtherFormOf(const std::string& xmlOutput, bool gzip) {
    if (!gzip)
        return xmlOutput + ".gz";
    if (!EndsWithIgnoringCase(xmlOutput, ".gz"))
        return {};
    return xmlOutput.substr(0, xmlOutput.size() - 3);
}

SeenSet::SeenSet(size_t expected) {
    size_t capacity = 16;
    while (capacity < 2 * expected)
        capacity *= 2;
    slots_.assign(capacity, {});
    used_.assign(capacity, false);
}

bool SeenSet::Insert(std::string_view path) {
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

struct SitemapFile::Deflater {
    z_stream Stream{};
    // A header without a time or a name: the same sitemap gives the same bytes.
    gz_header Header{};
    std::vector<Bytef> Out = std::vector<Bytef>(1 << 16);
    bool Open = false;
    ~Deflater() {
        if (Open)
            deflateEnd(&Stream);
    }
};

template <typename Fn> void SitemapFile::Guard(Fn&& fn) {
    try {
        fn();
    } catch (const TError& e) {
        ThrowCannotCreate(path_, e);
    }
}

SitemapFile::SitemapFile(std::string path, const SitemapFileFactory& createFile, bool gzip,
                         const std::string& siteFolder)
    : path_(std::move(path)) {
    if (!siteFolder.empty())
        RefuseLinkOutOfSite(path_, siteFolder);
    Guard([&] { file_ = createFile ? createFile(path_) : std::make_unique<AtomicFile>(path_); });
    if (!gzip)
        return;
    auto zip = std::make_unique<Deflater>();
    zip->Header.os = 255;
    if (deflateInit2(&zip->Stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        throw EFCreateError(FormatText(kCannotCreateFile, {path_}));
    zip->Open = true;
    deflateSetHeader(&zip->Stream, &zip->Header);
    zip_ = std::move(zip);
}

SitemapFile::~SitemapFile() = default;

void SitemapFile::Put(std::string_view text) {
    buffer_ += text;
    if (buffer_.size() >= kFlushSize)
        Flush(false);
}

void SitemapFile::Commit() {
    Flush(true);
    Guard([&] { file_->Commit(); });
}

void SitemapFile::Flush(bool last) {
    Guard([&] {
        if (!zip_) {
            file_->Write(buffer_.data(), buffer_.size());
            return;
        }
        z_stream& zip = zip_->Stream;
        std::vector<Bytef>& zipped = zip_->Out;
        zip.next_in = reinterpret_cast<Bytef*>(buffer_.data());
        zip.avail_in = static_cast<uInt>(buffer_.size());
        do {
            zip.next_out = zipped.data();
            zip.avail_out = static_cast<uInt>(zipped.size());
            if (deflate(&zip, last ? Z_FINISH : Z_NO_FLUSH) == Z_STREAM_ERROR)
                throw TError("deflate");
            file_->Write(zipped.data(), zipped.size() - zip.avail_out);
        } while (zip.avail_out == 0);
    });
    buffer_.clear();
}

SitemapFilesWriter::SitemapFilesWriter(const TSiteMapTree& tree,
                                       const SearchSitemapOptions& options,
                                       const SitemapURLStyle& style,
                                       const SitemapSelection& selection)
    : tree_(tree), options_(options), style_(style), selection_(selection),
      base_(WithoutTrailingSlashes(options.BaseURL)),
      maxUrls_(std::max<size_t>(options.MaxUrlsPerFile, 1)),
      otherForm_(SitemapOtherFormOf(options.XmlOutput, options.Gzip)) {}

void SitemapFilesWriter::Write(SearchSitemapResult& result, const SitemapFileListener& listener,
                               const SitemapFileFactory& createFile) {
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
        xml = std::make_unique<SitemapFile>(path, createFile, options_.Gzip, options_.SiteFolder);
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
        if (!selection_.Selected(nodeIndex))
            return;
        if (inChunk == chunkSizes_[chunk]) {
            closeChunk();
            openChunk();
        }
        std::string_view relative = selection_.LinkOf(node, nodeIndex);
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
}

// A file below the site has its URL; one elsewhere is taken to be served
// from the base by its name.
std::string SitemapFilesWriter::URLOfFile(const std::string& path) const {
    std::string relative = RelativeToSiteFolder(options_.SiteFolder, path);
    return JoinSitemapURL(base_, relative.empty() ? ExtractFileName(path) : relative);
}

std::string SitemapFilesWriter::ChunkPath(size_t number) const {
    return SitemapPartFileName(options_.XmlOutput, number, options_.Gzip);
}

// Another run's files where this one wrote none. Parts are numbered from
// 1 without gaps, so each form's run of them ends at its first missing
// number.
void SitemapFilesWriter::FindLeftBehind(SearchSitemapResult& result) const {
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

// How the URLs fall into chunks, measured with the longest lastmod so that
// a chunk never outgrows the limit whatever the files' times turn out to
// be; the files can then be streamed without holding the URLs.
void SitemapFilesWriter::Measure() {
    urlsetOpen_ = "<urlset xmlns=\"" + std::string(kSitemapNamespace) + "\"";
    if (options_.Images)
        urlsetOpen_ += " xmlns:image=\"" + std::string(kImageNamespace) + "\"";
    if (selection_.AnyLanguageLinks())
        urlsetOpen_ += " xmlns:xhtml=\"" + std::string(kXhtmlNamespace) + "\"";
    urlsetOpen_ += ">\n";
    const size_t frame = kXmlDeclaration.size() + urlsetOpen_.size() + kUrlsetClose.size();
    std::string_view lastmod =
        options_.Lastmod == SitemapLastmod::None ? std::string_view() : kLongestDateTime;
    size_t inChunk = 0;
    size_t bytes = frame;
    std::string entry;
    tree_.ForEach([&](SiteMapNode& node, int index) {
        if (!selection_.Selected(index))
            return;
        entry.clear();
        AppendEntry(entry, style_.URLOf(selection_.LinkOf(node, index)), lastmod, index);
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
void SitemapFilesWriter::AppendEntry(std::string& entry, const std::string& url,
                                     std::string_view lastmod, int index) const {
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
    if (const auto* links = selection_.LanguageLinksOf(index)) {
        for (const auto& [language, href] : *links) {
            entry += "<xhtml:link rel=\"alternate\" hreflang=\"";
            entry += EscapeXmlText(language);
            entry += "\" href=\"";
            entry += EscapeXmlText(href);
            entry += "\"/>";
        }
    }
    entry += "</url>\n";
}

// The pictures that the page shows, each once, in its order.
void SitemapFilesWriter::AppendImages(std::string& entry, const std::string& url, int index) const {
    const PageFacts* facts = selection_.FactsOf(index);
    if (!facts)
        return;
    std::unordered_set<int> listed;
    for (const std::string& src : facts->Images) {
        if (listed.size() == kMaxImagesPerUrl)
            break;
        std::optional<std::string> relative = style_.RelativeOf(ResolveURL(url, src), true);
        if (!relative)
            continue;
        int file = selection_.PictureId(*relative);
        if (file == SitemapSelection::kNotAFile || !listed.insert(file).second)
            continue;
        entry += "<image:image><image:loc>";
        entry += EscapeXmlText(JoinSitemapURL(base_, *relative));
        entry += "</image:loc></image:image>";
    }
}

// The time the lastmod option asks for: the last commit of a committed
// file, else the time the scan saw, else the file's time now.
std::string SitemapFilesWriter::ModifiedTime(const TDataRec& rec, std::string_view link) const {
    if (options_.Lastmod == SitemapLastmod::None)
        return {};
    std::string relative(link);
    if (const GitFileTimes* git = selection_.Git()) {
        auto it = git->Committed.find(relative);
        if (it != git->Committed.end())
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
void SitemapFilesWriter::WriteIndex(SitemapFile& index) const {
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

} // namespace tw
