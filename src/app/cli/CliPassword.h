#pragma once

#include <QStringList>

// The password of a protected record file on the command line: the first
// line of the file "--password-file PATH" names ("--file-password-file" for
// sync, whose "--password-file" is the server's), else the environment
// variable ZILVAREN_PASSWORD. Takes the option out of args and makes the
// password the one every reading of the process uses. Throws ZilvarenError
// when the file cannot be read.
void takeRecordFilePassword(QStringList& args);

// "protect IN.qdb -o OUT.qdb" and "unprotect IN.qdb -o OUT.qdb".
int runProtectCommand(const QStringList& args, bool protect);
