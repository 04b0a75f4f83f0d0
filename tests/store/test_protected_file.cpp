#include "TestSupport.h"
#include "store/ProtectedFile.h"
#include "store/RecordFileReader.h"

#include <QBuffer>
#include <QtEndian>
#include <QtTest>

#include <sodium.h>

namespace {

// Test-only: the cheapest key derivation. A file's own header names its
// limits, so these files open through the same reader as real ones.
constexpr KdfLimits kFast{crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN};
constexpr char kPassword[] = "Gizli ağaç";
const QString kName = QStringLiteral("personel.qdb");

// The layout as the README gives it.
constexpr qsizetype kHeaderSize = 125;
constexpr qsizetype kSealed = kProtectedChunkSize + 17;

SecretBytes password(const char* typed = kPassword) {
    return SecretBytes::fromText(QString::fromUtf8(typed));
}

// Record-like lines in code page 1254, numbered, so no two chunks are alike.
QByteArray plainOf(qsizetype size) {
    QByteArray plain;
    plain.reserve(size + 64);
    for (int n = 1; plain.size() < size; ++n)
        plain += "0 ID " + QByteArray::number(n) +
                 "\r\n1 NAME AY\xDE"
                 "E/YILMAZ/\r\n";
    plain.truncate(size);
    return plain;
}

QByteArray protect(const QByteArray& plain, const char* typed = kPassword) {
    return protectRecordBytes(plain, deriveNewFileKey(password(typed), kFast));
}

// What opening the file with a password gives: its plain bytes, or what the
// user is told.
struct Opened {
    QByteArray plain;
    QString refusal;
};

Opened openProtected(QByteArrayView file, const char* typed = kPassword) {
    QByteArray bytes = file.toByteArray();
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    try {
        const std::optional<FileKey> key = keyForFile(
            bytes.first(std::min(bytes.size(), kProtectedHeaderSize)), password(typed), kName);
        if (!key)
            return {{}, wrongPasswordMessage()};
        return {unprotectRecordFile(in, *key, kName), {}};
    } catch (const DamagedFileError& e) {
        return {{}, e.message()};
    }
}

// Takes bytes until it has taken capacity, then refuses as a full disk does.
class FullDisk : public QIODevice {
public:
    explicit FullDisk(qint64 capacity) : room_(capacity) { open(WriteOnly | Unbuffered); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        room_ -= size;
        if (room_ < 0)
            setErrorString(QStringLiteral("Diskte yer kalmadı."));
        return room_ < 0 ? -1 : size;
    }

private:
    qint64 room_;
};

const QString kDamaged = QStringLiteral("Dosya bozuk veya değiştirilmiş: personel.qdb");

// Three chunks, the last a short one.
QByteArray threeChunkFile() {
    static const QByteArray file = protect(plainOf(2 * kProtectedChunkSize + 5000));
    return file;
}

} // namespace

class TestProtectedFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data() {
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("empty") << qsizetype(0);
        QTest::newRow("a few lines") << qsizetype(300);
        QTest::newRow("exactly one chunk") << kProtectedChunkSize;
        QTest::newRow("one chunk and a byte") << kProtectedChunkSize + 1;
        QTest::newRow("exactly two chunks") << 2 * kProtectedChunkSize;
        QTest::newRow("three chunks and a piece") << 3 * kProtectedChunkSize + 1000;
    }
    void roundTrip() {
        QFETCH(qsizetype, size);
        const QByteArray plain = plainOf(size);
        const QByteArray file = protect(plain);
        QVERIFY(isProtectedRecordFile(file));
        QVERIFY(size == 0 || !file.contains("YILMAZ"));
        const Opened opened = openProtected(file);
        QCOMPARE(opened.refusal, QString());
        QCOMPARE(opened.plain, plain);
    }

    // Another program reading the file by the README alone, through libsodium.
    void readableFromTheDescribedLayout() {
        const QByteArray plain = plainOf(2 * kProtectedChunkSize + 77);
        const QByteArray file = protect(plain);
        const auto* b = reinterpret_cast<const unsigned char*>(file.constData());
        QVERIFY(file.startsWith("ZILVAREN-PROTECTED 1\n"));
        const quint64 ops = qFromLittleEndian<quint64>(b + 21);
        const quint64 mem = qFromLittleEndian<quint64>(b + 29);
        QCOMPARE(ops, kFast.opsLimit);
        QCOMPARE(mem, kFast.memLimit);

        unsigned char digest[16];
        crypto_generichash(digest, 16, b, 109, nullptr, 0);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(digest), 16), file.mid(109, 16));

        const QByteArray typed = QByteArray(kPassword);
        unsigned char master[32], streamKey[32], checkKey[32], check[32];
        QCOMPARE(crypto_pwhash(master, 32, typed.constData(), typed.size(), b + 37, ops, mem,
                               crypto_pwhash_ALG_ARGON2ID13),
                 0);
        crypto_kdf_derive_from_key(streamKey, 32, 1, "ZLVRFILE", master);
        crypto_kdf_derive_from_key(checkKey, 32, 2, "ZLVRFILE", master);
        crypto_generichash(check, 32, b, 77, checkKey, 32);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(check), 32), file.mid(77, 32));

        crypto_secretstream_xchacha20poly1305_state state;
        crypto_secretstream_xchacha20poly1305_init_pull(&state, b + 53, streamKey);
        QByteArray read;
        for (qsizetype at = kHeaderSize; at < file.size(); at += kSealed) {
            const qsizetype sealed = std::min(kSealed, file.size() - at);
            QByteArray piece(sealed - 17, Qt::Uninitialized);
            unsigned char tag = 0;
            QCOMPARE(crypto_secretstream_xchacha20poly1305_pull(
                         &state, reinterpret_cast<unsigned char*>(piece.data()), nullptr, &tag,
                         b + at, sealed, b, kHeaderSize),
                     0);
            const bool last = at + sealed == file.size();
            QCOMPARE(tag, static_cast<unsigned char>(
                              last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                   : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE));
            read += piece;
        }
        QCOMPARE(read, plain);
    }

    void wrongPassword_data() {
        QTest::addColumn<QByteArray>("typed");
        QTest::newRow("another word") << QByteArray("Parola");
        QTest::newRow("one letter short") << QByteArray("Gizli ağa");
        // Both would be '?' in a lossy encoding.
        QTest::newRow("ğ typed as ı") << QByteArray("Gizli aıaç");
    }
    void wrongPassword() {
        QFETCH(QByteArray, typed);
        const QByteArray file = protect(plainOf(1000));
        QCOMPARE(openProtected(file, typed.constData()).refusal, QStringLiteral("Parola yanlış."));
        QCOMPARE(openProtected(file).plain, plainOf(1000));
    }

    void flippedByteIsRefused_data() {
        QTest::addColumn<qsizetype>("at");
        QTest::newRow("the first line") << qsizetype(3);
        QTest::newRow("the version") << qsizetype(19);
        QTest::newRow("passes of the key derivation") << qsizetype(21);
        QTest::newRow("its memory") << qsizetype(32);
        QTest::newRow("salt") << qsizetype(40);
        QTest::newRow("stream header") << qsizetype(60);
        QTest::newRow("check value") << qsizetype(100);
        QTest::newRow("header digest") << qsizetype(124);
        QTest::newRow("first chunk's tag") << kHeaderSize;
        QTest::newRow("middle chunk") << kHeaderSize + kSealed + 30000;
        QTest::newRow("last chunk's text") << kHeaderSize + 2 * kSealed + 1000;
        QTest::newRow("last chunk's seal") << qsizetype(-1);
    }
    void flippedByteIsRefused() {
        QFETCH(qsizetype, at);
        QByteArray file = threeChunkFile();
        file[at < 0 ? file.size() + at : at] ^= 0x01;
        const Opened opened = openProtected(file);
        QCOMPARE(opened.refusal, kDamaged);
        QVERIFY(opened.plain.isEmpty());
    }

    void cutFileIsRefused_data() {
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("to nothing") << qsizetype(0);
        QTest::newRow("inside the header") << qsizetype(100);
        QTest::newRow("after the header") << kHeaderSize;
        QTest::newRow("less than a seal after the header") << kHeaderSize + 16;
        QTest::newRow("inside the first chunk") << kHeaderSize + 1000;
        QTest::newRow("at the first chunk's end") << kHeaderSize + kSealed;
        QTest::newRow("at the second chunk's end") << kHeaderSize + 2 * kSealed;
        QTest::newRow("by one byte") << qsizetype(-1);
        QTest::newRow("by a seal's size") << qsizetype(-17);
    }
    void cutFileIsRefused() {
        QFETCH(qsizetype, size);
        const QByteArray file = threeChunkFile();
        const Opened opened = openProtected(file.first(size < 0 ? file.size() + size : size));
        QCOMPARE(opened.refusal, kDamaged);
        QVERIFY(opened.plain.isEmpty());
    }

    void bytesAfterTheEndAreRefused_data() {
        QTest::addColumn<qsizetype>("plainSize");
        QTest::addColumn<QByteArray>("appended");
        QTest::newRow("a byte after a short last chunk") << qsizetype(1000) << QByteArray("x");
        QTest::newRow("a byte after a full last chunk")
            << 2 * kProtectedChunkSize << QByteArray("x");
        QTest::newRow("a seal's size after a full last chunk")
            << 2 * kProtectedChunkSize << QByteArray(17, '\0');
        QTest::newRow("an empty file's last chunk again") << qsizetype(0) << QByteArray();
    }
    void bytesAfterTheEndAreRefused() {
        QFETCH(qsizetype, plainSize);
        QFETCH(QByteArray, appended);
        QByteArray file = protect(plainOf(plainSize));
        file += appended.isEmpty() ? file.last(17) : appended;
        QCOMPARE(openProtected(file).refusal, kDamaged);
    }

    void chunksOutOfPlaceAreRefused() {
        const QByteArray file = threeChunkFile();
        const QByteArray header = file.first(kHeaderSize);
        const QByteArray first = file.mid(kHeaderSize, kSealed);
        const QByteArray second = file.mid(kHeaderSize + kSealed, kSealed);
        const QByteArray last = file.sliced(kHeaderSize + 2 * kSealed);
        QCOMPARE(openProtected(header + second + first + last).refusal, kDamaged);
        QCOMPARE(openProtected(header + first + last).refusal, kDamaged);
        // Two saves with one key: the header of one, the chunks of the other.
        const FileKey key = deriveNewFileKey(password(), kFast);
        const QByteArray saved = protectRecordBytes(plainOf(5000), key);
        const QByteArray savedAgain = protectRecordBytes(plainOf(5000), key);
        QCOMPARE(openProtected(saved.first(kHeaderSize) + savedAgain.sliced(kHeaderSize)).refusal,
                 kDamaged);
    }

    // However the plain bytes arrive, the file is the same: in particular a
    // last chunk that fills up exactly is still the final one.
    void writtenInPieces_data() {
        QTest::addColumn<qsizetype>("plainSize");
        QTest::addColumn<qsizetype>("pieceSize");
        for (const qsizetype size : {2 * kProtectedChunkSize, 2 * kProtectedChunkSize + 10}) {
            const QByteArray name = QByteArray::number(size) + " bytes in pieces of ";
            for (const qsizetype piece : {qsizetype(1), kProtectedChunkSize - 1,
                                          kProtectedChunkSize, kProtectedChunkSize + 1, size})
                QTest::newRow((name + QByteArray::number(piece)).constData()) << size << piece;
        }
    }
    void writtenInPieces() {
        QFETCH(qsizetype, plainSize);
        QFETCH(qsizetype, pieceSize);
        const QByteArray plain = plainOf(plainSize);
        QByteArray file;
        QBuffer out(&file);
        out.open(QIODevice::WriteOnly);
        ProtectedFileWriter writer(out, deriveNewFileKey(password(), kFast));
        for (qsizetype at = 0; at < plain.size(); at += pieceSize)
            QCOMPARE(writer.write(plain.sliced(at, std::min(pieceSize, plain.size() - at))),
                     std::min(pieceSize, plain.size() - at));
        QVERIFY(writer.finish());
        const qsizetype chunks = (plainSize + kProtectedChunkSize - 1) / kProtectedChunkSize;
        QCOMPARE(file.size(), kHeaderSize + plainSize + chunks * 17);
        QCOMPARE(openProtected(file).plain, plain);
    }

    // A save that could not write everything must not report success.
    void refusedWriteIsReported_data() {
        QTest::addColumn<qint64>("capacity");
        QTest::newRow("inside the header") << qint64(50);
        QTest::newRow("inside the first chunk") << qint64(kHeaderSize + 1000);
        QTest::newRow("at the last chunk") << qint64(kHeaderSize + 2 * kSealed);
    }
    void refusedWriteIsReported() {
        QFETCH(qint64, capacity);
        const QByteArray plain = plainOf(2 * kProtectedChunkSize + 5000);
        FullDisk disk(capacity);
        ProtectedFileWriter writer(disk, deriveNewFileKey(password(), kFast));
        const bool written = writer.write(plain) == plain.size();
        QVERIFY(!(written && writer.finish()));
        QCOMPARE(writer.errorString(), QStringLiteral("Diskte yer kalmadı."));
    }

    // A file that cannot be read is not called damaged: the reason is told.
    void unreadableFileIsNotDamaged() {
        const QByteArray file = threeChunkFile();
        const std::optional<FileKey> key = keyForFile(file, password(), kName);
        QVERIFY(key);
        for (const qint64 failAt : {qint64(10), kHeaderSize + kSealed + 10}) {
            FailingDevice in(file, failAt);
            try {
                unprotectRecordFile(in, *key, kName);
                QFAIL("read past a failing device");
            } catch (const DamagedFileError&) {
                QFAIL("a failing device taken for a damaged file");
            } catch (const RecordFileError& e) {
                QVERIFY(e.message().contains(QStringLiteral("Input/output error")));
            }
        }
    }

    void plainFileIsNotProtected_data() {
        QTest::addColumn<QByteArray>("firstBytes");
        QTest::addColumn<bool>("isProtected");
        QTest::newRow("a plain record file") << QByteArray("0 HEAD\r\n1 SOUR Velmora\r\n") << false;
        QTest::newRow("an empty file") << QByteArray() << false;
        QTest::newRow("the first line cut short") << QByteArray("ZILVAREN-PROTECTED") << false;
        QTest::newRow("a protected file's first bytes") << threeChunkFile().first(19) << true;
        QTest::newRow("a later version") << QByteArray("ZILVAREN-PROTECTED 2\n") << true;
    }
    void plainFileIsNotProtected() {
        QFETCH(QByteArray, firstBytes);
        QFETCH(bool, isProtected);
        QCOMPARE(isProtectedRecordFile(firstBytes), isProtected);
        if (!isProtected)
            QCOMPARE(openProtected(firstBytes).refusal, kDamaged);
    }

    // An open file's key saves again without the password; each save gets
    // a stream header of its own, or two saves would share a nonce.
    void savingAgainWithTheOpenFilesKey() {
        const QByteArray first = protect(plainOf(500));
        const std::optional<FileKey> key = keyForFile(first, password(), kName);
        QVERIFY(key);
        const QByteArray again = protectRecordBytes(plainOf(500), *key);
        const QByteArray changed = protectRecordBytes(plainOf(900), *key);
        QCOMPARE(again.first(53), first.first(53)); // line, limits, salt
        QVERIFY(again.mid(53, 24) != first.mid(53, 24));
        QVERIFY(changed.mid(53, 24) != again.mid(53, 24));
        QCOMPARE(openProtected(changed).plain, plainOf(900));
    }

    void changingThePasswordChangesTheSalt() {
        const FileKey old = deriveNewFileKey(password(), kFast);
        const FileKey renewed = deriveNewFileKey(password("Yeni parola"), kFast);
        const FileKey samePasswordAgain = deriveNewFileKey(password(), kFast);
        QVERIFY(renewed.salt() != old.salt());
        QVERIFY(samePasswordAgain.salt() != old.salt());
        const QByteArray file = protectRecordBytes(plainOf(500), renewed);
        QCOMPARE(openProtected(file).refusal, wrongPasswordMessage());
        QCOMPARE(openProtected(file, "Yeni parola").plain, plainOf(500));
    }

    // A header with a valid digest that asks for too much (or too little)
    // is damaged, and no key is derived from it.
    void limitsOutOfBoundsAreRefused_data() {
        QTest::addColumn<quint64>("ops");
        QTest::addColumn<quint64>("mem");
        QTest::newRow("too many passes") << kMaxKdfLimits.opsLimit + 1 << kFast.memLimit;
        QTest::newRow("too much memory") << kFast.opsLimit << kMaxKdfLimits.memLimit + 1;
        QTest::newRow("no passes") << quint64(0) << kFast.memLimit;
        QTest::newRow("too little memory") << kFast.opsLimit << kFast.memLimit - 1;
    }
    void limitsOutOfBoundsAreRefused() {
        QFETCH(quint64, ops);
        QFETCH(quint64, mem);
        QByteArray file = protect(plainOf(10));
        qToLittleEndian(ops, file.data() + 21);
        qToLittleEndian(mem, file.data() + 29);
        auto* b = reinterpret_cast<unsigned char*>(file.data());
        crypto_generichash(b + 109, 16, b, 109, nullptr, 0);
        QCOMPARE(openProtected(file).refusal, kDamaged);
    }
};

QTEST_GUILESS_MAIN(TestProtectedFile)
#include "test_protected_file.moc"
