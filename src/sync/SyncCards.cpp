#include "sync/SyncCards.h"

#include "interchange/VCardReader.h"
#include "interchange/VCardWriter.h"
#include "store/GroupTree.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSet>

QString cardFileName(const QString& identity) {
    QString name = identity;
    name.remove(QStringLiteral("urn:uuid:"));
    for (QChar& c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'-')
            c = u'_';
    return name + QStringLiteral(".vcf");
}

QList<QByteArray> cardPhotos(const PersonRecord& person, const QString& pictureFolder) {
    QList<QByteArray> photos;
    const QDir folder(pictureFolder);
    for (const QString& picture : person.Pictures) {
        QFile file(folder.filePath(picture));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray data = file.readAll();
        if (data.startsWith("\xFF\xD8\xFF") || data.startsWith("\x89PNG"))
            photos.append(data);
    }
    return photos;
}

QByteArray syncCard(const PersonRecord& person, const QList<QByteArray>& photos) {
    return composeVCard(person, photos);
}

namespace {

// The properties a card of ours says all of: the server's own lines of
// these names give way to ours.
// clang-format off
const QSet<QByteArray> kOurs = {"BEGIN",      "END",          "VERSION",          "PRODID",
                                "UID",        "N",            "FN",               "BDAY",
                                "X-GENDER",   "GENDER",       "BIRTHPLACE",       "X-BIRTHPLACE",
                                "X-MARITAL-STATUS", "TEL",    "EMAIL",            "URL",
                                "ADR",        "ORG",          "TITLE",            "ROLE",
                                "NOTE",       "CATEGORIES",   "REV",              "PHOTO"};
// clang-format on

// The logical lines of a card: folds undone.
QList<QByteArray> unfolded(const QByteArray& card) {
    QList<QByteArray> lines;
    for (QByteArray line : card.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if ((line.startsWith(' ') || line.startsWith('\t')) && !lines.isEmpty())
            lines.last() += line.mid(1);
        else if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

// "item1.TEL;TYPE=CELL:..." → group "ITEM1", name "TEL".
std::pair<QByteArray, QByteArray> groupAndName(const QByteArray& line) {
    qsizetype end = 0;
    while (end < line.size() && line[end] != ':' && line[end] != ';')
        ++end;
    const QByteArray head = line.left(end).toUpper();
    const qsizetype dot = head.lastIndexOf('.');
    return dot < 0 ? std::pair(QByteArray(), head) : std::pair(head.left(dot), head.mid(dot + 1));
}

void appendFoldedLine(QByteArray& out, const QByteArray& line) {
    qsizetype pos = 0;
    for (qsizetype limit = 75; line.size() - pos > limit; limit = 74) {
        qsizetype end = pos + limit;
        while (end > pos && (uchar(line[end]) & 0xC0) == 0x80)
            --end;
        out += line.mid(pos, end - pos) + "\r\n ";
        pos = end;
    }
    out += line.mid(pos) + "\r\n";
}

} // namespace

QByteArray withOtherProperties(const QByteArray& ours, const QByteArray& theirs) {
    const QList<QByteArray> lines = unfolded(theirs);
    // A group that holds one of our properties (a labelled number) is ours
    // whole, its label too.
    QSet<QByteArray> ourGroups;
    for (const QByteArray& line : lines) {
        const auto [group, name] = groupAndName(line);
        if (!group.isEmpty() && kOurs.contains(name))
            ourGroups.insert(group);
    }
    QByteArray kept;
    QHash<QByteArray, QByteArray> renamed; // their groups get names ours do not use
    for (const QByteArray& line : lines) {
        const auto [group, name] = groupAndName(line);
        if (kOurs.contains(name) || ourGroups.contains(group))
            continue;
        QByteArray keep = line;
        if (!group.isEmpty()) {
            if (!renamed.contains(group))
                renamed.insert(group, "other" + QByteArray::number(renamed.size() + 1));
            keep = renamed.value(group) + line.mid(line.indexOf('.'));
        }
        appendFoldedLine(kept, keep);
    }
    if (kept.isEmpty())
        return ours;
    QByteArray out = ours;
    out.insert(out.lastIndexOf("END:VCARD"), kept);
    return out;
}

namespace {

QByteArray sha1(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

// The person without what a card does not compare by.
PersonRecord comparable(const PersonRecord& person) {
    PersonRecord p = person;
    p.RecordNo.clear();
    p.RecordedAt.clear();
    p.EditedAt.clear();
    p.PictureIndex = 0;
    // The identity is what the digest is kept by, not part of it.
    p.Identity = QStringLiteral("-");
    return p;
}

} // namespace

QByteArray personDigest(const PersonRecord& person) {
    PersonRecord p = comparable(person);
    const QStringList pictures = p.Pictures;
    p.Pictures.clear();
    return sha1(composeVCard(p) + pictures.join(u'\n').toUtf8());
}

QByteArray contentDigest(const PersonRecord& person, const QList<QByteArray>& photos) {
    PersonRecord p = comparable(person);
    p.Pictures.clear();
    return sha1(composeVCard(p, photos));
}

CardPerson personOfCard(const QByteArray& data, const QString& recordedAt) {
    CardPerson result;
    QByteArray bytes = data;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const VCardFile file = readVCards(buffer);
    if (file.cards.size() != 1 || !file.cards[0].ended) {
        result.problem = QStringLiteral("okunamayan kart");
        return result;
    }
    const VCard& card = file.cards[0];
    VCardPerson person = personFromVCard(card, kNoGroupPath, recordedAt);
    if (!person.record) {
        result.problem = QStringLiteral("ad, kurum ya da iletişim bilgisi yok");
        return result;
    }
    PersonRecord& p = *person.record;
    for (const VCardProperty& prop : card.properties) {
        if (prop.name == u"UID") {
            p.Identity = vcardUnescape(prop.value).trimmed();
        } else if (prop.name == u"CATEGORIES") {
            QStringList names;
            for (const QString& name : vcardComponents(prop.value, u','))
                if (!name.trimmed().isEmpty())
                    names.append(name.trimmed());
            if (!names.isEmpty())
                p.GroupPath = joinGroupPath(names);
        }
    }
    // Named as the card names itself.
    result.name = (p.FirstName + u' ' + p.Surname).trimmed();
    for (const VCardProperty& prop : card.properties)
        if (prop.name == u"FN" && !prop.value.trimmed().isEmpty())
            result.name = vcardUnescape(prop.value).trimmed();
    const QStringList bad = unencodableFields(p);
    if (!bad.isEmpty())
        result.problem = bad.join(QStringLiteral("; "));
    result.photos = std::move(person.photos);
    result.record = std::move(person.record);
    return result;
}
