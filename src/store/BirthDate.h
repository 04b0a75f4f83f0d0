#pragma once

#include <QDate>

// Birth dates are day counts from 30 December 1899 (the fraction, if any,
// being the time of day); 0 means not given.
namespace birthdate {

inline QDate epoch() { return QDate(1899, 12, 30); }

inline double fromDate(const QDate& d) { return double(epoch().daysTo(d)); }

inline QDate toDate(double days) {
    // The integral part is the date, truncated toward zero.
    return epoch().addDays(static_cast<qint64>(days));
}

} // namespace birthdate
