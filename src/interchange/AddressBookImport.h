#pragma once

#include "store/PersonRecord.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

class Clock;
class QIODevice;
class RecordDocument;

// The texts the import shows.
inline const QString kImportNeedsGroupMessage = QStringLiteral(
    "Öncelikle en az bir adet Grup Tanımlaması Yapılmalıdır.\r\rGruplar listesinde farenin sağ "
    "tuşuna tıklayarak ekleme yapabilirsiniz.");
inline const QString kImportIntroMessage =
    QStringLiteral("MS Adres Defterinden tüm kolonları ile txt formatında elde edeceginiz "
                   "dosyadaki kişi bilgilerini bu programa aktarabilirsiniz.");
inline const QString kImportFileFilter =
    QStringLiteral("Text files (*.txt)|*.TXT|Comma Seperated Values (*.csv)|*.CSV");
// "Record Count => " and the number of persons imported.
QString importCountMessage(int count);

// The persons made from an address book export, in file order.
struct AddressBookRead {
    std::vector<std::unique_ptr<PersonRecord>> persons;
    // The device's message when reading failed part way; the persons are
    // those whose records were complete before it.
    std::optional<QString> error;
};

// Splits the export (code page 1254) into records of 29 semicolon-separated
// fields and makes one person of each, numbered from 1, stamped with the
// clock's now and filed under groupPath. Reading ends at the physical end or
// at the first byte 26; an incomplete last record makes no person.
AddressBookRead readAddressBook(QIODevice& device, const QString& groupPath, const Clock& clock);

// Files the persons into the group of groupPath at the end of the list, as
// one step of the document's history ("İçe Aktar"), creating that group
// when it is missing ("Belli Değil").
void fileImportedPersons(RecordDocument& document,
                         std::vector<std::unique_ptr<PersonRecord>> persons,
                         const QString& groupPath);

struct AddressBookImport {
    int count = 0; // persons added to the document
    // Set when reading failed part way: the message to show. The persons
    // read before it have been added all the same.
    std::optional<QString> error;
};

// Reads the address book file; throws ZilvarenError when it cannot be read
// whole.
AddressBookRead readAddressBookFile(const QString& fileName, const QString& groupPath,
                                    const Clock& clock);
// The same keeping what was read before a failure part way, with its
// message in error (the file is read as "\"…\" dosyası okunamadı." says);
// throws ZilvarenError only when the file cannot be opened.
AddressBookRead readAddressBookAsFarAsItGoes(const QString& fileName, const QString& groupPath,
                                             const Clock& clock);

// One whole import of fileName into the document: read, then filed as one
// step. Throws ZilvarenError when the file cannot be opened; nothing has
// changed then.
AddressBookImport importAddressBook(RecordDocument& document, const QString& fileName,
                                    const QString& groupPath, const Clock& clock);
