#pragma once

#include <QtGlobal>

// What a serial port hands to an attached user, on the user-interface
// thread.
class IZvCommUser {
public:
    virtual ~IZvCommUser() = default;
    virtual void HandleData(const char* data, int count) = 0;
    virtual void HandleCommEvent(quint32 mask) = 0;
};
