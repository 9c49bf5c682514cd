#pragma once

// The online half of the check: each distinct http and https URL a site
// names is asked once, politely, over libcurl's multi interface on the
// calling thread.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tw {

// Every wait of the external check goes through this, so that tests run
// Retry-After, host intervals and timeouts on a clock of their own.
class CheckClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~CheckClock() = default;
    virtual TimePoint Now() = 0;
    // Returns at Until or later; called only while no transfer is running.
    virtual void SleepUntil(TimePoint until) = 0;
    // Seconds since 1970, for the cache's ages and HTTP dates.
    virtual std::int64_t UnixTime() = 0;
};

// The machine's clocks.
CheckClock& SystemCheckClock();

inline constexpr const char* kUserAgentProduct = "Zephyrix-Trailwright";
std::string DefaultUserAgent(std::string_view version);

// An HTTP status range of --accept: First to Last, inclusive.
using StatusRange = std::pair<int, int>;
// "200-299,403,429" into ranges; empty when the text is not of that form
// (codes 100 to 999).
std::vector<StatusRange> ParseAcceptCodes(std::string_view text);

struct ExternalCheckOptions {
    std::vector<StatusRange> Accept{{200, 299}};
    int HostConcurrency = 2;                   // requests in flight to one host
    int MaxConcurrency = 32;                   // requests in flight in all
    std::chrono::milliseconds HostInterval{0}; // between two starts to one host
    std::chrono::milliseconds Timeout{20000};  // one request
    int Retries = 2;                           // after a timeout, a 5xx or a 429
    std::chrono::seconds MaxRetryWait{60};
    std::string UserAgent; // empty: DefaultUserAgent of this version
    // The first retry waits this long, each further one twice as long.
    std::chrono::milliseconds RetryBase{1000};
    // Tests only: the CA bundle to trust instead of the system's.
    std::string CaFile;
};

// What asking a URL gave. A URL is good when its last answer is accepted.
struct UrlResult {
    int Status = 0;       // the last HTTP status; 0 when none came
    std::string Error;    // in words, when not good
    std::string FinalUrl; // where redirects led, when they led elsewhere
    bool Good = false;
    // Good, through at least one permanent redirect (301, 308).
    bool Moved = false;
    bool FromCache = false;
};

// Progress and cancelling; called on the thread that runs the check.
class ExternalCheckListener {
public:
    virtual ~ExternalCheckListener() = default;
    virtual void UrlsChecked(size_t done, size_t total) {
        (void)done;
        (void)total;
    }
};

// The host a politeness limit counts against: the URL's host name in lower
// case, or its address, whatever the port. Empty for a URL without one.
std::string UrlHost(std::string_view url);

// The URL with its fragment removed, as it is requested.
std::string WithoutFragment(std::string_view url);

// Asks each of Urls (distinct, without fragments) and returns their results
// in the same order. Stop() from any thread aborts every transfer at once;
// the URLs not done then have the error "not checked: stopped".
class ExternalChecker {
public:
    explicit ExternalChecker(ExternalCheckOptions options, CheckClock& clock = SystemCheckClock());
    ~ExternalChecker();
    ExternalChecker(const ExternalChecker&) = delete;
    ExternalChecker& operator=(const ExternalChecker&) = delete;

    std::vector<UrlResult> Check(const std::vector<std::string>& urls,
                                 ExternalCheckListener* listener = nullptr);
    void Stop();
    bool Stopped() const { return stop_.load(); }

private:
    ExternalCheckOptions options_;
    CheckClock& clock_;
    std::atomic<bool> stop_{false};
    std::mutex multiMutex_; // guards multi_ against Stop() from another thread
    void* multi_ = nullptr;
};

// Seconds a Retry-After value asks for: a number of seconds or an HTTP
// date measured from Now; -1 when it is neither.
long long RetryAfterSeconds(std::string_view value, std::int64_t now);

} // namespace tw
