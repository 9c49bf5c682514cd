#pragma once

// The sitemap files: their names, the XML split into numbered parts with an
// index, the text sitemap, gzip, and the set that lists each URL once.

#include "model/SiteMapTree.h"
#include "output/SitemapOptions.h"
#include "support/AtomicFile.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

class SitemapSelection;
class SitemapURLStyle;

// The XML sitemap's file as written: gzip bytes go to a name ending in ".gz"
// (Path followed by ".gz", unless Path ends so already, in any case), so
// that the name tells a server and a crawler what the bytes are.
std::string SitemapXmlFileName(const std::string& path, bool gzip);

// The file of numbered part Number of the XML sitemap XmlOutput: the name
// without its ".xml" or ".xml.gz", "-Number", then ".xml" or, with Gzip,
// ".xml.gz".
std::string SitemapPartFileName(const std::string& xmlOutput, size_t number, bool gzip);

// The folder and the name of the XML sitemap's numbered parts up to the
// number: "/site/sitemap-" for /site/sitemap.xml and /site/sitemap.xml.gz.
std::string SitemapPartPrefix(const std::string& xmlOutput);

// The name the XML sitemap has in its other form, or empty when a gzip
// sitemap has a name without ".gz".
std::string SitemapOtherFormOf(const std::string& xmlOutput, bool gzip);

// Set of URLs already listed, keyed by views into the tree's own strings (a
// listed path is always a prefix of a node's link) so that a million-page
// site costs two words a page rather than a copy of each URL.
class SeenSet {
public:
    explicit SeenSet(size_t expected);
    // True when the path was not in the set yet.
    bool Insert(std::string_view path);

private:
    std::vector<std::string_view> slots_;
    std::vector<bool> used_;
};

// One output file: a buffer in front of an atomic file, gzip-compressed when
// asked, every failure reported as the file that could not be created.
class SitemapFile {
public:
    // A file that would lead out of SiteFolder (when given) is refused.
    SitemapFile(std::string path, const SitemapFileFactory& createFile, bool gzip,
                const std::string& siteFolder);
    ~SitemapFile();
    SitemapFile(const SitemapFile&) = delete;
    SitemapFile& operator=(const SitemapFile&) = delete;

    void Put(std::string_view text);
    void Commit();
    const std::string& Path() const { return path_; }

private:
    struct Deflater;
    void Flush(bool last);
    template <typename Fn> void Guard(Fn&& fn);

    std::string path_;
    std::unique_ptr<AtomicFile> file_;
    std::string buffer_;
    std::unique_ptr<Deflater> zip_; // with gzip
};

// Writes the sitemap files of what a selection chose: the URLs measured into
// parts first, so that no part outgrows the limits, then streamed.
class SitemapFilesWriter {
public:
    SitemapFilesWriter(const TSiteMapTree& tree, const SearchSitemapOptions& options,
                       const SitemapURLStyle& style, const SitemapSelection& selection);

    // Sets Result's XmlFiles, XmlURL, OtherFormURL and LeftBehind.
    void Write(SearchSitemapResult& result, const SitemapFileListener& listener,
               const SitemapFileFactory& createFile);

private:
    std::string URLOfFile(const std::string& path) const;
    std::string ChunkPath(size_t number) const;
    void FindLeftBehind(SearchSitemapResult& result) const;
    void Measure();
    void AppendEntry(std::string& entry, const std::string& url, std::string_view lastmod,
                     int index) const;
    void AppendImages(std::string& entry, const std::string& url, int index) const;
    std::string ModifiedTime(const TDataRec& rec, std::string_view link) const;
    void WriteIndex(SitemapFile& index) const;

    const TSiteMapTree& tree_;
    const SearchSitemapOptions& options_;
    const SitemapURLStyle& style_;
    const SitemapSelection& selection_;
    std::string_view base_;
    size_t maxUrls_;
    std::string otherForm_;
    std::string urlsetOpen_;
    std::vector<size_t> chunkSizes_;         // URLs of each chunk, in order
    std::vector<std::string> chunkLastmods_; // the newest lastmod of each chunk
};

} // namespace tw
