#pragma once

#include <QStringList>

// zilvaren-cli duplicates FILE.qdb: one line per group of likely
// duplicates, the record numbers, a TAB, the reasons.
int runDuplicatesCommand(const QStringList& args);

// zilvaren-cli merge FILE.qdb KEEP DROP [DROP…] -o OUT.qdb
int runMergeCommand(const QStringList& args);
