#include "check/CaseHints.h"

#include <algorithm>
#include <string_view>

namespace tw {

const TSearchRec* CaseHints::FolderNames::Find(std::string_view name) const {
    struct FoldedLess {
        static unsigned char Up(char c) {
            const auto u = static_cast<unsigned char>(c);
            return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - 'a' + 'A') : u;
        }
        static bool Less(std::string_view a, std::string_view b) {
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                [](char x, char y) { return Up(x) < Up(y); });
        }
        bool operator()(const TSearchRec& a, std::string_view b) const { return Less(a.Name, b); }
        bool operator()(std::string_view a, const TSearchRec& b) const { return Less(a, b.Name); }
    };
    auto [first, last] = std::equal_range(Entries.begin(), Entries.end(), name, FoldedLess{});
    if (first == last)
        return nullptr;
    auto exact = std::lower_bound(first, last, name, [](const TSearchRec& a, std::string_view b) {
        return std::string_view(a.Name) < b;
    });
    return exact != last && exact->Name == name ? &*exact : &*first;
}

const CaseHints::FolderNames& CaseHints::NamesOf(const std::string& folder) {
    auto [it, added] = listings_.try_emplace(folder);
    if (added)
        ListFolder(folder, it->second.Entries, ListingDetail::Types);
    return it->second;
}

bool CaseHints::ExistsIgnoringCase(const std::string& root, const std::string& path) {
    if (!path.starts_with(root))
        return false;
    std::string folder = root;
    std::string_view rest = std::string_view(path).substr(root.size());
    const bool namesFolder = path.ends_with('/');
    bool caseDiffers = false;
    while (!rest.empty()) {
        size_t slash = rest.find('/');
        std::string_view step = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (step.empty())
            continue;
        const FolderNames& names = NamesOf(folder);
        // An exact name wins over one that differs in case.
        const TSearchRec* match = names.Find(step);
        if (!match)
            return false;
        const bool last = rest.find_first_not_of('/') == std::string_view::npos;
        if ((!last || namesFolder) && !(match->Attr & faDirectory))
            return false;
        caseDiffers = caseDiffers || match->Name != step;
        folder += match->Name + "/";
        if (last)
            break;
    }
    return caseDiffers;
}

} // namespace tw
