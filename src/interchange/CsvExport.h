#pragma once

#include "platform/Errors.h"
#include "platform/SafeFile.h"
#include "store/PersonRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

inline const QString kExportFileName = QStringLiteral("Export.csv");
inline const QString kExportHeading = QStringLiteral(
    "SrNo;Ad;Soyad;Anne;Baba;Doğum Yeri;Firma;Bölüm;Meslek;Grup;Ev Adresi;Ev/Şehir;Ev/PK;"
    "İş Adresi;İş/Şehir;İş/PK;Cinsiyet;Medeni Hal;Doğum Tarihi;Ev Tel;İş Tel;Fax;GSM;Email;Web;"
    "Notlar");

// Empty stays empty; anything else goes between double quotes, with the
// quotes inside it doubled.
QString QuoteCsvField(const QString& text);

// The 26 values of a person's line, in heading order, before quoting.
QStringList exportValues(const PersonRecord& person);
// The same into values, whose texts keep their room from person to person.
void exportValuesInto(const PersonRecord& person, QStringList& values);

// The whole export in code page 1254: the heading, then one line per
// person, every line ending with CR LF.
QByteArray composeExport(const std::vector<const PersonRecord*>& persons);

// The export written a person at a time, replacing a file of that name
// only once all is written. Throws ZilvarenError with the message to show
// (a failed write is told by commit()).
class ExportFile {
public:
    explicit ExportFile(const QString& path);
    void add(const PersonRecord& person);
    void commit();

private:
    // Lines are handed to the file in pieces of about this size: as large
    // as the file's own buffer, so they go to the disk without a copy.
    static constexpr qsizetype kWritePiece = 1024 * 1024;
    SafeFile file_;
    QByteArray lines_;
};

// Writes the export to path, replacing a file of that name; a failure
// leaves the old file as it was. Throws ZilvarenError with the message to
// show.
void writeExportFile(const QString& path, const std::vector<const PersonRecord*>& persons);

// Writes "Export.csv" into folder and returns its path.
QString exportToFolder(const QString& folder, const std::vector<const PersonRecord*>& persons);

// The message after exporting into folder.
QString exportDoneMessage(const QString& folder);
