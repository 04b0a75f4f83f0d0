#include "platform/FileProblems.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

QString systemReason(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Erişim izni yok.");
    case ENOENT:
        return QStringLiteral("Dosya ya da klasör bulunamadı.");
    case ENOTDIR:
        return QStringLiteral("Yolun bir parçası klasör değil.");
    case EISDIR:
        return QStringLiteral("Bu bir klasör, dosya değil.");
    case EROFS:
        return QStringLiteral("Dosya sistemi salt okunur.");
    case ENOSPC:
        return QStringLiteral("Diskte yer kalmadı.");
    case EFBIG:
        return QStringLiteral("Dosya, izin verilen en büyük boyutu aşıyor.");
    case EDQUOT:
        return QStringLiteral("Disk kotası doldu.");
    case EIO:
        return QStringLiteral("Disk okuma/yazma hatası.");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("Dosya başka bir program tarafından kullanılıyor.");
    case ENAMETOOLONG:
        return QStringLiteral("Dosya adı çok uzun.");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Açık dosya sayısı sınırına ulaşıldı.");
    case ENOMEM:
        return QStringLiteral("Bellek yetersiz.");
    case EXDEV:
        return QStringLiteral("Dosya başka bir dosya sistemine taşınamaz.");
    default:
        break;
    }
    QString text = QString::fromLocal8Bit(std::strerror(error));
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text + QLatin1Char('.');
}

std::optional<QString> unreadableReason(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return systemReason(errno);
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("Bu bir klasör, dosya değil.");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("Bu sıradan bir dosya değil (aygıt, FIFO ya da soket).");
    if (st.st_size > kMaxReadableFileSize)
        return QStringLiteral("Dosya 1 GB'tan büyük; bu kadar büyük bir dosya okunmaz.");
    return std::nullopt;
}

std::optional<QString> writeProtectionOf(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    const bool denied = ::access(name.constData(), W_OK) != 0 && (errno == EACCES || errno == EPERM);
    if (denied || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return QStringLiteral("Dosya salt okunur.");
    return std::nullopt;
}

std::optional<QString> openToRead(QFile& file) {
    if (auto reason = unreadableReason(file.fileName()))
        return reason;
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return systemReason(errno ? errno : EACCES);
    return std::nullopt;
}
