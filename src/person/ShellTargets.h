#pragma once

#include <QString>

#include <optional>

// What "Çevir" may hand to the desktop for a Web or Mail entry. A record
// file from elsewhere must not make it open a local file, run a program or
// reach any other scheme.
struct ShellTarget {
    QString url;     // set when the entry may be opened
    QString refusal; // otherwise the Turkish message saying why not
};

// http:// and https:// only; a bare host name gets http:// in front.
ShellTarget webTarget(const QString& entry);
// One address with one "@", no scheme, no blanks: "mailto:" and it.
ShellTarget mailTarget(const QString& entry);
