// Every byte string survives decoding and encoding unchanged, and text
// that encodes cleanly decodes back to itself.
#include "platform/Cp1254.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString unencodable;
    if (cp1254::encode(cp1254::decode(bytes), &unencodable) != bytes || !unencodable.isEmpty())
        std::abort();
    const QString text = QString::fromUtf8(bytes);
    unencodable.clear();
    const QByteArray encoded = cp1254::encode(text, &unencodable);
    if (unencodable.isEmpty() && cp1254::decode(encoded) != text)
        std::abort();
    return 0;
}
