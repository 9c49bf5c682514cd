#include "check/DiskCache.h"

#include "scan/PageReading.h"
#include "support/NXFiles.h"

#include <algorithm>

namespace tw {

const DiskEntry& DiskCache::Lookup(const std::string& path) {
    const HashedPath key{path, PathHash{}(path)};
    Shard& shard = shards_[key.Hash % kShards];
    {
        std::lock_guard lock(shard.Mutex);
        if (auto it = shard.Entries.find(key); it != shard.Entries.end())
            return it->second;
    }
    DiskEntry entry = Examine(path);
    std::lock_guard lock(shard.Mutex);
    return shard.Entries.try_emplace(path, std::move(entry)).first->second;
}

DiskEntry DiskCache::Examine(const std::string& path) const {
    DiskEntry entry;
    const PathKind kind = StatusOf(path).Kind;
    if (kind == PathKind::File) {
        entry.Kind = EntryKind::File;
        entry.Page = PageOf(path);
    } else if (kind == PathKind::Folder) {
        entry.Kind = EntryKind::Folder;
        entry.DefaultPage = FindFolderIndexPage(path);
        entry.Page = PageOf(entry.DefaultPage);
    }
    return entry;
}

size_t DiskCache::PageOf(const std::string& path) const {
    auto it = pageIndex_.find(path);
    if (it != pageIndex_.end() || revisited_.Empty())
        return it == pageIndex_.end() ? kNoPage : it->second;
    // A folder the scan walked under another name: its pages are
    // there. Each step takes one more folder of the path as walked.
    std::string walked = path;
    for (size_t steps = std::count(path.begin(), path.end(), '/'); steps > 0; --steps) {
        const auto* place = revisited_.Find(walked);
        if (!place)
            break;
        walked = place->second + walked.substr(place->first.size());
        if (it = pageIndex_.find(walked); it != pageIndex_.end())
            return it->second;
    }
    return kNoPage;
}

} // namespace tw
