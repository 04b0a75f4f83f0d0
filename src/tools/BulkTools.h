#pragma once

#include <QString>

class RecordDocument;
struct PersonRecord;

// Standard grouping of an all-digit telephone number, leftmost group first,
// joined by single blanks.
QString regroupDigits(QStringView digits);

// A contact entry without its spaces, its value regrouped when it is all
// digits (an entry without a TAB is all value).
QString splitContactEntry(const QString& entry);

// "Telefon bölümlerinde boşlukları yoket": every space of every contact
// entry, kind words included, of every person (hidden ones too), as one
// step of the document's history (none when nothing changes).
void removeContactSpaces(RecordDocument& document);

// "Telefon bölümlerinde standart boşluklara böl": the spaces go, then the
// all-digit values are regrouped; one step.
void splitContactNumbers(RecordDocument& document);

// Record numbers "00001", "00002", ... in list order, hidden persons
// included; one step (none when every number is right already).
void renumberRecords(RecordDocument& document);

// The same tools on one person, for a file rewritten a person at a time.
void removeContactSpaces(PersonRecord& person);
void splitContactNumbers(PersonRecord& person);
// The record number of the person at position (from 1) after renumbering.
QString renumberedRecordNo(int position);
