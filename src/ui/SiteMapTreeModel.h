#pragma once

#include "model/SiteMapTree.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <array>

namespace tw::ui {

// Shows a site map tree to a tree view. The tree stays the source of truth:
// the model only reads it, follows its changes, and writes an edited caption
// back as the node's link text.
class SiteMapTreeModel : public QAbstractItemModel, private TreeObserver {
    Q_OBJECT
public:
    explicit SiteMapTreeModel(TSiteMapTree& tree, QObject* parent = nullptr);
    ~SiteMapTreeModel() override;

    SiteMapNode* NodeAt(const QModelIndex& index) const;
    QModelIndex IndexOf(SiteMapNode* node) const;

    // While suspended the model shows an empty tree and ignores the tree's
    // changes; Resume shows the tree as it is then. A scan adds tens of
    // thousands of nodes, which one reset shows far faster than one insert
    // notification each.
    void Suspend();
    void Resume();
    bool Suspended() const { return suspended_; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Tells a view that the node's caption changed (after a dialog edit).
    void NodeChanged(SiteMapNode* node);

signals:
    // An in-place edit stored a new link text.
    void linkTextEdited(tw::SiteMapNode* node);
    // The node and everything below it are about to go.
    void nodeAboutToBeRemoved(tw::SiteMapNode* node);
    void treeAboutToBeReset();

private:
    void NodeAboutToBeAdded(SiteMapNode* parent, int row) override;
    void NodeAdded() override;
    void NodeAboutToBeRemoved(SiteMapNode* parent, int row) override;
    void NodeRemoved() override;
    void TreeAboutToBeReset() override;
    void TreeReset() override;

    TSiteMapTree& tree_;
    bool suspended_ = false;
    std::array<QIcon, 3> icons_;
};

} // namespace tw::ui
