#pragma once

#include "platform/Errors.h"

class EZvCommError : public ZilvarenError {
public:
    using ZilvarenError::ZilvarenError;
};

// Every device failure is reported the same way: the message with %d
// replaced by the error code and %s by the system's text for it.
[[noreturn]] void raiseCommError(const char* message, int error);
