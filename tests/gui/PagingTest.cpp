// Paging in the wizard: the links a page set from the keyboard, and every
// page written and an older one listed on the status page.

#include "WizardFixture.h"
#include "ui/OutputStatusPage.h"

using namespace Qt::StringLiterals;

class PagingTest : public QObject {
    Q_OBJECT
private slots:
    void theStatusPageListsEveryPage();
};

void PagingTest::theStatusPageListsEveryPage() {
    TestSite site;
    site.WritePage(u"index.html"_s, u"Home"_s);
    for (const QString& page : {u"p1.html"_s, u"p2.html"_s, u"p3.html"_s})
        site.WritePage(page, page);
    site.WriteFile(u"sitemap-4.html"_s,
                   R"(<meta name="generator" content="Zephyrix Trailwright">)");
    Wizard w;
    w.Scan(site.Path(u"index.html"_s));
    w.Button("btnNext")->click();
    QTest::keyClick(w.window.get(), Qt::Key_5, Qt::AltModifier);
    LandKeyboardClicks(w.window.get());
    w.dialogs.AnswerModal([](QDialog& dialog) {
        QTest::keyClick(&dialog, Qt::Key_P, Qt::AltModifier);
        LandKeyboardClicks(&dialog);
        QTest::keyClicks(dialog.focusWidget(), u"2"_s);
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
        return dialog.result();
    });
    QTest::keyClick(w.window.get(), Qt::Key_Y, Qt::AltModifier);
    LandKeyboardClicks(w.window.get());
    QCOMPARE(w.window->Profile().MaxLinks(), 2);
    w.Button("btnNext")->click();

    // Six links (the older page was scanned as a page of the site): three pages.
    const QStringList lines = w.window->OutputStatus()->FileLines();
    const QStringList files = {u"sitemap.html"_s, u"sitemap-2.html"_s, u"sitemap-3.html"_s};
    QCOMPARE(lines.size(), 4);
    for (int k = 0; k < 3; ++k)
        QCOMPARE(lines[k],
                 u"Site map page %1 of 3|"_s.arg(k + 1) + site.Path(files[k]) + u"|2 links"_s);
    QCOMPARE(lines[3], u"Older site map page|"_s + site.Path(u"sitemap-4.html"_s) +
                           u"|not written now, not deleted"_s);
    QVERIFY(ReadAll(site.Path(u"sitemap-3.html"_s)).contains("aria-label=\"Breadcrumb\""));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

TW_GUI_TEST(PagingTest)
#include "PagingTest.moc"
