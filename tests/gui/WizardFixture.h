#pragma once

#include "GuiTestUtil.h"
#include "ScriptedDialogs.h"
#include "ui/SiteMapMainForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

// The real main window, shown offscreen, with scripted dialogs.
struct Wizard {
    ScriptedDialogs dialogs;
    std::unique_ptr<tw::ui::TfrmSiteMapMain> window;

    Wizard() {
        window = std::make_unique<tw::ui::TfrmSiteMapMain>(dialogs, QStringList{});
        window->show();
        // The start-up sequence runs by itself once the window is up.
        (void)QTest::qWaitFor([this] { return !window->AnimationFrames().isEmpty(); });
    }

    template <typename T> T* Get(const char* name) const { return Find<T>(window.get(), name); }
    QPushButton* Button(const char* name) const { return Get<QPushButton>(name); }
    QLineEdit* Edit(const char* name) const { return Get<QLineEdit>(name); }
    QListWidget* List(const char* name) const { return Get<QListWidget>(name); }
    QString Log() const { return Get<QPlainTextEdit>("memoFiles")->toPlainText(); }
    QString LabelText(const char* name) const;

    // Types the index page and presses Next: the scan runs to its end.
    void Scan(const QString& indexPage);
};

inline QString Wizard::LabelText(const char* name) const {
    auto* label = Get<QLabel>(name);
    return label ? label->text() : QStringLiteral("<no label %1>").arg(QLatin1String(name));
}

inline void Wizard::Scan(const QString& indexPage) {
    Edit("editIndex")->setText(indexPage);
    Button("btnNext")->click();
}
