#pragma once

#include <QStringList>

// zilvaren-cli print FILE.qdb [--group PATH] [--person NO | --style
// list|phones|labels|birthdays [--address home|work] [--month N]] -o OUT.pdf:
// the persons of a group (or every person) in one of the print styles, or
// one person's card, as a PDF.
int runPrintCommand(const QStringList& args);
