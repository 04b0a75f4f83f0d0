#pragma once

#include "store/RecordFile.h"

#include <QByteArray>

class QIODevice;

// The maker's address in the header block.
inline const QString kMakerStreet = QStringLiteral("Atatürk Bulvarı No: 127/4 Kızılay");
inline const QString kMakerCity = QStringLiteral("06420 Ankara Türkiye");

// Composes the whole file in code page 1254: header, one block per person
// in list order, trailer; every line ends with CR LF. A line break inside
// a one-line value is written as a blank, so the file reads back as
// written. Characters the code page lacks are written as '?' and listed in
// *unencodable.
QByteArray composeRecordFile(const RecordFileSnapshot& snapshot, QString* unencodable = nullptr);
