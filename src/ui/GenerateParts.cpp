// The site map page written in parts (--max-links): each part listed on
// the status page, and the parts of an earlier, longer run named there.

#include "output/ModernLayout.h"
#include "output/OutputGuard.h"
#include "output/OutputTargets.h"
#include "output/PagedSiteMap.h"
#include "support/NXStrings.h"
#include "ui/Dialogs.h"
#include "ui/GenerateRun.h"
#include "ui/OutputStatusPage.h"
#include "ui/Text.h"

namespace tw::ui {

using namespace Qt::StringLiterals;

bool GenerateRun::WriteParts() {
    const PagedSiteMap paged(tree_, profile_);
    const size_t count = paged.PartCount();
    std::vector<int> lines;
    std::vector<RunOutput> later;
    for (size_t k = 0; k < count; ++k) {
        lines.push_back(page_.AddFile(u"Site map page %1 of %2"_s.arg(k + 1).arg(count),
                                      ToQ(paged.PartFile(k))));
        if (k > 0)
            later.push_back({paged.PartFile(k)});
    }
    // The first part was checked with the other outputs before the run; the
    // later ones are known only now.
    try {
        try {
            CheckRunOutputs(later, profile_.IndexPage(), profile_.FileTypes(), false);
        } catch (const EOutputRefused& e) {
            if (e.Which() != EOutputRefused::Reason::SitePage ||
                dialogs_.messageBox(page_.window(), AppTitle(),
                                    QString::fromUtf8(e.what()) + u".\n\nReplace it?"_s,
                                    MsgIcon::Warning, MsgButtons::YesNoDefaultNo) != MsgResult::Yes)
                throw;
            CheckRunOutputs(later, profile_.IndexPage(), profile_.FileTypes(), true);
        }
    } catch (const EOutputRefused& e) {
        page_.FileFailed(lines[0], u"Not written"_s);
        page_.FilesNotWritten();
        if (e.Which() != EOutputRefused::Reason::SitePage)
            dialogs_.messageBox(page_.window(), AppTitle(),
                                ErrorBoxText(QString::fromUtf8(e.what())), MsgIcon::Error,
                                MsgButtons::Ok);
        return false;
    }
    size_t written = 0;
    try {
        WriteSiteMapFile(
            tree_, profile_, nullptr, programFolder_, [&](const std::string&, size_t links) {
                page_.FileWritten(lines[written++],
                                  ToQ(CountOf(static_cast<long long>(links), "link", "links")));
            });
    } catch (...) {
        page_.FileFailed(lines[std::min(written, count - 1)], u"Not written"_s);
        page_.FilesNotWritten();
        throw;
    }
    for (const std::string& path : LeftoverSiteMapParts(profile_.OutputFileName(), count))
        page_.FileWritten(page_.AddFile(u"Older site map page"_s, ToQ(path)),
                          u"not written now, not deleted"_s);
    // The memo shows the first part, the page the user publishes.
    text_.clear();
    paged.WritePart(0, ModernPageLanguageOf(profile_), nullptr,
                    [this](std::string_view piece) { text_ += piece; });
    page_.ShowWritten(ToQ(profile_.OutputFileName()), text_);
    return true;
}

} // namespace tw::ui
