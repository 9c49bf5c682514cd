#include "ui/GenerateRun.h"

#include "output/OutputTargets.h"
#include "output/PagedSiteMap.h"
#include "output/RobotsTxt.h"
#include "output/SiteMapWriter.h"
#include "output/SitemapJob.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "ui/Dialogs.h"
#include "ui/OutputStatusPage.h"
#include "ui/ScanSession.h"
#include "ui/Text.h"

#include <QCoreApplication>
#include <map>

namespace tw::ui {

using namespace Qt::StringLiterals;

GenerateRun::GenerateRun(const TSiteMapTree& tree, const TMapProfile& profile,
                         OutputStatusPage& page, IDialogs& dialogs, std::string programFolder)
    : tree_(tree), profile_(profile), page_(page), dialogs_(dialogs),
      programFolder_(std::move(programFolder)) {}

GenerateRun::~GenerateRun() = default;

void GenerateRun::Run(std::unique_ptr<SitemapJob> planned, const ScanSession& scan) {
    if (running_)
        return;
    running_ = true;
    struct Finally {
        GenerateRun* self;
        ~Finally() {
            self->page_.Complete();
            self->running_ = false;
        }
    } finally{this};

    QCoreApplication::processEvents();
    const bool toEditor = profile_.OutputType() == TMapOutputType::moutEditor;
    const int count = tree_.Count();
    page_.BeginRun(count, toEditor ? u"Generating Site Map to Open in Editor..."_s
                                   : u"Generating Site Map to specified file..."_s);
    QCoreApplication::processEvents();

    // The page is built whole in one string: no copy of megabytes to wrap it.
    GenerationProgress progress(page_, count);
    text_.clear();
    WriteSiteMapPageTo(tree_, profile_, &progress,
                       [this](std::string_view piece) { text_ += piece; });
    progress.Flush();

    if (toEditor) {
        page_.ShowResult(u"Your generated Site Map is ready to be opened in the Editor."_s);
    } else {
        WriteFiles(std::move(planned), scan);
    }
    page_.SetLabelsBold(true);
}

void GenerateRun::WriteFiles(std::unique_ptr<SitemapJob> job, const ScanSession& scan) {
    if (!job)
        job = SitemapJob::Plan(profile_);
    page_.ClearFiles();
    const std::string page = profile_.OutputFileName();
    // Paging: a page split in parts has its own writer.
    if (SiteMapPaged(profile_) && !SiteMapPartFiles(tree_, profile_).empty()) {
        if (WriteParts() && job)
            WriteSitemaps(*job, scan);
        return;
    }
    const int pageLine = page_.AddFile(u"Site map page"_s, ToQ(page));
    try {
        SaveSiteMapPage(text_, profile_, programFolder_);
    } catch (...) {
        page_.FileFailed(pageLine, u"Not written"_s);
        throw;
    }
    page_.FileWritten(pageLine);
    // Paging: parts an earlier run wrote beyond this one's single page.
    for (const std::string& path : LeftoverSiteMapParts(page, 1))
        page_.FileWritten(page_.AddFile(u"Older site map page"_s, ToQ(path)),
                          u"not written now, not deleted"_s);
    // The modern layout draws its icons itself: no image is copied for it.
    if (profile_.AddImages() && !profile_.ModernLayout())
        for (const char* image : kItemImages) {
            const std::string path = ExtractFilePath(page) + image;
            if (FileExists(path))
                page_.FileWritten(page_.AddFile(u"Item image"_s, ToQ(path)));
        }
    page_.ShowWritten(ToQ(page), text_);
    if (job)
        WriteSitemaps(*job, scan);
}

void GenerateRun::WriteSitemaps(SitemapJob& job, const ScanSession& scan) {
    // Each line is there before its file is written, so that a failure
    // marks the file it was at.
    std::map<std::string, int> lines;
    auto line = [this, &lines](const QString& what, const std::string& path) {
        auto [it, added] = lines.emplace(path, 0);
        if (added)
            it->second = page_.AddFile(what, ToQ(path));
        return it->second;
    };
    line(u"XML sitemap"_s, job.XmlOutput());
    if (!job.TextOutput().empty())
        line(u"Text sitemap"_s, job.TextOutput());
    if (!job.RobotsTxtPath().empty())
        line(u"robots.txt"_s, job.RobotsTxtPath());
    QCoreApplication::processEvents();
    auto countOf = [](size_t count, const char* singular, const char* plural) {
        return ToQ(CountOf(static_cast<long long>(count), singular, plural));
    };
    // Pages the user deleted or ignored since the scan are told apart.
    job.SetScannedFiles(scan.ScannedFiles());
    try {
        SitemapJob::Outcome outcome = job.Write(
            tree_,
            [&](const SitemapJobFile& file) {
                using Kind = SitemapJobFile::Kind;
                QString what = u"XML sitemap"_s;
                QString note = countOf(file.Entries, "URL", "URLs");
                if (file.FileKind == Kind::XmlIndex) {
                    // The file planned as the sitemap became the index of numbered ones.
                    what = u"Sitemap index"_s;
                    note = countOf(file.Entries, "sitemap", "sitemaps");
                } else if (file.FileKind == Kind::Text) {
                    what = u"Text sitemap"_s;
                } else if (file.FileKind == Kind::RobotsTxt) {
                    what = u"robots.txt"_s;
                    note = file.Entries > 0 ? QString() : u"already names it"_s;
                }
                page_.FileWritten(line(what, file.Path), note, what);
            },
            // Pictures asked for after a head-only scan need the pages again.
            scan.ReadPageFacts() && (scan.ReadPictures() || !profile_.XmlImages()));
        // Not a file: how much of the site the sitemaps list, and why not the rest.
        const SearchSitemapResult& result = outcome.Result;
        page_.FileWritten(page_.AddFile(u"Pages listed"_s, ToQ(SitemapListedText(result))),
                          QString::number(result.Urls) + u" of "_s +
                              QString::number(SitemapPages(result)));
        // Another run's sitemaps may still be served: shown, never deleted.
        for (const std::string& path : result.LeftBehind)
            page_.FileWritten(page_.AddFile(u"Older sitemap"_s, ToQ(path)),
                              u"not written now, not deleted"_s);
        if (outcome.RobotsTxtLonger)
            page_.FileWritten(
                page_.AddFile(u"robots.txt"_s, ToQ(job.Options().SiteFolder + "robots.txt")),
                u"longer than %1 KiB, where crawlers may stop reading: only its start was read"_s
                    .arg(kRobotsTxtReadLimit / 1024));
        for (const SitemapBadAlternates& page : result.BadAlternates)
            page_.FileWritten(page_.AddFile(u"Alternates left out"_s, ToQ(page.Page)),
                              ToQ(SitemapBadAlternatesText(page)));
        if (outcome.RobotsTxtNamesOtherForm)
            page_.FileWritten(page_.AddFile(u"robots.txt"_s, ToQ(job.RobotsTxtPath())),
                              u"also names "_s + ToQ(result.OtherFormURL));
    } catch (const std::exception& e) {
        // The page stays written; the line the run was at shows the failure.
        const QString error = QString::fromUtf8(e.what());
        // The file the error names, else the first one still waiting.
        int failed = page_.FirstWaitingFile();
        for (const auto& [path, at] : lines)
            if (error.contains(ToQ(path)))
                failed = at;
        page_.FileFailed(failed, error);
        page_.FilesNotWritten();
        dialogs_.messageBox(page_.window(), AppTitle(), ErrorBoxText(error), MsgIcon::Error,
                            MsgButtons::Ok);
    }
}

} // namespace tw::ui
