// The output settings page and the generation run: layouts and options into
// the written file, the colour pickers with their None state and preview,
// the colour reset, Browse, the status page, a failed write, the editor
// target, the pacing and the picker's keyboard use.

#include "WizardFixture.h"
#include "cli/Cli.h"
#include "output/OutputTargets.h"
#include "output/PageWrapper.h"
#include "output/SiteMapWriter.h"
#include "support/NXFiles.h"
#include "ui/ColorPickerButton.h"
#include "ui/OutputSettingsPage.h"
#include "ui/OutputStatusPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QToolButton>
#include <sstream>

using tw::ui::ColorPickerButton;
using tw::ui::MsgIcon;
using tw::ui::MsgResult;
using tw::ui::OutputSettingsPage;
using namespace Qt::StringLiterals;

namespace {

void MakeSite(TestSite& site) {
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("Welcome"));
    site.WritePage(QStringLiteral("about.html"), QStringLiteral("About Us"));
    site.WriteFile(QStringLiteral("logo.gif"), "GIF89a");
    site.WritePage(QStringLiteral("docs/manual.html"), QStringLiteral("Manual"));
    site.WritePage(QStringLiteral("news/index.html"), QStringLiteral("News"));
}

// Scans the site and moves on to the output settings page.
void ToOutputSettings(Wizard& w, const TestSite& site) {
    w.Edit("editFileTypes")->setText(QStringLiteral("*.html;*.gif;"));
    w.Scan(site.Path(QStringLiteral("index.html")));
    w.Button("btnNext")->click();
}

ColorPickerButton* PickerOf(Wizard& w, OutputSettingsPage::ColorSlot slot) {
    return w.window->OutputSettings()->Picker(slot);
}

QString PreviewHtml(Wizard& w) {
    return w.Get<QTextBrowser>("htmlPreview")->toHtml();
}

// A pick or Escape closes the palette at once; it is deleted with the
// posted deletions.
bool PaletteGone(ColorPickerButton* picker) {
    if (picker->Palette() && picker->Palette()->isVisible())
        return false;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return !picker->Palette();
}

} // namespace

class OutputPagesTest : public QObject {
    Q_OBJECT
private slots:
    void generatesEachLayout_data();
    void generatesEachLayout();
    void modernPageAndLinkTextsAsTheCommandLine_data();
    void modernPageAndLinkTextsAsTheCommandLine();
    void noneColourFlowsIntoThePage();
    void resetColorsOnlyWhenChanged();
    void previewShowsTheColoursAndLeavesNoFile();
    void previewThatCannotBeWrittenIsReported();
    void browseProposesNameAndFolder();
    void optionsFollowTheirRules();
    void failedWriteEndsTheRunCleanly();
    void finishNeverReplacesTheSitesOwnPages();
    void editorAndHiddenTargets();
    void runDisablesNestingCommands();
    void pacingFollowsTheTreeSize_data();
    void pacingFollowsTheTreeSize();
    void largeTreeIsNotSlowedDown();
    void largePageFillsTheMemoInParts();
    void pickerWorksFromTheKeyboard();
    // Template.
    void templateFieldBrowsesAndRefusesAFaultyTemplate();
};

void OutputPagesTest::generatesEachLayout_data() {
    QTest::addColumn<bool>("list");
    QTest::addColumn<bool>("classAttribs");
    QTest::addColumn<bool>("addImages");
    QTest::addColumn<bool>("noFolderImages");
    QTest::addColumn<bool>("noFolderLinks");
    QTest::newRow("list, plain") << true << false << false << false << false;
    QTest::newRow("list, all options") << true << true << true << true << true;
    QTest::newRow("paragraphs, plain") << false << false << false << false << false;
    QTest::newRow("paragraphs, styles and images") << false << true << true << false << false;
}

void OutputPagesTest::generatesEachLayout() {
    QFETCH(bool, list);
    QFETCH(bool, classAttribs);
    QFETCH(bool, addImages);
    QFETCH(bool, noFolderImages);
    QFETCH(bool, noFolderLinks);
    TestSite site;
    MakeSite(site);
    Wizard w;
    // The item images lie in the program folder's smimages folder.
    QDir(w.ProgramFolder()).mkpath(QStringLiteral("smimages"));
    for (const char* image : tw::kItemImages)
        WriteAbsolute(w.ProgramFolder() + QStringLiteral("smimages/") + QString::fromLatin1(image),
                      QByteArray("GIF89a-") + image);
    ToOutputSettings(w, site);
    QCOMPARE(w.window->WizardPage(), 3);

    w.Get<QRadioButton>(list ? "rbOutputUnnumberedList" : "rbOutputParagraph")->click();
    auto setCheck = [&w](const char* name, bool on) {
        auto* box = w.Get<QCheckBox>(name);
        if (box->isChecked() != on)
            box->click();
    };
    setCheck("chkClassAttribs", classAttribs);
    setCheck("chkAddImages", addImages);
    // The last check box is only enabled while images are added.
    if (addImages)
        setCheck("chkNoFolderImages", noFolderImages);
    setCheck("chkDontLinkFolders", noFolderLinks);
    const tw::TMapProfile& profile = w.window->Profile();
    QCOMPARE(profile.OutputFormat(),
             list ? tw::TMapOutputFormat::mfmtList : tw::TMapOutputFormat::mfmtParagraph);
    QCOMPARE(profile.ClassAttribs(), classAttribs);
    QCOMPARE(profile.AddImages(), addImages);
    QCOMPARE(profile.NoFolderLinks(), noFolderLinks);

    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 4);

    const QString output = site.Path(QStringLiteral("sitemap.html"));
    const std::string expected =
        tw::BuildSiteMapPage(tw::BuildSiteMap(w.window->Tree(), profile), profile);
    const QByteArray written = ReadAll(output);
    QCOMPARE(written, QByteArray::fromStdString(expected));
    QVERIFY(written.startsWith("<!DOCTYPE"));
    QCOMPARE(w.window->GeneratedText(), expected);
    QCOMPARE(w.window->OutputStatus()->GeneratedContents(), QString::fromStdString(expected));
    QCOMPARE(
        w.Get<QPlainTextEdit>("memoGenerated")->toPlainText(),
        QString::fromStdString(expected).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    // The status page after the run.
    QCOMPARE(w.LabelText("lblGeneratingType"),
             QStringLiteral("Generating Site Map to specified file..."));
    QCOMPARE(w.LabelText("lblGenerationStatus"), QStringLiteral("Generation Complete!"));
    QCOMPARE(w.LabelText("lblGenerationFile"),
             QStringLiteral("Your generated Site Map was saved to the following file:\n") + output);
    QVERIFY(w.Get<QLabel>("lblGenerationFile")->font().bold());
    QCOMPARE(w.Button("btnCancel")->text(), QStringLiteral("Close"));
    QVERIFY(w.Button("btnBack")->isEnabled());
    QVERIFY(!w.Button("btnNext")->isEnabled());
    QVERIFY(w.Button("btnOpenProfile")->isEnabled());
    auto* bar = w.Get<QProgressBar>("pbOutput");
    QCOMPARE(w.window->OutputStatus()->ProgressMaximum(), w.window->Tree().Count() - 1);
    QCOMPARE(bar->maximum(), w.window->Tree().Count() - 1);
    QCOMPARE(bar->value(), bar->maximum());

    // The images were copied with the file, or not at all.
    for (const char* image : tw::kItemImages)
        QCOMPARE(QFile::exists(site.Path(QString::fromLatin1(image))), addImages);

    // Copy gives exactly the written page; View opens the written file.
    QVERIFY(w.Button("btnCopyToClipboard")->isEnabled());
    w.Button("btnCopyToClipboard")->click();
    QCOMPARE(w.dialogs.Clipboard().toUtf8(), written);
    w.dialogs.AnswerOpenDocument(true);
    w.Button("btnViewOutputFile")->click();
    QCOMPARE(w.dialogs.Last().kind, ScriptedDialogs::Kind::OpenDocument);
    QCOMPARE(w.dialogs.Last().text, output);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void OutputPagesTest::modernPageAndLinkTextsAsTheCommandLine_data() {
    QTest::addColumn<int>("downs"); // in the trim combo
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("keys"); // h, y on the first page; c, f, r in the dialog
    QTest::addColumn<QStringList>("cli");
    QTest::newRow("defaults") << 0 << QString() << QString() << QString() << QString()
                              << QStringList{};
    QTest::newRow("every option") << 1 << QString() << u"de-CH"_s << u"Plan <du> \"site\""_s
                                  << u"hycfr"_s
                                  << u"--trim-titles|auto|--folder-titles|--sort|name|--lang|de-CH|"
                                     "--collapsible|--filter-box|--no-credit|--page-title|"
                                     "Plan <du> \"site\""_s.split(u'|');
    // A language that is no tag cannot be confirmed: the dialog changes nothing.
    QTest::newRow("bad tag") << 0 << QString() << u"en_US"_s << u"x"_s << u"c"_s << QStringList{};
    QTest::newRow("this text") << 2 << u"Acme <&>"_s << u"fr"_s << QString() << u"f"_s
                               << u"--trim-titles|Acme <&>|--lang|fr|--filter-box"_s.split(u'|');
}

void OutputPagesTest::modernPageAndLinkTextsAsTheCommandLine() {
    QFETCH(int, downs);
    QFETCH(QString, text);
    QFETCH(QString, lang);
    QFETCH(QString, title);
    QFETCH(QString, keys);
    QFETCH(QStringList, cli);
    TestSite site;
    for (const char* page : {"index", "about", "news/index"})
        site.WritePage(QString::fromLatin1(page) + u".html"_s,
                       u"%1 - Acme &lt;&amp;&gt;"_s.arg(page));
    Wizard w;
    WriteAbsolute(w.ProgramFolder() + u"smimages/smfolder.gif"_s, "GIF89a");
    const QString file = w.ProgramFolder() + u"p.zpf"_s;
    auto run = [&file](const QStringList& options) {
        std::vector<std::string> args{"trailwright-cli", "profile", "write", file.toStdString()};
        for (const QString& option : options)
            args.push_back(option.toStdString());
        std::ostringstream out;
        return tw::RunCli(args, {out, out});
    };
    QCOMPARE(run({u"--titles"_s, u"--index"_s, site.Path(u"index.html"_s)}), 0);
    const QByteArray classic = ReadAll(file);
    w.dialogs.AnswerOpenFiles({file});
    w.Button("btnOpenProfile")->click();
    auto press = [&keys](QWidget* window, char key, bool always = true) {
        if (always || keys.contains(QLatin1Char(key)))
            QTest::keyClick(window, key, Qt::AltModifier);
        LandKeyboardClicks(window);
    };
    press(w.window.get(), 'm');
    for (int i = 0; i < downs; ++i)
        QTest::keyClick(w.window->focusWidget(), Qt::Key_Down);
    QTest::keyClicks(w.Edit("editTrimTitlesText"), text);
    for (char key : {'h', 'y'})
        press(w.window.get(), key, false);
    w.Button("btnNext")->click();
    QCOMPARE(w.LabelText("lblTrimmedPart"),
             downs == 0 ? QString() : u"Removed from titles: \u201CAcme <&>\u201D"_s);
    w.Button("btnNext")->click();
    press(w.window.get(), '5');
    // The classic page's style sheet and images do not apply.
    QVERIFY(!w.Get<QCheckBox>("chkAddImages")->isEnabled());
    w.dialogs.AnswerModal([&](QDialog& dialog) {
        press(&dialog, 'l');
        QTest::keyClicks(dialog.focusWidget(), lang);
        press(&dialog, 't');
        QTest::keyClicks(dialog.focusWidget(), title);
        for (char key : {'c', 'f', 'r'})
            press(&dialog, key, false);
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
        return dialog.result();
    });
    press(w.window.get(), 'y');
    // The preview takes the page's shape with the options chosen.
    QCOMPARE(PreviewHtml(w).contains(u"Filter the site map"_s), cli.contains(u"--filter-box"_s));
    QCOMPARE(PreviewHtml(w).contains(u"Made with"_s), !cli.contains(u"--no-credit"_s));
    w.Button("btnSaveProfile")->click();
    const QByteArray saved = ReadAll(file);
    WriteAbsolute(file, classic);
    QCOMPARE(run(QStringList{u"--profile"_s, file, u"--format"_s, u"modern"_s} + cli), 0);
    QCOMPARE(saved, ReadAll(file));
    // The profile opened again shows the modern page and writes it.
    w.dialogs.AnswerOpenFiles({file});
    w.Button("btnOpenProfile")->click();
    QCOMPARE(w.Edit("editTrimTitlesText")->text(), text);
    w.Button("btnNext")->click();
    w.Button("btnNext")->click();
    QVERIFY(w.Get<QRadioButton>("rbOutputModern")->isChecked());
    w.Button("btnNext")->click();
    const QByteArray page = ReadAll(site.Path(u"sitemap.html"_s));
    QVERIFY(page.startsWith("<!DOCTYPE html>"));
    QVERIFY(page.contains(R"(<meta name="generator" content="Zephyrix Trailwright">)"));
    QCOMPARE(page.contains("Acme"), downs == 0);
    QVERIFY(!QFile::exists(site.Path(u"smfolder.gif"_s)));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void OutputPagesTest::noneColourFlowsIntoThePage() {
    TestSite site;
    MakeSite(site);
    Wizard w;
    ToOutputSettings(w, site);
    ColorPickerButton* background = PickerOf(w, OutputSettingsPage::kBackground);
    const QString previewBefore = PreviewHtml(w);
    w.window->Profile().SetModified(false);

    background->PickNone();
    QCOMPARE(w.window->Profile().clrBackground(), tw::kColorNone);
    QCOMPARE(background->Caption(), QStringLiteral("None"));
    QCOMPARE(background->Color(), tw::ui::kButtonFaceColor);
    QVERIFY(!w.window->OutputSettings()->SettingColors());
    // The None choice waits for the next rebuild of the preview.
    QCOMPARE(PreviewHtml(w), previewBefore);
    // A second None changes nothing at all.
    w.window->Profile().SetModified(false);
    background->PickNone();
    QVERIFY(!w.window->Profile().Modified());
    QCOMPARE(w.window->Profile().clrBackground(), tw::kColorNone);

    w.Button("btnNext")->click();
    QVERIFY(ReadAll(site.Path(QStringLiteral("sitemap.html")))
                .contains("<body bgcolor=\"\"text=\"#000000\""));

    // Back on the page, a palette colour ends the None state.
    w.Button("btnBack")->click();
    background->PickPaletteColor(39); // white in the palette's last place
    QCOMPARE(background->Caption(), QString());
    QCOMPARE(w.window->Profile().clrBackground(), 0xFFFFFF);
    // "More Colors" asks the colour dialog; cancelling changes nothing.
    w.dialogs.AnswerColour(QColor(0x12, 0x34, 0x56));
    background->PickMoreColors();
    QCOMPARE(w.window->Profile().clrBackground(), 0x563412);
    w.dialogs.AnswerColour(QColor());
    background->PickMoreColors();
    QCOMPARE(w.window->Profile().clrBackground(), 0x563412);
    QVERIFY(PreviewHtml(w).contains(QStringLiteral("#123456")));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void OutputPagesTest::resetColorsOnlyWhenChanged() {
    TestSite site;
    MakeSite(site);
    Wizard w;
    ToOutputSettings(w, site);
    QSignalSpy rebuilt(w.Get<QTextBrowser>("htmlPreview"), &QTextEdit::textChanged);
    w.window->Profile().SetModified(false);
    w.Button("btnResetColors")->click();
    QCOMPARE(rebuilt.count(), 0);
    QVERIFY(!w.window->Profile().Modified());

    PickerOf(w, OutputSettingsPage::kText)->PickPaletteColor(13);
    PickerOf(w, OutputSettingsPage::kActive)->PickNone();
    QCOMPARE(rebuilt.count(), 1); // the None choice rebuilt nothing
    rebuilt.clear();
    w.Button("btnResetColors")->click();
    QCOMPARE(rebuilt.count(), 1);
    const tw::TMapProfile& p = w.window->Profile();
    QCOMPARE(p.clrBackground(), 0xFFFFFF);
    QCOMPARE(p.clrText(), 0);
    QCOMPARE(p.clrLink(), 0xFF0000);
    QCOMPARE(p.clrVisited(), 0x800080);
    QCOMPARE(p.clrActive(), 255);
    QCOMPARE(PickerOf(w, OutputSettingsPage::kActive)->Caption(), QString());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void OutputPagesTest::previewShowsTheColoursAndLeavesNoFile() {
    TestSite site;
    MakeSite(site);
    Wizard w;
    ToOutputSettings(w, site);
    PickerOf(w, OutputSettingsPage::kText)->PickPaletteColor(5); // #000080
    auto* preview = w.Get<QTextBrowser>("htmlPreview");
    QVERIFY(preview->toPlainText().contains(QStringLiteral("Page Text will look like this!")));
    // The body's text colour reaches Qt's view through a style.
    QTextCursor first(preview->document());
    first.movePosition(QTextCursor::NextCharacter);
    QCOMPARE(first.charFormat().foreground().color(), QColor(0, 0, 0x80));
    QCOMPARE(preview->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(preview->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(!QFile::exists(w.ProgramFolder() + QStringLiteral("~sitemap.html")));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void OutputPagesTest::previewThatCannotBeWrittenIsReported() {
    TestSite site;
    MakeSite(site);
    Wizard w;
    w.Scan(site.Path(QStringLiteral("index.html")));
    const QString programFolder = w.ProgramFolder();
    QVERIFY(w.home.remove());
    w.dialogs.AnswerMessage(MsgResult::Ok);
    w.Button("btnNext")->click();
    QCOMPARE(w.dialogs.Last().caption, QStringLiteral("Zephyrix Trailwright"));
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::Error);
    QCOMPARE(w.dialogs.Last().text,
             QStringLiteral("Cannot create file ") + programFolder +
                 QStringLiteral("~sitemap.html: No such file or directory."));
    // The window still shows the page it moved to.
    QCOMPARE(w.window->WizardPage(), 3);
    QCOMPARE(w.window->findChild<QWidget*>(QStringLiteral("pcMain"))
                 ->findChild<QWidget*>(QStringLiteral("tsOutputSettings"))
                 ->isVisible(),
             true);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));

    // Nor can the settings be written at exit: told, and the program ends.
    w.dialogs.AnswerMessage(MsgResult::Ok);
    w.window.reset();
    QCOMPARE(w.dialogs.Last().text, QStringLiteral("Cannot create file ") + programFolder +
                                        QStringLiteral("SiteMap.dat: No such file or directory."));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void OutputPagesTest::browseProposesNameAndFolder() {
    TestSite site;
    site.WritePage(QStringLiteral("Site/index.html"), QStringLiteral("Home"));
    Wizard w;
    const QString siteFolder = site.Path(QStringLiteral("Site/"));
    w.Edit("editIndex")->setText(siteFolder + QStringLiteral("index.html"));
    auto* edit = w.Edit("editOutputFile");

    // Empty: sitemap.html in the index folder.
    edit->clear();
    w.dialogs.AnswerSaveFile(QString());
    w.Button("btnOutputFileBrowse")->click();
    tw::ui::SaveFileRequest asked = w.dialogs.Last().save;
    QCOMPARE(asked.startFolder, siteFolder);
    QCOMPARE(asked.fileName, QStringLiteral("sitemap.html"));
    QCOMPARE(asked.filter, QStringLiteral("HTML Files (*.htm, *.html)|*.htm;*.html"));
    QCOMPARE(edit->text(), QString()); // cancelled: unchanged

    // A missing folder: the index folder, with the name kept.
    edit->setText(QStringLiteral("/no/such/tw/folder/map.html"));
    w.dialogs.AnswerSaveFile(site.Path(QStringLiteral("out")));
    w.Button("btnOutputFileBrowse")->click();
    asked = w.dialogs.Last().save;
    QCOMPARE(asked.startFolder, siteFolder);
    QCOMPARE(asked.fileName, QStringLiteral("map.html"));
    // A name without an extension becomes an HTML file.
    QCOMPARE(edit->text(), site.Path(QStringLiteral("out.html")));
    QCOMPARE(w.window->Profile().OutputFileName(), site.PathStd(QStringLiteral("out.html")));

    // An existing folder is the start; a name the platform refuses is replaced.
    edit->setText(site.Root() + QStringLiteral("a*b?.html"));
    w.dialogs.AnswerSaveFile(site.Path(QStringLiteral("keep.htm")));
    w.Button("btnOutputFileBrowse")->click();
    asked = w.dialogs.Last().save;
    QCOMPARE(asked.startFolder, site.Root());
    QCOMPARE(asked.fileName, QStringLiteral("sitemap.html"));
    QCOMPARE(edit->text(), site.Path(QStringLiteral("keep.htm")));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void OutputPagesTest::optionsFollowTheirRules() {
    Wizard w;
    auto* addImages = w.Get<QCheckBox>("chkAddImages");
    auto* noFolderImages = w.Get<QCheckBox>("chkNoFolderImages");
    // The default profile adds images.
    QVERIFY(addImages->isChecked());
    QVERIFY(noFolderImages->isEnabled());
    noFolderImages->click();
    QVERIFY(w.window->Profile().NoFolderImages());
    addImages->click();
    QVERIFY(!noFolderImages->isEnabled());
    QVERIFY(noFolderImages->isChecked());
    QVERIFY(w.window->Profile().NoFolderImages());
    QVERIFY(!w.window->Profile().AddImages());

    auto* editor = w.Get<QRadioButton>("rbOutputEditor");
    QVERIFY(!editor->isEnabled());
    QCOMPARE(editor->text(), QStringLiteral("Open as New Document in Zephyrix HTML Editor (Only "
                                            "available when run from within the Editor)"));
    QVERIFY(w.Get<QRadioButton>("rbOutputFile")->isChecked());
    QVERIFY(!w.Get<QRadioButton>("rbOutputClipBoard")->isVisibleTo(w.window.get()));
    QVERIFY(!w.Get<QRadioButton>("rbOutputInsert")->isVisibleTo(w.window.get()));
    // Typing marks the profile at the first keystroke.
    w.window->Profile().SetModified(false);
    QTest::keyClick(w.Edit("editOutputFile"), Qt::Key_X);
    QVERIFY(w.window->Profile().Modified());

    // Labels carry their pickers' names for screen readers.
    for (const char* name : {"cpbBackground", "cpbText", "cpbLink", "cpbVisited", "cpbActive"})
        QVERIFY(!w.Get<ColorPickerButton>(name)->accessibleName().isEmpty());
    QCOMPARE(w.Get<ColorPickerButton>("cpbVisited")->accessibleName(),
             QStringLiteral("Visited Link"));
    QCOMPARE(w.Get<ColorPickerButton>("cpbVisited")->size(), QSize(100, 17));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void OutputPagesTest::finishNeverReplacesTheSitesOwnPages() {
    TestSite site;
    MakeSite(site);
    Wizard w;
    ToOutputSettings(w, site);
    const QString about = site.Path(QStringLiteral("about.html"));
    const QByteArray page = ReadAll(about);
    // A page of the site: asked, No the default; No keeps the page and the focus.
    w.Edit("editOutputFile")->setText(about);
    w.dialogs.AnswerMessage(MsgResult::No);
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 3);
    QCOMPARE(w.dialogs.Last().buttons, tw::ui::MsgButtons::YesNoDefaultNo);
    QVERIFY(w.dialogs.Last().text.startsWith(about + QStringLiteral(" is a page of the site")));
    QCOMPARE(QApplication::focusWidget(), w.Edit("editOutputFile"));
    QCOMPARE(ReadAll(about), page);
    // The index page is never replaced, whatever the answer.
    w.Edit("editOutputFile")->setText(site.Path(QStringLiteral("index.html")));
    w.dialogs.AnswerMessage(MsgResult::Ok);
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 3);
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::Error);
    // Yes replaces the page the user named.
    w.Edit("editOutputFile")->setText(about);
    w.dialogs.AnswerMessage(MsgResult::Yes);
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 4);
    QVERIFY(ReadAll(about).contains("::: Made with Zephyrix :"));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void OutputPagesTest::failedWriteEndsTheRunCleanly() {
    TestSite site;
    MakeSite(site);
    Wizard w;
    ToOutputSettings(w, site);
    const QString output = site.Path(QStringLiteral("missing/map.html"));
    w.Edit("editOutputFile")->setText(output);
    w.dialogs.AnswerMessage(MsgResult::No); // keep the other folder
    w.dialogs.AnswerMessage(MsgResult::Ok); // the error
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 4);
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::Error);
    QCOMPARE(w.dialogs.Last().caption, QStringLiteral("Zephyrix Trailwright"));
    QCOMPARE(w.dialogs.Last().text, QStringLiteral("Cannot create file ") + output +
                                        QStringLiteral(": No such file or directory."));
    QCOMPARE(w.LabelText("lblGenerationStatus"), QStringLiteral("Generation Complete!"));
    QVERIFY(w.LabelText("lblGenerationFile").startsWith(QStringLiteral("File: ")));
    QVERIFY(!w.Get<QLabel>("lblGenerationFile")->font().bold());
    QCOMPARE(w.Button("btnCancel")->text(), QStringLiteral("Close"));
    QVERIFY(!w.Button("btnViewOutputFile")->isEnabled());
    QVERIFY(!w.Button("btnCopyToClipboard")->isEnabled());
    QCOMPARE(w.Get<QPlainTextEdit>("memoGenerated")->toPlainText(), QString());
    QVERIFY(w.Button("btnBack")->isEnabled());
    QVERIFY(w.Button("btnSaveProfile")->isEnabled());
    QVERIFY(!QFile::exists(site.Path(QStringLiteral("missing"))));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void OutputPagesTest::editorAndHiddenTargets() {
    TestSite site;
    MakeSite(site);
    Wizard w;
    ToOutputSettings(w, site);
    // Only an opened profile file can name the editor.
    w.window->Profile().SetOutputType(tw::TMapOutputType::moutEditor);
    w.Button("btnNext")->click();
    QCOMPARE(w.LabelText("lblGeneratingType"),
             QStringLiteral("Generating Site Map to Open in Editor..."));
    QCOMPARE(w.LabelText("lblGenerationFile"),
             QStringLiteral("Your generated Site Map is ready to be opened in the Editor."));
    QVERIFY(!w.Button("btnViewOutputFile")->isEnabled());
    QVERIFY(!QFile::exists(site.Path(QStringLiteral("sitemap.html"))));
    QVERIFY(
        QString::fromStdString(w.window->GeneratedText()).startsWith(QStringLiteral("<!DOCTYPE")));

    // A profile whose reading failed may name the clipboard: a file is written.
    w.Button("btnBack")->click();
    w.window->Profile().SetOutputType(tw::TMapOutputType::moutClipboard);
    w.Button("btnNext")->click();
    QCOMPARE(w.LabelText("lblGeneratingType"),
             QStringLiteral("Generating Site Map to specified file..."));
    QVERIFY(QFile::exists(site.Path(QStringLiteral("sitemap.html"))));
    QVERIFY(w.Button("btnViewOutputFile")->isEnabled());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void OutputPagesTest::runDisablesNestingCommands() {
    TestSite site;
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("Home"));
    for (int i = 0; i < 20; ++i)
        site.WritePage(QStringLiteral("p%1.html").arg(i), QStringLiteral("Page %1").arg(i));
    Wizard w;
    w.Scan(site.Path(QStringLiteral("index.html")));
    w.Button("btnNext")->click();
    int nodes = 0;
    bool anyEnabled = false;
    QStringList statusLines;
    QList<int> pauses;
    int landed = 0;
    auto& hooks = tw::ui::GenerationProgress::Hooks();
    const auto reset = qScopeGuard([&hooks] { hooks = {}; });
    hooks.pause = [&](int ms) { pauses << ms; };
    hooks.atNode = [&](int index) {
        ++nodes;
        for (const char* name :
             {"btnBack", "btnNext", "btnOpenProfile", "btnSaveProfile", "btnSaveProfileAs"})
            anyEnabled = anyEnabled || w.Button(name)->isEnabled();
        statusLines << w.LabelText("lblGenerationStatus");
        // A click on a disabled Back does nothing.
        w.Button("btnBack")->click();
        if (index == 1)
            landed = LandKeyboardClicks(w.window.get());
    };
    // Keyboard clicks land a moment after their key; these land while the
    // run goes on with their buttons disabled: they must do nothing.
    w.Button("btnOpenProfile")->animateClick();
    w.Button("btnSaveProfileAs")->animateClick();
    w.Button("btnNext")->click();
    QCOMPARE(landed, 2);
    const int count = w.window->Tree().Count();
    QCOMPARE(nodes, count);
    QVERIFY(!anyEnabled);
    QVERIFY(statusLines.contains(QStringLiteral("Generating: Home")));
    // A small tree is walked slowly enough to be watched: both pauses at
    // every node.
    QCOMPARE(pauses.count(tw::ui::GenerationProgress::PauseBeforeNode(count)), count);
    QCOMPARE(pauses.count(tw::ui::GenerationProgress::PauseAfterNode(count)), count);
    QCOMPARE(pauses.size(), 2 * count);
    QCOMPARE(w.window->WizardPage(), 4);
    QVERIFY(w.Button("btnBack")->isEnabled());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void OutputPagesTest::pacingFollowsTheTreeSize_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::newRow("49") << 49 << 1 << 15;
    QTest::newRow("50") << 50 << 1 << 0;
    QTest::newRow("51") << 51 << 1 << 5;
    QTest::newRow("199") << 199 << 1 << 5;
    QTest::newRow("200") << 200 << 0 << 0;
    QTest::newRow("100000") << 100000 << 0 << 0;
}

void OutputPagesTest::pacingFollowsTheTreeSize() {
    QFETCH(int, count);
    QFETCH(int, before);
    QFETCH(int, after);
    QCOMPARE(tw::ui::GenerationProgress::PauseBeforeNode(count), before);
    QCOMPARE(tw::ui::GenerationProgress::PauseAfterNode(count), after);
}

void OutputPagesTest::largeTreeIsNotSlowedDown() {
    TestSite site;
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("Home"));
    for (int f = 0; f < 5; ++f)
        for (int i = 0; i < 100; ++i)
            site.WriteFile(QStringLiteral("f%1/p%2.html").arg(f).arg(i), "<title>t</title>");
    Wizard w;
    w.Scan(site.Path(QStringLiteral("index.html")));
    w.Button("btnNext")->click();
    const int count = w.window->Tree().Count();
    QVERIFY(count > 500);
    int nodes = 0;
    QList<int> pauses;
    auto& hooks = tw::ui::GenerationProgress::Hooks();
    const auto reset = qScopeGuard([&hooks] { hooks = {}; });
    hooks.pause = [&](int ms) { pauses << ms; };
    hooks.atNode = [&](int) { ++nodes; };
    w.Button("btnNext")->click();
    // Every node is written, and not one pause is asked for.
    QCOMPARE(nodes, count);
    QVERIFY2(pauses.isEmpty(), qPrintable(QString::number(pauses.size())));
    // The last node is shown although updates were coalesced.
    auto* bar = w.Get<QProgressBar>("pbOutput");
    QCOMPARE(bar->value(), count - 1);
    QVERIFY(w.Button("btnCopyToClipboard")->isEnabled());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void OutputPagesTest::pickerWorksFromTheKeyboard() {
    TestSite site;
    MakeSite(site);
    Wizard w;
    ToOutputSettings(w, site);
    ColorPickerButton* link = w.Get<ColorPickerButton>("cpbLink");
    QVERIFY(link->isEnabled());
    // Space, as for any button, and Enter open the palette.
    QTest::keyClick(link, Qt::Key_Space);
    QVERIFY(link->Palette() && link->Palette()->isVisible());
    QTest::keyClick(link->Palette(), Qt::Key_Escape);
    QVERIFY(PaletteGone(link));
    QTest::keyClick(link, Qt::Key_Return);
    QFrame* palette = link->Palette();
    QVERIFY(palette);
    QCOMPARE(palette->findChildren<QToolButton*>().size(), ColorPickerButton::kPaletteSize + 2);
    // Arrow keys walk the grid, Enter picks.
    auto* first = palette->findChild<QToolButton*>(QStringLiteral("swatch0"));
    QTest::keyClick(first, Qt::Key_Right);
    QVERIFY(palette->findChild<QToolButton*>(QStringLiteral("swatch1"))->hasFocus());
    QTest::keyClick(palette->findChild<QToolButton*>(QStringLiteral("swatch1")), Qt::Key_Down);
    auto* target = palette->findChild<QToolButton*>(QStringLiteral("swatch9"));
    QVERIFY(target->hasFocus());
    QTest::keyClick(target, Qt::Key_Return);
    QVERIFY(PaletteGone(link));
    QCOMPARE(link->Color(), ColorPickerButton::PaletteColor(9));
    QCOMPARE(w.window->Profile().clrLink(), ColorPickerButton::PaletteColor(9));
    // None from the keyboard.
    QTest::keyClick(link, Qt::Key_Return);
    QTest::keyClick(link->Palette()->findChild<QToolButton*>(QStringLiteral("btnNone")),
                    Qt::Key_Space);
    QVERIFY(PaletteGone(link));
    QCOMPARE(w.window->Profile().clrLink(), tw::kColorNone);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

TW_GUI_TEST(OutputPagesTest)
void OutputPagesTest::largePageFillsTheMemoInParts() {
    const tw::TMapProfile profile;
    ScriptedDialogs dialogs;
    tw::ui::OutputStatusPage page(profile, dialogs);
    auto* memo = page.findChild<QPlainTextEdit*>(QStringLiteral("memoGenerated"));
    QVERIFY(memo);
    // A megabyte of CR LF lines with two-byte characters in them.
    auto makePage = [](const char* word) {
        std::string text;
        for (int i = 0; text.size() < 1000000; ++i)
            text += std::string("<li>") + word + " caf\xC3\xA9 " + std::to_string(i) + "</li>\r\n";
        return text;
    };
    const std::string first = makePage("first");
    page.ShowWritten(QStringLiteral("/tmp/a.html"), first);
    // The clipboard's text is whole at once; the memo begins at the top.
    QCOMPARE(page.GeneratedContents(), QString::fromStdString(first));
    QVERIFY(page.MemoFilling());
    QVERIFY(memo->toPlainText().startsWith(QStringLiteral("<li>first caf\u00e9 0</li>\n")));

    // A second page before the first is in replaces it, with nothing mixed.
    QCoreApplication::processEvents();
    const std::string second = makePage("second");
    page.ShowWritten(QStringLiteral("/tmp/b.html"), second);
    ProcessEventsUntil([&] { return !page.MemoFilling(); });
    QCOMPARE(memo->toPlainText(),
             QString::fromStdString(second).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QCOMPARE(page.GeneratedContents(), QString::fromStdString(second));
}

// Template.
void OutputPagesTest::templateFieldBrowsesAndRefusesAFaultyTemplate() {
    TestSite site;
    MakeSite(site);
    Wizard w;
    ToOutputSettings(w, site);
    QLineEdit* field = w.Edit("edTemplate");
    QVERIFY(!field->isEnabled() && !w.Button("btnBrowseTemplate")->isEnabled());
    w.Get<QRadioButton>("rbOutputModern")->click();
    QVERIFY(field->isEnabled() && w.Button("btnBrowseTemplate")->isEnabled());
    QCOMPARE(w.Get<QLabel>("lblTemplate")->buddy(), field);
    // Browse offers HTML files; the one chosen is the field's and the profile's.
    const QString faulty = site.Path(QStringLiteral("theme/plain.html"));
    site.WriteFile(QStringLiteral("theme/plain.html"), "<head></head><body>");
    w.dialogs.AnswerOpenFiles({faulty});
    w.Button("btnBrowseTemplate")->click();
    QVERIFY(w.dialogs.Last().open.filter.contains(QStringLiteral("*.html")));
    QCOMPARE(field->text(), faulty);
    QCOMPARE(w.window->Profile().PageTemplate(), faulty.toStdString());
    // Finish: an error box names the file; the wizard stays, nothing written.
    w.dialogs.AnswerMessage(MsgResult::Ok);
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 3);
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::Error);
    QVERIFY2(w.dialogs.Last().text.contains(faulty + QStringLiteral(" holds no")),
             qPrintable(w.dialogs.Last().text));
    QCOMPARE(QApplication::focusWidget(), field);
    QVERIFY(!QFile::exists(site.Path(QStringLiteral("sitemap.html"))));
    site.WriteFile(QStringLiteral("theme/page.html"),
                   "<head></head><body><!-- trailwright:sitemap --></body>");
    field->setText(site.Path(QStringLiteral("theme/page.html")));
    w.Button("btnNext")->click();
    QCOMPARE(w.window->WizardPage(), 4);
    QVERIFY(ReadAll(site.Path(QStringLiteral("sitemap.html")))
                .contains("<body><nav id=\"trailwright-sitemap\""));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

#include "OutputPagesTest.moc"
