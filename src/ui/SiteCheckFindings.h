#pragma once

#include "check/CheckReport.h"
#include "model/SiteMapTree.h"

#include <QAbstractTableModel>
#include <QString>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tw::ui {

// The findings of the last site check, each tied to the node of the user's
// tree whose file or folder it is about. The check scans a tree of its own,
// so a finding may have no node: its page was deleted from the map, or was
// never in it.
class SiteCheckFindings {
public:
    // Lists the report's findings and ties them to the nodes of Tree, whose
    // paths lie below SiteRoot (absolute, ending in "/"). One pass over the
    // tree and one over the findings.
    void Assign(LinkReport report, const TSiteMapTree& tree, const std::string& siteRoot);
    void Clear();

    bool Checked() const { return checked_; }
    const LinkReport& Report() const { return report_; }
    size_t Count() const { return findings_.size(); }
    const Finding& At(size_t i) const { return findings_[i]; }
    SiteMapNode* NodeOf(size_t i) const { return nodes_[i]; }
    // The findings of Node, by index; empty when it has none.
    const std::vector<size_t>& Of(const SiteMapNode* node) const;
    bool Marked(const SiteMapNode* node) const { return byNode_.count(node) != 0; }
    // The nodes that have findings.
    std::vector<SiteMapNode*> MarkedNodes() const;
    // The findings of Kind, by index in ascending order.
    const std::vector<size_t>& OfKind(FindingKind kind) const;

    // Unties the findings of Node and of every node below it, which are
    // about to go; returns those findings.
    std::vector<size_t> Forget(SiteMapNode* node);

    // The finding's message as the wizard shows it: a page whose own title
    // is wanting says what text the site map gives it instead, once the
    // user typed one.
    QString Message(size_t i) const;
    // Every finding of Node, one a line; empty when it has none.
    QString NodeText(const SiteMapNode* node) const;

private:
    bool checked_ = false;
    LinkReport report_;
    std::vector<Finding> findings_;
    std::vector<SiteMapNode*> nodes_; // by finding; null without a node
    std::unordered_map<const SiteMapNode*, std::vector<size_t>> byNode_;
    std::vector<std::vector<size_t>> byKind_; // by FindingKind
};

// The findings as a table: kind, page, line, message. Rows are made when
// shown, so a list of a hundred thousand findings costs nothing to fill.
class FindingsListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FindingsListModel(const SiteCheckFindings& findings, QObject* parent = nullptr);

    // The findings were replaced or cleared; every kind is shown again.
    void Reset();
    // These findings' texts changed.
    void FindingsChanged(const std::vector<size_t>& findings);
    // Shows the findings of Kind only; none: all of them.
    void ShowKind(std::optional<FindingKind> kind);
    // The finding a row shows, or SIZE_MAX for a row out of range.
    size_t FindingAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // The row of a finding that is shown, or -1.
    int RowOf(size_t finding) const;

    const SiteCheckFindings& findings_;
    // The findings of the kind shown, a list the findings keep; null: all.
    const std::vector<size_t>* rows_ = nullptr;
};

} // namespace tw::ui
