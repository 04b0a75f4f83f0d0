#include "person/PersonListView.h"

#include "store/PersonListModel.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

const QColor kSortColumnColour(0xF7, 0xF7, 0xF7);

class SortColumnDelegate : public QStyledItemDelegate {
public:
    SortColumnDelegate(const PersonListView& view)
        : QStyledItemDelegate(const_cast<PersonListView*>(&view)), view_(view) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.column() == view_.sortColumn())
            painter->fillRect(option.rect, kSortColumnColour);
        QStyledItemDelegate::paint(painter, option, index);
    }

private:
    const PersonListView& view_;
};

} // namespace

PersonListView::PersonListView(PersonListModel& model, QWidget* parent)
    : QTreeView(parent), model_(model) {
    setObjectName(QStringLiteral("VST"));
    setAccessibleName(QStringLiteral("Personel Listesi"));
    setModel(&model);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setItemDelegate(new SortColumnDelegate(*this));
    QHeaderView* h = header();
    h->setSectionsMovable(true);
    h->setSectionsClickable(true);
    h->setSortIndicatorShown(true);
    h->setSortIndicator(sortColumn_, sortOrder_);
    h->setStretchLastSection(false);
    h->resizeSection(PersonListModel::ColumnNo, 60);
    h->resizeSection(PersonListModel::ColumnAd, 95);
    h->resizeSection(PersonListModel::ColumnSoyad, 95);
    h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Sorting happens only on a click, never by the view itself.
    setSortingEnabled(false);
    connect(h, &QHeaderView::sectionClicked, this, &PersonListView::VSTHeaderClick);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { Q_EMIT personFocused(model_.person(current)); });
}

PersonRecord* PersonListView::focusedPerson() const { return model_.person(currentIndex()); }

void PersonListView::focusPerson(const PersonRecord* person) {
    const QModelIndex index = model_.indexOf(person);
    if (!index.isValid())
        return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void PersonListView::clearFocusedPerson() {
    selectionModel()->clear();
}

void PersonListView::VSTHeaderClick(int column) {
    if (column == sortColumn_) {
        sortOrder_ = sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    } else {
        sortColumn_ = column;
        sortOrder_ = Qt::AscendingOrder;
    }
    header()->setSortIndicator(sortColumn_, sortOrder_);
    model_.sortPersons(sortColumn_, sortOrder_);
    viewport()->update();
}
