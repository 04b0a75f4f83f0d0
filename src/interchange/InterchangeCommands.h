#pragma once

#include <QStringList>

// zilvaren-cli import FILE.qdb ADDRESSBOOK.txt [--group PATH] -o OUT.qdb
// args exclude the command word; returns the exit code.
int runImportCommand(const QStringList& args);

// zilvaren-cli export FILE.qdb [-o Export.csv]
int runExportCommand(const QStringList& args);
