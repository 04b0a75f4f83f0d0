#include "TestSupport.h"
#include "store/LoadedFile.h"
#include "tools/BulkTools.h"
#include "tools/ToolsCommand.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// Persons with these contact lists; every second one hidden by the filter.
void fill(RecordDocument& doc, const QList<QStringList>& contacts) {
    std::vector<std::unique_ptr<PersonRecord>> persons;
    for (const QStringList& c : contacts) {
        persons.push_back(std::make_unique<PersonRecord>());
        persons.back()->RecordNo = QStringLiteral("9");
        persons.back()->Contacts = c;
    }
    doc.persons().setPersons(std::move(persons));
    int n = 0;
    doc.persons().filter([&n](const PersonRecord&) { return n++ % 2 == 0; });
}

QStringList recordNumbers(const RecordDocument& doc) {
    QStringList out;
    for (const PersonRecord* p : doc.persons().allPersons())
        out.append(p->RecordNo);
    return out;
}
QStringList contacts(const RecordDocument& doc) {
    QStringList out;
    for (const PersonRecord* p : doc.persons().allPersons())
        out.append(p->Contacts.join(QLatin1Char(',')));
    return out;
}

} // namespace

class TestBulkTools : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void regrouping_data() {
        QTest::addColumn<QString>("sizes");
        const char* const table[] = {
            "",          "1",         "2",           "1 2",         "2 2",        "1 2 2",
            "2 2 2",     "3 2 2",     "1 3 2 2",     "2 3 2 2",     "3 3 2 2",    "1 3 3 2 2",
            "2 3 3 2 2", "3 3 3 2 2", "1 3 3 3 2 2", "2 3 3 3 2 2", "3 3 3 3 2 2"};
        for (int n = 0; n < int(std::size(table)); ++n)
            QTest::addRow("%d digits", n) << QString::fromLatin1(table[n]);
    }
    void regrouping() {
        QFETCH(QString, sizes);
        // The digits in order, cut into groups of the table's sizes.
        const QString all = QStringLiteral("9876543210987654");
        QStringList groups;
        qsizetype pos = 0;
        for (const QString& size : sizes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            groups.append(all.mid(pos, size.toInt()));
            pos += size.toInt();
        }
        QCOMPARE(regroupDigits(all.left(pos)), groups.join(QLatin1Char(' ')));
    }

    void entries_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("split");
        QTest::newRow("gsm") << QStringLiteral("GSM\t0532 123 45 67")
                             << QStringLiteral("GSM\t0 532 123 45 67");
        QTest::newRow("spaced kind") << QStringLiteral("İ ş \t 31 2") << QStringLiteral("İş\t3 12");
        QTest::newRow("plus") << QStringLiteral("GSM\t+90 532") << QStringLiteral("GSM\t+90532");
        QTest::newRow("mail") << QStringLiteral("Mail\tal i@b.c")
                              << QStringLiteral("Mail\tali@b.c");
        QTest::newRow("empty value") << QStringLiteral("Ev\t") << QStringLiteral("Ev\t");
        QTest::newRow("no tab") << QStringLiteral("12 345") << QStringLiteral("1 23 45");
        QTest::newRow("second tab") << QStringLiteral("Ev\t12\t34") << QStringLiteral("Ev\t12\t34");
        QTest::newRow("other digits") << QStringLiteral("Ev\t١٢٣٤") << QStringLiteral("Ev\t١٢٣٤");
    }
    void entries() {
        QFETCH(QString, entry);
        QFETCH(QString, split);
        QCOMPARE(splitContactEntry(entry), split);
    }

    void operationsReachHiddenPersons() {
        const QList<QStringList> before = {
            {QStringLiteral("G SM\t0532 123 45 67")},
            {QStringLiteral("Ev\t312 111 22 33"), QStringLiteral("Web\tw w.com")},
            {}};
        RecordDocument doc;
        fill(doc, before);
        QVERIFY(doc.persons().isHidden(1));
        removeContactSpaces(doc);
        QCOMPARE(contacts(doc), QStringList({QStringLiteral("GSM\t05321234567"),
                                             QStringLiteral("Ev\t3121112233,Web\tww.com"),
                                             {}}));
        QVERIFY(doc.isModified());
        splitContactNumbers(doc);
        QCOMPARE(contacts(doc), QStringList({QStringLiteral("GSM\t0 532 123 45 67"),
                                             QStringLiteral("Ev\t312 111 22 33,Web\tww.com"),
                                             {}}));
        renumberRecords(doc);
        QCOMPARE(recordNumbers(doc), QStringList({QStringLiteral("00001"), QStringLiteral("00002"),
                                                  QStringLiteral("00003")}));
    }

    void emptyList() {
        RecordDocument spaces, renumbered;
        splitContactNumbers(spaces);
        renumberRecords(renumbered);
        QVERIFY(!spaces.isModified());
        QVERIFY(!renumbered.isModified());
    }

    void toolsCommand() {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.qdb"));
        const QString out = dir.filePath(QStringLiteral("out.qdb"));
        writeFile(in, recordBytes({QStringLiteral("0 HEAD"), QStringLiteral("0 ID 7"),
                                   QStringLiteral("1 NAME A"), QStringLiteral("1 PHON"),
                                   QStringLiteral("2 CONT GSM\t0532 1234567"),
                                   QStringLiteral("0 TRLR")}));
        QCOMPARE(runToolsCommand({in, QStringLiteral("--split-phones"), QStringLiteral("-o"), out}),
                 0);
        const auto file = LoadedFile::read(out);
        QCOMPARE(contacts(file->document), QStringList({QStringLiteral("GSM\t0 532 123 45 67")}));
        QCOMPARE(runToolsCommand({in, QStringLiteral("--renumber"),
                                  QStringLiteral("--strip-spaces"), QStringLiteral("-o"), out}),
                 2);
    }
};

QTEST_GUILESS_MAIN(TestBulkTools)
#include "test_bulk_tools.moc"
