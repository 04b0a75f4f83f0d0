#pragma once

#include <QStringList>

// zilvaren-cli find FILE.qdb WORD [--fields ID,AdSoyad,Tel,Adres,Firma,Notlar,Grup]
// Prints one tab-separated line per result: number, first name, surname,
// places. Without --fields the file's own ticked boxes are used. args
// exclude the command word; returns the exit code.
int runFindCommand(const QStringList& args);
