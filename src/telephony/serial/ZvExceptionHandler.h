#pragma once

#include <exception>
#include <functional>

// Where an exception goes that a port delivery or a timer event cannot
// pass to a caller. Without a handler it is rethrown from a posted event,
// so the application's notify() shows it like any other.
using ZvExceptionHandler = std::function<void(const std::exception&)>;
void setZvExceptionHandler(ZvExceptionHandler handler);

// Call inside a catch block.
void handleZvException();
