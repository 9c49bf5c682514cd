#pragma once

#include "model/SiteMapProfile.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tw::ui {

class IDialogs;

// The search-engine sitemaps of the output settings page: the XML sitemap,
// its base URL and file, the text sitemap, what is listed and how, and the
// robots.txt line. It edits the profile's settings only when confirmed.
class TfrmSearchSitemaps : public QDialog {
    Q_OBJECT
public:
    // Which field has the focus when the dialog opens.
    enum class Field { XmlSitemap, BaseURL, XmlOutput, TextSitemap, LastMod, RobotsTxt };

    TfrmSearchSitemaps(const TMapProfile& profile, IDialogs& dialogs, QWidget* parent = nullptr);

    void FocusField(Field field);
    // Stores the fields into the profile; each setter marks it modified only
    // when its value changes.
    void ApplyTo(TMapProfile& profile) const;

private:
    void UpdateState();
    void BrowseXmlOutput();
    void BrowseTextSitemap();

    IDialogs& dialogs_;
    std::string siteFolder_;
    QCheckBox* chkXmlSitemap_;
    QLineEdit* editXmlBaseURL_;
    QLabel* lblBaseURLProblem_;
    QLineEdit* editXmlOutput_;
    QPushButton* btnXmlOutputBrowse_;
    QLineEdit* editTextSitemap_;
    QPushButton* btnTextSitemapBrowse_;
    QComboBox* cbXmlLastMod_;
    QCheckBox* chkXmlIncludePictures_;
    QCheckBox* chkXmlImages_;
    QCheckBox* chkXmlAllPages_;
    QCheckBox* chkXmlCleanURLs_;
    QCheckBox* chkXmlGzip_;
    QCheckBox* chkRobotsTxt_;
    QWidget* details_;
};

// What the page shows of the settings: one short line.
QString SitemapSummary(const TMapProfile& profile);

} // namespace tw::ui
