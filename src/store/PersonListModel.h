#pragma once

#include "store/PersonRecord.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QMimeData>

#include <functional>
#include <memory>
#include <vector>

// The persons of the open file, in list order; rows are the persons the
// group filter leaves visible. Saving writes the list order, hidden
// persons included.
class PersonListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColumnNo, ColumnAd, ColumnSoyad, ColumnCount };

    explicit PersonListModel(QObject* parent = nullptr);
    ~PersonListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // A drag of persons carries them, so that the view they are dropped on
    // needs nothing of the view they came from.
    static inline const QString kPersonsMimeType = QStringLiteral("application/x-zilvaren-persons");
    QMimeData* dragData(const std::vector<PersonRecord*>& persons) const;
    // The persons a drag of this list carries that are still in it; none
    // for any other drag.
    std::vector<PersonRecord*> draggedPersons(const QMimeData* data) const;

    int personCount() const { return int(persons_.size()); }
    int visibleCount() const { return int(visible_.size()); }
    // All persons in list order, hidden ones too.
    std::vector<const PersonRecord*> allPersons() const;
    PersonRecord* personAt(int listPosition) const {
        return persons_[size_t(listPosition)].record.get();
    }
    // Calls f for every person in list order, hidden ones too, fetching
    // the records ahead while f works.
    template <typename F> void forEachPerson(F&& f) const {
        for (size_t i = 0; i < persons_.size(); ++i) {
            if (i + kPrefetchAhead < persons_.size())
                prefetchRecord(persons_[i + kPrefetchAhead].record.get());
            f(*persons_[i].record);
        }
    }
    bool isHidden(int listPosition) const { return persons_[size_t(listPosition)].hidden; }

    // The current person: the one the window shows and the file names as
    // focused. Cleared when that person leaves the list.
    PersonRecord* focusedPerson() const { return focused_; }
    void setFocusedPerson(PersonRecord* person) { focused_ = person; }

    PersonRecord* personAtRow(int row) const;
    PersonRecord* person(const QModelIndex& index) const;
    // Type-ahead: the first visible row from start on (wrapping to the top)
    // whose first name begins with letter, compared as code page bytes;
    // -1 when there is none.
    int rowWithInitial(int start, QChar letter) const;
    // The row of a visible person; invalid for a hidden or unknown one.
    QModelIndex indexOf(const PersonRecord* person, int column = 0) const;

    void setPersons(std::vector<std::unique_ptr<PersonRecord>> persons);
    void clear();
    // Shows exactly the persons for which visible() is true.
    void filter(const std::function<bool(const PersonRecord&)>& visible);
    void showAll();

    // Reorders the list (the stored order) by a column; selections and the
    // current row stay on their persons.
    void sortPersons(int column, Qt::SortOrder order);

    // Appends a visible person at the end of the list.
    PersonRecord* append(std::unique_ptr<PersonRecord> person);
    // The same for many, as one change of the list.
    void append(std::vector<std::unique_ptr<PersonRecord>> persons);
    void remove(const PersonRecord* person);

    // A person out of the list, with the position it had (or is to have).
    struct PlacedPerson {
        int position;
        std::unique_ptr<PersonRecord> record;
    };
    // Takes every person for which doomed is true out of the list, in one
    // change, with their positions in ascending order.
    std::vector<PlacedPerson> takePersons(const std::function<bool(const PersonRecord&)>& doomed);
    // Puts persons taken out back at their positions (ascending), visible,
    // in one change.
    void insertPersons(std::vector<PlacedPerson> persons);
    // The position of a person in the list; -1 when it is not in it.
    int listPosition(const PersonRecord* person) const;
    // Moves each person, in list order, directly before (or after) the
    // target: dropped below, they end up in reverse order.
    void movePersons(const std::vector<PersonRecord*>& persons, const PersonRecord* target,
                     bool after);
    // Tells the views that a person's fields changed.
    void personChanged(const PersonRecord* person);
    void allPersonsChanged();

Q_SIGNALS:
    // The person is about to leave the list for good (deleted, or the
    // whole list replaced: nullptr).
    void personAboutToBeRemoved(const PersonRecord* person);

private:
    struct Entry {
        std::unique_ptr<PersonRecord> record;
        qint16 initial = -1; // the byte type-ahead looks for (initials_)
        bool hidden = false;
    };
    void rebuildVisible();
    // The rows moved: the row index is stale.
    void rowsChanged();
    std::unique_ptr<PersonRecord> takeAt(int listPosition);

    std::vector<Entry> persons_;
    PersonRecord* focused_ = nullptr;
    std::vector<PersonRecord*> visible_;
    // The code page byte of each visible person's first letter ('?' for
    // one the code page lacks, -1 for no name): type-ahead walks these,
    // not the records.
    std::vector<qint16> initials_;
    // Row of each visible person, rebuilt on demand after a change.
    mutable QHash<const PersonRecord*, int> rows_;
    mutable bool rowsDirty_ = true;
    mutable int walksSinceChange_ = 0;
};
