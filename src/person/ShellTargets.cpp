#include "person/ShellTargets.h"

#include <QRegularExpression>
#include <QUrl>

namespace {

ShellTarget refused(const QString& entry, const QString& why) {
    return {QString(), QStringLiteral("\"%1\" açılmadı: %2").arg(entry, why)};
}

} // namespace

ShellTarget webTarget(const QString& entry) {
    const QString text = entry.trimmed();
    if (text.isEmpty() || text.contains(QRegularExpression(QStringLiteral("\\s"))))
        return refused(entry, QStringLiteral("web adresi boşluk içeremez."));
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):"));
    const auto match = scheme.match(text);
    QString candidate = text;
    if (match.hasMatch()) {
        const QString name = match.captured(1).toLower();
        // "host:8080/..." is a bare host with a port, not a scheme.
        const bool port = text.mid(match.capturedEnd()).front().isDigit();
        if (!port && name != u"http" && name != u"https")
            return refused(entry, QStringLiteral("yalnızca http ve https adresleri açılır."));
        if (port)
            candidate = QStringLiteral("http://") + text;
    } else {
        if (text.startsWith(QLatin1Char('/')) || text.startsWith(QLatin1Char('\\')) ||
            text.startsWith(QLatin1Char('.')))
            return refused(entry, QStringLiteral("bu bir dosya yolu, web adresi değil."));
        candidate = QStringLiteral("http://") + text;
    }
    const QUrl url(candidate, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return refused(entry, QStringLiteral("geçerli bir web adresi değil."));
    return {url.toString(QUrl::FullyEncoded), QString()};
}

ShellTarget mailTarget(const QString& entry) {
    const QString text = entry.trimmed();
    static const QRegularExpression address(QStringLiteral("^[^@\\s:/\\\\]+@[^@\\s:/\\\\]+$"));
    if (!address.match(text).hasMatch())
        return refused(entry, QStringLiteral("geçerli bir e-posta adresi değil."));
    return {QStringLiteral("mailto:") + text, QString()};
}
