#include "ui/ResultsPage.h"

#include "check/CheckReport.h"
#include "model/ProfileRules.h"
#include "model/SiteLinks.h"
#include "support/AtomicFile.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/Guard.h"
#include "ui/PathLabel.h"
#include "ui/ReportFiles.h"
#include "ui/SiteCheckRun.h"
#include "ui/SiteMapTreeModel.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <climits>
#include <sstream>
#include <unordered_set>
#include <vector>

namespace tw::ui {

namespace {

// Stores an in-place edit only when the text changed: a line edit holds at
// most 32,767 characters, and Enter alone must not cut a longer title.
class LinkTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        QStyledItemDelegate::setEditorData(editor, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setProperty(kShown, line->text());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line && line->text() == line->property(kShown).toString())
            return;
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    static constexpr const char* kShown = "twShownText";
};

} // namespace

using namespace Qt::StringLiterals;

ResultsPage::ResultsPage(TSiteMapTree& tree, TMapProfile& profile, IDialogs& dialogs,
                         QWidget* parent)
    : WizardPage(parent), tree_(tree), profile_(profile), dialogs_(dialogs) {
    setObjectName(u"tsResults"_s);
    model_ = new SiteMapTreeModel(tree_, this);
    tvMap_ = new SiteMapTreeView;
    tvMap_->setObjectName(u"tvMap"_s);
    tvMap_->setModel(model_);
    tvMap_->setItemDelegate(new LinkTextDelegate(tvMap_));
    tvMap_->setHeaderHidden(true);
    tvMap_->setSelectionMode(QAbstractItemView::SingleSelection);
    tvMap_->setEditTriggers(QAbstractItemView::SelectedClicked);
    tvMap_->setExpandsOnDoubleClick(false);
    tvMap_->setUniformRowHeights(true);
    tvMap_->setIconSize(QSize(12, 12));
    tvMap_->header()->setStretchLastSection(true);

    auto* caption =
        new QLabel(u"Site Map &Results (Double Click an item to edit its properties)"_s);
    caption->setObjectName(u"Label2"_s);
    SetBuddy(caption, tvMap_);
    QLabel* fileCaption = nullptr;
    lblLinkFileName_ = MakeFileRow(fileCaption);
    checkRun_ = new SiteCheckRun(this);
    btnCheckSite_ = new QPushButton(u"Chec&k Site"_s);
    btnCheckSite_->setObjectName(u"btnCheckSite"_s);
    btnCheckSite_->setToolTip(u"Check the site's links and titles"_s);
    btnCheckSite_->setAutoDefault(false);
    cbCheckExternal_ = MakeCheckBox(u"Check e&xternal links (online)"_s, u"cbCheckExternal"_s);
    cbCheckExternal_->setToolTip(
        u"Check Site also asks every http and https link online, each address once"_s);

    // The findings panel shares the height with the tree, which keeps the
    // larger part.
    splitter_ = new QSplitter(Qt::Vertical);
    splitter_->setObjectName(u"splResults"_s);
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(tvMap_);
    splitter_->addWidget(BuildCheckPanel());
    splitter_->setStretchFactor(0, 3);
    splitter_->setStretchFactor(1, 2);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 10, 12, 8);
    grid->setVerticalSpacing(4);
    grid->addWidget(caption, 0, 0, 1, 3);
    grid->addWidget(splitter_, 1, 0, 1, 3);
    grid->addWidget(fileCaption, 2, 0);
    grid->addWidget(lblLinkFileName_, 2, 1);
    auto* checkRow = new QHBoxLayout;
    checkRow->setContentsMargins(0, 0, 0, 0);
    checkRow->addWidget(cbCheckExternal_);
    checkRow->addWidget(btnCheckSite_);
    grid->addLayout(checkRow, 2, 2);
    lblTrimmedPart_ = new QLabel;
    lblTrimmedPart_->setObjectName(u"lblTrimmedPart"_s);
    // A title's text shows as text, whatever it holds.
    lblTrimmedPart_->setTextFormat(Qt::PlainText);
    lblTrimmedPart_->hide();
    grid->addWidget(lblTrimmedPart_, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);

    pumResults_ = new QMenu(this);
    pumResults_->setObjectName(u"pumResults"_s);
    auto addItem = [this](const QString& text, const QString& name, const QString& hint,
                          void (ResultsPage::*handler)(), const QIcon& icon) {
        QAction* action = pumResults_->addAction(icon, text);
        action->setObjectName(name);
        action->setToolTip(hint);
        action->setStatusTip(hint);
        connect(action, &QAction::triggered, this, [this, handler] {
            Guarded(this, dialogs_, [this, handler] { (this->*handler)(); });
        });
        return action;
    };
    miAddIgnoreFolder_ = addItem(u"Add Folder to Ignore List"_s, u"miAddIgnoreFolder"_s,
                                 u"Add Folder to Ignore List"_s,
                                 &ResultsPage::miAddIgnoreFolderClick, NodeIcon(kImageFolder));
    miIgnoreFile_ =
        addItem(u"Add File to Ignore List"_s, u"miIgnoreFile"_s, u"Add File to Ignore List"_s,
                &ResultsPage::miIgnoreFileClick, NodeIcon(kImagePage));
    pumResults_->addSeparator();
    miDelete_ = addItem(u"Delete Item and SubItems"_s, u"miDelete"_s, u"Delete Item and SubItems"_s,
                        &ResultsPage::miDeleteClick, style()->standardIcon(QStyle::SP_TrashIcon));
    pumResults_->addSeparator();
    miRename_ = addItem(u"Edit Item Text"_s, u"miRename"_s, u"Edit Item Text"_s,
                        &ResultsPage::miRenameClick,
                        style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    pumResults_->addSeparator();
    miProperties_ = addItem(u"Properties..."_s, u"miProperties"_s, u"Properties"_s,
                            &ResultsPage::miPropertiesClick,
                            style()->standardIcon(QStyle::SP_FileDialogInfoView));

    auto guarded = [this](void (ResultsPage::*handler)()) {
        return
            [this, handler] { Guarded(this, dialogs_, [this, handler] { (this->*handler)(); }); };
    };
    connect(tvMap_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { tvMapClick(); });
    connect(tvMap_, &SiteMapTreeView::renameKeyPressed, this,
            [this] { StartEdit(SelectedNode()); });
    connect(tvMap_, &SiteMapTreeView::deleteKeyPressed, this,
            guarded(&ResultsPage::DeleteSelectedNodes));
    auto editSelected = [this] {
        Guarded(this, dialogs_, [this] { EditNodeProperties(SelectedNode()); });
    };
    connect(tvMap_, &SiteMapTreeView::propertiesKeyPressed, this, editSelected);
    connect(tvMap_, &QTreeView::doubleClicked, this, editSelected);
    connect(tvMap_, &SiteMapTreeView::emptySpaceDoubleClicked, this, editSelected);
    connect(tvMap_, &SiteMapTreeView::contextMenuAsked, this,
            [this](const QModelIndex& index, const QPoint& globalPos, bool fromMouse) {
                SiteMapNode* node = model_->NodeAt(index);
                QPoint pos = globalPos;
                if (!node) {
                    node = SelectedNode();
                    // From the keyboard the menu opens at the node it acts on.
                    if (node && !fromMouse) {
                        QRect r = tvMap_->visualRect(model_->IndexOf(node));
                        pos = tvMap_->viewport()->mapToGlobal(r.bottomLeft());
                    }
                }
                tvMapNodeContextMenu(node, pos);
            });
    connect(model_, &SiteMapTreeModel::linkTextEdited, this, [this] { tvMapClick(); });
    connect(model_, &SiteMapTreeModel::nodeAboutToBeRemoved, this,
            &ResultsPage::ForgetContextNodeWithin);
    connect(model_, &SiteMapTreeModel::treeAboutToBeReset, this, [this] {
        contextNode_ = nullptr;
        hiddenRows_.clear();
    });

    connect(btnCheckSite_, &QPushButton::clicked, this, [this] {
        Guarded(this, dialogs_, [this] {
            if (Checking())
                StopCheck();
            else
                StartCheck();
        });
    });
    connect(cbCheckExternal_, &QCheckBox::toggled, this, [this](bool on) {
        if (profile_.CheckExternalLinks() != on)
            profile_.SetCheckExternalLinks(on);
    });
    connect(checkRun_, &SiteCheckRun::progress, this,
            [this](SiteCheckRun::Phase phase, qint64 done, qint64 total) {
                ShowCheckProgress(static_cast<int>(phase), done, total);
            });
    connect(checkRun_, &SiteCheckRun::finished, this,
            [this] { Guarded(this, dialogs_, [this] { CheckFinished(); }); });
    connect(model_, &SiteMapTreeModel::findingsReset, this, &ResultsPage::FillFindings);
    connect(model_, &SiteMapTreeModel::findingsUntied, this, &ResultsPage::RefreshFindings);
    connect(model_, &SiteMapTreeModel::linkTextEdited, this,
            [this](SiteMapNode* node) { RefreshNodeFindings(node); });
}

QWidget* ResultsPage::BuildCheckPanel() {
    pnlCheck_ = new QWidget;
    pnlCheck_->setObjectName(u"pnlCheck"_s);
    findingsModel_ = new FindingsListModel(model_->Findings(), this);
    lvFindings_ = new QTreeView;
    lvFindings_->setObjectName(u"lvFindings"_s);
    lvFindings_->setModel(findingsModel_);
    lvFindings_->setRootIsDecorated(false);
    lvFindings_->setUniformRowHeights(true);
    lvFindings_->setAllColumnsShowFocus(true);
    lvFindings_->setSelectionMode(QAbstractItemView::SingleSelection);
    lvFindings_->header()->setStretchLastSection(true);
    lvFindings_->setColumnWidth(0, 130);
    lvFindings_->setColumnWidth(1, 160);
    lvFindings_->setColumnWidth(2, 40);
    lblCheckFindings_ = new QLabel(u"&Findings:"_s);
    lblCheckFindings_->setObjectName(u"lblCheckFindings"_s);
    SetBuddy(lblCheckFindings_, lvFindings_);
    lblCheckProgress_ = new QLabel;
    // A long summary gives way to the controls beside it; its tooltip holds
    // the whole text.
    lblCheckProgress_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblCheckProgress_->setObjectName(u"lblCheckProgress"_s);
    lblCheckProgress_->setTextFormat(Qt::PlainText);
    pbCheck_ = new QProgressBar;
    pbCheck_->setObjectName(u"pbCheck"_s);
    pbCheck_->setTextVisible(false);
    pbCheck_->setFixedWidth(140);
    cboFindingKind_ = new QComboBox;
    cboFindingKind_->setObjectName(u"cboFindingKind"_s);
    cboFindingKind_->setToolTip(u"List the findings of one kind only"_s);
    cboFindingKind_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblFindingKind_ = new QLabel(u"K&ind:"_s);
    lblFindingKind_->setObjectName(u"lblFindingKind"_s);
    SetBuddy(lblFindingKind_, cboFindingKind_);
    cbProblemsOnly_ = MakeCheckBox(u"&Problems only"_s, u"cbProblemsOnly"_s);
    cbProblemsOnly_->setToolTip(u"Show only the branches of the tree that hold findings"_s);
    btnSaveReport_ = new QPushButton(u"Save Repor&t..."_s);
    btnSaveReport_->setObjectName(u"btnSaveReport"_s);
    btnSaveReport_->setToolTip(u"Save the findings as a report file"_s);
    btnSaveReport_->setAutoDefault(false);

    // The summary and progress on a line of their own: the controls below
    // keep their size however long the summary grows.
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(lblCheckFindings_);
    bar->addWidget(lblCheckProgress_, 1);
    bar->addWidget(pbCheck_);
    auto* controls = new QHBoxLayout;
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addWidget(lblFindingKind_);
    controls->addWidget(cboFindingKind_);
    controls->addStretch(1);
    controls->addWidget(cbProblemsOnly_);
    controls->addWidget(btnSaveReport_);
    auto* layout = new QVBoxLayout(pnlCheck_);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(4);
    layout->addLayout(bar);
    layout->addLayout(controls);
    layout->addWidget(lvFindings_, 1);
    // Nothing to show before the first check.
    pnlCheck_->hide();

    connect(lvFindings_, &QTreeView::activated, this,
            [this](const QModelIndex& index) { ActivateFinding(index.row()); });
    connect(cboFindingKind_, &QComboBox::currentIndexChanged, this,
            [this](int entry) { ShowFindingKind(entry); });
    connect(cbProblemsOnly_, &QCheckBox::toggled, this, [this](bool on) { SetProblemsOnly(on); });
    connect(btnSaveReport_, &QPushButton::clicked, this,
            [this] { Guarded(this, dialogs_, [this] { SaveReport(); }); });
    return pnlCheck_;
}

SiteMapNode* ResultsPage::SelectedNode() const {
    const QModelIndexList selected = tvMap_->selectionModel()->selectedIndexes();
    return selected.size() == 1 ? model_->NodeAt(selected.constFirst()) : nullptr;
}

void ResultsPage::SelectNode(SiteMapNode* node) {
    QModelIndex index = model_->IndexOf(node);
    if (!index.isValid())
        return;
    tvMap_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    tvMap_->scrollTo(index);
}

void ResultsPage::ShowScanResult() {
    SiteMapNode* root = tree_.First();
    if (!root)
        return;
    // The whole tree opens, so the user sees every item the scan found.
    tvMap_->ExpandSubtree(model_->IndexOf(root));
    SelectNode(root);
    tvMapClick();
}

void ResultsPage::SetLinkFileName(const QString& path) {
    lblLinkFileName_->setPath(path);
}

void ResultsPage::SetTrimmedPart(const QString& part) {
    lblTrimmedPart_->setText(
        part.isEmpty() ? QString() : u"Removed from titles: \u201C"_s + part + u"\u201D"_s);
    lblTrimmedPart_->setVisible(!part.isEmpty());
}

void ResultsPage::tvMapClick() {
    // The selection signal comes after the click has changed the selection,
    // so there are no events to wait for here.
    if (SiteMapNode* node = SelectedNode())
        lblLinkFileName_->setPath(ToQ(node->Data.FilePath));
}

bool ResultsPage::ConfirmRemoval() {
    if (!profile_.ConfirmDelete())
        return true;
    return dialogs_.messageBox(
               window(), u"Confirm Removal"_s,
               u"Do you wish to remove the selected site map nodes from the tree?"_s,
               MsgIcon::Question, MsgButtons::YesNo) == MsgResult::Yes;
}

void ResultsPage::DeleteSelectedNodes() {
    if (Checking() || !ConfirmRemoval())
        return;
    // One node at most is selected; a deeper one would go before its parent.
    if (SiteMapNode* node = SelectedNode())
        tree_.Delete(node);
    tvMapClick();
}

void ResultsPage::EditNodeProperties(SiteMapNode* node) {
    if (!node || Checking())
        return;
    const QString shownText = ToQ(node->Data.LinkText);
    const QString shownURL = ToQ(node->Data.LinkURL);
    QString linkText = shownText;
    QString linkURL = shownURL;
    if (!dialogs_.editItem(window(), ToQ(node->Data.FilePath), model_->Findings().NodeText(node),
                           linkText, linkURL))
        return;
    // A field left as shown keeps the node's bytes: a name's URL need not be
    // UTF-8, and the way back from the field would change it.
    if (linkText != shownText)
        node->Data.EditLinkText(ToStd(linkText));
    if (linkURL != shownURL)
        node->Data.EditLinkURL(ToStd(linkURL));
    model_->NodeChanged(node);
    RefreshNodeFindings(node);
}

void ResultsPage::StartEdit(SiteMapNode* node) {
    QModelIndex index = model_->IndexOf(node);
    if (!index.isValid() || Checking())
        return;
    tvMap_->setCurrentIndex(index);
    tvMap_->edit(index);
}

void ResultsPage::tvMapNodeContextMenu(SiteMapNode* node, const QPoint& globalPos) {
    contextNode_ = nullptr;
    if (!node || Checking())
        return;
    contextNode_ = node;
    const bool first = node == tree_.First();
    miAddIgnoreFolder_->setEnabled(!first && node->ImageIndex() == kImageFolder);
    miIgnoreFile_->setEnabled(
        !first && (node->ImageIndex() == kImagePage || node->ImageIndex() == kImagePicture));
    miDelete_->setEnabled(!first);
    miRename_->setEnabled(true);
    miProperties_->setEnabled(true);
    pumResults_->popup(globalPos);
}

void ResultsPage::miAddIgnoreFolderClick() {
    if (!contextNode_ || Checking())
        return;
    AppendIgnoreFolder(profile_, contextNode_->Data.FolderPath);
    emit ignoreListsChanged();
    tree_.Delete(contextNode_);
}

void ResultsPage::miIgnoreFileClick() {
    if (!contextNode_ || Checking())
        return;
    AppendIgnoreFile(profile_, AsciiLowerCase(contextNode_->Data.FilePath));
    emit ignoreListsChanged();
    tree_.Delete(contextNode_);
    tvMapClick();
}

void ResultsPage::miDeleteClick() {
    if (!contextNode_ || Checking() || !ConfirmRemoval())
        return;
    // The question let events run: the node may have gone meanwhile.
    if (!contextNode_)
        return;
    tree_.Delete(contextNode_);
    tvMapClick();
}

void ResultsPage::miRenameClick() {
    StartEdit(contextNode_);
}

void ResultsPage::miPropertiesClick() {
    EditNodeProperties(contextNode_);
}

void ResultsPage::ForgetContextNodeWithin(SiteMapNode* removed) {
    for (SiteMapNode* n = contextNode_; n; n = n->Parent())
        if (n == removed) {
            contextNode_ = nullptr;
            return;
        }
}

// ---------------------------------------------------------------------------
// Check Site

void ResultsPage::SetScannedProfile(const TMapProfile& profile) {
    StopCheck();
    ClearFindings();
    scannedProfile_ = profile;
    scanned_ = true;
    cbCheckExternal_->setChecked(profile_.CheckExternalLinks());
}

void ResultsPage::SetExternalCache(const std::string& file) {
    checkRun_->SetExternalCache(file);
}

bool ResultsPage::Checking() const {
    return checkRun_->Running();
}

void ResultsPage::StartCheck() {
    if (!scanned_ || Checking())
        return;
    ClearFindings();
    TMapProfile profile = scannedProfile_;
    profile.SetCheckExternalLinks(cbCheckExternal_->isChecked());
    // Running before the page says so: what follows the change asks Checking().
    checkRun_->Start(std::move(profile));
    SetChecking(true);
}

bool ResultsPage::StopCheck() {
    if (!checkRun_->Stop())
        return false;
    SetChecking(false);
    lblCheckProgress_->setText(u"Check stopped."_s);
    return true;
}

void ResultsPage::ClearFindings() {
    model_->ClearFindings();
    pnlCheck_->hide();
}

void ResultsPage::SetChecking(bool on) {
    if (on)
        tvMap_->CommitEdit();
    model_->SetReadOnly(on);
    btnCheckSite_->setText(on ? u"Stop Chec&k"_s : u"Chec&k Site"_s);
    btnCheckSite_->setToolTip(on ? u"Stop the check"_s : u"Check the site's links and titles"_s);
    pbCheck_->setVisible(on);
    cbCheckExternal_->setEnabled(!on);
    if (on) {
        pnlCheck_->show();
        pbCheck_->setRange(0, 0);
        lblCheckProgress_->setText(u"Scanning..."_s);
    }
    const bool findings = !on && model_->Findings().Checked();
    cbProblemsOnly_->setEnabled(findings);
    btnSaveReport_->setEnabled(findings);
    lvFindings_->setEnabled(findings);
    cboFindingKind_->setEnabled(findings);
    emit checkRunningChanged(on);
}

void ResultsPage::ShowCheckProgress(int phase, qint64 done, qint64 total) {
    if (!Checking())
        return;
    if (phase == static_cast<int>(SiteCheckRun::Phase::Scanning)) {
        lblCheckProgress_->setText(u"Scanning: "_s + ToQ(CountOf(done, "file", "files")));
        return;
    }
    // The bar counts in ints; a page count of the size_t range is scaled.
    const int scale = total > INT_MAX ? static_cast<int>(total / INT_MAX + 1) : 1;
    pbCheck_->setRange(0, static_cast<int>(total / scale));
    pbCheck_->setValue(static_cast<int>(done / scale));
    const bool online = phase == static_cast<int>(SiteCheckRun::Phase::External);
    lblCheckProgress_->setText(
        (online ? u"Checking external links: "_s : u"Checking: "_s) + QString::number(done) +
        u" of "_s + ToQ(online ? CountOf(total, "URL", "URLs") : CountOf(total, "page", "pages")));
}

void ResultsPage::CheckFinished() {
    std::optional<LinkReport> report = checkRun_->TakeReport();
    const QString error = checkRun_->Error();
    if (report)
        model_->SetFindings(std::move(*report), SiteFolderOf(scannedProfile_.IndexPage()));
    SetChecking(false);
    if (!report) {
        pnlCheck_->hide();
        dialogs_.messageBox(window(), AppTitle(), ErrorBoxText(error), MsgIcon::Error,
                            MsgButtons::Ok);
    }
}

void ResultsPage::FillFindings() {
    ShowHiddenRows();
    findingsModel_->Reset();
    FillFindingKinds();
    const SiteCheckFindings& findings = model_->Findings();
    if (!findings.Checked())
        return;
    const LinkReport& report = findings.Report();
    // Counted as the command line and the saved report count them: a group
    // of pages with one title is one problem, however many pages it marks.
    const std::string pages = CountOf(static_cast<long long>(report.PageCount), "page", "pages");
    lblCheckProgress_->setText(
        report.ProblemCount() == 0
            ? u"No problems in %1."_s.arg(ToQ(pages))
            : u"%1 in %2."_s.arg(ToQ(CountOf(static_cast<long long>(report.ProblemCount()),
                                             "problem", "problems")),
                                 ToQ(pages)));
    // The page-quality findings and the moves are listed too, yet fail nothing.
    size_t informing = 0;
    for (size_t i = 0; i < findings.Count(); ++i)
        informing += FindingFails(findings.At(i).Id.Kind) ? 0 : 1;
    if (informing > 0)
        lblCheckProgress_->setText(lblCheckProgress_->text().chopped(1) +
                                   u", and %1 that do not fail the check."_s.arg(ToQ(CountOf(
                                       static_cast<long long>(informing), "finding", "findings"))));
    if (report.ExternalChecked)
        lblCheckProgress_->setText(lblCheckProgress_->text() + u" "_s +
                                   ToQ(CountOf(static_cast<long long>(report.ExternalUrlCount),
                                               "external URL", "external URLs")) +
                                   u" asked."_s);
    // A cache that could not be used or kept is said, not fatal.
    const QStringList& warnings = checkRun_->Warnings();
    if (!warnings.isEmpty())
        lblCheckProgress_->setText(lblCheckProgress_->text() + u" "_s + warnings.join(u' '));
    lblCheckProgress_->setToolTip(lblCheckProgress_->text());
    if (cbProblemsOnly_->isChecked())
        SetProblemsOnly(true);
}

void ResultsPage::RefreshFindings(const std::vector<size_t>& findings) {
    findingsModel_->FindingsChanged(findings);
}

void ResultsPage::RefreshNodeFindings(const SiteMapNode* node) {
    RefreshFindings(model_->Findings().Of(node));
}

void ResultsPage::FillFindingKinds() {
    const SiteCheckFindings& findings = model_->Findings();
    const QSignalBlocker quiet(cboFindingKind_);
    cboFindingKind_->clear();
    cboFindingKind_->addItem(u"All kinds (%1)"_s.arg(findings.Count()), -1);
    for (size_t k = 0; k < findings::kKinds.size(); ++k) {
        const auto kind = static_cast<FindingKind>(k);
        if (const size_t n = findings.OfKind(kind).size(); n > 0)
            cboFindingKind_->addItem(
                u"%1 (%2)"_s.arg(QString::fromUtf8(FindingKindTitle(kind))).arg(n),
                static_cast<int>(k));
    }
}

void ResultsPage::ShowFindingKind(int entry) {
    const int kind = cboFindingKind_->itemData(entry).toInt();
    findingsModel_->ShowKind(kind < 0 ? std::nullopt
                                      : std::optional(static_cast<FindingKind>(kind)));
}

void ResultsPage::ActivateFinding(int row) {
    const SiteCheckFindings& findings = model_->Findings();
    const size_t finding = findingsModel_->FindingAt(row);
    if (finding >= findings.Count())
        return;
    SiteMapNode* node = findings.NodeOf(finding);
    if (!node)
        return;
    for (SiteMapNode* up = node->Parent(); up; up = up->Parent())
        tvMap_->expand(model_->IndexOf(up));
    SelectNode(node);
    tvMap_->setFocus();
}

void ResultsPage::ShowHiddenRows() {
    for (const QPersistentModelIndex& row : hiddenRows_)
        if (row.isValid())
            tvMap_->setRowHidden(row.row(), row.parent(), false);
    hiddenRows_.clear();
}

void ResultsPage::SetProblemsOnly(bool on) {
    ShowHiddenRows();
    const SiteCheckFindings& findings = model_->Findings();
    if (!on || !findings.Checked() || model_->Suspended())
        return;
    // Nodes in index order put each parent before its children: backwards,
    // every node is settled before its parent, which holds findings when
    // one of its children does.
    const std::vector<SiteMapNode*> nodes = tree_.NodesInIndexOrder();
    std::unordered_set<const SiteMapNode*> kept;
    for (size_t i = nodes.size(); i-- > 0;) {
        const SiteMapNode* node = nodes[i];
        if ((findings.Marked(node) || kept.count(node)) && node->Parent())
            kept.insert(node->Parent());
        if (findings.Marked(node))
            kept.insert(node);
    }
    // A clean branch is hidden at its top; what lies below goes with it.
    for (SiteMapNode* node : nodes) {
        SiteMapNode* parent = node->Parent();
        if (kept.count(node) || (parent && !kept.count(parent)))
            continue;
        const QModelIndex parentIndex = model_->IndexOf(parent);
        tvMap_->setRowHidden(node->Row(), parentIndex, true);
        hiddenRows_.emplace_back(model_->index(node->Row(), 0, parentIndex));
    }
}

void ResultsPage::SaveReport() {
    const SiteCheckFindings& findings = model_->Findings();
    if (!findings.Checked() || Checking())
        return;
    const std::string siteRoot = SiteFolderOf(scannedProfile_.IndexPage());
    SaveFileRequest request;
    request.title = u"Save Check Report"_s;
    request.filter = ReportFileFilter();
    request.defaultSuffix = u"txt"_s;
    request.startFolder = ToQ(siteRoot);
    request.fileName = u"check-report.txt"_s;
    const QString chosen = dialogs_.saveFile(window(), request);
    if (chosen.isEmpty())
        return;
    const std::string path = ExpandFileName(ToStd(chosen));
    ReportOptions options;
    options.Format = ReportFormatOf(chosen);
    options.ToolVersion = TW_VERSION;
    options.SiteRoot = siteRoot;
    // SARIF and GitHub name the files from where the report lies.
    options.PathPrefix = RelativeFolder(siteRoot, ExtractFilePath(path));
    std::ostringstream text;
    WriteReport(findings.Report(), options, text);
    const std::string bytes = std::move(text).str();
    AtomicFile file(path);
    file.Write(bytes.data(), bytes.size());
    file.Commit();
}

} // namespace tw::ui
