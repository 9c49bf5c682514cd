#include "output/RobotsTxt.h"

#include "core/TestUtil.h"
#include "support/NXFiles.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <thread>
#include <utility>

using namespace tw;
using twtest::ReadAll;
using twtest::TempDir;

TEST(RobotsTxt, TheStarGroupsRulesDecide) {
    // The first rows are RFC 9309's own examples.
    const std::string rfc = "User-Agent: *\nDisallow: *.gif$\nDisallow: /example/\n"
                            "Allow: /publications/\n\nUser-Agent: foobot\nDisallow:/\n";
    struct Case {
        std::string robots;
        const char* path;
        bool allowed;
    };
    const Case cases[] = {
        {rfc, "/example/page.html", false},
        {rfc, "/x/a.gif", false},
        {rfc, "/x/a.gif?v=1", true},
        {rfc, "/publications/", true},
        {rfc, "/other", true},
        {"User-agent: *\nAllow: /example/page/\nDisallow: /example/page/disallowed.gif",
         "/example/page/disallowed.gif", false},
        {"User-agent: *\nAllow: /example/page/\nDisallow: /example/page/disallowed.gif",
         "/example/page/a.gif", true},
        {"User-agent: *\nDisallow: /this/path/exactly$", "/this/path/exactly", false},
        {"User-agent: *\nDisallow: /this/path/exactly$", "/this/path/exactly/x", true},
        {"User-agent: *\nDisallow: /this/*/exactly", "/this/a/b/exactly/c", false},
        {"User-agent: *\nDisallow: /p\nAllow: /p", "/p", true}, // equal length: Allow
        {"USER-AGENT: * # all\r\nDISALLOW: /private # secret\r\n", "/private/x", false},
        {"\xEF\xBB\xBFUser-agent: *\rDisallow: /a", "/a", false},
        {"User-agent: *\nDisallow:", "/", true},
        {"User-agent: foobot\nDisallow: /", "/x", true},
        {"Disallow: /\nUser-agent: *\nDisallow: /y", "/x", true}, // no group yet
        {"User-agent: a\nUser-agent: *\nDisallow: /x", "/x", false},
        {"User-agent: *\nDisallow: /x\nUser-agent: b\nDisallow: /y", "/y", true},
        {"User-agent: *\nDisallow: /x\nSitemap: /s\nDisallow: /y", "/y", false},
        {"User-agent: *\nDisallow: /x\n\nUser-agent: *\nDisallow: /y", "/y", false},
        {"User-agent: *\nDisallow: /foo/bar/%62%61%7A", "/foo/bar/baz", false},
        {"User-agent: *\nDisallow: /foo/bar/\xE3\x83\x84", "/foo/bar/%E3%83%84", false},
        {"User-agent: *\nDisallow: /caf%c3%a9", "/caf%C3%A9.html", false},
        {"User-agent: *\nDisallow: /a%2Fb", "/a/b", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RobotsRules(c.robots).Allows(c.path), c.allowed) << c.robots << "\n" << c.path;
}

TEST(RobotsTxt, ASitemapLineIsAddedOnce) {
    const std::string url = "https://example.org/sitemap.xml";
    const std::pair<std::string, std::string> cases[] = {
        {"", "Sitemap: " + url + "\n"},
        {"User-agent: *\nDisallow: /x", "User-agent: *\nDisallow: /x\nSitemap: " + url + "\n"},
        {"Sitemap: https://example.org/news.xml\n",
         "Sitemap: https://example.org/news.xml\nSitemap: " + url + "\n"},
        {"User-agent: *\r\n", "User-agent: *\r\nSitemap: " + url + "\r\n"},
        {"sitemap:  " + url + "  # ours\nUser-agent: *",
         "sitemap:  " + url + "  # ours\nUser-agent: *"},
    };
    for (const auto& [before, after] : cases) {
        EXPECT_EQ(WithSitemapLine(before, url), after) << before;
        EXPECT_EQ(WithSitemapLine(after, url), after) << after;
    }
}

// The test holds the lock: the second writer waits, then reads the file as
// the first writer left it.
TEST(RobotsTxt, TheSitemapLineIsAddedUnderALockToTheFileAsItIsThen) {
    TempDir site;
    const std::string path = site.Write("robots.txt", "User-agent: *\n");
    const std::string first = "User-agent: *\nSitemap: https://a.example/sitemap.xml\n";
    std::optional<RobotsTxtLock> held(std::in_place, path);
    std::promise<void> blocked;
    std::atomic<bool> told{false};
    auto tell = [&] {
        if (!told.exchange(true))
            blocked.set_value();
    };
    std::thread writer([&] {
        AddSitemapToRobotsTxt(path, "https://b.example/sitemap.xml", tell);
        tell(); // a writer that never waited must not hang the test
    });
    blocked.get_future().wait();
    SaveFileText(first, path);
    held.reset();
    writer.join();
    EXPECT_EQ(ReadAll(path), first + "Sitemap: https://b.example/sitemap.xml\n");
}

TEST(RobotsTxt, OnlyTheStartCrawlersReadIsRead) {
    TempDir site;
    const std::string url = "https://example.org/sitemap.xml";
    const std::string start = "User-agent: *\r\nDisallow: /private/\r\n#";
    const std::string text = start + std::string(kRobotsTxtReadLimit - start.size(), 'x') +
                             "\r\nDisallow: /late/\r\nSitemap: " + url + "\r\n#" +
                             std::string(200000, 'y');
    const std::string path = site.Write("robots.txt", text);
    bool longer = false;
    RobotsRules rules = ReadRobotsRules(path, &longer);
    EXPECT_TRUE(longer);
    EXPECT_FALSE(rules.Allows("/private/a"));
    EXPECT_TRUE(rules.Allows("/late/a"));
    // A line past the start is not seen; the new one goes where crawlers read it.
    RobotsTxtUpdate update = AddSitemapToRobotsTxt(path, url);
    EXPECT_TRUE(update.Changed && update.Longer);
    EXPECT_EQ(ReadAll(path), "Sitemap: " + url + "\r\n" + text);
    EXPECT_FALSE(AddSitemapToRobotsTxt(path, url).Changed);

    site.Write("robots.txt", std::string(kRobotsTxtReadLimit, '#'));
    ReadRobotsRules(path, &longer);
    EXPECT_FALSE(longer);
}
