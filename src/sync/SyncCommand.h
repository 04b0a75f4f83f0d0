#pragma once

#include <QStringList>

// zilvaren-cli sync FILE.qdb --url URL --user NAME --password-file PATH:
// one two-way sync; 0 when done, 3 when conflicts were kept, 1 on failure.
int runSyncCommand(const QStringList& args);
