#include "tools/BulkTools.h"

#include "store/RecordDocument.h"

#include <QStringList>

#include <functional>

namespace {

bool allDigits(QStringView text) {
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

QString withoutSpaces(QString text) {
    text.remove(QLatin1Char(' '));
    return text;
}

void forEachContactEntry(RecordDocument& document,
                         const std::function<QString(const QString&)>& f) {
    PersonListModel& persons = document.persons();
    for (int i = 0; i < persons.personCount(); ++i)
        for (QString& entry : persons.personAt(i)->Contacts)
            entry = f(entry);
    document.setModified(true);
}

} // namespace

QString regroupDigits(QStringView digits) {
    // Groups of 2, 2, 3 and 3 are cut from the right while enough digits
    // remain and the rest forms the leftmost group; past 13 digits the
    // cutting goes on in threes, so no digit is lost.
    QStringList groups;
    qsizetype end = digits.size();
    for (int step = 0; end > 0; ++step) {
        const qsizetype size = step < 2 ? 2 : 3;
        if (end < size) {
            groups.prepend(digits.left(end).toString());
            break;
        }
        groups.prepend(digits.mid(end - size, size).toString());
        end -= size;
    }
    return groups.join(QLatin1Char(' '));
}

QString splitContactEntry(const QString& entry) {
    const QString stripped = withoutSpaces(entry);
    const qsizetype valueStart = stripped.indexOf(QLatin1Char('\t')) + 1;
    const QStringView value = QStringView(stripped).mid(valueStart);
    if (!allDigits(value))
        return stripped;
    return stripped.left(valueStart) + regroupDigits(value);
}

void removeContactSpaces(RecordDocument& document) {
    forEachContactEntry(document, [](const QString& e) { return withoutSpaces(e); });
}

void splitContactNumbers(RecordDocument& document) {
    forEachContactEntry(document, splitContactEntry);
}

void renumberRecords(RecordDocument& document) {
    PersonListModel& persons = document.persons();
    if (persons.personCount() == 0)
        return;
    for (int i = 0; i < persons.personCount(); ++i)
        persons.personAt(i)->RecordNo = QString::number(i + 1).rightJustified(5, QLatin1Char('0'));
    persons.allPersonsChanged();
    document.setModified(true);
}
