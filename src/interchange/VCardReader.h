#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QIODevice;

// One property of a card with its transfer encodings undone: text values
// are decoded to Unicode but keep their backslash escapes (structured
// values need them to split), inline data is decoded to bytes.
struct VCardProperty {
    QString group;       // upper case ("ITEM1" of "item1.TEL"); empty when none
    QString name;        // upper case, without its group
    QSet<QString> types; // TYPE values in lower case, from every spelling
    QString value;
    bool inlineData = false; // base64 / ENCODING=b / data: URI
    QByteArray data;         // the decoded bytes; empty when they were broken
};

struct VCard {
    int number = 0;     // position in the file, from 1
    bool ended = false; // END:VCARD was seen
    std::vector<VCardProperty> properties;
};

struct VCardFile {
    std::vector<VCard> cards;
    // The device's message when reading failed; cards is empty then.
    std::optional<QString> error;
};

// Reads every card of the device: versions 2.1, 3.0 and 4.0 mixed, CR LF or
// LF, a UTF-8 (or UTF-16) byte order mark, folded lines, quoted-printable
// soft breaks, any CHARSET. A value without CHARSET is UTF-8 when all such
// values of the file are valid UTF-8, otherwise code page 1254.
VCardFile readVCards(QIODevice& device);

// The components of a structured value split at unescaped separators, each
// unescaped.
QStringList vcardComponents(QStringView value, QChar separator);
// \n \N \, \; \\ resolved; any other backslash stays.
QString vcardUnescape(QStringView value);
