#include "ui/SitemapsDialog.h"

#include "model/SiteLinks.h"
#include "output/SearchSitemaps.h"
#include "support/NXFiles.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <array>

namespace tw::ui {

using namespace Qt::StringLiterals;

TfrmSearchSitemaps::TfrmSearchSitemaps(const TMapProfile& profile, IDialogs& dialogs,
                                       QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), siteFolder_(SiteFolderOf(profile.IndexPage())) {
    setObjectName(u"frmSearchSitemaps"_s);
    setWindowTitle(u"Search Engine Sitemaps"_s);

    chkXmlSitemap_ = MakeCheckBox(u"Also write an &XML sitemap for search engines"_s,
                                  u"chkXmlSitemap"_s, profile.XmlSitemap());
    editXmlBaseURL_ =
        MakeEdit(ToQ(profile.XmlBaseURL()), u"editXmlBaseURL"_s, u"https://www.example.com/"_s);
    lblBaseURLProblem_ = new QLabel;
    lblBaseURLProblem_->setObjectName(u"lblBaseURLProblem"_s);
    lblBaseURLProblem_->setWordWrap(true);
    lblBaseURLProblem_->setStyleSheet(u"color: #b00000"_s);
    editXmlOutput_ = MakeEdit(ToQ(profile.XmlOutputFileName()), u"editXmlOutput"_s,
                              u"sitemap.xml beside the index page"_s);
    btnXmlOutputBrowse_ =
        MakeButton(u"Bro&wse..."_s, u"btnXmlOutputBrowse"_s, ButtonTag::Undefined);
    editTextSitemap_ =
        MakeEdit(ToQ(profile.TextSitemapFileName()), u"editTextSitemap"_s, u"none"_s);
    btnTextSitemapBrowse_ =
        MakeButton(u"Brow&se..."_s, u"btnTextSitemapBrowse"_s, ButtonTag::Undefined);
    cbXmlLastMod_ = new QComboBox;
    cbXmlLastMod_->setObjectName(u"cbXmlLastMod"_s);
    // In the order of TMapLastMod.
    cbXmlLastMod_->addItems({u"The file's time"_s, u"The last git commit"_s, u"None"_s});
    cbXmlLastMod_->setCurrentIndex(static_cast<int>(profile.XmlLastMod()));
    chkXmlIncludePictures_ = MakeCheckBox(u"List &pictures as URLs of their own"_s,
                                          u"chkXmlIncludePictures"_s, profile.XmlIncludePictures());
    chkXmlImages_ = MakeCheckBox(u"Add &image entries for the pictures each page shows"_s,
                                 u"chkXmlImages"_s, profile.XmlImages());
    chkXmlAllPages_ =
        MakeCheckBox(u"List &all pages (robots.txt, noindex, canonical and error pages aside)"_s,
                     u"chkXmlAllPages"_s, profile.XmlAllPages());
    chkXmlCleanURLs_ = MakeCheckBox(u"&Clean URLs: pages without .html or .htm"_s,
                                    u"chkXmlCleanURLs"_s, profile.XmlCleanURLs());
    chkXmlGzip_ =
        MakeCheckBox(u"Compress with g&zip (.xml.gz)"_s, u"chkXmlGzip"_s, profile.XmlGzip());
    chkRobotsTxt_ = MakeCheckBox(u"Add a Sitemap line to the site's &robots.txt"_s,
                                 u"chkRobotsTxt"_s, profile.RobotsTxt());

    details_ = new QWidget;
    details_->setObjectName(u"pnlSitemapDetails"_s);
    auto* grid = new QGridLayout(details_);
    grid->setContentsMargins(20, 0, 0, 0);
    grid->addWidget(MakeCaption(u"&Base URL:"_s, u"lblXmlBaseURL"_s, editXmlBaseURL_), 0, 0);
    grid->addWidget(editXmlBaseURL_, 0, 1, 1, 2);
    grid->addWidget(lblBaseURLProblem_, 1, 1, 1, 2);
    grid->addWidget(MakeCaption(u"XML &file:"_s, u"lblXmlOutput"_s, editXmlOutput_), 2, 0);
    grid->addWidget(editXmlOutput_, 2, 1);
    grid->addWidget(btnXmlOutputBrowse_, 2, 2);
    grid->addWidget(MakeCaption(u"&Text sitemap:"_s, u"lblTextSitemap"_s, editTextSitemap_), 3, 0);
    grid->addWidget(editTextSitemap_, 3, 1);
    grid->addWidget(btnTextSitemapBrowse_, 3, 2);
    grid->addWidget(MakeCaption(u"&Last modified:"_s, u"lblXmlLastMod"_s, cbXmlLastMod_), 4, 0);
    grid->addWidget(cbXmlLastMod_, 4, 1, 1, 2, Qt::AlignLeft);
    int row = 5;
    for (QCheckBox* check : {chkXmlIncludePictures_, chkXmlImages_, chkXmlAllPages_,
                             chkXmlCleanURLs_, chkXmlGzip_, chkRobotsTxt_})
        grid->addWidget(check, row++, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(u"bbSearchSitemaps"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chkXmlSitemap_);
    layout->addWidget(details_);
    layout->addStretch(1);
    layout->addWidget(buttons);

    connect(chkXmlSitemap_, &QCheckBox::toggled, this, &TfrmSearchSitemaps::UpdateState);
    connect(editXmlBaseURL_, &QLineEdit::textChanged, this, &TfrmSearchSitemaps::UpdateState);
    connect(chkXmlGzip_, &QCheckBox::toggled, this, &TfrmSearchSitemaps::UpdateState);
    connect(btnXmlOutputBrowse_, &QPushButton::clicked, this, &TfrmSearchSitemaps::BrowseXmlOutput);
    connect(btnTextSitemapBrowse_, &QPushButton::clicked, this,
            &TfrmSearchSitemaps::BrowseTextSitemap);
    UpdateState();
    setMinimumWidth(560);
}

void TfrmSearchSitemaps::UpdateState() {
    details_->setEnabled(chkXmlSitemap_->isChecked());
    editXmlOutput_->setPlaceholderText(chkXmlGzip_->isChecked()
                                           ? u"sitemap.xml.gz beside the index page"_s
                                           : u"sitemap.xml beside the index page"_s);
    // Told while typing; Finish refuses a bad one.
    const std::string url = ToStd(editXmlBaseURL_->text().trimmed());
    const std::string problem = url.empty() ? std::string() : SitemapBaseURLError(url);
    lblBaseURLProblem_->setText(ToQ(problem));
    lblBaseURLProblem_->setVisible(!problem.empty());
}

void TfrmSearchSitemaps::FocusField(Field field) {
    // In the order of Field.
    const std::array<QWidget*, 6> fields{chkXmlSitemap_,   editXmlBaseURL_, editXmlOutput_,
                                         editTextSitemap_, cbXmlLastMod_,   chkRobotsTxt_};
    QWidget* target = fields[static_cast<size_t>(field)];
    target->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(target))
        edit->selectAll();
}

void TfrmSearchSitemaps::ApplyTo(TMapProfile& profile) const {
    profile.SetXmlSitemap(chkXmlSitemap_->isChecked());
    profile.SetXmlBaseURL(ToStd(editXmlBaseURL_->text().trimmed()));
    profile.SetXmlOutputFileName(ToStd(editXmlOutput_->text().trimmed()));
    profile.SetTextSitemapFileName(ToStd(editTextSitemap_->text().trimmed()));
    profile.SetXmlLastMod(static_cast<TMapLastMod>(cbXmlLastMod_->currentIndex()));
    profile.SetXmlIncludePictures(chkXmlIncludePictures_->isChecked());
    profile.SetXmlImages(chkXmlImages_->isChecked());
    profile.SetXmlAllPages(chkXmlAllPages_->isChecked());
    profile.SetXmlCleanURLs(chkXmlCleanURLs_->isChecked());
    profile.SetXmlGzip(chkXmlGzip_->isChecked());
    profile.SetRobotsTxt(chkRobotsTxt_->isChecked());
}

void TfrmSearchSitemaps::BrowseXmlOutput() {
    SaveFileRequest request;
    request.title = u"XML Sitemap"_s;
    request.startFolder = ToQ(siteFolder_);
    request.fileName = editXmlOutput_->text();
    request.filter = chkXmlGzip_->isChecked() ? u"Gzipped XML Sitemaps (*.xml.gz)|*.xml.gz"_s
                                              : u"XML Files (*.xml)|*.xml"_s;
    request.defaultSuffix = chkXmlGzip_->isChecked() ? u"xml.gz"_s : u"xml"_s;
    QString chosen = dialogs_.saveFile(this, request);
    if (!chosen.isEmpty())
        editXmlOutput_->setText(chosen);
}

void TfrmSearchSitemaps::BrowseTextSitemap() {
    SaveFileRequest request;
    request.title = u"Text Sitemap"_s;
    request.startFolder = ToQ(siteFolder_);
    request.fileName = editTextSitemap_->text();
    request.filter = u"Text Files (*.txt)|*.txt"_s;
    request.defaultSuffix = u"txt"_s;
    QString chosen = dialogs_.saveFile(this, request);
    if (!chosen.isEmpty())
        editTextSitemap_->setText(chosen);
}

QString SitemapSummary(const TMapProfile& profile) {
    if (!profile.XmlSitemap())
        return u"No XML sitemap"_s;
    QString summary =
        u"XML sitemap for "_s +
        (profile.XmlBaseURL().empty() ? u"(no base URL)"_s : ToQ(profile.XmlBaseURL()));
    if (!profile.TextSitemapFileName().empty())
        summary += u", text sitemap"_s;
    if (profile.RobotsTxt())
        summary += u", robots.txt"_s;
    return summary;
}

} // namespace tw::ui
