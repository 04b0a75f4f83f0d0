#pragma once

#include <QTreeView>

class RecordDocument;
class QMenu;
struct GroupNode;

// The group tree VST_Grup: names with their "{n}" member counts, the focus
// marker in the narrow pale-green column, and the person filter.
class GroupTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit GroupTreeView(RecordDocument& document, QWidget* parent = nullptr);

    GroupNode* focusedGroup() const;
    // Makes the group the focused one (the filter runs when it changes) and
    // selects it; nullptr clears the focus.
    void focusGroup(const GroupNode* group);
    // Marks the group selected and scrolls it into view without moving the
    // focus, so the filter does not run again.
    void selectOnly(const GroupNode* group);

    // The person filter: the focused group's direct members stay visible.
    void VST_GrupFocusChanged();

Q_SIGNALS:
    // The filter changed what the person list shows.
    void personsFiltered();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    RecordDocument& document_;
};
