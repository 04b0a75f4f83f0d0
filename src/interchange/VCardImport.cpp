#include "interchange/VCardImport.h"

#include "interchange/AddressBookImport.h"
#include "interchange/VCardReader.h"
#include "platform/Clock.h"
#include "platform/Cp1254.h"
#include "platform/Errors.h"
#include "platform/TurkishText.h"
#include "store/BirthDate.h"
#include "store/PersonListModel.h"

#include <QDir>
#include <QFile>
#include <QHash>

namespace {

// One-line fields hold no line breaks, as the window's edits do not.
QString oneLine(QString text) {
    for (QChar& c : text)
        if (c == u'\r' || c == u'\n')
            c = u' ';
    return text.trimmed();
}

QString joinNonEmpty(const QStringList& parts, const QString& separator) {
    QStringList kept;
    for (const QString& p : parts)
        if (!p.trimmed().isEmpty())
            kept.append(p.trimmed());
    return kept.join(separator);
}

QString component(const QStringList& parts, int i) {
    return i < parts.size() ? oneLine(parts[i]) : QString();
}

QString telKind(const QSet<QString>& types) {
    if (types.contains(QStringLiteral("fax")))
        return QStringLiteral("Fax");
    if (types.contains(QStringLiteral("cell")) || types.contains(QStringLiteral("mobile")) ||
        types.contains(QStringLiteral("iphone")))
        return QStringLiteral("GSM");
    if (types.contains(QStringLiteral("work")))
        return QStringLiteral("İş");
    return QStringLiteral("Ev");
}

// A label a peer gave a number or address ("item1.X-ABLabel:ev"): the
// kind as the user wrote it, or one of the standard labels of address
// books, given as the kind this program names it.
QString kindOfLabel(const QString& label) {
    static const QHash<QString, QString> standard = {
        {QStringLiteral("_$!<Home>!$_"), QStringLiteral("Ev")},
        {QStringLiteral("_$!<Work>!$_"), QStringLiteral("İş")},
        {QStringLiteral("_$!<Mobile>!$_"), QStringLiteral("GSM")},
        {QStringLiteral("_$!<HomeFAX>!$_"), QStringLiteral("Fax")},
        {QStringLiteral("_$!<WorkFAX>!$_"), QStringLiteral("Fax")},
        {QStringLiteral("_$!<HomePage>!$_"), QStringLiteral("Web")},
    };
    return standard.value(label, label);
}

QString withoutScheme(const QString& value, QLatin1String scheme) {
    return value.startsWith(scheme, Qt::CaseInsensitive) ? value.mid(scheme.size()) : value;
}

// 1970-03-05, 19700305, with or without a time after it; a date without
// a year (--0305) cannot be kept.
QDate parseDate(const QString& value) {
    const QString digits = value.left(10).remove(u'-').left(8);
    bool ok = digits.size() == 8;
    for (QChar c : digits)
        ok = ok && c.isDigit();
    if (!ok)
        return {};
    return QDate(digits.left(4).toInt(), digits.mid(4, 2).toInt(), digits.mid(6, 2).toInt());
}

// REV as an edit stamp in local time: 2023-06-01T10:20:30Z, 20230601T102030Z
// or a date alone.
QString parseRevision(const QString& value) {
    QString compact = value.trimmed();
    compact.remove(u'-').remove(u':');
    const QDate date = parseDate(compact);
    if (!date.isValid())
        return {};
    QTime time(0, 0);
    if (compact.size() >= 15 && compact[8] == u'T') {
        time = QTime(compact.mid(9, 2).toInt(), compact.mid(11, 2).toInt(),
                     compact.mid(13, 2).toInt());
        if (!time.isValid())
            return {};
    }
    QDateTime t(date, time);
    if (compact.endsWith(u'Z'))
        t = QDateTime(date, time, Qt::UTC).toLocalTime();
    return QString::asprintf("%02d.%02d.%04d  %02d:%02d:%02d", t.date().day(), t.date().month(),
                             t.date().year(), t.time().hour(), t.time().minute(),
                             t.time().second());
}

QChar sexOf(const QString& value) {
    const QString v = TurkceUpperCase(value.trimmed().left(1));
    if (v == u"M" || v == u"E")
        return u'M';
    if (v == u"F" || v == u"K")
        return u'F';
    return {};
}

QChar maritalOf(const QString& value) {
    const QString v = value.trimmed().toLower();
    if (v == u"single")
        return u'E';
    if (v == u"married")
        return u'B';
    if (v == u"widowed")
        return u'D';
    return {};
}

QString pictureSuffix(const QByteArray& data) {
    if (data.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("jpg");
    if (data.startsWith("\x89PNG"))
        return QStringLiteral("png");
    if (data.startsWith("GIF8"))
        return QStringLiteral("gif");
    if (data.startsWith("BM"))
        return QStringLiteral("bmp");
    return {};
}

void addAddress(PersonRecord& p, const QStringList& parts, bool work, bool& homeUsed,
                bool& workUsed) {
    // pobox; extended; street; locality; region; code; country
    const QString line2 = joinNonEmpty(
        {component(parts, 1), component(parts, 0), component(parts, 4), component(parts, 6)},
        QStringLiteral(", "));
    if (!work && homeUsed && !workUsed)
        work = true;
    bool& used = work ? workUsed : homeUsed;
    if (used) {
        // A third address has no fields of its own: it is kept in the notes.
        p.Notes.append(
            QStringLiteral("Adres: ") +
            joinNonEmpty({component(parts, 2), line2, component(parts, 5), component(parts, 3)},
                         QStringLiteral(", ")));
        return;
    }
    used = true;
    (work ? p.WorkAddress1 : p.HomeAddress1) = component(parts, 2);
    (work ? p.WorkAddress2 : p.HomeAddress2) = line2;
    (work ? p.WorkCity : p.HomeCity) = component(parts, 3);
    (work ? p.WorkPostCode : p.HomePostCode) = component(parts, 5);
}

QString describeCard(const VCard& card, const PersonRecord* p) {
    QString name = p ? joinNonEmpty({p->FirstName, p->Surname}, QStringLiteral(" ")) : QString();
    return name.isEmpty() ? QStringLiteral("%1. kart").arg(card.number)
                          : QStringLiteral("%1. kart (%2)").arg(QString::number(card.number), name);
}

// The fields of a person with the names the detail pages give them.
QList<std::pair<QString, QString>> labelledFields(const PersonRecord& p) {
    return {{QStringLiteral("Ad"), p.FirstName},
            {QStringLiteral("Soyad"), p.Surname},
            {QStringLiteral("Doğum Yeri"), p.BirthPlace},
            {QStringLiteral("Firma"), p.Firm},
            {QStringLiteral("Bölüm"), p.Department},
            {QStringLiteral("Meslek"), p.Profession},
            {QStringLiteral("Ev Adresi"), p.HomeAddress1 + p.HomeAddress2},
            {QStringLiteral("Ev/Şehir"), p.HomeCity},
            {QStringLiteral("Ev/PK"), p.HomePostCode},
            {QStringLiteral("İş Adresi"), p.WorkAddress1 + p.WorkAddress2},
            {QStringLiteral("İş/Şehir"), p.WorkCity},
            {QStringLiteral("İş/PK"), p.WorkPostCode},
            {QStringLiteral("Telefon/Mail/Web"), p.Contacts.join(QString())},
            {QStringLiteral("Notlar"), p.Notes.join(QString())},
            {QStringLiteral("Grup"), p.GroupPath},
            {QStringLiteral("UID"), p.Identity}};
}

// Whole characters (a pair of surrogates is one), each once.
QStringList unencodableLetters(const QString& text) {
    QStringList letters;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (cp1254::canEncode(text[i]))
            continue;
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QString letter = text.mid(i, pair ? 2 : 1);
        if (!letters.contains(letter))
            letters.append(letter);
        i += pair ? 1 : 0;
    }
    return letters;
}

// One '?' for each character 1254 lacks, as saving would write it.
QString questionMarks(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (cp1254::canEncode(text[i])) {
            out.append(text[i]);
            continue;
        }
        out.append(u'?');
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    return out;
}

} // namespace

QStringList unencodableFields(const PersonRecord& p) {
    QStringList fields;
    for (const auto& [label, value] : labelledFields(p)) {
        const QStringList bad = unencodableLetters(value);
        if (!bad.isEmpty())
            fields.append(label + QStringLiteral(": ") + bad.join(u' '));
    }
    return fields;
}

VCardPerson personFromVCard(const VCard& card, const QString& groupPath,
                            const QString& recordedAt) {
    VCardPerson result;
    auto p = std::make_unique<PersonRecord>();
    QString given, family, formatted;
    bool homeUsed = false, workUsed = false;
    QHash<QString, QString> labels; // group: the kind of the line in it
    for (const VCardProperty& prop : card.properties)
        if (prop.name == u"X-ABLABEL" && !prop.group.isEmpty())
            labels.insert(prop.group, kindOfLabel(vcardUnescape(prop.value).trimmed()));
    const auto kindOf = [&labels](const VCardProperty& prop, const QString& byType) {
        const auto label = labels.constFind(prop.group);
        return prop.group.isEmpty() || label == labels.constEnd() || label->isEmpty() ? byType
                                                                                      : *label;
    };
    for (const VCardProperty& prop : card.properties) {
        const QString& n = prop.name;
        if (n == u"PHOTO") {
            const QString suffix = pictureSuffix(prop.data);
            if (!suffix.isEmpty())
                result.photos.push_back({prop.data, suffix});
            else if (prop.inlineData)
                result.leftOut.append(QStringLiteral("bozuk ya da tanınmayan resim"));
            continue;
        }
        const QString text = vcardUnescape(prop.value);
        if (n == u"N") {
            const QStringList parts = vcardComponents(prop.value, u';');
            family = component(parts, 0);
            given = joinNonEmpty({component(parts, 1), component(parts, 2)}, QStringLiteral(" "));
        } else if (n == u"FN") {
            formatted = oneLine(text);
        } else if (n == u"BDAY") {
            if (const QDate d = parseDate(text.trimmed()); d.isValid())
                p->BirthDate = birthdate::fromDate(d);
        } else if (n == u"TEL") {
            const QString number = oneLine(withoutScheme(text.trimmed(), QLatin1String("tel:")));
            if (!number.isEmpty())
                p->Contacts.append(kindOf(prop, telKind(prop.types)) + u'\t' + number);
        } else if (n == u"EMAIL" || n == u"URL") {
            const QString value = oneLine(withoutScheme(text.trimmed(), QLatin1String("mailto:")));
            if (!value.isEmpty())
                p->Contacts.append(
                    kindOf(prop, n == u"URL" ? QStringLiteral("Web") : QStringLiteral("Mail")) +
                    u'\t' + value);
        } else if (n == u"ADR") {
            addAddress(*p, vcardComponents(prop.value, u';'),
                       prop.types.contains(QStringLiteral("work")), homeUsed, workUsed);
        } else if (n == u"ORG") {
            const QStringList parts = vcardComponents(prop.value, u';');
            p->Firm = component(parts, 0);
            p->Department = joinNonEmpty(parts.mid(1), QStringLiteral(", "));
        } else if (n == u"TITLE" || (n == u"ROLE" && p->Profession.isEmpty())) {
            p->Profession = oneLine(text);
        } else if (n == u"NOTE") {
            QString note = text;
            note.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
            p->Notes.append(note.split(u'\n'));
        } else if (n == u"GENDER" || n == u"X-GENDER") {
            p->Sex = sexOf(text);
        } else if (n == u"REV") {
            p->EditedAt = parseRevision(text);
        } else if (n == u"BIRTHPLACE" || n == u"X-BIRTHPLACE") {
            p->BirthPlace = TurkceUpperCase(oneLine(text));
        } else if (n == u"X-MARITAL-STATUS") {
            p->MaritalStatus = maritalOf(text);
        }
    }

    if (given.isEmpty() && family.isEmpty() && !formatted.isEmpty()) {
        const qsizetype blank = formatted.lastIndexOf(u' ');
        given = blank < 0 ? formatted : formatted.left(blank).trimmed();
        family = blank < 0 ? QString() : formatted.mid(blank + 1);
    }
    // A card without a name still makes a person the user can find.
    if (given.isEmpty() && family.isEmpty())
        given = !p->Firm.isEmpty()       ? p->Firm
                : !p->Contacts.isEmpty() ? ContactEntry::parse(p->Contacts.first()).value
                                         : QString();
    if (given.isEmpty())
        return result;
    p->FirstName = TurkceUpperCase(given);
    p->Surname = TurkceUpperCase(family);
    p->RecordedAt = recordedAt;
    p->GroupPath = groupPath;
    result.record = std::move(p);
    return result;
}

VCardImportPlan planVCardImport(QIODevice& device, const QString& groupPath, qint64 firstRecordNo,
                                const Clock& clock) {
    VCardImportPlan plan;
    VCardFile file = readVCards(device);
    if (file.error) {
        plan.error = *file.error;
        return plan;
    }
    const QString recordedAt = clock.stampNow();
    for (const VCard& card : file.cards) {
        if (!card.ended) {
            plan.skipped.append(QStringLiteral("%1: kartın sonu (END:VCARD) yok, dosya eksik")
                                    .arg(describeCard(card, nullptr)));
            continue;
        }
        VCardPerson person = personFromVCard(card, groupPath, recordedAt);
        if (!person.record) {
            plan.skipped.append(QStringLiteral("%1: ad, kurum ya da iletişim bilgisi yok")
                                    .arg(describeCard(card, nullptr)));
            continue;
        }
        PersonRecord& p = *person.record;
        p.RecordNo = QString::number(firstRecordNo + qint64(plan.persons.size()));
        for (const QString& what : person.leftOut)
            plan.warnings.append(QStringLiteral("%1: %2").arg(describeCard(card, &p), what));
        for (const QString& field : unencodableFields(p))
            plan.unencodable.append(describeCard(card, &p) + QStringLiteral(", ") + field);
        plan.persons.push_back(std::move(person));
    }
    return plan;
}

void RecordNumbers::see(const QString& recordNo) {
    bool ok = false;
    const qint64 n = recordNo.trimmed().toLongLong(&ok);
    if (ok && n > highest_)
        highest_ = n;
}

qint64 nextRecordNumber(const PersonListModel& persons) {
    RecordNumbers numbers;
    for (const PersonRecord* p : persons.allPersons())
        numbers.see(p->RecordNo);
    return numbers.next();
}

void replaceUnencodable(VCardImportPlan& plan) {
    for (VCardPerson& person : plan.persons)
        replaceUnencodable(*person.record);
}

void replaceUnencodable(PersonRecord& p) {
    for (QString* field :
         {&p.FirstName, &p.Surname, &p.BirthPlace, &p.Firm, &p.Department, &p.Profession,
          &p.HomeAddress1, &p.HomeAddress2, &p.HomeCity, &p.HomePostCode, &p.WorkAddress1,
          &p.WorkAddress2, &p.WorkCity, &p.WorkPostCode})
        *field = questionMarks(*field);
    for (QStringList* list : {&p.Contacts, &p.Notes})
        for (QString& line : *list)
            line = questionMarks(line);
}

QString unencodableQuestion(const QStringList& unencodable, const QString& where) {
    constexpr int kShown = 15;
    QString text = where +
                   QStringLiteral(" kayıt dosyasının (Türkçe kod sayfası 1254) "
                                  "tutamayacağı harfler var:\r\r") +
                   unencodable.mid(0, kShown).join(u'\r');
    if (unencodable.size() > kShown)
        text += QStringLiteral("\r... ve %1 alan daha").arg(unencodable.size() - kShown);
    return text + QStringLiteral("\r\rDevam edilirse bu harfler \"?\" olarak alınır. Devam "
                                 "edilsin mi?");
}

PhotoFiles::PhotoFiles(const QString& folder) : folder_(folder) {
    for (const QString& name :
         QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System))
        taken_.insert(name.toLower());
}

QString PhotoFiles::save(const VCardPhoto& photo) {
    const QDir folder(folder_);
    QString name;
    do
        name = QStringLiteral("photo%1.%2").arg(number_++).arg(photo.suffix);
    while (taken_.contains(name.toLower()));
    taken_.insert(name.toLower());
    QFile out(folder.filePath(name));
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        out.write(photo.data) != photo.data.size() || !out.flush()) {
        const QString why = out.errorString();
        out.remove();
        removeSaved();
        throw ZilvarenError(QStringLiteral("Resim \"%1\" yazılamadı; hiçbir kişi aktarılmadı.\r%2")
                                .arg(QDir::toNativeSeparators(out.fileName()), why));
    }
    written_.append(out.fileName());
    return name;
}

void PhotoFiles::removeSaved() {
    for (const QString& done : written_)
        QFile::remove(done);
    written_.clear();
}

std::vector<std::unique_ptr<PersonRecord>> takeVCardPersons(VCardImportPlan& plan,
                                                            const QString& pictureFolder) {
    PhotoFiles files(pictureFolder);
    std::vector<QStringList> names(plan.persons.size());
    for (size_t i = 0; i < plan.persons.size(); ++i)
        for (const VCardPhoto& photo : plan.persons[i].photos)
            names[i].append(files.save(photo));
    std::vector<std::unique_ptr<PersonRecord>> persons;
    for (size_t i = 0; i < plan.persons.size(); ++i) {
        plan.persons[i].record->Pictures = names[i];
        persons.push_back(std::move(plan.persons[i].record));
    }
    plan.persons.clear();
    return persons;
}

QString vcardImportMessage(int imported, const VCardImportPlan& plan) {
    constexpr int kShown = 10;
    const auto listed = [](const QStringList& lines) {
        QString text = lines.mid(0, kShown).join(u'\r');
        if (lines.size() > kShown)
            text += QStringLiteral("\r... ve %1 tane daha").arg(lines.size() - kShown);
        return text;
    };
    QString text = QStringLiteral("vCard dosyasından %1 kişi aktarıldı.").arg(imported);
    if (!plan.skipped.isEmpty())
        text += QStringLiteral("\r\rAlınmayan kart sayısı: %1\r").arg(plan.skipped.size()) +
                listed(plan.skipped);
    if (!plan.warnings.isEmpty())
        text += QStringLiteral("\r\rEksik alınan kart sayısı: %1\r").arg(plan.warnings.size()) +
                listed(plan.warnings);
    return text;
}
