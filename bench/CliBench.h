#pragma once

#include <QString>
#include <QStringList>

// Times zilvaren-cli on a record file against what the same bytes cost
// plain tools (wc -l, dd conv=fsync, abook converting the same persons),
// and its peak memory against the file's size; prints each ratio beside
// its target and returns how many were missed. Scratch files go to folder.
int benchCommandLine(const QString& recordFile, const QString& folder);

// One run of a program: its wall time and (through time(1)) the most
// memory it held.
struct CommandRun {
    double ms = 0;
    double peakMiB = 0;
};
CommandRun runCommand(const QString& program, const QStringList& args, const QString& folder);
