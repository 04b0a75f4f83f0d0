// Read, write, read, write, read: from the second reading on, the records,
// groups, find state, settings and selection agree, and so do the bytes
// of the two writes.
#include "store/LoadedFile.h"
#include "store/RecordFileReader.h"
#include "store/RecordJson.h"

#include <QBuffer>

#include <cstdlib>

namespace {

RecordFileData readBytes(QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readRecordFile(buffer);
}

QByteArray written(RecordFileData& data) {
    const auto file = LoadedFile::fromData(data);
    return file->document.compose();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RecordFileData first;
    try {
        first = readBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const RecordFileError&) {
        return 0; // not a record file
    }
    if (first.error)
        return 0;
    const QByteArray once = written(first);
    RecordFileData second = readBytes(once);
    const QJsonObject secondJson = recordFileJson(second);
    const QByteArray twice = written(second);
    if (second.error || twice != once)
        std::abort();
    if (recordFileJson(readBytes(twice)) != secondJson)
        std::abort();
    return 0;
}
