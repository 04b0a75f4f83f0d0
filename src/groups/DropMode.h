#pragma once

#include "store/GroupOperations.h"

#include <QAbstractItemView>
#include <QDrag>
#include <QMimeData>

#include <optional>

// Where a drop lands in a view: above, on or below the row under the
// pointer; nullopt over the empty area.
inline std::optional<groupops::DropMode> dropModeAt(const QAbstractItemView& view, QPoint pos,
                                                    QModelIndex* target) {
    *target = view.indexAt(pos);
    if (!target->isValid())
        return std::nullopt;
    const QRect r = view.visualRect(*target);
    const int margin = std::max(2, r.height() / 4);
    if (pos.y() < r.top() + margin)
        return groupops::DropMode::Above;
    if (pos.y() > r.bottom() - margin)
        return groupops::DropMode::Below;
    return groupops::DropMode::OnNode;
}

// The drag format of the two lists; the dragged rows are the selection.
inline const QString kMoveMimeType = QStringLiteral("application/x-zilvaren-move");

// Starts moving the source's selected rows; data may carry them.
inline void startMoveDrag(QWidget* source, QMimeData* data = new QMimeData) {
    auto* drag = new QDrag(source);
    data->setData(kMoveMimeType, QByteArray());
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
}
