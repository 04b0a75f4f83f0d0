#pragma once

#include "platform/Cp1254.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <cstring>

// Record file text in a test: '|' stands for the path separator byte and
// lines are joined with CR LF.
inline QByteArray recordBytes(const QStringList& lines) {
    QString text = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    text.replace(QLatin1Char('|'), QChar(0x00FF));
    return cp1254::encode(text);
}

inline QString path(const char* withBars) {
    QString s = QString::fromUtf8(withBars);
    s.replace(QLatin1Char('|'), QChar(0x00FF));
    return s;
}

inline void writeFile(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

inline QByteArray readFile(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void useTurkishLocale() { QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey)); }

// Serves its bytes up to failAt, then fails.
class FailingDevice : public QIODevice {
public:
    FailingDevice(QByteArray data, qint64 failAt) : data_(std::move(data)), failAt_(failAt) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* out, qint64 max) override {
        if (pos_ >= failAt_) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 n = std::min(max, failAt_ - pos_);
        memcpy(out, data_.constData() + pos_, size_t(n));
        pos_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray data_;
    qint64 failAt_, pos_ = 0;
};
