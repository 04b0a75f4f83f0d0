#pragma once

#include <QTreeView>

// A tree view whose current row changes only when the user or the program
// picks one. Qt makes the first row current by itself when a view without
// a current row gets the keyboard focus; here that row is put back, and
// the change is flagged so handlers can tell it from a real pick.
class PickedRowTreeView : public QTreeView {
public:
    using QTreeView::QTreeView;

protected:
    // True while Qt, not the user, moves the current row.
    bool autoCurrentChange() const { return autoCurrentChange_; }
    void focusInEvent(QFocusEvent* event) override;

private:
    bool autoCurrentChange_ = false;
};
