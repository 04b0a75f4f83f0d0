#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

class FileKey;

// A card as the last sync left it: the person it is, and that person as
// it was then.
struct SyncedCard {
    QString href;
    QByteArray etag;
    QByteArray digest; // personDigest() of the person when last synced
};

// What the last sync of a record file left beside it (personel.qdb:
// personel.sync): the server and user it went to, the address book, the
// sync token, and every card by the identity of its person. Cards the
// record file cannot hold are kept apart, so no later sync deletes them.
struct SyncState {
    QString server; // the address as the user gave it
    QString user;
    QString book; // the address book it leads to
    QByteArray token;
    QHash<QString, SyncedCard> cards;   // by identity
    QHash<QString, QByteArray> foreign; // href: ETag, cards not taken

    static QString fileFor(const QString& recordFile);
    // Beside a protected record file the state is protected with the
    // file's key, since card addresses may carry names.
    // Nothing (a first sync) when the file is missing; throws ZilvarenError
    // when it cannot be read. A plain state is read whatever key is given.
    static SyncState read(const QString& path, const FileKey* key = nullptr);
    // Throws ZilvarenError naming the step that failed.
    void write(const QString& path, const FileKey* key = nullptr) const;
};
