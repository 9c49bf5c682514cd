#include "ui/ResultsPage.h"

#include "model/ProfileRules.h"
#include "support/NXStrings.h"
#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/Guard.h"
#include "ui/PathLabel.h"
#include "ui/SiteMapTreeModel.h"
#include "ui/Text.h"

#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <vector>

namespace tw::ui {

using namespace Qt::StringLiterals;

SiteMapTreeView::SiteMapTreeView(QWidget* parent) : QTreeView(parent) {}

void SiteMapTreeView::keyPressEvent(QKeyEvent* event) {
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (key == Qt::Key_F2 && mods == Qt::NoModifier) {
        emit renameKeyPressed();
        return;
    }
    if (key == Qt::Key_Delete && mods == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            emit deleteKeyPressed();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::AltModifier) {
        emit propertiesKeyPressed();
        return;
    }
    if (key == Qt::Key_Asterisk && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
        if (currentIndex().isValid())
            ExpandSubtree(currentIndex());
        return;
    }
    QTreeView::keyPressEvent(event);
}

void SiteMapTreeView::ExpandSubtree(const QModelIndex& top) {
    if (!model() || !top.isValid())
        return;
    // With a layout pending, each expand only records the item.
    scheduleDelayedItemsLayout();
    std::vector<QModelIndex> pending{top};
    while (!pending.empty()) {
        QModelIndex index = pending.back();
        pending.pop_back();
        const int rows = model()->rowCount(index);
        if (rows == 0)
            continue;
        expand(index);
        for (int row = rows - 1; row >= 0; --row)
            pending.push_back(model()->index(row, 0, index));
    }
    executeDelayedItemsLayout();
}

void SiteMapTreeView::contextMenuEvent(QContextMenuEvent* event) {
    bool fromMouse = event->reason() == QContextMenuEvent::Mouse;
    QModelIndex index;
    if (fromMouse)
        index = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    emit contextMenuAsked(index, event->globalPos(), fromMouse);
    event->accept();
}

void SiteMapTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    const bool onItem = indexAt(event->position().toPoint()).isValid();
    QTreeView::mouseDoubleClickEvent(event);
    if (!onItem && event->button() == Qt::LeftButton)
        emit emptySpaceDoubleClicked();
}

ResultsPage::ResultsPage(TSiteMapTree& tree, TMapProfile& profile, IDialogs& dialogs,
                         QWidget* parent)
    : QWidget(parent), tree_(tree), profile_(profile), dialogs_(dialogs) {
    setObjectName(u"tsResults"_s);
    model_ = new SiteMapTreeModel(tree_, this);
    tvMap_ = new SiteMapTreeView;
    tvMap_->setObjectName(u"tvMap"_s);
    tvMap_->setModel(model_);
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

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 10, 12, 8);
    grid->setVerticalSpacing(4);
    grid->addWidget(caption, 0, 0, 1, 2);
    grid->addWidget(tvMap_, 1, 0, 1, 2);
    grid->addWidget(fileCaption, 2, 0);
    grid->addWidget(lblLinkFileName_, 2, 1);
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
    connect(model_, &SiteMapTreeModel::treeAboutToBeReset, this,
            [this] { contextNode_ = nullptr; });
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
    if (!ConfirmRemoval())
        return;
    // One node at most is selected; a deeper one would go before its parent.
    if (SiteMapNode* node = SelectedNode())
        tree_.Delete(node);
    tvMapClick();
}

void ResultsPage::EditNodeProperties(SiteMapNode* node) {
    if (!node)
        return;
    QString linkText = ToQ(node->Data.LinkText);
    QString linkURL = ToQ(node->Data.LinkURL);
    if (!dialogs_.editItem(window(), ToQ(node->Data.FilePath), linkText, linkURL))
        return;
    node->Data.EditLinkText(ToStd(linkText));
    node->Data.EditLinkURL(ToStd(linkURL));
    model_->NodeChanged(node);
}

void ResultsPage::StartEdit(SiteMapNode* node) {
    QModelIndex index = model_->IndexOf(node);
    if (!index.isValid())
        return;
    tvMap_->setCurrentIndex(index);
    tvMap_->edit(index);
}

void ResultsPage::tvMapNodeContextMenu(SiteMapNode* node, const QPoint& globalPos) {
    contextNode_ = nullptr;
    if (!node)
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
    if (!contextNode_)
        return;
    AppendIgnoreFolder(profile_, contextNode_->Data.FolderPath);
    emit ignoreListsChanged();
    tree_.Delete(contextNode_);
}

void ResultsPage::miIgnoreFileClick() {
    if (!contextNode_)
        return;
    AppendIgnoreFile(profile_, AsciiLowerCase(contextNode_->Data.FilePath));
    emit ignoreListsChanged();
    tree_.Delete(contextNode_);
    tvMapClick();
}

void ResultsPage::miDeleteClick() {
    if (!contextNode_ || !ConfirmRemoval())
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

} // namespace tw::ui
