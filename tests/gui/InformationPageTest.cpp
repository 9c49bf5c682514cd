// The information page: the index field, Browse, the ignore lists and their
// commands, the file types and the options.

#include "ui/InformationPage.h"

#include "WizardFixture.h"
#include "support/NXFiles.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QStackedWidget>
#include <QTest>

using tw::ui::MsgButtons;
using tw::ui::MsgIcon;
using tw::ui::MsgResult;

class InformationPageTest : public QObject {
    Q_OBJECT
private slots:
    void indexChangeProposesOutputFileOnce();
    void typingTheIndexProposesFromFirstCharacter();
    void browseOffersToDropInvalidFolders();
    void browseStartsAtTheCurrentIndexPage();
    void addFolderNeedsAnIndexFolder();
    void addFolderKeepsItsFirstRoot();
    void addFolderRefusesDuplicatesIgnoringCase();
    void addFilesSkipsListedOnes();
    void removeFollowsSelectionAndDeleteKey();
    void resetFileTypesAsks();
    void optionsWriteThrough();
    void acceleratorsAreUniqueOnEveryPage();
};

void InformationPageTest::indexChangeProposesOutputFileOnce() {
    // The proposal follows the index page until the user chooses an output
    // file, by typing, by Browse, or by opening a profile that names one.
    Wizard w;
    w.Edit("editIndex")->setText(QStringLiteral("/srv/site/index.html"));
    QCOMPARE(w.window->Profile().IndexPage(), "/srv/site/index.html");
    QCOMPARE(w.Edit("editOutputFile")->text(), QStringLiteral("/srv/site/sitemap.html"));
    QCOMPARE(w.window->Profile().OutputFileName(), "/srv/site/sitemap.html");
    w.Edit("editIndex")->setText(QStringLiteral("/srv/other/index.html"));
    QCOMPARE(w.window->Profile().OutputFileName(), "/srv/other/sitemap.html");
    QTest::keyClicks(w.Edit("editOutputFile"), QStringLiteral("x"));
    w.Edit("editIndex")->setText(QStringLiteral("/srv/third/index.html"));
    QCOMPARE(w.window->Profile().OutputFileName(), "/srv/other/sitemap.htmlx");
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void InformationPageTest::typingTheIndexProposesFromFirstCharacter() {
    Wizard w;
    QTest::keyClicks(w.Edit("editIndex"), QStringLiteral("/srv/a/b.html"));
    QCOMPARE(w.window->Profile().IndexPage(), "/srv/a/b.html");
    // The first character, "/", proposed "/sitemap.html"; the last one wins.
    QCOMPARE(w.window->Profile().OutputFileName(), "/srv/a/sitemap.html");
}

void InformationPageTest::browseOffersToDropInvalidFolders() {
    TestSite site;
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("Home"));
    Wizard w;
    const std::string images = site.PathStd(QStringLiteral("images/"));
    w.IgnoreFolder(images);
    w.IgnoreFolder("/other/place/");

    w.dialogs.AnswerOpenFiles({site.Path(QStringLiteral("index.html"))});
    w.dialogs.AnswerMessage(MsgResult::No);
    w.Button("RzBitBtn2")->click();
    QCOMPARE(w.Edit("editIndex")->text(), site.Path(QStringLiteral("index.html")));
    QCOMPARE(w.dialogs.Last().caption, QStringLiteral("Subfolders Invalid"));
    QCOMPARE(w.dialogs.Last().buttons, MsgButtons::YesNo);
    QCOMPARE(w.List("lstIgnoreFolders")->count(), 2);

    w.dialogs.AnswerOpenFiles({site.Path(QStringLiteral("index.html"))});
    w.dialogs.AnswerMessage(MsgResult::Yes);
    w.Button("RzBitBtn2")->click();
    QCOMPARE(w.ListTexts("lstIgnoreFolders"), std::vector<std::string>{images});
    QCOMPARE(w.window->Profile().IgnoreFolders(), images + "\r\n");

    // An entry differing only in letter case is valid: no question.
    w.IgnoreFolder(site.PathStd(QStringLiteral("TMP/")));
    w.dialogs.AnswerOpenFiles({site.Path(QStringLiteral("index.html"))});
    w.Button("RzBitBtn2")->click();
    QCOMPARE(w.dialogs.AskedSoFar().size(), 5);
    QCOMPARE(w.dialogs.Last().kind, ScriptedDialogs::Kind::OpenFiles);
    QCOMPARE(w.List("lstIgnoreFolders")->count(), 2);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void InformationPageTest::browseStartsAtTheCurrentIndexPage() {
    TestSite site;
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("Home"));
    Wizard w;
    // An existing page: its folder and its name.
    w.Edit("editIndex")->setText(site.Path(QStringLiteral("index.html")));
    w.dialogs.AnswerOpenFiles({});
    w.Button("RzBitBtn2")->click();
    QCOMPARE(w.dialogs.Last().open.startFolder, site.Root());
    QCOMPARE(w.dialogs.Last().open.fileName, site.Path(QStringLiteral("index.html")));
    QVERIFY(!w.dialogs.Last().open.multiSelect);
    QVERIFY(w.dialogs.Last().open.filter.startsWith(QStringLiteral("HTML Files")));
    // A missing page in an existing folder: the folder, no name.
    w.Edit("editIndex")->setText(site.Path(QStringLiteral("gone.html")));
    w.dialogs.AnswerOpenFiles({});
    w.Button("RzBitBtn2")->click();
    QCOMPARE(w.dialogs.Last().open.startFolder, site.Root());
    QCOMPARE(w.dialogs.Last().open.fileName, QString());
    // Cancelled: the field keeps its text.
    QCOMPARE(w.Edit("editIndex")->text(), site.Path(QStringLiteral("gone.html")));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void InformationPageTest::addFolderNeedsAnIndexFolder() {
    Wizard w;
    w.dialogs.AnswerMessage(MsgResult::Ok);
    w.Button("btnAddFolder")->click();
    QCOMPARE(w.dialogs.Last().caption, QStringLiteral("Select Index File First"));
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::Warning);
    QVERIFY(w.window->Information()->IgnoreFolderRoot().empty());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void InformationPageTest::addFolderKeepsItsFirstRoot() {
    TestSite site;
    site.WritePage(QStringLiteral("a/index.html"), QStringLiteral("A"));
    site.MakeFolder(QStringLiteral("a/sub"));
    site.WritePage(QStringLiteral("b/index.html"), QStringLiteral("B"));
    Wizard w;
    w.Edit("editIndex")->setText(site.Path(QStringLiteral("a/index.html")));
    // Cancelled, yet the root is fixed by this first use.
    w.dialogs.AnswerFolder(QString());
    w.Button("btnAddFolder")->click();
    QCOMPARE(w.dialogs.Last().folder.title, QStringLiteral("Select a Folder to Ignore"));
    QCOMPARE(w.dialogs.Last().folder.root, site.Path(QStringLiteral("a/")));
    QCOMPARE(w.dialogs.Last().folder.start, site.Path(QStringLiteral("a/")));
    QCOMPARE(w.List("lstIgnoreFolders")->count(), 0);

    w.dialogs.AnswerFolder(site.Path(QStringLiteral("a/sub")));
    w.Button("btnAddFolder")->click();
    QCOMPARE(w.List("lstIgnoreFolders")->item(0)->text(), site.Path(QStringLiteral("a/sub/")));
    QCOMPARE(w.window->Profile().IgnoreFolders(), site.PathStd(QStringLiteral("a/sub/")) + "\r\n");

    w.Edit("editIndex")->setText(site.Path(QStringLiteral("b/index.html")));
    w.dialogs.AnswerFolder(QString());
    w.Button("btnAddFolder")->click();
    QCOMPARE(w.dialogs.Last().folder.root, site.Path(QStringLiteral("a/")));
    QCOMPARE(w.dialogs.Last().folder.start, site.Path(QStringLiteral("a/sub")));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void InformationPageTest::addFolderRefusesDuplicatesIgnoringCase() {
    TestSite site;
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("A"));
    Wizard w;
    w.Edit("editIndex")->setText(site.Path(QStringLiteral("index.html")));
    w.IgnoreFolder(site.PathStd(QStringLiteral("one/")));
    w.IgnoreFolder(site.PathStd(QStringLiteral("Two/")));
    w.dialogs.AnswerFolder(site.Path(QStringLiteral("TWO/")));
    w.dialogs.AnswerMessage(MsgResult::Ok);
    w.Button("btnAddFolder")->click();
    QCOMPARE(w.dialogs.Last().caption, QStringLiteral("Zephyrix Trailwright"));
    QCOMPARE(w.dialogs.Last().text,
             QStringLiteral("The folder you selected is already in the list."));
    auto* list = w.List("lstIgnoreFolders");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentRow(), 1);
    QVERIFY(list->item(1)->isSelected());
    QVERIFY(w.Button("btnRemoveFolder")->isEnabled());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void InformationPageTest::addFilesSkipsListedOnes() {
    TestSite site;
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("A"));
    Wizard w;
    // Without an index folder the dialog opens in the program folder.
    w.dialogs.AnswerOpenFiles({});
    w.Button("btnFileAdd")->click();
    QCOMPARE(w.dialogs.Last().open.startFolder, w.ProgramFolder());
    QVERIFY(w.dialogs.Last().open.multiSelect);

    w.Edit("editIndex")->setText(site.Path(QStringLiteral("index.html")));
    w.IgnoreFile("/x/b.html");
    w.dialogs.AnswerOpenFiles(
        {QStringLiteral("/x/C.html"), QStringLiteral("/x/B.HTML"), QStringLiteral("/X/A.html")});
    w.Button("btnFileAdd")->click();
    QCOMPARE(w.dialogs.Last().open.startFolder, site.Root());
    QCOMPARE(w.dialogs.Last().open.fileName, QString());
    QCOMPARE(w.ListTexts("lstIgnoreFiles"),
             (std::vector<std::string>{"/x/b.html", "/x/c.html", "/x/a.html"}));
    QCOMPARE(w.window->Profile().IgnoreFiles(), "/x/b.html\r\n/x/c.html\r\n/x/a.html\r\n");
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void InformationPageTest::removeFollowsSelectionAndDeleteKey() {
    Wizard w;
    for (const char* f : {"/a/", "/b/", "/c/", "/d/"})
        w.IgnoreFolder(f);
    auto* list = w.List("lstIgnoreFolders");
    auto* remove = w.Button("btnRemoveFolder");
    QVERIFY(!remove->isEnabled());
    // Delete with the button disabled does nothing.
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(list->count(), 4);

    list->item(1)->setSelected(true);
    list->item(3)->setSelected(true);
    QVERIFY(remove->isEnabled());
    w.window->Profile().SetModified(false);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(w.ListTexts("lstIgnoreFolders"), (std::vector<std::string>{"/a/", "/c/"}));
    QCOMPARE(w.window->Profile().IgnoreFolders(), "/a/\r\n/c/\r\n");
    QVERIFY(w.window->Profile().Modified());
    QVERIFY(!remove->isEnabled());

    // Remove with nothing selected still stores the list.
    w.window->Profile().SetModified(false);
    w.window->ButtonClick(remove);
    QCOMPARE(list->count(), 2);
    QVERIFY(w.window->Profile().Modified());

    // The file list works the same way, through its own button.
    w.IgnoreFile("/x/y.html");
    w.List("lstIgnoreFiles")->item(0)->setSelected(true);
    QVERIFY(w.Button("btnFileRemove")->isEnabled());
    w.Button("btnFileRemove")->click();
    QCOMPARE(w.List("lstIgnoreFiles")->count(), 0);
    QCOMPARE(w.window->Profile().IgnoreFiles(), "");
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void InformationPageTest::resetFileTypesAsks() {
    Wizard w;
    w.Edit("editFileTypes")->setText(QStringLiteral("*.shtml;"));
    w.dialogs.AnswerMessage(MsgResult::No);
    w.Button("RzBitBtn1")->click();
    QCOMPARE(w.dialogs.Last().caption, QStringLiteral("Reset File Types"));
    QCOMPARE(w.dialogs.Last().text,
             QStringLiteral("Do you wish to reset the File Types to include to the following "
                            "default?\n\n*.htm;*.html;*.txt;*.php;*.php4;*.php5;"));
    QCOMPARE(w.window->Profile().FileTypes(), "*.shtml;");
    w.dialogs.AnswerMessage(MsgResult::Yes);
    w.Button("RzBitBtn1")->click();
    QCOMPARE(w.window->Profile().FileTypes(), "*.htm;*.html;*.txt;*.php;*.php4;*.php5;");
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void InformationPageTest::optionsWriteThrough() {
    Wizard w;
    auto* titles = w.Get<QCheckBox>("chkUsePageTitles");
    titles->click();
    QVERIFY(!w.window->Profile().UsePageTitles());
    titles->click();
    QVERIFY(w.window->Profile().UsePageTitles());
    w.window->Profile().SetModified(false);
    w.Get<QCheckBox>("chkLoadLast")->click();
    QVERIFY(w.window->Information()->LoadLast());
    // A setting of the program, not of the profile.
    QVERIFY(!w.window->Profile().Modified());
}

// An accelerator that two controls of one page share only moves the focus
// between them: a keyboard user could not press the button with it.
void InformationPageTest::acceleratorsAreUniqueOnEveryPage() {
    Wizard w;
    auto accelerator = [](const QString& text) {
        for (qsizetype i = text.indexOf(u'&'); i >= 0 && i + 1 < text.size();
             i = text.indexOf(u'&', i + 2))
            if (text[i + 1] != u'&')
                return text[i + 1].toLower();
        return QChar();
    };
    auto collect = [&](QWidget* root, const QWidget* skip, QMultiMap<QChar, QString>& keys) {
        for (QWidget* child : root->findChildren<QWidget*>()) {
            if (!child->isVisibleTo(root) || (skip && skip->isAncestorOf(child)))
                continue;
            QString text;
            if (auto* label = qobject_cast<QLabel*>(child))
                text = label->text();
            else if (auto* button = qobject_cast<QAbstractButton*>(child))
                text = button->text();
            else if (auto* box = qobject_cast<QGroupBox*>(child))
                text = box->title();
            if (QChar key = accelerator(text); !key.isNull())
                keys.insert(key, child->objectName());
        }
    };
    // Every command and field of the output settings page has its own key.
    for (const char* name :
         {"rbOutputFile", "btnOutputFileBrowse", "lblBackground", "lblText", "lblLink",
          "lblVisited", "lblActive", "btnResetColors", "rbOutputUnnumberedList",
          "rbOutputParagraph", "chkClassAttribs", "chkAddImages", "chkNoFolderImages",
          "chkDontLinkFolders", "btnSearchSitemaps", "rbOutputModern", "btnModernOptions",
          "lblTrimTitles", "chkFolderTitles", "chkSortByName"}) {
        auto* widget = w.Get<QWidget>(name);
        auto* label = qobject_cast<QLabel*>(widget);
        auto* button = qobject_cast<QAbstractButton*>(widget);
        QVERIFY2(!accelerator(label ? label->text() : button->text()).isNull(), name);
    }
    auto* pages = w.Get<QStackedWidget>("pcMain");
    QMultiMap<QChar, QString> common;
    collect(w.window.get(), pages, common);
    QVERIFY(common.contains(u'n'));
    for (int i = 0; i < pages->count(); ++i) {
        QMultiMap<QChar, QString> keys = common;
        collect(pages->widget(i), nullptr, keys);
        for (QChar key : keys.uniqueKeys())
            QVERIFY2(keys.count(key) == 1,
                     qPrintable(QStringLiteral("page %1, Alt+%2: ").arg(i).arg(key) +
                                keys.values(key).join(u' ')));
    }
}

TW_GUI_TEST(InformationPageTest)
#include "InformationPageTest.moc"
