#pragma once

#include "telephony/modem/IZvCommUser.h"

class TZvCustomComm;

// The link a port keeps in its list of users. Only the port sets Comm
// (Attach, Detach); a dispatcher leaves its port's list when it goes.
class TZvDispatcher {
public:
    explicit TZvDispatcher(IZvCommUser& user) : user_(user) {}
    ~TZvDispatcher();
    TZvDispatcher(const TZvDispatcher&) = delete;
    TZvDispatcher& operator=(const TZvDispatcher&) = delete;

    TZvCustomComm* Comm() const { return comm_; }
    IZvCommUser& User() const { return user_; }
    // While false the port delivers nothing to the user.
    bool Active() const { return active_; }
    void SetActive(bool active) { active_ = active; }

    // False without a port, or when the port did not take the byte.
    bool WriteChar(char byte);
    // Nothing without a port.
    void Purge(int flags);

private:
    friend class TZvCustomComm;

    IZvCommUser& user_;
    TZvCustomComm* comm_ = nullptr;
    bool active_ = true;
};
