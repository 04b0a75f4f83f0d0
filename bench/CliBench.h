#pragma once

#include <QString>

// Times zilvaren-cli on a record file against what the same bytes cost
// plain tools (wc -l, dd conv=fsync, abook converting the same persons),
// and its peak memory against the file's size; prints each ratio beside
// its target and returns how many were missed. Scratch files go to folder.
int benchCommandLine(const QString& recordFile, const QString& folder);
