#include "cli/CheckCommand.h"

#include "check/CheckReport.h"
#include "check/ExternalLinks.h"
#include "check/LinkCheck.h"
#include "check/SiteCheck.h"
#include "check/UrlCache.h"
#include "model/SiteLinks.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <CLI/CLI.hpp>
#include <array>
#include <chrono>
#include <optional>
#include <ostream>
#include <tuple>

namespace tw {

namespace {

// A progress line on a terminal while the scan and the check run.
class CheckProgress : public SiteCheckListener, public ExternalCheckListener {
public:
    CheckProgress(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}
    // An error must not leave the line standing before its message.
    ~CheckProgress() override { Done(); }
    CheckProgress(const CheckProgress&) = delete;
    CheckProgress& operator=(const CheckProgress&) = delete;

    void FilesFound(int foundCount) override {
        if (Due())
            err_ << "\r\033[KScanning: " << foundCount << " files" << std::flush;
    }
    void PageChecked(size_t done, size_t total) override {
        if (Due())
            err_ << "\r\033[KChecking: " << done << " of " << total << " pages" << std::flush;
    }
    void UrlsChecked(size_t done, size_t total) override {
        if (Due())
            err_ << "\r\033[KChecking: " << done << " of " << total << " external URLs"
                 << std::flush;
    }
    void ScanWarning(const std::string& text) override {
        Done();
        err_ << "trailwright-cli: warning: " << PrintableText(text) << "\n" << std::flush;
    }
    void Done() {
        if (shown_)
            err_ << "\r\033[K" << std::flush;
        shown_ = false;
    }

private:
    bool Due() {
        if (!enabled_)
            return false;
        auto now = std::chrono::steady_clock::now();
        if (now - last_ < std::chrono::milliseconds(100))
            return false;
        last_ = now;
        shown_ = true;
        return true;
    }

    std::ostream& err_;
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_{};
};

// The kinds --only names (all without it) but those --skip names.
std::array<bool, kFindingKindCount> KindsKept(const std::vector<std::string>& only,
                                              const std::vector<std::string>& skip) {
    std::array<bool, kFindingKindCount> keep{};
    keep.fill(only.empty());
    for (const std::string& id : only)
        keep[static_cast<size_t>(*findings::KindOfId(id))] = true;
    for (const std::string& id : skip)
        keep[static_cast<size_t>(*findings::KindOfId(id))] = false;
    return keep;
}

} // namespace

void AddCheckFlags(CLI::App& command, CheckFlags& flags) {
    std::string names;
    for (const std::string& name : ReportFormatNames())
        names += (names.empty() ? "" : "|") + name;
    // A validator of our own: CLI11's IsMember would print the names twice.
    auto known = [names](const std::string& value) {
        return ParseReportFormat(value) ? std::string() : "expected " + names + ", got " + value;
    };
    CLI::Option* format =
        command.add_option("--format", flags.format, "The form of the report (default: text)")
            ->type_name(names)
            ->check(CLI::Validator(known, ""))
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    command.add_flag("--json", flags.json, "Short for --format json")->excludes(format);
    command
        .add_option("--path-base", flags.pathBase,
                    "SARIF and GitHub paths are relative to DIR (default: the current folder)")
        ->type_name("DIR")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    command
        .add_option("--ignore-url", flags.ignoreUrls,
                    "Leave links unchecked in which REGEX finds a match (repeatable); RE2 "
                    "syntax: the common patterns, without back-references or look-around")
        ->type_name("REGEX")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check(CLI::Validator(IgnorePatternError, "", "REGEX"));
    command
        .add_option("--baseline", flags.baseline,
                    "A JSON report of an earlier check: its findings are known, marked as "
                    "such, and do not fail the check")
        ->type_name("FILE")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    command
        .add_option("--site-url", flags.siteUrls,
                    "The site's own address (repeatable): links that start with it are checked "
                    "as the local files they name (default: the XML sitemap's base URL)")
        ->type_name("URL")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check(CLI::Validator(
            [](const std::string& v) {
                return IsHttpLink(v) && v.find("://") + 3 < v.size()
                           ? std::string()
                           : "expected an http:// or https:// address";
            },
            "", "URL"));
    command.add_flag("--all", flags.all,
                     "Text report: every dead link on a line of its own, not grouped by the "
                     "page it leads to");
    std::string footer = "Findings: id, level, and whether one fails the check without --strict:\n";
    for (size_t k = 0; k < findings::kKinds.size(); ++k) {
        const auto& kind = findings::kKinds[k];
        std::string id = kind.Id;
        id.resize(std::max<size_t>(id.size(), 29), ' ');
        std::string level = kind.Level;
        level.resize(8, ' ');
        footer.append("  ").append(id).append(" ").append(level);
        footer.append(FindingFails(FindingKind(k)) ? "fails\n" : "informs\n");
    }
    command.footer(footer);
    command.add_flag("--strict", flags.strict,
                     "Fail on every finding: also a move and the page-quality findings, which "
                     "otherwise only inform");
    std::string ids;
    for (const auto& kind : findings::kKinds)
        ids += (ids.empty() ? "" : "|") + std::string(kind.Id);
    auto kindId = [ids](const std::string& value) {
        return findings::KindOfId(value) ? std::string() : "expected one of " + ids;
    };
    for (auto [name, list, help] :
         {std::tuple{"--skip", &flags.skip, "Leave out the findings of kind ID (repeatable)"},
          std::tuple{"--only", &flags.only,
                     "Report only the findings of kind ID (repeatable); the ids and levels are "
                     "listed below"}})
        command.add_option(name, *list, help)
            ->type_name("ID")
            ->expected(1)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
            ->check(CLI::Validator(kindId, "", "ID"));
    command
        .add_option("--max-depth", flags.maxDepth,
                    "A page more than N links away from the index page is too deep (default: 5)")
        ->type_name("N")
        ->check(CLI::Range(0, 1000000))
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    command.add_flag("--quiet", flags.quiet,
                     "No progress line, and no text report when the check passes");

    CLI::Option* external = command.add_flag(
        "--external", flags.external,
        "Also ask every http and https link online, each URL once (off: the check stays offline)");
    auto online = [&](const std::string& name, auto& value, const std::string& help,
                      const std::string& type) {
        return command.add_option(name, value, help)
            ->type_name(type)
            ->needs(external)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    };
    online("--accept", flags.accept,
           "The statuses that are good, e.g. 200-299,403,429 (default: 200-299)", "CODES")
        ->check(CLI::Validator(
            [](const std::string& v) {
                return ParseAcceptCodes(v).empty() ? "expected codes and ranges, as 200-299,403"
                                                   : std::string();
            },
            "", "CODES"));
    online("--host-concurrency", flags.hostConcurrency,
           "Requests in flight to one host at most (default: 2)", "N")
        ->check(CLI::Range(1, 64));
    online("--max-concurrency", flags.maxConcurrency,
           "Requests in flight in all at most (default: 32)", "N")
        ->check(CLI::Range(1, 1024));
    online("--host-interval", flags.hostIntervalMs,
           "Milliseconds at least between two requests started to one host (default: 0)", "MS")
        ->check(CLI::Range(0, 3600000));
    online("--timeout", flags.timeoutSeconds, "Seconds a request may take (default: 20)", "SECONDS")
        ->check(CLI::Range(1, 3600));
    online("--retries", flags.retries,
           "Tries after a timeout, a 5xx or a 429 answer, each after a longer wait (default: 2)",
           "N")
        ->check(CLI::Range(0, 10));
    online("--max-retry-wait", flags.maxRetryWaitSeconds,
           "The longest Retry-After honoured; a longer one counts as the failure (default: 60)",
           "SECONDS")
        ->check(CLI::Range(0, 86400));
    online("--user-agent", flags.userAgent,
           "The User-Agent sent (default: Zephyrix-Trailwright/VERSION (+URL))", "TEXT");
    online("--cache", flags.cache,
           "Keep the answers in FILE and reuse the good ones while they are young", "FILE");
    online("--max-cache-age", flags.maxCacheAge,
           "How long a good answer in the cache is reused: 30m, 12h, 2d (default: 1d)", "AGE")
        ->check(CLI::Validator(
            [](const std::string& v) {
                return ParseCacheAge(v) ? std::string() : "expected an age as 30m, 12h or 2d";
            },
            "", "AGE"));
}

int RunCheck(TMapProfile profile, const CheckFlags& flags, const CliStreams& streams) {
    ReportOptions options;
    options.Format = flags.json ? ReportFormat::Json
                                : ParseReportFormat(flags.format).value_or(ReportFormat::Text);
    options.ToolVersion = TW_VERSION;
    options.All = flags.all;
    // The HTML report links each page by its file URL.
    options.SiteRoot = SiteFolderOf(profile.IndexPage());
    options.PathPrefix =
        RelativeFolder(SiteFolderOf(profile.IndexPage()),
                       ExpandFileName(flags.pathBase.empty() ? "." : flags.pathBase));
    // A baseline that cannot be used ends the run before the scan.
    std::optional<Baseline> baseline;
    if (!flags.baseline.empty()) {
        baseline = ReadBaseline(ExpandFileName(flags.baseline));
        options.Known = &*baseline;
    }
    LinkCheckLimits limits;
    limits.IgnoreLink = IgnoreLinksMatching(flags.ignoreUrls);
    limits.CollectExternal = flags.external;
    limits.SiteUrls = SiteUrlsFor(profile, flags.siteUrls);
    options.MaxPageBytes = limits.MaxPageBytes;
    options.Strict = flags.strict;
    const std::array<bool, kFindingKindCount> keep = KindsKept(flags.only, flags.skip);
    for (size_t k = 0; k < kQualityKindCount; ++k)
        limits.Quality.Enabled[k] = keep[static_cast<size_t>(findings::KindOf(QualityKind(k)))];
    limits.Quality.MaxDepth = flags.maxDepth;

    CheckProgress progress(streams.err, streams.errIsTerminal && !flags.quiet);
    // Nothing here asks for a stop, so there is always a report.
    LinkReport report = CheckSite(std::move(profile), limits, &progress).value();
    if (flags.external) {
        ExternalCheckOptions online;
        online.Accept = ParseAcceptCodes(flags.accept);
        online.HostConcurrency = flags.hostConcurrency;
        online.MaxConcurrency = flags.maxConcurrency;
        online.HostInterval = std::chrono::milliseconds(flags.hostIntervalMs);
        online.Timeout = std::chrono::seconds(flags.timeoutSeconds);
        online.Retries = flags.retries;
        online.MaxRetryWait = std::chrono::seconds(flags.maxRetryWaitSeconds);
        online.UserAgent = flags.userAgent;
        ExternalRunOptions run;
        run.CacheFile = flags.cache.empty() ? std::string() : ExpandFileName(flags.cache);
        run.MaxCacheAge = ParseCacheAge(flags.maxCacheAge).value_or(86400);
        ExternalChecker checker(std::move(online));
        CheckExternalLinks(
            report, checker, run, SystemCheckClock(),
            [&](const std::string& text) { progress.ScanWarning(text); }, &progress);
    }
    progress.Done();

    KeepKinds(report, keep);
    size_t fresh = NewProblemCount(report, options.Known, options.Strict);
    if (options.Format != ReportFormat::Text || !flags.quiet || fresh > 0)
        WriteReport(report, options, streams.out);
    return fresh == 0 ? 0 : kCheckProblemsFound;
}

} // namespace tw
