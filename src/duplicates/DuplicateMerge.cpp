#include "duplicates/DuplicateMerge.h"

#include "interchange/VCardWriter.h"
#include "store/PersonMerge.h"
#include "store/RecordDocument.h"

#include <QHash>
#include <QSet>

PersonRecord mergedPerson(const PersonRecord& kept, const std::vector<const PersonRecord*>& dropped,
                          const QString& editedAt) {
    PersonRecord merged = kept;
    mergeInto(merged, dropped);
    merged.EditedAt = editedAt;
    return merged;
}

void mergeDuplicates(RecordDocument& document, PersonRecord& kept,
                     const std::vector<PersonRecord*>& dropped, const QString& editedAt) {
    RecordDocument::Step step(document, QStringLiteral("Kişileri Birleştir (%1)")
                                            .arg((kept.FirstName + u' ' + kept.Surname).trimmed()));
    step.touch(&kept);
    document.changePerson(&kept, mergedPerson(kept, {dropped.begin(), dropped.end()}, editedAt));
    document.removePersons(dropped);
}

void markDifferent(RecordDocument& document, const std::vector<PersonRecord*>& persons) {
    // The first holder of an identity keeps it, as at a sync.
    QHash<QString, const PersonRecord*> holder;
    QSet<QString> taken;
    document.persons().forEachPerson([&](const PersonRecord& p) {
        if (!p.Identity.isEmpty() && !holder.contains(p.Identity)) {
            holder.insert(p.Identity, &p);
            taken.insert(p.Identity);
        }
    });
    QStringList identities;
    std::vector<std::pair<PersonRecord*, QString>> given;
    for (PersonRecord* p : persons) {
        QString id = p->Identity;
        if (id.isEmpty() || holder.value(id) != p) {
            id = newIdentity(*p, taken);
            taken.insert(id);
            given.emplace_back(p, id);
        }
        identities.append(id);
    }
    const QSet<QString> group(identities.cbegin(), identities.cend());
    DifferentPersons different = document.differentPersons();
    different.removeIf([&group](const QStringList& entry) {
        return std::all_of(entry.cbegin(), entry.cend(),
                           [&group](const QString& id) { return group.contains(id); });
    });
    different.append(identities);
    RecordDocument::Step step(document,
                              QStringLiteral("Farklı Kişiler (%1 kişi)").arg(persons.size()));
    step.touch(persons.front());
    document.changeField(&PersonRecord::Identity, std::move(given));
    document.changeDifferentPersons(std::move(different));
}
