// Where the wizard keeps what it writes: beside the programs while their
// folder is writable, in the user's configuration folder when it is not (an
// installed program). Images and the manual still come from the program folder.

#include "support/ConfigFolder.h"

#include "WizardFixture.h"
#include "output/OutputTargets.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <map>
#include <sys/stat.h>

using tw::ui::MsgIcon;
using tw::ui::MsgResult;
using tw::ui::TfrmSiteMapMain;

namespace {

// Lookups with an environment of the test's own. Root may write in any
// folder, so writability is read from the owner's permission bits as well:
// a folder the test made read-only is unwritable whoever runs the test.
tw::ConfigLookups Lookups(std::map<std::string, std::string> env) {
    tw::ConfigLookups lookups;
    lookups.variable = [env](const char* name) -> std::optional<std::string> {
        auto it = env.find(name);
        return it == env.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    lookups.writable = [](const std::string& folder) {
        struct stat st {};
        return stat(folder.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) != 0 &&
               tw::FolderWritable(folder);
    };
    lookups.installed = [](const std::string&) { return false; };
    return lookups;
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name);
}

// A folder of the test's own, in which an installed program folder is laid
// out: the manual and the item images, made read-only.
struct Installed {
    QTemporaryDir root{QDir::tempPath() + QStringLiteral("/tw-installed-XXXXXX")};
    QString program = Path("lib/zephyrix-trailwright/");

    Installed() {
        WriteAbsolute(program + QStringLiteral("Trailwright.html"), "<html></html>");
        for (const char* image : tw::kItemImages)
            WriteAbsolute(program + QStringLiteral("smimages/") + QString::fromLatin1(image),
                          QByteArray("GIF89a-") + image);
        QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                           QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    }
    ~Installed() {
        // Writable again, so that the temporary folder can go.
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString Path(const char* relative) const {
        return root.path() + QLatin1Char('/') + QLatin1String(relative);
    }
};

// Shows the window and waits for its first activation (the settings are read),
// which the show queues.
void StartUp(TfrmSiteMapMain& window) {
    window.show();
    ProcessEventsUntil([&] { return !window.FirstActivatePending(); });
}

template <typename T> T* Child(const TfrmSiteMapMain& window, const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
}

// The settings file in Folder, read back; LoadLast tells it was found.
bool StoredLoadLast(const QString& folder, bool* found) {
    tw::TSiteMapSettings settings(folder.toStdString());
    *found = tw::LoadSettingsFile(settings);
    return settings.LoadLast();
}

// Sets an environment variable for a test and restores it afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray& value)
        : name_(name), old_(qgetenv(name)), wasSet_(qEnvironmentVariableIsSet(name)) {
        qputenv(name_, value);
    }
    ~ScopedVariable() {
        if (wasSet_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray old_;
    bool wasSet_;
};

} // namespace

class ConfigFolderTest : public QObject {
    Q_OBJECT
private slots:
    void readOnlyProgramFolderWritesToTheXdgFolder();
    void withoutXdgConfigHomeTheHomeConfigFolderIsUsed();
    void programFolderThatCannotExistIsSeenBySystemCheck();
    void writableProgramFolderStaysPortable();
    void configFolderThatCannotBeMadeIsReportedAtExit();
};

void ConfigFolderTest::readOnlyProgramFolderWritesToTheXdgFolder() {
    Installed installed;
    const QString config = installed.Path("xdg");
    const QString folder = config + QStringLiteral("/zephyrix-trailwright/");
    const QStringList programFiles = Entries(installed.program);
    TestSite site;
    site.WritePage(QStringLiteral("index.html"), QStringLiteral("Home"));
    site.WritePage(QStringLiteral("docs/guide.html"), QStringLiteral("Guide"));
    const tw::ConfigLookups lookups = Lookups({{"XDG_CONFIG_HOME", config.toStdString()},
                                               {"HOME", installed.Path("home").toStdString()}});
    {
        ScriptedDialogs dialogs;
        TfrmSiteMapMain window(dialogs, {}, installed.program.toStdString(), lookups);
        StartUp(window);
        QCOMPARE(QString::fromStdString(window.ConfigFolderPath()), folder);
        QCOMPARE(QString::fromStdString(window.Settings()->SettingFile()),
                 folder + QStringLiteral("SiteMap.dat"));
        // Nothing is made before something is written.
        QVERIFY(!QFileInfo::exists(config));

        // Save As proposes the profiles folder of the configuration folder.
        Child<QLineEdit>(window, "editIndex")->setText(site.Path(QStringLiteral("index.html")));
        dialogs.AnswerSaveFile({});
        Child<QPushButton>(window, "btnSaveProfileAs")->click();
        QCOMPARE(dialogs.Last().save.startFolder, folder + QStringLiteral("Profiles/"));

        // The preview file is written there for a moment: the folder is made,
        // private to the user, and left empty.
        Child<QCheckBox>(window, "chkLoadLast")->click();
        Child<QPushButton>(window, "btnNext")->click();
        Child<QPushButton>(window, "btnNext")->click();
        QCOMPARE(window.WizardPage(), int(TfrmSiteMapMain::kOutputSettings));
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(Entries(folder), QStringList());
        QCOMPARE(QFile::permissions(folder) &
                     (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
                 QFile::Permissions());

        // The item images still come from the program folder.
        if (!Child<QCheckBox>(window, "chkAddImages")->isChecked())
            Child<QCheckBox>(window, "chkAddImages")->click();
        Child<QPushButton>(window, "btnNext")->click();
        QCOMPARE(window.WizardPage(), int(TfrmSiteMapMain::kOutputStatus));
        QVERIFY(QFile::exists(site.Path(QStringLiteral("sitemap.html"))));
        for (const char* image : tw::kItemImages) {
            QFile copied(site.Path(QString::fromLatin1(image)));
            QVERIFY2(copied.open(QIODevice::ReadOnly), image);
            QCOMPARE(copied.readAll(), QByteArray("GIF89a-") + image);
        }
        // The Save As question was the only one.
        QCOMPARE(dialogs.AskedSoFar().size(), 1);
        QVERIFY2(dialogs.Finished(), qPrintable(dialogs.Report()));
    }
    // At exit the settings went to the configuration folder without a box,
    // and the program folder is as it was.
    bool found = false;
    QVERIFY(StoredLoadLast(folder, &found));
    QVERIFY(found);
    QCOMPARE(Entries(installed.program), programFiles);
    {
        // The next start reads them back from there.
        ScriptedDialogs dialogs;
        TfrmSiteMapMain window(dialogs, {}, installed.program.toStdString(), lookups);
        StartUp(window);
        QVERIFY(Child<QCheckBox>(window, "chkLoadLast")->isChecked());
        QVERIFY2(dialogs.Finished(), qPrintable(dialogs.Report()));
    }
}

void ConfigFolderTest::withoutXdgConfigHomeTheHomeConfigFolderIsUsed() {
    Installed installed;
    const QString home = installed.Path("home");
    const QString folder = home + QStringLiteral("/.config/zephyrix-trailwright/");
    // Unset, and relative (which XDG says to ignore).
    for (const char* xdg : {"", "relative/config"}) {
        std::map<std::string, std::string> env{{"HOME", home.toStdString()}};
        if (*xdg)
            env["XDG_CONFIG_HOME"] = xdg;
        {
            ScriptedDialogs dialogs;
            TfrmSiteMapMain window(dialogs, {}, installed.program.toStdString(), Lookups(env));
            StartUp(window);
            QCOMPARE(QString::fromStdString(window.ConfigFolderPath()), folder);
            Child<QCheckBox>(window, "chkLoadLast")->click();
            QVERIFY2(dialogs.Finished(), qPrintable(dialogs.Report()));
        }
        bool found = false;
        QCOMPARE(StoredLoadLast(folder, &found), *xdg == 0);
        QVERIFY(found);
    }
    QVERIFY(!QFileInfo::exists(installed.program + QStringLiteral("SiteMap.dat")));
    QVERIFY(!QFileInfo::exists(QDir::currentPath() + QStringLiteral("/relative")));
}

void ConfigFolderTest::programFolderThatCannotExistIsSeenBySystemCheck() {
    // The window's own lookups: no folder can be made below a plain file,
    // not even by root; and an installed folder moves whoever may write it.
    Installed installed;
    WriteAbsolute(installed.Path("plain"), "not a folder");
    WriteAbsolute(installed.Path("marked/installed"), "");
    const QString config = installed.Path("xdg");
    ScopedVariable xdg("XDG_CONFIG_HOME", config.toUtf8());
    const QString folder = config + QStringLiteral("/zephyrix-trailwright/");
    bool loadLast = false;
    for (const char* program : {"plain/bin/", "marked/"}) {
        {
            ScriptedDialogs dialogs;
            TfrmSiteMapMain window(dialogs, {}, installed.Path(program).toStdString());
            StartUp(window);
            QCOMPARE(QString::fromStdString(window.ConfigFolderPath()), folder);
            Child<QCheckBox>(window, "chkLoadLast")->click();
            loadLast = !loadLast;
            QVERIFY2(dialogs.Finished(), qPrintable(dialogs.Report()));
        }
        bool found = false;
        QCOMPARE(StoredLoadLast(folder, &found), loadLast);
        QVERIFY(found);
    }
    QCOMPARE(Entries(installed.Path("marked")), QStringList{QStringLiteral("installed")});
}

void ConfigFolderTest::writableProgramFolderStaysPortable() {
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/tw-portable-XXXXXX"));
    const QString program = root.path() + QStringLiteral("/program/");
    QVERIFY(QDir().mkpath(program));
    const QString config = root.path() + QStringLiteral("/xdg");
    {
        ScriptedDialogs dialogs;
        TfrmSiteMapMain window(dialogs, {}, program.toStdString(),
                               Lookups({{"XDG_CONFIG_HOME", config.toStdString()}}));
        StartUp(window);
        QCOMPARE(QString::fromStdString(window.ConfigFolderPath()), program);
        Child<QCheckBox>(window, "chkLoadLast")->click();
        QVERIFY2(dialogs.Finished(), qPrintable(dialogs.Report()));
    }
    bool found = false;
    QVERIFY(StoredLoadLast(program, &found));
    QVERIFY(found);
    QVERIFY(!QFileInfo::exists(config));
}

void ConfigFolderTest::configFolderThatCannotBeMadeIsReportedAtExit() {
    Installed installed;
    WriteAbsolute(installed.Path("plain"), "not a folder");
    const QString folder = installed.Path("plain/zephyrix-trailwright/");
    ScriptedDialogs dialogs;
    {
        TfrmSiteMapMain window(
            dialogs, {}, installed.program.toStdString(),
            Lookups({{"XDG_CONFIG_HOME", installed.Path("plain").toStdString()}}));
        StartUp(window);
        QCOMPARE(QString::fromStdString(window.ConfigFolderPath()), folder);
        dialogs.AnswerMessage(MsgResult::Ok);
    }
    // The failure is told, not swallowed, and the program still ends.
    QCOMPARE(dialogs.AskedSoFar().size(), 1);
    QCOMPARE(dialogs.Last().icon, MsgIcon::Error);
    QCOMPARE(dialogs.Last().text, QStringLiteral("Cannot create file ") + folder +
                                      QStringLiteral("SiteMap.dat: Not a directory."));
    QVERIFY2(dialogs.Finished(), qPrintable(dialogs.Report()));
}

TW_GUI_TEST(ConfigFolderTest)
#include "ConfigFolderTest.moc"
