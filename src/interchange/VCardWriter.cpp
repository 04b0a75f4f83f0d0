#include "interchange/VCardWriter.h"

#include "platform/Errors.h"
#include "platform/TurkishText.h"
#include "store/BirthDate.h"
#include "store/GroupTree.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QUuid>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
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

// Appends the content line of size bytes folded at 75 octets, and its end;
// a fold never splits a UTF-8 sequence. One size change for the line.
void appendFolded(QByteArray& out, const char* line, qsizetype size) {
    if (size <= kLineOctets) {
        const qsizetype at = out.size();
        out.resize(at + size + 2);
        std::memcpy(out.data() + at, line, size_t(size));
        std::memcpy(out.data() + at + size, "\r\n", 2);
        return;
    }
    qsizetype folds = 0;
    for (qsizetype pos = 0, limit = kLineOctets; size - pos > limit; limit = kLineOctets - 1) {
        qsizetype end = pos + limit;
        while (end > pos && (uchar(line[end]) & 0xC0) == 0x80)
            --end;
        pos = end;
        ++folds;
    }
    const qsizetype at = out.size();
    out.resize(at + size + folds * 3 + 2);
    char* d = out.data() + at;
    qsizetype pos = 0;
    for (qsizetype limit = kLineOctets; size - pos > limit; limit = kLineOctets - 1) {
        qsizetype end = pos + limit;
        while (end > pos && (uchar(line[end]) & 0xC0) == 0x80)
            --end;
        std::memcpy(d, line + pos, size_t(end - pos));
        d += end - pos;
        std::memcpy(d, "\r\n ", 3);
        d += 3;
        pos = end;
    }
    std::memcpy(d, line + pos, size_t(size - pos));
    d += size - pos;
    std::memcpy(d, "\r\n", 2);
}

constexpr int kUidSize = 45; // "urn:uuid:" and 36

// The UTF-8 of text into the hash; a short ASCII text (a record number, a
// time stamp) without a buffer of its own.
void addUtf8(QCryptographicHash& hash, const QString& text) {
    char ascii[32];
    const bool shortAscii =
        text.size() <= qsizetype(sizeof ascii) &&
        std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (!shortAscii) {
        hash.addData(text.toUtf8());
        return;
    }
    for (qsizetype i = 0; i < text.size(); ++i)
        ascii[i] = char(text[i].unicode());
    hash.addData(QByteArrayView(ascii, text.size()));
}

// A version 5 UUID (RFC 4122 §4.3) with one hash object for all cards:
// QUuid::createUuidV5 would set one up for every card.
void writeUid(const PersonRecord& person, char* out) {
    static QCryptographicHash sha1(QCryptographicHash::Sha1);
    static const QByteArray space = kUidNamespace.toRfc4122();
    sha1.reset();
    sha1.addData(space);
    addUtf8(sha1, person.RecordNo);
    sha1.addData("\n");
    addUtf8(sha1, person.RecordedAt);
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

// The ASCII characters a text value carries as they are.
constexpr std::array<bool, 128> kPlain = [] {
    std::array<bool, 128> plain{};
    for (int c = 0x20; c < 0x7F; ++c)
        plain[size_t(c)] = c != '\\' && c != ',' && c != ';';
    plain[size_t('\t')] = true;
    return plain;
}();

// One content line made as UTF-8, its text escaped, in a buffer of its
// own; folded into the output when it ends.
class Line {
public:
    Line(QByteArray& out, const char* name, int group = 0) : out_(out) {
        if (group > 0)
            raw("item").raw(QByteArray::number(group).constData()).raw(".");
        raw(name).raw(":");
    }
    ~Line() { appendFolded(out_, line_.constData(), line_.size()); }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    Line& raw(const char* bytes) {
        line_.append(bytes, qsizetype(std::strlen(bytes)));
        return *this;
    }
    Line& text(QStringView s) {
        // Room for the worst case first, then what was used.
        const qsizetype at = line_.size();
        line_.resize(at + s.size() * 3);
        char* d = line_.data() + at;
        for (qsizetype i = 0; i < s.size(); ++i) {
            const char16_t c = s[i].unicode();
            if (c < 0x80 && kPlain[c]) {
                *d++ = char(c);
            } else if (c == u'\\' || c == u',' || c == u';') {
                *d++ = '\\';
                *d++ = char(c);
            } else if (c == u'\r' || c == u'\n') {
                *d++ = '\\';
                *d++ = 'n';
                if (c == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n')
                    ++i;
            } else if (c < 0x80) {
                *d++ = char(c); // a control character
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
        line_.resize(d - line_.constData());
        return *this;
    }

private:
    QByteArray& out_;
    QVarLengthArray<char, 512> line_;
};

const char* telType(QStringView kind) {
    static const std::pair<QStringView, const char*> kTypes[] = {
        {u"Ev", "TEL;TYPE=HOME,VOICE"},   {u"İş", "TEL;TYPE=WORK,VOICE"},
        {u"GSM", "TEL;TYPE=CELL,VOICE"},  {u"Fax", "TEL;TYPE=FAX"},
        {u"Mail", "EMAIL;TYPE=INTERNET"}, {u"Web", "URL"}};
    for (const auto& [word, property] : kTypes)
        if (kind.size() == word.size() &&
            std::equal(word.utf16(), word.utf16() + word.size(), kind.utf16()))
            return property;
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

void appendTextLine(QByteArray& out, const char* name, QStringView value) {
    Line(out, name).text(value);
}

void appendFoldedLine(QByteArray& out, QByteArrayView line) {
    appendFolded(out, line.data(), line.size());
}

QString vcardUid(const PersonRecord& person) {
    if (!person.Identity.isEmpty())
        return person.Identity;
    return derivedUid(person);
}

QString derivedUid(const PersonRecord& person) {
    char uid[kUidSize + 1];
    writeUid(person, uid);
    return QString::fromLatin1(uid, kUidSize);
}

QString newIdentity(const PersonRecord& person, const QSet<QString>& taken) {
    // The namespace of identities made from a taken one and a count.
    static const QUuid kCountedNamespace(QStringLiteral("{0f2d7c55-3a61-4c8e-9b1e-52d8f7a04c6b}"));
    const QString first = derivedUid(person);
    QString identity = first;
    for (int n = 2; taken.contains(identity); ++n)
        identity = QStringLiteral("urn:uuid:") +
                   QUuid::createUuidV5(kCountedNamespace, first + QString::number(n))
                       .toString(QUuid::WithoutBraces);
    return identity;
}

namespace {

// Cards go straight into the output: no array of their own per card.
void appendVCard(QByteArray& out, const PersonRecord& p, const QList<QByteArray>& jpegs) {
    put(out, "BEGIN:VCARD\r\nVERSION:3.0\r\n");
    if (!p.Identity.isEmpty()) {
        Line(out, "UID").text(p.Identity);
    } else {
        char uid[kUidSize + 1];
        writeUid(p, uid);
        Line(out, "UID").raw(uid);
    }
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
        int y = 0;
        int m = 0;
        int day = 0;
        birthdate::toDate(p.BirthDate).getDate(&y, &m, &day);
        const char date[] = {char('0' + y / 1000 % 10),
                             char('0' + y / 100 % 10),
                             char('0' + y / 10 % 10),
                             char('0' + y % 10),
                             '-',
                             char('0' + m / 10),
                             char('0' + m % 10),
                             '-',
                             char('0' + day / 10),
                             char('0' + day % 10),
                             0};
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
        forEachGroupName(p.GroupPath, [&](QStringView name) {
            categories.raw(first ? "" : ",").text(name);
            first = false;
        });
    }
    if (const QString rev = revision(p); !rev.isEmpty())
        Line(out, "REV").text(rev);
    for (const QByteArray& jpeg : jpegs) {
        const QByteArray line = QByteArray("PHOTO;ENCODING=b;TYPE=") +
                                (jpeg.startsWith("\x89PNG") ? "PNG:" : "JPEG:") + jpeg.toBase64();
        appendFolded(out, line.constData(), line.size());
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

namespace {

const QString kVCardFailure = QStringLiteral("\"%1\" dosyası yazılamadı.");

} // namespace

VCardFileWriter::VCardFileWriter(const QString& path, VCardExportOptions options)
    : file_(path), options_(std::move(options)) {
    if (!file_.open())
        throw file_.error(kVCardFailure);
}

void VCardFileWriter::add(const PersonRecord& person) {
    appendCard(cards_, person, options_, result_);
    if (cards_.size() >= kWritePiece) {
        file_.write(cards_);
        cards_.truncate(0);
    }
}

VCardExportResult VCardFileWriter::commit() {
    file_.write(cards_);
    cards_.truncate(0);
    if (!file_.commit())
        throw file_.error(kVCardFailure);
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
