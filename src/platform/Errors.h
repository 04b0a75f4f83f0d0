#pragma once

#include <QString>

#include <new>
#include <stdexcept>

// An error that stops an operation; the application's handler shows its
// message. Subclasses name where it came from.
class ZilvarenError : public std::runtime_error {
public:
    explicit ZilvarenError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// The text to show for any exception: a user cannot act on a bare
// "std::bad_alloc".
inline QString exceptionMessage(const std::exception& e) {
    if (const auto* z = dynamic_cast<const ZilvarenError*>(&e))
        return z->message();
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return QStringLiteral("Bellek yetersiz: işlem yarıda bırakıldı. Açık olan diğer "
                              "programları kapatıp yeniden deneyiniz.");
    return QStringLiteral("Beklenmeyen bir hata oluştu: ") + QString::fromUtf8(e.what());
}
