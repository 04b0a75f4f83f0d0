#include "telephony/modem/TZvTimer.h"

#include "telephony/serial/ZvExceptionHandler.h"

TZvTimer::TZvTimer() {
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Fire(); });
}

void TZvTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    UpdateTimer();
}

void TZvTimer::SetInterval(int interval) {
    if (interval == interval_)
        return;
    interval_ = interval;
    UpdateTimer();
}

void TZvTimer::SetOnTimer(std::function<void()> onTimer) {
    onTimer_ = std::move(onTimer);
    UpdateTimer();
}

void TZvTimer::UpdateTimer() {
    timer_.stop();
    if (interval_ == 0 || !enabled_ || !onTimer_)
        return;
    timer_.start(interval_);
    if (!timer_.isActive())
        throw EZvOutOfResources(QStringLiteral("No timer resources available."));
}

void TZvTimer::Fire() {
    // The handler may replace itself.
    const auto handler = onTimer_;
    try {
        handler();
    } catch (...) {
        handleZvException();
    }
}
