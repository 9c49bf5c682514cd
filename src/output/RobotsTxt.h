#pragma once

#include "support/FileDescriptor.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The rules of a robots.txt (RFC 9309) that bind a crawler without a group
// of its own: those of the "User-agent: *" groups.
class RobotsRules {
public:
    // Allows everything, as a missing or unreadable robots.txt does.
    RobotsRules() = default;
    explicit RobotsRules(std::string_view robotsTxt);

    // Whether the crawler may fetch Path, a percent-encoded URL path (with
    // its query, if any): the longest matching pattern decides, Allow before
    // Disallow on equal length, and no match allows.
    bool Allows(std::string_view path) const;

private:
    struct Rule {
        std::string Pattern; // normalised; "*" any run of bytes, a final "$" the end
        bool Allow;
    };
    std::vector<Rule> rules_;
};

// Crawlers may stop reading a robots.txt after this many bytes (RFC 9309,
// 2.5), and so does the program: a huge file costs no more than this.
inline constexpr size_t kRobotsTxtReadLimit = size_t{500} * 1024;

// The start of the robots.txt at Path, at most kRobotsTxtReadLimit bytes;
// empty for a missing or unreadable file.
struct RobotsTxtStart {
    std::string Text;
    bool Longer = false; // the file goes on past the limit
};
RobotsTxtStart ReadRobotsTxtStart(const std::string& path);

// The rules of the robots.txt at Path, from its start; a missing or
// unreadable file allows everything. Longer, when given, tells whether the
// file went on past kRobotsTxtReadLimit.
RobotsRules ReadRobotsRules(const std::string& path, bool* longer = nullptr);

// A path or pattern in the form both are compared in: %XX of an unreserved
// character decoded, other %XX in capitals, bytes outside printable ASCII
// percent-encoded.
std::string NormalizeRobotsPath(std::string_view path);

// Whether a "Sitemap:" line of the robots.txt text names SitemapURL.
bool NamesSitemap(std::string_view robotsTxt, std::string_view sitemapURL);
// The same for the start of the robots.txt at Path; a missing or unreadable
// file names none.
bool RobotsTxtNamesSitemap(const std::string& path, std::string_view sitemapURL);

// The robots.txt text with a "Sitemap:" line naming SitemapURL: unchanged
// when a line names it already, else the line added at the end (after a line
// break, added when the text lacks a final one).
std::string WithSitemapLine(std::string_view robotsTxt, std::string_view sitemapURL);

// The lock every run takes to change a robots.txt: held on the file's
// folder, since the file itself is replaced by a new one. Two runs at once
// then each read the file the other left.
class RobotsTxtLock {
public:
    // Waits for the lock; Waiting is told first when another holds it. A
    // folder that cannot be opened is not locked (the write then fails).
    explicit RobotsTxtLock(const std::string& robotsTxtPath,
                           const std::function<void()>& waiting = {});
    ~RobotsTxtLock();
    RobotsTxtLock(const RobotsTxtLock&) = delete;
    RobotsTxtLock& operator=(const RobotsTxtLock&) = delete;

private:
    UniqueFd folder_;
};

struct RobotsTxtUpdate {
    bool Changed = false; // written
    bool Longer = false;  // the file went on past kRobotsTxtReadLimit
};

// Makes sure the robots.txt at Path names SitemapURL, creating the file when
// missing; read and written under RobotsTxtLock (Waiting as there), written
// atomically, and only when it changes. Only the file's start is searched
// for the line; a file that goes on past it gets the line at its start,
// where crawlers read it, any other at its end. Raises EFCreateError
// "Cannot create file %s".
RobotsTxtUpdate AddSitemapToRobotsTxt(const std::string& path, std::string_view sitemapURL,
                                      const std::function<void()>& waiting = {});

} // namespace tw
