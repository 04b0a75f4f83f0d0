#pragma once

#include "sync/DavTransport.h"

#include <QMap>
#include <QSet>
#include <QStringList>

#include <functional>

#include <vector>

// A CardDAV server in the same process, behind the sync's transport seam:
// one user "u" whose address books are /u/<name>/, ETags and sync tokens
// of its own, and faults on request. Changes "from another client" are
// made with putCard() and deleteCard().
class FakeDavServer : public DavTransport {
public:
    explicit FakeDavServer(QStringList books = {QStringLiteral("book")});
    DavResponse send(const DavRequest& request) override;

    static QString cardPath(const QString& name, const QString& book = QStringLiteral("book"));
    // Another client writes or deletes a card.
    void putCard(const QString& path, const QByteArray& vcard);
    void deleteCard(const QString& path);
    QByteArray card(const QString& path) const { return cards_.value(path).data; }
    QStringList cardPaths() const { return cards_.keys(); }

    // Faults: every request after failAfter answers 503; after dropAfter
    // none answers at all; a PUT or DELETE of a path in conflictOnce
    // answers 412 once (as if the card changed just before).
    int failAfter = -1;
    int dropAfter = -1;
    QSet<QString> conflictOnce;
    // Runs before a PUT or DELETE is looked at: another client's write
    // that comes just in between.
    std::function<void(const QString& path)> beforeWrite;
    bool syncCollection = true; // the server has the report
    bool forgetTokens = false;  // it answers every token as unknown
    bool keepCards = true;      // false: only ETags are kept (the benchmark's)
    int requests = 0;
    int cardsFetched = 0; // cards sent in multiget answers
    QStringList log;      // "METHOD path", in order

private:
    struct Card {
        QByteArray data;
        QByteArray etag;
    };
    DavResponse propfind(const DavRequest& r, const QString& path);
    DavResponse report(const DavRequest& r, const QString& path);
    DavResponse put(const DavRequest& r, const QString& path);
    DavResponse remove(const DavRequest& r, const QString& path);
    void changed(const QString& path);

    QStringList books_;
    QMap<QString, Card> cards_;
    std::vector<std::pair<int, QString>> changes_; // sequence, path
    int sequence_ = 0;
    int etags_ = 0;
};
