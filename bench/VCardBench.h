#pragma once

// Times vCard export and import of 100 000 persons against abook's
// conversion of the same persons from its own format to vCard, and prints
// the comparison.
void benchVCard();

#include "store/PersonRecord.h"

#include <QByteArray>

#include <vector>

// The persons in abook's own file format, for abook to convert.
QByteArray abookFile(const std::vector<const PersonRecord*>& persons);
