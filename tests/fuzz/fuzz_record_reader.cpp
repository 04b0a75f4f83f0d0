// Any bytes as a record file: no crash, no hang, every person filed.
#include "store/RecordFileReader.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    RecordFileData d;
    try {
        d = readRecordFile(buffer);
    } catch (const RecordFileError&) {
        return 0; // not a record file
    }
    quint64 filed = 0;
    for (const auto& g : d.groups->children)
        filed += g->MemberCount;
    if (filed != d.persons.size())
        std::abort();
    return 0;
}
