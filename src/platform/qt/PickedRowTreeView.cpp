#include "platform/qt/PickedRowTreeView.h"

void PickedRowTreeView::focusInEvent(QFocusEvent* event) {
    if (currentIndex().isValid() || !selectionModel()) {
        QTreeView::focusInEvent(event);
        return;
    }
    autoCurrentChange_ = true;
    QTreeView::focusInEvent(event);
    if (currentIndex().isValid())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    autoCurrentChange_ = false;
}
