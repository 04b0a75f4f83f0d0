#include "telephony/modem/TZvDispatcher.h"

#include "telephony/serial/TZvCustomComm.h"

TZvDispatcher::~TZvDispatcher() {
    if (comm_)
        comm_->Detach(this);
}

bool TZvDispatcher::WriteChar(char byte) { return comm_ && comm_->WriteChar(byte); }

void TZvDispatcher::Purge(int flags) {
    if (comm_)
        comm_->Purge(flags);
}
