#include "groups/GroupTreeView.h"

#include "groups/DropMode.h"
#include "platform/Prompts.h"

#include "platform/TurkishText.h"
#include "platform/qt/WaitCursor.h"
#include "store/RecordDocument.h"

#include <QAction>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

const QColor kMarkerColumnColour(0xDA, 0xFF, 0xDE);

// Paints the member count after the name, and the marker of the focused
// group in its column.
class GroupDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.column() == GroupTreeModel::ColumnMarker) {
            painter->fillRect(option.rect, kMarkerColumnColour);
            if (index.data(GroupTreeModel::FocusedRole).toBool()) {
                const QIcon marker = option.widget->style()->standardIcon(QStyle::SP_ArrowRight);
                const int s = std::min(16, option.rect.height());
                marker.paint(painter,
                             QRect(option.rect.center() - QPoint(s / 2, s / 2), QSize(s, s)));
            }
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString name = opt.text;
        const QString count =
            QStringLiteral(" {%1}").arg(index.data(GroupTreeModel::MemberCountRole).toUInt());
        opt.text.clear();
        option.widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, option.widget);
        const QRect textRect = option.widget->style()->subElementRect(QStyle::SE_ItemViewItemText,
                                                                      &opt, option.widget);
        painter->save();
        const bool selected = opt.state & QStyle::State_Selected;
        painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        // The count stays whole; a name too long for the panel elides.
        const int countWidth = opt.fontMetrics.horizontalAdvance(count);
        const QString shown = opt.fontMetrics.elidedText(
            name, Qt::ElideRight, std::max(textRect.width() / 2, textRect.width() - countWidth));
        const int nameWidth = opt.fontMetrics.horizontalAdvance(shown);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, shown);
        painter->setPen(selected ? opt.palette.color(QPalette::HighlightedText)
                                 : QColor(Qt::darkGray));
        painter->drawText(textRect.adjusted(nameWidth, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          count);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        if (index.column() == GroupTreeModel::ColumnName)
            s.rwidth() += option.fontMetrics.horizontalAdvance(QStringLiteral(" {00000}"));
        return s;
    }
};

} // namespace

GroupTreeView::GroupTreeView(RecordDocument& document, QWidget* parent)
    : PickedRowTreeView(parent), document_(document) {
    setObjectName(QStringLiteral("VST_Grup"));
    setAccessibleName(QStringLiteral("Grup ve Alt Gruplar"));
    setModel(&document.groups());
    setItemDelegate(new GroupDelegate(this));
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    setTreePosition(GroupTreeModel::ColumnName);
    QHeaderView* h = header();
    h->setStretchLastSection(false);
    h->moveSection(h->visualIndex(GroupTreeModel::ColumnMarker), 0);
    h->setSectionResizeMode(GroupTreeModel::ColumnMarker, QHeaderView::Fixed);
    h->resizeSection(GroupTreeModel::ColumnMarker, 22);
    // The name column takes the panel's width: the tree never scrolls
    // sideways, so the marker column stays in sight; long names elide.
    h->setSectionResizeMode(GroupTreeModel::ColumnName, QHeaderView::Stretch);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    // Qt would make a neighbour current when the current group goes (or
    // one above it); the group that went was the focused one, and no other
    // becomes it by itself. This comes before the row's removal.
    connect(&document.groups(), &GroupTreeModel::groupAboutToBeRemoved, this,
            [this](const GroupNode* group) {
                for (const GroupNode* g = focusedGroup(); g; g = g->parent)
                    if (g == group) {
                        clearFocusWithoutFilter();
                        return;
                    }
            });
}

void GroupTreeView::setDropPartners(QAction* addCommand, Prompts* prompts) {
    addCommand_ = addCommand;
    prompts_ = prompts;
}

void GroupTreeView::startDrag(Qt::DropActions) {
    if (!focusedGroup())
        return;
    startMoveDrag(this);
}

bool GroupTreeView::VST_GrupDragOver(const QMimeData* data, QObject* source,
                                     std::optional<groupops::DropMode> mode,
                                     GroupNode* target) const {
    if (!addCommand_ || !addCommand_->isEnabled() || !mode || !target)
        return false;
    if (!document_.persons().draggedPersons(data).empty())
        return *mode == groupops::DropMode::OnNode;
    return source == this && data->hasFormat(kMoveMimeType) && target != focusedGroup();
}

void GroupTreeView::VST_GrupDragDrop(const QMimeData* data, groupops::DropMode mode,
                                     GroupNode* target) {
    const std::vector<PersonRecord*> persons = document_.persons().draggedPersons(data);
    if (!persons.empty()) {
        document_.filePersons(persons, target);
        VST_GrupFocusChanged();
        return;
    }
    GroupNode* dragged = focusedGroup();
    if (!dragged)
        return;
    if (document_.moveGroup(dragged, target, mode) == groupops::MoveResult::SameName &&
        prompts_)
        prompts_->showMessage(QStringLiteral("Aynı İsim Kullanılamaz"));
}

void GroupTreeView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(kMoveMimeType) ||
        event->mimeData()->hasFormat(PersonListModel::kPersonsMimeType))
        event->acceptProposedAction();
    else
        event->ignore();
}

void GroupTreeView::dragMoveEvent(QDragMoveEvent* event) {
    QModelIndex index;
    const auto mode = dropModeAt(*this, event->position().toPoint(), &index);
    if (VST_GrupDragOver(event->mimeData(), event->source(), mode, document_.groups().node(index)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void GroupTreeView::dropEvent(QDropEvent* event) {
    QModelIndex index;
    const auto mode = dropModeAt(*this, event->position().toPoint(), &index);
    GroupNode* target = document_.groups().node(index);
    if (!VST_GrupDragOver(event->mimeData(), event->source(), mode, target)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    VST_GrupDragDrop(event->mimeData(), *mode, target);
}

GroupNode* GroupTreeView::focusedGroup() const {
    return document_.groups().node(currentIndex());
}

void GroupTreeView::focusGroup(const GroupNode* group) {
    const QModelIndex index = document_.groups().indexOf(group);
    if (index.isValid()) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
        scrollTo(index);
    } else {
        selectionModel()->clear();
    }
}

void GroupTreeView::selectOnly(const GroupNode* group) {
    selectionModel()->clearSelection();
    const QModelIndex index = document_.groups().indexOf(group);
    if (!index.isValid())
        return;
    selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void GroupTreeView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    // The filter changes only when a group is picked.
    if (autoCurrentChange())
        return;
    GroupNode* now = document_.groups().node(current);
    if (now == document_.groups().node(previous) && current.isValid() == previous.isValid())
        return;
    document_.groups().setFocusedGroup(now);
    if (!filterDetached_)
        VST_GrupFocusChanged();
}

void GroupTreeView::clearFocusWithoutFilter() {
    filterDetached_ = true;
    selectionModel()->clear();
    filterDetached_ = false;
}

void GroupTreeView::VST_GrupFocusChanged() {
    PersonListModel& persons = document_.persons();
    if (persons.personCount() == 0)
        return;
    WaitCursor wait;
    const QString key = TurkceUpperCase(BuildGroupPath(focusedGroup()));
    persons.filter([&key](const PersonRecord& p) { return TurkceKeyEquals(p.GroupPath, key); });
    Q_EMIT personsFiltered();
}
