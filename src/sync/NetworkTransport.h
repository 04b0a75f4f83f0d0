#pragma once

#include "sync/DavTransport.h"

#include <QNetworkAccessManager>
#include <QPointer>

class QNetworkReply;

// Requests over HTTP(S) with the user's name and password (Basic, UTF-8),
// one connection kept open. A certificate that cannot be verified is
// refused, never passed over; a server that stays silent for half a
// minute is given up.
class NetworkTransport : public DavTransport {
public:
    NetworkTransport(const QString& user, const QString& password);
    DavResponse send(const DavRequest& request) override;
    void cancel() override;

    static constexpr int kSilenceSeconds = 30;

private:
    QNetworkAccessManager manager_;
    QByteArray authorization_;
    QPointer<QNetworkReply> current_;
    bool cancelled_ = false;
};
