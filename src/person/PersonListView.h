#pragma once

#include "platform/qt/PickedRowTreeView.h"
#include "store/GroupOperations.h"

#include <optional>
#include <vector>

class PersonListModel;
class RecordDocument;
struct PersonRecord;

// The person list VST: three columns, sorted only by a header click, with
// the sort column painted light grey. The current person is the one the
// detail pages show; it stays current when the group filter hides its row.
class PersonListView : public PickedRowTreeView {
    Q_OBJECT
public:
    explicit PersonListView(RecordDocument& document, QWidget* parent = nullptr);

    PersonRecord* focusedPerson() const;
    // Makes the person the current one; its row, when visible, becomes the
    // only selected row, scrolled to the centre.
    void focusPerson(PersonRecord* person);
    // No current person and no selection.
    void clearFocusedPerson();
    // Adds the person's row to the selection without focusing it.
    void selectWithoutFocus(const PersonRecord* person);

    // Type-ahead by the first letter of the first name, over visible rows,
    // wrapping to the top (replaces the view's own keyboard search).
    void keyboardSearch(const QString& search) override;
    PersonRecord* FindByInitial(QChar key) const;

    // The selected persons in list order.
    std::vector<PersonRecord*> selectedPersons() const;
    // Reordering by dragging within the list.
    bool VSTDragOver(QObject* source, std::optional<groupops::DropMode> mode) const;
    void VSTDragDrop(groupops::DropMode mode, const PersonRecord* target);

    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }
    // The header click: a new column sorts ascending, the sort column
    // reverses its direction.
    void VSTHeaderClick(int column);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

Q_SIGNALS:
    // The focused row moved to another person (nullptr: none).
    void personFocused(PersonRecord* person);
    void VSTDblClick();

private:
    void setCurrent(PersonRecord* person);

    RecordDocument& document_;
    PersonListModel& model_;
    // Filtering and reordering rebuild the rows; the current row and the
    // selection stay on their persons (hidden ones drop out).
    std::vector<PersonRecord*> keptSelection_;
    bool restoring_ = false;
    int sortColumn_ = 0;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};
