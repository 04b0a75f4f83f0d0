#pragma once

#include <QTreeView>

class PersonListModel;
struct PersonRecord;

// The person list VST: three columns, sorted only by a header click, with
// the sort column painted light grey.
class PersonListView : public QTreeView {
    Q_OBJECT
public:
    explicit PersonListView(PersonListModel& model, QWidget* parent = nullptr);

    PersonRecord* focusedPerson() const;
    // Makes the person the focused and selected row, scrolled to the centre.
    void focusPerson(const PersonRecord* person);
    // Focused row and selection without the view's own extras.
    void clearFocusedPerson();

    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }
    // The header click: a new column sorts ascending, the sort column
    // reverses its direction.
    void VSTHeaderClick(int column);

Q_SIGNALS:
    // The focused row moved to another person (nullptr: none).
    void personFocused(PersonRecord* person);

private:
    PersonListModel& model_;
    int sortColumn_ = 0;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};
