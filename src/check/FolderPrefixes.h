#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tw {

// Folders (absolute, ending in "/") with a value each, found by a path that
// is one of them or lies below one. A path's prefixes are hashed in one
// pass, so that a long link costs its length whatever the folders.
class FolderPrefixes {
public:
    void Add(const std::string& folder, std::string value) {
        byHash_[Hash(folder, 0, folder.size(), kSeed)].push_back({folder, std::move(value)});
    }
    bool Empty() const { return byHash_.empty(); }

    // The shortest folder that begins Path, with its value; null for none.
    const std::pair<std::string, std::string>* Find(std::string_view path) const {
        if (byHash_.empty())
            return nullptr;
        std::uint64_t hash = kSeed;
        size_t hashed = 0;
        for (size_t slash = path.find('/'); slash != std::string_view::npos;
             slash = path.find('/', slash + 1)) {
            hash = Hash(path, hashed, slash + 1, hash);
            hashed = slash + 1;
            auto it = byHash_.find(hash);
            if (it == byHash_.end())
                continue;
            for (const auto& entry : it->second)
                if (entry.first == path.substr(0, hashed))
                    return &entry;
        }
        return nullptr;
    }

private:
    static constexpr std::uint64_t kSeed = 14695981039346656037ull;
    // FNV-1a, continued over bytes From to To of Text.
    static std::uint64_t Hash(std::string_view text, size_t from, size_t to, std::uint64_t hash) {
        for (size_t i = from; i < to; ++i)
            hash = (hash ^ static_cast<unsigned char>(text[i])) * 1099511628211ull;
        return hash;
    }

    std::unordered_map<std::uint64_t, std::vector<std::pair<std::string, std::string>>> byHash_;
};

} // namespace tw
