#include "interchange/VCardWriter.h"

#include "platform/Errors.h"
#include "platform/Prompts.h"
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

// Eight characters and eight bytes as vectors, which the compiler compares
// and narrows in a few instructions.
using Units8 = quint16 __attribute__((vector_size(16)));
using Bytes8 = uchar __attribute__((vector_size(8)));

// The namespace of the name-based UIDs this program gives its cards.
const QUuid kUidNamespace(QStringLiteral("{5b0e3c1a-9f57-4c1e-8d2a-6f0c4e7b9a13}"));

// The bytes of cards as they are made. Room is asked for once a piece and
// the size kept here: a card is made of many short pieces, and
// QByteArray's own resizing costs more than the piece.
class CardBytes {
public:
    explicit CardBytes(QByteArray& out) : out_(out), used_(out.size()) {}
    ~CardBytes() { out_.truncate(used_); }
    CardBytes(const CardBytes&) = delete;
    CardBytes& operator=(const CardBytes&) = delete;

    qsizetype size() const { return used_; }
    // Room for n more bytes; end() says how many were used.
    char* room(qsizetype n) {
        if (used_ + n > out_.size())
            out_.resize(std::max(out_.size() * 2, used_ + n) + 1024);
        return out_.data() + used_;
    }
    void end(const char* at) { used_ = at - out_.constData(); }
    void put(const char* bytes, qsizetype size) {
        std::memcpy(room(size), bytes, size_t(size));
        used_ += size;
    }
    void put(const char* text) { put(text, qsizetype(std::strlen(text))); }

    // Folds the content line from start to the end at 75 octets (never
    // inside a UTF-8 sequence) and ends it.
    void endLine(qsizetype start) {
        const qsizetype size = used_ - start;
        if (size > kLineOctets) {
            const QVarLengthArray<char, 512> line(out_.constData() + start,
                                                  out_.constData() + used_);
            used_ = start;
            fold(line.constData(), size);
        }
        put("\r\n", 2);
    }
    // Appends a content line of size bytes, folded, and its end.
    void putLine(const char* line, qsizetype size) {
        fold(line, size);
        put("\r\n", 2);
    }

private:
    void fold(const char* line, qsizetype size) {
        qsizetype pos = 0;
        for (qsizetype limit = kLineOctets; size - pos > limit; limit = kLineOctets - 1) {
            qsizetype end = pos + limit;
            while (end > pos && (uchar(line[end]) & 0xC0) == 0x80)
                --end;
            put(line + pos, end - pos);
            put("\r\n ", 3);
            pos = end;
        }
        put(line + pos, size - pos);
    }

    QByteArray& out_;
    qsizetype used_;
};

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

// One content line made as UTF-8, its text escaped, straight into the
// card; folded when it ends.
class Line {
public:
    Line(CardBytes& out, const char* name, int group = 0) : out_(out), start_(out.size()) {
        if (group > 0)
            raw("item").raw(QByteArray::number(group).constData()).raw(".");
        raw(name).raw(":");
    }
    ~Line() { out_.endLine(start_); }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    Line& raw(const char* bytes) {
        out_.put(bytes);
        return *this;
    }
    // The UTF-8 of the character at i, escaped; a CR LF pair is one line
    // break, and i then stands on its LF.
    static char* put(char* d, const char16_t* src, qsizetype& i, qsizetype n) {
        const char16_t c = src[i];
        if (c < 0x80 && kPlain[c]) {
            *d++ = char(c);
        } else if (c == u'\\' || c == u',' || c == u';') {
            *d++ = '\\';
            *d++ = char(c);
        } else if (c == u'\r' || c == u'\n') {
            *d++ = '\\';
            *d++ = 'n';
            if (c == u'\r' && i + 1 < n && src[i + 1] == u'\n')
                ++i;
        } else if (c < 0x80) {
            *d++ = char(c); // a control character
        } else if (c < 0x800) {
            *d++ = char(0xC0 | (c >> 6));
            *d++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(src[i + 1])) {
            const char32_t u = QChar::surrogateToUcs4(c, src[++i]);
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
        return d;
    }

    Line& text(QStringView s) {
        // Room for the worst case first, then what was used.
        char* d = out_.room(s.size() * 3);
        const char16_t* src = s.utf16();
        const qsizetype n = s.size();
        qsizetype i = 0;
        while (i < n) {
            // Eight plain characters, their own bytes, at once; eight that
            // are not go one by one.
            qsizetype stop = n;
            if (i + 8 <= n) {
                Units8 u;
                std::memcpy(&u, src + i, 16);
                const Units8 special =
                    (u < 0x20) | (u > 0x7F) | (u == ',') | (u == ';') | (u == '\\');
                quint64 flags[2];
                std::memcpy(flags, &special, 16);
                if ((flags[0] | flags[1]) == 0) {
                    const Bytes8 b = __builtin_convertvector(u, Bytes8);
                    std::memcpy(d, &b, 8);
                    d += 8;
                    i += 8;
                    continue;
                }
                stop = i + 8;
            }
            for (; i < stop; ++i)
                d = put(d, src, i, n);
        }
        out_.end(d);
        return *this;
    }

private:
    CardBytes& out_;
    qsizetype start_;
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
// Into rev, without a string of its own; false for a stamp of another form.
bool revision(const PersonRecord& p, char16_t (&rev)[15]) {
    const QString& stamp = p.EditedAt.isEmpty() ? p.RecordedAt : p.EditedAt;
    static constexpr int kDigits[] = {6, 7, 8, 9, 3, 4, 0, 1, -1, 12, 13, 15, 16, 18, 19};
    if (stamp.size() != 20)
        return false;
    for (int i = 0; i < 15; ++i) {
        if (kDigits[i] < 0) {
            rev[i] = u'T';
            continue;
        }
        if (!stamp[kDigits[i]].isDigit())
            return false;
        rev[i] = stamp[kDigits[i]].unicode();
    }
    return true;
}

void appendAddress(CardBytes& out, const char* name, const QString& line1, const QString& line2,
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
    CardBytes bytes(out);
    Line(bytes, name).text(value);
}

void appendFoldedLine(QByteArray& out, QByteArrayView line) {
    CardBytes bytes(out);
    bytes.putLine(line.data(), line.size());
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
void appendVCard(CardBytes& out, const PersonRecord& p, const QList<QByteArray>& jpegs) {
    out.put("BEGIN:VCARD\r\nVERSION:3.0\r\n");
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
    if (char16_t rev[15]; revision(p, rev))
        Line(out, "REV").text(QStringView(rev, 15));
    for (const QByteArray& jpeg : jpegs) {
        const QByteArray line = QByteArray("PHOTO;ENCODING=b;TYPE=") +
                                (jpeg.startsWith("\x89PNG") ? "PNG:" : "JPEG:") + jpeg.toBase64();
        out.putLine(line.constData(), line.size());
    }
    out.put("END:VCARD\r\n");
}

} // namespace

QByteArray composeVCard(const PersonRecord& p, const QList<QByteArray>& jpegs) {
    QByteArray out;
    {
        CardBytes bytes(out);
        appendVCard(bytes, p, jpegs);
    }
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
    CardBytes bytes(out);
    appendVCard(bytes, p, jpegs);
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

std::optional<std::vector<const PersonRecord*>>
exportedPersons(Prompts& prompts, const std::vector<const PersonRecord*>& persons,
                const QString& focusedGroupPath) {
    if (focusedGroupPath.isEmpty())
        return persons;
    const PromptButton scope = prompts.ask(
        QStringLiteral("Yalnızca \"%1\" grubu ve alt gruplarındaki kişiler mi aktarılsın?"
                       "\r\rHayır: tüm kişiler aktarılır.")
            .arg(QString(focusedGroupPath).replace(GroupPathSeparator, QStringLiteral(" / "))),
        PromptIcon::Information, {PromptButton::Yes, PromptButton::No, PromptButton::Cancel});
    if (scope == PromptButton::Cancel)
        return std::nullopt;
    return scope == PromptButton::Yes ? personsInGroup(persons, focusedGroupPath) : persons;
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
