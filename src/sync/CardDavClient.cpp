#include "sync/CardDavClient.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCard = QStringLiteral("urn:ietf:params:xml:ns:carddav");
constexpr qsizetype kBatch = 100;

// One response element of a multistatus answer, with the properties the
// server found (those of a propstat with a 2xx status).
struct DavEntry {
    QString href;
    int status = 200;
    QByteArray etag;
    bool addressBook = false;
    bool collection = false;
    QString displayName;
    QString principal;
    QString home;
    QByteArray syncToken;
    QByteArray addressData;
};

struct Multistatus {
    std::vector<DavEntry> entries;
    QByteArray syncToken;
};

int statusOf(const QString& line) {
    // "HTTP/1.1 404 Not Found"
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

Multistatus parseMultistatus(const QByteArray& body) {
    Multistatus out;
    QXmlStreamReader xml(body);
    DavEntry entry;
    DavEntry found; // the properties of the propstat being read
    int propstatStatus = 200;
    bool inResponse = false, inPropstat = false;
    QStringList path; // local names from the root
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QString ns = xml.namespaceUri().toString();
            const QString name = xml.name().toString();
            path.append(name);
            if (ns == kDav && name == u"response") {
                inResponse = true;
                entry = DavEntry{};
            } else if (ns == kDav && name == u"propstat" && inResponse) {
                inPropstat = true;
                propstatStatus = 200;
                found = DavEntry{};
            }
            if (inPropstat && path.size() >= 2 && path[path.size() - 2] == u"resourcetype") {
                if (ns == kCard && name == u"addressbook")
                    found.addressBook = true;
                if (ns == kDav && name == u"collection")
                    found.collection = true;
            }
            if (ns == kDav && name == u"href" && path.size() >= 2) {
                const QString& owner = path[path.size() - 2];
                const QString text = xml.readElementText().trimmed();
                path.removeLast();
                // One spelling of a path, whatever the server's escaping.
                if (owner == u"response")
                    entry.href = QUrl(text).path(QUrl::FullyEncoded);
                else if (owner == u"current-user-principal")
                    found.principal = text;
                else if (owner == u"addressbook-home-set")
                    found.home = text;
                continue;
            }
            const bool text = (ns == kDav && (name == u"getetag" || name == u"displayname" ||
                                              name == u"status" || name == u"sync-token")) ||
                              (ns == kCard && name == u"address-data");
            if (!text)
                continue;
            const QString value = xml.readElementText();
            path.removeLast();
            if (name == u"status")
                (inPropstat ? propstatStatus : entry.status) = statusOf(value);
            else if (name == u"getetag")
                found.etag = value.trimmed().toUtf8();
            else if (name == u"displayname")
                found.displayName = value.trimmed();
            else if (name == u"address-data")
                found.addressData = value.toUtf8();
            else if (name == u"sync-token")
                (inResponse ? found.syncToken : out.syncToken) = value.trimmed().toUtf8();
        } else if (token == QXmlStreamReader::EndElement) {
            const QString ns = xml.namespaceUri().toString();
            const QString name = xml.name().toString();
            if (!path.isEmpty())
                path.removeLast();
            if (ns == kDav && name == u"propstat") {
                inPropstat = false;
                if (propstatStatus / 100 == 2) {
                    entry.etag = found.etag.isEmpty() ? entry.etag : found.etag;
                    entry.addressBook = entry.addressBook || found.addressBook;
                    entry.collection = entry.collection || found.collection;
                    if (!found.displayName.isEmpty())
                        entry.displayName = found.displayName;
                    if (!found.principal.isEmpty())
                        entry.principal = found.principal;
                    if (!found.home.isEmpty())
                        entry.home = found.home;
                    if (!found.syncToken.isEmpty())
                        entry.syncToken = found.syncToken;
                    if (!found.addressData.isEmpty())
                        entry.addressData = found.addressData;
                }
            } else if (ns == kDav && name == u"response") {
                inResponse = false;
                out.entries.push_back(std::move(entry));
            }
        }
    }
    if (xml.hasError())
        throw SyncError(QStringLiteral("Sunucunun yanıtı okunamadı: %1").arg(xml.errorString()));
    return out;
}

// A request body: an element of the DAV: or CardDAV namespace holding
// empty property elements.
class Body {
public:
    explicit Body(const char* root, bool card = false) : xml_(&bytes_) {
        xml_.writeStartDocument();
        xml_.writeNamespace(kDav, QStringLiteral("d"));
        xml_.writeNamespace(kCard, QStringLiteral("card"));
        xml_.writeStartElement(card ? kCard : kDav, QString::fromLatin1(root));
    }
    QXmlStreamWriter& xml() { return xml_; }
    void props(std::initializer_list<std::pair<bool, const char*>> names) {
        xml_.writeStartElement(kDav, QStringLiteral("prop"));
        for (const auto& [card, name] : names)
            xml_.writeEmptyElement(card ? kCard : kDav, QString::fromLatin1(name));
        xml_.writeEndElement();
    }
    QByteArray done() {
        xml_.writeEndDocument();
        return bytes_;
    }

private:
    QByteArray bytes_;
    QXmlStreamWriter xml_;
};

const QList<std::pair<QByteArray, QByteArray>> kXml = {
    {"Content-Type", "application/xml; charset=utf-8"}};

QList<std::pair<QByteArray, QByteArray>> withDepth(const char* depth) {
    auto headers = kXml;
    headers.append(std::pair<QByteArray, QByteArray>("Depth", depth));
    return headers;
}

bool samePath(const QUrl& a, const QUrl& b) {
    const auto trimmed = [](QString p) {
        while (p.endsWith(QLatin1Char('/')))
            p.chop(1);
        return p;
    };
    return trimmed(a.path()) == trimmed(b.path());
}

} // namespace

QUrl CardDavClient::urlOf(const QString& href) const {
    return base_.resolved(QUrl(href));
}

DavResponse CardDavClient::request(const QByteArray& method, const QUrl& url,
                                   const QByteArray& body,
                                   const QList<std::pair<QByteArray, QByteArray>>& headers) {
    if (base_.isEmpty())
        base_ = url;
    DavResponse r = transport_.send({method, url, headers, body});
    if (r.status == 0)
        throw SyncError(r.failure);
    if (r.status == 401)
        throw SyncAuthenticationError(
            QStringLiteral("Sunucu kullanıcı adını ya da şifreyi kabul etmedi."));
    return r;
}

void CardDavClient::fail(const DavResponse& response, const QString& what) const {
    throw SyncError(QStringLiteral("Sunucu %1 isteğini yerine getirmedi (HTTP %2).")
                        .arg(what)
                        .arg(response.status));
}

Discovery CardDavClient::discover(const QUrl& start) {
    Body body("propfind");
    body.props({{false, "resourcetype"},
                {false, "current-user-principal"},
                {true, "addressbook-home-set"},
                {false, "displayname"}});
    const QByteArray ask = body.done();
    DavResponse r = request("PROPFIND", start, ask, withDepth("0"));
    if (r.status != 207)
        throw SyncError(QStringLiteral("Bu adreste bir CardDAV sunucusu bulunamadı: %1 (HTTP %2).")
                            .arg(start.toString())
                            .arg(r.status));
    Discovery found;
    QUrl home;
    for (const DavEntry& e : parseMultistatus(r.body).entries) {
        if (!samePath(urlOf(e.href), start))
            continue;
        if (e.addressBook) {
            found.books.push_back({start, e.displayName});
            return found;
        }
        if (!e.home.isEmpty())
            home = urlOf(e.home);
        else if (!e.principal.isEmpty() && !samePath(urlOf(e.principal), start))
            return discover(urlOf(e.principal));
    }
    // A collection that is neither book nor principal may hold books.
    if (home.isEmpty())
        home = start;
    Body list("propfind");
    list.props({{false, "resourcetype"}, {false, "displayname"}});
    r = request("PROPFIND", home, list.done(), withDepth("1"));
    if (r.status != 207)
        fail(r, QStringLiteral("adres defterlerini listeleme"));
    found.home = home;
    for (const DavEntry& e : parseMultistatus(r.body).entries)
        if (e.addressBook)
            found.books.push_back({urlOf(e.href), e.displayName});
    return found;
}

AddressBook CardDavClient::createBook(const QUrl& home, const QString& name) {
    // A folder name of plain letters; the display name is the file's.
    QString slug;
    for (const QChar c : name)
        slug.append(c.isLetterOrNumber() && c.unicode() < 0x80 ? c.toLower() : QLatin1Char('-'));
    if (slug.isEmpty())
        slug = QStringLiteral("velmora");
    for (int attempt = 1;; ++attempt) {
        QUrl url = home;
        QString path = home.path();
        if (!path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        url.setPath(path + slug + (attempt > 1 ? QStringLiteral("-%1").arg(attempt) : QString()) +
                    QLatin1Char('/'));
        Body body("mkcol");
        QXmlStreamWriter& xml = body.xml();
        xml.writeStartElement(kDav, QStringLiteral("set"));
        xml.writeStartElement(kDav, QStringLiteral("prop"));
        xml.writeStartElement(kDav, QStringLiteral("resourcetype"));
        xml.writeEmptyElement(kDav, QStringLiteral("collection"));
        xml.writeEmptyElement(kCard, QStringLiteral("addressbook"));
        xml.writeEndElement();
        xml.writeTextElement(kDav, QStringLiteral("displayname"), name);
        xml.writeEndElement();
        xml.writeEndElement();
        const DavResponse r = request("MKCOL", url, body.done(), kXml);
        if (r.status == 201)
            return {url, name};
        // 405: something of that name is there already.
        if (r.status != 405 || attempt == 20)
            fail(r, QStringLiteral("adres defteri oluşturma"));
    }
}

std::optional<CardListing> CardDavClient::changesSince(const QUrl& book, const QByteArray& token) {
    Body body("sync-collection");
    QXmlStreamWriter& xml = body.xml();
    xml.writeTextElement(kDav, QStringLiteral("sync-token"), QString::fromUtf8(token));
    xml.writeTextElement(kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
    body.props({{false, "getetag"}});
    const DavResponse r = request("REPORT", book, body.done(), kXml);
    if (r.body.contains("valid-sync-token"))
        throw SyncTokenRejected(QStringLiteral("Sunucu eşitleme belirtecini tanımıyor."));
    if (r.status == 400 || r.status == 403 || r.status == 405 || r.status == 415 || r.status == 501)
        return std::nullopt; // no such report here
    if (r.status != 207)
        fail(r, QStringLiteral("değişiklikleri listeleme"));
    const Multistatus ms = parseMultistatus(r.body);
    CardListing listing;
    listing.token = ms.syncToken;
    listing.complete = token.isEmpty();
    for (const DavEntry& e : ms.entries) {
        if (samePath(urlOf(e.href), book))
            continue;
        if (e.status == 404)
            listing.removed.append(e.href);
        else if (!e.collection)
            listing.cards.emplace_back(e.href, e.etag);
    }
    return listing;
}

CardListing CardDavClient::listAll(const QUrl& book) {
    Body body("propfind");
    body.props({{false, "resourcetype"}, {false, "getetag"}, {false, "sync-token"}});
    const DavResponse r = request("PROPFIND", book, body.done(), withDepth("1"));
    if (r.status != 207)
        fail(r, QStringLiteral("kartları listeleme"));
    CardListing listing;
    listing.complete = true;
    for (const DavEntry& e : parseMultistatus(r.body).entries) {
        if (samePath(urlOf(e.href), book))
            listing.token = e.syncToken;
        else if (!e.collection)
            listing.cards.emplace_back(e.href, e.etag);
    }
    return listing;
}

std::vector<FetchedCard> CardDavClient::fetch(const QUrl& book, const QStringList& hrefs) {
    std::vector<FetchedCard> cards;
    for (qsizetype from = 0; from < hrefs.size(); from += kBatch) {
        Body body("addressbook-multiget", true);
        body.props({{false, "getetag"}, {true, "address-data"}});
        for (const QString& href : hrefs.mid(from, kBatch))
            body.xml().writeTextElement(kDav, QStringLiteral("href"), href);
        const DavResponse r = request("REPORT", book, body.done(), withDepth("1"));
        if (r.status != 207)
            fail(r, QStringLiteral("kartları alma"));
        for (DavEntry& e : parseMultistatus(r.body).entries)
            if (e.status / 100 == 2 && !e.addressData.isEmpty())
                cards.push_back({e.href, e.etag, std::move(e.addressData)});
    }
    return cards;
}

CardDavClient::Written CardDavClient::put(const QString& href, const QByteArray& card,
                                          const QByteArray& etag) {
    QList<std::pair<QByteArray, QByteArray>> headers = {
        {"Content-Type", "text/vcard; charset=utf-8"}};
    if (etag.isEmpty())
        headers.append(std::pair<QByteArray, QByteArray>("If-None-Match", "*"));
    else
        headers.append(std::pair<QByteArray, QByteArray>("If-Match", etag));
    const DavResponse r = request("PUT", urlOf(href), card, headers);
    if (r.status == 412)
        return {};
    if (r.status / 100 != 2)
        fail(r, QStringLiteral("kart yazma"));
    return {true, r.etag};
}

bool CardDavClient::remove(const QString& href, const QByteArray& etag) {
    QList<std::pair<QByteArray, QByteArray>> headers;
    if (!etag.isEmpty())
        headers.append(std::pair<QByteArray, QByteArray>("If-Match", etag));
    const DavResponse r = request("DELETE", urlOf(href), {}, headers);
    if (r.status == 412)
        return false;
    if (r.status / 100 != 2 && r.status != 404)
        fail(r, QStringLiteral("kart silme"));
    return true;
}
