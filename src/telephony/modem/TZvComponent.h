#pragma once

#include "telephony/modem/IZvCommUser.h"
#include "telephony/modem/TZvDispatcher.h"

class TZvComponent {
public:
    virtual ~TZvComponent() = default;
};

// Anything that attaches to a serial port. Setting Comm moves the
// component's dispatcher from the old port's users to the new one's.
class TZvCommComponent : public TZvComponent, public IZvCommUser {
public:
    TZvCommComponent() : dispatcher_(*this) {}
    TZvCommComponent(const TZvCommComponent&) = delete;
    TZvCommComponent& operator=(const TZvCommComponent&) = delete;

    TZvCustomComm* Comm() const { return dispatcher_.Comm(); }
    void SetComm(TZvCustomComm* comm);

    void HandleData(const char*, int) override {}
    void HandleCommEvent(quint32) override {}

protected:
    TZvDispatcher& Dispatcher() { return dispatcher_; }
    const TZvDispatcher& Dispatcher() const { return dispatcher_; }

private:
    TZvDispatcher dispatcher_;
};
