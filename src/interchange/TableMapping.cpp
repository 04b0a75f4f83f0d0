#include "interchange/TableMapping.h"

#include "platform/Errors.h"
#include "platform/TurkishText.h"

#include <QHash>
#include <QRegularExpression>

#include <array>

namespace {

struct FieldNames {
    TableField field;
    const char* title;
    const char* code;
};
constexpr std::array<FieldNames, kTableFieldCount> kFieldNames = {{
    {TableField::None, "Aktarılmasın", "-"},
    {TableField::FirstName, "Adı", "Ad"},
    {TableField::Surname, "Soyadı", "Soyad"},
    {TableField::FullName, "Adı Soyadı", "AdSoyad"},
    {TableField::BirthDate, "Doğum Tarihi", "DogumTarihi"},
    {TableField::BirthPlace, "Doğum Yeri", "DogumYeri"},
    {TableField::Sex, "Cinsiyeti", "Cinsiyet"},
    {TableField::MaritalStatus, "Medeni Hali", "MedeniHal"},
    {TableField::HomeAddress1, "Ev Adres 1", "EvAdres1"},
    {TableField::HomeAddress2, "Ev Adres 2", "EvAdres2"},
    {TableField::HomeCity, "Ev Şehir", "EvSehir"},
    {TableField::HomePostCode, "Ev Posta Kod", "EvPK"},
    {TableField::Firm, "Firma", "Firma"},
    {TableField::Department, "Bölüm", "Bolum"},
    {TableField::Profession, "Meslek", "Meslek"},
    {TableField::WorkAddress1, "İş Adres 1", "IsAdres1"},
    {TableField::WorkAddress2, "İş Adres 2", "IsAdres2"},
    {TableField::WorkCity, "İş Şehir", "IsSehir"},
    {TableField::WorkPostCode, "İş Posta Kod", "IsPK"},
    {TableField::Notes, "Notlar", "Notlar"},
    {TableField::Ev, "Telefon: Ev", "Ev"},
    {TableField::Is, "Telefon: İş", "Is"},
    {TableField::Gsm, "Telefon: GSM", "GSM"},
    {TableField::Fax, "Telefon: Fax", "Fax"},
    {TableField::Mail, "Mail", "Mail"},
    {TableField::Web, "Web", "Web"},
}};

// Headers, folded, and the fields they suggest. A number in a header of
// a numbered family (Google's "Phone 2 - Value") stands as '#'.
const QHash<QString, TableField>& knownHeaders() {
    static const QHash<QString, TableField> known = [] {
        using F = TableField;
        const std::pair<const char*, F> pairs[] = {
            // Google Contacts, Outlook, hand-made lists in English.
            {"GIVEN NAME", F::FirstName},
            {"FIRST NAME", F::FirstName},
            {"ADDITIONAL NAME", F::FirstName},
            {"MIDDLE NAME", F::FirstName},
            {"FAMILY NAME", F::Surname},
            {"LAST NAME", F::Surname},
            {"NAME", F::FullName},
            {"FULL NAME", F::FullName},
            {"BIRTHDAY", F::BirthDate},
            {"GENDER", F::Sex},
            {"NOTES", F::Notes},
            {"HOME STREET", F::HomeAddress1},
            {"HOME STREET #", F::HomeAddress2},
            {"HOME CITY", F::HomeCity},
            {"HOME POSTAL CODE", F::HomePostCode},
            {"COMPANY", F::Firm},
            {"ORGANIZATION # NAME", F::Firm},
            {"ORGANIZATION NAME", F::Firm},
            {"DEPARTMENT", F::Department},
            {"ORGANIZATION # DEPARTMENT", F::Department},
            {"ORGANIZATION DEPARTMENT", F::Department},
            {"JOB TITLE", F::Profession},
            {"PROFESSION", F::Profession},
            {"ORGANIZATION # TITLE", F::Profession},
            {"ORGANIZATION TITLE", F::Profession},
            {"BUSINESS STREET", F::WorkAddress1},
            {"BUSINESS STREET #", F::WorkAddress2},
            {"BUSINESS CITY", F::WorkCity},
            {"BUSINESS POSTAL CODE", F::WorkPostCode},
            {"PRIMARY PHONE", F::Ev},
            {"HOME PHONE", F::Ev},
            {"HOME PHONE #", F::Ev},
            {"OTHER PHONE", F::Ev},
            {"PHONE", F::Ev},
            {"PHONE # VALUE", F::Ev},
            {"BUSINESS PHONE", F::Is},
            {"BUSINESS PHONE #", F::Is},
            {"COMPANY MAIN PHONE", F::Is},
            {"MOBILE PHONE", F::Gsm},
            {"MOBILE", F::Gsm},
            {"HOME FAX", F::Fax},
            {"BUSINESS FAX", F::Fax},
            {"OTHER FAX", F::Fax},
            {"FAX", F::Fax},
            {"E MAIL ADDRESS", F::Mail},
            {"E MAIL # ADDRESS", F::Mail},
            {"E MAIL # VALUE", F::Mail},
            {"E MAIL", F::Mail},
            {"EMAIL", F::Mail},
            {"MAIL", F::Mail},
            {"WEB PAGE", F::Web},
            {"WEBSITE # VALUE", F::Web},
            {"WEB", F::Web},
            // Turkish, the semicolon export's among them.
            {"AD", F::FirstName},
            {"ADI", F::FirstName},
            {"ISIM", F::FirstName},
            {"IKINCI AD", F::FirstName},
            {"SOYAD", F::Surname},
            {"SOYADI", F::Surname},
            {"SOYISIM", F::Surname},
            {"AD SOYAD", F::FullName},
            {"ADI SOYADI", F::FullName},
            {"ISIM SOYISIM", F::FullName},
            {"DOGUM TARIHI", F::BirthDate},
            {"DOGUM YERI", F::BirthPlace},
            {"CINSIYET", F::Sex},
            {"CINSIYETI", F::Sex},
            {"MEDENI HAL", F::MaritalStatus},
            {"MEDENI HALI", F::MaritalStatus},
            {"MEDENI DURUM", F::MaritalStatus},
            {"ADRES", F::HomeAddress1},
            {"ADRES #", F::HomeAddress1},
            {"EV ADRESI", F::HomeAddress1},
            {"EV ADRES #", F::HomeAddress1},
            {"ILCE", F::HomeAddress2},
            {"SEMT", F::HomeAddress2},
            {"SEHIR", F::HomeCity},
            {"IL", F::HomeCity},
            {"EV SEHIR", F::HomeCity},
            {"POSTA KODU", F::HomePostCode},
            {"POSTA KOD", F::HomePostCode},
            {"PK", F::HomePostCode},
            {"EV PK", F::HomePostCode},
            {"SIRKET", F::Firm},
            {"FIRMA", F::Firm},
            {"KURUM", F::Firm},
            {"ISYERI", F::Firm},
            {"BOLUM", F::Department},
            {"DEPARTMAN", F::Department},
            {"BIRIM", F::Department},
            {"MESLEK", F::Profession},
            {"MESLEGI", F::Profession},
            {"UNVAN", F::Profession},
            {"UNVANI", F::Profession},
            {"GOREV", F::Profession},
            {"GOREVI", F::Profession},
            {"IS ADRESI", F::WorkAddress1},
            {"IS ADRES #", F::WorkAddress1},
            {"IS SEHIR", F::WorkCity},
            {"IS PK", F::WorkPostCode},
            {"IS POSTA KODU", F::WorkPostCode},
            {"NOTLAR", F::Notes},
            {"NOT", F::Notes},
            {"ACIKLAMA", F::Notes},
            {"TELEFON", F::Ev},
            {"TEL", F::Ev},
            {"EV TELEFONU", F::Ev},
            {"EV TEL", F::Ev},
            {"IS TELEFONU", F::Is},
            {"IS TEL", F::Is},
            {"CEP TELEFONU", F::Gsm},
            {"CEP TEL", F::Gsm},
            {"CEP", F::Gsm},
            {"GSM", F::Gsm},
            {"FAKS", F::Fax},
            {"E POSTA", F::Mail},
            {"EPOSTA", F::Mail},
            {"E POSTA ADRESI", F::Mail},
            {"WEB SITESI", F::Web},
            {"WEB ADRESI", F::Web},
        };
        QHash<QString, TableField> h;
        for (const auto& [key, field] : pairs)
            h.insert(QString::fromLatin1(key), field);
        return h;
    }();
    return known;
}

// "ADDRESS 1 STREET": the first address is the home's, the second the work's.
TableField addressField(const QString& key) {
    static const QRegularExpression address(
        QStringLiteral("^ADDRESS ([12]) (STREET|EXTENDED ADDRESS|CITY|POSTAL CODE)$"));
    const QRegularExpressionMatch m = address.match(key);
    if (!m.hasMatch())
        return TableField::None;
    const bool home = m.captured(1) == u"1";
    const QString part = m.captured(2);
    if (part == u"STREET")
        return home ? TableField::HomeAddress1 : TableField::WorkAddress1;
    if (part == u"EXTENDED ADDRESS")
        return home ? TableField::HomeAddress2 : TableField::WorkAddress2;
    if (part == u"CITY")
        return home ? TableField::HomeCity : TableField::WorkCity;
    return home ? TableField::HomePostCode : TableField::WorkPostCode;
}

QString numbered(const QString& key) {
    static const QRegularExpression digits(QStringLiteral("[0-9]+"));
    QString k = key;
    return k.replace(digits, QStringLiteral("#"));
}

} // namespace

QString foldedName(QStringView text) {
    QString key;
    appendTurkceFoldedKey(key, text);
    return key;
}

QString fieldTitle(TableField field) {
    return QString::fromUtf8(kFieldNames[size_t(field)].title);
}

QString fieldCode(TableField field) {
    return QString::fromUtf8(kFieldNames[size_t(field)].code);
}

std::optional<TableField> fieldNamed(const QString& name) {
    const QString key = foldedName(name).remove(u' ');
    for (const FieldNames& f : kFieldNames)
        if (key == foldedName(QString::fromUtf8(f.code)).remove(u' ') ||
            key == foldedName(QString::fromUtf8(f.title)).remove(u' '))
            return f.field;
    return name == u"-" ? std::optional<TableField>(TableField::None) : std::nullopt;
}

TableMapping guessMapping(const QStringList& header) {
    TableMapping mapping(size_t(header.size()));
    QHash<QString, int> columns; // folded header -> column
    for (qsizetype c = 0; c < header.size(); ++c)
        columns.insert(foldedName(header[c]), int(c));
    bool names = false;
    for (qsizetype c = 0; c < header.size(); ++c) {
        const QString key = foldedName(header[c]);
        TableField field = knownHeaders().value(key, TableField::None);
        if (field == TableField::None)
            field = knownHeaders().value(numbered(key), addressField(key));
        mapping[size_t(c)].field = field;
        names |= field == TableField::FirstName || field == TableField::Surname;
        // Google's "Phone 1 - Value" takes its kind from "Phone 1 - Type"
        // (or "- Label").
        if (key.startsWith(u"PHONE ") && key.endsWith(u" VALUE")) {
            const QString stem = key.chopped(5);
            mapping[size_t(c)].kindColumn = columns.value(
                stem + QStringLiteral("TYPE"), columns.value(stem + QStringLiteral("LABEL"), -1));
        }
    }
    // A whole name is taken only where no column holds its parts.
    if (names)
        for (ColumnMapping& m : mapping)
            if (m.field == TableField::FullName)
                m.field = TableField::None;
    return mapping;
}

void applyMapOption(TableMapping& mapping, const QStringList& header, const QString& option) {
    const qsizetype equals = option.lastIndexOf(u'=');
    if (equals < 0)
        throw ZilvarenError(QStringLiteral("--map %1: SÜTUN=ALAN olmalı").arg(option));
    const QString column = option.first(equals).trimmed();
    const QString fieldName = option.sliced(equals + 1).trimmed();
    bool number = false;
    int c = column.toInt(&number) - 1;
    if (!number) {
        c = int(header.indexOf(column));
        for (qsizetype i = 0; c < 0 && i < header.size(); ++i)
            if (foldedName(header[i]) == foldedName(column))
                c = int(i);
    }
    if (c < 0 || c >= int(mapping.size()))
        throw ZilvarenError(
            QStringLiteral("--map %1: tabloda \"%2\" sütunu yok").arg(option, column));
    const std::optional<TableField> field = fieldNamed(fieldName);
    if (!field) {
        QStringList codes;
        for (const FieldNames& f : kFieldNames)
            codes.append(QString::fromUtf8(f.code));
        throw ZilvarenError(QStringLiteral("--map %1: \"%2\" diye bir alan yok; alanlar: %3")
                                .arg(option, fieldName, codes.join(u' ')));
    }
    mapping[size_t(c)] = {*field, -1};
}

QStringList mappingLines(const TableMapping& mapping, const QStringList& header) {
    QStringList lines;
    for (size_t c = 0; c < mapping.size(); ++c) {
        QString line = QStringLiteral("%1\t%2\t%3")
                           .arg(c + 1)
                           .arg(header.value(qsizetype(c)), fieldCode(mapping[c].field));
        if (mapping[c].kindColumn >= 0)
            line += QStringLiteral("\ttür: ") + header.value(mapping[c].kindColumn);
        lines.append(line);
    }
    return lines;
}

QString mappingTitle(const ColumnMapping& mapping, const QStringList& header) {
    QString title = fieldTitle(mapping.field);
    if (mapping.kindColumn >= 0)
        title += QStringLiteral(" (türü \"%1\" sütunundan)").arg(header.value(mapping.kindColumn));
    return title;
}
