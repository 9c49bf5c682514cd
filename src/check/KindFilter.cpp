#include "check/CheckReport.h"

#include <algorithm>

namespace tw {

using findings::IdOf;
using findings::KindOf;

void KeepKinds(LinkReport& report, const std::array<bool, kFindingKindCount>& keep) {
    auto kept = [&keep](FindingKind kind) { return keep[static_cast<size_t>(kind)]; };
    auto dropIf = [](auto& list, auto&& drop) {
        list.erase(std::remove_if(list.begin(), list.end(), drop), list.end());
    };
    dropIf(report.DeadLinks, [&](const DeadLink& d) { return !kept(KindOf(d.Reason)); });
    if (!kept(FindingKind::OrphanPage))
        report.OrphanPages.clear();
    dropIf(report.TitleProblems, [&](const TitleProblem& t) { return !kept(KindOf(t.Kind)); });
    if (!kept(FindingKind::FolderWithoutDefaultPage))
        report.FoldersWithoutDefaultPage.clear();
    if (!kept(FindingKind::NotFullyChecked))
        report.Notes.clear();
    if (!kept(FindingKind::UnreadableFolder))
        report.UnreadableFolders.clear();
    dropIf(report.ExternalUrls, [&](const ExternalUrl& u) {
        return !kept(u.Dead ? FindingKind::ExternalDeadLink : FindingKind::MovedPermanently);
    });
    dropIf(report.Quality, [&](const QualityProblem& q) { return !kept(KindOf(q.Kind)); });
}

} // namespace tw
