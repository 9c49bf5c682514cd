// The main window: start state, navigation, the scan run into the tree,
// Cancel, the Finish check and the command dispatch.

#include "WizardFixture.h"
#include "model/SiteMapTree.h"
#include "ui/Controls.h"
#include "ui/InformationPage.h"
#include "ui/ResultsPage.h"
#include "ui/SiteMapTreeModel.h"
#include "ui/StatusPage.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTreeView>
#include <functional>

using tw::ui::MsgButtons;
using tw::ui::MsgIcon;
using tw::ui::MsgResult;
using tw::ui::TfrmSiteMapMain;

namespace {

// Refuses every close request, as a user answering Cancel to the save
// question would, and counts them.
class CloseRefuser : public QObject {
public:
    int requests = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            ++requests;
            event->ignore();
            return true;
        }
        return false;
    }
};

// A site with pages, a picture, an ignored folder, an ignored file, the
// output file, empty folders and a sub folder with a default page.
void MakeFixtureSite(TestSite& site) {
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("Welcome"));
    site.WritePage(QStringLiteral("about.htm"), QStringLiteral("About Us"));
    site.WriteFile(QStringLiteral("logo.PNG"), "png");
    site.WriteFile(QStringLiteral("notes.txt"), "plain");
    site.WriteFile(QStringLiteral("style.css"), "body{}");
    site.WriteFile(QStringLiteral("sitemap.html"), "old map");
    site.WritePage(QStringLiteral("skip.html"), QStringLiteral("Skip"));
    site.WritePage(QStringLiteral("docs/a.html"), QStringLiteral("Doc A"));
    site.WritePage(QStringLiteral("docs/index.htm"), QStringLiteral("Docs"));
    site.MakeFolder(QStringLiteral("docs/deep"));
    site.MakeFolder(QStringLiteral("empty/inner"));
    site.WritePage(QStringLiteral("private/p.html"), QStringLiteral("Private"));
}

QStringList ChildTexts(const tw::SiteMapNode* node) {
    QStringList texts;
    for (int i = 0; i < node->ChildCount(); ++i)
        texts << QString::fromStdString(node->Child(i)->Data.LinkText);
    return texts;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startsOnTheInformationPage();
    void fieldsCarryTheirLabelsAsAccessibleNames();
    void nextWithMissingIndexFolderStays_data();
    void nextWithMissingIndexFolderStays();
    void nextAsksAboutAMissingIndexPage();
    void nextRefusesFileTypesWithoutAnEntry();
    void scanFillsTreeAndLog();
    void secondScanStartsAfresh();
    void scanOfIgnoredRootGivesEmptyTree();
    void scanOfVanishedFolderReturnsToInformation();
    void navigationFollowsThePageTable();
    void cancelDuringScanWithCloseRefused();
    void cancelDuringScanClosesWindow();
    void closeBoxDuringScanStopsTheWalk();
    void cancelBeforeTheWalkWalksNothing();
    void finishCheckAsksFilePaths_data();
    void finishCheckAsksFilePaths();
    void buttonTagsDispatch();
};

void MainWindowTest::startsOnTheInformationPage() {
    Wizard w;
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Zephyrix Trailwright - Untitled.zpf"));
    QCOMPARE(w.window->WizardPage(), 0);
    QCOMPARE(w.LabelText("lblHeader"),
             QStringLiteral("Zephyrix Trailwright - Gathering Information"));
    QVERIFY(!w.Button("btnBack")->isEnabled());
    QVERIFY(w.Button("btnNext")->isEnabled());
    QCOMPARE(w.Button("btnNext")->text(), QStringLiteral("&Next"));
    QCOMPARE(w.Button("btnCancel")->text(), QStringLiteral("Cancel"));
    QVERIFY(w.window->minimumSize() == QSize(640, 500));
    // The default types go in through the field; the start-up then shows
    // the default profile, which is not modified.
    QCOMPARE(w.Edit("editFileTypes")->text(),
             QStringLiteral("*.htm;*.html;*.txt;*.php;*.php4;*.php5;"));
    QCOMPARE(w.window->Profile().FileTypes(), "*.htm;*.html;*.txt;*.php;*.php4;*.php5;");
    QVERIFY(!w.window->Profile().Modified());
    QVERIFY(w.Get<QCheckBox>("chkUsePageTitles")->isChecked());
    // The animation frames are made once, at the first activation.
    QCOMPARE(w.window->AnimationFrames().size(), 11);
    const qint64 firstKey = w.window->AnimationFrames()[0].cacheKey();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(w.window.get(), &activate);
    QCOMPARE(w.window->AnimationFrames()[0].cacheKey(), firstKey);
    for (const QPixmap& frame : w.window->AnimationFrames())
        QCOMPARE(frame.size(), QSize(48, 48));
    QVERIFY(w.window->AnimationFrames()[0].toImage() != w.window->AnimationFrames()[5].toImage());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void MainWindowTest::fieldsCarryTheirLabelsAsAccessibleNames() {
    Wizard w;
    auto nameOf = [](QWidget* widget) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        return iface ? iface->text(QAccessible::Name) : QString();
    };
    QVERIFY(nameOf(w.Edit("editIndex")).startsWith(QStringLiteral("Index Page For Website")));
    QVERIFY(nameOf(w.Edit("editFileTypes")).startsWith(QStringLiteral("File Types to include")));
    QCOMPARE(nameOf(w.List("lstIgnoreFolders")), QStringLiteral("Sub Folders to Ignore:"));
    QCOMPARE(nameOf(w.List("lstIgnoreFiles")), QStringLiteral("Files to Ignore:"));
    QCOMPARE(nameOf(w.Get<QTreeView>("tvMap")),
             QStringLiteral("Site Map Results (Double Click an item to edit its properties)"));
    QCOMPARE(nameOf(w.Edit("editOutputFile")), QStringLiteral("Output File:"));
}

void MainWindowTest::nextWithMissingIndexFolderStays_data() {
    QTest::addColumn<QString>("indexPage");
    QTest::newRow("empty") << QString();
    QTest::newRow("missing folder") << QStringLiteral("/no/such/folder/tw/index.html");
}

void MainWindowTest::nextWithMissingIndexFolderStays() {
    QFETCH(QString, indexPage);
    Wizard w;
    w.dialogs.AnswerMessage(MsgResult::Ok);
    w.Scan(indexPage);
    QCOMPARE(w.window->WizardPage(), 0);
    QCOMPARE(w.dialogs.Last().caption, QStringLiteral("Zephyrix Trailwright"));
    QCOMPARE(w.dialogs.Last().text,
             QStringLiteral("The Index Page folder cannot be found, please enter a valid path."));
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::None);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void MainWindowTest::nextAsksAboutAMissingIndexPage() {
    TestSite site;
    MakeFixtureSite(site);
    Wizard w;
    const QString missing = site.Path(QStringLiteral("nosuch.html"));
    const QString question = QStringLiteral("The index page ") + missing +
                             QStringLiteral(" does not exist.\n\nThe site map's link to it will "
                                            "not work. Scan its folder anyway?");
    w.dialogs.AnswerMessage(MsgResult::No);
    w.Scan(missing);
    QCOMPARE(w.window->WizardPage(), 0);
    QCOMPARE(w.dialogs.Last().caption, QStringLiteral("Zephyrix Trailwright"));
    QCOMPARE(w.dialogs.Last().text, question);
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::Question);
    QCOMPARE(w.dialogs.Last().buttons, MsgButtons::YesNo);
    QCOMPARE(QApplication::focusWidget(), w.Edit("editIndex"));

    w.dialogs.AnswerMessage(MsgResult::Yes);
    w.Scan(missing);
    QCOMPARE(w.window->WizardPage(), 2);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void MainWindowTest::nextRefusesFileTypesWithoutAnEntry() {
    TestSite site;
    MakeFixtureSite(site);
    Wizard w;
    // Typed as a newcomer types them: stored canonical, every type matched.
    QTest::keyClicks(w.Edit("editFileTypes"), QStringLiteral("xx"));
    w.Edit("editFileTypes")->setText(QStringLiteral("html, .htm"));
    QCOMPARE(w.window->Profile().FileTypes(), "*.html;*.htm;");
    w.Edit("editFileTypes")->setText(QStringLiteral(" ; "));
    w.dialogs.AnswerMessage(MsgResult::Ok);
    w.Scan(site.Path(QStringLiteral("index.html")));
    QCOMPARE(w.window->WizardPage(), 0);
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::None);
    QCOMPARE(QApplication::focusWidget(), w.Edit("editFileTypes"));

    // An ignore entry that leaves nothing out is told in the scan's log, as
    // is a folder that a link leads back to.
    QVERIFY(
        QFile::link(site.Path(QStringLiteral("docs")), site.Path(QStringLiteral("docs/deep/up"))));
    w.Edit("editFileTypes")->setText(QStringLiteral("*.html"));
    w.IgnoreFolder("/elsewhere/");
    w.Scan(site.Path(QStringLiteral("index.html")));
    QCOMPARE(w.window->WizardPage(), 2);
    QVERIFY(
        w.Log()
            .split(QLatin1Char('\n'))
            .contains(QStringLiteral(
                "Warning: the ignore entry /elsewhere/ matches no folder or file of the site")));
    QVERIFY(w.Log().contains(QStringLiteral("Warning: the folder ") +
                             site.Path(QStringLiteral("docs/deep/up/ is left out: it is ")) +
                             site.Path(QStringLiteral("docs/"))));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void MainWindowTest::scanFillsTreeAndLog() {
    TestSite site;
    MakeFixtureSite(site);
    Wizard w;
    QAbstractItemModelTester tester(w.window->Results()->Model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    w.Edit("editFileTypes")->setText(QStringLiteral("*.htm;*.html;*.txt;*.png;"));
    w.Edit("editIndex")->setText(site.Path(QStringLiteral("index.html")));
    // editIndexChange proposed the default output file, which the scan skips.
    QCOMPARE(w.Edit("editOutputFile")->text(), site.Path(QStringLiteral("sitemap.html")));

    w.dialogs.AnswerFolder(site.Path(QStringLiteral("private")));
    w.Button("btnAddFolder")->click();
    w.dialogs.AnswerOpenFiles({site.Path(QStringLiteral("skip.html"))});
    w.Button("btnFileAdd")->click();
    w.Scan(site.Path(QStringLiteral("index.html")));

    QCOMPARE(w.window->WizardPage(), 2);
    QCOMPARE(w.LabelText("lblHeader"), QStringLiteral("Zephyrix Trailwright - Site Map Results"));
    QVERIFY(w.Button("btnBack")->isEnabled());
    QVERIFY(w.Button("btnNext")->isEnabled());
    QVERIFY(w.Button("btnOpenProfile")->isEnabled());
    QCOMPARE(w.window->FoundCount(), 6);
    QCOMPARE(w.LabelText("lblFileCount"), QStringLiteral("6"));
    QCOMPARE(w.LabelText("lblStatusTitle"),
             QStringLiteral("Search Complete! Press Next to View Results."));
    QCOMPARE(w.LabelText("lblLookingIn"), QString());
    QCOMPARE(w.LabelText("lblFileFound"), QString());
    QVERIFY(!w.window->Status()->Animation()->Active());

    const QString r = site.Root();
    const QStringList expectedLog{
        QStringLiteral("Scanning Folder: ") + r,
        QStringLiteral("  ") + r + QStringLiteral("about.htm"),
        QStringLiteral("  ") + r + QStringLiteral("index.html"),
        QStringLiteral("  ") + r + QStringLiteral("logo.PNG"),
        QStringLiteral("  ") + r + QStringLiteral("notes.txt"),
        QStringLiteral("  ") + r + QStringLiteral("sitemap.html"),
        QStringLiteral("  ") + r + QStringLiteral("skip.html"),
        QStringLiteral("Scanning Folder: ") + r + QStringLiteral("docs/"),
        QStringLiteral("  ") + r + QStringLiteral("docs/a.html"),
        QStringLiteral("  ") + r + QStringLiteral("docs/index.htm"),
        QStringLiteral("Scanning Folder: ") + r + QStringLiteral("docs/deep/"),
        QStringLiteral("Scanning Folder: ") + r + QStringLiteral("empty/"),
        QStringLiteral("Scanning Folder: ") + r + QStringLiteral("empty/inner/"),
        QStringLiteral("Ignoring Folder: ") + r + QStringLiteral("private/"),
        QStringLiteral("Total Files: 6")};
    QCOMPARE(w.Log().split(QLatin1Char('\n')), expectedLog);

    // The tree: files before sub folders, empty folders pruned.
    tw::TSiteMapTree& tree = w.window->Tree();
    QCOMPARE(tree.TopLevelCount(), 1);
    tw::SiteMapNode* root = tree.First();
    QCOMPARE(root->Data.LinkText, "Home");
    QCOMPARE(root->Data.LinkURL, "index.html");
    QCOMPARE(ChildTexts(root), (QStringList{QStringLiteral("About Us"), QStringLiteral("Welcome"),
                                            QStringLiteral("logo.PNG"), QStringLiteral("notes.txt"),
                                            QStringLiteral("docs")}));
    QCOMPARE(root->Child(2)->ImageIndex(), int(tw::kImagePicture));
    QCOMPARE(root->Child(1)->ImageIndex(), int(tw::kImagePage));
    QCOMPARE(root->Child(4)->ImageIndex(), int(tw::kImageFolder));
    QCOMPARE(root->Child(4)->Data.LinkURL, "docs/index.htm");
    QCOMPARE(ChildTexts(root->Child(4)),
             (QStringList{QStringLiteral("Doc A"), QStringLiteral("Docs")}));

    // The view shows the tree: root expanded and selected, its path below.
    auto* view = w.Get<QTreeView>("tvMap");
    auto* model = w.window->Results()->Model();
    QModelIndex rootIndex = model->index(0, 0);
    QCOMPARE(model->rowCount(rootIndex), 5);
    QCOMPARE(rootIndex.data().toString(), QStringLiteral("Home"));
    QVERIFY(view->isExpanded(rootIndex));
    // Every folder below the root is open as well.
    QVERIFY(view->isExpanded(model->index(4, 0, rootIndex)));
    QCOMPARE(w.window->Results()->SelectedNode(), root);
    QCOMPARE(w.LabelText("lblLinkFileName"), r);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void MainWindowTest::secondScanStartsAfresh() {
    TestSite site;
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("One"));
    site.WritePage(QStringLiteral("two.html"), QStringLiteral("Two"));
    Wizard w;
    w.Scan(site.Path(QStringLiteral("index.html")));
    QCOMPARE(w.window->FoundCount(), 2);
    // An edit of the first result is lost with the new scan.
    w.window->Tree().First()->Child(0)->Data.LinkText = "Edited";
    w.Button("btnBack")->click();
    QCOMPARE(w.window->WizardPage(), 0);
    QFile::remove(site.Path(QStringLiteral("two.html")));
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 2);
    QCOMPARE(w.window->FoundCount(), 1);
    QCOMPARE(w.LabelText("lblFileCount"), QStringLiteral("1"));
    QCOMPARE(w.Log().count(QStringLiteral("Scanning Folder: ")), 1);
    QCOMPARE(w.Log().count(QStringLiteral("Total Files: ")), 1);
    QCOMPARE(ChildTexts(w.window->Tree().First()), QStringList{QStringLiteral("One")});
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void MainWindowTest::scanOfIgnoredRootGivesEmptyTree() {
    TestSite site;
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("One"));
    Wizard w;
    w.Edit("editIndex")->setText(site.Path(QStringLiteral("index.html")));
    w.IgnoreFolder(site.RootStd());
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 2);
    QCOMPARE(w.Log(), QStringLiteral("Ignoring Folder: ") + site.Root() +
                          QStringLiteral("\nTotal Files: 0"));
    QVERIFY(w.window->Tree().Empty());
    QCOMPARE(w.window->Results()->Model()->rowCount(), 0);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void MainWindowTest::scanOfVanishedFolderReturnsToInformation() {
    Wizard w;
    w.Edit("editIndex")->setText(QStringLiteral("/no/such/folder/tw/index.html"));
    w.dialogs.AnswerMessage(MsgResult::Ok);
    // As if the folder went away between the check and the walk.
    w.window->SearchFiles();
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::Error);
    QVERIFY(w.dialogs.Last().text.contains(QStringLiteral("directory does not exist")));
    QCOMPARE(w.window->WizardPage(), 0);
    QVERIFY(w.Button("btnNext")->isEnabled());
    QVERIFY(w.Button("btnOpenProfile")->isEnabled());
    QVERIFY(!w.window->Status()->Animation()->Active());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void MainWindowTest::navigationFollowsThePageTable() {
    TestSite site;
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("One"));
    Wizard w;
    w.Scan(site.Path(QStringLiteral("index.html")));
    QCOMPARE(w.window->WizardPage(), 2);
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 3);
    QCOMPARE(w.Button("btnNext")->text(), QStringLiteral("&Finish"));
    QCOMPARE(w.LabelText("lblHeader"),
             QStringLiteral("Zephyrix Trailwright - Site Map Output File Settings"));
    // The output file lies in the index folder: no question.
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 4);
    QVERIFY(!w.Button("btnNext")->isEnabled());
    QVERIFY(w.Button("btnBack")->isEnabled());
    QCOMPARE(w.LabelText("lblHeader"),
             QStringLiteral("Zephyrix Trailwright - Site Map Output File Creation"));
    w.Button("btnCancel")->setText(QStringLiteral("Close"));
    w.Button("btnBack")->click();
    QCOMPARE(w.window->WizardPage(), 3);
    QCOMPARE(w.Button("btnCancel")->text(), QStringLiteral("Cancel"));
    w.Button("btnBack")->click();
    QCOMPARE(w.window->WizardPage(), 2);
    // Back from the results skips the status page and keeps the tree.
    w.Button("btnBack")->click();
    QCOMPARE(w.window->WizardPage(), 0);
    QVERIFY(!w.window->Tree().Empty());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

namespace {

void MakeLargeSite(TestSite& site, int folders, int filesPerFolder) {
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("Home"));
    for (int f = 0; f < folders; ++f)
        for (int i = 0; i < filesPerFolder; ++i)
            site.WriteFile(QStringLiteral("f%1/p%2.html").arg(f, 3, 10, QLatin1Char('0')).arg(i),
                           "<title>t</title>");
}

// Runs Act once in the walk, as soon as Files files are found: the walk's own
// progress picks the moment, whatever the machine's speed.
void AtFoundFile(Wizard& w, int files, std::function<void()> act) {
    w.window->Status()->SetProgressHook(
        [files, act = std::move(act), done = false](int found) mutable {
            if (!done && found >= files) {
                done = true;
                act();
            }
        });
}

} // namespace

void MainWindowTest::cancelDuringScanWithCloseRefused() {
    TestSite site;
    MakeLargeSite(site, 4, 100);
    Wizard w;
    CloseRefuser refuser;
    w.window->installEventFilter(&refuser);
    bool searchingAtCancel = false;
    AtFoundFile(w, 200, [&] {
        searchingAtCancel = w.window->Searching();
        w.Button("btnCancel")->click();
    });
    w.Scan(site.Path(QStringLiteral("index.html")));

    QVERIFY(searchingAtCancel);
    QCOMPARE(refuser.requests, 1);
    QVERIFY(w.window->isVisible());
    // The stopped scan ended as any scan does and moved on to the results.
    QCOMPARE(w.window->WizardPage(), 2);
    QVERIFY(!w.window->Searching());
    // The walk stops at once: no file is found after Cancel.
    QCOMPARE(w.window->FoundCount(), 200);
    QVERIFY(w.Log().endsWith(QStringLiteral("Total Files: 200")));
    QCOMPARE(w.window->Tree().Count() > w.window->FoundCount(), true);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void MainWindowTest::cancelDuringScanClosesWindow() {
    TestSite site;
    MakeLargeSite(site, 2, 100);
    Wizard w;
    // The typed index page is an unsaved change.
    w.dialogs.AnswerMessage(MsgResult::No);
    AtFoundFile(w, 100, [&] { w.Button("btnCancel")->click(); });
    w.Scan(site.Path(QStringLiteral("index.html")));
    QVERIFY(!w.window->isVisible());
    QVERIFY(!w.window->Searching());
    QCOMPARE(w.window->FoundCount(), 100);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void MainWindowTest::closeBoxDuringScanStopsTheWalk() {
    TestSite site;
    MakeLargeSite(site, 2, 100);
    Wizard w;
    w.dialogs.AnswerMessage(MsgResult::No);
    AtFoundFile(w, 100, [&] { w.window->close(); });
    w.Scan(site.Path(QStringLiteral("index.html")));
    QVERIFY(!w.window->isVisible());
    // No walk goes on behind a closed window.
    QCOMPARE(w.window->FoundCount(), 100);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void MainWindowTest::cancelBeforeTheWalkWalksNothing() {
    TestSite site;
    MakeLargeSite(site, 2, 10);
    Wizard w;
    w.dialogs.AnswerMessage(MsgResult::No);
    int idles = 0;
    w.window->Status()->SetProgressHook([&](int) { ++idles; });
    // Queued, it runs while the status page is first painted, before the walk.
    QMetaObject::invokeMethod(
        w.window.get(), [&] { w.Button("btnCancel")->click(); }, Qt::QueuedConnection);
    w.Scan(site.Path(QStringLiteral("index.html")));
    QVERIFY(!w.window->isVisible());
    QCOMPARE(idles, 0);
    QCOMPARE(w.window->FoundCount(), 0);
    QVERIFY(w.window->Tree().Empty());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void MainWindowTest::finishCheckAsksFilePaths_data() {
    QTest::addColumn<QString>("outputFile"); // relative to the site's parent
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("result"); // empty: unchanged
    // The generation then cannot write (a missing folder, a folder's name).
    QTest::addColumn<bool>("writeFails");
    QTest::newRow("same folder") << QStringLiteral("SITE/map.html") << false << 0 << 4 << QString()
                                 << false;
    QTest::newRow("other folder, Yes")
        << QStringLiteral("out/map.html") << true << int(MsgResult::Yes) << 4
        << QStringLiteral("SITE/map.html") << false;
    QTest::newRow("other folder, No")
        << QStringLiteral("out/map.html") << true << int(MsgResult::No) << 4 << QString() << true;
    QTest::newRow("other folder, Cancel") << QStringLiteral("out/map.html") << true
                                          << int(MsgResult::Cancel) << 3 << QString() << false;
    // Linux tells the cases apart: another folder, so the question comes.
    QTest::newRow("case differs") << QStringLiteral("UPPER/map.html") << true << int(MsgResult::Yes)
                                  << 4 << QStringLiteral("SITE/map.html") << false;
    QTest::newRow("empty name") << QStringLiteral("") << true << int(MsgResult::Yes) << 4
                                << QStringLiteral("SITE/") << true;
}

void MainWindowTest::finishCheckAsksFilePaths() {
    QFETCH(QString, outputFile);
    QFETCH(bool, asked);
    QFETCH(int, answer);
    QFETCH(int, page);
    QFETCH(QString, result);
    QFETCH(bool, writeFails);
    TestSite site;
    site.WritePage(QStringLiteral("Site/index.html"), QStringLiteral("Home"));
    const QString siteFolder = site.Path(QStringLiteral("Site/"));
    auto resolve = [&](QString text) {
        text.replace(QStringLiteral("SITE/"), siteFolder);
        text.replace(QStringLiteral("UPPER/"), site.Path(QStringLiteral("SITE/")));
        if (!text.isEmpty() && !text.startsWith(QLatin1Char('/')))
            text = site.Root() + text;
        return text;
    };
    Wizard w;
    w.Scan(siteFolder + QStringLiteral("index.html"));
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 3);
    const QString output = resolve(outputFile);
    w.Edit("editOutputFile")->setText(output);
    if (asked)
        w.dialogs.AnswerMessage(static_cast<MsgResult>(answer));
    if (writeFails)
        w.dialogs.AnswerMessage(MsgResult::Ok);
    w.Button("btnNext")->click();

    QCOMPARE(w.window->WizardPage(), page);
    if (writeFails)
        QVERIFY(w.dialogs.Last().text.startsWith(QStringLiteral("Cannot create file ")));
    if (asked) {
        const ScriptedDialogs::Asked& question = w.dialogs.AskedSoFar().front();
        QCOMPARE(question.caption, QStringLiteral("File Paths"));
        QCOMPARE(question.icon, MsgIcon::Question);
        QCOMPARE(question.buttons, MsgButtons::YesNoCancel);
        QVERIFY(question.text.startsWith(
            QStringLiteral("The folder for the output file is not the same as the index folder.")));
    }
    const QString expected = result.isEmpty() ? output : resolve(result);
    QCOMPARE(w.Edit("editOutputFile")->text(), expected);
    QCOMPARE(QString::fromStdString(w.window->Profile().OutputFileName()), expected);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void MainWindowTest::buttonTagsDispatch() {
    Wizard w;
    auto* mystery = tw::ui::MakeButton(QStringLiteral("?"), QStringLiteral("btnMystery"),
                                       tw::ui::ButtonTag::Undefined, w.window.get());
    w.dialogs.AnswerMessage(MsgResult::Ok);
    w.window->ButtonClick(mystery);
    QCOMPARE(w.dialogs.Last().caption, QStringLiteral("Zephyrix Trailwright"));
    QCOMPARE(w.dialogs.Last().text,
             QStringLiteral("Button Action Undefined for Control \"btnMystery\"\n\nPlease report "
                            "this error.\n\nPress CTRL-C to copy this message."));
    // Tag 11 and tags above 17 do nothing at all.
    for (int tag : {11, 18, 99}) {
        mystery->setProperty(tw::ui::kTagProperty, tag);
        w.window->ButtonClick(mystery);
    }
    QCOMPARE(w.dialogs.AskedSoFar().size(), 1);
    QCOMPARE(w.window->WizardPage(), 0);
    // Tag 9 is Browse: it asks for a file.
    mystery->setProperty(tw::ui::kTagProperty, 9);
    w.dialogs.AnswerOpenFiles({});
    w.window->ButtonClick(mystery);
    QCOMPARE(w.dialogs.Last().kind, ScriptedDialogs::Kind::OpenFiles);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

TW_GUI_TEST(MainWindowTest)
#include "MainWindowTest.moc"
