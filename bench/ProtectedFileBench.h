#pragma once

#include <QByteArray>

// What the protected form adds to a plain file, in milliseconds (medians):
// deriving a key with the default limits (once per opening, never per
// save), sealing a record file's bytes as a save does (into a device that
// takes them, the writing itself left out) and opening them again.
struct ProtectedFormTimes {
    double deriveKeyMs = 0;
    double protectMs = 0;
    double unprotectMs = 0;
};

ProtectedFormTimes timeProtectedForm(const QByteArray& plain);
