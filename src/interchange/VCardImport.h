#pragma once

#include "store/PersonRecord.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class Clock;
class QIODevice;
class PersonListModel;
class RecordDocument;
struct VCard;

inline const QString kVCardFileFilter =
    QStringLiteral("vCard dosyaları (*.vcf *.vcard)|*.vcf;*.vcard|Tüm dosyalar (*)|*");

// A picture that came inline with a card, to be saved beside the record
// file when the import goes ahead.
struct VCardPhoto {
    QByteArray data;
    QString suffix; // "jpg", "png", "gif", "bmp"
};

struct VCardPerson {
    std::unique_ptr<PersonRecord> record; // null: the card holds nothing to import
    std::vector<VCardPhoto> photos;
    QStringList leftOut; // what the card had that could not be taken
};

// Saves photos beside a record file as photo1.jpg, photo2.jpg, ... (the
// first names free in the folder, whatever their case).
class PhotoFiles {
public:
    explicit PhotoFiles(const QString& folder);
    // The name given; throws ZilvarenError with the photos saved before
    // removed when one cannot be written.
    QString save(const VCardPhoto& photo);
    void removeSaved();

private:
    QString folder_;
    QSet<QString> taken_;
    QStringList written_;
    int number_ = 1;
};

// A card's person before anything is filed. Photos are named when saved.
VCardPerson personFromVCard(const VCard& card, const QString& groupPath, const QString& recordedAt);

// The fields of person with characters code page 1254 cannot hold, as
// "Ad: И В" (the field's name on the detail pages, then the letters).
QStringList unencodableFields(const PersonRecord& person);

// Everything an import would add, and what the user must hear first.
struct VCardImportPlan {
    std::vector<VCardPerson> persons;
    QStringList skipped;          // "3. kart: reason", cards that made no person
    QStringList warnings;         // cards imported with something left out
    QStringList unencodable;      // "2. kart (NAME), Ad: И В", characters 1254 lacks
    std::optional<QString> error; // the file could not be read: nothing to import
};

// Reads the cards and makes their persons, numbered on from
// firstRecordNo, stamped with the clock and filed under groupPath.
VCardImportPlan planVCardImport(QIODevice& device, const QString& groupPath, qint64 firstRecordNo,
                                const Clock& clock);

// The number after the highest numeric record number seen.
class RecordNumbers {
public:
    void see(const QString& recordNo);
    qint64 next() const { return highest_ + 1; }

private:
    qint64 highest_ = 0;
};

// The number after the highest numeric record number of the persons.
qint64 nextRecordNumber(const PersonListModel& persons);

// Turns the characters 1254 cannot hold into '?', once the user has seen
// them listed and chose to go on.
void replaceUnencodable(VCardImportPlan& plan);
// The same in one person.
void replaceUnencodable(PersonRecord& person);

// The question listing the unencodable characters (at most a screenful)
// of what is imported: "Bu kartlarda", "Bu satırlarda".
QString unencodableQuestion(const QStringList& unencodable,
                            const QString& where = QStringLiteral("Bu kartlarda"));

// Saves the photos into pictureFolder as photo1.jpg, photo2.jpg, ... (the
// first names free in the folder, whatever their case), then appends the
// persons with the photos as their pictures and counts them into their
// group. A photo that cannot be written throws ZilvarenError with the
// photos already written removed and the document unchanged.
int commitVCardImport(RecordDocument& document, VCardImportPlan& plan,
                      const QString& pictureFolder);
// The same, handing the persons over instead of filing them.
std::vector<std::unique_ptr<PersonRecord>> takeVCardPersons(VCardImportPlan& plan,
                                                            const QString& pictureFolder);

// The closing message: how many persons came in, and which cards did not.
QString vcardImportMessage(int imported, const VCardImportPlan& plan);
