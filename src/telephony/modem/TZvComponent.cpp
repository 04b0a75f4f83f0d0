#include "telephony/modem/TZvComponent.h"

#include "telephony/serial/TZvCustomComm.h"

void TZvCommComponent::SetComm(TZvCustomComm* comm) {
    if (comm == dispatcher_.Comm())
        return;
    if (dispatcher_.Comm())
        dispatcher_.Comm()->Detach(&dispatcher_);
    if (comm)
        comm->Attach(&dispatcher_);
}
