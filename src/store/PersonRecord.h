#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One person, in the field order of the record.
struct PersonRecord {
    QString RecordNo;
    QString FirstName;
    QString Surname;
    // No editor, reader or import ever fills these two; only the export
    // writes them, always empty. They cost no record anything.
    static inline const QString MotherName;
    static inline const QString FatherName;
    QString BirthPlace;
    QString Firm;
    QString Department;
    QString Profession;
    QString HomeAddress1;
    QString HomeAddress2;
    QString HomeCity;
    QString HomePostCode;
    QString WorkAddress1;
    QString WorkAddress2;
    QString WorkCity;
    QString WorkPostCode;
    QString GroupPath;
    QString RecordedAt; // "dd.mm.yyyy  hh:nn:ss", kept as stamped
    QString EditedAt;
    double BirthDate = 0; // days since 30.12.1899; 0 = not given
    qint32 PictureIndex = 0;
    QChar Sex;            // 'M', 'F', or null = not given
    QChar MaritalStatus;  // 'E' Bekar, 'B' Evli, 'D' Dul, or null
    QStringList Contacts; // kind word, TAB, value
    QStringList Pictures;
    QStringList Notes;
    // The person's lasting identity ("1 IDEN"): the UID of the person's
    // card on a sync server; empty until the person is first synced or
    // said to be someone else than a likely duplicate.
    QString Identity;

    bool operator==(const PersonRecord&) const = default;
};

// A contact entry split at its first TAB: no TAB means no kind.
struct ContactEntry {
    QString kind;
    QString value;
    static ContactEntry parse(const QString& entry) {
        const qsizetype tab = entry.indexOf(QLatin1Char('\t'));
        if (tab < 0)
            return {QString(), entry};
        return {entry.left(tab), entry.mid(tab + 1)};
    }
};

// Asks for a record's memory ahead of its use. Once a sort has scattered
// the records, a walk over all persons would otherwise wait for each one.
inline void prefetchRecord(const PersonRecord* p) {
    const char* bytes = reinterpret_cast<const char*>(p);
    for (size_t line = 0; line < sizeof(PersonRecord); line += 64)
        __builtin_prefetch(bytes + line);
}

// How many records ahead a walk asks for.
inline constexpr size_t kPrefetchAhead = 6;

// Calls f for each record in order, asking for the records ahead.
template <typename F> void forEachRecord(const std::vector<const PersonRecord*>& persons, F&& f) {
    for (size_t i = 0; i < persons.size(); ++i) {
        if (i + kPrefetchAhead < persons.size())
            prefetchRecord(persons[i + kPrefetchAhead]);
        f(*persons[i]);
    }
}
