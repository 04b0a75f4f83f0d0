#include "tools/BulkTools.h"

#include "store/PersonRecord.h"

#include <QStringList>
#include <QVarLengthArray>

#include <algorithm>


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

QString renumberedRecordNo(int position) {
    return QString::number(position).rightJustified(5, QLatin1Char('0'));
}
