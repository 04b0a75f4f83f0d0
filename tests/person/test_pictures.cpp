#include "PictureSamples.h"
#include "TestSupport.h"
#include "person/PictureDecoding.h"
#include "person/PictureFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace pictures;
using namespace Qt::StringLiterals;

namespace {

const QSize kFrame(111, 136);

QString put(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString file = dir.filePath(name);
    QDir().mkpath(QFileInfo(file).absolutePath());
    writeFile(file, bytes);
    return file;
}

bool reddish(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fitting_data() {
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QRect>("shown");
        QTest::newRow("small keeps its size") << QSize(90, 110) << QRect(10, 13, 90, 110);
        QTest::newRow("wide is scaled by width") << QSize(400, 300) << QRect(1, 27, 108, 81);
        QTest::newRow("tall is scaled by height") << QSize(200, 1000) << QRect(42, 1, 26, 133);
        QTest::newRow("inner size exactly") << QSize(108, 133) << QRect(1, 1, 108, 133);
        QTest::newRow("one side reaching") << QSize(20, 133) << QRect(45, 1, 20, 133);
        QTest::newRow("a line never vanishes") << QSize(100000, 1) << QRect(1, 67, 108, 1);
    }
    void fitting() {
        QFETCH(QSize, natural);
        QFETCH(QRect, shown);
        QCOMPARE(fitIntoFrame(natural, kFrame), shown);
    }

    void numberedNames_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("person");
        QTest::addColumn<QStringList>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("free") << u"photo.jpg"_s << QStringList() << QStringList{u"a.qdb"_s}
                              << u"photo.jpg"_s;
        QTest::newRow("person has it")
            << u"photo.jpg"_s << QStringList{u"photo.jpg"_s} << QStringList() << u"photo1.jpg"_s;
        QTest::newRow("list and folder, any case")
            << u"photo.jpg"_s << QStringList{u"PHOTO.JPG"_s} << QStringList{u"Photo1.jpg"_s}
            << u"photo2.jpg"_s;
        QTest::newRow("another person's file")
            << u"photo.jpg"_s << QStringList() << QStringList{u"photo.jpg"_s} << u"photo1.jpg"_s;
        QTest::newRow("no extension")
            << u"scan"_s << QStringList{u"scan"_s} << QStringList() << u"scan1"_s;
        QTest::newRow("last dot") << u"a.b.jpg"_s << QStringList() << QStringList{u"a.b.jpg"_s}
                                  << u"a.b1.jpg"_s;
    }
    void numberedNames() {
        QFETCH(QString, file);
        QFETCH(QStringList, person);
        QFETCH(QStringList, folder);
        QFETCH(QString, name);
        QCOMPARE(numberedName(file, person, folder), name);
    }

    void resolvingEntries() {
        QTemporaryDir dir;
        const QString foto = put(dir, u"foto.jpg"_s, "x");
        const QString inner = put(dir, u"sub/Inner.jpg"_s, "x");
        QDir(dir.path()).mkdir(u"folder.jpg"_s);
        QCOMPARE(resolve(dir.path(), u"foto.jpg"_s), foto);
        QCOMPARE(resolve(dir.path(), u"FOTO.JPG"_s), foto);
        QCOMPARE(resolve(dir.path(), u"sub\\Inner.jpg"_s), inner);
        QCOMPARE(resolve(dir.path(), u"sub/inner.jpg"_s), inner);
        QCOMPARE(resolve(dir.path(), u"SUB\\INNER.JPG"_s), inner);
        QCOMPARE(resolve(dir.path() + u"/sub"_s, u"..\\Foto.jpg"_s), foto);
        QCOMPARE(resolve(u"/nowhere"_s, foto), foto);
        QCOMPARE(resolve(u"/nowhere"_s, foto.toUpper().replace(dir.path().toUpper(), dir.path())),
                 foto);
        QVERIFY(resolve(dir.path(), u"missing.jpg"_s).isEmpty());
        QVERIFY(resolve(dir.path(), u"folder.jpg"_s).isEmpty());
        QVERIFY(resolve(dir.path(), u""_s).isEmpty());
        QVERIFY(resolve(dir.path(), u"C:\\Resimler\\foto.jpg"_s).isEmpty());
    }

    void onlyBarePictureNamesMayLoseTheirFile_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("deletable");
        QTest::newRow("bare") << u"photo.jpg"_s << true;
        QTest::newRow("any case") << u"PHOTO.WMF"_s << true;
        QTest::newRow("folder part") << u"sub/photo.jpg"_s << false;
        QTest::newRow("windows folder") << u"sub\\photo.jpg"_s << false;
        QTest::newRow("absolute") << u"/tmp/photo.jpg"_s << false;
        QTest::newRow("parent") << u"../photo.jpg"_s << false;
        QTest::newRow("dots") << u".."_s << false;
        QTest::newRow("the record file") << u"kayit.qdb"_s << false;
        QTest::newRow("no extension") << u"photo"_s << false;
    }
    void onlyBarePictureNamesMayLoseTheirFile() {
        QFETCH(QString, entry);
        QFETCH(bool, deletable);
        QCOMPARE(mayDeleteFile(entry), deletable);
    }

    void deferredFileChanges() {
        QTemporaryDir parent;
        const QString folder = parent.filePath(u"records"_s);
        QDir().mkpath(folder);
        const QString outside = put(parent, u"outside.jpg"_s, "x");
        const QString shared = put(parent, u"records/shared.jpg"_s, "x");
        const QString own = put(parent, u"records/own.jpg"_s, "x");
        const QString copy = put(parent, u"records/copy1.jpg"_s, "x");
        const QString kept = put(parent, u"records/kept.jpg"_s, "x");
        const QString record = put(parent, u"records/kayit.qdb"_s, "x");
        const QString sub = put(parent, u"records/sub/deep.jpg"_s, "x");
        QStringList entries{u"SHARED.JPG"_s, u"kept.jpg"_s}; // what the persons name afterwards

        PendingFiles pending;
        pending.removedFromList(u"shared.jpg"_s);
        pending.removedFromList(u"own.jpg"_s);
        pending.removedFromList(u"../outside.jpg"_s);
        pending.removedFromList(outside);
        pending.removedFromList(u"sub\\deep.jpg"_s);
        pending.removedFromList(u"kayit.qdb"_s);
        pending.copiedIn(u"copy1.jpg"_s);
        pending.cancelled(folder, [&] { return entries; });
        for (const QString& f : {shared, own, outside, sub, record, kept})
            QVERIFY2(QFileInfo::exists(f), qPrintable(f)); // cancelling deletes no entry's file
        QVERIFY(!QFileInfo::exists(copy));                 // but takes the copy back
        QVERIFY(pending.isEmpty());

        pending.removedFromList(u"shared.jpg"_s);
        pending.removedFromList(u"own.jpg"_s);
        pending.removedFromList(u"../outside.jpg"_s);
        pending.removedFromList(outside);
        pending.removedFromList(u"sub\\deep.jpg"_s);
        pending.removedFromList(u"kayit.qdb"_s);
        pending.copiedIn(u"kept.jpg"_s);
        const PendingFiles::Changes confirmed = pending.take();
        QVERIFY(pending.isEmpty());
        // Once nothing can bring them back, only files no entry names go.
        const QStringList kept2 = deleteUnnamed(folder, confirmed.removed, entries);
        QCOMPARE(kept2, QStringList{u"shared.jpg"_s});
        QVERIFY(!QFileInfo::exists(own));
        for (const QString& f : {shared, outside, sub, record, kept})
            QVERIFY2(QFileInfo::exists(f), qPrintable(f));

        // A copy that another person names stays when the edit is cancelled.
        pending.copiedIn(u"kept.jpg"_s);
        pending.cancelled(folder, [&] { return entries; });
        QVERIFY(QFileInfo::exists(kept));
    }

    void decodingEachFormat_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("natural");
        const QImage red = samples::filled(64, 48, Qt::red);
        QTest::newRow("jpeg") << u"a.jpg"_s << samples::jpeg(red) << QSize(64, 48);
        QTest::newRow("progressive jpeg")
            << u"b.JPEG"_s << samples::jpeg(red, true) << QSize(64, 48);
        QTest::newRow("grey jpeg")
            << u"g.jpg"_s << samples::jpeg(red.convertToFormat(QImage::Format_Grayscale8))
            << QSize(64, 48);
        QTest::newRow("bmp") << u"c.bmp"_s << samples::encoded(red, "BMP") << QSize(64, 48);
        QTest::newRow("ico") << u"d.ico"_s
                             << samples::encoded(samples::filled(32, 32, Qt::red), "ICO")
                             << QSize(32, 32);
        QTest::newRow("wmf") << u"e.wmf"_s << samples::wmf() << QSize(200, 100);
        QTest::newRow("emf") << u"f.emf"_s << samples::emf() << QSize(200, 100);
    }
    void decodingEachFormat() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, natural);
        QTemporaryDir dir;
        const Picture p = loadPicture(put(dir, name, bytes), QSize());
        QCOMPARE(p.status, Picture::Shown);
        QCOMPARE(p.naturalSize, natural);
        QCOMPARE(p.image.size(), natural);
        if (!name.startsWith(u'g'))
            QVERIFY(reddish(p.image.pixel(p.image.width() / 2, p.image.height() / 2)));
        // Metafiles are drawn at the size they are shown at.
        const Picture framed = loadPicture(dir.filePath(name), kFrame);
        QCOMPARE(framed.naturalSize, natural);
        QVERIFY(framed.image.width() >= fitIntoFrame(natural, kFrame).width());
    }

    void progressiveSampleIsProgressive() {
        // SOF2 marks a progressive JPEG; without it the case above proves nothing.
        QVERIFY(samples::jpeg(samples::filled(8, 8, Qt::red), true).contains("\xFF\xC2"));
    }

    void badFilesCannotBeShown_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = samples::jpeg(samples::filled(300, 200, Qt::blue));
        QByteArray corrupt = good;
        for (qsizetype i = 20; i < corrupt.size() - 2; i += 7)
            corrupt[i] = char(0xFF);
        QTest::newRow("corrupt jpeg") << u"a.jpg"_s << corrupt;
        QTest::newRow("truncated jpeg") << u"b.jpg"_s << good.left(good.size() / 2);
        QTest::newRow("header only") << u"c.jpg"_s << good.left(4);
        QTest::newRow("empty jpeg") << u"d.jpg"_s << QByteArray();
        QTest::newRow("text as jpeg") << u"e.jpg"_s << QByteArray("merhaba");
        QTest::newRow("jpeg claiming a huge size")
            << u"f.jpg"_s << QByteArray::fromHex("ffd8ffc0000b08fff0fff00101001100ffd9");
        QTest::newRow("empty bmp") << u"g.bmp"_s << QByteArray();
        QTest::newRow("broken bmp") << u"h.bmp"_s << QByteArray("BM\x10\0\0\0garbage", 13);
        QTest::newRow("broken ico") << u"i.ico"_s << QByteArray("\0\0\1\0\1\0", 6);
        QTest::newRow("truncated wmf") << u"j.wmf"_s << samples::wmf().left(40);
        QTest::newRow("garbage wmf") << u"k.wmf"_s << QByteArray(300, 'x');
        QTest::newRow("truncated emf") << u"l.emf"_s << samples::emf().left(120);
        QTest::newRow("emf with a record past the end")
            << u"m.emf"_s << samples::emf().replace(108 + 4, 1, "\x7F");
        QTest::newRow("empty emf") << u"n.emf"_s << QByteArray();
    }
    void badFilesCannotBeShown() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const Picture p = loadPicture(put(dir, name, bytes), kFrame);
        QCOMPARE(p.status, Picture::Undecodable);
        QVERIFY(p.image.isNull());
        QCOMPARE(loadPicture(dir.filePath(u"missing.jpg"_s), kFrame).status, Picture::Missing);
    }

    void bigPhotographIsDecodedReduced() {
        QTemporaryDir dir;
        QImage big = samples::filled(6000, 4000, Qt::darkGreen);
        const QString file = put(dir, u"big.jpg"_s, samples::jpeg(big));
        big = QImage();
        const Picture p = loadPicture(file, kFrame);
        QCOMPARE(p.status, Picture::Shown);
        QCOMPARE(p.naturalSize, QSize(6000, 4000));
        QCOMPARE(p.image.size(), QSize(750, 500)); // an eighth, still above 108 x 72
        // Shown at its natural size, it is decoded whole.
        const Picture medium = loadPicture(
            put(dir, u"m.jpg"_s, samples::jpeg(samples::filled(400, 300, Qt::red))), kFrame);
        QCOMPARE(medium.image.size(), QSize(200, 150)); // half still covers 108 x 81
    }
};

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
