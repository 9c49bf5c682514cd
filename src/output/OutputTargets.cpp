#include "output/OutputTargets.h"

#include "model/SiteLinks.h"
#include "output/ModernLayout.h"
#include "output/OutputGuard.h"
#include "output/PageTemplate.h"
#include "output/PageWrapper.h"
#include "output/PagedSiteMap.h"
#include "support/AtomicFile.h"
#include "support/NXFiles.h"

namespace tw {

namespace {

// Checked again as the page is written: the site may have changed since.
void RefusePageLinkOutOfSite(const TMapProfile& profile, const std::string& file) {
    if (!profile.IndexPage().empty())
        RefuseLinkOutOfSite(file, SiteFolderOf(profile.IndexPage()));
}

void RefusePageLinkOutOfSite(const TMapProfile& profile) {
    RefusePageLinkOutOfSite(profile, profile.OutputFileName());
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
                        WriterListener* listener, const std::string& programFolder,
                        const SiteMapPartWritten& told) {
    size_t written = 0;
    auto writeFile = [&](const std::string& path,
                         const std::function<void(const TextSink&)>& fill) {
        RefusePageLinkOutOfSite(profile, path);
        AtomicFile file(path);
        fill([&file, &written](std::string_view text) {
            file.Write(text.data(), text.size());
            written += text.size();
        });
        file.Commit();
    };
    if (SiteMapPaged(profile)) {
        const PagedSiteMap paged(tree, profile);
        if (paged.PartCount() > 1) {
            const std::string lang = ModernPageLanguageOf(profile);
            for (size_t k = 0; k < paged.PartCount(); ++k) {
                writeFile(paged.PartFile(k),
                          [&](const TextSink& sink) { paged.WritePart(k, lang, listener, sink); });
                if (told)
                    told(paged.PartFile(k), paged.Part(k).Links);
            }
            return written;
        }
    }
    writeFile(profile.OutputFileName(),
              [&](const TextSink& sink) { WriteSiteMapPageTo(tree, profile, listener, sink); });
    if (told)
        told(profile.OutputFileName(), 0);
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
