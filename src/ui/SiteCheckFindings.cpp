#include "ui/SiteCheckFindings.h"

#include "ui/Text.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cstdint>

namespace tw::ui {

using namespace Qt::StringLiterals;

namespace {

bool IsTitleFinding(FindingKind kind) {
    return kind == FindingKind::MissingTitle || kind == FindingKind::EmptyTitle ||
           kind == FindingKind::DuplicateTitle;
}

} // namespace

void SiteCheckFindings::Assign(LinkReport report, const TSiteMapTree& tree,
                               const std::string& siteRoot) {
    Clear();
    report_ = std::move(report);
    checked_ = true;
    findings_ = ListFindings(report_, {});
    std::unordered_map<std::string, SiteMapNode*> byPath;
    byPath.reserve(static_cast<size_t>(tree.Count()));
    // A folder's node has the folder's path, which ends in a separator: the
    // form the report gives folders ("docs/", "./" for the root).
    tree.ForEach([&](SiteMapNode& node, int) {
        byPath.try_emplace(SiteRelativePath(siteRoot, node.Data.FilePath), &node);
    });
    nodes_.assign(findings_.size(), nullptr);
    byKind_.assign(findings::kKinds.size(), {});
    for (size_t i = 0; i < findings_.size(); ++i) {
        if (const auto kind = static_cast<size_t>(findings_[i].Id.Kind); kind < byKind_.size())
            byKind_[kind].push_back(i);
        auto found = byPath.find(findings_[i].Id.Page);
        if (found == byPath.end())
            continue;
        nodes_[i] = found->second;
        byNode_[found->second].push_back(i);
    }
}

void SiteCheckFindings::Clear() {
    checked_ = false;
    report_ = {};
    findings_.clear();
    nodes_.clear();
    byNode_.clear();
    byKind_.clear();
}

const std::vector<size_t>& SiteCheckFindings::OfKind(FindingKind kind) const {
    static const std::vector<size_t> none;
    const auto k = static_cast<size_t>(kind);
    return k < byKind_.size() ? byKind_[k] : none;
}

const std::vector<size_t>& SiteCheckFindings::Of(const SiteMapNode* node) const {
    static const std::vector<size_t> none;
    auto found = byNode_.find(node);
    return found == byNode_.end() ? none : found->second;
}

std::vector<SiteMapNode*> SiteCheckFindings::MarkedNodes() const {
    std::vector<SiteMapNode*> nodes;
    nodes.reserve(byNode_.size());
    for (const auto& entry : byNode_)
        nodes.push_back(const_cast<SiteMapNode*>(entry.first));
    return nodes;
}

std::vector<size_t> SiteCheckFindings::Forget(SiteMapNode* node) {
    std::vector<size_t> untied;
    if (byNode_.empty())
        return untied;
    std::vector<SiteMapNode*> pending{node};
    while (!pending.empty()) {
        SiteMapNode* n = pending.back();
        pending.pop_back();
        if (auto found = byNode_.find(n); found != byNode_.end()) {
            for (size_t i : found->second) {
                nodes_[i] = nullptr;
                untied.push_back(i);
            }
            byNode_.erase(found);
        }
        for (int row = 0; row < n->ChildCount(); ++row)
            pending.push_back(n->Child(row));
    }
    return untied;
}

QString SiteCheckFindings::Message(size_t i) const {
    const Finding& f = findings_[i];
    QString message = ToQ(f.Message);
    const SiteMapNode* node = nodes_[i];
    if (node && IsTitleFinding(f.Id.Kind) && node->Data.LinkTextOrigin == TextOrigin::AsTyped &&
        !node->Data.LinkText.empty())
        message +=
            u"; the site map gives it the text \u201C"_s + ToQ(node->Data.LinkText) + u"\u201D"_s;
    return message;
}

QString SiteCheckFindings::NodeText(const SiteMapNode* node) const {
    QStringList lines;
    for (size_t i : Of(node)) {
        QString line = Message(i);
        if (findings_[i].Line > 0)
            line += u" (line "_s + QString::number(findings_[i].Line) + u')';
        lines << line;
    }
    return lines.join(u'\n');
}

FindingsListModel::FindingsListModel(const SiteCheckFindings& findings, QObject* parent)
    : QAbstractTableModel(parent), findings_(findings) {}

void FindingsListModel::Reset() {
    beginResetModel();
    rows_ = nullptr;
    endResetModel();
}

void FindingsListModel::ShowKind(std::optional<FindingKind> kind) {
    beginResetModel();
    rows_ = kind ? &findings_.OfKind(*kind) : nullptr;
    endResetModel();
}

size_t FindingsListModel::FindingAt(int row) const {
    if (row < 0 || row >= rowCount())
        return SIZE_MAX;
    return rows_ ? (*rows_)[static_cast<size_t>(row)] : static_cast<size_t>(row);
}

int FindingsListModel::RowOf(size_t finding) const {
    if (finding >= findings_.Count())
        return -1;
    if (!rows_)
        return static_cast<int>(finding);
    // The kind's list is in ascending order.
    auto at = std::lower_bound(rows_->begin(), rows_->end(), finding);
    return at != rows_->end() && *at == finding ? static_cast<int>(at - rows_->begin()) : -1;
}

void FindingsListModel::FindingsChanged(const std::vector<size_t>& findings) {
    // Many rows at once: one change over all of them repaints the view once.
    constexpr size_t kOneByOne = 256;
    if (findings.size() > kOneByOne) {
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
        return;
    }
    for (size_t i : findings)
        if (int row = RowOf(i); row >= 0)
            emit dataChanged(index(row, 0), index(row, 3));
}

int FindingsListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return static_cast<int>(rows_ ? rows_->size() : findings_.Count());
}

int FindingsListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant FindingsListModel::data(const QModelIndex& index, int role) const {
    const size_t i = index.isValid() ? FindingAt(index.row()) : SIZE_MAX;
    if (i == SIZE_MAX)
        return {};
    const Finding& f = findings_.At(i);
    const bool inMap = findings_.NodeOf(i) != nullptr;
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0:
            return QString::fromUtf8(FindingKindTitle(f.Id.Kind));
        case 1:
            return ToQ(f.Id.Page);
        case 2:
            return f.Line > 0 ? QVariant(f.Line) : QVariant();
        default:
            return findings_.Message(i);
        }
    case Qt::ToolTipRole:
        // A finding without a node is listed all the same, but leads nowhere.
        if (index.column() == 1)
            return inMap ? ToQ(findings_.NodeOf(i)->Data.FilePath) : u"Not in the site map"_s;
        return index.column() == 3 ? findings_.Message(i) : QVariant();
    case Qt::ForegroundRole:
        if (index.column() == 1 && !inMap)
            return QGuiApplication::palette().placeholderText();
        return {};
    default:
        return {};
    }
}

QVariant FindingsListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const std::array<const char*, 4> kTitles{"Kind", "Page", "Line", "Message"};
    return section >= 0 && section < 4 ? QString::fromLatin1(kTitles[static_cast<size_t>(section)])
                                       : QVariant();
}

} // namespace tw::ui
