#include "interchange/VCardWriter.h"

#include "platform/Errors.h"
#include "platform/TurkishText.h"
#include "store/BirthDate.h"
#include "store/GroupTree.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QUuid>

#include <cstdio>
#include <cstring>

namespace {

constexpr qsizetype kLineOctets = 75;

// The namespace of the name-based UIDs this program gives its cards.
const QUuid kUidNamespace(QStringLiteral("{5b0e3c1a-9f57-4c1e-8d2a-6f0c4e7b9a13}"));

// Appends bytes with one size change and a copy: the card is made of many
// short pieces, and QByteArray's own append costs more than the piece.
void put(QByteArray& out, const char* bytes, qsizetype size) {
    const qsizetype at = out.size();
    out.resize(at + size);
    std::memcpy(out.data() + at, bytes, size_t(size));
}
void put(QByteArray& out, const char* text) {
    put(out, text, qsizetype(std::strlen(text)));
}

// Folds the content line that begins at start (the end of out) at 75
// octets; a fold never splits a UTF-8 sequence.
void foldAndEnd(QByteArray& out, qsizetype start) {
    if (out.size() - start > kLineOctets) {
        const QByteArray line = out.mid(start);
        out.truncate(start);
        qsizetype pos = 0;
        qsizetype limit = kLineOctets;
        while (pos < line.size()) {
            qsizetype end = std::min(pos + limit, line.size());
            if (end < line.size())
                while (end > pos && (uchar(line[end]) & 0xC0) == 0x80)
                    --end;
            if (pos > 0)
                put(out, "\r\n ", 3);
            put(out, line.constData() + pos, end - pos);
            pos = end;
            limit = kLineOctets - 1; // the leading blank counts
        }
    }
    put(out, "\r\n", 2);
}

constexpr int kUidSize = 45; // "urn:uuid:" and 36

// A version 5 UUID (RFC 4122 §4.3) with one hash object for all cards:
// QUuid::createUuidV5 would set one up for every card.
void writeUid(const PersonRecord& person, char* out) {
    static QCryptographicHash sha1(QCryptographicHash::Sha1);
    static const QByteArray space = kUidNamespace.toRfc4122();
    sha1.reset();
    sha1.addData(space);
    sha1.addData(person.RecordNo.toUtf8());
    sha1.addData("\n");
    sha1.addData(person.RecordedAt.toUtf8());
    uchar bytes[16];
    std::memcpy(bytes, sha1.resultView().data(), 16);
    bytes[6] = uchar((bytes[6] & 0x0F) | 0x50);
    bytes[8] = uchar((bytes[8] & 0x3F) | 0x80);
    static constexpr char kHex[] = "0123456789abcdef";
    std::memcpy(out, "urn:uuid:", 9);
    char* d = out + 9;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            *d++ = '-';
        *d++ = kHex[bytes[i] >> 4];
        *d++ = kHex[bytes[i] & 15];
    }
    *d = 0;
}

// One content line written straight into the output as UTF-8, its text
// escaped; folded when it ends.
class Line {
public:
    Line(QByteArray& out, const char* name, int group = 0) : out_(out), start_(out.size()) {
        if (group > 0)
            put(out_, ("item" + QByteArray::number(group) + '.').constData());
        put(out_, name);
        put(out_, ":", 1);
    }
    ~Line() { foldAndEnd(out_, start_); }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    Line& raw(const char* bytes) {
        put(out_, bytes);
        return *this;
    }
    Line& text(QStringView s) {
        // Room for the worst case first: appending byte by byte costs more
        // than the whole card.
        const qsizetype at = out_.size();
        out_.resize(at + s.size() * 3);
        char* d = out_.data() + at;
        for (qsizetype i = 0; i < s.size(); ++i) {
            const char16_t c = s[i].unicode();
            if (c == u'\\' || c == u',' || c == u';') {
                *d++ = '\\';
                *d++ = char(c);
            } else if (c == u'\r' || c == u'\n') {
                *d++ = '\\';
                *d++ = 'n';
                if (c == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n')
                    ++i;
            } else if (c < 0x80) {
                *d++ = char(c);
            } else if (c < 0x800) {
                *d++ = char(0xC0 | (c >> 6));
                *d++ = char(0x80 | (c & 0x3F));
            } else if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
                const char32_t u = QChar::surrogateToUcs4(c, s[++i].unicode());
                *d++ = char(0xF0 | (u >> 18));
                *d++ = char(0x80 | ((u >> 12) & 0x3F));
                *d++ = char(0x80 | ((u >> 6) & 0x3F));
                *d++ = char(0x80 | (u & 0x3F));
            } else {
                const char16_t u = QChar::isSurrogate(c) ? char16_t(0xFFFD) : c;
                *d++ = char(0xE0 | (u >> 12));
                *d++ = char(0x80 | ((u >> 6) & 0x3F));
                *d++ = char(0x80 | (u & 0x3F));
            }
        }
        out_.truncate(d - out_.constData());
        return *this;
    }

private:
    QByteArray& out_;
    qsizetype start_;
};

const char* telType(QStringView kind) {
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

// The line a contact of another kind goes as: what its value looks like.
const char* propertyForValue(QStringView value) {
    const qsizetype at = value.indexOf(u'@');
    if (at > 0 && at + 1 < value.size() && !value.contains(u' '))
        return "EMAIL;TYPE=INTERNET";
    for (const char16_t* scheme : {u"http://", u"https://", u"www."})
        if (value.startsWith(QStringView(scheme), Qt::CaseInsensitive))
            return "URL";
    return "TEL";
}

// The stamp "dd.mm.yyyy  hh:nn:ss" as a REV in local time without a zone:
// the stamp was taken in local time, and asking the time zone for every
// card would cost more than writing it.
QString revision(const PersonRecord& p) {
    const QString& stamp = p.EditedAt.isEmpty() ? p.RecordedAt : p.EditedAt;
    static constexpr int kDigits[] = {6, 7, 8, 9, 3, 4, 0, 1, -1, 12, 13, 15, 16, 18, 19};
    if (stamp.size() != 20)
        return {};
    QString rev(15, u'T');
    for (int i = 0; i < 15; ++i) {
        if (kDigits[i] < 0)
            continue;
        if (!stamp[kDigits[i]].isDigit())
            return {};
        rev[i] = stamp[kDigits[i]];
    }
    return rev;
}

void appendAddress(QByteArray& out, const char* name, const QString& line1, const QString& line2,
                   const QString& city, const QString& postCode) {
    if (line1.isEmpty() && line2.isEmpty() && city.isEmpty() && postCode.isEmpty())
        return;
    Line(out, name)
        .raw(";")
        .text(line2)
        .raw(";")
        .text(line1)
        .raw(";")
        .text(city)
        .raw(";;")
        .text(postCode)
        .raw(";");
}

bool isJpeg(const QByteArray& data) {
    return data.startsWith("\xFF\xD8\xFF");
}

} // namespace

QString vcardUid(const PersonRecord& person) {
    char uid[kUidSize + 1];
    writeUid(person, uid);
    return QString::fromLatin1(uid, kUidSize);
}

namespace {

// Cards go straight into the output: no array of their own per card.
void appendVCard(QByteArray& out, const PersonRecord& p, const QList<QByteArray>& jpegs) {
    put(out, "BEGIN:VCARD\r\nVERSION:3.0\r\n");
    char uid[kUidSize + 1];
    writeUid(p, uid);
    Line(out, "UID").raw(uid);
    Line(out, "N").text(p.Surname).raw(";").text(p.FirstName).raw(";;;");
    {
        Line fn(out, "FN");
        if (p.FirstName.isEmpty() && p.Surname.isEmpty())
            fn.text(p.Firm);
        fn.text(p.FirstName)
            .raw(!p.FirstName.isEmpty() && !p.Surname.isEmpty() ? " " : "")
            .text(p.Surname);
    }
    if (p.BirthDate > 0) {
        const QDate d = birthdate::toDate(p.BirthDate);
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", d.year(), d.month(), d.day());
        Line(out, "BDAY").raw(date);
    }
    if (p.Sex == u'M' || p.Sex == u'F')
        Line(out, "X-GENDER").raw(p.Sex == u'M' ? "Male" : "Female");
    if (!p.BirthPlace.isEmpty())
        Line(out, "BIRTHPLACE").text(p.BirthPlace);
    if (p.MaritalStatus == u'E' || p.MaritalStatus == u'B' || p.MaritalStatus == u'D')
        Line(out, "X-MARITAL-STATUS")
            .raw(p.MaritalStatus == u'E'   ? "single"
                 : p.MaritalStatus == u'B' ? "married"
                                           : "widowed");
    // A kind outside the six goes in a group of its own, whose label
    // carries the kind as the user wrote it.
    int group = 0;
    for (const QString& entry : p.Contacts) {
        const qsizetype tab = entry.indexOf(u'\t');
        const QStringView kind = tab < 0 ? QStringView() : QStringView(entry).first(tab);
        const QStringView value = QStringView(entry).sliced(tab + 1);
        if (value.isEmpty())
            continue;
        if (const char* name = telType(kind)) {
            Line(out, name).text(value);
        } else if (kind.isEmpty()) {
            Line(out, propertyForValue(value)).text(value);
        } else {
            ++group;
            Line(out, propertyForValue(value), group).text(value);
            Line(out, "X-ABLabel", group).text(kind);
        }
    }
    appendAddress(out, "ADR;TYPE=HOME", p.HomeAddress1, p.HomeAddress2, p.HomeCity, p.HomePostCode);
    appendAddress(out, "ADR;TYPE=WORK", p.WorkAddress1, p.WorkAddress2, p.WorkCity, p.WorkPostCode);
    if (!p.Firm.isEmpty() || !p.Department.isEmpty())
        Line(out, "ORG").text(p.Firm).raw(";").text(p.Department);
    if (!p.Profession.isEmpty())
        Line(out, "TITLE").text(p.Profession);
    if (!p.Notes.isEmpty()) {
        Line note(out, "NOTE");
        for (qsizetype i = 0; i < p.Notes.size(); ++i)
            note.raw(i > 0 ? "\\n" : "").text(p.Notes[i]);
    }
    if (!p.GroupPath.isEmpty() && p.GroupPath != kNoGroupPath) {
        Line categories(out, "CATEGORIES");
        bool first = true;
        for (const QString& name : splitGroupPath(p.GroupPath)) {
            categories.raw(first ? "" : ",").text(name);
            first = false;
        }
    }
    if (const QString rev = revision(p); !rev.isEmpty())
        Line(out, "REV").text(rev);
    for (const QByteArray& jpeg : jpegs) {
        const qsizetype start = out.size();
        out.append("PHOTO;ENCODING=b;TYPE=JPEG:");
        out.append(jpeg.toBase64());
        foldAndEnd(out, start);
    }
    put(out, "END:VCARD\r\n");
}

} // namespace

QByteArray composeVCard(const PersonRecord& p, const QList<QByteArray>& jpegs) {
    QByteArray out;
    appendVCard(out, p, jpegs);
    return out;
}

namespace {

// One card, with its JPEG pictures inline when asked for.
void appendCard(QByteArray& out, const PersonRecord& p, const VCardExportOptions& options,
                VCardExportResult& result) {
    QList<QByteArray> jpegs;
    if (options.pictures) {
        const QDir folder(options.pictureFolder);
        for (const QString& picture : p.Pictures) {
            QFile file(folder.filePath(picture));
            const QByteArray data = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            if (isJpeg(data))
                jpegs.append(data);
            else
                ++result.picturesLeftOut;
        }
    }
    appendVCard(out, p, jpegs);
    ++result.cards;
}

} // namespace

VCardExportResult writeVCards(QIODevice& device, const std::vector<const PersonRecord*>& persons,
                              const VCardExportOptions& options) {
    VCardExportResult result;
    QByteArray card;
    for (const PersonRecord* p : persons) {
        card.truncate(0);
        appendCard(card, *p, options, result);
        if (device.write(card) != card.size())
            throw ZilvarenError(device.errorString());
    }
    return result;
}

VCardFileWriter::VCardFileWriter(const QString& path, VCardExportOptions options)
    : file_(path), options_(std::move(options)) {
    if (!file_.open())
        throw failure();
}

ZilvarenError VCardFileWriter::failure() const {
    return ZilvarenError(
        QStringLiteral("\"%1\" dosyası yazılamadı.\r").arg(QDir::toNativeSeparators(file_.path())) +
        file_.errorString());
}

void VCardFileWriter::add(const PersonRecord& person) {
    card_.truncate(0);
    appendCard(card_, person, options_, result_);
    file_.write(card_);
}

VCardExportResult VCardFileWriter::commit() {
    if (!file_.commit())
        throw failure();
    return result_;
}

VCardExportResult writeVCardFile(const QString& path,
                                 const std::vector<const PersonRecord*>& persons,
                                 const VCardExportOptions& options) {
    VCardFileWriter file(path, options);
    for (const PersonRecord* p : persons)
        file.add(*p);
    return file.commit();
}

std::vector<const PersonRecord*> personsInGroup(const std::vector<const PersonRecord*>& persons,
                                                const QString& groupPath) {
    const QString key = TurkceUpperCase(groupPath);
    std::vector<const PersonRecord*> inGroup;
    for (const PersonRecord* p : persons)
        if (pathLiesIn(p->GroupPath, key))
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
