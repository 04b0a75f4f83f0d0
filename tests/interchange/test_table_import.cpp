// Reading tables of any origin and turning their rows into persons; the
// command's flow up to the document.
#include "TestSupport.h"
#include "interchange/TableImportFlow.h"
#include "platform/Clock.h"
#include "platform/ScriptedPrompts.h"
#include "store/BirthDate.h"
#include "store/RecordDocument.h"

#include <QSignalSpy>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const ManualClock kClock(QDateTime(QDate(2024, 3, 5), QTime(9, 8, 7)));

QStringList fields(TableRows& rows) {
    QStringList out;
    for (qsizetype i = 0; i < rows.size(); ++i)
        out.append(rows.field(i).toString());
    return out;
}

TableMapping mapped(std::initializer_list<TableField> fields) {
    TableMapping m;
    for (TableField f : fields)
        m.push_back({f, -1});
    return m;
}

} // namespace

class TestTableImport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findsTheEncodingAndSeparator_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("separator");
        const QString text = QStringLiteral("Adı;Soyadı\r\nŞükrü;Işık\r\n");
        const auto utf16 = [&](QStringConverter::Encoding e, bool bom) {
            QStringEncoder encoder(e, bom ? QStringConverter::Flag::WriteBom
                                          : QStringConverter::Flag::Default);
            return QByteArray(encoder.encode(text));
        };
        QTest::newRow("UTF-8") << text.toUtf8() << int(TableEncoding::Utf8) << QStringLiteral(";");
        QTest::newRow("UTF-8 with a mark") << QByteArray("\xEF\xBB\xBF" + text.toUtf8())
                                           << int(TableEncoding::Utf8) << QStringLiteral(";");
        QTest::newRow("UTF-16 LE") << utf16(QStringConverter::Utf16LE, true)
                                   << int(TableEncoding::Utf16LE) << QStringLiteral(";");
        QTest::newRow("UTF-16 BE") << utf16(QStringConverter::Utf16BE, true)
                                   << int(TableEncoding::Utf16BE) << QStringLiteral(";");
        QTest::newRow("UTF-16 LE, no mark") << utf16(QStringConverter::Utf16LE, false)
                                            << int(TableEncoding::Utf16LE) << QStringLiteral(";");
        QTest::newRow("UTF-16 BE, no mark") << utf16(QStringConverter::Utf16BE, false)
                                            << int(TableEncoding::Utf16BE) << QStringLiteral(";");
        QTest::newRow("1254") << cp1254::encode(text) << int(TableEncoding::Cp1254)
                              << QStringLiteral(";");
        QByteArray tabs = cp1254::encode(text);
        tabs.replace(';', '\t');
        QTest::newRow("TAB") << tabs << int(TableEncoding::Cp1254) << QStringLiteral("\t");
        // Quoted commas do not count.
        QTest::newRow("comma inside quotes") << QByteArray("\"Adı, Soyadı\";Tel\r\nA;1\r\n")
                                             << int(TableEncoding::Utf8) << QStringLiteral(";");
    }
    void findsTheEncodingAndSeparator() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        QFETCH(QString, separator);
        const Table t = decodeTable(bytes);
        QCOMPARE(int(t.encoding), encoding);
        QCOMPARE(QString(t.separator), separator);
        TableRows rows(t.text, t.separator, t.bodyStart, t.bodyLine);
        QVERIFY(rows.next());
        if (t.header.size() == 2 && t.header[0] == u"Adı")
            QCOMPARE(fields(rows), (QStringList{QStringLiteral("Şükrü"), QStringLiteral("Işık")}));
        QVERIFY(!rows.next());
    }

    void splitsQuotedFields() {
        const QString text = QStringLiteral("a,\"b,c\",\"d\"\"e\",\"f\r\ng\"h,\r\n"
                                            "\"\",x\n"
                                            "\r\n"
                                            "son,\"açık");
        TableRows rows(text, u',');
        QVERIFY(rows.next());
        QCOMPARE(fields(rows),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b,c"), QStringLiteral("d\"e"),
                              QStringLiteral("f\r\ngh"), QString()}));
        QVERIFY(rows.next());
        QCOMPARE(rows.line(), 3); // the quoted line break counts
        QCOMPARE(fields(rows), (QStringList{QString(), QStringLiteral("x")}));
        QVERIFY(rows.next());
        QCOMPARE(fields(rows), QStringList{QString()});
        QVERIFY(rows.next());
        QCOMPARE(fields(rows), (QStringList{QStringLiteral("son"), QStringLiteral("açık")}));
        QVERIFY(rows.unclosedQuote());
        QVERIFY(!rows.next());
    }

    void makesPersonsOfRows() {
        using F = TableField;
        const Table table = decodeTable(
            QStringLiteral(
                "ad soyad;doğum;cinsiyet;medeni;adres;firma;tel;not\r\n"
                "ali can kaya;5.3.1970;Kadın;Evli;\"Kat 2\r\nDaire 3\";;\"0532\n1\";\"bir\riki\r\nüç\"\r\n"
                "veli;1978-11-23;x;;;;;\r\n"
                ";12/31/1999;;;;orvak;;\r\n"
                ";;;;;;;\r\n"
                "İlya;31.02.1980;;;;;;\r\n"
                "Иван;0/0/00;;;;;;\r\n")
                .toUtf8());
        const TableMapping mapping = mapped({F::FullName, F::BirthDate, F::Sex, F::MaritalStatus,
                                             F::HomeAddress1, F::Firm, F::Gsm, F::Notes});
        TableImportPlan plan = planTableImport(table, mapping, QStringLiteral("İş"), 40, kClock);
        // Quoted line breaks make the second row five lines long.
        QCOMPARE(plan.rows, 6);
        QCOMPARE(plan.emptyRows, 1);
        QCOMPARE(int(plan.persons.size()), 5);
        const PersonRecord& ali = *plan.persons[0];
        QCOMPARE(ali.FirstName, QStringLiteral("ALİ CAN"));
        QCOMPARE(ali.Surname, QStringLiteral("KAYA"));
        QCOMPARE(birthdate::toDate(ali.BirthDate), QDate(1970, 3, 5));
        QCOMPARE(ali.Sex, QChar(u'F'));
        QCOMPARE(ali.MaritalStatus, QChar(u'B'));
        QCOMPARE(ali.HomeAddress1, QStringLiteral("Kat 2  Daire 3"));
        // Nothing holds a line break, which would end its line in the file.
        QCOMPARE(ali.Contacts, QStringList{QStringLiteral("GSM\t0532 1")});
        QCOMPARE(ali.Notes, (QStringList{QStringLiteral("bir"), QStringLiteral("iki"),
                                         QStringLiteral("üç")}));
        QCOMPARE(ali.RecordNo, QStringLiteral("40"));
        QCOMPARE(ali.GroupPath, QStringLiteral("İş"));
        QCOMPARE(ali.RecordedAt, QStringLiteral("05.03.2024  09:08:07"));
        QCOMPARE(birthdate::toDate(plan.persons[1]->BirthDate), QDate(1978, 11, 23));
        QVERIFY(plan.persons[1]->Sex.isNull());
        // No name: the firm names the person, as the detail pages would.
        QCOMPARE(plan.persons[2]->FirstName, QStringLiteral("ORVAK"));
        QCOMPARE(birthdate::toDate(plan.persons[2]->BirthDate), QDate(1999, 12, 31));
        QCOMPARE(plan.persons[3]->RecordNo, QStringLiteral("43"));
        QCOMPARE(plan.warnings,
                 QStringList{QStringLiteral("10. satır: \"31.02.1980\" tarih olarak okunamadı "
                                            "(gg.aa.yyyy, yyyy-aa-gg ya da a/g/yyyy olmalı).")});
        QCOMPARE(plan.unencodable, QStringList{QStringLiteral("11. satır (ИВАН), Ad: И В А Н")});
        replaceUnencodable(plan);
        QCOMPARE(plan.persons[4]->FirstName, QStringLiteral("????"));

        const TableImportPlan first = planTableImport(table, mapping, {}, 1, kClock, 2);
        QCOMPARE(first.rows, 2);
        QCOMPARE(int(first.persons.size()), 2);
    }

    // The import reaches the document as one step of its history, and only
    // once the user has seen the letters the record file cannot hold.
    void fileImportsAsOneChange() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("t.csv"));
        writeFile(file, QStringLiteral("Ad,Soyad,Cep\nАнна,Kaya,1\nALİ,Er,2\n,,\n").toUtf8());
        RecordDocument doc;
        auto root = std::make_unique<GroupNode>();
        root->addChild(QStringLiteral("Aile"));
        doc.groups().setRoot(std::move(root));
        QSignalSpy inserted(&doc.persons(), &QAbstractItemModel::rowsInserted);
        ScriptedPrompts prompts;
        QStringList locks;
        const TableImportTarget target{
            doc,
            QStringLiteral("Aile"),
            dir.path(),
            kClock,
            [](const Table& table, const TableMapping& guessed, const QString&) {
                return table.header.size() == 3 ? std::optional(guessed) : std::nullopt;
            },
            [&locks](bool locked) {
                locks << (locked ? QStringLiteral("+") : QStringLiteral("-"));
            }};

        prompts.answerText(file);
        prompts.answer(PromptButton::Cancel);
        runTableImport(prompts, target);
        QVERIFY(prompts.texts().last().contains(QStringLiteral("Bu satırlarda")));
        QCOMPARE(doc.persons().personCount(), 0);
        QVERIFY(!doc.isModified());
        QCOMPARE(locks, (QStringList{QStringLiteral("+"), QStringLiteral("-")}));

        prompts.clear();
        prompts.answerText(file);
        prompts.answer(PromptButton::Yes);
        runTableImport(prompts, target);
        QCOMPARE(doc.persons().personCount(), 2);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(doc.history().count(), 1);
        QVERIFY(doc.isModified());
        QCOMPARE(doc.persons().personAt(0)->FirstName, QStringLiteral("????"));
        QCOMPARE(doc.groups().root().children[0]->MemberCount, 2u);
        QCOMPARE(prompts.messages().last(),
                 QStringLiteral("Tablodan 2 kişi aktarıldı.\r\rAktarılacak bilgisi olmayan 1 "
                                "satır atlandı."));

        // Files that hold no table, or none that can be read.
        writeFile(file, QByteArray("Ad,Soyad\r\n"));
        prompts.clear();
        prompts.answerText(file);
        runTableImport(prompts, target);
        QVERIFY(prompts.messages().last().contains(QStringLiteral("başlık satırından sonra")));
        prompts.clear();
        prompts.answerText(dir.filePath(QStringLiteral("yok.csv")));
        runTableImport(prompts, target);
        QVERIFY(prompts.messages().last().contains(QStringLiteral("okunamadı")));
        QCOMPARE(doc.persons().personCount(), 2);
    }
};

QTEST_GUILESS_MAIN(TestTableImport)
#include "test_table_import.moc"
