#include "duplicates/DuplicateMerge.h"

#include "interchange/VCardWriter.h"
#include "store/GroupOperations.h"
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
    const std::vector<const PersonRecord*> leaving(dropped.begin(), dropped.end());
    kept = mergedPerson(kept, leaving, editedAt);
    PersonListModel& persons = document.persons();
    persons.personChanged(&kept);
    groupops::countPersons(document, leaving, -1);
    const QSet<const PersonRecord*> doomed(leaving.begin(), leaving.end());
    persons.removePersons([&doomed](const PersonRecord& p) { return doomed.contains(&p); });
    document.setModified(true);
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
    for (PersonRecord* p : persons) {
        if (p->Identity.isEmpty() || holder.value(p->Identity) != p) {
            p->Identity = newIdentity(*p, taken);
            taken.insert(p->Identity);
        }
        identities.append(p->Identity);
    }
    const QSet<QString> group(identities.cbegin(), identities.cend());
    DifferentPersons& different = document.differentPersons();
    different.removeIf([&group](const QStringList& entry) {
        return std::all_of(entry.cbegin(), entry.cend(),
                           [&group](const QString& id) { return group.contains(id); });
    });
    different.append(identities);
    document.setModified(true);
}
