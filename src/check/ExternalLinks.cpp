#include "check/ExternalLinks.h"

#include "check/UrlCache.h"
#include "support/Errors.h"
#include "support/UrlText.h"

#include <algorithm>
#include <unordered_map>

namespace tw {

namespace {

// The URL a browser would request for the link: surrounding whitespace
// and line breaks and tabs inside dropped, the fragment cut off, and spaces,
// controls and other bytes a URL cannot hold percent-encoded.
std::string RequestUrl(std::string_view link) {
    const char* space = " \t\n\f\r";
    size_t start = link.find_first_not_of(space);
    if (start == std::string_view::npos)
        return {};
    link = link.substr(start, link.find_last_not_of(space) - start + 1);
    std::string kept;
    for (char c : link)
        if (c != '\t' && c != '\n' && c != '\r')
            kept += c;
    std::string url;
    AppendUrlBytes(url, WithoutFragment(kept));
    return url;
}

// Reports the progress of the URLs asked, counted with those the cache had.
class CountingListener : public ExternalCheckListener {
public:
    CountingListener(ExternalCheckListener* inner, size_t cached, size_t total)
        : inner_(inner), cached_(cached), total_(total) {}
    void UrlsChecked(size_t done, size_t) override {
        if (inner_ != nullptr)
            inner_->UrlsChecked(cached_ + done, total_);
    }

private:
    ExternalCheckListener* inner_;
    size_t cached_, total_;
};

} // namespace

bool CheckExternalLinks(LinkReport& report, ExternalChecker& checker,
                        const ExternalRunOptions& options, CheckClock& clock,
                        const std::function<void(const std::string&)>& warn,
                        ExternalCheckListener* listener) {
    std::vector<std::string> urls;
    std::vector<size_t> urlOf(report.ExternalLinks.size());
    std::unordered_map<std::string, size_t> index;
    for (size_t i = 0; i < report.ExternalLinks.size(); ++i) {
        std::string url = RequestUrl(report.ExternalLinks[i].Link);
        auto [it, added] = index.try_emplace(url, urls.size());
        if (added)
            urls.push_back(std::move(url));
        urlOf[i] = it->second;
    }
    index = {};

    UrlCache cache;
    std::string warning;
    if (!options.CacheFile.empty())
        cache = UrlCache::Load(options.CacheFile, warning);
    if (!warning.empty())
        warn(warning);
    const std::int64_t now = clock.UnixTime();
    std::vector<UrlResult> results(urls.size());
    std::vector<std::string> asked;
    std::vector<size_t> askedIndex;
    for (size_t i = 0; i < urls.size(); ++i) {
        if (auto fresh = cache.Fresh(urls[i], now, options.MaxCacheAge)) {
            results[i] = std::move(*fresh);
        } else {
            asked.push_back(urls[i]);
            askedIndex.push_back(i);
        }
    }
    CountingListener counting(listener, urls.size() - asked.size(), urls.size());
    if (listener != nullptr)
        listener->UrlsChecked(urls.size() - asked.size(), urls.size());
    std::vector<UrlResult> answers = checker.Check(asked, &counting);
    if (checker.Stopped())
        return false;
    const std::int64_t end = clock.UnixTime();
    for (size_t k = 0; k < asked.size(); ++k) {
        cache.Store(asked[k], answers[k], end);
        results[askedIndex[k]] = std::move(answers[k]);
    }
    if (!options.CacheFile.empty()) {
        try {
            cache.Save(options.CacheFile);
        } catch (const TError& e) {
            warn(std::string("The cache file could not be written: ") + e.what());
        }
    }

    std::vector<size_t> findingOf(urls.size(), SIZE_MAX);
    for (size_t i = 0; i < urls.size(); ++i) {
        const UrlResult& r = results[i];
        if (r.Good && !r.Moved)
            continue;
        findingOf[i] = report.ExternalUrls.size();
        report.ExternalUrls.push_back({urls[i], r.Status, r.Error, r.FinalUrl, !r.Good, {}});
    }
    for (size_t i = 0; i < report.ExternalLinks.size(); ++i)
        if (size_t f = findingOf[urlOf[i]]; f != SIZE_MAX)
            report.ExternalUrls[f].Links.push_back(std::move(report.ExternalLinks[i]));
    report.ExternalLinks = {};
    for (ExternalUrl& u : report.ExternalUrls)
        std::stable_sort(u.Links.begin(), u.Links.end(), [](const DeadLink& a, const DeadLink& b) {
            return a.Page != b.Page ? a.Page < b.Page : a.Line < b.Line;
        });
    std::sort(report.ExternalUrls.begin(), report.ExternalUrls.end(),
              [](const ExternalUrl& a, const ExternalUrl& b) { return a.Url < b.Url; });
    report.ExternalUrlCount = urls.size();
    report.ExternalChecked = true;
    return true;
}

} // namespace tw
