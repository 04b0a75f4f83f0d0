#pragma once

#include "store/PersonRecord.h"

#include <QString>

// Makes kept hold what other adds to it, the person kept being the one
// whose writing wins: kept's own non-empty fields stay and its empty ones
// take other's; the contacts are the union, a number equal as digits or a
// mail address equal but for letter case kept once, in kept's writing;
// notes and pictures kept has not are added after its own; the group
// stays kept's, and the first record time is the earlier of the two. The
// edit time is the caller's to stamp.
void mergeInto(PersonRecord& kept, const PersonRecord& other);

// A record time "dd.mm.yyyy  hh:nn:ss" as a sortable "yyyymmddhhnnss";
// empty when the text is not one.
QString sortableStamp(const QString& stamp);
