#include "platform/qt/ErrorReportingApplication.h"

#include "platform/Errors.h"
#include "platform/Prompts.h"

#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

ErrorReportingApplication::ErrorReportingApplication(int& argc, char** argv)
    : QApplication(argc, argv) {}

bool ErrorReportingApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        const QString message = exceptionMessage(e);
        if (prompts_)
            prompts_->showError(message);
        else
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
    return true;
}

void ErrorReportingApplication::installTurkishTranslation() {
    auto* translator = new QTranslator(this);
    if (translator->load(QStringLiteral("qtbase_tr"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
    else
        delete translator;
}
