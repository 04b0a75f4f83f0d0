// The imports' persons into the document, as one step of its history.
#include "interchange/AddressBookImport.h"
#include "interchange/VCardImport.h"
#include "store/RecordDocument.h"

void fileImportedPersons(RecordDocument& document,
                         std::vector<std::unique_ptr<PersonRecord>> persons,
                         const QString& groupPath) {
    if (persons.empty())
        return;
    RecordDocument::Step step(document, QStringLiteral("İçe Aktar (%1 kişi)").arg(persons.size()));
    for (auto& p : persons)
        p->GroupPath = groupPath;
    document.addPersons(std::move(persons));
}

AddressBookImport importAddressBook(RecordDocument& document, const QString& fileName,
                                    const QString& groupPath, const Clock& clock) {
    AddressBookRead read = readAddressBookAsFarAsItGoes(fileName, groupPath, clock);
    AddressBookImport result;
    result.count = int(read.persons.size());
    result.error = read.error;
    // Persons kept after a failed read are a change too.
    fileImportedPersons(document, std::move(read.persons), groupPath);
    return result;
}

int commitVCardImport(RecordDocument& document, VCardImportPlan& plan,
                      const QString& pictureFolder) {
    if (plan.persons.empty())
        return 0;
    const QString groupPath = plan.persons.front().record->GroupPath;
    std::vector<std::unique_ptr<PersonRecord>> persons = takeVCardPersons(plan, pictureFolder);
    const int count = int(persons.size());
    fileImportedPersons(document, std::move(persons), groupPath);
    return count;
}
