#include "person/PersonListView.h"

#include "store/RecordDocument.h"

#include "groups/DropMode.h"

#include "platform/TurkishText.h"

#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
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

PersonListView::PersonListView(RecordDocument& document, QWidget* parent)
    : PickedRowTreeView(parent), document_(document), model_(document.persons()) {
    PersonListModel& model = model_;
    setObjectName(QStringLiteral("VST"));
    setAccessibleName(QStringLiteral("Personel Listesi"));
    setModel(&model);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setItemDelegate(new SortColumnDelegate(*this));
    // Sorting happens only on a click, never by the view itself. This must
    // come first: it also turns the header's clicks and sort arrow off.
    setSortingEnabled(false);
    QHeaderView* h = header();
    h->setSectionsMovable(true);
    h->setFirstSectionMovable(true);
    h->setSectionsClickable(true);
    h->setSortIndicatorShown(true);
    h->setSortIndicator(sortColumn_, sortOrder_);
    h->setStretchLastSection(false);
    h->resizeSection(PersonListModel::ColumnNo, 60);
    h->resizeSection(PersonListModel::ColumnAd, 95);
    h->resizeSection(PersonListModel::ColumnSoyad, 95);
    h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(h, &QHeaderView::sectionClicked, this, &PersonListView::VSTHeaderClick);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                // A row that disappears (filtered out) leaves the person current.
                if (!restoring_ && !autoCurrentChange() && current.isValid())
                    setCurrent(model_.person(current));
            });
    // Qt would make a neighbour current when the current row goes; the
    // person who went was the current one, and no other becomes it. This
    // comes before the row's removal, so Qt finds no current row to move.
    connect(&model, &PersonListModel::personAboutToBeRemoved, this,
            [this](const PersonRecord* person) {
                if (person && person != model_.focusedPerson())
                    return;
                restoring_ = true;
                selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
                restoring_ = false;
            });
    connect(&model, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { keptSelection_ = selectedPersons(); });
    connect(&model, &QAbstractItemModel::modelReset, this, [this] {
        restoring_ = true;
        QItemSelection selection;
        for (PersonRecord* p : keptSelection_) {
            const QModelIndex i = model_.indexOf(p);
            if (i.isValid())
                selection.select(i, i.siblingAtColumn(PersonListModel::ColumnCount - 1));
        }
        selectionModel()->select(selection, QItemSelectionModel::Select);
        const QModelIndex focus = model_.indexOf(model_.focusedPerson());
        if (focus.isValid()) {
            selectionModel()->setCurrentIndex(focus, QItemSelectionModel::NoUpdate);
            scrollTo(focus, QAbstractItemView::PositionAtCenter);
        }
        restoring_ = false;
        keptSelection_.clear();
    });
    connect(this, &QAbstractItemView::doubleClicked, this, &PersonListView::VSTDblClick);
    setDragEnabled(true);
    setAcceptDrops(true);
}

std::vector<PersonRecord*> PersonListView::selectedPersons() const {
    QModelIndexList rows = selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    std::vector<PersonRecord*> out;
    for (const QModelIndex& i : rows)
        out.push_back(model_.person(i));
    return out;
}

bool PersonListView::VSTDragOver(QObject* source, std::optional<groupops::DropMode> mode) const {
    return source == this && mode && *mode != groupops::DropMode::OnNode;
}

void PersonListView::VSTDragDrop(groupops::DropMode mode, const PersonRecord* target) {
    if (mode == groupops::DropMode::OnNode)
        return;
    document_.movePersonsInList(selectedPersons(), target, mode == groupops::DropMode::Below);
}

void PersonListView::startDrag(Qt::DropActions) {
    const std::vector<PersonRecord*> persons = selectedPersons();
    if (persons.empty())
        return;
    startMoveDrag(this, model_.dragData(persons));
}

void PersonListView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(kMoveMimeType) && event->source() == this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void PersonListView::dragMoveEvent(QDragMoveEvent* event) {
    QModelIndex index;
    if (VSTDragOver(event->source(), dropModeAt(*this, event->position().toPoint(), &index)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void PersonListView::dropEvent(QDropEvent* event) {
    QModelIndex index;
    const auto mode = dropModeAt(*this, event->position().toPoint(), &index);
    if (!VSTDragOver(event->source(), mode)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    VSTDragDrop(*mode, model_.person(index));
}

PersonRecord* PersonListView::focusedPerson() const {
    return model_.focusedPerson();
}

void PersonListView::setCurrent(PersonRecord* person) {
    if (person == model_.focusedPerson())
        return;
    model_.setFocusedPerson(person);
    Q_EMIT personFocused(person);
}

void PersonListView::focusPerson(PersonRecord* person) {
    const QModelIndex index = model_.indexOf(person);
    if (!index.isValid()) {
        selectionModel()->clear();
        setCurrent(person);
        return;
    }
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void PersonListView::clearFocusedPerson() {
    selectionModel()->clear();
    model_.setFocusedPerson(nullptr);
}

void PersonListView::selectWithoutFocus(const PersonRecord* person) {
    const QModelIndex index = model_.indexOf(person);
    if (index.isValid())
        selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

PersonRecord* PersonListView::FindByInitial(QChar key) const {
    const QModelIndex focused = model_.indexOf(model_.focusedPerson());
    const int start = focused.isValid() ? focused.row() + 1 : model_.rowCount();
    return model_.personAtRow(model_.rowWithInitial(start, key));
}

void PersonListView::keyboardSearch(const QString& search) {
    if (search.isEmpty())
        return;
    const QChar key = TurkceUpperChar(TurkceKeyMap(search.back()));
    // The found row becomes the only selection, so "Sil" can only reach
    // the person the user is looking at.
    if (PersonRecord* found = FindByInitial(key))
        focusPerson(found);
}

void PersonListView::VSTHeaderClick(int column) {
    if (column == sortColumn_) {
        sortOrder_ = sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    } else {
        sortColumn_ = column;
        sortOrder_ = Qt::AscendingOrder;
    }
    header()->setSortIndicator(sortColumn_, sortOrder_);
    document_.sortPersons(sortColumn_, sortOrder_);
    viewport()->update();
}
