#pragma once

#include "interchange/VCardImport.h"
#include "store/PersonRecord.h"

#include <QByteArray>
#include <QSet>
#include <QString>

// The name a card of ours has on the server, from its identity.
QString cardFileName(const QString& identity);

// The JPEG and PNG pictures of a person, as a card carries them; others
// stay in the file only.
QList<QByteArray> cardPhotos(const PersonRecord& person, const QString& pictureFolder);

// The card of a person as the sync writes it: the vCard export's card,
// with the person's identity as UID, its group as CATEGORIES and its
// photos inline.
QByteArray syncCard(const PersonRecord& person, const QList<QByteArray>& photos);

// Our card with the lines of the server's card that the file has no field
// for (a nickname, a messenger address, what a phone adds), so that
// writing a changed person over a card loses nothing another program put
// there.
QByteArray withOtherProperties(const QByteArray& ours, const QByteArray& theirs);

// A digest of what travels of a person, cheap to make: the card without
// its time stamp and with picture names in place of their bytes. The same
// digest as at the last sync means the person did not change since.
QByteArray personDigest(const PersonRecord& person);

// A digest of what a card says, whatever its UID and time stamp: a person
// and a server card with the same one need not travel.
QByteArray contentDigest(const PersonRecord& person, const QList<QByteArray>& photos);

// The person a server card stands for: what the vCard import takes, with
// the card's UID as identity and its CATEGORIES as the group path.
struct CardPerson {
    std::unique_ptr<PersonRecord> record; // null: nothing to take
    std::vector<VCardPhoto> photos;
    QString problem; // why the file cannot take it; empty when it can
    QString name;    // to name the card in messages
};
CardPerson personOfCard(const QByteArray& data, const QString& recordedAt);
