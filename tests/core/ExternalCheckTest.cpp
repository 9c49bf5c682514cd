#include "check/ExternalLinks.h"
#include "check/UrlCache.h"
#include "core/LoopbackServer.h"
#include "core/TestUtil.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace tw;
using twtest::Answer;
using twtest::LoopbackServer;

namespace {

// Time moves only when the check sleeps or a test moves it.
class FakeClock : public CheckClock {
public:
    TimePoint Now() override { return TimePoint(std::chrono::nanoseconds(offset_.load())); }
    void SleepUntil(TimePoint until) override {
        offset_ = std::max(offset_.load(), until.time_since_epoch().count());
    }
    std::int64_t UnixTime() override { return 1'800'000'000 + offset_.load() / 1'000'000'000; }
    void Advance(std::chrono::seconds s) { offset_ += s.count() * 1'000'000'000; }
    double Seconds() const { return static_cast<double>(offset_.load()) / 1e9; }

private:
    std::atomic<std::int64_t> offset_{0};
};

class ExternalCheckTest : public ::testing::Test {
protected:
    void SetUp() override { twtest::ClearProxies(); }

    // Pages naming URLs, each link on its own line of "page.html".
    LinkReport Named(const std::vector<std::string>& urls) {
        LinkReport report;
        for (size_t i = 0; i < urls.size(); ++i)
            report.ExternalLinks.push_back(
                {"page.html", urls[i], "a", "href", static_cast<unsigned>(i + 1)});
        return report;
    }

    bool Run(LinkReport& report, ExternalCheckOptions options = {}, std::string cache = {}) {
        options.UserAgent = DefaultUserAgent("1.0");
        checker_ = std::make_unique<ExternalChecker>(options, clock_);
        warnings_.clear();
        return CheckExternalLinks(report, *checker_, {cache, 86400}, clock_,
                                  [this](const std::string& w) { warnings_.push_back(w); });
    }

    // "url status dead|moved final" of each finding, the server's port cut.
    std::vector<std::string> Findings(const LinkReport& report) {
        std::vector<std::string> lines;
        auto cut = [](std::string url) { return url.substr(url.find('/', 8)); };
        for (const ExternalUrl& u : report.ExternalUrls)
            lines.push_back(cut(u.Url) + " " + std::to_string(u.Status) +
                            (u.Dead ? " dead" : " moved " + cut(u.FinalUrl)));
        return lines;
    }

    FakeClock clock_;
    std::unique_ptr<ExternalChecker> checker_;
    std::vector<std::string> warnings_;
};

TEST_F(ExternalCheckTest, EachUrlIsAskedOnceAndJudgedByItsLastAnswer) {
    LoopbackServer a("127.0.0.1"), b("127.0.0.2"), tls("127.0.0.1", true);
    auto redirect = [](int status, const std::string& to) {
        return Answer{.Status = status, .Headers = "Location: " + to + "\r\n"};
    };
    const std::vector<std::pair<std::string, Answer>> routes = {
        {"/ok", {.Status = 200}},
        {"/empty", {.Status = 204}},
        {"/missing", {.Status = 404}},
        {"/gone", {.Status = 410}},
        {"/error", {.Status = 500}},
        {"/moved-good", redirect(301, b.Url("/ok"))},
        {"/moved-dead", redirect(308, "/missing")},
        {"/chain", redirect(302, "/chain2")},
        {"/chain2", redirect(302, b.Url("/moved-good"))},
        {"/loop", redirect(307, "/loop2")},
        {"/loop2", redirect(307, "/loop")},
        {"/no-head", {.HeadStatus = 405}},
        {"/busy",
         {.Status = 429,
          .Headers = "Retry-After: 30\r\n",
          .Then = {{.Status = 429, .Headers = "Retry-After: 30\r\n"}, {}}}},
        {"/busy-long", {.Status = 429, .Headers = "Retry-After: 3600\r\n"}},
        {"/reset", {.Reset = true}},
    };
    std::vector<std::string> urls;
    for (const auto& [path, answer] : routes) {
        a.Route(path, answer);
        urls.push_back(a.Url(path));
        urls.push_back(a.Url(path) + "#again"); // the same URL once more
    }
    b.Route("/ok", {});
    b.Route("/moved-good", redirect(301, "/ok"));
    urls.push_back(tls.Url("/"));
    urls.push_back(" " + a.Url("/o\nk") + " "); // as a browser reads it: /ok once more
    LinkReport report = Named(urls);
    ASSERT_TRUE(Run(report));

    EXPECT_EQ(Findings(report),
              (std::vector<std::string>{"/busy-long 429 dead", "/chain 200 moved /ok",
                                        "/chain2 200 moved /ok", "/error 500 dead",
                                        "/gone 410 dead", "/loop 307 dead", "/loop2 307 dead",
                                        "/missing 404 dead", "/moved-dead 404 dead",
                                        "/moved-good 200 moved /ok", "/reset 0 dead", "/ 0 dead"}));
    EXPECT_EQ(report.ExternalUrlCount, routes.size() + 1);
    EXPECT_EQ(report.ExternalDeadCount(), 2 * 8 + 1u);
    for (const ExternalUrl& u : report.ExternalUrls) {
        EXPECT_EQ(u.Links.size(), u.Url.starts_with("https") ? 1u : 2u) << u.Url;
        EXPECT_NE(u.Dead, u.Error.empty()) << u.Url;
    }
    EXPECT_NE(report.ExternalUrls.back().Error.find("TLS"), std::string::npos);
    EXPECT_NE(report.ExternalUrls[0].Error.find("3600"), std::string::npos);
    EXPECT_EQ(report.ExternalUrls[5].Error, "redirect loop");
    EXPECT_EQ(report.ExternalUrls[6].Error, "redirect loop");
    // HEAD once a URL; GET after a refused HEAD, again only on a retry.
    // curl itself asks again on a reused connection that was reset.
    for (const auto& [path, answer] : routes) {
        if (path != "/reset") {
            EXPECT_EQ(a.Requests(path, "HEAD"), 1) << path;
        }
    }
    EXPECT_EQ(a.Requests("/missing", "GET"), 1);
    EXPECT_EQ(a.Requests("/ok", "GET"), 0);
    EXPECT_EQ(a.Requests("/error", "GET"), 3); // two retries
    EXPECT_EQ(a.Requests("/busy", "GET"), 2);  // answered on its retry
    EXPECT_EQ(a.Requests("/reset", "GET"), 0);
    EXPECT_GE(clock_.Seconds(), 30); // Retry-After waited for, on the clock
}

TEST_F(ExternalCheckTest, OneHostNeverGetsMoreThanItsShare) {
    LoopbackServer server("127.0.0.3");
    std::vector<std::string> urls;
    for (int i = 0; i < 20; ++i) {
        // Answered two at a time: a third request at once would be seen.
        server.Route("/p" + std::to_string(i), {.Hold = 2});
        urls.push_back(server.Url("/p" + std::to_string(i)));
    }
    LinkReport report = Named(urls);
    ASSERT_TRUE(Run(report));
    EXPECT_TRUE(report.ExternalUrls.empty());
    EXPECT_EQ(server.MaxInFlight(), 2);

    for (int i = 0; i < 20; ++i)
        server.Route("/p" + std::to_string(i), {});
    ExternalCheckOptions options;
    options.HostInterval = std::chrono::milliseconds(500);
    report = Named(urls);
    ASSERT_TRUE(Run(report, options));
    EXPECT_GE(clock_.Seconds(), 19 * 0.5); // the interval between starts
}

TEST_F(ExternalCheckTest, ASilentServerTimesOutAndAStopEndsAll) {
    LoopbackServer server;
    server.Route("/silent", {.Hang = true});
    server.OnHang = [this] { clock_.Advance(std::chrono::seconds(3600)); };
    LinkReport report = Named({server.Url("/silent")});
    ASSERT_TRUE(Run(report));
    ASSERT_EQ(report.ExternalUrls.size(), 1u);
    EXPECT_EQ(report.ExternalUrls[0].Error, "timed out after 20 s");
    EXPECT_EQ(server.Requests("/silent"), 3);

    LoopbackServer stopping;
    stopping.Route("/silent", {.Hang = true});
    stopping.OnHang = [this] { checker_->Stop(); };
    report = Named({stopping.Url("/silent")});
    EXPECT_FALSE(Run(report));
}

TEST_F(ExternalCheckTest, TheCacheSparesGoodAnswersAndAsksFailuresAgain) {
    LoopbackServer server;
    server.Route("/ok", {});
    twtest::TempDir dir;
    const std::string cache = dir / "urls.json";
    std::ofstream(cache) << "{\"entries\": ["; // damaged: ignored, then replaced
    auto run = [&] {
        LinkReport report = Named({server.Url("/ok"), server.Url("/missing")});
        EXPECT_TRUE(Run(report, {}, cache));
        EXPECT_EQ(Findings(report), std::vector<std::string>{"/missing 404 dead"});
    };
    run();
    EXPECT_EQ(warnings_.size(), 1u);
    server.ResetCounts();
    clock_.Advance(std::chrono::hours(23));
    run();
    EXPECT_TRUE(warnings_.empty());
    EXPECT_EQ(server.Requests("/ok"), 0);
    EXPECT_EQ(server.Requests("/missing"), 2);
    clock_.Advance(std::chrono::hours(2)); // older than a day: asked again
    run();
    EXPECT_EQ(server.Requests("/ok"), 1);
}

TEST(ExternalCheckOptionsTest, TextForms) {
    EXPECT_EQ(ParseAcceptCodes("200-299,403,429"),
              (std::vector<StatusRange>{{200, 299}, {403, 403}, {429, 429}}));
    for (const char* bad : {"", "200-", "299-200", "abc", "200,", "99", "1000"})
        EXPECT_TRUE(ParseAcceptCodes(bad).empty()) << bad;
    const std::vector<std::pair<const char*, std::optional<std::int64_t>>> ages = {
        {"30m", 1800}, {"12h", 43200}, {"2d", 172800}, {"45", 45},
        {"", {}},      {"d", {}},      {"-1h", {}},    {"1w", {}}};
    for (const auto& [text, seconds] : ages)
        EXPECT_EQ(ParseCacheAge(text), seconds) << text;
    EXPECT_EQ(RetryAfterSeconds("120", 0), 120);
    EXPECT_EQ(RetryAfterSeconds("Thu, 01 Jan 1970 00:02:00 GMT", 60), 60);
    EXPECT_EQ(RetryAfterSeconds("soon", 0), -1);
    EXPECT_EQ(UrlHost("https://WWW.Example.org:8443/a"), "www.example.org");
}

} // namespace
