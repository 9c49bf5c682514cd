// The profile commands Open, Save and Save As, the save question before
// changes are lost (also on closing), the settings file at start-up and at
// exit, and the start profile from the command line or the last run.

#include "persist/ProfileFiles.h"

#include "WizardFixture.h"
#include "persist/SiteMapSettings.h"
#include "ui/ColorPickerButton.h"
#include "ui/InformationPage.h"
#include "ui/OutputSettingsPage.h"
#include "ui/OutputStatusPage.h"

#include <QCheckBox>
#include <QFile>
#include <QRadioButton>

using tw::ui::MsgButtons;
using tw::ui::MsgIcon;
using tw::ui::MsgResult;

namespace {

const QString kQuestion = QStringLiteral(
    "The settings for the current profile have changed.\n\nDo you wish to save this profile?");
const QString kFilter = QStringLiteral("Zephyrix Trailwright Profile (*.zpf)|*.zpf");

// A profile file written by the core, as a saved profile would be.
tw::TMapProfile WriteSample(const QString& path) {
    tw::TMapProfile p = tw::MakeStartupProfile();
    p.SetIndexPage("/srv/www/index.html");
    p.SetIgnoreFolders("/srv/www/old/\r\n/srv/www/tmp/\r\n");
    p.SetOutputFileName("/srv/www/map.html");
    p.SetUsePageTitles(false);
    p.SetOutputType(tw::TMapOutputType::moutInsert);
    p.SetclrVisited(tw::kColorNone);
    p.SetclrLink(0x00AA00);
    p.SetAddImages(false);
    p.SetNoFolderImages(true);
    p.SetOutputFormat(tw::TMapOutputFormat::mfmtList);
    p.SetFileName(path.toStdString());
    tw::WriteProfile(p);
    return p;
}

tw::TSiteMapSettings ReadSettings(const QString& programFolder) {
    tw::TSiteMapSettings settings(programFolder.toStdString());
    tw::LoadSettingsFile(settings);
    return settings;
}

void CheckShowsSample(Wizard& w) {
    QCOMPARE(w.Edit("editIndex")->text(), QStringLiteral("/srv/www/index.html"));
    QCOMPARE(w.List("lstIgnoreFolders")->count(), 2);
    QCOMPARE(w.Edit("editOutputFile")->text(), QStringLiteral("/srv/www/map.html"));
    QVERIFY(!w.Get<QCheckBox>("chkUsePageTitles")->isChecked());
    // The insert target cannot be shown: the file is, and nothing is marked.
    QVERIFY(w.Get<QRadioButton>("rbOutputFile")->isChecked());
    QCOMPARE(w.window->Profile().OutputType(), tw::TMapOutputType::moutFile);
    auto* visited = w.Get<tw::ui::ColorPickerButton>("cpbVisited");
    QCOMPARE(visited->Caption(), QStringLiteral("None"));
    QCOMPARE(w.window->Profile().clrVisited(), tw::kColorNone);
    QCOMPARE(w.Get<tw::ui::ColorPickerButton>("cpbLink")->Color(), 0x00AA00);
    QVERIFY(w.Get<QRadioButton>("rbOutputUnnumberedList")->isChecked());
    QVERIFY(!w.Get<QCheckBox>("chkAddImages")->isChecked());
    QVERIFY(w.Get<QCheckBox>("chkNoFolderImages")->isChecked());
    QVERIFY(!w.Get<QCheckBox>("chkNoFolderImages")->isEnabled());
    QVERIFY(!w.window->Profile().Modified());
}

} // namespace

class ProfileFilesTest : public QObject {
    Q_OBJECT
private slots:
    void saveUntitledAsksForName();
    void saveTitledWritesSilently();
    void saveAsProposesCurrentName();
    void failedSaveKeepsTheProfileModified();
    void openAppliesTheFileAndReturnsToFirstPage();
    void openWhileModifiedAsks_data();
    void openWhileModifiedAsks();
    void failedOpenLeavesTheWindowAsItWas();
    void closeAsksOnlyWhenModified_data();
    void closeAsksOnlyWhenModified();
    void startsWithCommandLineProfile();
    void startsWithMissingCommandLineProfile();
    void startsWithLastProfileUnlessMissing();
    void failedStartShowsWhatTheProfileHolds_data();
    void failedStartShowsWhatTheProfileHolds();
    void loadLastIsStoredAtExit();
};

void ProfileFilesTest::saveUntitledAsksForName() {
    Wizard w;
    QVERIFY(w.window->Profile().Untitled());
    w.Edit("editIndex")->setText(QStringLiteral("/srv/site/index.html"));
    // A name typed without an extension is saved as a profile file.
    const QString chosen = w.ProgramFolder() + QStringLiteral("mine");
    w.dialogs.AnswerSaveFile(chosen);
    w.Button("btnSaveProfile")->click();
    const tw::ui::SaveFileRequest& asked = w.dialogs.Last().save;
    QCOMPARE(asked.startFolder, w.ProgramFolder() + QStringLiteral("Profiles/"));
    QCOMPARE(asked.fileName, QStringLiteral("Untitled.zpf"));
    QCOMPARE(asked.filter, kFilter);
    QCOMPARE(asked.defaultSuffix, QStringLiteral("zpf"));
    // The default folder is proposed, never made.
    QVERIFY(!QFile::exists(w.ProgramFolder() + QStringLiteral("Profiles")));

    const QString file = chosen + QStringLiteral(".zpf");
    QVERIFY(QFile::exists(file));
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Zephyrix Trailwright - ") + file);
    QVERIFY(!w.window->Profile().Modified());
    QVERIFY(!w.window->Profile().Untitled());
    QCOMPARE(QString::fromStdString(w.window->Settings()->LastFile()), file);
    tw::TMapProfile read;
    tw::LoadProfile(read, file.toStdString());
    QCOMPARE(read.IndexPage(), "/srv/site/index.html");
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ProfileFilesTest::saveTitledWritesSilently() {
    Wizard w;
    const QString file = w.ProgramFolder() + QStringLiteral("site.zpf");
    w.dialogs.AnswerSaveFile(file);
    w.Button("btnSaveProfileAs")->click();
    const QString caption = w.window->windowTitle();
    QFile::remove(file);
    // Not modified, and still written: no dialog, no question.
    w.Button("btnSaveProfile")->click();
    QVERIFY(QFile::exists(file));
    QCOMPARE(w.window->windowTitle(), caption);
    QCOMPARE(w.dialogs.AskedSoFar().size(), 1);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ProfileFilesTest::saveAsProposesCurrentName() {
    Wizard w;
    const QString file = w.ProgramFolder() + QStringLiteral("first.zpf");
    w.dialogs.AnswerSaveFile(file);
    w.Button("btnSaveProfileAs")->click();
    w.Edit("editIndex")->setText(QStringLiteral("/x/index.html"));
    // Cancelled: nothing changes.
    w.dialogs.AnswerSaveFile(QString());
    w.Button("btnSaveProfileAs")->click();
    QCOMPARE(w.dialogs.Last().save.fileName, file);
    QCOMPARE(w.dialogs.Last().save.startFolder, w.ProgramFolder());
    QVERIFY(w.window->Profile().Modified());
    QCOMPARE(QString::fromStdString(w.window->Profile().FileName()), file);
    // A titled profile in a folder that is gone: no start folder.
    w.window->Profile().SetFileName("/no/such/tw/folder/p.zpf");
    w.dialogs.AnswerSaveFile(QString());
    w.Button("btnSaveProfileAs")->click();
    QCOMPARE(w.dialogs.Last().save.startFolder, QString());
    QCOMPARE(w.dialogs.Last().save.fileName, QStringLiteral("/no/such/tw/folder/p.zpf"));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ProfileFilesTest::failedSaveKeepsTheProfileModified() {
    Wizard w;
    const QString caption = w.window->windowTitle();
    w.Edit("editIndex")->setText(QStringLiteral("/x/index.html"));
    const QString file = w.ProgramFolder() + QStringLiteral("gone/p.zpf");
    w.dialogs.AnswerSaveFile(file);
    w.dialogs.AnswerMessage(MsgResult::Ok);
    w.Button("btnSaveProfile")->click();
    QCOMPARE(w.dialogs.Last().caption, QStringLiteral("Zephyrix Trailwright"));
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::Error);
    QCOMPARE(w.dialogs.Last().buttons, MsgButtons::Ok);
    QCOMPARE(w.dialogs.Last().text, QStringLiteral("Cannot create file ") + file +
                                        QStringLiteral(": No such file or directory."));
    QVERIFY(w.window->Profile().Modified());
    QCOMPARE(QString::fromStdString(w.window->Profile().FileName()), file);
    QCOMPARE(QString::fromStdString(w.window->Settings()->LastFile()), file);
    QCOMPARE(w.window->windowTitle(), caption);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ProfileFilesTest::openAppliesTheFileAndReturnsToFirstPage() {
    TestSite site;
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("Home"));
    Wizard w;
    // Written under another name, then moved: the recorded name wins.
    const QString recorded = w.ProgramFolder() + QStringLiteral("recorded.zpf");
    WriteSample(recorded);
    const QString moved = w.ProgramFolder() + QStringLiteral("moved.zpf");
    QVERIFY(QFile::rename(recorded, moved));
    w.Scan(site.Path(QStringLiteral("index.html")));
    QCOMPARE(w.window->WizardPage(), 2);
    w.window->Profile().SetModified(false);

    w.dialogs.AnswerOpenFiles({moved});
    w.Button("btnOpenProfile")->click();
    QCOMPARE(w.dialogs.Last().open.filter, kFilter);
    QCOMPARE(w.window->WizardPage(), 0);
    QCOMPARE(w.LabelText("lblHeader"),
             QStringLiteral("Zephyrix Trailwright - Gathering Information"));
    CheckShowsSample(w);
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Zephyrix Trailwright - ") + recorded);
    QCOMPARE(QString::fromStdString(w.window->Settings()->LastFile()), moved);

    // The next Open starts in the folder of the current name.
    w.dialogs.AnswerOpenFiles({});
    w.Button("btnOpenProfile")->click();
    QCOMPARE(w.dialogs.Last().open.startFolder, w.ProgramFolder());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ProfileFilesTest::openWhileModifiedAsks_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("opened");
    QTest::newRow("Cancel") << int(MsgResult::Cancel) << false;
    QTest::newRow("No") << int(MsgResult::No) << true;
    QTest::newRow("Yes, Save As cancelled") << int(MsgResult::Yes) << false;
}

void ProfileFilesTest::openWhileModifiedAsks() {
    QFETCH(int, answer);
    QFETCH(bool, opened);
    Wizard w;
    const QString file = w.ProgramFolder() + QStringLiteral("sample.zpf");
    WriteSample(file);
    w.Edit("editIndex")->setText(QStringLiteral("/mine/index.html"));
    w.dialogs.AnswerMessage(static_cast<MsgResult>(answer));
    if (static_cast<MsgResult>(answer) == MsgResult::Yes)
        w.dialogs.AnswerSaveFile(QString());
    if (opened)
        w.dialogs.AnswerOpenFiles({file});
    w.Button("btnOpenProfile")->click();
    const ScriptedDialogs::Asked& question = w.dialogs.AskedSoFar().front();
    QCOMPARE(question.caption, QStringLiteral("Save Profile"));
    QCOMPARE(question.text, kQuestion);
    QCOMPARE(question.icon, MsgIcon::Question);
    QCOMPARE(question.buttons, MsgButtons::YesNoCancel);
    if (opened) {
        CheckShowsSample(w);
    } else {
        QCOMPARE(w.Edit("editIndex")->text(), QStringLiteral("/mine/index.html"));
        QVERIFY(w.window->Profile().Modified());
        QVERIFY(w.window->Profile().Untitled());
    }
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ProfileFilesTest::failedOpenLeavesTheWindowAsItWas() {
    Wizard w;
    const QString file = w.ProgramFolder() + QStringLiteral("broken.zpf");
    WriteAbsolute(file, "not a profile at all");
    w.dialogs.AnswerSaveFile(w.ProgramFolder() + QStringLiteral("mine.zpf"));
    w.Button("btnSaveProfileAs")->click();
    w.Edit("editIndex")->setText(QStringLiteral("/mine/index.html"));
    w.window->Profile().SetModified(false);
    w.dialogs.AnswerOpenFiles({file});
    w.dialogs.AnswerMessage(MsgResult::Ok);
    w.Button("btnOpenProfile")->click();
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::Error);
    QCOMPARE(w.dialogs.Last().text, QStringLiteral("Invalid stream format."));
    QCOMPARE(w.Edit("editIndex")->text(), QStringLiteral("/mine/index.html"));
    QCOMPARE(QString::fromStdString(w.window->Settings()->LastFile()), file);
    // The unreadable file may be the user's only copy: neither its name nor
    // the one before is taken, so Save asks for a name.
    QVERIFY(w.window->Profile().Untitled());
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Zephyrix Trailwright - Untitled.zpf"));
    w.dialogs.AnswerSaveFile({});
    w.Button("btnSaveProfile")->click();
    QCOMPARE(w.dialogs.Last().save.fileName, QStringLiteral("Untitled.zpf"));
    QCOMPARE(ReadAll(file), QByteArray("not a profile at all"));

    // A file that breaks off after most of its properties changes none of
    // them: the profile keeps agreeing with what the controls show.
    const QString cut = w.ProgramFolder() + QStringLiteral("cut.zpf");
    WriteSample(cut);
    QFile cutFile(cut);
    QVERIFY(cutFile.resize(cutFile.size() - 3));
    const bool noFolderImages = w.window->Profile().NoFolderImages();
    const tw::TColor link = w.window->Profile().clrLink();
    w.dialogs.AnswerOpenFiles({cut});
    w.dialogs.AnswerMessage(MsgResult::Ok);
    w.Button("btnOpenProfile")->click();
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::Error);
    QCOMPARE(w.window->Profile().IndexPage(), "/mine/index.html");
    QCOMPARE(w.window->Profile().NoFolderImages(), noFolderImages);
    QCOMPARE(w.Get<QCheckBox>("chkNoFolderImages")->isChecked(), noFolderImages);
    QCOMPARE(w.window->Profile().clrLink(), link);
    QCOMPARE(w.Get<tw::ui::ColorPickerButton>("cpbLink")->Color(), link);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ProfileFilesTest::closeAsksOnlyWhenModified_data() {
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAs"); // the Save As answer after Yes
    QTest::addColumn<bool>("closed");
    QTest::newRow("not modified") << false << -1 << QString() << true;
    QTest::newRow("Cancel") << true << int(MsgResult::Cancel) << QString() << false;
    QTest::newRow("No") << true << int(MsgResult::No) << QString() << true;
    QTest::newRow("Yes, Save As cancelled") << true << int(MsgResult::Yes) << QString() << false;
    QTest::newRow("Yes, saved") << true << int(MsgResult::Yes) << QStringLiteral("closing.zpf")
                                << true;
}

void ProfileFilesTest::closeAsksOnlyWhenModified() {
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, closed);
    Wizard w;
    if (modified)
        w.Edit("editIndex")->setText(QStringLiteral("/x/index.html"));
    QCOMPARE(w.window->Profile().Modified(), modified);
    if (answer >= 0)
        w.dialogs.AnswerMessage(static_cast<MsgResult>(answer));
    if (static_cast<MsgResult>(answer) == MsgResult::Yes)
        w.dialogs.AnswerSaveFile(saveAs.isEmpty() ? QString() : w.ProgramFolder() + saveAs);
    w.Button("btnCancel")->click();
    QCOMPARE(!w.window->isVisible(), closed);
    if (answer >= 0)
        QCOMPARE(w.dialogs.AskedSoFar().front().text, kQuestion);
    else
        QVERIFY(w.dialogs.AskedSoFar().isEmpty());
    if (!saveAs.isEmpty())
        QVERIFY(QFile::exists(w.ProgramFolder() + saveAs));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ProfileFilesTest::startsWithCommandLineProfile() {
    Wizard w(Wizard::kDeferred);
    const QString file = w.ProgramFolder() + QStringLiteral("given.zpf");
    WriteSample(file);
    // The argument wins over the last profile.
    tw::TSiteMapSettings settings(w.ProgramFolder().toStdString());
    settings.SetLoadLast(true);
    settings.SetLastFile((w.ProgramFolder() + QStringLiteral("other.zpf")).toStdString());
    tw::SaveSettingsFile(settings);
    w.Start({file});
    CheckShowsSample(w);
    QVERIFY(w.Get<QCheckBox>("chkLoadLast")->isChecked());
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Zephyrix Trailwright - ") + file);
    QCOMPARE(w.window->AnimationFrames().size(), 11);
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ProfileFilesTest::startsWithMissingCommandLineProfile() {
    Wizard w(Wizard::kDeferred);
    const QString file = w.ProgramFolder() + QStringLiteral("new.zpf");
    w.Start({file});
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Zephyrix Trailwright - ") + file);
    QCOMPARE(w.Edit("editIndex")->text(), QString());
    QVERIFY(w.Get<QRadioButton>("rbOutputParagraph")->isChecked());
    QVERIFY(!w.window->Profile().Modified());
    QVERIFY(!w.window->Profile().Untitled());
    // Save writes to that name without a dialog.
    w.Button("btnSaveProfile")->click();
    QVERIFY(QFile::exists(file));
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

void ProfileFilesTest::startsWithLastProfileUnlessMissing() {
    QString programFolder;
    QString file;
    {
        Wizard w;
        programFolder = w.ProgramFolder();
        w.home.setAutoRemove(false);
        file = w.ProgramFolder() + QStringLiteral("last.zpf");
        WriteSample(file);
        w.Get<QCheckBox>("chkLoadLast")->click();
        w.dialogs.AnswerOpenFiles({file});
        w.Button("btnOpenProfile")->click();
        QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
    }
    {
        ScriptedDialogs dialogs;
        tw::ui::TfrmSiteMapMain window(dialogs, {}, programFolder.toStdString());
        window.show();
        ProcessEventsUntil([&] { return !window.FirstActivatePending(); });
        QCOMPARE(window.windowTitle(), QStringLiteral("Zephyrix Trailwright - ") + file);
        QCOMPARE(window.Profile().IndexPage(), "/srv/www/index.html");
        QVERIFY2(dialogs.Finished(), qPrintable(dialogs.Report()));
    }
    QVERIFY(QFile::remove(file));
    {
        // Gone: the defaults, without a message.
        ScriptedDialogs dialogs;
        tw::ui::TfrmSiteMapMain window(dialogs, {}, programFolder.toStdString());
        window.show();
        ProcessEventsUntil([&] { return !window.FirstActivatePending(); });
        QCOMPARE(window.windowTitle(), QStringLiteral("Zephyrix Trailwright - Untitled.zpf"));
        QCOMPARE(window.Profile().IndexPage(), "");
        QVERIFY(window.findChild<QCheckBox*>(QStringLiteral("chkLoadLast"))->isChecked());
        QVERIFY2(dialogs.Finished(), qPrintable(dialogs.Report()));
    }
    QDir(programFolder).removeRecursively();
}

void ProfileFilesTest::failedStartShowsWhatTheProfileHolds_data() {
    QTest::addColumn<bool>("damagedSettings");
    QTest::addColumn<QString>("argument"); // a file of the program folder
    QTest::addColumn<QString>("lastFile"); // with LoadLast set
    QTest::addColumn<int>("errors");
    QTest::addColumn<bool>("showsSample");
    QTest::newRow("damaged settings") << true << QString() << QString() << 1 << false;
    QTest::newRow("damaged settings, good argument")
        << true << QStringLiteral("good.zpf") << QString() << 1 << true;
    QTest::newRow("damaged argument")
        << false << QStringLiteral("bad.zpf") << QString() << 1 << false;
    QTest::newRow("damaged last profile")
        << false << QString() << QStringLiteral("bad.zpf") << 1 << false;
    QTest::newRow("both damaged") << true << QStringLiteral("bad.zpf") << QString() << 2 << false;
}

// However the start goes wrong, the error is shown, the start goes on, and
// the controls show exactly what Finish would write.
void ProfileFilesTest::failedStartShowsWhatTheProfileHolds() {
    QFETCH(bool, damagedSettings);
    QFETCH(QString, argument);
    QFETCH(QString, lastFile);
    QFETCH(int, errors);
    QFETCH(bool, showsSample);
    Wizard w(Wizard::kDeferred);
    WriteSample(w.ProgramFolder() + QStringLiteral("good.zpf"));
    WriteAbsolute(w.ProgramFolder() + QStringLiteral("bad.zpf"), "TPF0 damaged");
    if (damagedSettings) {
        WriteAbsolute(w.SettingsFile(), "TPF0 damaged");
    } else {
        tw::TSiteMapSettings settings(w.ProgramFolder().toStdString());
        settings.SetLoadLast(!lastFile.isEmpty());
        settings.SetLastFile((w.ProgramFolder() + lastFile).toStdString());
        tw::SaveSettingsFile(settings);
    }
    for (int i = 0; i < errors; ++i)
        w.dialogs.AnswerMessage(MsgResult::Ok);
    w.Start(argument.isEmpty() ? QStringList() : QStringList{w.ProgramFolder() + argument});
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
    QCOMPARE(w.dialogs.Last().icon, MsgIcon::Error);

    const tw::TMapProfile& profile = w.window->Profile();
    QVERIFY(!profile.Modified());
    QCOMPARE(profile.Untitled(), !showsSample);
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Zephyrix Trailwright - ") +
                                          QString::fromStdString(profile.FileName()));
    if (showsSample)
        CheckShowsSample(w);
    QCOMPARE(w.Edit("editIndex")->text().toStdString(), profile.IndexPage());
    QCOMPARE(w.Edit("editOutputFile")->text().toStdString(), profile.OutputFileName());
    QCOMPARE(w.Get<QRadioButton>("rbOutputParagraph")->isChecked(),
             profile.OutputFormat() == tw::TMapOutputFormat::mfmtParagraph);
    QCOMPARE(w.Get<QCheckBox>("chkClassAttribs")->isChecked(), profile.ClassAttribs());
    QCOMPARE(w.Get<QCheckBox>("chkAddImages")->isChecked(), profile.AddImages());
    QCOMPARE(w.Get<QCheckBox>("chkUsePageTitles")->isChecked(), profile.UsePageTitles());
    QCOMPARE(w.Get<QCheckBox>("chkLoadLast")->isChecked(), w.window->Settings()->LoadLast());
    QVERIFY(!w.window->AnimationFrames().isEmpty());
    // A damaged settings file counts for nothing and is written anew at exit.
    if (damagedSettings)
        QVERIFY(!w.window->Settings()->LoadLast());
    w.window.reset();
    tw::TSiteMapSettings settings(w.ProgramFolder().toStdString());
    QVERIFY(tw::LoadSettingsFile(settings));
}

void ProfileFilesTest::loadLastIsStoredAtExit() {
    Wizard w;
    QVERIFY(!QFile::exists(w.SettingsFile()));
    w.Get<QCheckBox>("chkLoadLast")->click();
    QVERIFY(w.window->Settings()->LoadLast());
    w.window.reset();
    tw::TSiteMapSettings settings = ReadSettings(w.ProgramFolder());
    QVERIFY(settings.LoadLast());
    QCOMPARE(settings.LastFile(), "");
    QCOMPARE(QString::fromStdString(settings.SettingFile()), w.SettingsFile());
    QVERIFY2(w.dialogs.Finished(), qPrintable(w.dialogs.Report()));
}

TW_GUI_TEST(ProfileFilesTest)
#include "ProfileFilesTest.moc"
