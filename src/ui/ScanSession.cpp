#include "ui/ScanSession.h"

#include "scan/IgnoreRules.h"
#include "scan/ScanRun.h"
#include "ui/ResultsPage.h"
#include "ui/SiteMapTreeModel.h"
#include "ui/StatusPage.h"
#include "ui/Text.h"

#include <QCoreApplication>

namespace tw::ui {

using namespace Qt::StringLiterals;

ScanSession::ScanSession(TSiteMapTree& tree, const TMapProfile& profile, StatusPage& status,
                         ResultsPage& results)
    : tree_(tree), profile_(profile), status_(status), results_(results) {}

ScanSession::Outcome ScanSession::Run() {
    Begin();
    ScanRun run(tree_, profile_, &status_);
    // What the sitemaps need comes from the scan's own reads; turned on
    // after the scan, they read it when written.
    readFacts_ = profile_.XmlSitemap();
    readPictures_ = profile_.XmlImages();
    run.SetFileTimesWanted(readFacts_);
    run.SetPageFactsWanted(readFacts_, readPictures_);
    Outcome outcome;
    if (!Prepare(run, outcome.Error)) {
        outcome.Prepared = false;
        return outcome;
    }
    SiteMapTreeModel* model = results_.Model();
    model->Suspend();
    outcome.Error = Walk(run);
    Report(run);
    run.Finish();
    results_.SetTrimmedPart(ToQ(run.TrimmedTitlePart().Text));
    scannedFiles_ = CountSitemapFiles(tree_);
    model->Resume();
    results_.ShowScanResult();
    End();
    return outcome;
}

void ScanSession::Stop() {
    if (searching_ && scan_)
        scan_->Stop();
}

void ScanSession::Begin() {
    foundCount_ = 0;
    status_.SetFileCount(0);
    status_.SetTitle(u"Searching for files, please wait...."_s);
    QCoreApplication::processEvents();
    status_.ClearLog();
    for (const std::string& entry : IgnoreEntriesMatchingNothing(profile_))
        status_.AppendLog(u"Warning: the ignore entry "_s + ToQ(entry) +
                          u" matches no folder or file of the site"_s);
    status_.ClearLocation();
    // Check Site checks the site as this scan sees it.
    results_.SetScannedProfile(profile_);
    tree_.Clear();
    status_.Animation()->Start();
}

bool ScanSession::Prepare(ScanRun& run, QString& error) {
    try {
        run.Prepare();
        return true;
    } catch (const std::exception& e) {
        status_.Animation()->Stop();
        error = QString::fromUtf8(e.what());
        return false;
    }
}

QString ScanSession::Walk(ScanRun& run) {
    QString walkError;
    scan_ = &run;
    searching_ = true;
    try {
        if (!windowClosed_)
            run.Execute();
    } catch (const std::exception& e) {
        walkError = QString::fromUtf8(e.what());
    }
    searching_ = false;
    scan_ = nullptr;
    return walkError;
}

void ScanSession::Report(const ScanRun& run) {
    foundCount_ = run.FoundCount();
    status_.Flush();
    status_.SetFileCount(foundCount_);
    status_.Animation()->Stop();
    status_.AppendLog(u"Total Files: "_s + QString::number(foundCount_));
    // The root is shown under the tree before the pruning, which can take
    // it away when no file was added.
    if (SiteMapNode* root = tree_.First())
        results_.SetLinkFileName(ToQ(root->Data.FilePath));
}

void ScanSession::End() {
    status_.ClearLocation();
    status_.SetTitle(u"Search Complete! Press Next to View Results."_s);
}

} // namespace tw::ui
