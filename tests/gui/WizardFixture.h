#pragma once

#include "GuiTestUtil.h"
#include "ScriptedDialogs.h"
#include "model/ProfileRules.h"
#include "ui/InformationPage.h"
#include "ui/SiteMapMainForm.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The real main window, shown offscreen, with scripted dialogs and a program
// folder of its own in a temporary folder (settings, preview, help file).
struct Wizard {
    enum Deferred { kDeferred };

    QTemporaryDir home{QDir::tempPath() + QStringLiteral("/tw-program-XXXXXX")};
    ScriptedDialogs dialogs;
    std::unique_ptr<tw::ui::TfrmSiteMapMain> window;

    Wizard() { Start(); }
    // Lets the test put files into the program folder before the start.
    explicit Wizard(Deferred) {}

    // Builds and shows the window with these arguments and waits until the
    // start-up sequence of the first activation has run (the show queues it).
    void Start(const QStringList& arguments = {}) {
        window = std::make_unique<tw::ui::TfrmSiteMapMain>(dialogs, arguments,
                                                           ProgramFolder().toStdString());
        window->show();
        ProcessEventsUntil([this] { return !window->FirstActivatePending(); });
    }

    // The program folder with a trailing "/".
    QString ProgramFolder() const { return home.path() + QLatin1Char('/'); }
    QString SettingsFile() const { return ProgramFolder() + QStringLiteral("SiteMap.dat"); }

    template <typename T> T* Get(const char* name) const { return Find<T>(window.get(), name); }
    QPushButton* Button(const char* name) const { return Get<QPushButton>(name); }
    QLineEdit* Edit(const char* name) const { return Get<QLineEdit>(name); }
    QListWidget* List(const char* name) const { return Get<QListWidget>(name); }
    QString Log() const { return Get<QPlainTextEdit>("memoFiles")->toPlainText(); }
    QString LabelText(const char* name) const;
    // The texts of a list's items.
    std::vector<std::string> ListTexts(const char* name) const;
    // An entry added to the profile's folder ignore list as the results page's
    // command adds it, shown on the information page.
    void IgnoreFolder(const std::string& folder) {
        tw::AppendIgnoreFolder(window->Profile(), folder);
        window->Information()->ShowIgnoreLists();
    }
    void IgnoreFile(const std::string& file) {
        tw::AppendIgnoreFile(window->Profile(), file);
        window->Information()->ShowIgnoreLists();
    }

    // Types the index page and presses Next: the scan runs to its end.
    void Scan(const QString& indexPage);
};

inline QString Wizard::LabelText(const char* name) const {
    auto* label = Get<QLabel>(name);
    return label ? label->text() : QStringLiteral("<no label %1>").arg(QLatin1String(name));
}

inline std::vector<std::string> Wizard::ListTexts(const char* name) const {
    std::vector<std::string> texts;
    if (QListWidget* list = List(name))
        for (int i = 0; i < list->count(); ++i)
            texts.push_back(list->item(i)->text().toStdString());
    return texts;
}

inline void Wizard::Scan(const QString& indexPage) {
    Edit("editIndex")->setText(indexPage);
    Button("btnNext")->click();
}
