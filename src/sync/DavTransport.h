#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <utility>

// One WebDAV request to the server.
struct DavRequest {
    QByteArray method; // PROPFIND, REPORT, PUT, DELETE, MKCOL, GET
    QUrl url;
    QList<std::pair<QByteArray, QByteArray>> headers; // Depth, If-Match, Content-Type ...
    QByteArray body;
};

// What came back: an HTTP status, or no answer at all (status 0) with the
// reason in Turkish.
struct DavResponse {
    int status = 0;
    QByteArray body;
    QByteArray etag; // the ETag header, when the server sent one
    QString failure;
};

// How the sync talks to its server: one request at a time, waiting for the
// answer. The real one goes over the network; tests put a server of their
// own or one that fails on purpose in its place.
class DavTransport {
public:
    virtual ~DavTransport() = default;
    virtual DavResponse send(const DavRequest& request) = 0;
    // Stops the request under way and refuses the ones that follow.
    virtual void cancel() {}
};
