#include "interchange/TableImport.h"

#include "interchange/VCardImport.h"
#include "platform/Clock.h"
#include "platform/TurkishText.h"
#include "store/BirthDate.h"

namespace {

QString kindWord(TableField f) {
    switch (f) {
    case TableField::Is:
        return QStringLiteral("İş");
    case TableField::Gsm:
        return QStringLiteral("GSM");
    case TableField::Fax:
        return QStringLiteral("Fax");
    case TableField::Mail:
        return QStringLiteral("Mail");
    case TableField::Web:
        return QStringLiteral("Web");
    default:
        return QStringLiteral("Ev");
    }
}

// The kind a type column names ("* Mobile", "Work Fax", "İş"), else the
// field's own.
QString kindOf(QStringView type, TableField field) {
    const QString key = foldedName(type);
    const auto has = [&key](const char* word) {
        return key.split(u' ').contains(QLatin1String(word));
    };
    if (has("FAX") || has("FAKS"))
        return QStringLiteral("Fax");
    if (has("MOBILE") || has("CELL") || has("CEP") || has("GSM"))
        return QStringLiteral("GSM");
    if (has("WORK") || has("BUSINESS") || has("IS"))
        return QStringLiteral("İş");
    if (has("HOME") || has("EV"))
        return QStringLiteral("Ev");
    return kindWord(field);
}

// Dates as dd.mm.yyyy, yyyy-mm-dd or m/d/yyyy, a time after them left
// aside; nullopt when unreadable. *none is set for Outlook's "0/0/00".
std::optional<QDate> tableDate(QStringView text, bool* none) {
    *none = false;
    qsizetype end = 0;
    while (end < text.size() &&
           (text[end].isDigit() || text[end] == u'.' || text[end] == u'-' || text[end] == u'/'))
        ++end;
    const QStringView date = text.first(end);
    for (const QChar separator : {u'.', u'-', u'/'}) {
        const QList<QStringView> parts = date.split(separator);
        if (parts.size() != 3)
            continue;
        bool ok[3];
        const int a = parts[0].toInt(&ok[0]);
        const int b = parts[1].toInt(&ok[1]);
        const int c = parts[2].toInt(&ok[2]);
        if (!ok[0] || !ok[1] || !ok[2])
            return std::nullopt;
        if (separator == u'/' && a == 0 && b == 0 && c == 0) {
            *none = true;
            return std::nullopt;
        }
        QDate d;
        if (separator == u'.' && parts[2].size() == 4)
            d = QDate(c, b, a);
        else if (separator == u'-' && parts[0].size() == 4)
            d = QDate(a, b, c);
        else if (separator == u'/' && parts[2].size() == 4)
            d = QDate(c, a, b);
        return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
    }
    return std::nullopt;
}

QChar sexOf(QStringView text) {
    const QString key = foldedName(text);
    for (const char* male : {"E", "ERKEK", "BAY", "M", "MALE"})
        if (key == QLatin1String(male))
            return u'M';
    for (const char* female : {"K", "KADIN", "BAYAN", "F", "FEMALE"})
        if (key == QLatin1String(female))
            return u'F';
    return {};
}

QChar maritalOf(QStringView text) {
    const QString key = foldedName(text);
    if (key == u"BEKAR" || key == u"SINGLE")
        return u'E';
    if (key == u"EVLI" || key == u"MARRIED")
        return u'B';
    if (key == u"DUL" || key == u"WIDOWED")
        return u'D';
    return {};
}

// A one-line value keeps a line break as the saved file will: as a blank.
void appendOneLine(QString& out, QStringView value) {
    const qsizetype at = out.size();
    out.append(value);
    for (qsizetype i = at; i < out.size(); ++i)
        if (out[i] == u'\r' || out[i] == u'\n')
            out[i] = u' ';
}

// Values of several columns of one field are joined by a blank.
void appendText(QString& field, QStringView value) {
    if (!field.isEmpty())
        field.append(u' ');
    appendOneLine(field, value);
}

QString* textField(PersonRecord& p, TableField f) {
    switch (f) {
    case TableField::FirstName:
        return &p.FirstName;
    case TableField::Surname:
        return &p.Surname;
    case TableField::BirthPlace:
        return &p.BirthPlace;
    case TableField::HomeAddress1:
        return &p.HomeAddress1;
    case TableField::HomeAddress2:
        return &p.HomeAddress2;
    case TableField::HomeCity:
        return &p.HomeCity;
    case TableField::HomePostCode:
        return &p.HomePostCode;
    case TableField::Firm:
        return &p.Firm;
    case TableField::Department:
        return &p.Department;
    case TableField::Profession:
        return &p.Profession;
    case TableField::WorkAddress1:
        return &p.WorkAddress1;
    case TableField::WorkAddress2:
        return &p.WorkAddress2;
    case TableField::WorkCity:
        return &p.WorkCity;
    case TableField::WorkPostCode:
        return &p.WorkPostCode;
    default:
        return nullptr;
    }
}

// Puts one value into the person; false when nothing of it could be taken.
bool take(PersonRecord& p, const ColumnMapping& m, QStringView value, const TableRows& row,
          QStringList& warnings) {
    if (QString* text = textField(p, m.field)) {
        appendText(*text, value);
        return true;
    }
    switch (m.field) {
    case TableField::FullName: {
        const qsizetype blank = value.lastIndexOf(u' ');
        appendText(p.FirstName, blank < 0 ? value : value.first(blank).trimmed());
        if (blank >= 0)
            appendText(p.Surname, value.sliced(blank + 1));
        return true;
    }
    case TableField::BirthDate: {
        bool none = false;
        if (const std::optional<QDate> date = tableDate(value, &none)) {
            p.BirthDate = birthdate::fromDate(*date);
            return true;
        }
        if (!none)
            warnings.append(QStringLiteral("%1. satır: \"%2\" tarih olarak okunamadı (gg.aa.yyyy, "
                                           "yyyy-aa-gg ya da a/g/yyyy olmalı).")
                                .arg(row.line())
                                .arg(value));
        return false;
    }
    case TableField::Sex:
        p.Sex = sexOf(value);
        return !p.Sex.isNull();
    case TableField::MaritalStatus:
        p.MaritalStatus = maritalOf(value);
        return !p.MaritalStatus.isNull();
    case TableField::Notes: {
        // A line ends at CR LF, LF or CR, as the file was written.
        qsizetype start = 0;
        while (start <= value.size()) {
            qsizetype end = start;
            while (end < value.size() && value[end] != u'\r' && value[end] != u'\n')
                ++end;
            p.Notes.append(value.sliced(start, end - start).toString());
            if (end + 1 < value.size() && value[end] == u'\r' && value[end + 1] == u'\n')
                ++end;
            start = end + 1;
        }
        return true;
    }
    default:
        break;
    }
    // A contact; Google writes several values of one cell apart by " ::: ".
    const QString kind = m.kindColumn >= 0 && m.kindColumn < row.size()
                             ? kindOf(row.field(m.kindColumn), m.field)
                             : kindWord(m.field);
    for (const QStringView part : value.tokenize(QStringLiteral(" ::: "))) {
        const QStringView v = part.trimmed();
        if (v.isEmpty())
            continue;
        QString entry = kind + u'\t';
        appendOneLine(entry, v);
        p.Contacts.append(entry);
    }
    return true;
}

QString shownName(const PersonRecord& p) {
    return QString(p.FirstName + u' ' + p.Surname).trimmed();
}

} // namespace

TableImportPlan planTableImport(const Table& table, const TableMapping& mapping,
                                const QString& groupPath, qint64 firstRecordNo, const Clock& clock,
                                int maxRows) {
    TableImportPlan plan;
    const QString recordedAt = clock.stampNow();
    TableRows row(table.text, table.separator, table.bodyStart, table.bodyLine);
    while ((maxRows < 0 || plan.rows < maxRows) && row.next()) {
        ++plan.rows;
        if (row.unclosedQuote())
            plan.warnings.append(QStringLiteral("%1. satır: açılan tırnak kapanmamış; dosyanın "
                                                "sonuna kadar tek değer sayıldı.")
                                     .arg(row.line()));
        auto p = std::make_unique<PersonRecord>();
        bool any = false;
        const qsizetype columns = std::min(row.size(), qsizetype(mapping.size()));
        for (qsizetype c = 0; c < columns; ++c) {
            const ColumnMapping& m = mapping[size_t(c)];
            if (m.field == TableField::None)
                continue;
            const QStringView value = row.field(c).trimmed();
            if (!value.isEmpty() && take(*p, m, value, row, plan.warnings))
                any = true;
        }
        if (!any) {
            ++plan.emptyRows;
            continue;
        }
        // A person without a name is still one the user can find.
        if (p->FirstName.isEmpty() && p->Surname.isEmpty())
            p->FirstName = !p->Firm.isEmpty()       ? p->Firm
                           : !p->Contacts.isEmpty() ? ContactEntry::parse(p->Contacts[0]).value
                                                    : QString();
        p->FirstName = TurkceUpperCase(p->FirstName);
        p->Surname = TurkceUpperCase(p->Surname);
        p->BirthPlace = TurkceUpperCase(p->BirthPlace);
        p->RecordNo = QString::number(firstRecordNo + qint64(plan.persons.size()));
        p->RecordedAt = recordedAt;
        p->GroupPath = groupPath;
        for (const QString& field : unencodableFields(*p))
            plan.unencodable.append(
                QStringLiteral("%1. satır (%2), %3").arg(row.line()).arg(shownName(*p), field));
        plan.persons.push_back(std::move(p));
    }
    return plan;
}

void replaceUnencodable(TableImportPlan& plan) {
    for (const auto& p : plan.persons)
        replaceUnencodable(*p);
}

QString tableImportMessage(int imported, const TableImportPlan& plan) {
    constexpr int kShown = 10;
    QString text = QStringLiteral("Tablodan %1 kişi aktarıldı.").arg(imported);
    if (plan.emptyRows > 0)
        text +=
            QStringLiteral("\r\rAktarılacak bilgisi olmayan %1 satır atlandı.").arg(plan.emptyRows);
    if (!plan.warnings.isEmpty()) {
        text += QStringLiteral("\r\rOkunamayan değer sayısı: %1\r").arg(plan.warnings.size()) +
                plan.warnings.mid(0, kShown).join(u'\r');
        if (plan.warnings.size() > kShown)
            text += QStringLiteral("\r... ve %1 tane daha").arg(plan.warnings.size() - kShown);
    }
    return text;
}
