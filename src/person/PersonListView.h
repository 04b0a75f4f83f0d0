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
    // No focused row and no selection.
    void clearFocusedPerson();
    // Adds the person's row to the selection without focusing it.
    void selectWithoutFocus(const PersonRecord* person);
    // The first selected person in list order.
    PersonRecord* firstSelectedPerson() const;

    // Type-ahead by the first letter of the first name, over visible rows,
    // wrapping to the top (replaces the view's own keyboard search).
    void keyboardSearch(const QString& search) override;
    PersonRecord* FindByInitial(QChar key) const;

    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }
    // The header click: a new column sorts ascending, the sort column
    // reverses its direction.
    void VSTHeaderClick(int column);

Q_SIGNALS:
    // The focused row moved to another person (nullptr: none).
    void personFocused(PersonRecord* person);
    void VSTDblClick();

private:
    PersonListModel& model_;
    int sortColumn_ = 0;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};
