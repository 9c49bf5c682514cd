#include "check/UrlCache.h"

#include "support/AtomicFile.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace tw {

namespace {

constexpr const char* kFormat = "zephyrix-trailwright-url-cache";
constexpr int kVersion = 1;

struct DamagedEntry {};

} // namespace

std::optional<std::int64_t> ParseCacheAge(std::string_view text) {
    std::int64_t unit = 1;
    if (!text.empty()) {
        switch (text.back()) {
        case 's':
            unit = 1;
            break;
        case 'm':
            unit = 60;
            break;
        case 'h':
            unit = 3600;
            break;
        case 'd':
            unit = 86400;
            break;
        default:
            unit = 0;
            break;
        }
        if (unit != 0)
            text.remove_suffix(1);
        else
            unit = 1;
    }
    std::int64_t count = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || count < 0 ||
        count > (std::int64_t{1} << 40))
        return std::nullopt;
    return count * unit;
}

UrlCache UrlCache::Load(const std::string& path, std::string& warning) {
    UrlCache cache;
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return cache;
    auto ignored = [&](const std::string& why) {
        warning = "The cache file " + path + " is ignored: " + why;
        cache.entries_.clear();
        return cache;
    };
    std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return ignored(error.message());
    if (size > kMaxFileBytes)
        return ignored("it is larger than 64 MB");
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        return ignored("it cannot be read");
    nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object())
        return ignored("it is not a cache file");
    auto format = json.find("format");
    auto version = json.find("version");
    auto entries = json.find("entries");
    if (format == json.end() || *format != kFormat || version == json.end() ||
        *version != kVersion || entries == json.end() || !entries->is_array())
        return ignored("it is not a cache file of this program");
    // A field of the wrong type raises: the file is then damaged, not fatal.
    try {
        cache.ReadEntries(*entries);
    } catch (const nlohmann::json::exception&) {
        return ignored("an entry is damaged");
    } catch (const DamagedEntry&) {
        return ignored("an entry is damaged");
    } catch (const std::length_error&) {
        return ignored("it holds too many entries");
    }
    return cache;
}

void UrlCache::ReadEntries(const nlohmann::json& entries) {
    for (const nlohmann::json& item : entries) {
        auto url = item.find("url");
        auto status = item.find("status");
        auto time = item.find("time");
        if (!item.is_object() || url == item.end() || !url->is_string() || status == item.end() ||
            !status->is_number_integer() || time == item.end() || !time->is_number_integer())
            throw DamagedEntry();
        Entry entry;
        entry.Time = time->get<std::int64_t>();
        UrlResult& r = entry.Result;
        r.Status = status->get<int>();
        r.Good = item.value("good", false);
        r.Moved = item.value("moved", false);
        r.FinalUrl = item.value("finalUrl", std::string());
        r.Error = item.value("error", std::string());
        entries_[url->get<std::string>()] = std::move(entry);
        if (entries_.size() > kMaxEntries)
            throw std::length_error("entries");
    }
}

std::optional<UrlResult> UrlCache::Fresh(const std::string& url, std::int64_t now,
                                         std::int64_t maxAge) const {
    auto it = entries_.find(url);
    if (it == entries_.end() || !it->second.Result.Good || now - it->second.Time > maxAge ||
        it->second.Time > now)
        return std::nullopt;
    UrlResult result = it->second.Result;
    result.FromCache = true;
    return result;
}

void UrlCache::Store(const std::string& url, const UrlResult& result, std::int64_t now) {
    Entry& entry = entries_[url];
    entry.Result = result;
    entry.Result.FromCache = false;
    entry.Time = now;
}

void UrlCache::Save(const std::string& path) const {
    std::vector<const std::pair<const std::string, Entry>*> kept;
    kept.reserve(entries_.size());
    for (const auto& item : entries_)
        kept.push_back(&item);
    if (kept.size() > kMaxEntries) {
        std::nth_element(kept.begin(), kept.begin() + kMaxEntries, kept.end(),
                         [](auto* a, auto* b) { return a->second.Time > b->second.Time; });
        kept.resize(kMaxEntries);
    }
    std::sort(kept.begin(), kept.end(), [](auto* a, auto* b) { return a->first < b->first; });
    nlohmann::json entries = nlohmann::json::array();
    for (const auto* item : kept) {
        const UrlResult& r = item->second.Result;
        nlohmann::json e = {{"url", item->first},
                            {"status", r.Status},
                            {"good", r.Good},
                            {"time", item->second.Time}};
        if (r.Moved)
            e["moved"] = true;
        if (!r.FinalUrl.empty())
            e["finalUrl"] = r.FinalUrl;
        if (!r.Error.empty())
            e["error"] = r.Error;
        entries.push_back(std::move(e));
    }
    nlohmann::json json = {{"format", kFormat}, {"version", kVersion}, {"entries", entries}};
    std::string text = json.dump(1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    // A cache in a folder not made yet (the wizard's configuration folder,
    // ~/.cache) is kept all the same; a failure shows as the write's own.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    AtomicFile file(path);
    file.Write(text.data(), text.size());
    file.Commit();
}

} // namespace tw
