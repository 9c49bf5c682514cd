#include "output/SearchSitemaps.h"

#include "support/Errors.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sys/stat.h>
#include <vector>

namespace tw {

namespace {

constexpr size_t kMinUrlLength = 12;
constexpr size_t kMaxUrlLength = 2048;
constexpr size_t kFlushSize = 1 << 20;

constexpr std::string_view kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
constexpr std::string_view kUrlsetOpen =
    "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
constexpr std::string_view kUrlsetClose = "</urlset>\n";
constexpr std::string_view kIndexOpen =
    "<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
constexpr std::string_view kIndexClose = "</sitemapindex>\n";
constexpr std::string_view kUrlOpen = "<url><loc>";
constexpr std::string_view kLastmodOpen = "</loc><lastmod>";
constexpr std::string_view kUrlClose = "</lastmod></url>\n";
constexpr size_t kDateTimeLength = 20; // 2024-05-01T12:00:00Z

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

size_t EncodedLength(std::string_view path) {
    size_t n = 0;
    for (char ch : path)
        n += IsUnreserved(static_cast<unsigned char>(ch)) || ch == '/' ? 1 : 3;
    return n;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           SameTextIgnoringCase(text.substr(0, prefix.size()), prefix);
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

bool IsPictureName(std::string_view relativePath) {
    static constexpr std::string_view kPictures[] = {
        ".gif", ".jpg", ".jpeg", ".png", ".svg", ".webp", ".bmp", ".ico", ".avif", ".tif", ".tiff"};
    size_t slash = relativePath.rfind('/');
    std::string_view name =
        slash == std::string_view::npos ? relativePath : relativePath.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    std::string_view ext = name.substr(dot);
    return std::any_of(std::begin(kPictures), std::end(kPictures),
                       [ext](std::string_view p) { return SameTextIgnoringCase(ext, p); });
}

// Set of URLs already listed, keyed by the tree's own strings so that a
// million-page site costs two pointers a page rather than a copy of each URL.
class SeenSet {
public:
    explicit SeenSet(size_t expected) {
        size_t capacity = 16;
        while (capacity < 2 * expected)
            capacity *= 2;
        slots_.assign(capacity, nullptr);
    }

    // True when the URL was not in the set yet.
    bool Insert(const std::string* url) {
        size_t mask = slots_.size() - 1;
        size_t i = std::hash<std::string_view>{}(*url) & mask;
        while (slots_[i]) {
            if (*slots_[i] == *url)
                return false;
            i = (i + 1) & mask;
        }
        slots_[i] = url;
        return true;
    }

private:
    std::vector<const std::string*> slots_;
};

// One output file: a buffer in front of an atomic file, every failure
// reported as the file that could not be created.
class SitemapFile {
public:
    SitemapFile(std::string path, const SitemapFileFactory& createFile) : path_(std::move(path)) {
        Guard(
            [&] { file_ = createFile ? createFile(path_) : std::make_unique<AtomicFile>(path_); });
    }

    void Put(std::string_view text) {
        buffer_ += text;
        if (buffer_.size() >= kFlushSize)
            Flush();
    }

    void Commit() {
        Flush();
        Guard([&] { file_->Commit(); });
    }

    const std::string& Path() const { return path_; }

private:
    void Flush() {
        Guard([&] { file_->Write(buffer_.data(), buffer_.size()); });
        buffer_.clear();
    }

    template <typename Fn> void Guard(Fn&& fn) {
        try {
            fn();
        } catch (const TError&) {
            throw EFCreateError(FormatText(kCannotCreateFile, {path_}));
        }
    }

    std::string path_;
    std::unique_ptr<AtomicFile> file_;
    std::string buffer_;
};

class SitemapRun {
public:
    SitemapRun(const TSiteMapTree& tree, const SearchSitemapOptions& options)
        : tree_(tree), options_(options), base_(WithoutTrailingSlashes(options.BaseURL)),
          baseXmlLength_(EscapeXmlText(base_).size()),
          maxUrls_(std::max<size_t>(options.MaxUrlsPerFile, 1)) {
        std::string output = options.XmlOutput;
        folder_ = ExtractFilePath(output);
        std::string name = ExtractFileName(output);
        if (name.size() > 4 && SameTextIgnoringCase(name.substr(name.size() - 4), ".xml"))
            name.resize(name.size() - 4);
        stem_ = name;
        ownXml_ = RelativeToSite(output);
        ownText_ = RelativeToSite(options.TextOutput);
        ownChunkPrefix_ = RelativeToSite(folder_ + stem_ + "-");
    }

    SearchSitemapResult Run(const SitemapFileListener& listener,
                            const SitemapFileFactory& createFile) {
        SearchSitemapResult result;
        Select(result);
        result.XmlFiles = chunkSizes_.size();

        // The files named by the caller are opened first, so that one that
        // cannot be made stops the run before any other file is replaced.
        bool split = chunkSizes_.size() > 1;
        std::unique_ptr<SitemapFile> index;
        if (split)
            index = std::make_unique<SitemapFile>(options_.XmlOutput, createFile);
        std::unique_ptr<SitemapFile> text;
        if (!options_.TextOutput.empty())
            text = std::make_unique<SitemapFile>(options_.TextOutput, createFile);

        size_t chunk = 0;
        size_t inChunk = 0;
        std::unique_ptr<SitemapFile> xml;
        auto openChunk = [&] {
            std::string path = split ? ChunkPath(chunk + 1) : options_.XmlOutput;
            xml = std::make_unique<SitemapFile>(path, createFile);
            xml->Put(kXmlDeclaration);
            xml->Put(kUrlsetOpen);
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
            const std::string& relative = node.Data.LinkURL;
            url = JoinSitemapURL(base_, relative);
            entry.assign(kUrlOpen);
            entry += EscapeXmlText(url);
            std::string modified = ModifiedTime(node.Data);
            if (modified.empty()) {
                entry += "</loc></url>\n";
            } else {
                entry += kLastmodOpen;
                entry += modified;
                entry += kUrlClose;
            }
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

    std::string ChunkPath(size_t number) const {
        return folder_ + stem_ + "-" + std::to_string(number) + ".xml";
    }

    // A sitemap must not list itself, its chunks or the text sitemap: they
    // turn up in the tree when their type is scanned.
    bool IsOwnFile(const std::string& relative) const {
        if (relative == ownXml_ || relative == ownText_)
            return true;
        if (ownChunkPrefix_.empty() || relative.size() <= ownChunkPrefix_.size() + 4 ||
            relative.compare(0, ownChunkPrefix_.size(), ownChunkPrefix_) != 0 ||
            !relative.ends_with(".xml"))
            return false;
        std::string_view digits(relative);
        digits = digits.substr(ownChunkPrefix_.size(), digits.size() - ownChunkPrefix_.size() - 4);
        return std::all_of(digits.begin(), digits.end(),
                           [](char c) { return c >= '0' && c <= '9'; });
    }

    // Decides which nodes give a URL and how the URLs fall into chunks, so
    // that the files can then be streamed without holding the URLs.
    void Select(SearchSitemapResult& result) {
        selected_.assign(static_cast<size_t>(tree_.Count()), false);
        SeenSet seen(static_cast<size_t>(tree_.Count()));
        const size_t frame = kXmlDeclaration.size() + kUrlsetOpen.size() + kUrlsetClose.size();
        // Reckoned with a lastmod for every URL, so a chunk never outgrows the
        // limit whatever the files' times turn out to be.
        const size_t entryFrame =
            kUrlOpen.size() + kLastmodOpen.size() + kDateTimeLength + kUrlClose.size();
        size_t inChunk = 0;
        size_t bytes = frame;
        tree_.ForEach([&](SiteMapNode& node, int index) {
            const std::string& relative = node.Data.LinkURL;
            // A folder's link is its default page; without one it lists nothing.
            if (WithoutLeadingSlashes(relative).empty())
                return;
            if (!options_.IncludePictures && IsPictureName(relative))
                return;
            if (IsOwnFile(relative))
                return;
            size_t encoded = EncodedLength(WithoutLeadingSlashes(relative));
            size_t length = base_.size() + 1 + encoded;
            if (length < kMinUrlLength || length > kMaxUrlLength) {
                if (seen.Insert(&relative))
                    ++result.BadLength;
                return;
            }
            if (!seen.Insert(&relative))
                return;
            size_t size = entryFrame + baseXmlLength_ + 1 + encoded;
            if (inChunk > 0 && (inChunk == maxUrls_ || bytes + size > options_.MaxBytesPerFile)) {
                chunkSizes_.push_back(inChunk);
                inChunk = 0;
                bytes = frame;
            }
            selected_[static_cast<size_t>(index)] = true;
            ++inChunk;
            bytes += size;
            ++result.Urls;
        });
        chunkSizes_.push_back(inChunk);
    }

    // The time the scan saw, or the file's time now when it took none.
    std::string ModifiedTime(const TDataRec& rec) const {
        if (rec.Modified != kUnknownTime)
            return W3CDateTime(static_cast<std::time_t>(rec.Modified));
        const std::string& relative = rec.LinkURL;
        std::string path = options_.SiteFolder + std::string(WithoutLeadingSlashes(relative));
        if constexpr (kPathDelim != '/')
            std::replace(path.begin(), path.end(), '/', kPathDelim);
        struct stat st {};
        // A file gone since the scan keeps its URL; only the time is unknown.
        if (stat(path.c_str(), &st) != 0)
            return {};
        return W3CDateTime(st.st_mtime);
    }

    void WriteIndex(SitemapFile& index) const {
        std::string now = W3CDateTime(std::time(nullptr));
        index.Put(kXmlDeclaration);
        index.Put(kIndexOpen);
        for (size_t number = 1; number <= chunkSizes_.size(); ++number) {
            std::string path = ChunkPath(number);
            std::string relative = RelativeToSite(path);
            if (relative.empty())
                relative = ExtractFileName(path);
            std::string entry = "<sitemap><loc>" + EscapeXmlText(JoinSitemapURL(base_, relative));
            entry += now.empty() ? "</loc></sitemap>\n"
                                 : "</loc><lastmod>" + now + "</lastmod></sitemap>\n";
            index.Put(entry);
        }
        index.Put(kIndexClose);
        index.Commit();
    }

    const TSiteMapTree& tree_;
    const SearchSitemapOptions& options_;
    std::string_view base_;
    size_t baseXmlLength_;
    size_t maxUrls_;
    std::string folder_;
    std::string stem_;
    std::string ownXml_;
    std::string ownText_;
    std::string ownChunkPrefix_;
    std::vector<bool> selected_;     // by absolute index
    std::vector<size_t> chunkSizes_; // URLs of each chunk, in order
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
    for (size_t i = 0; i < url.size(); ++i) {
        auto c = static_cast<unsigned char>(url[i]);
        bool bad =
            c <= 0x20 || c >= 0x7F ||
            std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) != std::string_view::npos;
        if (c == '%')
            bad = i + 2 >= url.size() || !isxdigit(static_cast<unsigned char>(url[i + 1])) ||
                  !isxdigit(static_cast<unsigned char>(url[i + 2]));
        if (bad)
            return "the base URL contains a character that a URL may not hold as it is: " + quoted;
    }
    if (path.find_first_of("[]") != std::string_view::npos)
        return "the base URL contains a character that a URL may not hold as it is: " + quoted;
    std::string_view host = authority.substr(std::min(authority.rfind('@') + 1, authority.size()));
    std::string_view port;
    if (!host.empty() && host.front() == '[') {
        size_t close = host.find(']');
        if (close == std::string_view::npos)
            return "the base URL has no valid host: " + quoted;
        std::string_view after = host.substr(close + 1);
        if (!after.empty() && after.front() != ':')
            return "the base URL has no valid host: " + quoted;
        port = after.empty() ? after : after.substr(1);
        host = host.substr(0, close + 1);
    } else {
        size_t colon = host.rfind(':');
        if (colon != std::string_view::npos) {
            port = host.substr(colon + 1);
            host = host.substr(0, colon);
        }
        if (host.find_first_of("[]") != std::string_view::npos)
            return "the base URL has no valid host: " + quoted;
    }
    if (host.empty() || host == "[]")
        return "the base URL has no host: " + quoted;
    if (!std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return "the base URL has no valid port: " + quoted;
    return {};
}

std::string EncodeSitemapPath(std::string_view path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(EncodedLength(path));
    for (char ch : path) {
        auto c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c) || c == '/') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string JoinSitemapURL(std::string_view baseURL, std::string_view relativePath) {
    std::string_view base = WithoutTrailingSlashes(baseURL);
    std::string_view relative = WithoutLeadingSlashes(relativePath);
    std::string url;
    url.reserve(base.size() + 1 + EncodedLength(relative));
    url += base;
    url += '/';
    url += EncodeSitemapPath(relative);
    return url;
}

std::string EscapeXmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += ch;
        }
    }
    return out;
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
