// Any byte stream from a modem: replies are assembled and recognised
// without a crash, whatever the configuration's reply strings.
#include "telephony/modem/TZvModem.h"

#include <QCoreApplication>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TZvModem modem;
    // The first line of the input, when it starts with "#", is the reply
    // terminator's configuration.
    const char* bytes = reinterpret_cast<const char*>(data);
    QStringList config = TZvModem::DefaultConfig();
    if (size > 2 && bytes[0] == '#') {
        config.append(QStringLiteral("RTERM=") + QString::fromLatin1(bytes + 1, 1));
        bytes += 2;
        size -= 2;
    }
    modem.SetConfig(config);
    int replies = 0;
    modem.OnOK = [&] { ++replies; };
    modem.OnConnect = [&](const QString&) { ++replies; };
    modem.HandleData(bytes, int(size));
    return 0;
}
