#pragma once

#include <QDateTime>

// Where "now" comes from, so tests can fix it.
class Clock {
public:
    virtual ~Clock();
    virtual QDateTime now() const = 0;

    // The stored form of a time stamp: "dd.mm.yyyy  hh:nn:ss".
    static QString stamp(const QDateTime& t);
    QString stampNow() const { return stamp(now()); }
};

class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class ManualClock : public Clock {
public:
    explicit ManualClock(QDateTime t) : now_(std::move(t)) {}
    QDateTime now() const override { return now_; }
    void set(const QDateTime& t) { now_ = t; }

private:
    QDateTime now_;
};
