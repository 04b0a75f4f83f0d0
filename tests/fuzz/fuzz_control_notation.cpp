// Any text through the control notation: never longer than what went in,
// and what comes out is as the notation says.
#include "telephony/modem/TZvModem.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString out = TZvModem::DecodeControlNotation(text);
    if (out.size() > text.size())
        std::abort();
    // A control character only comes from a caret and an ASCII letter.
    for (QChar c : out)
        if (c.unicode() < 32 && !text.contains(c) && !text.contains(QLatin1Char('^')))
            std::abort();
    return 0;
}
