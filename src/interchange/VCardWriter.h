#pragma once

#include "platform/Errors.h"
#include "platform/SafeFile.h"
#include "store/PersonRecord.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

class Prompts;
class QIODevice;

struct VCardExportOptions {
    bool pictures = false; // JPEG pictures inline, base64
    QString pictureFolder; // where relative picture paths lie (the record file's folder)
};

struct VCardExportResult {
    int cards = 0;
    int picturesLeftOut = 0; // missing, unreadable or not JPEG
};

// The card's UID: the person's identity once it has one, else the UID
// made from the record number and creation stamp (derivedUid), the same
// whatever file the person is in.
QString vcardUid(const PersonRecord& person);
QString derivedUid(const PersonRecord& person);

// The identity a person gets when it first needs one: its derivedUid, so
// that an interrupted sync gives it again; where another person of the
// file has that one, one made from it and a count.
QString newIdentity(const PersonRecord& person, const QSet<QString>& taken);

// One content line "name:value", the value escaped as text, folded at 75
// octets (never inside a UTF-8 sequence), ending in CR LF: vCard 3.0 and
// iCalendar write text alike.
void appendTextLine(QByteArray& out, const char* name, QStringView value);
// The same for a line whose bytes need no escaping.
void appendFoldedLine(QByteArray& out, QByteArrayView line);

// One vCard 3.0 card: UTF-8, CR LF, folded at 75 octets, values escaped.
// Each of jpegs (JPEG, or PNG by its signature) goes inline as a PHOTO.
QByteArray composeVCard(const PersonRecord& person, const QList<QByteArray>& jpegs = {});

// One card per person, in the given order.
VCardExportResult writeVCards(QIODevice& device, const std::vector<const PersonRecord*>& persons,
                              const VCardExportOptions& options);

// Cards written to a file one person at a time, replacing a file of that
// name only once all is written. Throws ZilvarenError with the message to
// show (a failed write is told by commit()).
class VCardFileWriter {
public:
    VCardFileWriter(const QString& path, VCardExportOptions options);
    void add(const PersonRecord& person);
    VCardExportResult commit();

private:
    SafeFile file_;
    VCardExportOptions options_;
    // Cards are handed to the file in pieces of about this size: as large
    // as the file's own buffer, so they go to the disk without a copy.
    static constexpr qsizetype kWritePiece = 1024 * 1024;
    QByteArray cards_;
    VCardExportResult result_;
};

// Writes the cards to path, replacing a file of that name only when all
// is written. Throws ZilvarenError with the message to show.
VCardExportResult writeVCardFile(const QString& path,
                                 const std::vector<const PersonRecord*>& persons,
                                 const VCardExportOptions& options);

// The persons of a group and its sub-groups, in list order.
std::vector<const PersonRecord*> personsInGroup(const std::vector<const PersonRecord*>& persons,
                                                const QString& groupPath);

// The persons an export writes: with a group focused the user is asked
// whether only that group and its sub-groups go, or all; nullopt when the
// user cancelled.
std::optional<std::vector<const PersonRecord*>>
exportedPersons(Prompts& prompts, const std::vector<const PersonRecord*>& persons,
                const QString& focusedGroupPath);

// The message after writing path.
QString vcardExportMessage(const QString& path, const VCardExportResult& result);
