#include "ProtectedFileBench.h"

#include "BenchReport.h"

#include "store/ProtectedFile.h"

#include <QBuffer>

#include <optional>

namespace {

// Takes every byte and keeps none.
class Discard : public QIODevice {
public:
    Discard() { open(WriteOnly | Unbuffered); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override { return size; }
};

} // namespace

ProtectedFormTimes timeProtectedForm(const QByteArray& plain) {
    const SecretBytes password = SecretBytes::fromText(u"Bench parolası");
    std::optional<FileKey> key;
    ProtectedFormTimes times;
    times.deriveKeyMs = medianMs(3, [&] { key.emplace(deriveNewFileKey(password)); });
    times.protectMs = medianMs(5, [&] {
        Discard out;
        ProtectedFileWriter writer(out, *key);
        if (writer.write(plain) != plain.size() || !writer.finish())
            qFatal("sealing failed");
    });
    QByteArray file = protectRecordBytes(plain, *key);
    QBuffer in(&file);
    in.open(QIODevice::ReadOnly);
    QByteArray opened;
    times.unprotectMs = medianMs(
        5, [&] { opened = unprotectRecordFile(in, *key, QStringLiteral("bench")); },
        [&] {
            opened = QByteArray();
            in.seek(0);
        });
    if (opened != plain)
        qFatal("the protected form did not open to its plain bytes");
    return times;
}
