#include "ui/SiteMapTreeModel.h"

#include "ui/Artwork.h"
#include "ui/Text.h"

#include <QPainter>
#include <QSet>

namespace tw::ui {

namespace {

// The icon with a badge in its lower right corner: a red disc with a white
// bar, which reads as "look here" at twelve pixels.
QIcon WithBadge(const QIcon& icon) {
    QIcon marked;
    QSet<qint64> done;
    for (int asked : {kNodeImageSize, 16, 24, 32}) {
        QPixmap pm = icon.pixmap(asked, asked);
        // An icon gives its largest image for any larger size: each image
        // is marked once, at the size it has.
        const int size = qRound(pm.deviceIndependentSize().width());
        if (pm.isNull() || done.contains(pm.cacheKey()))
            continue;
        done.insert(pm.cacheKey());
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal d = size * 0.6;
        const QRectF disc(size - d, size - d, d, d);
        p.setPen(QPen(Qt::white, qMax(1.0, size / 12.0)));
        p.setBrush(QColor(0xD9, 0x30, 0x25));
        p.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));
        p.setPen(QPen(Qt::white, qMax(1.0, d / 5.0), Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(disc.center().x(), disc.top() + d * 0.22),
                   QPointF(disc.center().x(), disc.bottom() - d * 0.22));
        p.end();
        marked.addPixmap(pm);
    }
    return marked;
}

} // namespace

SiteMapTreeModel::SiteMapTreeModel(TSiteMapTree& tree, QObject* parent)
    : QAbstractItemModel(parent),
      tree_(tree), icons_{NodeIcon(kImageFolder), NodeIcon(kImagePage), NodeIcon(kImagePicture)} {
    for (size_t i = 0; i < icons_.size(); ++i)
        markedIcons_[i] = WithBadge(icons_[i]);
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
        return ToQ(ShownLinkText(node->Data));
    case Qt::EditRole:
        // Edits work on the text as the page holds it.
        return ToQ(node->Data.LinkText);
    case Qt::DecorationRole: {
        int image = node->ImageIndex();
        const auto& icons = findings_.Marked(node) ? markedIcons_ : icons_;
        return icons[static_cast<size_t>(image >= 0 && image <= 2 ? image : kImagePage)];
    }
    case Qt::ToolTipRole: {
        const QString findings = findings_.NodeText(node);
        return findings.isEmpty() ? ToQ(node->Data.FilePath)
                                  : ToQ(node->Data.FilePath) + u'\n' + findings;
    }
    default:
        return {};
    }
}

bool SiteMapTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    SiteMapNode* node = NodeAt(index);
    if (!node || role != Qt::EditRole || readOnly_)
        return false;
    node->Data.EditLinkText(ToStd(value.toString()));
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole, Qt::ToolTipRole});
    emit linkTextEdited(node);
    return true;
}

Qt::ItemFlags SiteMapTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (readOnly_)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void SiteMapTreeModel::NodeChanged(SiteMapNode* node) {
    QModelIndex i = IndexOf(node);
    if (i.isValid())
        emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole, Qt::ToolTipRole});
}

void SiteMapTreeModel::SetFindings(LinkReport report, const std::string& siteRoot) {
    std::vector<SiteMapNode*> changed = findings_.MarkedNodes();
    findings_.Assign(std::move(report), tree_, siteRoot);
    std::vector<SiteMapNode*> marked = findings_.MarkedNodes();
    changed.insert(changed.end(), marked.begin(), marked.end());
    MarksChanged(changed);
    emit findingsReset();
}

void SiteMapTreeModel::ClearFindings() {
    if (!findings_.Checked())
        return;
    std::vector<SiteMapNode*> changed = findings_.MarkedNodes();
    findings_.Clear();
    MarksChanged(changed);
    emit findingsReset();
}

void SiteMapTreeModel::MarksChanged(const std::vector<SiteMapNode*>& nodes) {
    // A view finds a row of a large tree by a search of its rows: beyond a
    // few nodes one change over all top-level rows, which repaints the view
    // once, is the cheaper news.
    constexpr size_t kOneByOne = 256;
    if (nodes.size() > kOneByOne && !suspended_ && tree_.TopLevelCount() > 0) {
        emit dataChanged(index(0, 0), index(tree_.TopLevelCount() - 1, 0),
                         {Qt::DecorationRole, Qt::ToolTipRole});
        return;
    }
    for (SiteMapNode* node : nodes) {
        QModelIndex i = IndexOf(node);
        if (i.isValid())
            emit dataChanged(i, i, {Qt::DecorationRole, Qt::ToolTipRole});
    }
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
    std::vector<size_t> untied = findings_.Forget(node);
    emit nodeAboutToBeRemoved(node);
    if (!untied.empty())
        emit findingsUntied(untied);
    if (!suspended_)
        beginRemoveRows(IndexOf(parent), row, row);
}

void SiteMapTreeModel::NodeRemoved() {
    if (!suspended_)
        endRemoveRows();
}

void SiteMapTreeModel::TreeAboutToBeReset() {
    // The nodes go; the findings would point nowhere.
    if (findings_.Checked()) {
        findings_.Clear();
        emit findingsReset();
    }
    emit treeAboutToBeReset();
    if (!suspended_)
        beginResetModel();
}

void SiteMapTreeModel::TreeReset() {
    if (!suspended_)
        endResetModel();
}

} // namespace tw::ui
