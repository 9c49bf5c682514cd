#pragma once

#include "check/FolderPrefixes.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tw {

enum class EntryKind : std::uint8_t { Missing, File, Folder };

// No checked page.
inline constexpr size_t kNoPage = SIZE_MAX;

struct DiskEntry {
    EntryKind Kind = EntryKind::Missing;
    std::string DefaultPage; // folders: the full path of their default page, or empty
    size_t Page = kNoPage;   // the checked page it leads to: itself, or its default page
};

// A path with its hash, so that the shard and the table's bucket come from
// one hashing.
struct HashedPath {
    std::string_view Path;
    size_t Hash;
};

struct PathHash {
    using is_transparent = void;
    size_t operator()(std::string_view path) const { return std::hash<std::string_view>{}(path); }
    size_t operator()(const HashedPath& path) const { return path.Hash; }
};

struct PathEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return a == b; }
    bool operator()(const HashedPath& a, std::string_view b) const { return a.Path == b; }
    bool operator()(std::string_view a, const HashedPath& b) const { return a == b.Path; }
};

// What the paths that links name are, looked at once each. Pages are
// checked on several threads, and the lookups with them: the table is split
// into shards, each with its own lock, so that threads seldom wait.
class DiskCache {
public:
    // PageIndex maps a checked page's path to its number; Revisited holds
    // the places where the scan met a folder it had walked under another
    // name, each with that name. Both must outlive the cache.
    DiskCache(const std::unordered_map<std::string, size_t>& pageIndex,
              const FolderPrefixes& revisited)
        : pageIndex_(pageIndex), revisited_(revisited) {}

    // What is at Path (absolute, without a trailing "/"). The entry stays
    // where it is for the cache's lifetime.
    const DiskEntry& Lookup(const std::string& path);

private:
    static constexpr size_t kShards = 64;

    struct Shard {
        std::mutex Mutex;
        std::unordered_map<std::string, DiskEntry, PathHash, PathEqual> Entries;
    };

    DiskEntry Examine(const std::string& path) const;
    size_t PageOf(const std::string& path) const;

    const std::unordered_map<std::string, size_t>& pageIndex_;
    const FolderPrefixes& revisited_;
    Shard shards_[kShards];
};

} // namespace tw
