#pragma once

#include <cstdint>
#include <string>

namespace tw {

// A colour in the 0x00BBGGRR layout (red in the low byte). -1 is "None";
// values with the top bit set name system colours.
using TColor = std::int32_t;
inline constexpr TColor kColorNone = -1;

enum class TMapOutputType : std::uint8_t { moutClipboard, moutFile, moutInsert, moutEditor };
enum class TMapOutputFormat : std::uint8_t { mfmtList, mfmtParagraph };
// Where a search-engine sitemap's lastmod comes from.
enum class TMapLastMod : std::uint8_t { mlmFileTime, mlmGit, mlmNone };
// The page's layout: the classic ones that OutputFormat picks, or the modern
// HTML5 page (which leaves OutputFormat at its default).
enum class TMapPageLayout : std::uint8_t { mlayClassic, mlayModern };

inline constexpr const char* kDefaultPageTitle = "Site Map";
// What is cut from the pages' titles: nothing, the part most of them share
// (the site's name), or the part TrimTitlesText names.
enum class TMapTrimTitles : std::uint8_t { mttNone, mttAuto, mttText };
// The order of each folder's items: the scan's, or by link text.
enum class TMapItemSort : std::uint8_t { msortNone, msortName };

inline constexpr const char* kDefaultFileTypes = "*.htm;*.html;*.txt;*.php;*.php4;*.php5;";
inline constexpr const char* kUntitledProfileName = "Untitled.zpf";

// Every setting of one site map job. Each setter stores its value and marks
// the profile modified, also when the value is unchanged; the FileName setter
// instead names the profile (clears Untitled) and leaves Modified alone.
// Modified and Untitled are plain fields.
class TMapProfile {
public:
    TMapProfile();

    bool Untitled() const { return untitled_; }
    void SetUntitled(bool value) { untitled_ = value; }
    bool Modified() const { return modified_; }
    void SetModified(bool value) { modified_ = value; }

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& value);
    // Back to "Untitled.zpf": the profile has no file that Save may replace.
    void MakeUntitled() {
        fileName_ = kUntitledProfileName;
        untitled_ = true;
    }

    const std::string& FileTypes() const { return fileTypes_; }
    void SetFileTypes(const std::string& value) { Store(fileTypes_, value); }
    const std::string& IndexPage() const { return indexPage_; }
    void SetIndexPage(const std::string& value) { Store(indexPage_, value); }
    const std::string& IgnoreFolders() const { return ignoreFolders_; }
    void SetIgnoreFolders(const std::string& value) { Store(ignoreFolders_, value); }
    const std::string& IgnoreFiles() const { return ignoreFiles_; }
    void SetIgnoreFiles(const std::string& value) { Store(ignoreFiles_, value); }
    bool UsePageTitles() const { return usePageTitles_; }
    void SetUsePageTitles(bool value) { Store(usePageTitles_, value); }
    TMapOutputType OutputType() const { return outputType_; }
    void SetOutputType(TMapOutputType value) { Store(outputType_, value); }
    TMapOutputFormat OutputFormat() const { return outputFormat_; }
    void SetOutputFormat(TMapOutputFormat value) { Store(outputFormat_, value); }
    const std::string& OutputFileName() const { return outputFileName_; }
    void SetOutputFileName(const std::string& value) { Store(outputFileName_, value); }
    const std::string& OutputInsert() const { return outputInsert_; }
    void SetOutputInsert(const std::string& value) { Store(outputInsert_, value); }
    bool ConfirmDelete() const { return confirmDelete_; }
    void SetConfirmDelete(bool value) { Store(confirmDelete_, value); }

    TColor clrBackground() const { return clrBackground_; }
    void SetclrBackground(TColor value) { Store(clrBackground_, value); }
    TColor clrText() const { return clrText_; }
    void SetclrText(TColor value) { Store(clrText_, value); }
    TColor clrLink() const { return clrLink_; }
    void SetclrLink(TColor value) { Store(clrLink_, value); }
    TColor clrVisited() const { return clrVisited_; }
    void SetclrVisited(TColor value) { Store(clrVisited_, value); }
    TColor clrActive() const { return clrActive_; }
    void SetclrActive(TColor value) { Store(clrActive_, value); }

    bool ClassAttribs() const { return classAttribs_; }
    void SetClassAttribs(bool value) { Store(classAttribs_, value); }
    bool AddImages() const { return addImages_; }
    void SetAddImages(bool value) { Store(addImages_, value); }
    bool NoFolderImages() const { return noFolderImages_; }
    void SetNoFolderImages(bool value) { Store(noFolderImages_, value); }
    bool NoFolderLinks() const { return noFolderLinks_; }
    void SetNoFolderLinks(bool value) { Store(noFolderLinks_, value); }

    // The search-engine sitemaps. Streamed after the published properties and
    // only when they differ from their defaults, so older files stay as they are.
    bool XmlSitemap() const { return xmlSitemap_; }
    void SetXmlSitemap(bool value) { Store(xmlSitemap_, value); }
    const std::string& XmlBaseURL() const { return xmlBaseURL_; }
    void SetXmlBaseURL(const std::string& value) { Store(xmlBaseURL_, value); }
    // Empty: sitemap.xml (or .xml.gz) beside the index page.
    const std::string& XmlOutputFileName() const { return xmlOutputFileName_; }
    void SetXmlOutputFileName(const std::string& value) { Store(xmlOutputFileName_, value); }
    // Empty: no text sitemap.
    const std::string& TextSitemapFileName() const { return textSitemapFileName_; }
    void SetTextSitemapFileName(const std::string& value) { Store(textSitemapFileName_, value); }
    bool XmlIncludePictures() const { return xmlIncludePictures_; }
    void SetXmlIncludePictures(bool value) { Store(xmlIncludePictures_, value); }
    bool XmlImages() const { return xmlImages_; }
    void SetXmlImages(bool value) { Store(xmlImages_, value); }
    bool XmlAllPages() const { return xmlAllPages_; }
    void SetXmlAllPages(bool value) { Store(xmlAllPages_, value); }
    bool XmlCleanURLs() const { return xmlCleanURLs_; }
    void SetXmlCleanURLs(bool value) { Store(xmlCleanURLs_, value); }
    bool XmlGzip() const { return xmlGzip_; }
    void SetXmlGzip(bool value) { Store(xmlGzip_, value); }
    bool RobotsTxt() const { return robotsTxt_; }
    void SetRobotsTxt(bool value) { Store(robotsTxt_, value); }
    TMapLastMod XmlLastMod() const { return xmlLastMod_; }
    void SetXmlLastMod(TMapLastMod value) { Store(xmlLastMod_, value); }

    // The modern layout and its options, streamed the same way.
    TMapPageLayout PageLayout() const { return pageLayout_; }
    void SetPageLayout(TMapPageLayout value) { Store(pageLayout_, value); }
    bool ModernLayout() const { return pageLayout_ == TMapPageLayout::mlayModern; }
    // Empty: the index page's own language, else "en".
    const std::string& PageLang() const { return pageLang_; }
    void SetPageLang(const std::string& value) { Store(pageLang_, value); }
    // Empty: kDefaultPageTitle.
    const std::string& PageTitle() const { return pageTitle_; }
    void SetPageTitle(const std::string& value) { Store(pageTitle_, value); }
    bool Collapsible() const { return collapsible_; }
    void SetCollapsible(bool value) { Store(collapsible_, value); }
    bool FilterBox() const { return filterBox_; }
    void SetFilterBox(bool value) { Store(filterBox_, value); }
    bool NoCredit() const { return noCredit_; }
    void SetNoCredit(bool value) { Store(noCredit_, value); }
    // Link texts: streamed like the sitemap settings, only when not their defaults.
    TMapTrimTitles TrimTitles() const { return trimTitles_; }
    void SetTrimTitles(TMapTrimTitles value) { Store(trimTitles_, value); }
    // The part mttText removes, as the reader sees it (references resolved).
    const std::string& TrimTitlesText() const { return trimTitlesText_; }
    void SetTrimTitlesText(const std::string& value) { Store(trimTitlesText_, value); }
    bool FolderTitles() const { return folderTitles_; }
    void SetFolderTitles(bool value) { Store(folderTitles_, value); }
    TMapItemSort ItemSort() const { return itemSort_; }
    void SetItemSort(TMapItemSort value) { Store(itemSort_, value); }
    // Paging of the modern page: at most this many links a page; 0: one page.
    std::int32_t MaxLinks() const { return maxLinks_; }
    void SetMaxLinks(std::int32_t value) { Store(maxLinks_, value); }
    // Template: a page of the site's own look the modern nav is written
    // into (an absolute path); empty: none.
    const std::string& PageTemplate() const { return pageTemplate_; }
    void SetPageTemplate(const std::string& value) { Store(pageTemplate_, value); }
    // The wizard's Check Site also asks the external links online. The
    // command line goes online only when told (check --external), so that a
    // CI run of a profile stays offline.
    bool CheckExternalLinks() const { return checkExternalLinks_; }
    void SetCheckExternalLinks(bool value) { Store(checkExternalLinks_, value); }

private:
    template <typename T> void Store(T& field, const T& value) {
        field = value;
        modified_ = true;
    }

    bool untitled_ = true;
    std::string fileName_;
    std::string fileTypes_;
    std::string indexPage_;
    std::string ignoreFolders_;
    std::string ignoreFiles_;
    bool usePageTitles_ = false;
    TMapOutputType outputType_ = TMapOutputType::moutClipboard;
    TMapOutputFormat outputFormat_ = TMapOutputFormat::mfmtList;
    std::string outputFileName_;
    std::string outputInsert_;
    bool confirmDelete_ = false;
    bool modified_ = false;
    TColor clrBackground_ = 0;
    TColor clrText_ = 0;
    TColor clrLink_ = 0;
    TColor clrVisited_ = 0;
    TColor clrActive_ = 0;
    bool classAttribs_ = false;
    bool addImages_ = false;
    bool noFolderImages_ = false;
    bool noFolderLinks_ = false;
    bool xmlSitemap_ = false;
    std::string xmlBaseURL_;
    std::string xmlOutputFileName_;
    std::string textSitemapFileName_;
    bool xmlIncludePictures_ = false;
    bool xmlImages_ = false;
    bool xmlAllPages_ = false;
    bool xmlCleanURLs_ = false;
    bool xmlGzip_ = false;
    bool robotsTxt_ = false;
    TMapLastMod xmlLastMod_ = TMapLastMod::mlmFileTime;
    // The modern layout.
    TMapPageLayout pageLayout_ = TMapPageLayout::mlayClassic;
    std::string pageLang_;
    std::string pageTitle_;
    bool collapsible_ = false;
    bool filterBox_ = false;
    bool noCredit_ = false;
    // Link texts.
    TMapTrimTitles trimTitles_ = TMapTrimTitles::mttNone;
    std::string trimTitlesText_;
    bool folderTitles_ = false;
    TMapItemSort itemSort_ = TMapItemSort::msortNone;
    // Paging.
    std::int32_t maxLinks_ = 0;
    // Template.
    std::string pageTemplate_;
    // Check Site online.
    bool checkExternalLinks_ = false;
};

// The profile as the wizard holds it after start-up without a profile file:
// the defaults, the default file types, not modified.
TMapProfile MakeStartupProfile();

} // namespace tw
