#include "output/OutputGuard.h"

#include "model/SiteLinks.h"
#include "output/PageTemplate.h"
#include "support/FileDescriptor.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

// The real path of an existing file or folder, links resolved; empty when
// there is none.
std::string RealPath(const std::string& path) {
    std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), nullptr), free);
    return real ? std::string(real.get()) : std::string();
}

bool Inside(const std::string& path, const std::string& folderWithSeparator) {
    return path.size() > folderWithSeparator.size() && path.starts_with(folderWithSeparator);
}

// Two names of one existing file, or one name written twice.
bool SameFile(const std::string& a, const std::string& b) {
    if (ExpandFileName(a) == ExpandFileName(b))
        return true;
    struct stat sa {
    }, sb{};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

constexpr const char* kPageEndings[] = {".htm", ".html", ".shtml", ".xhtml", ".php"};

bool IsSitePageName(const std::string& path, const FileTypeMatcher& types) {
    if (types.Matches(path))
        return true;
    const std::string ext = AsciiLowerCase(ExtractFileExt(path));
    for (const char* ending : kPageEndings)
        if (ext == ending)
            return true;
    return false;
}

} // namespace

void RefuseLinkOutOfSite(const std::string& target, const std::string& siteFolder) {
    const std::string site = AddTrailingBackslash(ExpandFileName(siteFolder));
    const std::string path = ExpandFileName(target);
    if (!Inside(path, site))
        return;
    const std::string realSite = RealPath(site);
    if (realSite.empty())
        return; // no site to leave; the write fails on its own
    struct stat st {};
    const bool link = lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    std::string resolved;
    if (link) {
        resolved = RealPath(path);
        if (resolved.empty())
            throw EOutputRefused(EOutputRefused::Reason::LinkOutOfSite,
                                 "Cannot write " + path +
                                     ": it is a symbolic link that leads nowhere");
    } else {
        const std::string folder = RealPath(ExtractFilePath(path));
        if (folder.empty())
            return; // a missing folder: the write says so itself
        resolved = AddTrailingBackslash(folder) + ExtractFileName(path);
    }
    if (!Inside(resolved, AddTrailingBackslash(realSite)))
        throw EOutputRefused(EOutputRefused::Reason::LinkOutOfSite,
                             "Cannot write " + path + ": a symbolic link of the site leads it to " +
                                 resolved + ", out of the site's folder " + site);
}

namespace {

// Whether Mark stands in the file's first Limit bytes, read in pieces.
bool MarkWithin(int fd, size_t limit, std::string_view mark) {
    std::string window, piece(size_t{1} << 16, '\0');
    for (size_t offset = 0; offset < limit;) {
        ssize_t n = pread(fd, piece.data(), std::min(piece.size(), limit - offset),
                          static_cast<off_t>(offset));
        if (n <= 0)
            return false;
        window.append(piece, 0, static_cast<size_t>(n));
        if (window.find(mark) != std::string::npos)
            return true;
        window.erase(0, window.size() - std::min(window.size(), mark.size() - 1));
        offset += static_cast<size_t>(n);
    }
    return false;
}

} // namespace

bool IsOurSiteMapPage(const std::string& path) {
    static constexpr std::string_view kMarks[] = {
        "::: Made with Zephyrix :", "<meta name=\"generator\" content=\"Zephyrix Trailwright\">"};
    constexpr size_t kEdge = 8192;
    struct stat st {};
    UniqueFd fd = OpenRegularFile(path, &st);
    if (!fd.Valid())
        return false;
    const auto size = static_cast<size_t>(st.st_size);
    std::string text;
    for (size_t offset : {size_t{0}, size > kEdge ? size - kEdge : size_t{0}}) {
        std::string part(kEdge, '\0');
        ssize_t n = pread(fd.Get(), part.data(), part.size(), static_cast<off_t>(offset));
        if (n > 0)
            text.append(part, 0, static_cast<size_t>(n)) += '\n';
    }
    for (std::string_view mark : kMarks)
        if (text.find(mark) != std::string::npos)
            return true;
    // Template: a page written into one carries the generator meta at its
    // head's end, which a template's head may put past the first kEdge bytes.
    return size > 2 * kEdge && MarkWithin(fd.Get(), std::min(size, kTemplateMaxBytes), kMarks[1]);
}

void CheckRunOutputs(const std::vector<RunOutput>& outputs, const std::string& indexPage,
                     const std::string& fileTypes, bool overwrite) {
    using Reason = EOutputRefused::Reason;
    const std::string site = SiteFolderOf(indexPage);
    const std::string robots = site + "robots.txt";
    const FileTypeMatcher types(fileTypes);
    for (const RunOutput& out : outputs)
        RefuseLinkOutOfSite(out.Path, site);
    for (size_t i = 0; i < outputs.size(); ++i) {
        const std::string path = ExpandFileName(outputs[i].Path);
        for (size_t j = 0; j < i; ++j)
            if (SameFile(outputs[j].Path, path))
                throw EOutputRefused(Reason::Protected,
                                     path + " would be written twice in one run: give each "
                                            "output a file of its own");
        if (SameFile(path, indexPage))
            throw EOutputRefused(Reason::Protected,
                                 path + " is the site's index page, which no output may replace");
        if (!outputs[i].Append && SameFile(path, robots))
            throw EOutputRefused(Reason::Protected,
                                 path + " is the site's robots.txt, which only gets the Sitemap "
                                        "line added, never replaced");
        if (!overwrite && Inside(path, site) && FileExists(path) && IsSitePageName(path, types) &&
            !IsOurSiteMapPage(path))
            throw EOutputRefused(Reason::SitePage,
                                 path + " is a page of the site, not a site map this program "
                                        "wrote; it would be replaced");
    }
}

} // namespace tw
