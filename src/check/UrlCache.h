#pragma once

// The results of earlier external checks, kept in a file between runs so
// that a later run asks again only what failed or grew old.

#include "check/ExternalCheck.h"

#include <cstddef>
#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tw {

// "30m", "12h", "2d", "90s" or a number of seconds into seconds; nothing
// for any other text.
std::optional<std::int64_t> ParseCacheAge(std::string_view text);

class UrlCache {
public:
    // At most this many results are written, the newest ones.
    static constexpr size_t kMaxEntries = 200000;
    // A file larger than this is no cache of ours.
    static constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{64} << 20;

    // The cache in Path: empty when there is no such file. A file that is
    // damaged, foreign or too large is ignored, and Warning says so.
    static UrlCache Load(const std::string& path, std::string& warning);

    // The good result kept for Url if it is younger than MaxAge seconds at
    // Now; failures are never reused.
    std::optional<UrlResult> Fresh(const std::string& url, std::int64_t now,
                                   std::int64_t maxAge) const;
    void Store(const std::string& url, const UrlResult& result, std::int64_t now);
    // Writes the cache atomically; raises what AtomicFile raises.
    void Save(const std::string& path) const;

    size_t Size() const { return entries_.size(); }

private:
    void ReadEntries(const nlohmann::json& entries);

    struct Entry {
        UrlResult Result;
        std::int64_t Time = 0;
    };
    std::unordered_map<std::string, Entry> entries_;
};

} // namespace tw
