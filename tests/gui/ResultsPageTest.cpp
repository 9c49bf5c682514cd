// The results page: in-place editing, deleting, the context menu with its
// ignore commands, and the item properties dialog.

#include "ui/ResultsPage.h"

#include "WizardFixture.h"
#include "model/SiteMapTree.h"
#include "ui/InformationPage.h"
#include "ui/SiteMapTreeModel.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTreeView>
#include <cstdio>

using tw::SiteMapNode;
using tw::ui::MsgIcon;
using tw::ui::MsgResult;

namespace {

// Home: Index, Notes.TXT, Docs/ (Guide, Pics/ (photo.png))
void MakeSite(TestSite& site) {
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("Index"));
    site.WriteFile(QStringLiteral("Notes.TXT"), "notes");
    site.WritePage(QStringLiteral("Docs/guide.html"), QStringLiteral("Guide"));
    site.WriteFile(QStringLiteral("Docs/Pics/photo.png"), "png");
}

struct ScannedWizard : Wizard {
    TestSite site;
    QAbstractItemModelTester* tester = nullptr;

    ScannedWizard() {
        MakeSite(site);
        tester = new QAbstractItemModelTester(
            window->Results()->Model(), QAbstractItemModelTester::FailureReportingMode::QtTest,
            window.get());
        Edit("editFileTypes")->setText(QStringLiteral("*.html;*.txt;*.png;"));
        Scan(site.Path(QStringLiteral("index.html")));
    }
    tw::ui::ResultsPage* Page() const { return window->Results(); }
    QTreeView* View() const { return Get<QTreeView>("tvMap"); }
    SiteMapNode* Root() const { return window->Tree().First(); }
    SiteMapNode* Child(const char* linkText) const {
        for (int i = 0; i < Root()->ChildCount(); ++i)
            if (Root()->Child(i)->Data.LinkText == linkText)
                return Root()->Child(i);
        return nullptr;
    }
    SiteMapNode* Docs() const { return Child("Docs"); }
    SiteMapNode* Notes() const { return Child("Notes.TXT"); }
    QModelIndex IndexOf(SiteMapNode* node) const { return Page()->Model()->IndexOf(node); }
    QAction* MenuItem(const char* name) const {
        return Page()->ContextMenu()->findChild<QAction*>(QString::fromLatin1(name));
    }
    void Select(SiteMapNode* node) const { Page()->SelectNode(node); }
    QStringList EnabledItems() const {
        QStringList names;
        for (QAction* a : Page()->ContextMenu()->actions())
            if (!a->isSeparator() && a->isEnabled())
                names << a->objectName();
        return names;
    }
};

} // namespace

class ResultsPageTest : public QObject {
    Q_OBJECT
private slots:
    void scannedTreeHasExpectedShape();
    void expansionOpensFoldersOnly();
    void inPlaceEditStoresLinkText();
    void inPlaceEditCancelledChangesNothing();
    void deleteKeyAsksAndRemovesSubtree();
    void deleteWithoutConfirmationAsksNothing();
    void contextMenuEnablesByNodeKind();
    void contextMenuFollowsPointerOrSelection();
    void ignoreFromTreeAndRescan();
    void menuDeleteActsOnContextNode();
    void propertiesDialogEditsTextAndUrl();
    void namesStayTextAndEditsStayMarkup();
    void treeShowsWhatReadersSeeAndEditsTheWrittenText();
};

void ResultsPageTest::scannedTreeHasExpectedShape() {
    ScannedWizard w;
    QCOMPARE(w.Root()->ChildCount(), 3);
    QCOMPARE(w.Notes()->Data.LinkText, "Notes.TXT");
    QCOMPARE(w.Docs()->Data.LinkText, "Docs");
    QCOMPARE(w.Docs()->Child(1)->Child(0)->ImageIndex(), int(tw::kImagePicture));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ResultsPageTest::expansionOpensFoldersOnly() {
    ScannedWizard w;
    SiteMapNode* pics = w.Docs()->Child(1);
    SiteMapNode* photo = pics->Child(0);
    // Every item shows, and only the items with children count as open:
    // a leaf recorded as open would cost every later removal a walk.
    auto check = [&w, pics, photo] {
        int shown = 0;
        for (QModelIndex i = w.IndexOf(w.Root()); i.isValid(); i = w.View()->indexBelow(i))
            ++shown;
        QCOMPARE(shown, w.window->Tree().Count());
        for (SiteMapNode* open : {w.Root(), w.Docs(), pics})
            QVERIFY(w.View()->isExpanded(w.IndexOf(open)));
        for (SiteMapNode* leaf : {w.Notes(), w.Docs()->Child(0), photo})
            QVERIFY(!w.View()->isExpanded(w.IndexOf(leaf)));
    };
    check();

    // "*" opens the current item's whole subtree the same way.
    w.View()->collapse(w.IndexOf(pics));
    w.View()->collapse(w.IndexOf(w.Docs()));
    w.View()->collapse(w.IndexOf(w.Root()));
    QVERIFY(!w.View()->indexBelow(w.IndexOf(w.Root())).isValid());
    w.Select(w.Root());
    QTest::keyClick(w.View(), Qt::Key_Asterisk);
    check();
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ResultsPageTest::inPlaceEditStoresLinkText() {
    ScannedWizard w;
    w.Select(w.Notes());
    QTest::keyClick(w.View(), Qt::Key_F2);
    auto* editor = w.View()->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("Notes.TXT"));
    editor->setText(QStringLiteral("Read me"));
    SiteMapNode* notes = w.Notes();
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits on the next round of the event loop.
    QCoreApplication::processEvents();
    QCOMPARE(notes->Data.LinkText, "Read me");
    QCOMPARE(w.IndexOf(notes).data().toString(), QStringLiteral("Read me"));
    // The link is not touched by a caption edit.
    QCOMPARE(notes->Data.LinkURL, "Notes.TXT");
    QCOMPARE(w.LabelText("lblLinkFileName"), w.site.Path(QStringLiteral("Notes.TXT")));

    // The root can be renamed too, from the menu (once the old editor is gone).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w.View()->viewport()->findChild<QLineEdit*>());
    w.Page()->tvMapNodeContextMenu(w.Root(), QPoint(10, 10));
    w.MenuItem("miRename")->trigger();
    w.Page()->ContextMenu()->hide();
    editor = w.View()->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("Start"));
    QTest::keyClick(editor, Qt::Key_Enter);
    QCoreApplication::processEvents();
    QCOMPARE(w.Root()->Data.LinkText, "Start");
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ResultsPageTest::inPlaceEditCancelledChangesNothing() {
    ScannedWizard w;
    w.Select(w.Docs());
    QTest::keyClick(w.View(), Qt::Key_F2);
    auto* editor = w.View()->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("Changed"));
    SiteMapNode* docs = w.Docs();
    QPointer<QLineEdit> open(editor);
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(open.isNull() || !open->isVisible());
    QCOMPARE(docs->Data.LinkText, "Docs");
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ResultsPageTest::deleteKeyAsksAndRemovesSubtree() {
    ScannedWizard w;
    w.Select(w.Docs());
    const QString docsPath = w.site.Path(QStringLiteral("Docs/"));
    QCOMPARE(w.LabelText("lblLinkFileName"), docsPath);

    w.dialogs.AnswerMessage(MsgResult::No);
    QTest::keyClick(w.View(), Qt::Key_Delete);
    QCOMPARE(w.dialogs.Last().caption, QStringLiteral("Confirm Removal"));
    QCOMPARE(w.dialogs.Last().text,
             QStringLiteral("Do you wish to remove the selected site map nodes from the tree?"));
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::Question);
    QCOMPARE(w.window->Tree().Count(), 7);

    w.dialogs.AnswerMessage(MsgResult::Yes);
    QTest::keyClick(w.View(), Qt::Key_Delete);
    // Docs with Guide, Pics and the photo are gone.
    QCOMPARE(w.window->Tree().Count(), 3);
    QCOMPARE(w.Root()->ChildCount(), 2);

    // The root goes too, emptying the tree; the label keeps the last path.
    w.Select(w.Root());
    w.dialogs.AnswerMessage(MsgResult::Yes);
    QTest::keyClick(w.View(), Qt::Key_Delete);
    QVERIFY(w.window->Tree().Empty());
    QCOMPARE(w.Page()->Model()->rowCount(), 0);
    QCOMPARE(w.LabelText("lblLinkFileName"), w.site.Root());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ResultsPageTest::deleteWithoutConfirmationAsksNothing() {
    ScannedWizard w;
    w.window->Profile().SetConfirmDelete(false);
    w.Select(w.Notes());
    QTest::keyClick(w.View(), Qt::Key_Delete);
    QCOMPARE(w.Root()->ChildCount(), 2);
    w.Page()->tvMapNodeContextMenu(w.Docs(), QPoint(5, 5));
    w.MenuItem("miDelete")->trigger();
    w.Page()->ContextMenu()->hide();
    QCOMPARE(w.Root()->ChildCount(), 1);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ResultsPageTest::contextMenuEnablesByNodeKind() {
    ScannedWizard w;
    struct Case {
        SiteMapNode* node;
        QStringList enabled;
    };
    const QString folder = QStringLiteral("miAddIgnoreFolder"),
                  file = QStringLiteral("miIgnoreFile"), del = QStringLiteral("miDelete"),
                  rename = QStringLiteral("miRename"), props = QStringLiteral("miProperties");
    const Case cases[] = {
        {w.Root(), {rename, props}},
        {w.Docs(), {folder, del, rename, props}},
        {w.Notes(), {file, del, rename, props}},
        {w.Docs()->Child(1)->Child(0), {file, del, rename, props}},
    };
    for (const Case& c : cases) {
        w.Page()->tvMapNodeContextMenu(c.node, QPoint(5, 5));
        QCOMPARE(w.Page()->ContextNode(), c.node);
        QCOMPARE(w.EnabledItems(), c.enabled);
        w.Page()->ContextMenu()->hide();
    }
    // Each item carries its small image, as the help menu's items do.
    for (QAction* a : w.Page()->ContextMenu()->actions())
        QVERIFY2(a->isSeparator() || !a->icon().isNull(), qPrintable(a->objectName()));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ResultsPageTest::contextMenuFollowsPointerOrSelection() {
    ScannedWizard w;
    QTreeView* view = w.View();
    auto rightClick = [&](QPoint pos) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, view->viewport()->mapToGlobal(pos));
        QCoreApplication::sendEvent(view->viewport(), &event);
    };
    // On a node: that node, whatever is selected.
    w.Select(w.Root());
    QRect notesRect = view->visualRect(w.IndexOf(w.Notes()));
    rightClick(notesRect.center());
    QCOMPARE(w.Page()->ContextNode(), w.Notes());
    QVERIFY(w.Page()->ContextMenu()->isVisible());
    w.Page()->ContextMenu()->hide();
    // On empty space: the selected node.
    QPoint empty(5, view->viewport()->height() - 3);
    QVERIFY(!view->indexAt(empty).isValid());
    w.Select(w.Docs());
    rightClick(empty);
    QCOMPARE(w.Page()->ContextNode(), w.Docs());
    w.Page()->ContextMenu()->hide();
    // Nothing selected: no menu, no context node.
    view->selectionModel()->clearSelection();
    rightClick(empty);
    QCOMPARE(w.Page()->ContextNode(), nullptr);
    QVERIFY(!w.Page()->ContextMenu()->isVisible());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ResultsPageTest::ignoreFromTreeAndRescan() {
    ScannedWizard w;
    const std::string docs = w.site.PathStd(QStringLiteral("Docs/"));
    w.Page()->tvMapNodeContextMenu(w.Docs(), QPoint(5, 5));
    w.MenuItem("miAddIgnoreFolder")->trigger();
    QCOMPARE(w.Page()->ContextNode(), nullptr);
    QCOMPARE(w.Root()->ChildCount(), 2);
    QCOMPARE(w.window->Profile().IgnoreFolders(), docs + "\r\n");

    w.Page()->tvMapNodeContextMenu(w.Notes(), QPoint(5, 5));
    w.MenuItem("miIgnoreFile")->trigger();
    // Lower-cased, A to Z only.
    std::string notes = w.site.PathStd(QStringLiteral("Notes.TXT"));
    for (char& c : notes)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    QCOMPARE(w.window->Profile().IgnoreFiles(), notes + "\r\n");
    QCOMPARE(w.List("lstIgnoreFiles")->item(0)->text(), QString::fromStdString(notes));
    QCOMPARE(w.Root()->ChildCount(), 1);

    // Back and Next: the new scan leaves both out.
    w.Button("btnBack")->click();
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 2);
    QVERIFY(w.Log().contains(QStringLiteral("Ignoring Folder: ") + QString::fromStdString(docs)));
    QVERIFY(w.Log().contains(QStringLiteral("  ") + w.site.Path(QStringLiteral("Notes.TXT"))));
    QCOMPARE(w.window->FoundCount(), 1);
    QCOMPARE(w.Root()->ChildCount(), 1);

    // The same folder again gives a second, equal entry.
    w.IgnoreFolder(docs);
    QCOMPARE(w.List("lstIgnoreFolders")->count(), 2);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ResultsPageTest::menuDeleteActsOnContextNode() {
    ScannedWizard w;
    w.Select(w.Notes());
    w.Page()->tvMapNodeContextMenu(w.Docs(), QPoint(5, 5));
    w.dialogs.AnswerMessage(MsgResult::Yes);
    w.MenuItem("miDelete")->trigger();
    QCOMPARE(w.Root()->ChildCount(), 2);
    QCOMPARE(w.Root()->Child(1)->Data.LinkText, "Notes.TXT");
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ResultsPageTest::propertiesDialogEditsTextAndUrl() {
    ScannedWizard w;
    SiteMapNode* guide = w.Docs()->Child(0);
    w.Select(guide);
    // Alt+Enter: confirmed edits are stored, an empty text included.
    w.dialogs.AnswerEditItem(true, QString(), QStringLiteral("docs/other.html"));
    QTest::keyClick(w.View(), Qt::Key_Return, Qt::AltModifier);
    QCOMPARE(w.dialogs.Last().text, w.site.Path(QStringLiteral("Docs/guide.html")));
    QCOMPARE(w.dialogs.Last().linkText, QStringLiteral("Guide"));
    QCOMPARE(w.dialogs.Last().linkURL, QStringLiteral("Docs/guide.html"));
    QCOMPARE(guide->Data.LinkText, "");
    QCOMPARE(guide->Data.LinkURL, "docs/other.html");
    QCOMPARE(w.IndexOf(guide).data().toString(), QString());

    // Cancelled: nothing changes.
    w.dialogs.AnswerEditItem(false, QStringLiteral("x"), QStringLiteral("y"));
    emit w.View()->doubleClicked(w.IndexOf(guide));
    QCOMPARE(guide->Data.LinkURL, "docs/other.html");

    // A double click on empty space edits the selected node too.
    const QPoint below(5, w.View()->viewport()->height() - 3);
    QVERIFY(!w.View()->indexAt(below).isValid());
    w.dialogs.AnswerEditItem(true, QStringLiteral("Guide"), QStringLiteral("docs/other.html"));
    QTest::mouseDClick(w.View()->viewport(), Qt::LeftButton, {}, below);
    QCOMPARE(w.dialogs.Last().linkText, QString());
    QCOMPARE(guide->Data.LinkText, "Guide");

    // Plain Enter does not open it; the menu's Properties does, for the
    // context node.
    QTest::keyClick(w.View(), Qt::Key_Return);
    w.Page()->tvMapNodeContextMenu(w.Root(), QPoint(5, 5));
    w.dialogs.AnswerEditItem(true, QStringLiteral("Start"), QStringLiteral("index.html"));
    w.MenuItem("miProperties")->trigger();
    w.Page()->ContextMenu()->hide();
    QCOMPARE(w.Root()->Data.LinkText, "Start");
    QCOMPARE(w.IndexOf(w.Root()).data().toString(), QStringLiteral("Start"));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

// A file name is text in the page, what the user types is markup; a folder
// spelled with "/./" or "x/../" is still the site's folder.
void ResultsPageTest::namesStayTextAndEditsStayMarkup() {
    TestSite site;
    site.WriteFile(QStringLiteral("<b>a.html"));
    site.WriteFile(QStringLiteral("<i>b.html"));
    site.WriteFile(QStringLiteral("<u>c.html"));
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("Home"));
    site.MakeFolder(QStringLiteral("Docs"));
    Wizard w;
    w.Scan(site.Path(QStringLiteral("./index.html")));
    auto* view = w.Get<QTreeView>("tvMap");
    SiteMapNode* root = w.window->Tree().First();
    QCOMPARE(root->ChildCount(), 4);
    // F2 with a new text, the dialog with a new text and with the old one.
    w.window->Results()->SelectNode(root->Child(0));
    QTest::keyClick(view, Qt::Key_F2);
    auto* editor = view->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("<em>A</em>"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    w.window->Results()->SelectNode(root->Child(1));
    w.dialogs.AnswerEditItem(true, QStringLiteral("<em>B</em>"), QStringLiteral("<i>b.html"));
    QTest::keyClick(view, Qt::Key_Return, Qt::AltModifier);
    w.window->Results()->SelectNode(root->Child(2));
    w.dialogs.AnswerEditItem(true, QStringLiteral("<u>c.html"), QStringLiteral("<u>c.html"));
    QTest::keyClick(view, Qt::Key_Return, Qt::AltModifier);

    w.Button("btnNext")->click();
    w.Edit("editOutputFile")->setText(site.Path(QStringLiteral("Docs/../sitemap.html")));
    w.Button("btnNext")->click(); // no question: the output lies in the index folder
    QCOMPARE(w.window->WizardPage(), 4);
    const QByteArray page = ReadAll(site.Path(QStringLiteral("sitemap.html")));
    for (const char* expected : {"<a href=\"%3Cb%3Ea.html\" class=\"mapitem\"><em>A</em></a>",
                                 "<a href=\"%3Ci%3Eb.html\" class=\"mapitem\"><em>B</em></a>",
                                 "<a href=\"%3Cu%3Ec.html\" class=\"mapitem\">&lt;u&gt;c.html</a>",
                                 "<a href=\"index.html\" class=\"mapitem\">Home</a>"})
        QVERIFY2(page.contains(expected), page.constData());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

// The tree shows a title's references resolved; F2 and the dialog edit the
// text the page holds, and leaving them unchanged changes nothing: not a
// title longer than a line edit holds, nor a name's bytes that are no UTF-8.
void ResultsPageTest::treeShowsWhatReadersSeeAndEditsTheWrittenText() {
    TestSite site;
    site.WritePage(QStringLiteral("index.html"),
                   QStringLiteral("About these documents &#8212; Py"));
    const QString longTitle(40000, u'L');
    site.WritePage(QStringLiteral("long.html"), longTitle);
    // Qt cannot name a file whose name is no UTF-8.
    const std::string latin1 = site.RootStd() + "Fran\xE7"
                                                "ais.txt";
    FILE* file = std::fopen(latin1.c_str(), "w");
    QVERIFY(file && std::fclose(file) == 0);
    Wizard w;
    w.Scan(site.Path(QStringLiteral("index.html")));
    auto* view = w.Get<QTreeView>("tvMap");
    SiteMapNode* root = w.window->Tree().First();
    QCOMPARE(root->ChildCount(), 3);
    SiteMapNode* name = root->Child(0);
    SiteMapNode* index = root->Child(1);
    SiteMapNode* longPage = root->Child(2);
    const QModelIndex at = w.window->Results()->Model()->IndexOf(index);
    QCOMPARE(at.data().toString(), QStringLiteral("About these documents \u2014 Py"));
    QCOMPARE(at.data(Qt::EditRole).toString(), QStringLiteral("About these documents &#8212; Py"));
    QCOMPARE(name->Data.LinkText, "Fran\xC3\xA7"
                                  "ais.txt");

    w.window->Results()->SelectNode(longPage);
    QTest::keyClick(view, Qt::Key_F2);
    auto* editor = view->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(longPage->Data.LinkText.size(), size_t(40000));
    QVERIFY(longPage->Data.LinkTextOrigin == tw::TextOrigin::PageTitle);

    w.window->Results()->SelectNode(name);
    w.dialogs.AnswerEditItem(true, QStringLiteral("Fran\u00E7ais.txt"),
                             QStringLiteral("Fran\uFFFDais.txt"));
    QTest::keyClick(view, Qt::Key_Return, Qt::AltModifier);
    QCOMPARE(w.dialogs.Last().linkURL, QStringLiteral("Fran\uFFFDais.txt"));
    QCOMPARE(name->Data.LinkURL, "Fran\xE7"
                                 "ais.txt");
    QVERIFY(!name->Data.LinkURLEdited);
    QVERIFY(name->Data.LinkTextOrigin == tw::TextOrigin::FileName);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

TW_GUI_TEST(ResultsPageTest)
#include "ResultsPageTest.moc"
