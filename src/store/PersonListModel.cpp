#include "store/PersonListModel.h"

#include <QCoreApplication>
#include <QSet>

#include "platform/Cp1254.h"
#include "platform/TurkishText.h"

#include <algorithm>

PersonListModel::PersonListModel(QObject* parent) : QAbstractTableModel(parent) {}
PersonListModel::~PersonListModel() = default;

int PersonListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(visible_.size());
}

int PersonListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

namespace {

const QString& columnText(const PersonRecord& p, int column) {
    switch (column) {
    case PersonListModel::ColumnNo:
        return p.RecordNo;
    case PersonListModel::ColumnAd:
        return p.FirstName;
    default:
        return p.Surname;
    }
}

// Letters compare as the bytes the file holds: a letter the code page
// lacks is written as '?'.
qint16 initialByte(QChar letter) {
    const int byte = cp1254::encodeChar(letter);
    return qint16(byte < 0 ? '?' : byte);
}

qint16 initialOf(const PersonRecord& p) {
    return p.FirstName.isEmpty() ? qint16(-1) : initialByte(p.FirstName.front());
}

} // namespace

QVariant PersonListModel::data(const QModelIndex& index, int role) const {
    const PersonRecord* p = person(index);
    if (!p)
        return {};
    if (role == Qt::DisplayRole)
        return columnText(*p, index.column());
    if (role == Qt::TextAlignmentRole)
        return int(index.column() == ColumnNo ? Qt::AlignCenter
                                              : (Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

QVariant PersonListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole) {
        switch (section) {
        case ColumnNo:
            return QStringLiteral("No");
        case ColumnAd:
            return QStringLiteral("Ad");
        case ColumnSoyad:
            return QStringLiteral("Soyad");
        default:
            return {};
        }
    }
    if (role == Qt::TextAlignmentRole && section == ColumnNo)
        return int(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags PersonListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

std::vector<const PersonRecord*> PersonListModel::allPersons() const {
    std::vector<const PersonRecord*> out;
    out.reserve(persons_.size());
    for (const Entry& e : persons_)
        out.push_back(e.record.get());
    return out;
}

PersonRecord* PersonListModel::personAtRow(int row) const {
    return row >= 0 && row < int(visible_.size()) ? visible_[size_t(row)] : nullptr;
}

PersonRecord* PersonListModel::person(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return personAtRow(index.row());
}

QModelIndex PersonListModel::indexOf(const PersonRecord* person, int column) const {
    if (!person)
        return {};
    // After a change the rows are usually asked for once or twice (the
    // current person, a few selected ones): a walk over the row pointers
    // is far cheaper than indexing every row. Many questions build the
    // index.
    constexpr int kWalksBeforeIndex = 8;
    if (rowsDirty_ && ++walksSinceChange_ <= kWalksBeforeIndex) {
        const auto it = std::find(visible_.begin(), visible_.end(), person);
        return it == visible_.end() ? QModelIndex() : index(int(it - visible_.begin()), column);
    }
    if (rowsDirty_) {
        rows_.clear();
        rows_.reserve(qsizetype(visible_.size()));
        for (size_t r = 0; r < visible_.size(); ++r)
            rows_.insert(visible_[r], int(r));
        rowsDirty_ = false;
    }
    const auto it = rows_.constFind(person);
    return it == rows_.constEnd() ? QModelIndex() : index(*it, column);
}

void PersonListModel::rowsChanged() {
    rowsDirty_ = true;
    walksSinceChange_ = 0;
}

int PersonListModel::rowWithInitial(int start, QChar letter) const {
    const qint16 byte = initialByte(letter);
    const int rows = int(initials_.size());
    start = std::clamp(start, 0, rows);
    for (int row = start; row < rows; ++row)
        if (initials_[size_t(row)] == byte)
            return row;
    for (int row = 0; row < start; ++row)
        if (initials_[size_t(row)] == byte)
            return row;
    return -1;
}

QMimeData* PersonListModel::dragData(const std::vector<PersonRecord*>& persons) const {
    // Within this process only: the list's address, then the persons'.
    QByteArray bytes = QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
                       QByteArray::number(quintptr(this));
    for (const PersonRecord* p : persons)
        bytes += ' ' + QByteArray::number(quintptr(p));
    auto* data = new QMimeData;
    data->setData(kPersonsMimeType, bytes);
    return data;
}

std::vector<PersonRecord*> PersonListModel::draggedPersons(const QMimeData* data) const {
    if (!data || !data->hasFormat(kPersonsMimeType))
        return {};
    const QList<QByteArray> words = data->data(kPersonsMimeType).split(' ');
    if (words.size() < 2 || words[0].toLongLong() != QCoreApplication::applicationPid() ||
        words[1].toULongLong() != quintptr(this))
        return {};
    QSet<quintptr> wanted;
    for (const QByteArray& w : words.mid(2))
        wanted.insert(quintptr(w.toULongLong()));
    std::vector<PersonRecord*> out;
    for (const Entry& e : persons_)
        if (wanted.contains(quintptr(e.record.get())))
            out.push_back(e.record.get());
    return out;
}

int PersonListModel::listPosition(const PersonRecord* person) const {
    for (size_t i = 0; i < persons_.size(); ++i)
        if (persons_[i].record.get() == person)
            return int(i);
    return -1;
}

void PersonListModel::rebuildVisible() {
    rowsChanged();
    visible_.clear();
    initials_.clear();
    for (const Entry& e : persons_)
        if (!e.hidden) {
            visible_.push_back(e.record.get());
            initials_.push_back(e.initial);
        }
}

void PersonListModel::setPersons(std::vector<std::unique_ptr<PersonRecord>> persons) {
    Q_EMIT personAboutToBeRemoved(nullptr);
    focused_ = nullptr;
    beginResetModel();
    persons_.clear();
    persons_.reserve(persons.size());
    for (auto& p : persons) {
        const qint16 initial = initialOf(*p);
        persons_.push_back({std::move(p), initial, false});
    }
    rebuildVisible();
    endResetModel();
}

void PersonListModel::clear() {
    setPersons({});
}

void PersonListModel::filter(const std::function<bool(const PersonRecord&)>& visible) {
    beginResetModel();
    size_t at = 0;
    forEachPerson([&](const PersonRecord& p) { persons_[at++].hidden = !visible(p); });
    rebuildVisible();
    endResetModel();
}

void PersonListModel::showAll() {
    filter([](const PersonRecord&) { return true; });
}

void PersonListModel::sortPersons(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    std::vector<std::pair<PersonRecord*, int>> kept;
    kept.reserve(size_t(persistent.size()));
    for (const QModelIndex& i : persistent)
        kept.emplace_back(person(i), i.column());

    // One collation key per person instead of one collation per comparison.
    const TurkishCollator collator;
    std::vector<std::pair<QCollatorSortKey, size_t>> keys;
    keys.reserve(persons_.size());
    for (size_t i = 0; i < persons_.size(); ++i)
        keys.emplace_back(collator.sortKey(columnText(*persons_[i].record, column)), i);
    std::stable_sort(keys.begin(), keys.end(), [order](const auto& a, const auto& b) {
        const int c = a.first.compare(b.first);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    std::vector<Entry> sorted;
    sorted.reserve(persons_.size());
    for (const auto& k : keys)
        sorted.push_back(std::move(persons_[k.second]));
    persons_ = std::move(sorted);
    rebuildVisible();

    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (const auto& [p, col] : kept)
        moved.append(indexOf(p, col));
    changePersistentIndexList(persistent, moved);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

PersonRecord* PersonListModel::append(std::unique_ptr<PersonRecord> person) {
    PersonRecord* raw = person.get();
    const int row = int(visible_.size());
    beginInsertRows({}, row, row);
    persons_.push_back({std::move(person), initialOf(*raw), false});
    visible_.push_back(raw);
    initials_.push_back(persons_.back().initial);
    rowsChanged();
    endInsertRows();
    return raw;
}

void PersonListModel::append(std::vector<std::unique_ptr<PersonRecord>> persons) {
    if (persons.empty())
        return;
    const int first = int(visible_.size());
    beginInsertRows({}, first, first + int(persons.size()) - 1);
    persons_.reserve(persons_.size() + persons.size());
    for (auto& p : persons) {
        visible_.push_back(p.get());
        const qint16 initial = initialOf(*p);
        initials_.push_back(initial);
        persons_.push_back({std::move(p), initial, false});
    }
    rowsChanged();
    endInsertRows();
}

void PersonListModel::remove(const PersonRecord* person) {
    const int pos = listPosition(person);
    if (pos >= 0)
        takeAt(pos);
}

std::unique_ptr<PersonRecord> PersonListModel::takeAt(int pos) {
    PersonRecord* person = persons_[size_t(pos)].record.get();
    Q_EMIT personAboutToBeRemoved(person);
    if (person == focused_)
        focused_ = nullptr;
    const QModelIndex row = indexOf(person);
    if (row.isValid())
        beginRemoveRows({}, row.row(), row.row());
    std::unique_ptr<PersonRecord> taken = std::move(persons_[size_t(pos)].record);
    persons_.erase(persons_.begin() + pos);
    if (row.isValid()) {
        visible_.erase(visible_.begin() + row.row());
        initials_.erase(initials_.begin() + row.row());
        rowsChanged();
        endRemoveRows();
    }
    return taken;
}

std::vector<PersonListModel::PlacedPerson>
PersonListModel::takePersons(const std::function<bool(const PersonRecord&)>& doomed) {
    std::vector<bool> going(persons_.size());
    size_t count = 0;
    size_t at = 0;
    forEachPerson([&](const PersonRecord& p) {
        if ((going[at++] = doomed(p)))
            ++count;
    });
    std::vector<PlacedPerson> taken;
    if (count == 0)
        return taken;
    if (count == 1) {
        // One row goes as one row, not as a reset of the whole list.
        const int i = int(std::find(going.begin(), going.end(), true) - going.begin());
        taken.push_back({i, takeAt(i)});
        return taken;
    }
    taken.reserve(count);
    beginResetModel();
    for (size_t i = 0; i < persons_.size(); ++i)
        if (going[i]) {
            Q_EMIT personAboutToBeRemoved(persons_[i].record.get());
            if (persons_[i].record.get() == focused_)
                focused_ = nullptr;
        }
    size_t kept = 0;
    for (size_t i = 0; i < persons_.size(); ++i) {
        if (going[i])
            taken.push_back({int(i), std::move(persons_[i].record)});
        else
            persons_[kept++] = std::move(persons_[i]);
    }
    persons_.resize(kept);
    rebuildVisible();
    endResetModel();
    return taken;
}

void PersonListModel::insertPersons(std::vector<PlacedPerson> persons) {
    if (persons.empty())
        return;
    // Persons for the end arrive as rows, not as a reset of the list.
    if (persons.front().position == int(persons_.size())) {
        std::vector<std::unique_ptr<PersonRecord>> atEnd;
        for (PlacedPerson& p : persons)
            atEnd.push_back(std::move(p.record));
        append(std::move(atEnd));
        return;
    }
    beginResetModel();
    std::vector<Entry> merged;
    merged.reserve(persons_.size() + persons.size());
    size_t from = 0;
    for (PlacedPerson& p : persons) {
        while (int(merged.size()) < p.position && from < persons_.size())
            merged.push_back(std::move(persons_[from++]));
        const qint16 initial = initialOf(*p.record);
        merged.push_back({std::move(p.record), initial, false});
    }
    while (from < persons_.size())
        merged.push_back(std::move(persons_[from++]));
    persons_ = std::move(merged);
    rebuildVisible();
    endResetModel();
}

void PersonListModel::movePersons(const std::vector<PersonRecord*>& persons,
                                  const PersonRecord* target, bool after) {
    if (!target)
        return;
    beginResetModel();
    for (PersonRecord* p : persons) {
        if (p == target)
            continue;
        const int from = listPosition(p);
        Entry moved = std::move(persons_[size_t(from)]);
        persons_.erase(persons_.begin() + from);
        const int at = listPosition(target) + (after ? 1 : 0);
        persons_.insert(persons_.begin() + at, std::move(moved));
    }
    rebuildVisible();
    endResetModel();
}

void PersonListModel::personChanged(const PersonRecord* person) {
    const int pos = listPosition(person);
    if (pos >= 0)
        persons_[size_t(pos)].initial = initialOf(*person);
    const QModelIndex row = indexOf(person);
    if (!row.isValid())
        return;
    initials_[size_t(row.row())] = persons_[size_t(pos)].initial;
    Q_EMIT dataChanged(row, index(row.row(), ColumnCount - 1));
}

void PersonListModel::allPersonsChanged() {
    size_t at = 0;
    forEachPerson([&](const PersonRecord& p) { persons_[at++].initial = initialOf(p); });
    rebuildVisible();
    if (!visible_.empty())
        Q_EMIT dataChanged(index(0, 0), index(int(visible_.size()) - 1, ColumnCount - 1));
}
