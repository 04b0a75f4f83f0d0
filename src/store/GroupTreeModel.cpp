#include "store/GroupTreeModel.h"

#include "platform/TurkishText.h"

GroupTreeModel::GroupTreeModel(QObject* parent)
    : QAbstractItemModel(parent), root_(std::make_unique<GroupNode>()) {}

GroupTreeModel::~GroupTreeModel() = default;

GroupNode* GroupTreeModel::node(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<GroupNode*>(index.internalPointer());
}

QModelIndex GroupTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const GroupNode* p = parent.isValid() ? node(parent) : root_.get();
    if (!p || row < 0 || row >= int(p->children.size()) || column < 0 || column >= ColumnCount)
        return {};
    return createIndex(row, column, p->children[size_t(row)].get());
}

QModelIndex GroupTreeModel::parent(const QModelIndex& child) const {
    const GroupNode* n = node(child);
    if (!n || !n->parent || n->parent->isRoot())
        return {};
    return createIndex(n->parent->row(), 0, n->parent);
}

int GroupTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0)
        return 0;
    const GroupNode* p = parent.isValid() ? node(parent) : root_.get();
    return p ? int(p->children.size()) : 0;
}

int GroupTreeModel::columnCount(const QModelIndex&) const { return ColumnCount; }

QVariant GroupTreeModel::data(const QModelIndex& index, int role) const {
    const GroupNode* n = node(index);
    if (!n)
        return {};
    if (index.column() == ColumnName) {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return n->Name;
        if (role == MemberCountRole)
            return n->MemberCount;
        if (role == Qt::AccessibleTextRole)
            return QStringLiteral("%1 {%2}").arg(n->Name).arg(n->MemberCount);
    } else if (index.column() == ColumnMarker && role == FocusedRole) {
        return n == focused_;
    }
    return {};
}

Qt::ItemFlags GroupTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QVariant GroupTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == ColumnName)
        return QStringLiteral("Grup Ad");
    return {};
}

QModelIndex GroupTreeModel::indexOf(const GroupNode* n, int column) const {
    if (!n || n->isRoot())
        return {};
    return createIndex(n->row(), column, const_cast<GroupNode*>(n));
}

void GroupTreeModel::setRoot(std::unique_ptr<GroupNode> root) {
    beginResetModel();
    root_ = std::move(root);
    focused_ = nullptr;
    endResetModel();
}

void GroupTreeModel::clear() { setRoot(std::make_unique<GroupNode>()); }

void GroupTreeModel::setFocusedGroup(const GroupNode* n) {
    if (n == focused_)
        return;
    const GroupNode* old = focused_;
    focused_ = n;
    emitRowChanged(old);
    emitRowChanged(n);
}

GroupNode* GroupTreeModel::insertGroup(GroupNode& parent, int position, const QString& name) {
    const int row = position < 0 ? int(parent.children.size()) : position;
    beginInsertRows(parent.isRoot() ? QModelIndex() : indexOf(&parent), row, row);
    GroupNode* node = parent.addChild(name, row);
    endInsertRows();
    return node;
}

void GroupTreeModel::insertGroup(GroupNode& parent, int position, std::unique_ptr<GroupNode> node) {
    const int row = position < 0 ? int(parent.children.size()) : position;
    beginInsertRows(parent.isRoot() ? QModelIndex() : indexOf(&parent), row, row);
    node->parent = &parent;
    parent.children.insert(parent.children.begin() + row, std::move(node));
    endInsertRows();
}

std::unique_ptr<GroupNode> GroupTreeModel::takeGroup(GroupNode* node) {
    Q_EMIT groupAboutToBeRemoved(node);
    GroupNode* parent = node->parent;
    const int row = node->row();
    for (const GroupNode* f = focused_; f; f = f->parent)
        if (f == node)
            focused_ = nullptr;
    beginRemoveRows(indexOf(parent), row, row);
    std::unique_ptr<GroupNode> taken = std::move(parent->children[size_t(row)]);
    parent->children.erase(parent->children.begin() + row);
    taken->parent = nullptr;
    endRemoveRows();
    return taken;
}

bool GroupTreeModel::contains(const GroupNode* node) const {
    while (node && node->parent)
        node = node->parent;
    return node == root_.get();
}

bool GroupTreeModel::moveGroup(GroupNode* node, GroupNode& newParent, int position) {
    for (const GroupNode* p = &newParent; p; p = p->parent)
        if (p == node)
            return false;
    GroupNode* oldParent = node->parent;
    const int from = node->row();
    int to = position < 0 ? int(newParent.children.size()) : position;
    if (oldParent == &newParent && (to == from || to == from + 1))
        return true;
    if (!beginMoveRows(indexOf(oldParent), from, from, indexOf(&newParent), to))
        return false;
    std::unique_ptr<GroupNode> owned = std::move(oldParent->children[size_t(from)]);
    oldParent->children.erase(oldParent->children.begin() + from);
    if (oldParent == &newParent && to > from)
        --to;
    owned->parent = &newParent;
    newParent.children.insert(newParent.children.begin() + to, std::move(owned));
    endMoveRows();
    return true;
}

void GroupTreeModel::renamed(const GroupNode* node) { emitRowChanged(node); }

GroupNode* GroupTreeModel::topLevelGroup(const QString& name) {
    const QString key = TurkceUpperCase(name);
    for (const auto& child : root_->children)
        if (TurkceKeyEquals(child->Name, key))
            return child.get();
    return insertGroup(*root_, -1, name);
}

void GroupTreeModel::addMembers(GroupNode* n, int delta) {
    addToMemberChain(n, delta);
    for (; n && !n->isRoot(); n = n->parent)
        emitRowChanged(n);
}

void GroupTreeModel::countsChanged() { emitSubtreeChanged(*root_); }

void GroupTreeModel::emitRowChanged(const GroupNode* n) {
    if (!n || n->isRoot())
        return;
    Q_EMIT dataChanged(indexOf(n, ColumnName), indexOf(n, ColumnMarker));
}

void GroupTreeModel::emitSubtreeChanged(const GroupNode& n) {
    if (n.children.empty())
        return;
    const int last = int(n.children.size()) - 1;
    Q_EMIT dataChanged(indexOf(n.children.front().get(), ColumnName),
                       indexOf(n.children[size_t(last)].get(), ColumnMarker));
    for (const auto& child : n.children)
        emitSubtreeChanged(*child);
}
