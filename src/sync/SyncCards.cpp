#include "sync/SyncCards.h"

#include "interchange/VCardReader.h"
#include "interchange/VCardWriter.h"
#include "store/GroupTree.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QUuid>

namespace {

// The namespace of identities made from a taken one and a count.
const QUuid kIdentityNamespace(QStringLiteral("{0f2d7c55-3a61-4c8e-9b1e-52d8f7a04c6b}"));

} // namespace

QString newIdentity(const PersonRecord& person, const QSet<QString>& taken) {
    const QString first = derivedUid(person);
    QString identity = first;
    for (int n = 2; taken.contains(identity); ++n)
        identity = QStringLiteral("urn:uuid:") +
                   QUuid::createUuidV5(kIdentityNamespace, first + QString::number(n))
                       .toString(QUuid::WithoutBraces);
    return identity;
}

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
