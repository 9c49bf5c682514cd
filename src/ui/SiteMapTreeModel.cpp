#include "ui/SiteMapTreeModel.h"

#include "ui/Artwork.h"
#include "ui/Text.h"

namespace tw::ui {

SiteMapTreeModel::SiteMapTreeModel(TSiteMapTree& tree, QObject* parent)
    : QAbstractItemModel(parent),
      tree_(tree), icons_{NodeIcon(kImageFolder), NodeIcon(kImagePage), NodeIcon(kImagePicture)} {
    tree_.SetObserver(this);
}

SiteMapTreeModel::~SiteMapTreeModel() {
    tree_.SetObserver(nullptr);
}

SiteMapNode* SiteMapTreeModel::NodeAt(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<SiteMapNode*>(index.internalPointer());
}

QModelIndex SiteMapTreeModel::IndexOf(SiteMapNode* node) const {
    if (!node || suspended_)
        return {};
    return createIndex(node->Row(), 0, node);
}

void SiteMapTreeModel::Suspend() {
    if (suspended_)
        return;
    beginResetModel();
    suspended_ = true;
    endResetModel();
}

void SiteMapTreeModel::Resume() {
    if (!suspended_)
        return;
    beginResetModel();
    suspended_ = false;
    endResetModel();
}

QModelIndex SiteMapTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (suspended_ || column != 0 || row < 0)
        return {};
    SiteMapNode* p = NodeAt(parent);
    if (p)
        return row < p->ChildCount() ? createIndex(row, 0, p->Child(row)) : QModelIndex();
    return row < tree_.TopLevelCount() ? createIndex(row, 0, tree_.TopLevel(row)) : QModelIndex();
}

QModelIndex SiteMapTreeModel::parent(const QModelIndex& child) const {
    SiteMapNode* node = NodeAt(child);
    if (!node || !node->Parent())
        return {};
    return createIndex(node->Parent()->Row(), 0, node->Parent());
}

int SiteMapTreeModel::rowCount(const QModelIndex& parent) const {
    if (suspended_)
        return 0;
    if (!parent.isValid())
        return tree_.TopLevelCount();
    if (parent.column() != 0)
        return 0;
    SiteMapNode* node = NodeAt(parent);
    return node ? node->ChildCount() : 0;
}

int SiteMapTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant SiteMapTreeModel::data(const QModelIndex& index, int role) const {
    SiteMapNode* node = NodeAt(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return ToQ(node->Data.LinkText);
    case Qt::DecorationRole: {
        int image = node->ImageIndex();
        return icons_[static_cast<size_t>(image >= 0 && image <= 2 ? image : kImagePage)];
    }
    case Qt::ToolTipRole:
        return ToQ(node->Data.FilePath);
    default:
        return {};
    }
}

bool SiteMapTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    SiteMapNode* node = NodeAt(index);
    if (!node || role != Qt::EditRole)
        return false;
    node->Data.EditLinkText(ToStd(value.toString()));
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    emit linkTextEdited(node);
    return true;
}

Qt::ItemFlags SiteMapTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void SiteMapTreeModel::NodeChanged(SiteMapNode* node) {
    QModelIndex i = IndexOf(node);
    if (i.isValid())
        emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
}

void SiteMapTreeModel::NodeAboutToBeAdded(SiteMapNode* parent, int row) {
    if (!suspended_)
        beginInsertRows(IndexOf(parent), row, row);
}

void SiteMapTreeModel::NodeAdded() {
    if (!suspended_)
        endInsertRows();
}

void SiteMapTreeModel::NodeAboutToBeRemoved(SiteMapNode* parent, int row) {
    SiteMapNode* node = parent ? parent->Child(row) : tree_.TopLevel(row);
    emit nodeAboutToBeRemoved(node);
    if (!suspended_)
        beginRemoveRows(IndexOf(parent), row, row);
}

void SiteMapTreeModel::NodeRemoved() {
    if (!suspended_)
        endRemoveRows();
}

void SiteMapTreeModel::TreeAboutToBeReset() {
    emit treeAboutToBeReset();
    if (!suspended_)
        beginResetModel();
}

void SiteMapTreeModel::TreeReset() {
    if (!suspended_)
        endResetModel();
}

} // namespace tw::ui
