#pragma once

#include "telephony/serial/TZvCustomComm.h"

class TZvComm : public TZvCustomComm {
public:
    using TZvCustomComm::TZvCustomComm;

    using TZvCustomComm::AutoOpen;
    using TZvCustomComm::SetAutoOpen;
    using TZvCustomComm::Baudrate;
    using TZvCustomComm::SetBaudrate;
    using TZvCustomComm::Parity;
    using TZvCustomComm::SetParity;
    using TZvCustomComm::Databits;
    using TZvCustomComm::SetDatabits;
    using TZvCustomComm::Stopbits;
    using TZvCustomComm::SetStopbits;
    using TZvCustomComm::EventChars;
    using TZvCustomComm::FlowControl;
    using TZvCustomComm::Options;
    using TZvCustomComm::SetOptions;
    using TZvCustomComm::PortNum;
    using TZvCustomComm::SetPortNum;
    using TZvCustomComm::DeviceName;
    using TZvCustomComm::SetDeviceName;
    using TZvCustomComm::MonitorEvents;
    using TZvCustomComm::SetMonitorEvents;
    using TZvCustomComm::Buffers;
    using TZvCustomComm::EventPriority;
    using TZvCustomComm::SetEventPriority;
    using TZvCustomComm::WritePriority;
    using TZvCustomComm::SetWritePriority;
    using TZvCustomComm::DirectWrite;
    using TZvCustomComm::SetDirectWrite;
    using TZvCustomComm::UpdateDCB;
    using TZvCustomComm::SetUpdateDCB;
    using TZvCustomComm::UserBaudrate;
    using TZvCustomComm::SetUserBaudrate;
    using TZvCustomComm::OnOpen;
    using TZvCustomComm::OnClose;
    using TZvCustomComm::OnCts;
    using TZvCustomComm::OnDsr;
    using TZvCustomComm::OnRlsd;
    using TZvCustomComm::OnRing;
    using TZvCustomComm::OnBreak;
    using TZvCustomComm::OnRxFlag;
    using TZvCustomComm::OnTxEmpty;
    using TZvCustomComm::OnPErr;
    using TZvCustomComm::OnRx80Full;
    using TZvCustomComm::OnEvent1;
    using TZvCustomComm::OnEvent2;
    using TZvCustomComm::OnError;
    using TZvCustomComm::OnRxChar;
    using TZvCustomComm::OnRxBuf;
    using TZvCustomComm::Display;
    using TZvCustomComm::SetDisplay;
};
