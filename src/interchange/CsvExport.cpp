#include "interchange/CsvExport.h"

#include "platform/Cp1254.h"
#include "platform/Errors.h"
#include "platform/TurkishText.h"
#include "store/BirthDate.h"

#include <QDir>
#include <QVarLengthArray>

#include <array>
#include <utility>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The six kinds in the order of their columns.
const std::array<QString, 6> kExportedKinds = {QStringLiteral("Ev"),   QStringLiteral("İş"),
                                               QStringLiteral("Fax"),  QStringLiteral("GSM"),
                                               QStringLiteral("Mail"), QStringLiteral("Web")};

QStringView sexText(QChar sex) {
    if (sex == QLatin1Char('F'))
        return u"Bayan";
    if (sex == QLatin1Char('M'))
        return u"Bay";
    return {};
}

QStringView maritalText(QChar status) {
    switch (status.unicode()) {
    case 'E':
        return u"Bekar";
    case 'B':
        return u"Evli";
    case 'D':
        return u"Dul";
    default:
        return {};
    }
}

// One value of the line as the pieces it is made of, so that the line is
// written from the record's own texts without joining them first.
using Pieces = QVarLengthArray<QStringView, 16>;

// Hands each of the 26 values of a person's line to f, in heading order.
template <typename F> void forEachExportValue(const PersonRecord& p, F&& f) {
    for (const QString* field :
         {&p.RecordNo, &p.FirstName, &p.Surname, &p.MotherName, &p.FatherName, &p.BirthPlace,
          &p.Firm, &p.Department, &p.Profession, &p.GroupPath})
        f(Pieces{*field});
    f(Pieces{p.HomeAddress1, u" ", p.HomeAddress2});
    f(Pieces{p.HomeCity});
    f(Pieces{p.HomePostCode});
    f(Pieces{p.WorkAddress1, u" ", p.WorkAddress2});
    f(Pieces{p.WorkCity});
    f(Pieces{p.WorkPostCode});
    f(Pieces{sexText(p.Sex)});
    f(Pieces{maritalText(p.MaritalStatus)});
    // All four digits of the year, whatever the user's locale: a two-digit
    // year would lose the century.
    char16_t date[10];
    Pieces dateText;
    if (p.BirthDate != 0) {
        int year = 0;
        int month = 0;
        int day = 0;
        birthdate::toDate(p.BirthDate).getDate(&year, &month, &day);
        // clang-format off
        const int digits[] = {day / 10, day % 10, -1, month / 10, month % 10, -1,
                              year / 1000 % 10, year / 100 % 10, year / 10 % 10, year % 10};
        // clang-format on
        for (int i = 0; i < 10; ++i)
            date[i] = digits[i] < 0 ? u'.' : char16_t(u'0' + digits[i]);
        dateText.append(QStringView(date, 10));
    }
    f(dateText);
    // The numbers of one kind, joined by "-"; each entry is split once.
    QVarLengthArray<std::pair<QStringView, QStringView>, 8> contacts;
    for (const QString& entry : p.Contacts) {
        const qsizetype tab = entry.indexOf(QLatin1Char('\t'));
        if (tab >= 0)
            contacts.append({QStringView(entry).first(tab), QStringView(entry).sliced(tab + 1)});
    }
    for (const QString& kind : kExportedKinds) {
        Pieces numbers;
        for (const auto& [entryKind, value] : contacts) {
            if (entryKind != kind)
                continue;
            if (!numbers.isEmpty())
                numbers.append(u"-");
            numbers.append(value);
        }
        f(numbers);
    }
    Pieces notes;
    for (const QString& line : p.Notes)
        notes << QStringView(line) << QStringView(kCrLf);
    f(notes);
}

// QuoteCsvField straight into the bytes of the file, encoded as it is
// written.
void appendQuoted(QByteArray& out, const Pieces& pieces) {
    qsizetype length = 0;
    for (QStringView piece : pieces)
        length += piece.size();
    if (length == 0)
        return; // empty stays empty
    const qsizetype start = out.size();
    out.resize(start + 2 * length + 2); // room for every '"' doubled
    char* dst = out.data() + start;
    *dst++ = '"';
    for (QStringView piece : pieces) {
        for (const QChar c : piece) {
            // 1254 keeps ASCII as it is.
            if (c.unicode() < 0x80) {
                *dst++ = char(c.unicode());
                if (c == u'"')
                    *dst++ = '"';
            } else {
                const int byte = cp1254::encodeChar(c);
                *dst++ = byte < 0 ? '?' : char(byte);
            }
        }
    }
    *dst++ = '"';
    out.truncate(dst - out.constData());
}

void appendExportLine(QByteArray& out, const PersonRecord& p) {
    bool first = true;
    forEachExportValue(p, [&](const Pieces& value) {
        if (!first)
            out.append(';');
        first = false;
        appendQuoted(out, value);
    });
    out.append("\r\n", 2);
}

} // namespace

QString QuoteCsvField(const QString& text) {
    if (text.isEmpty())
        return {};
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QStringList exportValues(const PersonRecord& p) {
    QStringList values;
    exportValuesInto(p, values);
    return values;
}

void exportValuesInto(const PersonRecord& p, QStringList& values) {
    qsizetype at = 0;
    forEachExportValue(p, [&](const Pieces& pieces) {
        if (at == values.size())
            values.append(QString());
        QString& value = values[at++];
        value.truncate(0);
        for (QStringView piece : pieces)
            value += piece;
    });
}

QByteArray composeExport(const std::vector<const PersonRecord*>& persons) {
    QByteArray out = cp1254::encode(kExportHeading + kCrLf);
    out.reserve(qsizetype(persons.size()) * 400 + out.size());
    forEachRecord(persons, [&out](const PersonRecord& p) { appendExportLine(out, p); });
    return out;
}

namespace {

const QString kExportFailure = QStringLiteral("Cannot create file %1");

} // namespace

ExportFile::ExportFile(const QString& path) : file_(path) {
    if (!file_.open())
        throw file_.error(kExportFailure);
    file_.write(cp1254::encode(kExportHeading + kCrLf));
}

void ExportFile::add(const PersonRecord& person) {
    appendExportLine(lines_, person);
    if (lines_.size() >= kWritePiece) {
        file_.write(lines_);
        lines_.truncate(0);
    }
}

void ExportFile::commit() {
    file_.write(lines_);
    lines_.truncate(0);
    if (!file_.commit())
        throw file_.error(kExportFailure);
}

void writeExportFile(const QString& path, const std::vector<const PersonRecord*>& persons) {
    ExportFile file(path);
    forEachRecord(persons, [&file](const PersonRecord& p) { file.add(p); });
    file.commit();
}

QString exportToFolder(const QString& folder, const std::vector<const PersonRecord*>& persons) {
    const QString path = QDir(folder).filePath(kExportFileName);
    writeExportFile(path, persons);
    return path;
}

QString exportDoneMessage(const QString& folder) {
    return QStringLiteral("Bilgiler ") + QDir::toNativeSeparators(folder) + QDir::separator() +
           kExportFileName + QStringLiteral(" dosyasına aktarıldı.");
}
