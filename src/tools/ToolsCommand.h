#pragma once

#include <QStringList>

// zilvaren-cli tools FILE.qdb --strip-spaces | --split-phones | --renumber -o OUT.qdb
// args exclude the command word; returns the exit code.
int runToolsCommand(const QStringList& args);
