#include "TestSupport.h"
#include "store/BirthDate.h"
#include "store/RecordFileReader.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

RecordFileData parse(const QStringList& lines) {
    QByteArray bytes = recordBytes(lines);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readRecordFile(buffer);
}

const GroupNode* child(const GroupNode& parent, const QString& name) {
    for (const auto& c : parent.children)
        if (c->Name == name)
            return c.get();
    return nullptr;
}

} // namespace

class TestRecordReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }

    void personBlockInAnyOrder() {
        const RecordFileData d = parse({QStringLiteral("0 HEAD"),
                                        QStringLiteral("0 ID 17"),
                                        QStringLiteral("1 SURN YILMAZ"),
                                        QStringLiteral("1 NAME AHMET"),
                                        QStringLiteral("1 ADRS"),
                                        QStringLiteral("2 HOM4 ANKARA"),
                                        QStringLiteral("2 HOM3 06100"),
                                        QStringLiteral("2 WRK3 06200"),
                                        QStringLiteral("2 COMP ORVAK"),
                                        QStringLiteral("1 BIRT"),
                                        QStringLiteral("2 DATE 05 03 1970"),
                                        QStringLiteral("2 PLAC ANKARA"),
                                        QStringLiteral("1 SEX F"),
                                        QStringLiteral("1 FAMS B"),
                                        QStringLiteral("1 PHON"),
                                        QStringLiteral("2 CONT GSM\t0532"),
                                        QStringLiteral("2 CONT Ev\t312"),
                                        QStringLiteral("1 OBJE"),
                                        QStringLiteral("2 CONT a.jpg"),
                                        QStringLiteral("2 INDX -1"),
                                        QStringLiteral("1 TIME"),
                                        QStringLiteral("2 EDIT 02.01.2006  10:00:00"),
                                        QStringLiteral("2 RECD 01.01.2006  09:00:00"),
                                        QStringLiteral("1 NOTE"),
                                        QStringLiteral("2 CONT line one"),
                                        QStringLiteral("2 CONT"),
                                        QStringLiteral("1 XXXX unknown"),
                                        QStringLiteral("2 XXXX unknown"),
                                        QStringLiteral("0 TRLR")});
        QVERIFY(!d.error);
        QCOMPARE(d.persons.size(), size_t(1));
        const PersonRecord& p = *d.persons[0];
        QCOMPARE(p.RecordNo, QStringLiteral("17"));
        QCOMPARE(p.FirstName, QStringLiteral("AHMET"));
        QCOMPARE(p.Surname, QStringLiteral("YILMAZ"));
        QCOMPARE(p.HomeCity, QStringLiteral("ANKARA"));
        QCOMPARE(p.HomePostCode, QStringLiteral("06100"));
        QCOMPARE(p.WorkPostCode, QStringLiteral("06200"));
        QCOMPARE(p.Firm, QStringLiteral("ORVAK"));
        QCOMPARE(p.BirthPlace, QStringLiteral("ANKARA"));
        QCOMPARE(birthdate::toDate(p.BirthDate), QDate(1970, 3, 5));
        QCOMPARE(p.Sex, QChar(u'F'));
        QCOMPARE(p.MaritalStatus, QChar(u'B'));
        QCOMPARE(p.Contacts, QStringList({QStringLiteral("GSM\t0532"), QStringLiteral("Ev\t312")}));
        QCOMPARE(p.Pictures, QStringList({QStringLiteral("a.jpg")}));
        QCOMPARE(p.PictureIndex, -1);
        QCOMPARE(p.RecordedAt, QStringLiteral("01.01.2006  09:00:00"));
        QCOMPARE(p.EditedAt, QStringLiteral("02.01.2006  10:00:00"));
        // "2 CONT" without its blank still counts: the value is empty.
        QCOMPARE(p.Notes, QStringList({QStringLiteral("line one"), QString()}));
        QCOMPARE(p.GroupPath, kNoGroupPath);
    }

    void fixedPositions() {
        const RecordFileData d = parse(
            {QStringLiteral("0 ID 1"), QStringLiteral("1 NAME "), QStringLiteral("1 SEX "),
             QStringLiteral("1 BIRT"), QStringLiteral("2 DATE 5 3 1970"), QStringLiteral("0 ID "),
             QStringLiteral("1 NAMEXYZ"), QStringLiteral("1 SEXM"), QStringLiteral("0 TRLR")});
        QCOMPARE(d.persons.size(), size_t(2));
        QCOMPARE(d.persons[0]->FirstName, QString());
        QVERIFY(d.persons[0]->Sex.isNull());
        // Unpadded numbers are read from the fixed places: day "5 " is no
        // number (1), month " 1" is 1, year "70".
        QCOMPARE(birthdate::toDate(d.persons[0]->BirthDate), QDate(70, 1, 1));
        QCOMPARE(d.persons[1]->RecordNo, QString());
        QCOMPARE(d.persons[1]->FirstName, QStringLiteral("YZ"));
        QVERIFY(d.persons[1]->Sex.isNull()); // "1 SEX " needs its blank
    }

    void headerRuns() {
        const RecordFileData d = parse({QStringLiteral("0 HEAD"),
                                        QStringLiteral("1 IDNO 7"),
                                        QStringLiteral("1 GRUP Aile|Kuz"),
                                        QStringLiteral("2 GRUP Aile"),
                                        QStringLiteral("2 GRUP aile|Kuz"),
                                        QStringLiteral("2 GRUP Aile|Kuz"),
                                        QStringLiteral("2 GRUP AİLE"),
                                        QStringLiteral("2 GRUP Eski"),
                                        QStringLiteral("1 FIND "),
                                        QStringLiteral("2 ITEM ali"),
                                        QStringLiteral("2 ITEM veli"),
                                        QStringLiteral("2 CHEK ID=1"),
                                        QStringLiteral("2 CHEK Tel=0"),
                                        QStringLiteral("2 CHEK Adres="),
                                        QStringLiteral("2 CHEK Tamami=1"),
                                        QStringLiteral("1 SETS "),
                                        QStringLiteral("2 CHEK SaveAndClose=1"),
                                        QStringLiteral("2 CHEK FindWords=20"),
                                        QStringLiteral("2 CHEK Panel_Grup_Height=150"),
                                        QStringLiteral("2 CHEK Panel_Main_Width=300"),
                                        QStringLiteral("0 TRLR")});
        QVERIFY(!d.error);
        QCOMPARE(d.focusedRecordNo, std::optional<QString>(QStringLiteral("7")));
        QCOMPARE(d.groups->children.size(), size_t(2)); // aile and AİLE are one group
        const GroupNode* aile = child(*d.groups, QStringLiteral("Aile"));
        QVERIFY(aile);
        QCOMPARE(aile->children.size(), size_t(1));
        QCOMPARE(d.groupToSelect, aile->children[0].get());
        QCOMPARE(d.findItems, QStringList({QStringLiteral("ali"), QStringLiteral("veli")}));
        QCOMPARE(d.findChecks[CheckID], std::optional<bool>(true));
        QCOMPARE(d.findChecks[CheckTel], std::optional<bool>(false));
        QCOMPARE(d.findChecks[CheckAdres], std::optional<bool>(false));
        QVERIFY(!d.findChecks[CheckTamami]); // never read
        QVERIFY(!d.findChecks[CheckNotlar]);
        QCOMPARE(d.saveAndClose, std::optional<bool>(true));
        QCOMPARE(d.findWords, std::optional<int>(20));
        QCOMPARE(d.panelGrupHeight, std::optional<int>(150));
        QCOMPARE(d.panelMainWidth, std::optional<int>(300));
    }

    void emptyHeaderGroupSelectsNothing() {
        const RecordFileData d = parse(
            {QStringLiteral("1 GRUP "), QStringLiteral("2 GRUP A"), QStringLiteral("0 TRLR")});
        QVERIFY(!d.groupToSelect);
        QCOMPARE(d.focusedGroupPath, QString());
    }

    void personPathsCreateAndCountGroups() {
        const RecordFileData d = parse({QStringLiteral("0 ID 1"), QStringLiteral("1 GRUP X|Y"),
                                        QStringLiteral("0 ID 2"), QStringLiteral("1 GRUP x|y"),
                                        QStringLiteral("0 ID 3"), QStringLiteral("1 GRUP X"),
                                        QStringLiteral("0 ID 4"), QStringLiteral("1 GRUP |Z"),
                                        QStringLiteral("0 ID 5"), QStringLiteral("0 TRLR")});
        const GroupNode* x = child(*d.groups, QStringLiteral("X"));
        QVERIFY(x);
        QCOMPARE(x->MemberCount, 3u);
        QCOMPARE(child(*x, QStringLiteral("Y"))->MemberCount, 2u);
        const GroupNode* empty = child(*d.groups, QString());
        QVERIFY(empty); // a leading separator names a group without a name
        QCOMPARE(child(*empty, QStringLiteral("Z"))->MemberCount, 1u);
        const GroupNode* none = child(*d.groups, kNoGroupPath);
        QVERIFY(none);
        QCOMPARE(none->MemberCount, 1u);
        QCOMPARE(d.groups->children.back().get(), none);
    }

    void countsFollowTheLastGroupLine() {
        const RecordFileData d = parse({QStringLiteral("0 ID 1"), QStringLiteral("1 GRUP A"),
                                        QStringLiteral("1 GRUP B"), QStringLiteral("0 TRLR")});
        QCOMPARE(d.persons[0]->GroupPath, QStringLiteral("B"));
        QCOMPARE(child(*d.groups, QStringLiteral("B"))->MemberCount, 1u);
        QVERIFY(!child(*d.groups, QStringLiteral("A")));
    }

    // Bytes with no line of a record file are refused whole, so the next
    // save cannot put an empty record file over an address book or a
    // picture; an empty file has nothing to lose.
    void otherFilesAreNotRecordFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("refused");
        QTest::newRow("address book") << QByteArray("Ad;Soyad;Cep\r\nAli;Kaya;0532\r\n") << true;
        QTest::newRow("picture") << QByteArray("\xFF\xD8\xFF\xE0\0\x10JFIF\0\n\x01\x02", 14)
                                 << true;
        QTest::newRow("settings only") << QByteArray("1 SETS \r\n2 CHEK FindWords=x\r\n") << true;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("trailer only") << QByteArray("0 TRLR\r\n") << false;
        QTest::newRow("person only") << QByteArray("0 ID 1\n1 NAME A\n") << false;
    }
    void otherFilesAreNotRecordFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, refused);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("rehber.txt"));
        writeFile(file, bytes);
        try {
            readRecordFile(file);
            QVERIFY(!refused);
        } catch (const RecordFileError& e) {
            QVERIFY(refused);
            QVERIFY2(e.message().startsWith(u'"' + file + QStringLiteral("\" bir kayıt dosyası değil")),
                     qPrintable(e.message()));
        }
    }

    void errorsStopReadingAndKeepWhatWasRead_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("persons");
        QTest::newRow("bad date") << QStringList{QStringLiteral("0 ID 1"),
                                                 QStringLiteral("0 ID 2"),
                                                 QStringLiteral("1 BIRT"),
                                                 QStringLiteral("2 DATE 31 02 1970"),
                                                 QStringLiteral("0 ID 3"),
                                                 QStringLiteral("0 TRLR")}
                                  << QStringLiteral("Invalid argument to date encode") << 2;
        QTest::newRow("year zero")
            << QStringList{QStringLiteral("0 ID 1"), QStringLiteral("1 BIRT"),
                           QStringLiteral("2 DATE 01 01 0000"), QStringLiteral("0 TRLR")}
            << QStringLiteral("Invalid argument to date encode") << 1;
        QTest::newRow("bad number")
            << QStringList{QStringLiteral("0 ID 1"),  QStringLiteral("0 TRLR"),
                           QStringLiteral("1 SETS "), QStringLiteral("2 CHEK FindWords=1x"),
                           QStringLiteral("0 ID 2"),  QStringLiteral("0 TRLR")}
            << QStringLiteral("'1x' is not a valid integer value") << 1;
        QTest::newRow("number cut to its length")
            << QStringList{QStringLiteral("0 HEAD"), QStringLiteral("1 SETS "),
                           QStringLiteral("2 CHEK Panel_Main_Width=123456789012345678901")}
            << QStringLiteral("'12345678901234567' is not a valid integer value") << 0;
        QTest::newRow("empty number")
            << QStringList{QStringLiteral("0 HEAD"), QStringLiteral("1 SETS "),
                           QStringLiteral("2 CHEK FindWords")}
            << QStringLiteral("'' is not a valid integer value") << 0;
    }
    void errorsStopReadingAndKeepWhatWasRead() {
        QFETCH(QStringList, lines);
        QFETCH(QString, message);
        QFETCH(int, persons);
        const RecordFileData d = parse(lines);
        QCOMPARE(d.error, std::optional<QString>(message));
        QCOMPARE(int(d.persons.size()), persons);
        // Every person read is filed, the one a bad line cut short too.
        quint32 filed = 0;
        for (const auto& g : d.groups->children)
            filed += g->MemberCount;
        QCOMPARE(int(filed), persons);
    }

    void errorLineIsTheBadLine() {
        const RecordFileData d =
            parse({QStringLiteral("0 ID 1"), QStringLiteral("1 BIRT"),
                   QStringLiteral("2 DATE 31 02 1970"), QStringLiteral("0 TRLR")});
        QCOMPARE(d.errorLine, 3);
        QCOMPARE(d.persons[0]->GroupPath, QStringLiteral("Belli Değil"));
    }

    // Each group line carries its whole path: a deep tree would make a
    // small file grow with the square of its depth on every save.
    void deepGroupTreesAreRefused() {
        QString deep;
        for (int i = 0; i < 2000; ++i)
            deep += (i ? QStringLiteral("|g") : QStringLiteral("g")) + QString::number(i);
        const RecordFileData d = parse({QStringLiteral("0 ID 1"), QStringLiteral("1 GRUP A"),
                                        QStringLiteral("1 GRUP ") + deep, QStringLiteral("0 ID 2"),
                                        QStringLiteral("0 TRLR")});
        QVERIFY(d.error && d.error->contains(QStringLiteral("64")));
        QCOMPARE(d.errorLine, 3);
        QCOMPARE(d.persons.size(), size_t(1));
        QCOMPARE(d.persons[0]->GroupPath, QStringLiteral("Belli Değil"));
        QString ok = QStringLiteral("g0");
        for (int i = 1; i < 64; ++i)
            ok += QStringLiteral("|g") + QString::number(i);
        QVERIFY(!parse({QStringLiteral("0 ID 1"), QStringLiteral("1 GRUP ") + ok}).error);
    }

    // One separator after a name ends it and an empty path names nothing;
    // only two separators in a row (or one in front) make an empty name.
    void groupPathsAreReadByNames() {
        const RecordFileData d = parse(
            {QStringLiteral("1 GRUP "), QStringLiteral("2 GRUP A"), QStringLiteral("2 GRUP A|"),
             QStringLiteral("2 GRUP "), QStringLiteral("2 GRUP B||"), QStringLiteral("2 GRUP |C"),
             QStringLiteral("0 ID 1"), QStringLiteral("1 GRUP istanbul|"),
             QStringLiteral("0 TRLR")});
        QStringList tops;
        for (const auto& g : d.groups->children)
            tops.append(g->Name + QLatin1Char('/') + QString::number(g->children.size()));
        QCOMPARE(tops, (QStringList{QStringLiteral("A/0"), QStringLiteral("B/1"),
                                    QStringLiteral("/1"), QStringLiteral("istanbul/0")}));
        const GroupNode* b = child(*d.groups, QStringLiteral("B"));
        QVERIFY(b->children[0]->Name.isEmpty());
        QCOMPARE(child(*d.groups, QStringLiteral("istanbul"))->MemberCount, quint32(1));
        QCOMPARE(FindPersonGroup(*d.groups, d.persons[0]->GroupPath)->Name,
                 QStringLiteral("istanbul"));
        QVERIFY(!d.groupToSelect);
    }

    // Anything but a regular file is refused before it is opened: a FIFO
    // would block for ever, a device never end.
    void onlyRegularFilesAreRead_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("device") << QStringLiteral("/dev/zero")
                                << QStringLiteral("sıradan bir dosya değil");
        QTest::newRow("folder") << QStringLiteral("/tmp") << QStringLiteral("klasör");
        QTest::newRow("missing") << QStringLiteral("/yok/kayit.qdb")
                                 << QStringLiteral("bulunamadı");
    }
    void onlyRegularFilesAreRead() {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        try {
            readRecordFile(path);
            QFAIL("read");
        } catch (const RecordFileError& e) {
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        }
    }

    void fifoAndHugeFilesAreRefused() {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("boru.qdb"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY_THROWS_EXCEPTION(RecordFileError, readRecordFile(fifo));
        const QString huge = dir.filePath(QStringLiteral("buyuk.qdb"));
        QFile f(huge);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize((qint64(1) << 30) + 1)); // sparse
        f.close();
        try {
            readRecordFile(huge);
            QFAIL("read");
        } catch (const RecordFileError& e) {
            QVERIFY(e.message().contains(QStringLiteral("1 GB")));
        }
    }

    void oddFilesDoNotCrash_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("persons");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("lone CR and LF") << QByteArray("0 ID 1\r1 NAME A\n0 ID 2\n\n1 NAME B") << 2;
        QTest::newRow("ends inside a run") << QByteArray("0 HEAD\r\n1 FIND \r\n2 ITEM x") << 0;
        QTest::newRow("ends inside a block") << QByteArray("0 ID 1\r\n1 PHON\r\n2 CONT x") << 1;
        QTest::newRow("empty lines") << QByteArray("\r\n\r\n0 ID 1\r\n\r\n1 NAME A\r\n\r\n") << 1;
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary.append(char((i * 7919) % 256));
        QTest::newRow("binary") << binary << -1; // not a record file
    }
    void oddFilesDoNotCrash() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, persons);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        if (persons < 0) {
            QVERIFY_THROWS_EXCEPTION(RecordFileError, readRecordFile(buffer));
            return;
        }
        const RecordFileData d = readRecordFile(buffer);
        QVERIFY(!d.error);
        QCOMPARE(int(d.persons.size()), persons);
    }

    void emptyLineInsideABlockIsSkipped() {
        const RecordFileData d = parse({QStringLiteral("0 ID 1"), QString(),
                                        QStringLiteral("1 NAME A"), QStringLiteral("0 TRLR")});
        QCOMPARE(d.persons[0]->FirstName, QStringLiteral("A"));
    }

    void hugeLine() {
        QByteArray bytes("0 ID 1\r\n1 NOTE\r\n2 CONT ");
        bytes.append(QByteArray(64 * 1024 * 1024, 'x'));
        bytes.append("\r\n0 TRLR\r\n");
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        const RecordFileData d = readRecordFile(buffer);
        QCOMPARE(d.persons.size(), size_t(1));
        QCOMPARE(d.persons[0]->Notes.first().size(), 64 * 1024 * 1024);
    }

    // The file is read in pieces of 64 KiB: a line, and a CR LF pair, that
    // a piece boundary cuts must come out whole, with the right numbers.
    void linesAcrossPieceBoundaries_data() {
        QTest::addColumn<QByteArray>("end");
        QTest::addColumn<int>("shift");
        for (const char* end : {"\r\n", "\n", "\r"})
            for (int shift = -2; shift <= 2; ++shift)
                QTest::addRow("%s %d",
                              end[1]           ? "CRLF"
                              : end[0] == '\n' ? "LF"
                                               : "CR",
                              shift)
                    << QByteArray(end) << shift;
    }
    void linesAcrossPieceBoundaries() {
        QFETCH(QByteArray, end);
        QFETCH(int, shift);
        const QByteArray head = "0 ID 1" + end + "1 NAME ";
        // The first line end of the name line falls at the boundary + shift.
        const qsizetype nameLength = 64 * 1024 + shift - head.size();
        QByteArray bytes = head + QByteArray(nameLength, 'A') + end + "1 SURN \xDE" + end +
                           "0 ID 2" + end + "1 NAME B" + end + "1 BIRT" + end +
                           "2 DATE 99 99 1999" + end + "0 TRLR";
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        const RecordFileData d = readRecordFile(buffer);
        QCOMPARE(d.persons.size(), size_t(2));
        QCOMPARE(d.persons[0]->FirstName.size(), nameLength);
        QCOMPARE(d.persons[0]->Surname, QStringLiteral("Ş"));
        QCOMPARE(d.persons[1]->FirstName, QStringLiteral("B"));
        QCOMPARE(d.errorLine, 7);
    }

    void deviceFailingPartWayGivesNothing() {
        QStringList lines;
        for (int i = 0; i < 20000; ++i)
            lines << QStringLiteral("0 ID %1").arg(i) << QStringLiteral("1 NAME ALİ");
        FailingDevice device(recordBytes(lines), 100 * 1024);
        QVERIFY_THROWS_EXCEPTION(RecordFileError, readRecordFile(device));
    }

    void missingFileThrows() {
        QTemporaryDir dir;
        QVERIFY_THROWS_EXCEPTION(RecordFileError,
                                 readRecordFile(dir.filePath(QStringLiteral("none.qdb"))));
    }

    void fileIntegers() {
        QCOMPARE(parseFileInteger(u" 12"), std::optional<int>(12));
        QCOMPARE(parseFileInteger(u"-3"), std::optional<int>(-3));
        QCOMPARE(parseFileInteger(u"12 "), std::nullopt);
        QCOMPARE(parseFileInteger(u"2147483648"), std::nullopt);
        QCOMPARE(parseFileInteger(u"-2147483648"), std::optional<int>(-2147483647 - 1));
        QCOMPARE(parseFileInteger(u""), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestRecordReader)
#include "test_record_reader.moc"
