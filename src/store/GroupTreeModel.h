#pragma once

#include "store/GroupTree.h"

#include <QAbstractItemModel>

#include <memory>

// The group tree of the open file. Column 0 is the tree column with the
// name (the "{n}" member count is MemberCountRole, painted after it);
// column 1 carries the marker of the focused group (FocusedRole).
class GroupTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { ColumnName, ColumnMarker, ColumnCount };
    enum Role { MemberCountRole = Qt::UserRole + 1, FocusedRole };

    explicit GroupTreeModel(QObject* parent = nullptr);
    ~GroupTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const GroupNode& root() const { return *root_; }
    GroupNode& root() { return *root_; }
    bool isEmpty() const { return root_->children.empty(); }
    GroupNode* node(const QModelIndex& index) const;
    QModelIndex indexOf(const GroupNode* node, int column = ColumnName) const;

    void setRoot(std::unique_ptr<GroupNode> root);
    void clear();

    // The group whose row shows the focus marker.
    void setFocusedGroup(const GroupNode* node);
    const GroupNode* focusedGroup() const { return focused_; }

    // Inserts a new group under parent (the root for a top-level group) at
    // position (-1: last).
    GroupNode* insertGroup(GroupNode& parent, int position, const QString& name);
    // Puts a group taken out before back under parent at position, with its
    // sub-groups.
    void insertGroup(GroupNode& parent, int position, std::unique_ptr<GroupNode> node);
    // Takes a group with all its sub-groups out of the tree; the focus goes
    // when it lies inside.
    std::unique_ptr<GroupNode> takeGroup(GroupNode* node);
    // Whether the group is in the tree (not taken out).
    bool contains(const GroupNode* node) const;
    // Moves a group with its sub-groups to position (-1: last) under
    // newParent. False when newParent lies inside the moved subtree.
    bool moveGroup(GroupNode* node, GroupNode& newParent, int position);
    void renamed(const GroupNode* node);
    // The top-level group of that name (same key), created last when missing.
    GroupNode* topLevelGroup(const QString& name);

    // Adds delta to the count of node and its ancestors, and repaints them.
    void addMembers(GroupNode* node, int delta);
    // Repaints every count (after a change made to many groups at once).
    void countsChanged();

Q_SIGNALS:
    // The group with its sub-groups is about to leave the tree.
    void groupAboutToBeRemoved(const GroupNode* group);

private:
    void emitRowChanged(const GroupNode* node);
    void emitSubtreeChanged(const GroupNode& node);

    std::unique_ptr<GroupNode> root_;
    const GroupNode* focused_ = nullptr;
};
