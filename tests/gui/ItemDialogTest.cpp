// The item properties dialog, driven as a user would while it is modal.

#include "GuiTestUtil.h"
#include "ui/PathLabel.h"
#include "ui/SiteMapItemPropForm.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using tw::ui::EditSiteMapItem;

class ItemDialogTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheNodeAndItsTexts();
    void enterMovesOnThenConfirms();
    void escapeDiscardsEdits();
    void emptyTextIsConfirmed();
    void cancelButtonDiscards();
    void okWithoutChangeGivesBackWhatItWasGiven();
};

namespace {

QLineEdit* Field(QWidget* dialog, const char* name) {
    return Find<QLineEdit>(dialog, name);
}

} // namespace

void ItemDialogTest::showsTheNodeAndItsTexts() {
    QString text = QStringLiteral("Docs"), url = QStringLiteral("docs/index.htm");
    QString shownPath, shownText, shownUrl, title;
    WhenModal([&](QWidget* dialog) {
        title = dialog->windowTitle();
        shownPath = Find<QLabel>(dialog, "lblLinkFileName")->text();
        shownText = Field(dialog, "editLinkText")->text();
        shownUrl = Field(dialog, "editLinkURL")->text();
        static_cast<QDialog*>(dialog)->reject();
    });
    QVERIFY(!EditSiteMapItem(nullptr, QStringLiteral("/srv/site/docs/"), text, url));
    QCOMPARE(title, QStringLiteral("Edit Site Map Item"));
    QCOMPARE(shownPath, QStringLiteral("/srv/site/docs/"));
    QCOMPARE(shownText, QStringLiteral("Docs"));
    QCOMPARE(shownUrl, QStringLiteral("docs/index.htm"));
}

void ItemDialogTest::enterMovesOnThenConfirms() {
    QString text = QStringLiteral("Old"), url = QStringLiteral("old.html");
    bool openAfterFirstEnter = false;
    WhenModal([&](QWidget* dialog) {
        QLineEdit* linkText = Field(dialog, "editLinkText");
        QLineEdit* linkURL = Field(dialog, "editLinkURL");
        linkText->setText(QStringLiteral("New text"));
        QTest::keyClick(linkText, Qt::Key_Return);
        openAfterFirstEnter = dialog->isVisible();
        linkURL->setText(QStringLiteral("a b/\\c.html"));
        QTest::keyClick(linkURL, Qt::Key_Enter, Qt::KeypadModifier);
    });
    QVERIFY(EditSiteMapItem(nullptr, QStringLiteral("/srv/site/old.html"), text, url));
    QVERIFY(openAfterFirstEnter);
    QCOMPARE(text, QStringLiteral("New text"));
    // Taken exactly as typed.
    QCOMPARE(url, QStringLiteral("a b/\\c.html"));
}

void ItemDialogTest::escapeDiscardsEdits() {
    QString text = QStringLiteral("Old"), url = QStringLiteral("old.html");
    WhenModal([&](QWidget* dialog) {
        Field(dialog, "editLinkText")->setText(QStringLiteral("Changed"));
        QTest::keyClick(Field(dialog, "editLinkText"), Qt::Key_Escape);
    });
    QVERIFY(!EditSiteMapItem(nullptr, QStringLiteral("/srv/site/old.html"), text, url));
    QCOMPARE(text, QStringLiteral("Old"));
    QCOMPARE(url, QStringLiteral("old.html"));
}

void ItemDialogTest::emptyTextIsConfirmed() {
    QString text = QStringLiteral("Old"), url = QStringLiteral("old.html");
    WhenModal([&](QWidget* dialog) {
        Field(dialog, "editLinkText")->clear();
        Field(dialog, "editLinkURL")->clear();
        Find<QPushButton>(dialog, "btnOk")->click();
    });
    QVERIFY(EditSiteMapItem(nullptr, QStringLiteral("/srv/site/old.html"), text, url));
    QCOMPARE(text, QString());
    QCOMPARE(url, QString());
}

void ItemDialogTest::cancelButtonDiscards() {
    QString text = QStringLiteral("Old"), url = QStringLiteral("old.html");
    WhenModal([&](QWidget* dialog) {
        Field(dialog, "editLinkURL")->setText(QStringLiteral("x"));
        Find<QPushButton>(dialog, "btnCancel")->click();
    });
    QVERIFY(!EditSiteMapItem(nullptr, QStringLiteral("/srv/site/old.html"), text, url));
    QCOMPARE(url, QStringLiteral("old.html"));
}

// A longer text than a line edit holds, confirmed unchanged, stays whole.
void ItemDialogTest::okWithoutChangeGivesBackWhatItWasGiven() {
    const QString longText(40000, u'T');
    QString text = longText, url = QStringLiteral("long.html");
    WhenModal([](QWidget* dialog) { Find<QPushButton>(dialog, "btnOk")->click(); });
    QVERIFY(EditSiteMapItem(nullptr, QStringLiteral("/srv/site/long.html"), text, url));
    QCOMPARE(text.size(), longText.size());
    QCOMPARE(url, QStringLiteral("long.html"));
}

TW_GUI_TEST(ItemDialogTest)
#include "ItemDialogTest.moc"
