#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QSocketNotifier>
#include <QString>

#include <memory>

// A pseudo-terminal pair whose far end plays a modem: it echoes what the
// port sends and answers command lines ("\r\n" reply "\r\n").
class PtyModem {
public:
    PtyModem();
    ~PtyModem();

    QString path() const { return path_; }
    // The reply to command lines starting with prefix (replacing an earlier
    // one for the same prefix); no reply = silence.
    void answer(const QByteArray& prefix, const QByteArray& reply);
    void send(const QByteArray& bytes);
    QByteArray received() const { return received_; }
    void setEcho(bool echo) { echo_ = echo; }
    int masterFd() const { return master_; }
    int slaveFd() const { return slave_; }

private:
    void readable();

    int master_ = -1;
    int slave_ = -1;
    QString path_;
    bool echo_ = true;
    QByteArray received_;
    QByteArray line_;
    QList<QPair<QByteArray, QByteArray>> answers_;
    std::unique_ptr<QSocketNotifier> notifier_;
};
