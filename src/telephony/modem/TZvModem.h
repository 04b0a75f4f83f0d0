#pragma once

#include "telephony/modem/TZvCustomModem.h"

class TZvModem : public TZvCustomModem {
public:
    using TZvCustomModem::Active;
    using TZvCustomModem::SetActive;
    using TZvCustomModem::Config;
    using TZvCustomModem::SetConfig;
    using TZvCustomModem::DialTimeout;
    using TZvCustomModem::SetDialTimeout;
    using TZvCustomModem::AnswerTimeout;
    using TZvCustomModem::SetAnswerTimeout;
    using TZvCustomModem::RingWaitTimeout;
    using TZvCustomModem::SetRingWaitTimeout;
    using TZvCustomModem::CommandTimeout;
    using TZvCustomModem::SetCommandTimeout;
    using TZvCustomModem::CharDelay;
    using TZvCustomModem::SetCharDelay;
    using TZvCustomModem::RingDetect;
    using TZvCustomModem::SetRingDetect;
    using TZvCustomModem::DtrDropDelay;
    using TZvCustomModem::SetDtrDropDelay;
    using TZvCustomModem::OnRingDetect;
    using TZvCustomModem::OnRingWaitTimeout;
    using TZvCustomModem::OnOK;
    using TZvCustomModem::OnBusy;
    using TZvCustomModem::OnVoice;
    using TZvCustomModem::OnNoCarrier;
    using TZvCustomModem::OnNoDialTone;
    using TZvCustomModem::OnError;
    using TZvCustomModem::OnConnect;
    using TZvCustomModem::OnAnswerTimeout;
    using TZvCustomModem::OnDialTimeout;
    using TZvCustomModem::OnCommandTimeout;
};
