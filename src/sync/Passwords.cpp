#include "sync/Passwords.h"

#include <QEventLoop>

#include <qt6keychain/keychain.h>

namespace {

const QString kService = QStringLiteral("Velmora");

// Runs a key-store job to its end: a missing store answers at once.
void finish(QKeychain::Job& job) {
    job.setAutoDelete(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

QString passwordKey(const QString& server, const QString& user) {
    return user + QLatin1Char('@') + server;
}

std::optional<QString> Passwords::read(const QString& key) {
    if (const auto it = session_.constFind(key); it != session_.constEnd())
        return *it;
    std::optional<QString> stored = readStored(key);
    if (stored)
        session_.insert(key, *stored);
    return stored;
}

void Passwords::write(const QString& key, const QString& password, bool remember) {
    session_.insert(key, password);
    if (remember)
        writeStored(key, password);
    else
        forgetStored(key);
}

void Passwords::forget(const QString& key) {
    session_.remove(key);
    forgetStored(key);
}

std::optional<QString> KeychainPasswords::readStored(const QString& key) {
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(key);
    finish(job);
    if (job.error() != QKeychain::NoError)
        return std::nullopt;
    return job.textData();
}

void KeychainPasswords::writeStored(const QString& key, const QString& password) {
    QKeychain::WritePasswordJob job(kService);
    job.setKey(key);
    job.setTextData(password);
    finish(job);
}

void KeychainPasswords::forgetStored(const QString& key) {
    QKeychain::DeletePasswordJob job(kService);
    job.setKey(key);
    finish(job);
}
