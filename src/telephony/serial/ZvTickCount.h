#pragma once

#include <QtGlobal>

#include <chrono>

// A 32-bit millisecond counter; differences of two readings stay right
// across its wrap when taken as unsigned.
inline quint32 zvTickCount() {
    using namespace std::chrono;
    return quint32(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
