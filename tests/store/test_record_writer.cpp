#include "TestSupport.h"
#include "platform/Cp1254.h"
#include "store/BirthDate.h"
#include "store/LoadedFile.h"
#include "store/RecordFileRewrite.h"
#include "store/RecordFileReader.h"
#include "store/RecordFileSaver.h"
#include "store/RecordFileWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QString compose(const std::vector<const PersonRecord*>& persons, const GroupNode& groups,
                const PersonRecord* focused = nullptr, const GroupNode* group = nullptr,
                const FindState& find = {}, const FileSettings& settings = {},
                const DifferentPersons& different = {}) {
    return cp1254::decode(
        composeRecordFile({persons, groups, focused, group, find, settings, different}));
}

QStringList lines(const QString& text) {
    QStringList l = text.split(QStringLiteral("\r\n"));
    l.removeLast(); // the last line ends with CR LF too
    return l;
}

// The lines of the persons' blocks alone.
QStringList personLines(const QString& text) {
    QStringList l = lines(text);
    while (!l.isEmpty() && !l.first().startsWith(QStringLiteral("0 ID ")))
        l.removeFirst();
    l.removeLast();
    return l;
}

} // namespace

class TestRecordWriter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }

    void emptyFile() {
        GroupNode root;
        const QString text = compose({}, root);
        QVERIFY(text.endsWith(QStringLiteral("0 TRLR\r\n")));
        QCOMPARE(lines(text), QStringList({QStringLiteral("0 HEAD"),
                                           QStringLiteral("1 SOUR Velmora"),
                                           QStringLiteral("2 VERS 1.0"),
                                           QStringLiteral("2 NAME Velmora"),
                                           QStringLiteral("2 CORP Orvak Software"),
                                           QStringLiteral("3 ADDR ") + kMakerStreet,
                                           QStringLiteral("4 CONT ") + kMakerCity,
                                           QStringLiteral("1 GRUP "),
                                           QStringLiteral("1 FIND "),
                                           QStringLiteral("2 CHEK ID=0"),
                                           QStringLiteral("2 CHEK AdSoyad=0"),
                                           QStringLiteral("2 CHEK Tel=0"),
                                           QStringLiteral("2 CHEK Adres=0"),
                                           QStringLiteral("2 CHEK Firma=0"),
                                           QStringLiteral("2 CHEK Notlar=0"),
                                           QStringLiteral("2 CHEK Grup=0"),
                                           QStringLiteral("2 CHEK Tamami=0"),
                                           QStringLiteral("1 SETS "),
                                           QStringLiteral("2 CHEK SaveAndClose=0"),
                                           QStringLiteral("2 CHEK FindWords=100"),
                                           QStringLiteral("2 CHEK Panel_Grup_Height=177"),
                                           QStringLiteral("2 CHEK Panel_Main_Width=305"),
                                           QStringLiteral("0 TRLR")}));
    }

    void headerWithSelectionGroupsAndFindState() {
        GroupNode root;
        GroupNode* aile = root.addChild(QStringLiteral("Aile"));
        GroupNode* kuz = aile->addChild(QStringLiteral("Kuzenler"));
        root.addChild(QStringLiteral("Eski"));
        PersonRecord p;
        p.RecordNo = QStringLiteral("7");
        FindState find;
        find.items = {QStringLiteral("ali")};
        find.checks[CheckTel] = true;
        find.checks[CheckTamami] = true;
        const QStringList l = lines(compose({&p}, root, &p, kuz, find));
        QCOMPARE(l.mid(7, 5),
                 QStringList({QStringLiteral("1 IDNO 7"), path("1 GRUP Aile|Kuzenler"),
                              QStringLiteral("2 GRUP Aile"), path("2 GRUP Aile|Kuzenler"),
                              QStringLiteral("2 GRUP Eski")}));
        QCOMPARE(l.mid(12, 2),
                 QStringList({QStringLiteral("1 FIND "), QStringLiteral("2 ITEM ali")}));
        QVERIFY(l.contains(QStringLiteral("2 CHEK Tel=1")));
        QVERIFY(l.contains(QStringLiteral("2 CHEK Tamami=1")));
    }

    void personBlock() {
        GroupNode root;
        PersonRecord p;
        p.RecordNo = QStringLiteral("17");
        p.FirstName = QStringLiteral("AHMET");
        p.Surname = QStringLiteral("YILMAZ");
        p.BirthPlace = QStringLiteral("ANKARA");
        p.BirthDate = birthdate::fromDate(QDate(1970, 3, 5));
        p.Sex = u'M';
        p.MaritalStatus = u'B';
        p.Contacts = {QStringLiteral("GSM\t0532 111 22 33")};
        p.HomePostCode = QStringLiteral("06100");
        p.HomeCity = QStringLiteral("ANKARA");
        p.GroupPath = QStringLiteral("Aile");
        p.RecordedAt = QStringLiteral("07.12.2006  10:15:00");
        QCOMPARE(
            personLines(compose({&p}, root)),
            QStringList({QStringLiteral("0 ID 17"), QStringLiteral("1 NAME AHMET"),
                         QStringLiteral("1 SURN YILMAZ"), QStringLiteral("1 BIRT"),
                         QStringLiteral("2 PLAC ANKARA"), QStringLiteral("2 DATE 05 03 1970"),
                         QStringLiteral("1 SEX M"), QStringLiteral("1 FAMS B"),
                         QStringLiteral("1 PHON"), QStringLiteral("2 CONT GSM\t0532 111 22 33"),
                         QStringLiteral("1 ADRS"), QStringLiteral("2 HOM3 06100"),
                         QStringLiteral("2 HOM4 ANKARA"), QStringLiteral("1 GRUP Aile"),
                         QStringLiteral("1 TIME"), QStringLiteral("2 RECD 07.12.2006  10:15:00")}));
    }

    void optionalLines() {
        GroupNode root;
        PersonRecord bare;
        bare.GroupPath = kNoGroupPath;
        QCOMPARE(personLines(compose({&bare}, root)),
                 QStringList({QStringLiteral("0 ID "), QStringLiteral("1 NAME "),
                              QStringLiteral("1 GRUP Belli Değil")}));
        PersonRecord pics = bare;
        pics.Pictures = {QStringLiteral("a.jpg")};
        pics.PictureIndex = -1;
        pics.HomeCity = QStringLiteral("İZMİR");
        QCOMPARE(personLines(compose({&pics}, root)).mid(2, 5),
                 QStringList({QStringLiteral("1 OBJE"), QStringLiteral("2 CONT a.jpg"),
                              QStringLiteral("2 INDX -1"), QStringLiteral("1 ADRS"),
                              QStringLiteral("2 HOM4 İZMİR")}));
    }

    void lineBreaksInValuesBecomeBlanks() {
        GroupNode root;
        PersonRecord p;
        p.RecordNo = QStringLiteral("1");
        p.Firm = QStringLiteral("A\r\nB");
        p.Notes = {QStringLiteral("x\ny")};
        const QString text = compose({&p}, root);
        QVERIFY(lines(text).contains(QStringLiteral("2 COMP A  B")));
        QVERIFY(lines(text).contains(QStringLiteral("2 CONT x y")));
        const RecordFileData back = parseRecordText(text);
        QCOMPARE(back.persons.size(), size_t(1));
        QCOMPARE(back.persons[0]->Firm, QStringLiteral("A  B"));
    }

    void earlyBirthDateIsKept() {
        GroupNode root;
        PersonRecord p;
        p.RecordNo = QStringLiteral("1");
        p.BirthDate = birthdate::fromDate(QDate(1850, 6, 1));
        QVERIFY(p.BirthDate < 0);
        const RecordFileData back = parseRecordText(compose({&p}, root));
        QCOMPARE(birthdate::toDate(back.persons[0]->BirthDate), QDate(1850, 6, 1));
    }

    // What the writer produced reads back the same and is written again
    // byte for byte.
    void roundTrip() {
        const QByteArray original = recordBytes({QStringLiteral("0 HEAD"),
                                                 QStringLiteral("1 IDNO 2"),
                                                 QStringLiteral("1 GRUP Aile|Kuz"),
                                                 QStringLiteral("2 GRUP Aile"),
                                                 QStringLiteral("2 GRUP Aile|Kuz"),
                                                 QStringLiteral("1 FIND "),
                                                 QStringLiteral("2 ITEM ışık"),
                                                 QStringLiteral("2 CHEK Grup=1"),
                                                 QStringLiteral("1 SETS "),
                                                 QStringLiteral("2 CHEK SaveAndClose=1"),
                                                 QStringLiteral("2 CHEK FindWords=12"),
                                                 QStringLiteral("0 ID 1"),
                                                 QStringLiteral("1 NAME ŞÜKRÜ"),
                                                 QStringLiteral("1 GRUP Aile"),
                                                 QStringLiteral("0 ID 2"),
                                                 QStringLiteral("1 NAME ÇAĞLA"),
                                                 QStringLiteral("1 NOTE"),
                                                 QStringLiteral("2 CONT a\tb"),
                                                 QStringLiteral("1 GRUP Aile|Kuz"),
                                                 QStringLiteral("0 TRLR")});
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.qdb"));
        const QString out = dir.filePath(QStringLiteral("out.qdb"));
        const QString again = dir.filePath(QStringLiteral("again.qdb"));
        writeFile(in, original);
        LoadedFile::read(in)->save(out);
        LoadedFile::read(out)->save(again);
        QCOMPARE(readFile(again), readFile(out));

        auto first = LoadedFile::read(out);
        QCOMPARE(first->document.persons().focusedPerson()->RecordNo, QStringLiteral("2"));
        QCOMPARE(BuildGroupPath(first->document.groups().focusedGroup()), path("Aile|Kuz"));
        QCOMPARE(first->document.find().items, QStringList({QStringLiteral("ışık")}));
        QVERIFY(first->document.find().checks[CheckGrup]);
        QVERIFY(first->document.settings().saveAndClose);
        QCOMPARE(first->document.settings().findWords, 12);
        QCOMPARE(first->document.persons().personAt(0)->FirstName, QStringLiteral("ŞÜKRÜ"));
        QCOMPARE(first->document.persons().personAt(1)->Notes,
                 QStringList({QStringLiteral("a\tb")}));
        QCOMPARE(first->document.groups().root().children[0]->MemberCount, 2u);
    }

    // The command-line tool rewrites a file a person at a time; the bytes
    // are those of reading it whole, changing it and saving it, wherever
    // the file names its focused person.
    void rewritingEqualsReadingWhole_data() {
        QTest::addColumn<QStringList>("head");
        QTest::addColumn<QStringList>("tail");
        const QStringList none;
        QTest::newRow("named before") << QStringList{QStringLiteral("1 IDNO 2")} << none;
        QTest::newRow("not named") << none << none;
        QTest::newRow("naming nobody") << QStringList{QStringLiteral("1 IDNO 9")} << none;
        QTest::newRow("named after") << none << QStringList{QStringLiteral("1 IDNO 3")};
        QTest::newRow("named twice")
            << QStringList{QStringLiteral("1 IDNO 1")} << QStringList{QStringLiteral("1 IDNO 3")};
    }
    void rewritingEqualsReadingWhole() {
        QFETCH(QStringList, head);
        QFETCH(QStringList, tail);
        QStringList lines = head;
        lines << QStringLiteral("2 GRUP Aile") << QStringLiteral("0 ID 1")
              << QStringLiteral("1 PHON") << QStringLiteral("2 CONT GSM\t0532 111 22 33")
              << QStringLiteral("0 ID 3") << QStringLiteral("1 GRUP Yeni|Alt")
              << QStringLiteral("0 ID 2") << QStringLiteral("1 NAME ÇAĞLA") << tail
              << QStringLiteral("0 TRLR");
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.qdb"));
        writeFile(in, recordBytes(lines));
        const QString whole = dir.filePath(QStringLiteral("whole.qdb"));
        const QString streamed = dir.filePath(QStringLiteral("streamed.qdb"));
        LoadedFile::read(in)->save(whole);
        rewriteRecordFile(in, streamed);
        QCOMPARE(readFile(streamed), readFile(whole));

        // A change of each person, as the renumbering tool makes it.
        auto file = LoadedFile::read(in);
        int n = 0;
        file->document.persons().forEachPerson(
            [&n](PersonRecord& p) { p.RecordNo = QString::number(++n * 10); });
        file->save(whole);
        rewriteRecordFile(in, streamed, [] {
            auto n = std::make_shared<int>(0);
            return RecordFileEdit{[n](PersonRecord& p) { p.RecordNo = QString::number(++*n * 10); },
                                  {}};
        });
        QCOMPARE(readFile(streamed), readFile(whole));
    }

    void backupName() {
        QCOMPARE(backupFileName(QStringLiteral("/a/personel.qdb")),
                 QStringLiteral("/a/personel.BAK"));
        QCOMPARE(backupFileName(QStringLiteral("/a.b/personel")),
                 QStringLiteral("/a.b/personel.BAK"));
        QCOMPARE(backupFileName(QStringLiteral("x.y.qdb")), QStringLiteral("x.y.BAK"));
        // A backup opened to recover from never becomes its own backup.
        QCOMPARE(backupFileName(QStringLiteral("/a/personel.BAK")),
                 QStringLiteral("/a/personel.BAK.BAK"));
        QCOMPARE(backupFileName(QStringLiteral("/a/personel.bak")),
                 QStringLiteral("/a/personel.bak.BAK"));
    }

    void savingABackupFileKeepsIt() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("personel.BAK"));
        writeFile(file, "old");
        saveRecordFile(file, "new");
        QCOMPARE(readFile(file), QByteArray("new"));
        QCOMPARE(readFile(file + QStringLiteral(".BAK")), QByteArray("old"));
    }

    void savingThroughALinkSavesItsTarget() {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("real"));
        const QString target = dir.filePath(QStringLiteral("real/personel.qdb"));
        const QString link = dir.filePath(QStringLiteral("kisayol.qdb"));
        writeFile(target, "old");
        QVERIFY(QFile::link(target, link));
        saveRecordFile(link, "new");
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readFile(link), QByteArray("new"));
        QCOMPARE(readFile(dir.filePath(QStringLiteral("real/personel.BAK"))), QByteArray("old"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("kisayol.BAK"))));
    }

    void firstAndSecondSave() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("personel.qdb"));
        const QString bak = dir.filePath(QStringLiteral("personel.BAK"));
        saveRecordFile(file, "one");
        QVERIFY(!QFile::exists(bak));
        saveRecordFile(file, "two");
        QCOMPARE(readFile(file), QByteArray("two"));
        QCOMPARE(readFile(bak), QByteArray("one"));
        saveRecordFile(file, "three");
        QCOMPARE(readFile(bak), QByteArray("two"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2); // no temporary left
    }

    void failedSavesChangeNothing() {
        if (geteuid() == 0)
            QSKIP("permissions do not stop root");
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("personel.qdb"));
        saveRecordFile(file, "old");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY_THROWS_EXCEPTION(ZilvarenError, saveRecordFile(file, "new"));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(readFile(file), QByteArray("old"));
    }

    void missingFolderIsReported() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("none/personel.qdb"));
        try {
            saveRecordFile(file, "x");
            QFAIL("no error");
        } catch (const ZilvarenError& e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Cannot create file ") + file +
                                            QStringLiteral("\rGeçici dosya oluşturulamadı: "
                                                           "Dosya ya da klasör bulunamadı.")),
                     qPrintable(e.message()));
        }
    }

    // The disk fills while the new content is written: at the first
    // refused byte, or past the writer's buffer. The file and the backup
    // of before stay as they were, no temporary file is left, and the
    // message names the step.
    void writeThatFailsPartWayChangesNothing_data() {
        QTest::addColumn<qint64>("limit");
        QTest::newRow("nothing fits") << qint64(0);
        QTest::newRow("part of a line") << qint64(37);
        QTest::newRow("past the buffer") << qint64((1 << 20) + 5);
    }
    void writeThatFailsPartWayChangesNothing() {
        QFETCH(qint64, limit);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("personel.qdb"));
        const QString bak = dir.filePath(QStringLiteral("personel.BAK"));
        writeFile(file, "old");
        writeFile(bak, "older");
        const QByteArray content(3 << 20, 'x');
        // A file size limit refuses writes the way a full disk does.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        rlimit limited = before;
        limited.rlim_cur = rlim_t(limit);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        QString message;
        try {
            saveRecordFile(file, content);
        } catch (const ZilvarenError& e) {
            message = e.message();
        }
        setrlimit(RLIMIT_FSIZE, &before);
        QVERIFY2(message.startsWith(QStringLiteral("Cannot create file ") + file +
                                    QStringLiteral("\rDosyaya yazılamadı: ")),
                 qPrintable(message));
        QCOMPARE(readFile(file), QByteArray("old"));
        QCOMPARE(readFile(bak), QByteArray("older"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void backupThatCannotBeMadeKeepsTheFile() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("personel.qdb"));
        saveRecordFile(file, "old");
        // A folder in the backup's place cannot be replaced by a rename.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("personel.BAK")));
        writeFile(dir.filePath(QStringLiteral("personel.BAK/keep")), "x");
        try {
            saveRecordFile(file, "new");
            QFAIL("no error");
        } catch (const ZilvarenError& e) {
            QVERIFY(e.message().startsWith(QStringLiteral("Unable to create backup file.\r")));
        }
        QCOMPARE(readFile(file), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestRecordWriter)
#include "test_record_writer.moc"
