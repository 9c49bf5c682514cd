#include "persist/ProfileFiles.h"

#include "persist/SiteMapSettings.h"

namespace tw {

TStreamObject ProfileStreamObject(TMapProfile& profile) {
    TMapProfile* p = &profile;
    auto boolean = [p](TStreamObject& o, const char* name, bool (TMapProfile::*get)() const,
                       void (TMapProfile::*set)(bool)) {
        o.Boolean(
            name, [p, get] { return (p->*get)(); }, [p, set](bool v) { (p->*set)(v); });
    };
    auto colour = [p](TStreamObject& o, const char* name, TColor (TMapProfile::*get)() const,
                      void (TMapProfile::*set)(TColor)) {
        o.Colour(
            name, [p, get] { return (p->*get)(); }, [p, set](TColor v) { (p->*set)(v); });
    };
    auto string = [p](TStreamObject& o, const char* name,
                      const std::string& (TMapProfile::*get)() const,
                      void (TMapProfile::*set)(const std::string&)) {
        o.String(
            name, [p, get] { return (p->*get)(); },
            [p, set](const std::string& v) { (p->*set)(v); });
    };

    TStreamObject o(kProfileClassName);
    boolean(o, "AddImages", &TMapProfile::AddImages, &TMapProfile::SetAddImages);
    boolean(o, "NoFolderImages", &TMapProfile::NoFolderImages, &TMapProfile::SetNoFolderImages);
    boolean(o, "NoFolderLinks", &TMapProfile::NoFolderLinks, &TMapProfile::SetNoFolderLinks);
    boolean(o, "ClassAttribs", &TMapProfile::ClassAttribs, &TMapProfile::SetClassAttribs);
    colour(o, "clrBackground", &TMapProfile::clrBackground, &TMapProfile::SetclrBackground);
    colour(o, "clrText", &TMapProfile::clrText, &TMapProfile::SetclrText);
    colour(o, "clrLink", &TMapProfile::clrLink, &TMapProfile::SetclrLink);
    colour(o, "clrVisited", &TMapProfile::clrVisited, &TMapProfile::SetclrVisited);
    colour(o, "clrActive", &TMapProfile::clrActive, &TMapProfile::SetclrActive);
    boolean(o, "ConfirmDelete", &TMapProfile::ConfirmDelete, &TMapProfile::SetConfirmDelete);
    string(o, "FileName", &TMapProfile::FileName, &TMapProfile::SetFileName);
    string(o, "FileTypes", &TMapProfile::FileTypes, &TMapProfile::SetFileTypes);
    string(o, "IgnoreFolders", &TMapProfile::IgnoreFolders, &TMapProfile::SetIgnoreFolders);
    string(o, "IgnoreFiles", &TMapProfile::IgnoreFiles, &TMapProfile::SetIgnoreFiles);
    string(o, "IndexPage", &TMapProfile::IndexPage, &TMapProfile::SetIndexPage);
    // A plain field: reading it runs no setter.
    boolean(o, "Modified", &TMapProfile::Modified, &TMapProfile::SetModified);
    o.Enumeration<TMapOutputType>(
        "OutputType", {"moutClipboard", "moutFile", "moutInsert", "moutEditor"},
        [p] { return p->OutputType(); }, [p](TMapOutputType v) { p->SetOutputType(v); });
    o.Enumeration<TMapOutputFormat>(
        "OutputFormat", {"mfmtList", "mfmtParagraph"}, [p] { return p->OutputFormat(); },
        [p](TMapOutputFormat v) { p->SetOutputFormat(v); });
    string(o, "OutputFileName", &TMapProfile::OutputFileName, &TMapProfile::SetOutputFileName);
    string(o, "OutputInsert", &TMapProfile::OutputInsert, &TMapProfile::SetOutputInsert);
    // A plain field as well.
    boolean(o, "Untitled", &TMapProfile::Untitled, &TMapProfile::SetUntitled);
    boolean(o, "UsePageTitles", &TMapProfile::UsePageTitles, &TMapProfile::SetUsePageTitles);

    // Beyond the published properties: each only when it is not its default.
    auto extraBoolean = [&](const char* name, bool (TMapProfile::*get)() const,
                            void (TMapProfile::*set)(bool)) {
        boolean(o, name, get, set);
        o.OmittedAt(0);
    };
    extraBoolean("XmlSitemap", &TMapProfile::XmlSitemap, &TMapProfile::SetXmlSitemap);
    string(o, "XmlBaseURL", &TMapProfile::XmlBaseURL, &TMapProfile::SetXmlBaseURL);
    string(o, "XmlOutputFileName", &TMapProfile::XmlOutputFileName,
           &TMapProfile::SetXmlOutputFileName);
    string(o, "TextSitemapFileName", &TMapProfile::TextSitemapFileName,
           &TMapProfile::SetTextSitemapFileName);
    extraBoolean("XmlIncludePictures", &TMapProfile::XmlIncludePictures,
                 &TMapProfile::SetXmlIncludePictures);
    extraBoolean("XmlImages", &TMapProfile::XmlImages, &TMapProfile::SetXmlImages);
    extraBoolean("XmlAllPages", &TMapProfile::XmlAllPages, &TMapProfile::SetXmlAllPages);
    extraBoolean("XmlCleanURLs", &TMapProfile::XmlCleanURLs, &TMapProfile::SetXmlCleanURLs);
    extraBoolean("XmlGzip", &TMapProfile::XmlGzip, &TMapProfile::SetXmlGzip);
    extraBoolean("RobotsTxt", &TMapProfile::RobotsTxt, &TMapProfile::SetRobotsTxt);
    o.Enumeration<TMapLastMod>(
         "XmlLastMod", {"mlmFileTime", "mlmGit", "mlmNone"}, [p] { return p->XmlLastMod(); },
         [p](TMapLastMod v) { p->SetXmlLastMod(v); })
        .OmittedAt(static_cast<std::int32_t>(TMapLastMod::mlmFileTime));

    // The modern layout.
    o.Enumeration<TMapPageLayout>(
         "PageLayout", {"mlayClassic", "mlayModern"}, [p] { return p->PageLayout(); },
         [p](TMapPageLayout v) { p->SetPageLayout(v); })
        .OmittedAt(static_cast<std::int32_t>(TMapPageLayout::mlayClassic));
    string(o, "PageLang", &TMapProfile::PageLang, &TMapProfile::SetPageLang);
    string(o, "PageTitle", &TMapProfile::PageTitle, &TMapProfile::SetPageTitle);
    extraBoolean("Collapsible", &TMapProfile::Collapsible, &TMapProfile::SetCollapsible);
    extraBoolean("FilterBox", &TMapProfile::FilterBox, &TMapProfile::SetFilterBox);
    extraBoolean("NoCredit", &TMapProfile::NoCredit, &TMapProfile::SetNoCredit);
    // Link texts.
    o.Enumeration<TMapTrimTitles>(
         "TrimTitles", {"mttNone", "mttAuto", "mttText"}, [p] { return p->TrimTitles(); },
         [p](TMapTrimTitles v) { p->SetTrimTitles(v); })
        .OmittedAt(static_cast<std::int32_t>(TMapTrimTitles::mttNone));
    string(o, "TrimTitlesText", &TMapProfile::TrimTitlesText, &TMapProfile::SetTrimTitlesText);
    extraBoolean("FolderTitles", &TMapProfile::FolderTitles, &TMapProfile::SetFolderTitles);
    o.Enumeration<TMapItemSort>(
         "ItemSort", {"msortNone", "msortName"}, [p] { return p->ItemSort(); },
         [p](TMapItemSort v) { p->SetItemSort(v); })
        .OmittedAt(static_cast<std::int32_t>(TMapItemSort::msortNone));
    // Paging of the modern page.
    o.Integer(
         "MaxLinks", [p] { return p->MaxLinks(); }, [p](std::int32_t v) { p->SetMaxLinks(v); })
        .OmittedAt(0);
    // Template.
    string(o, "PageTemplate", &TMapProfile::PageTemplate, &TMapProfile::SetPageTemplate);
    // Check Site online.
    extraBoolean("CheckExternalLinks", &TMapProfile::CheckExternalLinks,
                 &TMapProfile::SetCheckExternalLinks);
    return o;
}

bool WriteProfile(TMapProfile& profile, TSiteMapSettings* settings, const TCreateFile& createFile) {
    if (settings)
        settings->SetLastFile(profile.FileName());
    SaveObjectFile(ProfileStreamObject(profile), profile.FileName(), createFile);
    // Only once the file is in place: a failed save leaves the profile modified.
    profile.SetModified(false);
    return true;
}

void LoadProfile(TMapProfile& profile, const std::string& fileName, TSiteMapSettings* settings) {
    if (settings)
        settings->SetLastFile(fileName);
    TStreamObject object = ProfileStreamObject(profile);
    LoadObjectFile(fileName, object);
}

} // namespace tw
