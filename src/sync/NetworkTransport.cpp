#include "sync/NetworkTransport.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QSslError>

namespace {

const QString kCancelled = QStringLiteral("Eşitleme durduruldu.");

QString failureOf(QNetworkReply& reply, const QList<QSslError>& sslErrors) {
    const QUrl url = reply.url();
    const QString where =
        url.host() + (url.port() > 0 ? QStringLiteral(":%1").arg(url.port()) : QString());
    switch (reply.error()) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Sunucu bağlantıyı kabul etmedi (%1). Sunucu çalışıyor mu?")
            .arg(where);
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Sunucu bulunamadı: %1.").arg(url.host());
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("Sunucu %1 saniyedir yanıt vermiyor (%2).")
            .arg(NetworkTransport::kSilenceSeconds)
            .arg(where);
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("Sunucu bağlantıyı yarıda kesti (%1).").arg(where);
    case QNetworkReply::SslHandshakeFailedError: {
        QStringList reasons;
        for (const QSslError& e : sslErrors)
            reasons.append(e.errorString());
        return QStringLiteral("Sunucunun güvenlik sertifikası doğrulanamadı (%1): %2\r"
                              "Doğrulanamayan bir sunucuya bağlanılmaz.")
            .arg(where,
                 reasons.isEmpty() ? reply.errorString() : reasons.join(QStringLiteral("; ")));
    }
    default:
        return QStringLiteral("Sunucuyla bağlantı kurulamadı (%1): %2")
            .arg(where, reply.errorString());
    }
}

} // namespace

NetworkTransport::NetworkTransport(const QString& user, const QString& password)
    : authorization_("Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64()) {}

void NetworkTransport::cancel() {
    cancelled_ = true;
    if (current_)
        current_->abort();
}

DavResponse NetworkTransport::send(const DavRequest& request) {
    DavResponse response;
    if (cancelled_) {
        response.failure = kCancelled;
        return response;
    }
    QNetworkRequest q(request.url);
    q.setRawHeader("Authorization", authorization_);
    q.setRawHeader("User-Agent", "Velmora/1.0");
    for (const auto& [name, value] : request.headers)
        q.setRawHeader(name, value);
    q.setTransferTimeout(kSilenceSeconds * 1000);
    q.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                   QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = manager_.sendCustomRequest(q, request.method, request.body);
    current_ = reply;
    QList<QSslError> sslErrors;
    QObject::connect(reply, &QNetworkReply::sslErrors, reply,
                     [&sslErrors](const QList<QSslError>& errors) { sslErrors = errors; });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (cancelled_)
        response = DavResponse{0, {}, {}, kCancelled};
    else if (response.status == 0)
        response.failure = failureOf(*reply, sslErrors);
    else {
        response.body = reply->readAll();
        response.etag = reply->rawHeader("ETag");
    }
    current_ = nullptr;
    reply->deleteLater();
    return response;
}
