#include "platform/qt/DesktopShellOpener.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopShellOpener::open(const QString& target) {
    QDesktopServices::openUrl(QUrl::fromUserInput(target));
}
