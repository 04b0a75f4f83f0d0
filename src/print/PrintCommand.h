#pragma once

#include <QStringList>

// zilvaren-cli print FILE.qdb [--group PATH] [--person NO] -o OUT.pdf: the
// list of a group (or of every person), or one person's card, as a PDF.
int runPrintCommand(const QStringList& args);
