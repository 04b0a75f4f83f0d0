#pragma once

#include "platform/Errors.h"

class EZvModemException : public ZilvarenError {
public:
    using ZilvarenError::ZilvarenError;
};
