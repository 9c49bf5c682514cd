// tw_screenshots SITE_INDEX OUTPUT_FOLDER
//
// Walks the wizard through its pages on a real display (Xvfb in
// tools/screenshots.sh) and saves a picture of each page, of the results
// menu, the item dialog, an open colour palette, the About dialog and the
// save question. Dialogs are answered from a script, so the walk never waits
// for a user; the save question is the real message box, answered Cancel.

#include "GuiTestUtil.h"
#include "ScriptedDialogs.h"
#include "model/ProfileRules.h"
#include "support/NXFiles.h"
#include "ui/ColorPickerButton.h"
#include "ui/InformationPage.h"
#include "ui/OutputSettingsPage.h"
#include "ui/OutputStatusPage.h"
#include "ui/ResultsPage.h"
#include "ui/SiteMapItemPropForm.h"
#include "ui/SiteMapMainForm.h"
#include "ui/SiteMapTreeModel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
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

// A part of the screen, for what lies outside one widget (an open popup).
void SaveScreen(const QRect& area, const QString& name) {
    QCoreApplication::processEvents();
    QString path = outputFolder + QLatin1Char('/') + name + QStringLiteral(".png");
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen ||
        !screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(path)) {
        std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
        ++failures;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

// Scripted dialogs, except that the save question is the real box.
class ShowingDialogs : public ScriptedDialogs {
public:
    tw::ui::MsgResult messageBox(QWidget* parent, const QString& caption, const QString& text,
                                 tw::ui::MsgIcon icon, tw::ui::MsgButtons buttons) override {
        if (caption != QStringLiteral("Save Profile"))
            return ScriptedDialogs::messageBox(parent, caption, text, icon, buttons);
        WhenModal([](QWidget* box) {
            QTest::qWait(100);
            Save(box, QStringLiteral("7-save-profile-question"));
            if (auto* mb = qobject_cast<QMessageBox*>(box))
                mb->button(QMessageBox::Cancel)->click();
        });
        return real_.messageBox(parent, caption, text, icon, buttons);
    }

private:
    tw::ui::QtDialogs real_;
};

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

    // The settings and the preview go to a program folder of their own.
    QTemporaryDir programFolder;
    ShowingDialogs dialogs;
    tw::ui::TfrmSiteMapMain window(dialogs, {},
                                   (programFolder.path() + QLatin1Char('/')).toStdString());
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "the window was not shown\n");
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        std::fprintf(stderr, "the window did not become active\n");

    // Page 0 with something in every control.
    Get<QLineEdit>(&window, "editIndex")->setText(index);
    tw::AppendIgnoreFolder(window.Profile(),
                           (siteFolder + QStringLiteral("drafts/")).toStdString());
    tw::AppendIgnoreFolder(window.Profile(),
                           (siteFolder + QStringLiteral("cgi-bin/")).toStdString());
    tw::AppendIgnoreFile(window.Profile(), (siteFolder + QStringLiteral("old.html")).toStdString());
    window.Information()->ShowIgnoreLists();
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

    // Check Site, run to its end; the first finding's item selected from the
    // list below the tree.
    Get<QPushButton>(&window, "btnCheckSite")->click();
    ProcessEventsUntil([&window] { return !window.Results()->Checking(); });
    QTreeView* findings = window.Results()->FindingsList();
    findings->setCurrentIndex(findings->model()->index(0, 0));
    findings->setFocus(Qt::TabFocusReason);
    QTest::keyClick(findings, Qt::Key_Return);
    findings->setFocus(Qt::TabFocusReason);
    Save(&window, QStringLiteral("2d-site-check"));

    Get<QPushButton>(&window, "btnNext")->click();
    // Colours of a user's own, one of them None, and the options ticked.
    using tw::ui::OutputSettingsPage;
    OutputSettingsPage* settings = window.OutputSettings();
    settings->Picker(OutputSettingsPage::kBackground)->PickPaletteColor(34); // pale yellow
    settings->Picker(OutputSettingsPage::kText)->PickPaletteColor(5);        // navy
    settings->Picker(OutputSettingsPage::kLink)->PickPaletteColor(11);       // green
    settings->Picker(OutputSettingsPage::kVisited)->PickNone();
    Get<QAbstractButton>(&window, "chkDontLinkFolders")->click();
    // Keyboard users must see which button has the focus.
    Get<QPushButton>(&window, "btnNext")->setFocus(Qt::TabFocusReason);
    Save(&window, QStringLiteral("3-output-settings"));
    // The link colour's palette, dropped down.
    tw::ui::ColorPickerButton* link = settings->Picker(OutputSettingsPage::kLink);
    link->setFocus(Qt::TabFocusReason);
    link->ShowPalette();
    QTest::qWait(150);
    if (QFrame* palette = link->Palette()) {
        QRect area = window.frameGeometry().united(palette->frameGeometry());
        SaveScreen(area.adjusted(-4, -4, 4, 4), QStringLiteral("3b-colour-palette"));
        palette->close();
    } else {
        std::fprintf(stderr, "the palette did not open\n");
        ++failures;
    }
    // The search engine sitemaps: an XML and a text sitemap and the
    // robots.txt line, written with the page.
    dialogs.AnswerModal([&siteFolder](QDialog& dialog) {
        Get<QCheckBox>(&dialog, "chkXmlSitemap")->setChecked(true);
        Get<QLineEdit>(&dialog, "editXmlBaseURL")
            ->setText(QStringLiteral("https://harbour-walks.example/"));
        Get<QLineEdit>(&dialog, "editTextSitemap")
            ->setText(siteFolder + QStringLiteral("urls.txt"));
        Get<QCheckBox>(&dialog, "chkRobotsTxt")->setChecked(true);
        Get<QLineEdit>(&dialog, "editXmlBaseURL")->setFocus(Qt::TabFocusReason);
        QTest::qWait(150);
        Save(&dialog, QStringLiteral("3c-sitemaps"));
        return int(QDialog::Accepted);
    });
    Get<QPushButton>(&window, "btnSearchSitemaps")->click();
    // The modern page's options, opened beside the layout and left unchanged.
    auto* classic = Get<QRadioButton>(&window, "rbOutputUnnumberedList");
    const bool wasList = classic->isChecked();
    Get<QRadioButton>(&window, "rbOutputModern")->click();
    dialogs.AnswerModal([](QDialog& dialog) {
        Get<QLineEdit>(&dialog, "editPageTitle")
            ->setText(QStringLiteral("Harbour Walks: Site Map"));
        Get<QCheckBox>(&dialog, "chkCollapsible")->setChecked(true);
        Get<QLineEdit>(&dialog, "editPageLang")->setFocus(Qt::TabFocusReason);
        QTest::qWait(150);
        Save(&dialog, QStringLiteral("3d-modern-options"));
        return int(QDialog::Rejected);
    });
    Get<QPushButton>(&window, "btnModernOptions")->click();
    QTest::qWait(150);
    Save(&window, QStringLiteral("3e-modern-layout"));
    Get<QRadioButton>(&window, wasList ? "rbOutputUnnumberedList" : "rbOutputParagraph")->click();
    Get<QPushButton>(&window, "btnNext")->click();
    Save(&window, QStringLiteral("4-output-status"));
    // Paging: the status page lists every page of the modern page in parts.
    Get<QPushButton>(&window, "btnBack")->click();
    Get<QRadioButton>(&window, "rbOutputModern")->click();
    window.Profile().SetMaxLinks(1000);
    // The text sitemap of the run before, a .txt file of the site, may be replaced.
    dialogs.AnswerMessage(tw::ui::MsgResult::Yes);
    Get<QPushButton>(&window, "btnNext")->click();
    Save(&window, QStringLiteral("4b-output-status-pages"));
    window.Profile().SetMaxLinks(0);
    Get<QPushButton>(&window, "btnBack")->click();
    Get<QRadioButton>(&window, wasList ? "rbOutputUnnumberedList" : "rbOutputParagraph")->click();
    dialogs.AnswerMessage(tw::ui::MsgResult::Yes);
    Get<QPushButton>(&window, "btnNext")->click();

    // The help menu and the About dialog.
    QTest::keyClick(Get<QLabel>(&window, "lblHelp"), Qt::Key_Space);
    QTest::qWait(150);
    Save(window.HelpMenu(), QStringLiteral("6a-help-menu"));
    window.HelpMenu()->hide();
    dialogs.AnswerModal([](QDialog& about) {
        QTest::qWait(150);
        Save(&about, QStringLiteral("6b-about"));
        return int(QDialog::Accepted);
    });
    window.HelpMenu()->findChild<QAction*>(QStringLiteral("miAbout"))->trigger();

    // A larger window: the layouts should use the room.
    window.resize(900, 650);
    window.Results()->TreeView()->setFocus();
    Get<QPushButton>(&window, "btnBack")->click();
    Get<QPushButton>(&window, "btnBack")->click();
    Get<QPushButton>(&window, "btnBack")->click();
    Save(&window, QStringLiteral("5-information-large"));

    // The profile has unsaved changes: closing asks, and Cancel keeps it.
    window.close();
    if (!window.isVisible()) {
        std::fprintf(stderr, "the window closed without the save question\n");
        ++failures;
    }

    if (!dialogs.Finished()) {
        std::fprintf(stderr, "%s\n", qPrintable(dialogs.Report()));
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
