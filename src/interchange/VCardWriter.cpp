#include "interchange/VCardWriter.h"

#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/TurkishText.h"
#include "store/BirthDate.h"
#include "store/GroupTree.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUuid>

namespace {

constexpr qsizetype kLineOctets = 75;

// The namespace of the name-based UIDs this program gives its cards.
const QUuid kUidNamespace(QStringLiteral("{5b0e3c1a-9f57-4c1e-8d2a-6f0c4e7b9a13}"));

QString escaped(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' || c == u',' || c == u';') {
            out.append(u'\\');
            out.append(c);
        } else if (c == u'\r') {
            out.append(QLatin1String("\\n"));
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            out.append(QLatin1String("\\n"));
        } else {
            out.append(c);
        }
    }
    return out;
}

QString structured(const QStringList& components) {
    QStringList parts;
    parts.reserve(components.size());
    for (const QString& c : components)
        parts.append(escaped(c));
    return parts.join(u';');
}

// A content line folded at 75 octets; a fold never splits a UTF-8 sequence.
void appendLine(QByteArray& out, const QByteArray& line) {
    qsizetype pos = 0;
    qsizetype limit = kLineOctets;
    do {
        qsizetype end = std::min(pos + limit, line.size());
        if (end < line.size())
            while (end > pos && (uchar(line[end]) & 0xC0) == 0x80)
                --end;
        if (pos > 0)
            out.append(' ');
        out.append(line.constData() + pos, end - pos);
        out.append("\r\n");
        pos = end;
        limit = kLineOctets - 1; // the leading blank counts
    } while (pos < line.size());
}

void appendProperty(QByteArray& out, const char* name, const QString& value) {
    appendLine(out, QByteArray(name) + ':' + value.toUtf8());
}

const char* telType(const QString& kind) {
    if (kind == u"Ev")
        return "TEL;TYPE=HOME,VOICE";
    if (kind == u"İş")
        return "TEL;TYPE=WORK,VOICE";
    if (kind == u"GSM")
        return "TEL;TYPE=CELL,VOICE";
    if (kind == u"Fax")
        return "TEL;TYPE=FAX";
    if (kind == u"Mail")
        return "EMAIL;TYPE=INTERNET";
    if (kind == u"Web")
        return "URL";
    return nullptr;
}

QString revision(const PersonRecord& p) {
    const QString stamp = p.EditedAt.isEmpty() ? p.RecordedAt : p.EditedAt;
    const QDateTime t =
        QDateTime::fromString(stamp.simplified(), QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    return t.isValid() ? t.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")) : QString();
}

void appendAddress(QByteArray& out, const char* name, const QString& line1, const QString& line2,
                   const QString& city, const QString& postCode) {
    if (line1.isEmpty() && line2.isEmpty() && city.isEmpty() && postCode.isEmpty())
        return;
    appendProperty(out, name, structured({{}, line2, line1, city, {}, postCode, {}}));
}

bool isJpeg(const QByteArray& data) { return data.startsWith("\xFF\xD8\xFF"); }

} // namespace

QString vcardUid(const PersonRecord& person) {
    return QStringLiteral("urn:uuid:") +
           QUuid::createUuidV5(kUidNamespace, person.RecordNo + u'\n' + person.RecordedAt)
               .toString(QUuid::WithoutBraces);
}

QByteArray composeVCard(const PersonRecord& p, const QList<QByteArray>& jpegs) {
    QByteArray out;
    out.reserve(1024);
    out.append("BEGIN:VCARD\r\nVERSION:3.0\r\n");
    appendProperty(out, "UID", vcardUid(p));
    appendProperty(out, "N", structured({p.Surname, p.FirstName, {}, {}, {}}));
    QString formatted = p.FirstName;
    if (!p.Surname.isEmpty())
        formatted += (formatted.isEmpty() ? QString() : QStringLiteral(" ")) + p.Surname;
    appendProperty(out, "FN", escaped(formatted.isEmpty() ? p.Firm : formatted));
    if (p.BirthDate > 0)
        appendProperty(out, "BDAY",
                       birthdate::toDate(p.BirthDate).toString(QStringLiteral("yyyy-MM-dd")));
    if (p.Sex == u'M' || p.Sex == u'F')
        appendProperty(out, "X-GENDER",
                       p.Sex == u'M' ? QStringLiteral("Male") : QStringLiteral("Female"));
    if (!p.BirthPlace.isEmpty())
        appendProperty(out, "BIRTHPLACE", escaped(p.BirthPlace));
    if (p.MaritalStatus == u'E' || p.MaritalStatus == u'B' || p.MaritalStatus == u'D')
        appendProperty(out, "X-MARITAL-STATUS",
                       p.MaritalStatus == u'E'   ? QStringLiteral("single")
                       : p.MaritalStatus == u'B' ? QStringLiteral("married")
                                                 : QStringLiteral("widowed"));
    for (const QString& entry : p.Contacts) {
        const ContactEntry c = ContactEntry::parse(entry);
        if (const char* name = telType(c.kind); name && !c.value.isEmpty())
            appendProperty(out, name, escaped(c.value));
    }
    appendAddress(out, "ADR;TYPE=HOME", p.HomeAddress1, p.HomeAddress2, p.HomeCity,
                  p.HomePostCode);
    appendAddress(out, "ADR;TYPE=WORK", p.WorkAddress1, p.WorkAddress2, p.WorkCity,
                  p.WorkPostCode);
    if (!p.Firm.isEmpty() || !p.Department.isEmpty())
        appendProperty(out, "ORG", structured({p.Firm, p.Department}));
    if (!p.Profession.isEmpty())
        appendProperty(out, "TITLE", escaped(p.Profession));
    if (!p.Notes.isEmpty())
        appendProperty(out, "NOTE", escaped(p.Notes.join(u'\n')));
    if (!p.GroupPath.isEmpty() && p.GroupPath != kNoGroupPath) {
        QStringList names = p.GroupPath.split(GroupPathSeparator);
        for (QString& n : names)
            n = escaped(n);
        appendProperty(out, "CATEGORIES", names.join(u','));
    }
    if (const QString rev = revision(p); !rev.isEmpty())
        appendProperty(out, "REV", rev);
    for (const QByteArray& jpeg : jpegs)
        appendLine(out, "PHOTO;ENCODING=b;TYPE=JPEG:" + jpeg.toBase64());
    out.append("END:VCARD\r\n");
    return out;
}

VCardExportResult writeVCards(QIODevice& device, const std::vector<const PersonRecord*>& persons,
                              const VCardExportOptions& options) {
    VCardExportResult result;
    QByteArray chunk;
    const auto flush = [&device, &chunk] {
        if (device.write(chunk) != chunk.size())
            throw ZilvarenError(device.errorString());
        chunk.clear();
    };
    const QDir folder(options.pictureFolder);
    for (const PersonRecord* p : persons) {
        QList<QByteArray> jpegs;
        if (options.pictures) {
            for (const QString& picture : p->Pictures) {
                QFile file(folder.filePath(picture));
                const QByteArray data = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
                if (isJpeg(data))
                    jpegs.append(data);
                else
                    ++result.picturesLeftOut;
            }
        }
        chunk.append(composeVCard(*p, jpegs));
        ++result.cards;
        if (chunk.size() > (1 << 20))
            flush();
    }
    flush();
    return result;
}

VCardExportResult writeVCardFile(const QString& path,
                                 const std::vector<const PersonRecord*>& persons,
                                 const VCardExportOptions& options) {
    const auto failed = [&path](const QString& why) {
        return ZilvarenError(QStringLiteral("\"%1\" dosyası yazılamadı.\r%2")
                                 .arg(QDir::toNativeSeparators(path), why));
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw failed(file.errorString());
    VCardExportResult result;
    try {
        result = writeVCards(file, persons, options);
    } catch (const ZilvarenError& e) {
        file.cancelWriting();
        throw failed(e.message());
    }
    if (!file.commit())
        throw failed(file.errorString());
    return result;
}

std::vector<const PersonRecord*> personsInGroup(const std::vector<const PersonRecord*>& persons,
                                                const QString& groupPath) {
    const QString key = TurkceUpperCase(groupPath);
    std::vector<const PersonRecord*> inGroup;
    for (const PersonRecord* p : persons)
        if (pathKeyLiesIn(TurkceUpperCase(p->GroupPath), key))
            inGroup.push_back(p);
    return inGroup;
}

QString vcardExportMessage(const QString& path, const VCardExportResult& result) {
    QString text = QStringLiteral("%1 kişi \"%2\" dosyasına vCard olarak aktarıldı.")
                       .arg(result.cards)
                       .arg(QDir::toNativeSeparators(path));
    if (result.picturesLeftOut > 0)
        text += QStringLiteral("\rJPEG olmayan ya da okunamayan %1 resim eklenmedi.")
                    .arg(result.picturesLeftOut);
    return text;
}
