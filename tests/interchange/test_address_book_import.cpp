#include "TestSupport.h"
#include "interchange/AddressBookImport.h"
#include "interchange/InterchangeCommands.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "store/LoadedFile.h"

#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Columns = QMap<int, QString>;

// One line of the export: the given columns set, the others empty.
QByteArray bookLine(const Columns& columns, int fieldCount = 29) {
    QStringList fields;
    for (int c = 1; c <= fieldCount; ++c)
        fields.append(columns.value(c));
    return cp1254::encode(fields.join(QLatin1Char(';')) + QStringLiteral("\r\n"));
}
QByteArray named(const char* name) {
    return bookLine({{1, QString::fromUtf8(name)}});
}

const ManualClock kClock(QDateTime(QDate(2024, 3, 5), QTime(9, 8, 7)));

AddressBookRead read(QByteArray bytes, const QString& group = QStringLiteral("Aile")) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readAddressBook(buffer, group, kClock);
}

// "number:first name:notes" of each person.
QStringList summary(const AddressBookRead& r) {
    QStringList out;
    for (const auto& p : r.persons)
        out.append(QStringList{p->RecordNo, p->FirstName, p->Notes.join(QLatin1Char('|'))}.join(
            QLatin1Char(':')));
    return out;
}

const QByteArray kQdb = recordBytes({QStringLiteral("0 HEAD"), QStringLiteral("1 GRUP Aile"),
                                     QStringLiteral("2 GRUP Aile"), path("2 GRUP Aile|Kuz"),
                                     QStringLiteral("0 ID 1"), QStringLiteral("1 NAME ŞÜKRÜ"),
                                     path("1 GRUP Aile|Kuz"), QStringLiteral("0 TRLR")});

} // namespace

class TestAddressBookImport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void columnsMapToFields() {
        Columns full = {{1, QStringLiteral("Ahmet")},  {2, QStringLiteral("Yılmaz")},
                        {3, QStringLiteral("Can")},    {6, QStringLiteral("a@b")},
                        {8, QStringLiteral("Ankara")}, {9, QStringLiteral("06100")},
                        {12, QStringLiteral("e")},     {13, QStringLiteral("f")},
                        {14, QStringLiteral("g")},     {15, QStringLiteral("w1")},
                        {17, QStringLiteral("İzmir")}, {18, QStringLiteral("35000")},
                        {21, QStringLiteral("w2")},    {22, QStringLiteral("i")},
                        {23, QStringLiteral("f2")},    {25, QStringLiteral("Orvak")},
                        {26, QStringLiteral("Müh")},   {27, QStringLiteral("AR-GE")}};
        for (int unused : {4, 5, 10, 11, 19, 20, 24, 28})
            full[unused] = QStringLiteral("x");
        const AddressBookRead r =
            read(named("Kolon1") + bookLine(full) + bookLine({{3, QStringLiteral("Can")}}) +
                 bookLine({{6, QStringLiteral("\"\"")}}));
        QCOMPARE(summary(r),
                 QStringList({QStringLiteral("1:Kolon1:"), QStringLiteral("2:Ahmet Can:"),
                              QStringLiteral("3:Can:"), QStringLiteral("4::")}));
        const PersonRecord& p = *r.persons[1];
        QCOMPARE(p.Contacts.join(QLatin1Char(',')),
                 QStringLiteral("Mail\ta@b,Ev\te,Fax\tf,GSM\tg,Web\tw1,Web\tw2,İş\ti,Fax\tf2"));
        QCOMPARE(
            QStringList({p.Surname, p.HomeCity, p.HomePostCode, p.WorkCity, p.WorkPostCode, p.Firm,
                         p.Profession, p.Department, p.RecordedAt, p.GroupPath}),
            QStringList({QStringLiteral("Yılmaz"), QStringLiteral("Ankara"),
                         QStringLiteral("06100"), QStringLiteral("İzmir"), QStringLiteral("35000"),
                         QStringLiteral("Orvak"), QStringLiteral("Müh"), QStringLiteral("AR-GE"),
                         QStringLiteral("05.03.2024  09:08:07"), QStringLiteral("Aile")}));
        QVERIFY(p.BirthPlace.isEmpty() && p.MotherName.isEmpty() && p.HomeAddress2.isEmpty());
        QVERIFY(r.persons[2]->Contacts.isEmpty());
        QCOMPARE(r.persons[3]->Contacts, QStringList({QStringLiteral("Mail\t\"\"")}));
    }

    void quotedFields_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("stored");
        const QString twoLines = QStringLiteral("\"Atatürk Cd.\r\nAnkara; Çankaya\"");
        const QString oneLine = QStringLiteral("Atatürk Cd. Ankara; Çankaya");
        QTest::newRow("home address") << 7 << twoLines << oneLine;
        QTest::newRow("work address") << 16 << twoLines << oneLine;
        QTest::newRow("notes") << 29 << QStringLiteral("\"bir\r\niki\r\rdört\r\n\"")
                               << QStringLiteral("bir|iki||dört");
        QTest::newRow("notes with LF breaks") << 29 << QStringLiteral("\"bir\niki\n\ndört\"")
                                              << QStringLiteral("bir|iki||dört");
        // Elsewhere the quotes stay, and the break becomes a blank as saving
        // would write it: what the window shows never changes on reopening.
        QTest::newRow("home city")
            << 8 << twoLines << QStringLiteral("\"Atatürk Cd. Ankara; Çankaya\"");
        QTest::newRow("quoted empty address")
            << 7 << QStringLiteral("\"\"") << QStringLiteral("\"\"");
    }
    void quotedFields() {
        QFETCH(int, column);
        QFETCH(QString, raw);
        QFETCH(QString, stored);
        const AddressBookRead r = read(bookLine({{column, raw}}) + named("B"));
        QCOMPARE(r.persons.size(), size_t(2));
        const PersonRecord& p = *r.persons[0];
        const QString actual = column == 7    ? p.HomeAddress1
                               : column == 16 ? p.WorkAddress1
                               : column == 8  ? p.HomeCity
                                              : p.Notes.join(QLatin1Char('|'));
        QCOMPARE(actual, stored);
    }

    void recordBoundaries_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("persons");
        const QByteArray a = named("A"), b = named("B");
        const QStringList onlyA = {QStringLiteral("1:A:")};
        Columns wide = {{1, QStringLiteral("A")}, {29, QStringLiteral("n")}};
        for (int c = 30; c <= 60; ++c)
            wide[c] = QStringLiteral("\"fazla;\r\"");
        QTest::newRow("short lines continue the record")
            << bookLine({{1, QStringLiteral("A")}}, 10) +
                   bookLine({{19, QStringLiteral("n")}}, 19) + b
            << QStringList({QStringLiteral("1:A:n"), QStringLiteral("2:B:")});
        QTest::newRow("fields past 29 are dropped")
            << bookLine(wide, 60) + b
            << QStringList({QStringLiteral("1:A:n"), QStringLiteral("2:B:")});
        QTest::newRow("byte 26 between records") << a + '\x1A' + b << onlyA;
        QTest::newRow("byte 26 inside a record") << a + b.left(5) + '\x1A' + b.mid(5) << onlyA;
        const QStringList both = {QStringLiteral("1:A:"), QStringLiteral("2:B:")};
        // Line ends as other systems write them.
        QByteArray lfOnly = a + b, crOnly = a + b;
        lfOnly.replace("\r\n", "\n");
        crOnly.replace("\r\n", "\r");
        QTest::newRow("LF line ends") << lfOnly << both;
        QTest::newRow("CR line ends") << crOnly << both;
        QTest::newRow("no final line feed") << a + b.chopped(1) << both;
        QTest::newRow("no final line end") << a + b.chopped(2) << onlyA;
        QTest::newRow("28 fields at the end") << a + bookLine({}, 28) << onlyA;
        QTest::newRow("code page 1254")
            << QByteArray("\xDE\xDCKR\xDC") + QByteArray(28, ';') + "\r\n"
            << QStringList({QStringLiteral("1:ŞÜKRÜ:")});
    }
    void recordBoundaries() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, persons);
        const AddressBookRead r = read(bytes);
        QVERIFY(!r.error);
        QCOMPARE(summary(r), persons);
    }

    void readErrorKeepsCompletedPersons() {
        const QByteArray a = named("A"), b = named("B");
        FailingDevice device(a + b + b, a.size() + b.size() + 10);
        const AddressBookRead r = readAddressBook(device, QStringLiteral("Aile"), kClock);
        QCOMPARE(summary(r), QStringList({QStringLiteral("1:A:"), QStringLiteral("2:B:")}));
        QCOMPARE(r.error, std::optional<QString>(QStringLiteral("Input/output error")));
    }

    void filingCountsTheGroupChain() {
        RecordDocument doc;
        QAbstractItemModelTester tester(&doc.groups());
        auto root = std::make_unique<GroupNode>();
        GroupNode* kuz = root->addChild(QStringLiteral("Aile"))->addChild(QStringLiteral("Kuz"));
        doc.groups().setRoot(std::move(root));
        fileImportedPersons(doc, read(named("A") + named("B")).persons, path("aile|KUZ"));
        QCOMPARE(kuz->MemberCount, 2u);
        QCOMPARE(kuz->parent->MemberCount, 2u);
        fileImportedPersons(doc, read(named("C")).persons, kNoGroupPath);
        QCOMPARE(doc.groups().rowCount(), 2);
        QCOMPARE(FindPersonGroup(doc.groups().root(), kNoGroupPath)->MemberCount, 1u);
        QCOMPARE(doc.persons().rowCount(), 3);
    }

    void eachRunNumbersFromOne() {
        QTemporaryDir dir;
        const QString book = dir.filePath(QStringLiteral("book.txt"));
        writeFile(book, named("A") + named("B"));
        RecordDocument doc;
        for (int run = 0; run < 2; ++run)
            QCOMPARE(importAddressBook(doc, book, kNoGroupPath, kClock).count, 2);
        QVERIFY(doc.isModified());
        QCOMPARE(doc.persons().personAt(2)->RecordNo, QStringLiteral("1"));
        QCOMPARE(doc.groups().root().children[0]->MemberCount, 4u);

        RecordDocument untouched;
        QVERIFY_THROWS_EXCEPTION(ZilvarenError,
                                 importAddressBook(untouched, dir.filePath(QStringLiteral("none")),
                                                   kNoGroupPath, kClock));
        QVERIFY(!untouched.isModified() && untouched.groups().isEmpty());
    }

    void importCommand() {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.qdb"));
        const QString book = dir.filePath(QStringLiteral("book.txt"));
        const QString out = dir.filePath(QStringLiteral("out.qdb"));
        writeFile(in, kQdb);
        writeFile(book, named("A") + named("B"));
        const QStringList args = {in, book, QStringLiteral("-o"), out};
        QCOMPARE(
            runImportCommand(args + QStringList{QStringLiteral("--group"), QStringLiteral("Yok")}),
            1);
        QVERIFY(!QFile::exists(out));
        QCOMPARE(runImportCommand(args), 0);
        const auto file = LoadedFile::read(out);
        QCOMPARE(file->document.persons().personAt(2)->GroupPath, QStringLiteral("Aile"));
        QCOMPARE(file->document.groups().root().children[0]->MemberCount, 3u);

        // A group named in any case is the tree's group, as in the window.
        QCOMPARE(runImportCommand(args + QStringList{QStringLiteral("--group"), QStringLiteral("aile")}), 0);
        QCOMPARE(LoadedFile::read(out)->document.persons().personAt(2)->GroupPath, QStringLiteral("Aile"));
        QCOMPARE(runImportCommand(args + QStringList{QStringLiteral("--group"), QStringLiteral("AİLEÿkuz")}), 0);
        QCOMPARE(LoadedFile::read(out)->document.persons().personAt(2)->GroupPath, path("Aile|Kuz"));
        QCOMPARE(runImportCommand(args + QStringList{QStringLiteral("--group"), QStringLiteral("belli değil")}), 0);
        const auto none = LoadedFile::read(out);
        QCOMPARE(none->document.persons().personAt(2)->GroupPath, kNoGroupPath);
        QCOMPARE(none->document.groups().root().children[1]->Name, kNoGroupPath);
    }
};

QTEST_GUILESS_MAIN(TestAddressBookImport)
#include "test_address_book_import.moc"
