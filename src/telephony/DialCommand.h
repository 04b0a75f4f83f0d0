#pragma once

#include <QStringList>

// zilvaren-cli dial [--port N | --device PATH] [--timeout SECONDS] NUMBER
// Runs the dial window's sequence and prints its lines; returns the exit
// code. Needs a QCoreApplication.
int runDialCommand(const QStringList& args);
