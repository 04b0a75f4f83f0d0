#include "tools/BulkTools.h"

#include "store/RecordDocument.h"

namespace {

// The tool on every person as one step: only the persons whose entries
// it changes are in it.
void forEachContactEntry(RecordDocument& document, const QString& caption,
                         void (*tool)(PersonRecord&)) {
    std::vector<std::pair<PersonRecord*, QStringList>> changed;
    document.persons().forEachPerson([&](PersonRecord& p) {
        PersonRecord after;
        after.Contacts = p.Contacts;
        tool(after);
        if (after.Contacts != p.Contacts)
            changed.emplace_back(&p, std::move(after.Contacts));
    });
    RecordDocument::Step step(document, caption);
    document.changeField(&PersonRecord::Contacts, std::move(changed));
}

} // namespace

void removeContactSpaces(RecordDocument& document) {
    forEachContactEntry(document, QStringLiteral("Telefon Numaralarındaki Boşlukları Sil"),
                        removeContactSpaces);
}

void splitContactNumbers(RecordDocument& document) {
    forEachContactEntry(document, QStringLiteral("Telefon Numaralarını Standart Böl"),
                        splitContactNumbers);
}

void renumberRecords(RecordDocument& document) {
    std::vector<std::pair<PersonRecord*, QString>> changed;
    int number = 0;
    document.persons().forEachPerson([&](PersonRecord& p) {
        QString renumbered = renumberedRecordNo(++number);
        if (renumbered != p.RecordNo)
            changed.emplace_back(&p, std::move(renumbered));
    });
    RecordDocument::Step step(document, QStringLiteral("Kayıt Numaralarını Yenile"));
    document.changeField(&PersonRecord::RecordNo, std::move(changed));
}
