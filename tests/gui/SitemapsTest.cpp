// The search-engine sitemaps in the wizard: written from the tree the user
// edited, a setting that cannot work keeping the wizard on its page, the
// status page's list of files with a failed sitemap, and a profile that
// keeps the settings through Open and Save.

#include "WizardFixture.h"
#include "persist/ProfileFiles.h"
#include "ui/OutputSettingsPage.h"
#include "ui/OutputStatusPage.h"
#include "ui/ResultsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QRegularExpression>

using tw::ui::MsgResult;

namespace {

void MakeSite(TestSite& site) {
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("Welcome"));
    site.WritePage(QStringLiteral("about.html"), QStringLiteral("About"));
    site.WritePage(QStringLiteral("contact.html"), QStringLiteral("Contact"));
    site.WritePage(QStringLiteral("away.html"), QStringLiteral("Away"));
    site.WritePage(QStringLiteral("news/index.html"), QStringLiteral("News"));
    site.WritePage(QStringLiteral("news/old.html"), QStringLiteral("Old"));
    // The scan does not read what pages say of themselves while no sitemap
    // is asked for: the sitemap reads it when written.
    site.WriteFile(QStringLiteral("hidden.html"),
                   "<title>Hidden</title><meta name=\"robots\" content=\"noindex\">");
}

tw::SiteMapNode* NodeOf(Wizard& w, const std::string& linkURL) {
    tw::SiteMapNode* found = nullptr;
    w.window->Tree().ForEach([&](tw::SiteMapNode& node, int) {
        if (!node.IsFolderNode() && node.Data.LinkURL == linkURL)
            found = &node;
    });
    return found;
}

// Answers the next sitemaps dialog: the XML sitemap on with this base URL,
// then whatever Also sets.
void AnswerSitemaps(Wizard& w, const QString& baseURL,
                    const std::function<void(QDialog&)>& also = {}) {
    w.dialogs.AnswerModal([baseURL, also](QDialog& dialog) {
        Find<QCheckBox>(&dialog, "chkXmlSitemap")->setChecked(true);
        Find<QLineEdit>(&dialog, "editXmlBaseURL")->setText(baseURL);
        if (also)
            also(dialog);
        return int(QDialog::Accepted);
    });
}

QStringList Locs(const QString& xmlFile) {
    QStringList locs;
    const QString xml = QString::fromUtf8(ReadAll(xmlFile));
    static const QRegularExpression loc(QStringLiteral("<loc>([^<]*)</loc>"));
    for (auto it = loc.globalMatch(xml); it.hasNext();)
        locs << it.next().captured(1);
    return locs;
}

} // namespace

class SitemapsTest : public QObject {
    Q_OBJECT
private slots:
    void theSitemapListsTheEditedTree();
    void aSettingThatCannotWorkKeepsTheWizardOnThePage_data();
    void aSettingThatCannotWorkKeepsTheWizardOnThePage();
    void aFailedSitemapKeepsThePageAndMarksItsLine();
    void aProfileKeepsTheSettingsThroughOpenAndSave();
};

void SitemapsTest::theSitemapListsTheEditedTree() {
    TestSite site;
    MakeSite(site);
    Wizard w;
    w.Scan(site.Path(QStringLiteral("index.html")));
    QCOMPARE(w.window->WizardPage(), 2);
    tw::ui::ResultsPage* results = w.window->Results();
    // A deletion, a link moved within the site and one moved off it.
    results->SelectNode(NodeOf(w, "about.html"));
    w.dialogs.AnswerMessage(MsgResult::Yes);
    results->DeleteSelectedNodes();
    w.dialogs.AnswerEditItem(true, QStringLiteral("Contact"), QStringLiteral("contact/"));
    results->EditNodeProperties(NodeOf(w, "contact.html"));
    w.dialogs.AnswerEditItem(true, QStringLiteral("Away"),
                             QStringLiteral("https://elsewhere.example/away.html"));
    results->EditNodeProperties(NodeOf(w, "away.html"));
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 3);

    // From the keyboard: Alt+E opens the dialog, its accelerators fill it.
    w.dialogs.AnswerModal([&site](QDialog& dialog) {
        dialog.activateWindow();
        auto alt = [&dialog](Qt::Key key) {
            QTest::keyClick(&dialog, key, Qt::AltModifier);
            LandKeyboardClicks(&dialog);
        };
        alt(Qt::Key_X);
        alt(Qt::Key_B);
        QTest::keyClicks(dialog.focusWidget(), QStringLiteral("https://example.org/"));
        alt(Qt::Key_T);
        QTest::keyClicks(dialog.focusWidget(), site.Path(QStringLiteral("urls.txt")));
        alt(Qt::Key_R);
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
        return dialog.result();
    });
    QTest::keyClick(w.window.get(), Qt::Key_E, Qt::AltModifier);
    LandKeyboardClicks(w.window.get());
    QVERIFY(w.window->Profile().XmlSitemap());
    QCOMPARE(w.LabelText("lblSitemapSummary"),
             QStringLiteral("XML sitemap for https://example.org/, text sitemap, robots.txt"));
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 4);

    const QStringList urls = {
        QStringLiteral("https://example.org/"),
        QStringLiteral("https://example.org/contact/"),
        QStringLiteral("https://example.org/news/"),
        QStringLiteral("https://example.org/news/old.html"),
    };
    QCOMPARE(Locs(site.Path(QStringLiteral("sitemap.xml"))), urls);
    QCOMPARE(QString::fromUtf8(ReadAll(site.Path(QStringLiteral("urls.txt")))),
             urls.join(u'\n') + u'\n');
    QCOMPARE(ReadAll(site.Path(QStringLiteral("robots.txt"))),
             QByteArray("Sitemap: https://example.org/sitemap.xml\n"));
    // The HTML site map keeps the link that left the site.
    QVERIFY(ReadAll(site.Path(QStringLiteral("sitemap.html")))
                .contains("https://elsewhere.example/away.html"));

    const QStringList lines = w.window->OutputStatus()->FileLines();
    QCOMPARE(lines.size(), 5);
    QVERIFY2(lines[0].startsWith(QStringLiteral("Site map page|") +
                                 site.Path(QStringLiteral("sitemap.html")) + u'|'),
             qPrintable(lines.join(u'\n')));
    QCOMPARE(lines[1], QStringLiteral("XML sitemap|") + site.Path(QStringLiteral("sitemap.xml")) +
                           QStringLiteral("|4 URLs"));
    QCOMPARE(lines[2], QStringLiteral("Text sitemap|") + site.Path(QStringLiteral("urls.txt")) +
                           QStringLiteral("|4 URLs"));
    QVERIFY(lines[3].startsWith(QStringLiteral("robots.txt|") +
                                site.Path(QStringLiteral("robots.txt")) + u'|'));
    QCOMPARE(lines[4], QStringLiteral("Pages listed|4 of 7 pages listed; left out: 1 noindex, 1 "
                                      "deleted or ignored in the wizard, 1 edited link off the "
                                      "base URL|4 of 7"));
    w.dialogs.AnswerOpenDocument(true);
    w.Button("btnOpenOutputFolder")->click();
    QCOMPARE(w.dialogs.Last().text + u'/', site.Root());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void SitemapsTest::aSettingThatCannotWorkKeepsTheWizardOnThePage_data() {
    QTest::addColumn<QString>("baseURL");
    QTest::addColumn<bool>("robots");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("told");
    QTest::newRow("none") << QString() << false << QStringLiteral("editXmlBaseURL")
                          << QStringLiteral("needs a base URL");
    QTest::newRow("not http") << QStringLiteral("ftp://example.org/") << false
                              << QStringLiteral("editXmlBaseURL")
                              << QStringLiteral("absolute http:// or https://");
    QTest::newRow("query") << QStringLiteral("https://example.org/?a=1") << false
                           << QStringLiteral("editXmlBaseURL")
                           << QStringLiteral("query or a fragment");
    QTest::newRow("robots below the root")
        << QStringLiteral("https://example.org/site/") << true << QStringLiteral("chkRobotsTxt")
        << QStringLiteral("root of a host");
}

void SitemapsTest::aSettingThatCannotWorkKeepsTheWizardOnThePage() {
    QFETCH(QString, baseURL);
    QFETCH(bool, robots);
    QFETCH(QString, field);
    QFETCH(QString, told);
    TestSite site;
    MakeSite(site);
    Wizard w;
    w.Scan(site.Path(QStringLiteral("index.html")));
    w.Button("btnNext")->click();
    AnswerSitemaps(w, baseURL, [robots](QDialog& dialog) {
        Find<QCheckBox>(&dialog, "chkRobotsTxt")->setChecked(robots);
    });
    w.Button("btnSearchSitemaps")->click();

    w.dialogs.AnswerMessage(MsgResult::Ok);
    QString focused;
    w.dialogs.AnswerModal([&focused](QDialog& dialog) {
        focused = dialog.focusWidget() ? dialog.focusWidget()->objectName() : QString();
        return int(QDialog::Rejected);
    });
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 3);
    const auto& asked = w.dialogs.AskedSoFar();
    QCOMPARE(asked[asked.size() - 2].kind, ScriptedDialogs::Kind::Message);
    QVERIFY2(asked[asked.size() - 2].text.contains(told), qPrintable(asked[asked.size() - 2].text));
    QCOMPARE(focused, field);
    QVERIFY(!QFile::exists(site.Path(QStringLiteral("sitemap.html"))));
    QVERIFY(!QFile::exists(site.Path(QStringLiteral("sitemap.xml"))));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void SitemapsTest::aFailedSitemapKeepsThePageAndMarksItsLine() {
    TestSite site;
    MakeSite(site);
    Wizard w;
    w.Scan(site.Path(QStringLiteral("index.html")));
    w.Button("btnNext")->click();
    const QString text = site.Path(QStringLiteral("missing/urls.txt"));
    AnswerSitemaps(w, QStringLiteral("https://example.org/"), [&text](QDialog& dialog) {
        Find<QLineEdit>(&dialog, "editTextSitemap")->setText(text);
    });
    w.Button("btnSearchSitemaps")->click();
    w.dialogs.AnswerMessage(MsgResult::Ok);
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 4);
    QCOMPARE(w.dialogs.Last().icon, tw::ui::MsgIcon::Error);
    QVERIFY2(w.dialogs.Last().text.contains(text), qPrintable(w.dialogs.Last().text));
    // The page was written before; the sitemaps are opened together, so the
    // XML one was not replaced either.
    QVERIFY(ReadAll(site.Path(QStringLiteral("sitemap.html"))).startsWith("<!DOCTYPE"));
    const QStringList lines = w.window->OutputStatus()->FileLines();
    QCOMPARE(lines.size(), 3);
    QVERIFY(!lines[0].endsWith(QStringLiteral("|FAILED")));
    QCOMPARE(lines[1], QStringLiteral("XML sitemap|") + site.Path(QStringLiteral("sitemap.xml")) +
                           QStringLiteral("|not written"));
    QCOMPARE(lines[2], QStringLiteral("Text sitemap|") + text + QStringLiteral("|FAILED"));
    QVERIFY(w.Button("btnViewOutputFile")->isEnabled());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void SitemapsTest::aProfileKeepsTheSettingsThroughOpenAndSave() {
    TestSite site;
    MakeSite(site);
    Wizard w;
    const QString file = w.ProgramFolder() + QStringLiteral("engines.zpf");
    {
        tw::TMapProfile profile = tw::MakeStartupProfile();
        profile.SetIndexPage(site.PathStd(QStringLiteral("index.html")));
        profile.SetOutputFileName(site.PathStd(QStringLiteral("sitemap.html")));
        profile.SetXmlSitemap(true);
        profile.SetXmlBaseURL("https://example.org/");
        profile.SetXmlGzip(true);
        profile.SetXmlLastMod(tw::TMapLastMod::mlmNone);
        profile.SetTextSitemapFileName(site.PathStd(QStringLiteral("urls.txt")));
        profile.SetFileName(file.toStdString());
        QVERIFY(tw::WriteProfile(profile));
    }
    const QByteArray before = ReadAll(file);
    w.dialogs.AnswerOpenFiles({file});
    w.Button("btnOpenProfile")->click();
    w.Button("btnNext")->click();
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 3);
    QCOMPARE(w.LabelText("lblSitemapSummary"),
             QStringLiteral("XML sitemap for https://example.org/, text sitemap"));
    // The dialog shows what the file holds; Cancel changes nothing.
    w.dialogs.AnswerModal([](QDialog& dialog) {
        [&] {
            QVERIFY(Find<QCheckBox>(&dialog, "chkXmlGzip")->isChecked());
            QVERIFY(!Find<QCheckBox>(&dialog, "chkRobotsTxt")->isChecked());
            QCOMPARE(Find<QComboBox>(&dialog, "cbXmlLastMod")->currentIndex(), 2);
        }();
        return int(QDialog::Rejected);
    });
    w.Button("btnSearchSitemaps")->click();
    QVERIFY(!w.window->Profile().Modified());
    w.window->Profile().SetModified(true);
    w.Button("btnSaveProfile")->click();
    QCOMPARE(ReadAll(file), before);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

TW_GUI_TEST(SitemapsTest)
#include "SitemapsTest.moc"
