#include "output/OutputTargets.h"

#include "model/SiteLinks.h"
#include "output/ModernLayout.h"
#include "output/OutputGuard.h"
#include "output/PageTemplate.h"
#include "output/PageWrapper.h"
#include "support/AtomicFile.h"
#include "support/NXFiles.h"

namespace tw {

namespace {

// Checked again as the page is written: the site may have changed since.
void RefusePageLinkOutOfSite(const TMapProfile& profile) {
    if (!profile.IndexPage().empty())
        RefuseLinkOutOfSite(profile.OutputFileName(), SiteFolderOf(profile.IndexPage()));
}

} // namespace

bool SaveSiteMapFile(std::string& generatedText, const TMapProfile& profile,
                     const std::string& programFolder) {
    generatedText = BuildSiteMapPage(generatedText, profile);
    return SaveSiteMapPage(generatedText, profile, programFolder);
}

bool SaveSiteMapPage(std::string_view page, const TMapProfile& profile,
                     const std::string& programFolder) {
    RefusePageLinkOutOfSite(profile);
    bool written = SaveFileText(page, profile.OutputFileName());
    CopySiteMapImages(profile.OutputFileName(), profile, programFolder);
    return written;
}

void WriteSiteMapPageTo(const TSiteMapTree& tree, const TMapProfile& profile,
                        WriterListener* listener, const TextSink& sink) {
    if (profile.ModernLayout() && !profile.PageTemplate().empty()) {
        WriteModernTemplatedPage(LoadPageTemplate(profile.PageTemplate(), profile.OutputFileName()),
                                 tree, profile, listener, sink);
    } else if (profile.ModernLayout()) {
        WriteModernPage(tree, profile, ModernPageLanguageOf(profile), listener, sink);
    } else {
        sink(SiteMapPageHead(profile));
        BuildSiteMapTo(tree, profile, listener, sink);
        sink(SiteMapPageFoot());
    }
}

size_t WriteSiteMapFile(const TSiteMapTree& tree, const TMapProfile& profile,
                        WriterListener* listener, const std::string& programFolder) {
    RefusePageLinkOutOfSite(profile);
    AtomicFile file(profile.OutputFileName());
    size_t written = 0;
    auto put = [&file, &written](std::string_view text) {
        file.Write(text.data(), text.size());
        written += text.size();
    };
    WriteSiteMapPageTo(tree, profile, listener, put);
    file.Commit();
    CopySiteMapImages(profile.OutputFileName(), profile, programFolder);
    return written;
}

void CopySiteMapImages(const std::string& targetFile, const TMapProfile& profile,
                       const std::string& programFolder) {
    // The modern layout draws its icons in its style sheet.
    if (!profile.AddImages() || profile.ModernLayout())
        return;
    std::string destination = AddTrailingBackslash(ExtractFilePath(targetFile));
    std::string source = AddTrailingBackslash(programFolder) + "smimages" + kPathDelim;
    if (!FileExists(source + kItemImages[0]))
        source = AddTrailingBackslash(programFolder);
    for (const char* image : kItemImages) {
        if (FileExists(source + image) && !FileExists(destination + image))
            CopyFileNoReplace(source + image, destination + image);
    }
}

} // namespace tw
