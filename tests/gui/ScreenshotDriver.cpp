// tw_screenshots SITE_INDEX OUTPUT_FOLDER
//
// Walks the wizard through its pages on a real display (Xvfb in
// tools/screenshots.sh) and saves a picture of each page, of the results
// menu and of the item dialog. Dialogs are answered from a script, so the
// walk never waits for a user.

#include "ScriptedDialogs.h"
#include "support/NXFiles.h"
#include "ui/InformationPage.h"
#include "ui/ResultsPage.h"
#include "ui/SiteMapItemPropForm.h"
#include "ui/SiteMapMainForm.h"
#include "ui/SiteMapTreeModel.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

namespace {

QString outputFolder;
int failures = 0;

void Save(QWidget* widget, const QString& name) {
    QCoreApplication::processEvents();
    QString path = outputFolder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
        ++failures;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

template <typename T> T* Get(QWidget* w, const char* name) {
    return w->findChild<T*>(QString::fromLatin1(name));
}

} // namespace

int main(int argc, char* argv[]) {
    tw::SetApplicationExeName(argv[0]);
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: tw_screenshots SITE_INDEX OUTPUT_FOLDER\n");
        return 2;
    }
    const QString index = QString::fromLocal8Bit(argv[1]);
    outputFolder = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(outputFolder);
    const QString siteFolder = QString::fromStdString(tw::ExtractFilePath(index.toStdString()));

    ScriptedDialogs dialogs;
    tw::ui::TfrmSiteMapMain window(dialogs, {});
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "the window was not shown\n");
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        std::fprintf(stderr, "the window did not become active\n");

    // Page 0 with something in every control.
    Get<QLineEdit>(&window, "editIndex")->setText(index);
    window.Information()->AppendIgnoreFolder(
        (siteFolder + QStringLiteral("drafts/")).toStdString());
    window.Information()->AppendIgnoreFolder(
        (siteFolder + QStringLiteral("cgi-bin/")).toStdString());
    window.Information()->AppendIgnoreFile((siteFolder + QStringLiteral("old.html")).toStdString());
    Save(&window, QStringLiteral("0-information"));

    // Page 1 while the walk runs.
    bool statusSaved = false;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&] {
        auto* count = Get<QLabel>(&window, "lblFileCount");
        if (window.Searching() && count->text().toInt() >= 1500) {
            watcher.stop();
            // Let a few animation frames pass, so the picture is not frame 2.
            QTest::qWait(250);
            Save(&window, QStringLiteral("1-status"));
            statusSaved = true;
        }
    });
    watcher.start();
    Get<QPushButton>(&window, "btnNext")->click();
    if (!statusSaved) {
        std::fprintf(stderr, "the scan ended before the status page was saved\n");
        ++failures;
    }

    // Page 2 with a sub folder open and a page selected.
    auto* view = Get<QTreeView>(&window, "tvMap");
    tw::SiteMapNode* root = window.Tree().First();
    if (root) {
        for (int i = 0; i < root->ChildCount(); ++i)
            if (root->Child(i)->IsFolderNode()) {
                view->expand(window.Results()->Model()->IndexOf(root->Child(i)));
                if (root->Child(i)->ChildCount() > 0)
                    window.Results()->SelectNode(root->Child(i)->Child(0));
                break;
            }
    }
    Save(&window, QStringLiteral("2-results"));
    if (tw::SiteMapNode* node = window.Results()->SelectedNode()) {
        QRect r = view->visualRect(window.Results()->Model()->IndexOf(node));
        window.Results()->tvMapNodeContextMenu(node, view->viewport()->mapToGlobal(r.center()));
        QTest::qWait(100);
        Save(window.Results()->ContextMenu(), QStringLiteral("2b-results-menu"));
        window.Results()->ContextMenu()->hide();

        tw::ui::TfrmSiteMapItemProp dialog(&window);
        dialog.SetItem(QString::fromStdString(node->Data.FilePath),
                       QString::fromStdString(node->Data.LinkText),
                       QString::fromStdString(node->Data.LinkURL));
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            std::fprintf(stderr, "the dialog was not shown\n");
        Save(&dialog, QStringLiteral("2c-item-dialog"));
        dialog.hide();
    }

    Get<QPushButton>(&window, "btnNext")->click();
    // Keyboard users must see which button has the focus.
    Get<QPushButton>(&window, "btnNext")->setFocus(Qt::TabFocusReason);
    Save(&window, QStringLiteral("3-output-settings"));
    Get<QPushButton>(&window, "btnNext")->click();
    Save(&window, QStringLiteral("4-output-status"));

    // A larger window: the layouts should use the room.
    window.resize(900, 650);
    window.Results()->TreeView()->setFocus();
    Get<QPushButton>(&window, "btnBack")->click();
    Get<QPushButton>(&window, "btnBack")->click();
    Get<QPushButton>(&window, "btnBack")->click();
    Save(&window, QStringLiteral("5-information-large"));

    if (!dialogs.Finished()) {
        std::fprintf(stderr, "%s\n", qPrintable(dialogs.Report()));
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
