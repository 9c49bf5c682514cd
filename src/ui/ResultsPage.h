#pragma once

#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"

#include <QTreeView>
#include <QWidget>

class QAction;
class QMenu;

namespace tw::ui {

class IDialogs;
class PathLabel;
class SiteMapTreeModel;

// The tree view of the results page: hands its keys and context-menu
// requests to the page.
class SiteMapTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit SiteMapTreeView(QWidget* parent = nullptr);

    // Opens Top and every item below it that has children, with one layout
    // at the end. Qt's own recursive expansion also records every leaf as
    // expanded, which makes each later row removal walk them all.
    void ExpandSubtree(const QModelIndex& top);

signals:
    void renameKeyPressed();
    void deleteKeyPressed();
    void propertiesKeyPressed();
    // A double click on no item; QTreeView tells only those on an item.
    void emptySpaceDoubleClicked();
    // Index is the node under the mouse pointer, invalid for a request from
    // the keyboard or over empty space.
    void contextMenuAsked(const QModelIndex& index, const QPoint& globalPos, bool fromMouse);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// Wizard page 2: the site map tree with in-place editing, deletion, the
// ignore-list commands and the item properties dialog.
class ResultsPage : public QWidget {
    Q_OBJECT
public:
    ResultsPage(TSiteMapTree& tree, TMapProfile& profile, IDialogs& dialogs,
                QWidget* parent = nullptr);

    SiteMapTreeModel* Model() const { return model_; }
    SiteMapTreeView* TreeView() const { return tvMap_; }
    QMenu* ContextMenu() const { return pumResults_; }
    SiteMapNode* ContextNode() const { return contextNode_; }
    SiteMapNode* SelectedNode() const;
    void SelectNode(SiteMapNode* node);

    // After a scan: the root expanded, selected, in view, and shown below.
    void ShowScanResult();
    void SetLinkFileName(const QString& path);

    void tvMapClick();
    void DeleteSelectedNodes();
    void EditNodeProperties(SiteMapNode* node);
    void StartEdit(SiteMapNode* node);
    // Opens the menu for Node (or does nothing without one).
    void tvMapNodeContextMenu(SiteMapNode* node, const QPoint& globalPos);

    void miAddIgnoreFolderClick();
    void miIgnoreFileClick();
    void miDeleteClick();
    void miRenameClick();
    void miPropertiesClick();

signals:
    // An ignore command added an entry to one of the profile's lists.
    void ignoreListsChanged();

private:
    void ForgetContextNodeWithin(SiteMapNode* removed);
    bool ConfirmRemoval();

    TSiteMapTree& tree_;
    TMapProfile& profile_;
    IDialogs& dialogs_;
    SiteMapTreeModel* model_;
    SiteMapTreeView* tvMap_;
    PathLabel* lblLinkFileName_;
    QMenu* pumResults_;
    QAction* miAddIgnoreFolder_;
    QAction* miIgnoreFile_;
    QAction* miDelete_;
    QAction* miRename_;
    QAction* miProperties_;
    SiteMapNode* contextNode_ = nullptr;
};

} // namespace tw::ui
