#pragma once

#include "store/PersonRecord.h"

#include <QString>

#include <vector>

// Makes kept hold what the others add to it, one after another, the
// person kept being the one whose writing wins: kept's own non-empty
// fields stay and its empty ones take the others' values; the contacts are
// the union, a number equal as digits or a mail address equal but for
// letter case kept once, in kept's writing; another's notes follow kept's
// unless kept has them already, and pictures kept has not are added after
// its own; the group stays kept's, an identity only a kept person without
// one takes, and the first record time is the earliest. The edit time is
// the caller's to stamp.
void mergeInto(PersonRecord& kept, const std::vector<const PersonRecord*>& others);
inline void mergeInto(PersonRecord& kept, const PersonRecord& other) {
    mergeInto(kept, {&other});
}

// A record time "dd.mm.yyyy  hh:nn:ss" as a sortable "yyyymmddhhnnss";
// empty when the text is not one.
QString sortableStamp(const QString& stamp);
