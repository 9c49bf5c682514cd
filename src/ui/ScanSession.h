#pragma once

#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "output/SearchSitemaps.h"

#include <QString>

namespace tw {
class ScanRun;
} // namespace tw

namespace tw::ui {

class ResultsPage;
class StatusPage;

// The scan of the status page: the walk of the site into the tree, its log
// and figures on the page, the tree handed to the results page, and what
// the sitemaps later need of the scan. The window keeps its buttons and
// the error boxes.
class ScanSession {
public:
    ScanSession(TSiteMapTree& tree, const TMapProfile& profile, StatusPage& status,
                ResultsPage& results);

    struct Outcome {
        // False: the site's folder went away after Next checked it, and
        // nothing was walked.
        bool Prepared = true;
        // The reason a walk ended early, or the folder's error.
        QString Error;
    };
    // Runs the whole scan, letting events through while it walks.
    Outcome Run();
    // Ends a running walk early; harmless when none runs.
    void Stop();
    // A close accepted while the page was being painted leaves nothing to
    // walk; a window shown again may scan again.
    void SetWindowClosed(bool closed) { windowClosed_ = closed; }

    bool Searching() const { return searching_; }
    int FoundCount() const { return foundCount_; }
    void ClearFoundCount() { foundCount_ = 0; }
    // Whether the last scan read what pages say of themselves, and their
    // pictures, which the sitemaps' rules need.
    bool ReadPageFacts() const { return readFacts_; }
    bool ReadPictures() const { return readPictures_; }
    // The tree's files as the last scan left them, before any edit.
    const SitemapFileCount& ScannedFiles() const { return scannedFiles_; }

private:
    // The scan in steps: the page made ready, the folder found, the walk
    // (its error, if any), its figures, the end.
    void Begin();
    bool Prepare(ScanRun& run, QString& error);
    QString Walk(ScanRun& run);
    void Report(const ScanRun& run);
    void End();

    TSiteMapTree& tree_;
    const TMapProfile& profile_;
    StatusPage& status_;
    ResultsPage& results_;
    ScanRun* scan_ = nullptr;
    bool searching_ = false;
    bool windowClosed_ = false;
    int foundCount_ = 0;
    bool readFacts_ = false;
    bool readPictures_ = false;
    SitemapFileCount scannedFiles_;
};

} // namespace tw::ui
