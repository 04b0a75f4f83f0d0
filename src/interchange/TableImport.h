#pragma once

#include "interchange/TableFile.h"
#include "interchange/TableMapping.h"
#include "store/PersonRecord.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class Clock;

// Everything an import would add, and what the user must hear first.
struct TableImportPlan {
    std::vector<std::unique_ptr<PersonRecord>> persons;
    int rows = 0;            // records read after the header
    int emptyRows = 0;       // rows with nothing to import, skipped
    QStringList warnings;    // "5. satır: ..." values that could not be read
    QStringList unencodable; // "3. satır (NAME), Ad: И В", characters 1254 lacks
};

// Makes a person of each row after the header (of the first maxRows rows
// when maxRows >= 0), numbered on from firstRecordNo, stamped with the
// clock and filed under groupPath; names are upper-cased the Turkish way
// as the detail pages enter them. Dates are read as dd.mm.yyyy,
// yyyy-mm-dd or m/d/yyyy.
TableImportPlan planTableImport(const Table& table, const TableMapping& mapping,
                                const QString& groupPath, qint64 firstRecordNo, const Clock& clock,
                                int maxRows = -1);

// Turns the characters 1254 cannot hold into '?', once the user has seen
// them listed and chose to go on.
void replaceUnencodable(TableImportPlan& plan);

// The closing message: how many persons came in, what was skipped.
QString tableImportMessage(int imported, const TableImportPlan& plan);
