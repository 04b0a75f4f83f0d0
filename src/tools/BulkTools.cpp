#include "tools/BulkTools.h"

#include "store/RecordDocument.h"

#include <QStringList>
#include <QVarLengthArray>

#include <algorithm>

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

// The groups of regroupDigits, appended to out.
void appendRegrouped(QString& out, QStringView digits) {
    // Groups of 2, 2, 3 and 3 are cut from the right while enough digits
    // remain and the rest forms the leftmost group; past 13 digits the
    // cutting goes on in threes, so no digit is lost.
    QVarLengthArray<qsizetype, 16> sizes; // rightmost group first
    qsizetype left = digits.size();
    for (int step = 0; left > 0; ++step) {
        const qsizetype size = std::min<qsizetype>(left, step < 2 ? 2 : 3);
        sizes.append(size);
        left -= size;
    }
    out.reserve(out.size() + digits.size() + sizes.size());
    qsizetype at = 0;
    for (qsizetype i = sizes.size() - 1; i >= 0; --i) {
        if (at > 0)
            out.append(QLatin1Char(' '));
        out.append(digits.mid(at, sizes[i]));
        at += sizes[i];
    }
}

} // namespace

QString regroupDigits(QStringView digits) {
    QString out;
    appendRegrouped(out, digits);
    return out;
}

QString splitContactEntry(const QString& entry) {
    const QString stripped = withoutSpaces(entry);
    const qsizetype valueStart = stripped.indexOf(QLatin1Char('\t')) + 1;
    const QStringView value = QStringView(stripped).mid(valueStart);
    if (!allDigits(value))
        return stripped;
    QString out = stripped.left(valueStart);
    appendRegrouped(out, value);
    return out;
}

void removeContactSpaces(PersonRecord& person) {
    for (QString& entry : person.Contacts)
        entry = withoutSpaces(entry);
}

void splitContactNumbers(PersonRecord& person) {
    for (QString& entry : person.Contacts)
        entry = splitContactEntry(entry);
}

void removeContactSpaces(RecordDocument& document) {
    forEachContactEntry(document, QStringLiteral("Telefon Numaralarındaki Boşlukları Sil"),
                        removeContactSpaces);
}

void splitContactNumbers(RecordDocument& document) {
    forEachContactEntry(document, QStringLiteral("Telefon Numaralarını Standart Böl"),
                        splitContactNumbers);
}

QString renumberedRecordNo(int position) {
    return QString::number(position).rightJustified(5, QLatin1Char('0'));
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
