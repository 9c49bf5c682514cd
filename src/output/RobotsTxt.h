#pragma once

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

// The rules of the robots.txt at Path; a missing or unreadable file allows
// everything.
RobotsRules ReadRobotsRules(const std::string& path);

// A path or pattern in the form both are compared in: %XX of an unreserved
// character decoded, other %XX in capitals, bytes outside printable ASCII
// percent-encoded.
std::string NormalizeRobotsPath(std::string_view path);

// Whether a "Sitemap:" line of the robots.txt text names SitemapURL.
bool NamesSitemap(std::string_view robotsTxt, std::string_view sitemapURL);
// The same for the robots.txt at Path; a missing or unreadable file names none.
bool RobotsTxtNamesSitemap(const std::string& path, std::string_view sitemapURL);

// The robots.txt text with a "Sitemap:" line naming SitemapURL: unchanged
// when a line names it already, else the line added at the end (after a line
// break, added when the text lacks a final one).
std::string WithSitemapLine(std::string_view robotsTxt, std::string_view sitemapURL);

// Makes sure the robots.txt at Path names SitemapURL, creating the file when
// missing; written atomically, and only when it changes. True when written.
// Raises EFCreateError "Cannot create file %s".
bool AddSitemapToRobotsTxt(const std::string& path, std::string_view sitemapURL);

} // namespace tw
