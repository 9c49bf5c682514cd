// A random user: thousands of clicks, keys, menu commands and typed texts
// across all pages of the wizard, with every dialog answered at random. After
// each step the window must still agree with itself: the page shown, the
// buttons, the header, the tree view against the core's tree and the
// controls against the profile. The seed is fixed, so a failure repeats;
// TW_MONKEY_STEPS and TW_MONKEY_SEED run it longer or differently.

#include "GuiTestUtil.h"
#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "support/NXFiles.h"
#include "ui/Dialogs.h"
#include "ui/OutputSettingsPage.h"
#include "ui/OutputStatusPage.h"
#include "ui/ResultsPage.h"
#include "ui/SiteMapMainForm.h"
#include "ui/SiteMapTreeModel.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <limits>
#include <memory>
#include <random>

using tw::SiteMapNode;
using tw::ui::MsgButtons;
using tw::ui::MsgResult;

namespace {

// Answers every question at random, among the answers the question allows.
// Nothing opens a real dialog or starts another program.
class RandomDialogs : public tw::ui::IDialogs {
public:
    RandomDialogs(std::mt19937& rng, QString scratch) : rng_(rng), scratch_(std::move(scratch)) {}

    int asked = 0;

    MsgResult messageBox(QWidget*, const QString&, const QString&, tw::ui::MsgIcon,
                         MsgButtons buttons) override {
        ++asked;
        switch (buttons) {
        case MsgButtons::Ok:
            return MsgResult::Ok;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoDefaultNo:
            return Pick({MsgResult::Yes, MsgResult::No});
        case MsgButtons::YesNoCancel:
            return Pick({MsgResult::Yes, MsgResult::No, MsgResult::Cancel});
        }
        return MsgResult::Cancel;
    }
    QStringList openFiles(QWidget*, const tw::ui::OpenFileRequest& request) override {
        ++asked;
        if (Chance(3))
            return {};
        QStringList files{SomePath()};
        if (request.multiSelect && Chance(2))
            files << SomePath();
        return files;
    }
    QString saveFile(QWidget*, const tw::ui::SaveFileRequest&) override {
        ++asked;
        return Chance(3) ? QString() : SomePath();
    }
    QString folder(QWidget*, const tw::ui::FolderRequest& request) override {
        ++asked;
        if (Chance(3))
            return {};
        return Chance(2) ? request.start : scratch_ + QStringLiteral("site/docs");
    }
    std::optional<QColor> colour(QWidget*, const QColor&) override {
        ++asked;
        if (Chance(3))
            return std::nullopt;
        return QColor::fromRgb(static_cast<QRgb>(rng_()) & 0xFFFFFFu);
    }
    bool openDocument(const QString&) override {
        ++asked;
        return Chance(2);
    }
    void setClipboardText(const QString& text) override { clipboard = text; }
    bool editItem(QWidget*, const QString&, const QString&, QString& linkText,
                  QString& linkURL) override {
        ++asked;
        if (Chance(3))
            return false;
        linkText = SomeText();
        linkURL = SomeText();
        return true;
    }
    int showModal(QDialog&) override {
        ++asked;
        return Chance(2) ? QDialog::Accepted : QDialog::Rejected;
    }

    // A path the wizard may read or write: a page, a profile, a missing
    // file, a folder, a file in a missing folder or an empty name.
    QString SomePath() {
        static const char* const kNames[] = {
            "site/index.html", "site/docs/guide.html", "profile.zpf",
            "other.zpf",       "missing.zpf",          "site/",
            "out/map.html",    "gone/deeper/map.html", "site/sitemap.html",
            "map.html",        "broken.zpf",           ""};
        const char* name = kNames[rng_() % std::size(kNames)];
        return *name ? scratch_ + QString::fromLatin1(name) : QString();
    }
    // Link texts and typed texts, awkward ones included.
    QString SomeText() {
        static const QString kTexts[] = {QString(),
                                         QStringLiteral("Home"),
                                         QStringLiteral("a \"quoted\" <b>&amp;</b>"),
                                         QStringLiteral("caf\u00e9 \u65e5\u672c"),
                                         QStringLiteral(" "),
                                         QStringLiteral("*.html;*.png;"),
                                         QStringLiteral(";;;"),
                                         QString(300, QLatin1Char('x')),
                                         QStringLiteral("../../etc/passwd"),
                                         QStringLiteral("line\nbreak")};
        return kTexts[rng_() % std::size(kTexts)];
    }
    bool Chance(unsigned oneIn) { return rng_() % oneIn == 0; }

    QString clipboard;

private:
    MsgResult Pick(std::initializer_list<MsgResult> choices) {
        return *(choices.begin() + rng_() % choices.size());
    }

    std::mt19937& rng_;
    QString scratch_;
};

struct PageRule {
    bool back;
    bool next;
    const char* nextCaption;
};
// What Back and Next show on each page when no run is going on.
constexpr PageRule kPageRules[] = {{false, true, "&Next"},
                                   {false, false, "&Next"},
                                   {true, true, "&Next"},
                                   {true, true, "&Finish"},
                                   {true, false, "&Finish"}};

const char* const kHeaders[] = {"Gathering Information", "Processing Files", "Site Map Results",
                                "Site Map Output File Settings", "Site Map Output File Creation"};

} // namespace

class MonkeyTest : public QObject {
    Q_OBJECT
private slots:
    void randomUserKeepsTheWizardConsistent();

private:
    void MakeSite();
    void StartWindow();
    void Step();
    void ClickSomeButton();
    void PressSomeKey();
    void TriggerSomeAction();
    void TypeSomewhere();
    void PickSomeNode();
    void CloseStrays();
    QString CheckInvariants();
    QString CheckModel(const QModelIndex& parent, SiteMapNode* node, int depth);

    std::mt19937 rng_;
    QTemporaryDir scratch_;
    QTemporaryDir home_;
    std::unique_ptr<RandomDialogs> dialogs_;
    std::unique_ptr<tw::ui::TfrmSiteMapMain> window_;
    int windows_ = 0;
    int strays_ = 0;
    // The last steps, told when an invariant breaks.
    QStringList trail_;
    void Note(const QString& what) {
        trail_ << QStringLiteral("page %1: %2").arg(window_->WizardPage()).arg(what);
        if (trail_.size() > 12)
            trail_.removeFirst();
    }
};

void MonkeyTest::MakeSite() {
    const QString root = scratch_.path() + QStringLiteral("/site/");
    WriteAbsolute(root + QStringLiteral("index.html"), "<title>Home</title>");
    WriteAbsolute(root + QStringLiteral("about.htm"), "<TITLE>About &amp; us</TITLE>");
    WriteAbsolute(root + QStringLiteral("notes.txt"), "plain");
    WriteAbsolute(root + QStringLiteral("logo.png"), "png");
    WriteAbsolute(root + QStringLiteral("docs/index.html"), "<title>Docs</title>");
    WriteAbsolute(root + QStringLiteral("docs/guide.html"), "<title></title>");
    WriteAbsolute(root + QStringLiteral("docs/deep/er/page.html"), "no title");
    WriteAbsolute(root + QStringLiteral("a \"b\" <c>&.html"), "<title>Odd</title>");
    WriteAbsolute(root + QStringLiteral("drafts/old.php"), "<title>Old</title>");
    WriteAbsolute(scratch_.path() + QStringLiteral("/profile.zpf"), "not a profile");
    WriteAbsolute(scratch_.path() + QStringLiteral("/broken.zpf"), QByteArray("TPF0\x01", 5));
}

void MonkeyTest::StartWindow() {
    window_.reset();
    window_ = std::make_unique<tw::ui::TfrmSiteMapMain>(*dialogs_, QStringList(),
                                                        home_.path().toStdString() + "/");
    window_->show();
    ProcessEventsUntil([this] { return !window_->FirstActivatePending(); });
    CloseStrays();
    ++windows_;
}

void MonkeyTest::ClickSomeButton() {
    QList<QAbstractButton*> buttons;
    for (QAbstractButton* b : window_->findChildren<QAbstractButton*>())
        if (b->isVisible() && b->isEnabled())
            buttons << b;
    if (buttons.isEmpty())
        return;
    // Next and Back drive the wizard through its pages; they come up more
    // often than their share, so that every page is visited many times.
    QAbstractButton* button = buttons[static_cast<qsizetype>(rng_() % buttons.size())];
    if (rng_() % 3 == 0) {
        auto* next = Find<QAbstractButton>(window_.get(), "btnNext");
        auto* back = Find<QAbstractButton>(window_.get(), "btnBack");
        QAbstractButton* nav = rng_() % 4 == 0 ? back : next;
        if (nav && nav->isEnabled())
            button = nav;
    }
    Note(QStringLiteral("click ") + button->objectName());
    button->click();
}

void MonkeyTest::PressSomeKey() {
    static const std::pair<int, Qt::KeyboardModifiers> kKeys[] = {
        {Qt::Key_Tab, Qt::NoModifier},      {Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_Return, Qt::NoModifier},   {Qt::Key_Space, Qt::NoModifier},
        {Qt::Key_Delete, Qt::NoModifier},   {Qt::Key_F2, Qt::NoModifier},
        {Qt::Key_F1, Qt::NoModifier},       {Qt::Key_Up, Qt::NoModifier},
        {Qt::Key_Down, Qt::NoModifier},     {Qt::Key_Left, Qt::NoModifier},
        {Qt::Key_Right, Qt::NoModifier},    {Qt::Key_Home, Qt::NoModifier},
        {Qt::Key_End, Qt::NoModifier},      {Qt::Key_PageDown, Qt::NoModifier},
        {Qt::Key_Asterisk, Qt::NoModifier}, {Qt::Key_Escape, Qt::NoModifier},
        {Qt::Key_Return, Qt::AltModifier},  {Qt::Key_N, Qt::AltModifier},
        {Qt::Key_B, Qt::AltModifier},       {Qt::Key_F, Qt::AltModifier},
        {Qt::Key_C, Qt::AltModifier},       {Qt::Key_S, Qt::AltModifier},
        {Qt::Key_O, Qt::AltModifier},       {Qt::Key_R, Qt::AltModifier},
        {Qt::Key_A, Qt::NoModifier},        {Qt::Key_Menu, Qt::NoModifier}};
    const auto& [key, mods] = kKeys[rng_() % std::size(kKeys)];
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != window_.get())
        target = window_.get();
    Note(QStringLiteral("key %1 (modifiers %2) to %3")
             .arg(key, 0, 16)
             .arg(mods.toInt(), 0, 16)
             .arg(target->objectName()));
    QTest::keyClick(target, static_cast<Qt::Key>(key), mods);
    // An accelerator's click lands at once, not when the clock says: the walk
    // must not depend on the machine's speed. (A click landing on a button a
    // run has disabled meanwhile is OutputPagesTest's case.)
    LandKeyboardClicks(window_.get());
}

void MonkeyTest::TriggerSomeAction() {
    // The tree's context menu first, for a random node or none, so that its
    // commands act on something.
    if (window_->WizardPage() == 2 && rng_() % 2 == 0) {
        SiteMapNode* node = nullptr;
        if (window_->Tree().Count() > 0 && rng_() % 4 != 0) {
            node = window_->Tree().First();
            while (node && node->ChildCount() > 0 && rng_() % 2 == 0)
                node = node->Child(static_cast<int>(rng_() % node->ChildCount()));
        }
        Note(QStringLiteral("context menu for %1")
                 .arg(node ? QString::fromStdString(node->Data.LinkText) : QStringLiteral("none")));
        window_->Results()->tvMapNodeContextMenu(node, QPoint(20, 20));
    }
    QList<QAction*> actions;
    for (QAction* a : window_->findChildren<QAction*>())
        if (a->isEnabled() && !a->isSeparator())
            actions << a;
    if (actions.isEmpty())
        return;
    QAction* action = actions[static_cast<qsizetype>(rng_() % actions.size())];
    Note(QStringLiteral("action ") + action->objectName());
    action->trigger();
}

void MonkeyTest::TypeSomewhere() {
    QList<QLineEdit*> edits;
    for (QLineEdit* e : window_->findChildren<QLineEdit*>())
        if (e->isVisible() && e->isEnabled() && !e->isReadOnly())
            edits << e;
    if (edits.isEmpty())
        return;
    QLineEdit* edit = edits[static_cast<qsizetype>(rng_() % edits.size())];
    const QString name = edit->objectName();
    Note(QStringLiteral("type into ") + name);
    // The index page and the output file mostly get paths, so that scans
    // and generations happen; everything else gets any text.
    if ((name == QLatin1String("editIndex") || name == QLatin1String("editOutputFile")) &&
        rng_() % 4 != 0) {
        edit->setText(dialogs_->SomePath());
    } else if (rng_() % 2 == 0) {
        edit->setText(dialogs_->SomeText());
    } else {
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("x;"));
    }
}

void MonkeyTest::PickSomeNode() {
    if (window_->WizardPage() != 2 || window_->Tree().Count() == 0)
        return;
    SiteMapNode* node = window_->Tree().First();
    while (node->ChildCount() > 0 && rng_() % 3 != 0)
        node = node->Child(static_cast<int>(rng_() % node->ChildCount()));
    Note(QStringLiteral("select ") + QString::fromStdString(node->Data.LinkText));
    window_->Results()->SelectNode(node);
    Find<QTreeView>(window_.get(), "tvMap")->setFocus();
}

// Menus left open by a command are closed, as a user's click elsewhere
// would. A modal dialog is a fault: every dialog goes through the
// interface that answers them.
void MonkeyTest::CloseStrays() {
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        ++strays_;
        modal->close();
    }
}

void MonkeyTest::Step() {
    // Now and then a second action lands while the first one's run (a
    // scan, a generation) is letting events through: queued, it comes at the
    // first round of events, so that the walk repeats exactly.
    if (rng_() % 10 == 0) {
        QMetaObject::invokeMethod(
            window_.get(),
            [this] {
                if (window_ && window_->isVisible()) {
                    if (rng_() % 2 == 0)
                        ClickSomeButton();
                    else
                        PressSomeKey();
                }
            },
            Qt::QueuedConnection);
    }
    switch (rng_() % 8) {
    case 0:
    case 1:
    case 2:
        ClickSomeButton();
        break;
    case 3:
    case 4:
        PressSomeKey();
        break;
    case 5:
        TriggerSomeAction();
        break;
    case 6:
        TypeSomewhere();
        break;
    default:
        PickSomeNode();
        break;
    }
    QCoreApplication::processEvents();
    CloseStrays();
}

QString MonkeyTest::CheckModel(const QModelIndex& parent, SiteMapNode* node, int depth) {
    const QAbstractItemModel* model = window_->Results()->Model();
    const int rows = node ? node->ChildCount() : window_->Tree().TopLevelCount();
    if (model->rowCount(parent) != rows)
        return QStringLiteral("the view has %1 rows where the tree has %2 at depth %3")
            .arg(model->rowCount(parent))
            .arg(rows)
            .arg(depth);
    for (int row = 0; row < rows; ++row) {
        SiteMapNode* child = node ? node->Child(row) : window_->Tree().TopLevel(row);
        QModelIndex index = model->index(row, 0, parent);
        if (index.internalPointer() != child)
            return QStringLiteral("row %1 at depth %2 shows another node").arg(row).arg(depth);
        // The view shows what the page's reader sees; edits start from the text.
        if (index.data().toString() != QString::fromStdString(tw::ShownLinkText(child->Data)) ||
            index.data(Qt::EditRole).toString() != QString::fromStdString(child->Data.LinkText))
            return QStringLiteral("row %1 at depth %2 shows \"%3\"")
                .arg(row)
                .arg(depth)
                .arg(index.data().toString());
        if (QString nested = CheckModel(index, child, depth + 1); !nested.isEmpty())
            return nested;
    }
    return {};
}

QString MonkeyTest::CheckInvariants() {
    tw::ui::TfrmSiteMapMain& w = *window_;
    if (w.Searching() || w.Generating())
        return QStringLiteral("a run is still going on after its step");
    const int page = w.WizardPage();
    if (page < 0 || page > 4)
        return QStringLiteral("page %1").arg(page);
    auto* pages = Find<QStackedWidget>(&w, "pcMain");
    if (pages->currentIndex() != page)
        return QStringLiteral("page %1 shown for page %2").arg(pages->currentIndex()).arg(page);
    const PageRule& rule = kPageRules[page];
    auto* back = Find<QAbstractButton>(&w, "btnBack");
    auto* next = Find<QAbstractButton>(&w, "btnNext");
    if (back->isEnabled() != rule.back || next->isEnabled() != rule.next ||
        next->text() != QLatin1String(rule.nextCaption))
        return QStringLiteral("page %1: Back %2, Next %3 \"%4\"")
            .arg(page)
            .arg(back->isEnabled())
            .arg(next->isEnabled())
            .arg(next->text());
    const QString header =
        QStringLiteral("Zephyrix Trailwright - ") + QLatin1String(kHeaders[page]);
    if (Find<QLabel>(&w, "lblHeader")->text() != header)
        return QStringLiteral("header \"%1\" on page %2")
            .arg(Find<QLabel>(&w, "lblHeader")->text())
            .arg(page);

    if (QString model = CheckModel(QModelIndex(), nullptr, 0); !model.isEmpty())
        return model;

    const tw::TMapProfile& p = w.Profile();
    auto text = [&w](const char* name) { return Find<QLineEdit>(&w, name)->text().toStdString(); };
    auto checked = [&w](const char* name) { return Find<QAbstractButton>(&w, name)->isChecked(); };
    const std::pair<const char*, bool> agree[] = {
        {"editIndex", text("editIndex") == p.IndexPage()},
        // The field shows a profile's stored bytes, and stores what is typed
        // in canonical form: the two name the same types.
        {"editFileTypes",
         tw::CanonicalFileTypes(text("editFileTypes")) == tw::CanonicalFileTypes(p.FileTypes())},
        {"editOutputFile", text("editOutputFile") == p.OutputFileName()},
        {"editOutputInsert", text("editOutputInsert") == p.OutputInsert()},
        {"chkUsePageTitles", checked("chkUsePageTitles") == p.UsePageTitles()},
        {"chkClassAttribs", checked("chkClassAttribs") == p.ClassAttribs()},
        {"chkAddImages", checked("chkAddImages") == p.AddImages()},
        {"chkNoFolderImages", checked("chkNoFolderImages") == p.NoFolderImages()},
        {"chkDontLinkFolders", checked("chkDontLinkFolders") == p.NoFolderLinks()},
        {"rbOutputUnnumberedList",
         checked("rbOutputUnnumberedList") == (p.OutputFormat() == tw::TMapOutputFormat::mfmtList)},
        {"rbOutputFile",
         checked("rbOutputFile") == (p.OutputType() == tw::TMapOutputType::moutFile)}};
    for (const auto& [name, ok] : agree)
        if (!ok)
            return QStringLiteral("%1 disagrees with the profile").arg(QLatin1String(name));
    return {};
}

void MonkeyTest::randomUserKeepsTheWizardConsistent() {
    const unsigned seed = qEnvironmentVariableIsSet("TW_MONKEY_SEED")
                              ? qEnvironmentVariableIntValue("TW_MONKEY_SEED")
                              : 20261209u;
    const int steps = qEnvironmentVariableIsSet("TW_MONKEY_STEPS")
                          ? qEnvironmentVariableIntValue("TW_MONKEY_STEPS")
                          : 3000;
    rng_.seed(seed);
    // Item views join typed letters into one search when they come quickly
    // enough: here they always do, whatever the machine's speed.
    const int inputInterval = QApplication::keyboardInputInterval();
    QApplication::setKeyboardInputInterval(std::numeric_limits<int>::max());
    const auto restoreInterval =
        qScopeGuard([inputInterval] { QApplication::setKeyboardInputInterval(inputInterval); });
    QVERIFY(scratch_.isValid() && home_.isValid());
    dialogs_ = std::make_unique<RandomDialogs>(rng_, scratch_.path() + QLatin1Char('/'));
    MakeSite();
    StartWindow();
    int pagesSeen[5] = {};
    for (int step = 0; step < steps; ++step) {
        Step();
        // Check Site runs on a thread: each step waits for its end, so that
        // the walk does not depend on the machine's speed.
        ProcessEventsUntil([this] { return !window_->Results()->Checking(); });
        // A closed window is a finished session: the next one starts as a
        // user would start the program again, with the saved settings.
        if (!window_->isVisible()) {
            StartWindow();
            Note(QStringLiteral("a new window"));
        }
        ++pagesSeen[window_->WizardPage()];
        const QString broken = CheckInvariants();
        if (!broken.isEmpty())
            QFAIL(qPrintable(QStringLiteral("seed %1, step %2: %3\nafter:\n  %4")
                                 .arg(seed)
                                 .arg(step)
                                 .arg(broken, trail_.join(QStringLiteral("\n  ")))));
    }
    qInfo("%d steps, %d windows, %d questions; steps on each page: %d %d %d %d %d", steps, windows_,
          dialogs_->asked, pagesSeen[0], pagesSeen[1], pagesSeen[2], pagesSeen[3], pagesSeen[4]);
    QCOMPARE(strays_, 0);
    // The walk must have reached every page where a user stays.
    for (int page : {0, 2, 3, 4})
        QVERIFY2(pagesSeen[page] > 0, qPrintable(QStringLiteral("page %1 never seen").arg(page)));
    window_.reset();
}

TW_GUI_TEST(MonkeyTest)
#include "MonkeyTest.moc"
