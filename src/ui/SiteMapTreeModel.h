#pragma once

#include "model/SiteMapTree.h"
#include "ui/SiteCheckFindings.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <array>
#include <vector>

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

    // The findings of the last site check: nodes with findings show a badge
    // on their icon and the findings in their tooltip.
    const SiteCheckFindings& Findings() const { return findings_; }
    void SetFindings(LinkReport report, const std::string& siteRoot);
    void ClearFindings();
    // Read-only, no item can be edited in place (while a check runs).
    void SetReadOnly(bool on) { readOnly_ = on; }
    bool ReadOnly() const { return readOnly_; }

signals:
    // An in-place edit stored a new link text.
    void linkTextEdited(tw::SiteMapNode* node);
    // The node and everything below it are about to go.
    void nodeAboutToBeRemoved(tw::SiteMapNode* node);
    void treeAboutToBeReset();
    // Findings lost their node, which is going: they are listed without one.
    void findingsUntied(const std::vector<size_t>& findings);
    // The findings were replaced or cleared.
    void findingsReset();

private:
    void NodeAboutToBeAdded(SiteMapNode* parent, int row) override;
    void NodeAdded() override;
    void NodeAboutToBeRemoved(SiteMapNode* parent, int row) override;
    void NodeRemoved() override;
    void TreeAboutToBeReset() override;
    void TreeReset() override;
    // Tells the views that these nodes' marks changed.
    void MarksChanged(const std::vector<SiteMapNode*>& nodes);

    TSiteMapTree& tree_;
    bool suspended_ = false;
    bool readOnly_ = false;
    std::array<QIcon, 3> icons_;
    std::array<QIcon, 3> markedIcons_; // the same with the findings badge
    SiteCheckFindings findings_;
};

} // namespace tw::ui
