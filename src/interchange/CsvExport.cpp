#include "interchange/CsvExport.h"

#include "platform/Cp1254.h"
#include "platform/Errors.h"
#include "platform/TurkishText.h"
#include "store/BirthDate.h"

#include <QDir>
#include <QSaveFile>

#include <array>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The six kinds in the order of their columns.
const std::array<QString, 6> kExportedKinds = {QStringLiteral("Ev"),   QStringLiteral("İş"),
                                               QStringLiteral("Fax"),  QStringLiteral("GSM"),
                                               QStringLiteral("Mail"), QStringLiteral("Web")};

QString sexText(QChar sex) {
    if (sex == QLatin1Char('F'))
        return QStringLiteral("Bayan");
    if (sex == QLatin1Char('M'))
        return QStringLiteral("Bay");
    return {};
}

QString maritalText(QChar status) {
    switch (status.unicode()) {
    case 'E':
        return QStringLiteral("Bekar");
    case 'B':
        return QStringLiteral("Evli");
    case 'D':
        return QStringLiteral("Dul");
    default:
        return {};
    }
}

// The Turkish short date with all four digits of the year, whatever the
// user's locale: a two-digit year would lose the century.
QString birthDateText(double days) {
    if (days == 0)
        return {};
    return birthdate::toDate(days).toString(QStringLiteral("dd.MM.yyyy"));
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
    std::array<QString, kExportedKinds.size()> contacts;
    for (const QString& entry : p.Contacts) {
        const ContactEntry c = ContactEntry::parse(entry);
        for (size_t k = 0; k < kExportedKinds.size(); ++k) {
            if (c.kind != kExportedKinds[k])
                continue;
            if (!contacts[k].isEmpty())
                contacts[k] += QLatin1Char('-');
            contacts[k] += c.value;
        }
    }
    QString notes;
    for (const QString& line : p.Notes)
        notes += line + kCrLf;

    return {p.RecordNo,
            p.FirstName,
            p.Surname,
            p.MotherName,
            p.FatherName,
            p.BirthPlace,
            p.Firm,
            p.Department,
            p.Profession,
            p.GroupPath,
            p.HomeAddress1 + QLatin1Char(' ') + p.HomeAddress2,
            p.HomeCity,
            p.HomePostCode,
            p.WorkAddress1 + QLatin1Char(' ') + p.WorkAddress2,
            p.WorkCity,
            p.WorkPostCode,
            sexText(p.Sex),
            maritalText(p.MaritalStatus),
            birthDateText(p.BirthDate),
            contacts[0],
            contacts[1],
            contacts[2],
            contacts[3],
            contacts[4],
            contacts[5],
            notes};
}

namespace {

// QuoteCsvField straight into the bytes of the file: a field without a
// double quote needs no copy of its own.
void appendQuoted(QByteArray& out, const QString& field) {
    if (field.contains(QLatin1Char('"'))) {
        cp1254::appendEncoded(out, QuoteCsvField(field));
    } else if (!field.isEmpty()) {
        out.append('"');
        cp1254::appendEncoded(out, field);
        out.append('"');
    }
}

} // namespace

QByteArray composeExport(const std::vector<const PersonRecord*>& persons) {
    QByteArray out = cp1254::encode(kExportHeading + kCrLf);
    out.reserve(qsizetype(persons.size()) * 400 + out.size());
    forEachRecord(persons, [&out](const PersonRecord& p) {
        const QStringList fields = exportValues(p);
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out.append(';');
            appendQuoted(out, fields[i]);
        }
        out.append("\r\n", 2);
    });
    return out;
}

void writeExportFile(const QString& path, const std::vector<const PersonRecord*>& persons) {
    const QByteArray content = composeExport(persons);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        throw ZilvarenError(QStringLiteral("Cannot create file %1\r%2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
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
