// Any bytes as a vCard file: no crash, no hang, every card numbered.
#include "interchange/VCardReader.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const VCardFile file = readVCards(buffer);
    for (size_t i = 0; i < file.cards.size(); ++i)
        if (file.cards[i].number != int(i) + 1)
            std::abort();
    return 0;
}
