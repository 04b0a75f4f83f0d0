#pragma once

#include <QFlags>
#include <QtGlobal>

enum TZvBaudrate {
    brUser,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};

enum TZvParity { paNone, paOdd, paEven, paMark, paSpace };
enum TZvDatabits { db4 = 4, db5, db6, db7, db8 };
enum TZvStopbits { sb1, sb15, sb2 };
enum TZvControlDtr { dtrDisabled, dtrEnabled, dtrHandshake };
enum TZvControlRts { rtsDisabled, rtsEnabled, rtsHandshake, rtsToggle };

enum TZvCommOption { coErrorChar = 0x1, coNullStrip = 0x2, coParityCheck = 0x4 };
Q_DECLARE_FLAGS(TZvCommOptions, TZvCommOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TZvCommOptions)

// Each value is its bit in the event word that deliveries carry.
enum TZvCommEvent : quint32 {
    ceRxChar = 0x0001,
    ceRxFlag = 0x0002,
    ceTxEmpty = 0x0004,
    ceCts = 0x0008,
    ceDsr = 0x0010,
    ceRlsd = 0x0020,
    ceBreak = 0x0040,
    ceError = 0x0080,
    ceRing = 0x0100,
    cePErr = 0x0200,
    ceRx80Full = 0x0400,
    ceEvent1 = 0x0800,
    ceEvent2 = 0x1000
};
Q_DECLARE_FLAGS(TZvCommEvents, TZvCommEvent)
Q_DECLARE_OPERATORS_FOR_FLAGS(TZvCommEvents)

// Bits of the line-error word that Statistics reports and OnError receives.
enum TZvLineError : quint32 {
    leRxOver = 0x01,
    leOverrun = 0x02,
    leRxParity = 0x04,
    leFrame = 0x08,
    leBreak = 0x10
};

// Purge flags; the modem passes all four at once.
enum TZvPurge : int { puTxAbort = 0x1, puRxAbort = 0x2, puTxClear = 0x4, puRxClear = 0x8 };

enum TZvThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The device's view of the line settings, built afresh for every change.
struct ZvLineSettings {
    int baudrate = 0;
    TZvParity parity = paNone;
    int databits = 8;
    TZvStopbits stopbits = sb1;
    bool outCtsFlow = false;
    bool outDsrFlow = false;
    TZvControlDtr controlDtr = dtrDisabled;
    TZvControlRts controlRts = rtsDisabled;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
    bool dsrSensitivity = false;
    bool txContinueOnXoff = false;
    TZvCommOptions options;
    int xonLimit = 0;
    int xoffLimit = 0;
    quint8 xonChar = 0;
    quint8 xoffChar = 0;
    quint8 errorChar = 0;
    quint8 eventChar = 0;
    quint8 eofChar = 0;
};

struct TZvCommStatus {
    quint32 errors = 0; // TZvLineError bits
    int inQueue = 0;
    int outQueue = 0;
};
