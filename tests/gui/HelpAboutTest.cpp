// Help, support and About: F1 from any control, the help menu of the header,
// the web pages, the About dialog and its link, and the shell's error texts
// with the length rule.

#include "WizardFixture.h"
#include "ui/ShellOpen.h"
#include "ui/SiteMapAboutForm.h"

#include <QDialog>
#include <QMenu>
#include <QTreeView>

using tw::ui::MsgButtons;
using tw::ui::MsgIcon;
using tw::ui::MsgResult;

namespace {

QAction* MenuItem(Wizard& w, const char* name) {
    return w.window->HelpMenu()->findChild<QAction*>(QString::fromLatin1(name));
}

} // namespace

class HelpAboutTest : public QObject {
    Q_OBJECT
private slots:
    void f1WithoutHelpFileSaysWhere();
    void f1OpensTheHelpFileFromAnyControl();
    void helpMenuFromLabelAndPicture();
    void webPagesAndTheirFailures();
    void aboutDialogShowsAndLinks();
    void shellErrorTexts_data();
    void shellErrorTexts();
    void shellLengthLimit();
};

void HelpAboutTest::f1WithoutHelpFileSaysWhere() {
    Wizard w;
    w.dialogs.AnswerMessage(MsgResult::Ok);
    QTest::keyClick(w.Edit("editIndex"), Qt::Key_F1);
    QCOMPARE(w.dialogs.Last().caption, QStringLiteral("File Not Found"));
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::Error);
    QCOMPARE(w.dialogs.Last().buttons, MsgButtons::Ok);
    QCOMPARE(w.dialogs.Last().text, QStringLiteral("The help file could not be found:\n\n") +
                                        w.ProgramFolder() + QStringLiteral("Trailwright.html"));
    // F1 typed nothing into the field.
    QCOMPARE(w.Edit("editIndex")->text(), QString());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void HelpAboutTest::f1OpensTheHelpFileFromAnyControl() {
    Wizard w;
    const QString help = w.ProgramFolder() + QStringLiteral("Trailwright.html");
    WriteAbsolute(help, "<html><title>Manual</title></html>");
    for (QWidget* target :
         std::initializer_list<QWidget*>{w.Get<QTreeView>("tvMap"), w.Button("btnNext"),
                                         w.Get<QWidget>("cpbText"), w.window.get()}) {
        w.dialogs.AnswerOpenDocument(true);
        QTest::keyClick(target, Qt::Key_F1);
        QCOMPARE(w.dialogs.Last().kind, ScriptedDialogs::Kind::OpenDocument);
        QCOMPARE(w.dialogs.Last().text, help);
    }
    // The shell's answer is not reported for the help file.
    w.dialogs.AnswerOpenDocument(false);
    QTest::keyClick(w.Edit("editIndex"), Qt::Key_F1);
    QCOMPARE(w.dialogs.Last().kind, ScriptedDialogs::Kind::OpenDocument);
    // Shift+F1 is not F1.
    const int asked = static_cast<int>(w.dialogs.AskedSoFar().size());
    QTest::keyClick(w.Edit("editIndex"), Qt::Key_F1, Qt::ShiftModifier);
    QCOMPARE(static_cast<int>(w.dialogs.AskedSoFar().size()), asked);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void HelpAboutTest::helpMenuFromLabelAndPicture() {
    Wizard w;
    QMenu* menu = w.window->HelpMenu();
    QStringList captions;
    for (QAction* a : menu->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(captions, (QStringList{QStringLiteral("Help..."), QStringLiteral("Help Online..."),
                                    QStringLiteral("Support..."), QStringLiteral("-"),
                                    QStringLiteral("About...")}));
    QCOMPARE(MenuItem(w, "miHelp")->toolTip(), QStringLiteral("Help Online"));
    for (QAction* a : menu->actions())
        QVERIFY(a->isEnabled());

    auto* label = w.Get<QLabel>("lblHelp");
    QCOMPARE(label->text(), QStringLiteral("Help"));
    QVERIFY(label->font().underline());
    QCOMPARE(w.Get<QLabel>("imgHelp")->size(), QSize(24, 24));
    QTest::mouseClick(label, Qt::LeftButton);
    QVERIFY(menu->isVisible());
    menu->hide();
    QTest::mouseClick(w.Get<QLabel>("imgHelp"), Qt::LeftButton);
    QVERIFY(menu->isVisible());
    menu->hide();
    // From the keyboard: the label takes the focus and opens on Space.
    QCOMPARE(label->focusPolicy(), Qt::StrongFocus);
    QTest::keyClick(label, Qt::Key_Space);
    QVERIFY(menu->isVisible());
    menu->hide();

    // "Help..." is the help file, as F1.
    w.dialogs.AnswerMessage(MsgResult::Ok);
    MenuItem(w, "miHelpFile")->trigger();
    QCOMPARE(w.dialogs.Last().caption, QStringLiteral("File Not Found"));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void HelpAboutTest::webPagesAndTheirFailures() {
    Wizard w;
    w.dialogs.AnswerOpenDocument(true);
    MenuItem(w, "miHelp")->trigger();
    QCOMPARE(w.dialogs.Last().text, QStringLiteral("https://www.zephyrix.example/help/"));
    w.dialogs.AnswerOpenDocument(true);
    MenuItem(w, "miSupport")->trigger();
    QCOMPARE(w.dialogs.Last().text, QStringLiteral("https://www.zephyrix.example/contact/"));
    // The desktop cannot open it: the shell's error box.
    w.dialogs.AnswerOpenDocument(false);
    w.dialogs.AnswerMessage(MsgResult::Ok);
    MenuItem(w, "miSupport")->trigger();
    QCOMPARE(w.dialogs.Last().caption, QStringLiteral("Error"));
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::Warning);
    QCOMPARE(w.dialogs.Last().text,
             QStringLiteral("Unable to execute file:\n\nThere is no application associated with "
                            "the given filename extension."));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void HelpAboutTest::aboutDialogShowsAndLinks() {
    Wizard w;
    bool checked = false;
    w.dialogs.AnswerModal([&](QDialog& about) {
        [&] {
            QCOMPARE(about.windowTitle(), QStringLiteral("About"));
            QCOMPARE(about.size(), QSize(380, 209));
            QCOMPARE(about.parentWidget(), w.window.get());
            QCOMPARE(Find<QLabel>(&about, "lblAppName")->text(),
                     QStringLiteral("Zephyrix Trailwright"));
            QCOMPARE(Find<QLabel>(&about, "lblAppVersion")->text(), QStringLiteral("Version 2.0"));
            auto* link = Find<QLabel>(&about, "lblURL");
            QVERIFY(
                link->text().contains(QStringLiteral("https://www.zephyrix.example/trailwright/")));
            QCOMPARE(Find<QPlainTextEdit>(&about, "Memo1")->document()->blockCount(), 5);
            // The link opens the product page and leaves the dialog open.
            w.dialogs.AnswerOpenDocument(true);
            emit link->linkActivated(QStringLiteral("https://www.zephyrix.example/trailwright/"));
            QCOMPARE(w.dialogs.Last().text,
                     QStringLiteral("https://www.zephyrix.example/trailwright/"));
            QVERIFY(about.isVisible());
            Find<QPushButton>(&about, "btnOk")->click();
            QCOMPARE(about.result(), int(QDialog::Accepted));
            checked = true;
        }();
        return about.result();
    });
    MenuItem(w, "miAbout")->trigger();
    QVERIFY(checked);
    QCOMPARE(w.dialogs.AskedSoFar().front().kind, ScriptedDialogs::Kind::Modal);
    // Made for each showing and released after it.
    QVERIFY(!w.window->findChild<QDialog*>(QStringLiteral("frmSiteMapAbout")));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void HelpAboutTest::shellErrorTexts_data() {
    QTest::addColumn<unsigned>("code");
    QTest::addColumn<QString>("text"); // empty: no box
    const QString unknown = QStringLiteral(
        "An unknown error occurred when trying to load file in associated application.");
    QTest::newRow("0") << 0u
                       << QStringLiteral("The operating system is out of memory or resources.");
    QTest::newRow("1") << 1u << unknown;
    QTest::newRow("2") << 2u << QStringLiteral("The specified file was not found.");
    QTest::newRow("5") << 5u
                       << QStringLiteral(
                              "The operating system denied access to the specified file.");
    QTest::newRow("25") << 25u << unknown;
    QTest::newRow("31")
        << 31u
        << QStringLiteral("There is no application associated with the given filename extension.");
    QTest::newRow("32") << 32u
                        << QStringLiteral("The specified dynamic-link library was not found.");
    QTest::newRow("33") << 33u << QString();
    QTest::newRow("42") << 42u << QString();
}

void HelpAboutTest::shellErrorTexts() {
    QFETCH(unsigned, code);
    QFETCH(QString, text);
    ScriptedDialogs dialogs;
    if (!text.isEmpty())
        dialogs.AnswerMessage(MsgResult::Ok);
    tw::ui::ReportShellError(dialogs, code, nullptr);
    if (text.isEmpty()) {
        QVERIFY(dialogs.AskedSoFar().isEmpty());
    } else {
        QCOMPARE(dialogs.Last().text, QStringLiteral("Unable to execute file:\n\n") + text);
        QCOMPARE(dialogs.Last().caption, QStringLiteral("Error"));
        QCOMPARE(dialogs.Last().icon, MsgIcon::Warning);
    }
    QVERIFY2(dialogs.Finished(), qPrintable(dialogs.Report()));
}

void HelpAboutTest::shellLengthLimit() {
    const QString base = QStringLiteral("https://www.zephyrix.example/");
    const QString at255 = base + QString(255 - base.size(), u'a');
    const QString at256 = at255 + u'a';
    ScriptedDialogs dialogs;
    dialogs.AnswerOpenDocument(true);
    QCOMPARE(tw::ui::ShellOpenFile(dialogs, nullptr, at255, {}, {}, tw::ui::kShowNoActivate) > 32,
             true);
    QCOMPARE(dialogs.Last().kind, ScriptedDialogs::Kind::OpenDocument);

    // 256 characters: the information box and "file not found", without
    // asking the desktop; through OpenDocument both boxes in a row.
    dialogs.Reset();
    dialogs.AnswerMessage(MsgResult::Ok);
    dialogs.AnswerMessage(MsgResult::Ok);
    tw::ui::OpenDocument(dialogs, at256, nullptr);
    QCOMPARE(dialogs.AskedSoFar().size(), 2);
    QCOMPARE(dialogs.AskedSoFar()[0].caption, QStringLiteral("Information"));
    QCOMPARE(dialogs.AskedSoFar()[0].icon, MsgIcon::Information);
    QCOMPARE(dialogs.AskedSoFar()[0].text,
             QStringLiteral("The path to the file is too long, please ensure the path is less "
                            "than 255 characters."));
    QCOMPARE(dialogs.AskedSoFar()[1].text,
             QStringLiteral("Unable to execute file:\n\nThe specified file was not found."));

    // A path that does not exist is not handed to the desktop either.
    dialogs.Reset();
    QCOMPARE(tw::ui::ShellOpenFile(dialogs, nullptr, QStringLiteral("/no/such/tw/file.html"), {},
                                   {}, tw::ui::kShowNormal),
             2u);
    QVERIFY(dialogs.AskedSoFar().isEmpty());
    QVERIFY2(dialogs.Finished(), qPrintable(dialogs.Report()));
}

TW_GUI_TEST(HelpAboutTest)
#include "HelpAboutTest.moc"
