#pragma once

#include "platform/Errors.h"
#include "sync/DavTransport.h"

#include <QStringList>

#include <optional>
#include <vector>

// A failure the sync reports to the user as it is.
class SyncError : public ZilvarenError {
public:
    using ZilvarenError::ZilvarenError;
};
// The server refused the name and password.
class SyncAuthenticationError : public SyncError {
public:
    using SyncError::SyncError;
};

struct AddressBook {
    QUrl url;
    QString name;
};

// Where a server address leads: its address books, and the folder new
// ones are made in.
struct Discovery {
    std::vector<AddressBook> books;
    QUrl home;
};

// The cards of a book as the server lists them.
struct CardListing {
    std::vector<std::pair<QString, QByteArray>> cards; // href, ETag
    QStringList removed;                               // hrefs gone since the token
    QByteArray token;                                  // to ask from next time
    bool complete = false; // every card is listed: one not listed is gone
};

struct FetchedCard {
    QString href;
    QByteArray etag;
    QByteArray data; // the vCard's bytes
};

// The CardDAV requests the sync makes (RFC 6352, RFC 6578 for the
// changes since a token). Failures throw SyncError with a Turkish message.
class CardDavClient {
public:
    explicit CardDavClient(DavTransport& transport) : transport_(transport) {}

    // Given the book itself, the server, or a principal.
    Discovery discover(const QUrl& start);
    // Makes an address book named name in home.
    AddressBook createBook(const QUrl& home, const QString& name);

    // The changes since token (every card for an empty token); nullopt
    // when the server has no such report. Throws SyncTokenRejected when it
    // does not know the token.
    std::optional<CardListing> changesSince(const QUrl& book, const QByteArray& token);
    // Every card of the book by its ETag, with the book's token.
    CardListing listAll(const QUrl& book);
    // The cards of hrefs; a card gone meanwhile is left out.
    std::vector<FetchedCard> fetch(const QUrl& book, const QStringList& hrefs);

    struct Written {
        bool done = false; // false: the precondition failed (412)
        QByteArray etag;   // empty when the server sent none
    };
    // Writes a card: a new one (no etag: only if none is there) or over
    // the version of etag.
    Written put(const QString& href, const QByteArray& card, const QByteArray& etag);
    // Deletes the version of etag; false when it changed meanwhile.
    bool remove(const QString& href, const QByteArray& etag);

    QUrl urlOf(const QString& href) const;

private:
    DavResponse request(const QByteArray& method, const QUrl& url, const QByteArray& body,
                        const QList<std::pair<QByteArray, QByteArray>>& headers);
    [[noreturn]] void fail(const DavResponse& response, const QString& what) const;

    DavTransport& transport_;
    QUrl base_;
};

// The server no longer knows the sync token: the sync lists every card.
class SyncTokenRejected : public SyncError {
public:
    using SyncError::SyncError;
};
