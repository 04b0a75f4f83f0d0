#include "FakeDavServer.h"

#include <QRegularExpression>

namespace {

QByteArray escapedXml(const QByteArray& text) {
    QByteArray out = text;
    out.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
    return out;
}

QByteArray header(const DavRequest& r, const char* name) {
    for (const auto& [key, value] : r.headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

DavResponse multistatus(const QByteArray& inner) {
    return {207,
            "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\" "
            "xmlns:c=\"urn:ietf:params:xml:ns:carddav\">" +
                inner + "</d:multistatus>",
            {},
            {}};
}

QByteArray response(const QString& href, const QByteArray& props, int status = 200) {
    if (status != 200)
        return "<d:response><d:href>" + href.toUtf8() + "</d:href><d:status>HTTP/1.1 " +
               QByteArray::number(status) + " X</d:status></d:response>";
    return "<d:response><d:href>" + href.toUtf8() + "</d:href><d:propstat><d:prop>" + props +
           "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
}

QByteArray etagProp(const QByteArray& etag) {
    return "<d:getetag>" + etag + "</d:getetag>";
}

const QByteArray kBookType = "<d:resourcetype><d:collection/><c:addressbook/></d:resourcetype>";

} // namespace

FakeDavServer::FakeDavServer(QStringList books) : books_(std::move(books)) {}

QString FakeDavServer::cardPath(const QString& name, const QString& book) {
    return QStringLiteral("/u/%1/%2").arg(book, name);
}

void FakeDavServer::changed(const QString& path) {
    changes_.emplace_back(++sequence_, path);
}

void FakeDavServer::putCard(const QString& path, const QByteArray& vcard) {
    cards_[path] = {keepCards ? vcard : QByteArray(), "\"e" + QByteArray::number(++etags_) + '"'};
    changed(path);
}

void FakeDavServer::deleteCard(const QString& path) {
    cards_.remove(path);
    changed(path);
}

DavResponse FakeDavServer::send(const DavRequest& r) {
    ++requests;
    const QString path = r.url.path();
    log.append(QString::fromLatin1(r.method) + u' ' + path);
    if (dropAfter >= 0 && requests > dropAfter)
        return {0, {}, {}, QStringLiteral("Sunucu bağlantıyı yarıda kesti.")};
    if (failAfter >= 0 && requests > failAfter)
        return {503, "busy", {}, {}};
    if (r.method == "PROPFIND")
        return propfind(r, path);
    if (r.method == "REPORT")
        return report(r, path);
    if ((r.method == "PUT" || r.method == "DELETE") && beforeWrite)
        beforeWrite(path);
    if (r.method == "PUT")
        return put(r, path);
    if (r.method == "DELETE")
        return remove(r, path);
    if (r.method == "MKCOL") {
        const QString name = path.section(u'/', 2, 2);
        if (books_.contains(name))
            return {405, {}, {}, {}};
        books_.append(name);
        return {201, {}, {}, {}};
    }
    return {405, {}, {}, {}};
}

DavResponse FakeDavServer::propfind(const DavRequest& r, const QString& path) {
    const bool depth1 = header(r, "Depth") == "1";
    if (path == u"/" || path == u"/u" || path == u"/u/") {
        QByteArray inner = response(path, "<d:resourcetype><d:collection/></d:resourcetype>"
                                          "<d:current-user-principal><d:href>/u/</d:href>"
                                          "</d:current-user-principal><c:addressbook-home-set>"
                                          "<d:href>/u/</d:href></c:addressbook-home-set>");
        if (depth1 && path != u"/")
            for (const QString& book : books_)
                inner +=
                    response(QStringLiteral("/u/%1/").arg(book),
                             kBookType + "<d:displayname>" + book.toUtf8() + "</d:displayname>");
        return multistatus(inner);
    }
    const QString book = path.section(u'/', 2, 2);
    if (!books_.contains(book))
        return {404, {}, {}, {}};
    QByteArray inner = response(QStringLiteral("/u/%1/").arg(book),
                                kBookType + "<d:sync-token>tok-" + QByteArray::number(sequence_) +
                                    "</d:sync-token>");
    if (depth1)
        for (auto it = cards_.cbegin(); it != cards_.cend(); ++it)
            if (it.key().startsWith(QStringLiteral("/u/%1/").arg(book)))
                inner += response(it.key(), etagProp(it->etag));
    return multistatus(inner);
}

DavResponse FakeDavServer::report(const DavRequest& r, const QString& path) {
    const QString prefix = QStringLiteral("/u/%1/").arg(path.section(u'/', 2, 2));
    if (r.body.contains("sync-collection")) {
        if (!syncCollection)
            return {501, {}, {}, {}};
        static const QRegularExpression tokenRe(QStringLiteral("sync-token>([^<]*)<"));
        const QString token = tokenRe.match(QString::fromUtf8(r.body)).captured(1);
        QByteArray inner;
        if (token.isEmpty()) {
            for (auto it = cards_.cbegin(); it != cards_.cend(); ++it)
                if (it.key().startsWith(prefix))
                    inner += response(it.key(), etagProp(it->etag));
        } else {
            if (forgetTokens || !token.startsWith(u"tok-"))
                return {403, "<d:error xmlns:d=\"DAV:\"><d:valid-sync-token/></d:error>", {}, {}};
            const int since = token.mid(4).toInt();
            QSet<QString> seen;
            for (const auto& [seq, card] : changes_) {
                if (seq <= since || seen.contains(card) || !card.startsWith(prefix))
                    continue;
                seen.insert(card);
                inner += cards_.contains(card) ? response(card, etagProp(cards_[card].etag))
                                               : response(card, {}, 404);
            }
        }
        return multistatus(inner + "<d:sync-token>tok-" + QByteArray::number(sequence_) +
                           "</d:sync-token>");
    }
    // addressbook-multiget
    static const QRegularExpression hrefRe(QStringLiteral("href>([^<]*)<"));
    QByteArray inner;
    auto matches = hrefRe.globalMatch(QString::fromUtf8(r.body));
    while (matches.hasNext()) {
        const QString href = matches.next().captured(1);
        cardsFetched += cards_.contains(href) ? 1 : 0;
        inner += cards_.contains(href)
                     ? response(href, etagProp(cards_[href].etag) + "<c:address-data>" +
                                          escapedXml(cards_[href].data) + "</c:address-data>")
                     : response(href, {}, 404);
    }
    return multistatus(inner);
}

DavResponse FakeDavServer::put(const DavRequest& r, const QString& path) {
    const QByteArray ifMatch = header(r, "If-Match");
    const bool mustBeNew = header(r, "If-None-Match") == "*";
    if (conflictOnce.remove(path) || (mustBeNew && cards_.contains(path)) ||
        (!ifMatch.isEmpty() && cards_.value(path).etag != ifMatch))
        return {412, {}, {}, {}};
    const bool existed = cards_.contains(path);
    putCard(path, r.body);
    return {existed ? 204 : 201, {}, cards_[path].etag, {}};
}

DavResponse FakeDavServer::remove(const DavRequest& r, const QString& path) {
    const QByteArray ifMatch = header(r, "If-Match");
    if (conflictOnce.remove(path) ||
        (!ifMatch.isEmpty() && cards_.contains(path) && cards_.value(path).etag != ifMatch))
        return {412, {}, {}, {}};
    if (!cards_.contains(path))
        return {404, {}, {}, {}};
    deleteCard(path);
    return {204, {}, {}, {}};
}
