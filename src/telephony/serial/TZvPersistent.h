#pragma once

#include "telephony/serial/ZvCommTypes.h"

#include <functional>

// A group of port settings. A change notifies the owning port, which may
// refuse it by throwing; the field then keeps its old value. Between
// BeginUpdate and the matching EndUpdate changes are gathered into one
// notification.
class TZvPersistent {
public:
    virtual ~TZvPersistent() = default;

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

    std::function<void()> OnChange;

protected:
    template <typename T> void setField(T& field, T value) {
        if (field == value)
            return;
        const T old = field;
        field = value;
        try {
            Changed();
        } catch (...) {
            field = old;
            throw;
        }
    }

private:
    void Changed();

    int updateCount_ = 0;
};

class TZvFlowControl : public TZvPersistent {
public:
    bool OutCtsFlow() const { return outCtsFlow_; }
    bool OutDsrFlow() const { return outDsrFlow_; }
    TZvControlDtr ControlDtr() const { return controlDtr_; }
    TZvControlRts ControlRts() const { return controlRts_; }
    bool XonXoffOut() const { return xonXoffOut_; }
    bool XonXoffIn() const { return xonXoffIn_; }
    bool DsrSensitivity() const { return dsrSensitivity_; }
    bool TxContinueOnXoff() const { return txContinueOnXoff_; }

    void SetOutCtsFlow(bool v) { setField(outCtsFlow_, v); }
    void SetOutDsrFlow(bool v) { setField(outDsrFlow_, v); }
    void SetControlDtr(TZvControlDtr v) { setField(controlDtr_, v); }
    void SetControlRts(TZvControlRts v) { setField(controlRts_, v); }
    void SetXonXoffOut(bool v) { setField(xonXoffOut_, v); }
    void SetXonXoffIn(bool v) { setField(xonXoffIn_, v); }
    void SetDsrSensitivity(bool v) { setField(dsrSensitivity_, v); }
    void SetTxContinueOnXoff(bool v) { setField(txContinueOnXoff_, v); }

private:
    bool outCtsFlow_ = false;
    bool outDsrFlow_ = false;
    TZvControlDtr controlDtr_ = dtrDisabled;
    TZvControlRts controlRts_ = rtsDisabled;
    bool xonXoffOut_ = false;
    bool xonXoffIn_ = false;
    bool dsrSensitivity_ = false;
    bool txContinueOnXoff_ = false;
};

class TZvEventChars : public TZvPersistent {
public:
    quint8 XonChar() const { return xonChar_; }
    quint8 XoffChar() const { return xoffChar_; }
    quint8 ErrorChar() const { return errorChar_; }
    quint8 EventChar() const { return eventChar_; }
    quint8 EofChar() const { return eofChar_; }

    void SetXonChar(quint8 v) { setField(xonChar_, v); }
    void SetXoffChar(quint8 v) { setField(xoffChar_, v); }
    void SetErrorChar(quint8 v) { setField(errorChar_, v); }
    void SetEventChar(quint8 v) { setField(eventChar_, v); }
    void SetEofChar(quint8 v) { setField(eofChar_, v); }

private:
    quint8 xonChar_ = 17;
    quint8 xoffChar_ = 19;
    quint8 errorChar_ = 0;
    quint8 eventChar_ = 0;
    quint8 eofChar_ = 0;
};

class TZvBuffers : public TZvPersistent {
public:
    int ReadSize() const { return readSize_; }
    int WriteSize() const { return writeSize_; }
    int ReadTimeout() const { return readTimeout_; }
    int WriteTimeout() const { return writeTimeout_; }
    int XonLimit() const { return xonLimit_; }
    int XoffLimit() const { return xoffLimit_; }

    void SetReadSize(int v) { setField(readSize_, v); }
    void SetWriteSize(int v) { setField(writeSize_, v); }
    void SetReadTimeout(int v) { setField(readTimeout_, v); }
    void SetWriteTimeout(int v) { setField(writeTimeout_, v); }
    void SetXonLimit(int v) { setField(xonLimit_, v); }
    void SetXoffLimit(int v) { setField(xoffLimit_, v); }

private:
    int readSize_ = 4096;
    int writeSize_ = 2048;
    int readTimeout_ = 1000;
    int writeTimeout_ = 1000;
    int xonLimit_ = 1024;
    int xoffLimit_ = 1024;
};
