#include "check/ExternalCheck.h"

#include <algorithm>
#include <charconv>
#include <curl/curl.h>
#include <deque>
#include <memory>
#include <queue>
#include <thread>
#include <unordered_map>

namespace tw {

namespace {

using Clock = CheckClock::TimePoint;
using std::chrono::milliseconds;

class SystemClock final : public CheckClock {
public:
    TimePoint Now() override { return std::chrono::steady_clock::now(); }
    void SleepUntil(TimePoint until) override { std::this_thread::sleep_until(until); }
    std::int64_t UnixTime() override {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
};

// A stop is seen within this long while the engine waits: the wizard's
// Stop answers within 100 ms.
constexpr milliseconds kWakeStep{50};
constexpr int kMaxRedirects = 10;

// curl_global_init is not thread-safe: done once, before the first check.
void GlobalInit() {
    static const bool done = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }();
    (void)done;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && Lower(text.substr(0, prefix.size())) == prefix;
}

bool IsHttpUrl(std::string_view url) {
    return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://");
}

std::string TransportError(CURLcode code, const char* detail) {
    std::string words;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        words = "host not found";
        break;
    case CURLE_COULDNT_CONNECT:
        words = "connection refused";
        break;
    case CURLE_PEER_FAILED_VERIFICATION:
        words = "TLS certificate not trusted";
        break;
    case CURLE_SSL_CONNECT_ERROR:
        words = "TLS handshake failed";
        break;
    case CURLE_GOT_NOTHING:
        words = "connection closed without an answer";
        break;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
        words = "connection reset";
        break;
    default:
        words = curl_easy_strerror(code);
        break;
    }
    // Name lookups and refusals say it all; curl's text adds timings.
    bool plain = code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_CONNECT;
    if (!plain && detail != nullptr && *detail != '\0')
        words += std::string(" (") + detail + ")";
    return words;
}

struct Job {
    std::string Url; // the current step of its redirect chain
    std::string Host;
    std::vector<std::string> Chain; // the URLs before it
    bool Permanent = false;
    bool Get = false;
    int Attempt = 0;
    bool Done = false;
    UrlResult Result;
    size_t WaitsFor = SIZE_MAX;  // the job of the set its chain led to
    std::vector<size_t> Waiters; // the jobs whose chains lead here
};

constexpr size_t kNone = SIZE_MAX;

struct Transfer {
    CURL* Easy = nullptr;
    size_t JobIndex = 0;
    Clock Start;
    std::string RetryAfter;
    bool BodyCut = false;
    char ErrorText[CURL_ERROR_SIZE] = {};
};

struct HostState {
    int InFlight = 0;
    bool Started = false;
    Clock LastStart;
    bool Candidate = false;
    bool WakePending = false;
    std::deque<size_t> Waiting; // jobs ready to start
};

struct Timer {
    Clock At;
    bool IsHost; // a host whose interval ends, else a job whose retry is due
    size_t Index;
    bool operator>(const Timer& o) const { return At > o.At; }
};

size_t HeaderLine(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    std::string_view line(data, size * count);
    if (line.starts_with("HTTP/"))
        t->RetryAfter.clear();
    else if (StartsWithNoCase(line, "retry-after:")) {
        std::string_view value = line.substr(12);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
            value.remove_prefix(1);
        while (!value.empty() && (value.back() == '\r' || value.back() == '\n' ||
                                  value.back() == ' ' || value.back() == '\t'))
            value.remove_suffix(1);
        t->RetryAfter = value;
    }
    return size * count;
}

// The status is known once the body starts: the rest is not needed.
size_t CutBody(char*, size_t, size_t, void* user) {
    static_cast<Transfer*>(user)->BodyCut = true;
    return 0;
}

class Engine {
public:
    Engine(const ExternalCheckOptions& options, CheckClock& clock, std::atomic<bool>& stop,
           CURLM* multi, ExternalCheckListener* listener)
        : options_(options), clock_(clock), stop_(stop), multi_(multi), listener_(listener) {}

    std::vector<UrlResult> Run(const std::vector<std::string>& urls) {
        jobs_.resize(urls.size());
        for (size_t i = 0; i < urls.size(); ++i)
            index_.try_emplace(urls[i], i);
        for (size_t i = 0; i < urls.size(); ++i) {
            jobs_[i].Url = urls[i];
            if (!IsHttpUrl(urls[i]) || (jobs_[i].Host = UrlHost(urls[i])).empty()) {
                Finish(i, 0, "not an http or https address");
                continue;
            }
            Enqueue(i, false);
        }
        while (done_ < jobs_.size() && !stop_.load()) {
            StartTransfers();
            int runningHandles = 0;
            curl_multi_perform(multi_, &runningHandles);
            bool freed = ReadFinished();
            CheckTimeouts();
            if (done_ == jobs_.size() || stop_.load())
                break;
            // A finished transfer frees its host's place: the next one starts
            // now, not after the poll's next event, up to a whole latency later.
            if (!freed)
                Wait();
        }
        AbortAll();
        std::vector<UrlResult> results;
        results.reserve(jobs_.size());
        for (Job& job : jobs_) {
            if (!job.Done)
                job.Result.Error = "not checked: stopped";
            results.push_back(std::move(job.Result));
        }
        return results;
    }

private:
    HostState& HostOf(const std::string& host) { return hosts_[host]; }

    void Enqueue(size_t index, bool front) {
        HostState& host = HostOf(jobs_[index].Host);
        if (front)
            host.Waiting.push_front(index);
        else
            host.Waiting.push_back(index);
        MarkCandidate(jobs_[index].Host);
    }

    void MarkCandidate(const std::string& name) {
        HostState& host = HostOf(name);
        if (!host.Candidate) {
            host.Candidate = true;
            candidates_.push_back(name);
        }
    }

    void StartTransfers() {
        Clock now = clock_.Now();
        while (!timers_.empty() && timers_.top().At <= now) {
            Timer timer = timers_.top();
            timers_.pop();
            if (timer.IsHost) {
                const std::string& name = hostNames_[timer.Index];
                HostOf(name).WakePending = false;
                MarkCandidate(name);
            } else {
                Enqueue(timer.Index, true);
            }
        }
        std::deque<std::string> blocked;
        while (running_.size() < static_cast<size_t>(std::max(1, options_.MaxConcurrency)) &&
               !candidates_.empty()) {
            std::string name = std::move(candidates_.front());
            candidates_.pop_front();
            HostState& host = HostOf(name);
            host.Candidate = false;
            if (host.Waiting.empty() || host.InFlight >= std::max(1, options_.HostConcurrency))
                continue;
            if (host.Started && now < host.LastStart + options_.HostInterval) {
                if (!host.WakePending) {
                    host.WakePending = true;
                    hostNames_.push_back(name);
                    timers_.push(
                        {host.LastStart + options_.HostInterval, true, hostNames_.size() - 1});
                }
                continue;
            }
            size_t index = host.Waiting.front();
            host.Waiting.pop_front();
            host.InFlight++;
            host.Started = true;
            host.LastStart = now;
            StartTransfer(index, now);
            if (!host.Waiting.empty())
                MarkCandidate(name);
        }
    }

    void StartTransfer(size_t index, Clock now) {
        Job& job = jobs_[index];
        auto transfer = std::make_unique<Transfer>();
        transfer->JobIndex = index;
        transfer->Start = now;
        CURL* easy = curl_easy_init();
        transfer->Easy = easy;
        curl_easy_setopt(easy, CURLOPT_URL, job.Url.c_str());
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_2TLS));
        curl_easy_setopt(easy, CURLOPT_USERAGENT, options_.UserAgent.c_str());
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        // A stop must not wait for a name lookup in progress to end.
        curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!options_.CaFile.empty())
            curl_easy_setopt(easy, CURLOPT_CAINFO, options_.CaFile.c_str());
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer->ErrorText);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HeaderLine);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, transfer.get());
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CutBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
        curl_easy_setopt(easy, CURLOPT_PRIVATE, transfer.get());
        if (!job.Get)
            curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        curl_multi_add_handle(multi_, easy);
        running_.push_back(std::move(transfer));
    }

    // True when a transfer finished.
    bool ReadFinished() {
        bool any = false;
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi_, &left)) {
            if (msg->msg != CURLMSG_DONE)
                continue;
            CURLcode code = msg->data.result;
            auto it = std::find_if(running_.begin(), running_.end(),
                                   [&](const auto& t) { return t->Easy == msg->easy_handle; });
            if (it == running_.end())
                continue;
            std::unique_ptr<Transfer> transfer = std::move(*it);
            running_.erase(it);
            Completed(*transfer, code, false);
            any = true;
        }
        return any;
    }

    void CheckTimeouts() {
        Clock now = clock_.Now();
        for (size_t i = 0; i < running_.size();) {
            if (now - running_[i]->Start >= options_.Timeout) {
                std::unique_ptr<Transfer> transfer = std::move(running_[i]);
                running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(i));
                Completed(*transfer, CURLE_OPERATION_TIMEDOUT, true);
            } else {
                ++i;
            }
        }
    }

    void Release(Transfer& transfer) {
        curl_multi_remove_handle(multi_, transfer.Easy);
        curl_easy_cleanup(transfer.Easy);
        transfer.Easy = nullptr;
    }

    void Completed(Transfer& transfer, CURLcode code, bool timedOut) {
        size_t index = transfer.JobIndex;
        Job& job = jobs_[index];
        HostState& host = HostOf(job.Host);
        host.InFlight--;
        MarkCandidate(job.Host);
        long status = 0;
        curl_easy_getinfo(transfer.Easy, CURLINFO_RESPONSE_CODE, &status);
        const char* location = nullptr;
        curl_easy_getinfo(transfer.Easy, CURLINFO_REDIRECT_URL, &location);
        std::string redirect = location != nullptr ? location : "";
        std::string detail = transfer.ErrorText;
        std::string retryAfter = std::move(transfer.RetryAfter);
        bool answered = !timedOut && status > 0 &&
                        (code == CURLE_OK || (code == CURLE_WRITE_ERROR && transfer.BodyCut));
        Release(transfer);
        if (!answered) {
            if (timedOut || code == CURLE_OPERATION_TIMEDOUT) {
                if (Retry(index, {}))
                    return;
                Finish(index, 0,
                       "timed out after " +
                           std::to_string(
                               std::chrono::duration_cast<std::chrono::seconds>(options_.Timeout)
                                   .count()) +
                           " s");
                return;
            }
            Finish(index, 0, TransportError(code, detail.c_str()));
            return;
        }
        int httpStatus = static_cast<int>(status);
        if (httpStatus >= 300 && httpStatus < 400 && !redirect.empty()) {
            Redirected(index, httpStatus, redirect);
            return;
        }
        if (!job.Get && httpStatus >= 400) {
            // Many servers refuse or mishandle HEAD: GET tells.
            job.Get = true;
            Enqueue(index, true);
            return;
        }
        if ((httpStatus == 429 || httpStatus >= 500) && !Accepted(httpStatus)) {
            if (Retry(index, retryAfter))
                return;
            if (!job.Result.Error.empty()) { // a Retry-After past the limit
                job.Result.Status = httpStatus;
                FinishWith(index);
                return;
            }
        }
        Finish(index, httpStatus, {});
    }

    void Redirected(size_t index, int status, const std::string& target) {
        Job& job = jobs_[index];
        std::string next = WithoutFragment(target);
        if (!IsHttpUrl(next)) {
            Finish(index, status, "redirect to an address that is not http or https");
            return;
        }
        job.Chain.push_back(std::move(job.Url));
        if (std::find(job.Chain.begin(), job.Chain.end(), next) != job.Chain.end()) {
            Finish(index, status, "redirect loop");
            return;
        }
        if (job.Chain.size() > static_cast<size_t>(kMaxRedirects)) {
            Finish(index, status, "more than 10 redirects");
            return;
        }
        job.Permanent = job.Permanent || status == 301 || status == 308;
        // A URL of the set is asked once: the chain takes its answer.
        if (auto other = index_.find(next); other != index_.end() && other->second != index) {
            size_t first = other->second;
            if (jobs_[first].Done) {
                Adopt(index, first);
                return;
            }
            for (size_t k = first; k != kNone; k = jobs_[k].WaitsFor)
                if (k == index) {
                    Finish(index, status, "redirect loop");
                    return;
                }
            jobs_[index].WaitsFor = first;
            jobs_[first].Waiters.push_back(index);
            return;
        }
        job.Url = std::move(next);
        job.Host = UrlHost(job.Url);
        job.Get = false;
        job.Attempt = 0;
        if (job.Host.empty()) {
            Finish(index, status, "redirect to an address without a host");
            return;
        }
        Enqueue(index, false);
    }

    // Schedules another try, after a wait that grows with each one, or that
    // RetryAfter asks for; false when no try is left or the wait is too long.
    bool Retry(size_t index, const std::string& retryAfter) {
        Job& job = jobs_[index];
        if (job.Attempt >= options_.Retries)
            return false;
        milliseconds wait = options_.RetryBase * (1LL << std::min(job.Attempt, 20));
        if (!retryAfter.empty()) {
            long long seconds = RetryAfterSeconds(retryAfter, clock_.UnixTime());
            if (seconds > options_.MaxRetryWait.count()) {
                job.Result.Error = "asked to retry after " + std::to_string(seconds) +
                                   " s, more than the " +
                                   std::to_string(options_.MaxRetryWait.count()) + " s allowed";
                return false;
            }
            if (seconds >= 0)
                wait = std::chrono::seconds(seconds);
        }
        job.Attempt++;
        timers_.push({clock_.Now() + wait, false, index});
        return true;
    }

    bool Accepted(int status) const {
        return std::any_of(options_.Accept.begin(), options_.Accept.end(),
                           [&](const auto& r) { return status >= r.first && status <= r.second; });
    }

    void Finish(size_t index, int status, std::string error) {
        Job& job = jobs_[index];
        job.Result.Status = status;
        job.Result.Error = std::move(error);
        FinishWith(index);
    }

    // Index's chain led to Target, done: its answer is Index's too.
    void Adopt(size_t index, size_t target) {
        Job& job = jobs_[index];
        const UrlResult& r = jobs_[target].Result;
        job.Result = r;
        if (r.FinalUrl.empty())
            job.Result.FinalUrl = jobs_[target].Url;
        job.Result.Moved = r.Good && (r.Moved || job.Permanent);
        job.Chain = {};
        Done(index);
    }

    void Done(size_t index) {
        jobs_[index].Done = true;
        ++done_;
        if (listener_ != nullptr)
            listener_->UrlsChecked(done_, jobs_.size());
        std::vector<size_t> waiters = std::move(jobs_[index].Waiters);
        for (size_t waiter : waiters)
            Adopt(waiter, index);
    }

    void FinishWith(size_t index) {
        Job& job = jobs_[index];
        UrlResult& r = job.Result;
        r.Good = r.Error.empty() && r.Status > 0 && Accepted(r.Status);
        if (!r.Good && r.Error.empty())
            r.Error = "HTTP status " + std::to_string(r.Status);
        if (!job.Chain.empty())
            r.FinalUrl = job.Url;
        r.Moved = r.Good && job.Permanent;
        job.Chain = {};
        Done(index);
    }

    // Until a transfer has news, a timer is due or a retry wait has passed.
    void Wait() {
        Clock now = clock_.Now();
        if (running_.empty()) {
            if (timers_.empty())
                return;
            // Nothing in flight: the clock may sleep, a step at a time so
            // that a stop is seen.
            Clock until = std::min(timers_.top().At, now + kWakeStep);
            if (until > now)
                clock_.SleepUntil(until);
            return;
        }
        milliseconds wait = kWakeStep;
        if (!timers_.empty())
            wait = std::min(wait, std::chrono::duration_cast<milliseconds>(timers_.top().At - now));
        for (const auto& t : running_)
            wait = std::min(
                wait, std::chrono::duration_cast<milliseconds>(t->Start + options_.Timeout - now));
        curl_multi_poll(multi_, nullptr, 0, static_cast<int>(std::max<long long>(wait.count(), 0)),
                        nullptr);
    }

    void AbortAll() {
        for (auto& transfer : running_)
            Release(*transfer);
        running_.clear();
    }

    const ExternalCheckOptions& options_;
    CheckClock& clock_;
    std::atomic<bool>& stop_;
    CURLM* multi_;
    ExternalCheckListener* listener_;
    std::vector<Job> jobs_;
    std::unordered_map<std::string, size_t> index_; // the jobs by their first URL
    std::unordered_map<std::string, HostState> hosts_;
    std::deque<std::string> candidates_;
    std::vector<std::string> hostNames_; // of host timers
    std::priority_queue<Timer, std::vector<Timer>, std::greater<>> timers_;
    std::vector<std::unique_ptr<Transfer>> running_;
    size_t done_ = 0;
};

} // namespace

CheckClock& SystemCheckClock() {
    static SystemClock clock;
    return clock;
}

std::string DefaultUserAgent(std::string_view version) {
    return std::string(kUserAgentProduct) + "/" + std::string(version) +
           " (+https://www.zephyrix.example/trailwright/)";
}

std::vector<StatusRange> ParseAcceptCodes(std::string_view text) {
    std::vector<StatusRange> ranges;
    auto number = [](std::string_view part, int& out) {
        auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), out);
        return ec == std::errc() && end == part.data() + part.size() && out >= 100 && out <= 999;
    };
    while (!text.empty()) {
        size_t comma = text.find(',');
        std::string_view part = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        size_t dash = part.find('-');
        int first = 0, last = 0;
        if (dash == std::string_view::npos) {
            if (!number(part, first))
                return {};
            last = first;
        } else if (!number(part.substr(0, dash), first) || !number(part.substr(dash + 1), last) ||
                   last < first) {
            return {};
        }
        ranges.emplace_back(first, last);
        if (comma != std::string_view::npos && text.empty())
            return {};
    }
    return ranges;
}

std::string WithoutFragment(std::string_view url) {
    return std::string(url.substr(0, url.find('#')));
}

std::string UrlHost(std::string_view url) {
    GlobalInit();
    CURLU* handle = curl_url();
    std::string host;
    char* part = nullptr;
    std::string text(url);
    if (curl_url_set(handle, CURLUPART_URL, text.c_str(), 0) == CURLUE_OK &&
        curl_url_get(handle, CURLUPART_HOST, &part, 0) == CURLUE_OK) {
        host = Lower(part);
        curl_free(part);
    }
    curl_url_cleanup(handle);
    return host;
}

long long RetryAfterSeconds(std::string_view value, std::int64_t now) {
    long long seconds = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (ec == std::errc() && end == value.data() + value.size())
        return seconds < 0 ? -1 : seconds;
    std::string text(value);
    time_t when = curl_getdate(text.c_str(), nullptr);
    if (when == -1)
        return -1;
    return std::max<long long>(0, static_cast<long long>(when) - now);
}

ExternalChecker::ExternalChecker(ExternalCheckOptions options, CheckClock& clock)
    : options_(std::move(options)), clock_(clock) {
    if (options_.UserAgent.empty())
        options_.UserAgent = DefaultUserAgent(TW_VERSION);
    GlobalInit();
}

ExternalChecker::~ExternalChecker() = default;

std::vector<UrlResult> ExternalChecker::Check(const std::vector<std::string>& urls,
                                              ExternalCheckListener* listener) {
    CURLM* multi = curl_multi_init();
    curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS,
                      static_cast<long>(std::max(1, options_.HostConcurrency)));
    {
        std::lock_guard lock(multiMutex_);
        multi_ = multi;
    }
    std::vector<UrlResult> results;
    try {
        results = Engine(options_, clock_, stop_, multi, listener).Run(urls);
    } catch (...) {
        std::lock_guard lock(multiMutex_);
        multi_ = nullptr;
        curl_multi_cleanup(multi);
        throw;
    }
    std::lock_guard lock(multiMutex_);
    multi_ = nullptr;
    curl_multi_cleanup(multi);
    return results;
}

void ExternalChecker::Stop() {
    stop_.store(true);
    std::lock_guard lock(multiMutex_);
    if (multi_ != nullptr)
        curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

} // namespace tw
