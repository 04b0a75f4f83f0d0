#pragma once

#include "store/PersonRecord.h"

#include <QString>

#include <vector>

class RecordDocument;

// What merging the dropped persons into kept makes of kept: its own
// non-empty fields, the others' values where it has none, the contacts,
// notes and pictures of all, the earliest first record time, edited at
// editedAt. The dialog shows it before the merge does it.
PersonRecord mergedPerson(const PersonRecord& kept, const std::vector<const PersonRecord*>& dropped,
                          const QString& editedAt);

// The merge as one step of the document's history: kept becomes the
// merged person, the dropped persons leave the list and their groups'
// counts.
void mergeDuplicates(RecordDocument& document, PersonRecord& kept,
                     const std::vector<PersonRecord*>& dropped, const QString& editedAt);

// Keeps in the document that persons are different persons, so that they
// are not offered as duplicates again: each gets an identity of its own
// where it has none (or one a person before it in the list has too), and
// their identities become one group of different persons, in place of any
// group that holds no one else; one step of the history.
void markDifferent(RecordDocument& document, const std::vector<PersonRecord*>& persons);
