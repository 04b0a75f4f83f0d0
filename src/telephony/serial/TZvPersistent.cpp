#include "telephony/serial/TZvPersistent.h"

void TZvPersistent::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0)
        Changed();
}

void TZvPersistent::Changed() {
    if (updateCount_ == 0 && OnChange)
        OnChange();
}
