#pragma once

#include "platform/qt/PickedRowTreeView.h"
#include "store/GroupOperations.h"

#include <optional>

class QAction;
class QMenu;
class QMimeData;
class Prompts;
class RecordDocument;
struct GroupNode;

// The group tree VST_Grup: names with their "{n}" member counts, the focus
// marker in the narrow pale-green column, and the person filter.
class GroupTreeView : public PickedRowTreeView {
    Q_OBJECT
public:
    explicit GroupTreeView(RecordDocument& document, QWidget* parent = nullptr);
    // Drops need the editing state (nothing is accepted while an add or
    // edit is open).
    void setDropPartners(QAction* addCommand, Prompts* prompts);

    // Whether a drop of data (from source) in that mode on target is taken:
    // persons the drag carries onto a group, or the focused group.
    bool VST_GrupDragOver(const QMimeData* data, QObject* source,
                          std::optional<groupops::DropMode> mode, GroupNode* target) const;
    void VST_GrupDragDrop(const QMimeData* data, groupops::DropMode mode, GroupNode* target);

    GroupNode* focusedGroup() const;
    // Makes the group the focused one (the filter runs when it changes) and
    // selects it; nullptr clears the focus.
    void focusGroup(const GroupNode* group);
    // Marks the group selected and scrolls it into view without moving the
    // focus, so the filter does not run again.
    void selectOnly(const GroupNode* group);

    // No focused and no selected group, without running the filter.
    void clearFocusWithoutFilter();

    // The person filter: the focused group's direct members stay visible.
    void VST_GrupFocusChanged();

Q_SIGNALS:
    // The filter changed what the person list shows.
    void personsFiltered();

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    RecordDocument& document_;
    bool filterDetached_ = false;
    QAction* addCommand_ = nullptr;
    Prompts* prompts_ = nullptr;
};
