#include "telephony/serial/ZvExceptionHandler.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <stdexcept>

namespace {

ZvExceptionHandler& handler() {
    static ZvExceptionHandler h;
    return h;
}

} // namespace

void setZvExceptionHandler(ZvExceptionHandler h) { handler() = std::move(h); }

void handleZvException() {
    std::exception_ptr error = std::current_exception();
    if (!handler()) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [error] { std::rethrow_exception(error); },
            Qt::QueuedConnection);
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        handler()(e);
    } catch (...) {
        handler()(std::runtime_error("unknown exception"));
    }
}
