#pragma once

#include "platform/TurkishText.h"
#include "store/RecordDocument.h"

#include <QString>

// Every group's count equals the persons filed in it or below it; returns
// the first group that breaks it, empty when all agree.
inline QString brokenCount(const RecordDocument& doc) {
    QString broken;
    forEachGroup(doc.groups().root(), [&](const GroupNode& g) {
        const QString key = TurkceUpperCase(BuildGroupPath(&g));
        quint32 n = 0;
        for (const PersonRecord* p : doc.persons().allPersons())
            if (pathLiesIn(p->GroupPath, key))
                ++n;
        if (n != g.MemberCount && broken.isEmpty())
            broken = BuildGroupPath(&g) + QStringLiteral(": %1 != %2").arg(g.MemberCount).arg(n);
    });
    return broken;
}
