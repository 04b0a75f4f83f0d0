#pragma once

#include <QHash>
#include <QString>

#include <optional>

// Where the sync keeps the passwords of its servers: the desktop's key
// store when there is one, and this session's memory always, so that
// where no key store runs the password is asked once per session. Never
// a file or the settings.
class Passwords {
public:
    virtual ~Passwords() = default;
    std::optional<QString> read(const QString& key);
    // remember: also into the key store.
    void write(const QString& key, const QString& password, bool remember);
    void forget(const QString& key);

protected:
    virtual std::optional<QString> readStored(const QString& key) = 0;
    virtual void writeStored(const QString& key, const QString& password) = 0;
    virtual void forgetStored(const QString& key) = 0;

private:
    QHash<QString, QString> session_;
};

// The desktop's key store (the Secret Service, through QtKeychain).
class KeychainPasswords : public Passwords {
protected:
    std::optional<QString> readStored(const QString& key) override;
    void writeStored(const QString& key, const QString& password) override;
    void forgetStored(const QString& key) override;
};

// The key of a server's password.
QString passwordKey(const QString& server, const QString& user);
