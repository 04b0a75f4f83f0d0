#pragma once

#include "platform/Errors.h"

#include <QTimer>

#include <functional>

class EZvOutOfResources : public ZilvarenError {
public:
    using ZilvarenError::ZilvarenError;
};

// A timer that runs only while it is Enabled, has an Interval above 0 and
// an OnTimer handler; any change of the three starts it afresh.
class TZvTimer {
public:
    TZvTimer();

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return interval_; }
    void SetInterval(int interval);
    void SetOnTimer(std::function<void()> onTimer);

private:
    void UpdateTimer();
    void Fire();

    bool enabled_ = true;
    int interval_ = 1000;
    std::function<void()> onTimer_;
    QTimer timer_;
};
