#pragma once

// Times vCard export and import of 100 000 persons against abook's
// conversion of the same persons from its own format to vCard, and prints
// the comparison.
void benchVCard();
