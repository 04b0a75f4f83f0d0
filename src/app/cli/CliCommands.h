#pragma once

#include <QStringList>

// Runs one command line of zilvaren-cli; returns the exit code.
int runCli(QStringList args);
