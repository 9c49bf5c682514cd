#include "output/RobotsTxt.h"

#include "output/OutputGuard.h"
#include "support/AtomicFile.h"
#include "support/Errors.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "support/UrlText.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>

namespace tw {

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Calls Fn(key, value) for each line that has a field, the comment gone and
// both parts trimmed. Lines end in LF, CR LF or CR.
template <typename Fn> void ForEachField(std::string_view text, Fn&& fn) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    while (!text.empty()) {
        size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        if (end == std::string_view::npos)
            text = {};
        else
            text.remove_prefix(end + (text.substr(end, 2) == "\r\n" ? 2 : 1));
        line = line.substr(0, line.find('#'));
        size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        fn(Trimmed(line.substr(0, colon)), Trimmed(line.substr(colon + 1)));
    }
}

// Pattern matches Path from its start; "*" stands for any run of bytes and a
// final "$" for the end of the path.
bool PatternMatches(std::string_view pattern, std::string_view path) {
    bool anchored = pattern.ends_with('$');
    if (anchored)
        pattern.remove_suffix(1);
    size_t p = 0, s = 0;
    size_t star = std::string_view::npos, starAt = 0;
    while (s < path.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            starAt = s;
        } else if (p < pattern.size() && pattern[p] == path[s]) {
            ++p;
            ++s;
        } else if (p == pattern.size() && !anchored) {
            return true;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            s = ++starAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

std::string NormalizeRobotsPath(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        auto c = static_cast<unsigned char>(path[i]);
        if (int byte = PercentByteAt(path, i); byte >= 0) {
            auto decoded = static_cast<unsigned char>(byte);
            if (IsUnreservedByte(decoded)) {
                out += static_cast<char>(decoded);
            } else {
                AppendPercentByte(out, decoded);
            }
            i += 2;
        } else if (c <= 0x20 || c >= 0x7F) {
            AppendPercentByte(out, c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

RobotsRules::RobotsRules(std::string_view robotsTxt) {
    // A group is its user-agent lines and the rules after them; a user-agent
    // line after a rule starts the next group. Rules before any group bind
    // no one.
    bool inAgents = false;
    bool forAll = false;
    bool anyGroup = false;
    ForEachField(robotsTxt, [&](std::string_view key, std::string_view value) {
        if (SameTextIgnoringCase(key, "user-agent")) {
            if (!inAgents)
                forAll = false;
            inAgents = true;
            anyGroup = true;
            forAll = forAll || value == "*";
            return;
        }
        bool allow = SameTextIgnoringCase(key, "allow");
        if (!allow && !SameTextIgnoringCase(key, "disallow"))
            return; // sitemap, crawl-delay and the like end no group
        inAgents = false;
        // An empty pattern matches nothing: "Disallow:" allows all.
        if (anyGroup && forAll && !value.empty())
            rules_.push_back({NormalizeRobotsPath(value), allow});
    });
}

bool RobotsRules::Allows(std::string_view path) const {
    if (rules_.empty())
        return true;
    std::string normalized = NormalizeRobotsPath(path);
    const Rule* best = nullptr;
    for (const Rule& rule : rules_) {
        if (!PatternMatches(rule.Pattern, normalized))
            continue;
        if (!best || rule.Pattern.size() > best->Pattern.size() ||
            (rule.Pattern.size() == best->Pattern.size() && rule.Allow))
            best = &rule;
    }
    return !best || best->Allow;
}

RobotsTxtStart ReadRobotsTxtStart(const std::string& path) {
    RobotsTxtStart start;
    if (!FileExists(path))
        return start;
    try {
        FileReader reader(path);
        reader.ReadInto(start.Text, kRobotsTxtReadLimit);
        std::string more;
        reader.ReadInto(more, 1);
        start.Longer = !more.empty();
    } catch (const TError&) {
        return {};
    }
    return start;
}

RobotsRules ReadRobotsRules(const std::string& path, bool* longer) {
    RobotsTxtStart start = ReadRobotsTxtStart(path);
    if (longer)
        *longer = start.Longer;
    return RobotsRules(start.Text);
}

bool NamesSitemap(std::string_view robotsTxt, std::string_view sitemapURL) {
    bool present = false;
    ForEachField(robotsTxt, [&](std::string_view key, std::string_view value) {
        present = present || (SameTextIgnoringCase(key, "sitemap") && value == sitemapURL);
    });
    return present;
}

bool RobotsTxtNamesSitemap(const std::string& path, std::string_view sitemapURL) {
    return NamesSitemap(ReadRobotsTxtStart(path).Text, sitemapURL);
}

namespace {

// The line break a robots.txt uses: that of its last line, so that a CR LF
// file stays one.
std::string_view LineBreakOf(std::string_view text) {
    size_t lf = text.rfind('\n');
    return lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r' ? "\r\n" : "\n";
}

std::string SitemapLine(std::string_view sitemapURL, std::string_view br) {
    std::string line = "Sitemap: ";
    line += sitemapURL;
    line += br;
    return line;
}

} // namespace

std::string WithSitemapLine(std::string_view robotsTxt, std::string_view sitemapURL) {
    std::string text(robotsTxt);
    if (NamesSitemap(robotsTxt, sitemapURL))
        return text;
    std::string_view br = LineBreakOf(text);
    if (!text.empty() && text.back() != '\n' && text.back() != '\r')
        text += br;
    text += SitemapLine(sitemapURL, br);
    return text;
}

RobotsTxtLock::RobotsTxtLock(const std::string& robotsTxtPath,
                             const std::function<void()>& waiting) {
    std::string folder = ExtractFilePath(robotsTxtPath);
    folder_.Reset(open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder_.Valid())
        return;
    if (flock(folder_.Get(), LOCK_EX | LOCK_NB) == 0)
        return;
    if (waiting)
        waiting();
    while (flock(folder_.Get(), LOCK_EX) != 0 && errno == EINTR) {
    }
}

RobotsTxtLock::~RobotsTxtLock() {
    if (folder_.Valid())
        flock(folder_.Get(), LOCK_UN);
}

RobotsTxtUpdate AddSitemapToRobotsTxt(const std::string& path, std::string_view sitemapURL,
                                      const std::function<void()>& waiting) {
    // The site's robots.txt may be a link that leads out of the site.
    RefuseLinkOutOfSite(path, ExtractFilePath(path));
    RobotsTxtLock lock(path, waiting);
    RobotsTxtUpdate update;
    const bool exists = FileExists(path);
    std::string start;
    std::unique_ptr<FileReader> reader;
    if (exists) {
        reader = std::make_unique<FileReader>(path);
        reader->ReadInto(start, kRobotsTxtReadLimit);
    }
    // The rest of the file, a part at a time, so that a huge file costs no
    // more memory than its start.
    std::string part;
    auto nextPart = [&] {
        part.clear();
        if (reader)
            reader->ReadInto(part, 1 << 16);
        return !part.empty();
    };
    update.Longer = nextPart();
    if (NamesSitemap(start, sitemapURL))
        return update;
    try {
        AtomicFile file(path);
        if (!update.Longer) {
            std::string text = WithSitemapLine(start, sitemapURL);
            file.Write(text.data(), text.size());
        } else {
            std::string line = SitemapLine(sitemapURL, LineBreakOf(start));
            // Written in place, the file is emptied by the first write: its
            // rest must be read before.
            if (file.WritesInPlace()) {
                do
                    start += part;
                while (nextPart());
            }
            file.Write(line.data(), line.size());
            file.Write(start.data(), start.size());
            do
                file.Write(part.data(), part.size());
            while (nextPart());
        }
        file.Commit();
    } catch (const TError& e) {
        ThrowCannotCreate(path, e);
    }
    update.Changed = true;
    return update;
}

} // namespace tw
