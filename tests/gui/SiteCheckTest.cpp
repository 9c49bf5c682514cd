// Check Site on the results page: the findings on the nodes and in the
// list, Problems only, Save Report, link texts, and the worker thread.

#include "WizardFixture.h"
#include "check/CheckReport.h"
#include "core/LoopbackServer.h"
#include "model/SiteMapTree.h"
#include "ui/ResultsPage.h"
#include "ui/SiteCheckRun.h"
#include "ui/SiteMapTreeModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTreeView>
#include <QUrl>
#include <atomic>
#include <set>

using tw::SiteMapNode;
using tw::ui::MsgResult;
using namespace Qt::StringLiterals;

namespace {

// A page that gives no page-quality finding: lang, a description of its
// own, an h1.
QByteArray Page(const char* title, const char* links) {
    static int pages = 0;
    return QByteArray("<html lang=en><head>") +
           (title ? QByteArray("<title>") + title + "</title>" : "") +
           "<meta name=description content=d" + QByteArray::number(++pages) + "></head><body><h1>" +
           "</h1>" + links + "</body></html>";
}

// Seeded: a dead link on index.html, the orphan orphan.html, the title-less
// notitle.html, the duplicate pair a.html and b.html. Clean: about.html and
// the branch clean/.
struct CheckedWizard : Wizard {
    TestSite site;

    CheckedWizard() {
        site.WriteFile(QStringLiteral("index.html"),
                       Page("Home", "<a href=about.html></a><a href=a.html></a><a href=b.html>"
                                    "</a><a href=notitle.html></a><a href=clean/></a>"
                                    "<a href=missing.html></a>"));
        site.WriteFile(QStringLiteral("about.html"), Page("About", "<a href=index.html></a>"));
        site.WriteFile(QStringLiteral("a.html"), Page("Same", ""));
        site.WriteFile(QStringLiteral("b.html"), Page("Same", ""));
        site.WriteFile(QStringLiteral("notitle.html"), Page(nullptr, ""));
        site.WriteFile(QStringLiteral("orphan.html"), Page("Orphan", ""));
        site.WriteFile(QStringLiteral("clean/index.html"), Page("Clean", ""));
        Scan(site.Path(QStringLiteral("index.html")));
    }
    tw::ui::ResultsPage* Results() const { return window->Results(); }
    tw::ui::SiteMapTreeModel* Model() const { return Results()->Model(); }
    QTreeView* Findings() const { return Get<QTreeView>("lvFindings"); }
    QString Cell(int row, int column) const {
        return Findings()->model()->index(row, column).data().toString();
    }
    SiteMapNode* Node(const std::string& relative) const {
        SiteMapNode* found = nullptr;
        window->Tree().ForEach([&](SiteMapNode& n, int) {
            if (n.Data.FilePath == site.RootStd() + relative)
                found = &n;
        });
        return found;
    }
    std::set<std::string> Marked() const {
        std::set<std::string> marked;
        window->Tree().ForEach([&](SiteMapNode& n, int) {
            if (Model()->Findings().Marked(&n))
                marked.insert(n.Data.FilePath.substr(site.RootStd().size()));
        });
        return marked;
    }
    void Check() {
        Button("btnCheckSite")->click();
        ProcessEventsUntil([this] { return !Results()->Checking(); });
    }
    // The list's row of the first finding on Page, or -1.
    int Row(const QString& page) const {
        QAbstractItemModel* list = Findings()->model();
        const QModelIndexList found =
            list->match(list->index(0, 1), Qt::DisplayRole, page, 1, Qt::MatchExactly);
        return found.isEmpty() ? -1 : found.constFirst().row();
    }
};

const std::set<std::string> kSeeded{"index.html", "orphan.html", "notitle.html", "a.html",
                                    "b.html"};

} // namespace

class SiteCheckTest : public QObject {
    Q_OBJECT
private slots:
    void marksExactlyTheSeededNodes();
    void problemsOnlyAndActivation();
    void saveReport();
    void kindFilterAndReadableReports();
    void typedLinkTextJoinsTheTitleFinding();
    void cancelAndCloseStopTheWorker_data();
    void cancelAndCloseStopTheWorker();
    void newScanClearsTheMarks();
    void pageQualityIsListed();
    void externalLinksOnline();
    void stopAbortsTheTransfers();
};

void SiteCheckTest::marksExactlyTheSeededNodes() {
    CheckedWizard w;
    // A page deleted from the map is still a page of the site.
    w.dialogs.AnswerMessage(MsgResult::Yes);
    w.Results()->SelectNode(w.Node("a.html"));
    w.Results()->DeleteSelectedNodes();
    QVERIFY(!w.Get<QWidget>("pnlCheck")->isVisible());
    w.Check();
    QCOMPARE(w.Marked(),
             (std::set<std::string>{"index.html", "orphan.html", "notitle.html", "b.html"}));
    QCOMPARE(w.Findings()->model()->rowCount(), 5);
    // Two pages titled alike are one problem, as the command line counts.
    QCOMPARE(w.LabelText("lblCheckProgress"), QStringLiteral("4 problems in 7 pages."));
    QVERIFY(w.Row(QStringLiteral("a.html")) >= 0);
    QCOMPARE(w.Cell(0, 0), QStringLiteral("Dead link"));

    // The badge and the tooltip come with the mark.
    const QModelIndex orphan = w.Model()->IndexOf(w.Node("orphan.html"));
    const QModelIndex about = w.Model()->IndexOf(w.Node("about.html"));
    QVERIFY(orphan.data(Qt::ToolTipRole).toString().contains(QStringLiteral("Orphan page")));
    QCOMPARE(about.data(Qt::ToolTipRole).toString(), w.site.Path(QStringLiteral("about.html")));
    // What the view draws differs, not merely the icon object.
    auto drawn = [](const QModelIndex& index) {
        return index.data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage();
    };
    QVERIFY(drawn(orphan) != drawn(about));

    // A node deleted after the check keeps its finding listed, leading nowhere.
    w.dialogs.AnswerMessage(MsgResult::Yes);
    w.Results()->SelectNode(w.Node("b.html"));
    w.Results()->DeleteSelectedNodes();
    QCOMPARE(w.Marked().count("b.html"), 0u);
    SiteMapNode* before = w.Results()->SelectedNode();
    w.Results()->ActivateFinding(w.Row(QStringLiteral("b.html")));
    QCOMPARE(w.Results()->SelectedNode(), before);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void SiteCheckTest::problemsOnlyAndActivation() {
    CheckedWizard w;
    w.Check();
    auto* view = w.Get<QTreeView>("tvMap");
    auto hidden = [&] {
        std::set<std::string> rows;
        w.window->Tree().ForEach([&](SiteMapNode& n, int) {
            const QModelIndex i = w.Model()->IndexOf(&n);
            if (view->isRowHidden(i.row(), i.parent()))
                rows.insert(n.Data.FilePath.substr(w.site.RootStd().size()));
        });
        return rows;
    };
    // Hidden at the top of each clean branch: clean/ takes its page along.
    w.Get<QCheckBox>("cbProblemsOnly")->setChecked(true);
    QCOMPARE(hidden(), (std::set<std::string>{"about.html", "clean/"}));
    w.Get<QCheckBox>("cbProblemsOnly")->setChecked(false);
    QCOMPARE(hidden(), std::set<std::string>{});

    // Enter on a finding selects its node in the tree.
    w.Findings()->setFocus();
    w.Findings()->setCurrentIndex(
        w.Findings()->model()->index(w.Row(QStringLiteral("orphan.html")), 0));
    QTest::keyClick(w.Findings(), Qt::Key_Return);
    QCOMPARE(w.Results()->SelectedNode(), w.Node("orphan.html"));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void SiteCheckTest::saveReport() {
    CheckedWizard w;
    w.Check();
    const QString json = w.site.Path(QStringLiteral("report.json"));
    w.dialogs.AnswerSaveFile(json);
    w.Button("btnSaveReport")->click();
    QVERIFY(w.dialogs.AskedSoFar().back().save.filter.contains(QStringLiteral("*.sarif")));
    const QByteArray text = ReadAll(json);
    QCOMPARE(tw::ParseBaseline(std::string_view(text.constData(), size_t(text.size()))).Size(), 5u);
    // A file that cannot be written is told in the error box.
    w.dialogs.AnswerSaveFile(w.site.Path(QStringLiteral("no/such/folder/report.txt")));
    w.dialogs.AnswerMessage(MsgResult::Ok);
    w.Button("btnSaveReport")->click();
    QCOMPARE(w.dialogs.Last().icon, tw::ui::MsgIcon::Error);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void SiteCheckTest::kindFilterAndReadableReports() {
    CheckedWizard w;
    w.Check();
    auto* kinds = w.Get<QComboBox>("cboFindingKind");
    QCOMPARE(w.Get<QLabel>("lblFindingKind")->buddy(), kinds);
    QStringList entries;
    for (int i = 0; i < kinds->count(); ++i)
        entries << kinds->itemText(i);
    QCOMPARE(entries, (QStringList{u"All kinds (5)"_s, u"Dead link (1)"_s, u"Orphan page (1)"_s,
                                   u"Missing title (1)"_s, u"Duplicate title (2)"_s}));
    // One kind listed; Enter on its second row selects that row's node.
    kinds->setCurrentIndex(4);
    QCOMPARE(w.Findings()->model()->rowCount(), 2);
    QCOMPARE(w.Cell(1, 1), u"b.html"_s);
    w.Findings()->setFocus();
    w.Findings()->setCurrentIndex(w.Findings()->model()->index(1, 0));
    QTest::keyClick(w.Findings(), Qt::Key_Return);
    QCOMPARE(w.Results()->SelectedNode(), w.Node("b.html"));
    kinds->setCurrentIndex(0);
    QCOMPARE(w.Findings()->model()->rowCount(), 5);

    // The ending picks the form.
    const QString indexUrl =
        QUrl::fromLocalFile(w.site.Path(u"index.html"_s)).toString(QUrl::FullyEncoded);
    const std::vector<std::pair<QString, QByteArray>> files = {
        {u"report.md"_s, "| Duplicate title | `duplicateTitle` | warning | 2 |"},
        {u"report.html"_s, "<a href=\"" + indexUrl.toUtf8() + "\">index.html</a>"},
    };
    for (const auto& [name, expected] : files) {
        w.dialogs.AnswerSaveFile(w.site.Path(name));
        w.Button("btnSaveReport")->click();
        const QByteArray text = ReadAll(w.site.Path(name));
        QVERIFY2(text.contains(expected), text.constData());
    }
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void SiteCheckTest::typedLinkTextJoinsTheTitleFinding() {
    CheckedWizard w;
    // From the keyboard: Alt+K checks, F2 gives the page its text.
    QTest::keyClick(w.window.get(), Qt::Key_K, Qt::AltModifier);
    QCOMPARE(LandKeyboardClicks(w.window.get()), 1);
    ProcessEventsUntil([&w] { return !w.Results()->Checking(); });
    SiteMapNode* page = w.Node("notitle.html");
    const QModelIndex index = w.Model()->IndexOf(page);
    const QString note = QStringLiteral("the site map gives it the text \u201CNo Title\u201D");
    const int row = w.Row(QStringLiteral("notitle.html"));
    QCOMPARE(w.Cell(row, 3), QStringLiteral("Missing title"));
    w.Results()->SelectNode(page);
    QTest::keyClick(w.Results()->TreeView(), Qt::Key_F2);
    auto* editor = w.Results()->TreeView()->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("No Title"));
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits on the next round of the event loop.
    QCoreApplication::processEvents();
    QCOMPARE(page->Data.LinkText, "No Title");
    QVERIFY(w.Model()->Findings().Marked(page));
    QCOMPARE(w.Cell(row, 3), QStringLiteral("Missing title; ") + note);
    QVERIFY(index.data(Qt::ToolTipRole).toString().contains(note));
    w.dialogs.AnswerEditItem(false);
    w.Results()->EditNodeProperties(page);
    QCOMPARE(w.dialogs.Last().findings, QStringLiteral("Missing title; ") + note);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void SiteCheckTest::cancelAndCloseStopTheWorker_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Cancel") << false;
    QTest::newRow("close box") << true;
}

void SiteCheckTest::cancelAndCloseStopTheWorker() {
    QFETCH(bool, closeBox);
    CheckedWizard w;
    tw::ui::SiteCheckRun* run = w.Results()->CheckRun();
    std::atomic<bool> held{false};
    std::atomic<size_t> latest{0};
    run->SetPageHook([&](size_t done) {
        latest = done;
        if (done == 2) {
            held = true;
            run->WaitForStopRequest();
        }
    });
    w.Button("btnCheckSite")->click();
    ProcessEventsUntil([&] {
        return held && w.LabelText("lblCheckProgress").startsWith(QStringLiteral("Checking: 2 of"));
    });
    // Held in the middle of the run: the tree stays as it is.
    QVERIFY(!w.Button("btnNext")->isEnabled());
    QVERIFY(!(w.Model()->flags(w.Model()->IndexOf(w.Node("about.html"))) & Qt::ItemIsEditable));
    w.Results()->SelectNode(w.Node("about.html"));
    w.Results()->DeleteSelectedNodes();
    QVERIFY(w.Node("about.html"));

    w.dialogs.AnswerMessage(MsgResult::No); // the profile is not saved
    if (closeBox)
        w.window->close();
    else
        w.Button("btnCancel")->click();
    QVERIFY(!run->Running());
    QVERIFY(!w.window->isVisible());
    QCOMPARE(latest.load(), size_t{2});
    QCOMPARE(w.Marked(), std::set<std::string>{});
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void SiteCheckTest::newScanClearsTheMarks() {
    CheckedWizard w;
    w.Check();
    QCOMPARE(w.Marked(), kSeeded);
    w.Button("btnBack")->click();
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), int(tw::ui::TfrmSiteMapMain::kResults));
    QCOMPARE(w.Marked(), std::set<std::string>{});
    QCOMPARE(w.Findings()->model()->rowCount(), 0);
    QVERIFY(!w.Get<QWidget>("pnlCheck")->isVisible());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

namespace {

// index.html names a good, a gone and (when Hang) a silent URL of Server,
// and two pages by the site's own address (the sitemaps' base URL), one of
// them missing; about.html names the gone one again.
struct OnlineWizard : CheckedWizard {
    explicit OnlineWizard(twtest::LoopbackServer& server, bool hang = false) {
        const QByteArray good = server.Url("/good").c_str();
        const QByteArray gone = server.Url("/gone").c_str();
        const QByteArray silent = hang ? server.Url("/silent").c_str() : "";
        site.WriteFile(QStringLiteral("index.html"),
                       Page("Home", "<a href=about.html></a><a href='" + good + "'></a><a href='" +
                                        gone + "'></a>" +
                                        (hang ? "<a href='" + silent + "'></a>" : "") +
                                        "<a href='http://127.0.0.9:1/site/about.html'></a>"
                                        "<a href='http://127.0.0.9:1/site/nowhere.html'></a>"));
        site.WriteFile(QStringLiteral("about.html"),
                       Page("About", "<a href=index.html></a><a href='" + gone + "#x'></a>"));
        for (const char* name : {"a.html", "b.html", "notitle.html", "orphan.html"})
            QFile::remove(site.Path(QString::fromLatin1(name)));
        QDir(site.Path(QStringLiteral("clean"))).removeRecursively();
        Button("btnBack")->click();
        window->Profile().SetXmlBaseURL("http://127.0.0.9:1/site/");
        Scan(site.Path(QStringLiteral("index.html")));
    }
};

} // namespace

// The page-quality findings mark and list as the others do, and fail nothing.
void SiteCheckTest::pageQualityIsListed() {
    CheckedWizard w;
    w.site.WriteFile(QStringLiteral("about.html"),
                     "<html lang=en><title>About</title><meta name=description content=About>"
                     "<a href=index.html></a><img src=index.html>");
    w.Check();
    QCOMPARE(w.Marked().count("about.html"), 1u);
    QCOMPARE(w.Findings()->model()->rowCount(), 7);
    QCOMPARE(w.LabelText("lblCheckProgress"),
             QStringLiteral("4 problems in 7 pages, and 2 findings that do not fail the check."));
    std::set<QString> about;
    for (int row = 0; row < w.Findings()->model()->rowCount(); ++row)
        if (w.Cell(row, 1) == QStringLiteral("about.html"))
            about.insert(w.Cell(row, 0));
    QCOMPARE(about,
             (std::set<QString>{QStringLiteral("Missing alt"), QStringLiteral("Missing h1")}));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void SiteCheckTest::externalLinksOnline() {
    twtest::ClearProxies();
    twtest::LoopbackServer server;
    server.Route("/good", {});
    server.Route("/gone", {404});
    OnlineWizard w(server);
    // Off: the check stays offline.
    w.Check();
    QCOMPARE(server.Requests({}), 0);
    QCOMPARE(w.Marked(), std::set<std::string>{"index.html"});
    QCOMPARE(w.Findings()->model()->rowCount(), 1);
    QVERIFY(w.Cell(0, 3).contains(QStringLiteral("nowhere.html")));

    auto* online = w.Get<QCheckBox>("cbCheckExternal");
    online->setChecked(true);
    QVERIFY(w.window->Profile().CheckExternalLinks());
    w.Check();
    // Both pages naming the gone URL are marked, and each link is listed;
    // the site's own address is never asked.
    QCOMPARE(w.Marked(), (std::set<std::string>{"index.html", "about.html"}));
    QCOMPARE(w.Findings()
                 ->model()
                 ->match(w.Findings()->model()->index(0, 0), Qt::DisplayRole,
                         QStringLiteral("External dead link"), -1)
                 .size(),
             2);
    QCOMPARE(w.Findings()->model()->rowCount(), 3);
    QVERIFY(w.LabelText("lblCheckProgress").contains(QStringLiteral("2 external URLs asked.")));
    QCOMPARE(server.Requests("/gone", "HEAD"), 1);
    // A second check answers the good URL from the wizard's cache.
    w.Check();
    QCOMPARE(server.Requests("/good"), 1);
    QCOMPARE(server.Requests("/gone", "HEAD"), 2);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void SiteCheckTest::stopAbortsTheTransfers() {
    twtest::ClearProxies();
    twtest::LoopbackServer server;
    server.Route("/good", {});
    server.Route("/gone", {404});
    server.Route("/silent", {.Hang = true});
    std::atomic<bool> asked{false};
    server.OnHang = [&] { asked = true; };
    OnlineWizard w(server, true);
    // Only the stop can end the silent request: a stop that waited for it
    // would never return.
    tw::ExternalCheckOptions patient;
    patient.Timeout = std::chrono::hours(24);
    patient.Retries = 0;
    w.Results()->CheckRun()->SetOnlineOptions(patient);
    w.Get<QCheckBox>("cbCheckExternal")->setChecked(true);
    w.Button("btnCheckSite")->click();
    ProcessEventsUntil([&] {
        return asked && w.LabelText("lblCheckProgress")
                            .startsWith(QStringLiteral("Checking external links"));
    });
    QVERIFY(w.LabelText("lblCheckProgress").endsWith(QStringLiteral(" of 3 URLs")));
    // Stop Check: the silent request is aborted, not waited for.
    w.Button("btnCheckSite")->click();
    QVERIFY(!w.Results()->Checking());
    QCOMPARE(w.LabelText("lblCheckProgress"), QStringLiteral("Check stopped."));
    QCOMPARE(w.Button("btnCheckSite")->text(), QStringLiteral("Chec&k Site"));
    QVERIFY(w.Get<QCheckBox>("cbCheckExternal")->isEnabled());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

TW_GUI_TEST(SiteCheckTest)
#include "SiteCheckTest.moc"
