#include "TestSupport.h"
#include "interchange/CsvExport.h"
#include "interchange/InterchangeCommands.h"
#include "platform/Errors.h"
#include "store/BirthDate.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

enum Column { Grup = 9, EvAdresi = 10, IsAdresi = 13, Cinsiyet = 16, EvTel = 19, Notlar = 25 };

PersonRecord person(const char* name) {
    PersonRecord p;
    p.RecordNo = QStringLiteral("1");
    p.FirstName = QString::fromUtf8(name);
    return p;
}

// The export of one person after the heading, as text.
QString personText(const PersonRecord& p) {
    return cp1254::decode(composeExport({&p})).mid(kExportHeading.size() + 2);
}

} // namespace

class TestCsvExport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }

    void quoting() {
        QCOMPARE(QuoteCsvField(QString()), QString());
        QCOMPARE(QuoteCsvField(QStringLiteral(" ")), QStringLiteral("\" \""));
        QCOMPARE(QuoteCsvField(QStringLiteral("A\"B")), QStringLiteral("\"A\"\"B\""));
    }

    void minimalPerson() {
        QStringList expected(26);
        expected[0] = QStringLiteral("\"1\"");
        expected[1] = QStringLiteral("\"ALİ\"");
        expected[EvAdresi] = expected[IsAdresi] = QStringLiteral("\" \"");
        QCOMPARE(personText(person("ALİ")),
                 expected.join(QLatin1Char(';')) + QStringLiteral("\r\n"));
    }

    void contactsStatusAndDate() {
        PersonRecord p = person("A");
        p.Contacts = {QStringLiteral("Ev\t312 111"), QStringLiteral("ev\t999"),
                      QStringLiteral("Tel\t555"),    QStringLiteral("Ev\t312 222"),
                      QStringLiteral("İş\t232"),     QStringLiteral("Ev"),
                      QStringLiteral("Fax\tf\tek"),  QStringLiteral("GSM\t0532"),
                      QStringLiteral("Mail\ta@b"),   QStringLiteral("Web\tw")};
        p.Sex = QLatin1Char('F');
        p.MaritalStatus = QLatin1Char('E');
        p.BirthDate = birthdate::fromDate(QDate(1970, 3, 5));
        QCOMPARE(exportValues(p).mid(Cinsiyet, 9),
                 QStringList({QStringLiteral("Bayan"), QStringLiteral("Bekar"),
                              QStringLiteral("05.03.1970"), QStringLiteral("312 111-312 222"),
                              QStringLiteral("232"), QStringLiteral("f\tek"),
                              QStringLiteral("0532"), QStringLiteral("a@b"), QStringLiteral("w")}));
        const QList<std::pair<char, char>> others = {{'M', 'B'}, {0, 'D'}, {'X', 'M'}};
        QStringList texts;
        for (const auto& [sex, marital] : others) {
            p.Sex = QChar::fromLatin1(sex);
            p.MaritalStatus = QChar::fromLatin1(marital);
            texts += exportValues(p).mid(Cinsiyet, 2);
        }
        QCOMPARE(texts, QStringList({QStringLiteral("Bay"), QStringLiteral("Evli"), QString(),
                                     QStringLiteral("Dul"), QString(), QString()}));
    }

    void dateKeepsItsCenturyInAnyLocale() {
        PersonRecord p = person("A");
        const QLocale before;
        QStringList dates;
        for (const QLocale& l : {QLocale(QLocale::English, QLocale::UnitedStates),
                                 QLocale(QLocale::German, QLocale::Germany)}) {
            QLocale::setDefault(l);
            for (int year : {1920, 2020}) {
                p.BirthDate = birthdate::fromDate(QDate(year, 3, 5));
                dates << exportValues(p).at(Cinsiyet + 2);
            }
        }
        QLocale::setDefault(before);
        QCOMPARE(dates, QStringList({QStringLiteral("05.03.1920"), QStringLiteral("05.03.2020"),
                                     QStringLiteral("05.03.1920"), QStringLiteral("05.03.2020")}));
    }

    void bytesOfTheFile() {
        QCOMPARE(composeExport({}), cp1254::encode(kExportHeading) + "\r\n");
        QVERIFY(composeExport({}).startsWith("SrNo;Ad;Soyad;Anne;Baba;Do\xF0um Yeri;"));
        PersonRecord p = person("A");
        p.GroupPath = path("Aile|Kuzenler");
        p.Notes = {QStringLiteral("satır 1"), QStringLiteral("satır 2")};
        const QByteArray bytes = composeExport({&p});
        QVERIFY(bytes.contains(";\"Aile\xFFKuzenler\";"));
        QVERIFY(bytes.endsWith(";\"sat\xFDr 1\r\nsat\xFDr 2\r\n\"\r\n"));
    }

    // Another reader of the format sees the same 26 values.
    void pythonCsvReadsTheValuesBack() {
        PersonRecord b = person("ŞÜKRÜ \"Şük\"");
        b.Surname = QStringLiteral("Öztürk; Çelik");
        b.GroupPath = path("Aile|Kuzenler");
        b.HomeAddress2 = QStringLiteral("No: 5");
        b.Contacts = {QStringLiteral("Mail\ta;b@c.com")};
        b.Notes = {QStringLiteral("bir \"iki\""), QString(), QStringLiteral("dört;beş")};
        const std::vector<PersonRecord> people = {person("ALİ"), b};
        QTemporaryDir dir;
        const QString file = exportToFolder(dir.path(), {&people[0], &people[1]});
        QCOMPARE(file, dir.filePath(QStringLiteral("Export.csv")));

        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import csv, json, sys\n"
                                     "with open(sys.argv[1], encoding='cp1254', newline='') as f:\n"
                                     "    print(json.dumps(list(csv.reader(f, delimiter=';'))))\n"),
                      file});
        QVERIFY(python.waitForFinished(-1));
        QCOMPARE(python.exitCode(), 0);
        const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].toVariant().toStringList(), kExportHeading.split(QLatin1Char(';')));
        for (size_t i = 0; i < people.size(); ++i)
            QCOMPARE(rows[qsizetype(i) + 1].toVariant().toStringList(), exportValues(people[i]));
        QCOMPARE(exportValues(b)[Notlar], QStringLiteral("bir \"iki\"\r\n\r\ndört;beş\r\n"));
    }

    void folderExport() {
        QTemporaryDir dir;
        const PersonRecord p = person("A");
        exportToFolder(dir.path(), {&p, &p});
        QCOMPARE(readFile(exportToFolder(dir.path(), {&p})), composeExport({&p}));
        QCOMPARE(exportDoneMessage(dir.path()),
                 QStringLiteral("Bilgiler ") + QDir::toNativeSeparators(dir.path()) +
                     QDir::separator() + QStringLiteral("Export.csv dosyasına aktarıldı."));
        QVERIFY_THROWS_EXCEPTION(ZilvarenError,
                                 exportToFolder(dir.filePath(QStringLiteral("yok")), {}));
    }

    void exportCommand() {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.qdb"));
        const QString out = dir.filePath(QStringLiteral("out.csv"));
        writeFile(in, recordBytes({QStringLiteral("0 HEAD"), QStringLiteral("0 ID 1"),
                                   QStringLiteral("1 NAME A"), QStringLiteral("1 PHON"),
                                   QStringLiteral("2 CONT Ev\t312"), QStringLiteral("0 TRLR")}));
        QCOMPARE(runExportCommand({in, QStringLiteral("-o"), out}), 0);
        QVERIFY(readFile(out).endsWith(";\"Belli De\xF0il\";\" \";;;\" \";;;;;;\"312\";;;;;;\r\n"));
        QFile::remove(out);
        QCOMPARE(
            runExportCommand({dir.filePath(QStringLiteral("none.qdb")), QStringLiteral("-o"), out}),
            1);
        QVERIFY(!QFile::exists(out));
    }
};

QTEST_GUILESS_MAIN(TestCsvExport)
#include "test_csv_export.moc"
