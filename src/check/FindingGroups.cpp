#include "check/FindingGroups.h"

#include "check/LinkPath.h"

#include <algorithm>
#include <unordered_map>

namespace tw {

std::vector<std::vector<size_t>> FindingsByKind(const std::vector<Finding>& list) {
    std::vector<std::vector<size_t>> byKind(findings::kKinds.size());
    for (size_t i = 0; i < list.size(); ++i) {
        const auto kind = static_cast<size_t>(list[i].Id.Kind);
        if (kind < byKind.size())
            byKind[kind].push_back(i);
    }
    for (std::vector<size_t>& indexes : byKind)
        std::stable_sort(indexes.begin(), indexes.end(), [&list](size_t a, size_t b) {
            const Finding& x = list[a];
            const Finding& y = list[b];
            if (int c = x.Id.Page.compare(y.Id.Page); c != 0)
                return c < 0;
            return x.Line < y.Line;
        });
    return byKind;
}

std::string DeadLinkTarget(const DeadLink& link) {
    const LinkTarget target = ClassifyLink(link.Link);
    std::string path;
    if (target.Kind == LinkKind::External)
        return link.Link;
    if (target.Kind == LinkKind::SamePage) {
        path = link.Page;
    } else {
        // Resolved below a root of its own, so ".." cannot climb out of it.
        const size_t slash = link.Page.rfind('/');
        const std::string folder =
            "/" + (slash == std::string::npos ? std::string() : link.Page.substr(0, slash + 1));
        path = target.Path.starts_with('/') ? JoinLexically("/", target.Path.substr(1))
                                            : JoinLexically(folder, target.Path);
        path.erase(0, 1);
        if (path.empty())
            path = "./";
    }
    if (link.Reason == DeadLinkReason::MissingAnchor && target.Fragment)
        path += "#" + *target.Fragment;
    return path;
}

std::vector<DeadLinkGroup> GroupDeadLinks(const LinkReport& report) {
    std::vector<DeadLinkGroup> groups;
    std::unordered_map<std::string, size_t> index;
    for (size_t i = 0; i < report.DeadLinks.size(); ++i) {
        const DeadLink& d = report.DeadLinks[i];
        std::string target = DeadLinkTarget(d);
        // The reason is part of the key: a folder and a missing page differ.
        std::string key = target;
        key += '\0';
        key += static_cast<char>('0' + static_cast<int>(d.Reason));
        auto [at, added] = index.try_emplace(std::move(key), groups.size());
        if (added)
            groups.push_back({std::move(target), {}, 0});
        DeadLinkGroup& group = groups[at->second];
        // The links are sorted by page: a new page is one unlike the last.
        if (group.Links.empty() || report.DeadLinks[group.Links.back()].Page != d.Page)
            ++group.Pages;
        group.Links.push_back(i);
    }
    std::stable_sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) {
        const size_t x = a.Links.size() > 1 ? a.Links.size() : 0;
        const size_t y = b.Links.size() > 1 ? b.Links.size() : 0;
        return x > y;
    });
    return groups;
}

} // namespace tw
