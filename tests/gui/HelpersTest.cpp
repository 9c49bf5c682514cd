// The small text rules of the Qt layer.

#include "GuiTestUtil.h"
#include "ui/Dialogs.h"

#include <QTest>

using namespace tw::ui;

class HelpersTest : public QObject {
    Q_OBJECT
private slots:
    void errorTextGetsItsFullStop_data();
    void errorTextGetsItsFullStop();
    void filtersBecomeQtNameFilters();
    void folderRootContainsOnlyItsOwnTree();
};

void HelpersTest::errorTextGetsItsFullStop_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << QStringLiteral("Cannot open file /x")
                           << QStringLiteral("Cannot open file /x.");
    QTest::newRow("full stop") << QStringLiteral("Done.") << QStringLiteral("Done.");
    QTest::newRow("before the stop") << QStringLiteral("Wait!") << QStringLiteral("Wait!");
    QTest::newRow("line break") << QStringLiteral("/x\n\rdirectory does not exists")
                                << QStringLiteral("/x\n\rdirectory does not exists.");
    QTest::newRow("after the stop") << QStringLiteral("(see /x/)") << QStringLiteral("(see /x/)");
    QTest::newRow("empty") << QString() << QStringLiteral(".");
}

void HelpersTest::errorTextGetsItsFullStop() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(ErrorBoxText(message), shown);
}

void HelpersTest::filtersBecomeQtNameFilters() {
    QCOMPARE(QtNameFilters(
                 QStringLiteral("HTML Files (*.htm, *.html)|*.htm;*.html;|All Files (*.*)|*.*")),
             (QStringList{QStringLiteral("HTML Files (*.htm *.html)"),
                          QStringLiteral("All Files (*)")}));
    QCOMPARE(QtNameFilters(QStringLiteral("Profiles|*.zpf")),
             QStringList{QStringLiteral("Profiles (*.zpf)")});
    QCOMPARE(QtNameFilters(QString()), QStringList{});
}

void HelpersTest::folderRootContainsOnlyItsOwnTree() {
    const QString root = QStringLiteral("/srv/site/");
    QVERIFY(IsInsideFolder(QStringLiteral("/srv/site"), root));
    QVERIFY(IsInsideFolder(QStringLiteral("/srv/site/docs/"), root));
    QVERIFY(!IsInsideFolder(QStringLiteral("/srv/site2"), root));
    QVERIFY(!IsInsideFolder(QStringLiteral("/srv/site/../other"), root));
    QVERIFY(!IsInsideFolder(QStringLiteral("/srv"), root));
    QVERIFY(IsInsideFolder(QStringLiteral("/anywhere"), QString()));
}

TW_GUI_TEST(HelpersTest)
#include "HelpersTest.moc"
