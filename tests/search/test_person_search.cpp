#include "TestSupport.h"
#include "platform/TurkishText.h"
#include "search/FindCommand.h"
#include "search/PersonSearch.h"
#include "store/RecordDocument.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

namespace {

// A person holding the word in every field the search looks at.
PersonRecord everywhere() {
    PersonRecord p;
    const QString w = QStringLiteral("xALİx");
    for (QString* f :
         {&p.RecordNo, &p.FirstName, &p.Surname, &p.HomeAddress1, &p.HomeAddress2, &p.HomePostCode,
          &p.HomeCity, &p.WorkAddress1, &p.WorkAddress2, &p.WorkPostCode, &p.WorkCity, &p.Firm,
          &p.Department, &p.Profession, &p.GroupPath, &p.BirthPlace})
        *f = w;
    p.Contacts = {QStringLiteral("İş\t") + w, QStringLiteral("Fax\t312"),
                  QStringLiteral("GSM\t") + w};
    p.Notes = {QStringLiteral("bir"), w};
    return p;
}

SearchChecks only(std::initializer_list<FindCheck> boxes) {
    SearchChecks checks{};
    for (FindCheck c : boxes)
        checks[size_t(c)] = true;
    return checks;
}

// What f writes to stdout.
QByteArray capturedStdout(const std::function<void()>& f) {
    QTemporaryFile file;
    if (!file.open())
        return {};
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    dup2(file.handle(), STDOUT_FILENO);
    f();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    file.seek(0);
    return file.readAll();
}

} // namespace

class TestPersonSearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }

    void placesInOrder_data() {
        QTest::addColumn<SearchChecks>("checks");
        QTest::addColumn<QString>("places");
        QTest::newRow("Kayıt No") << only({CheckID}) << QStringLiteral("- Kayıt No -");
        QTest::newRow("Ad Soyad") << only({CheckAdSoyad}) << QStringLiteral("- Ad -- Soyad -");
        QTest::newRow("Telefon") << only({CheckTel}) << QStringLiteral("- İş -- GSM -");
        QTest::newRow("Adres") << only({CheckAdres})
                               << QStringLiteral(
                                      "- Ev Adresi 1 -- Ev Adresi 2 -- Ev PK -- Ev Şehir "
                                      "-- İş Adresi 1 -- İş Adresi 2 -- İş PK -- İş "
                                      "Şehir -");
        QTest::newRow("Firma") << only({CheckFirma})
                               << QStringLiteral("- Firma -- Bölüm -- Meslek -");
        QTest::newRow("Notlar and Grup")
            << only({CheckGrup, CheckNotlar}) << QStringLiteral("- Notlar -- Grup -");
        QTest::newRow("Grup then Kayıt No")
            << only({CheckGrup, CheckID}) << QStringLiteral("- Kayıt No -- Grup -");
        QTest::newRow("TAMAMI alone") << only({CheckTamami}) << QString();
        QTest::newRow("no box") << SearchChecks{} << QString();
    }
    void placesInOrder() {
        QFETCH(SearchChecks, checks);
        QFETCH(QString, places);
        QCOMPARE(matchPlaces(everywhere(), TurkceUpperCase(u"ali"), checks), places);
    }

    void matching_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("found");
        QTest::newRow("ali") << QStringLiteral("ali") << QStringLiteral("1 2 5");
        QTest::newRow("ALI") << QStringLiteral("ALI") << QStringLiteral("3");
        QTest::newRow("ışık") << QStringLiteral("ışık") << QStringLiteral("4");
        QTest::newRow("blanks around") << QStringLiteral("  oğlu ") << QStringLiteral("2");
        QTest::newRow("kind word") << QStringLiteral("gsm") << QString();
        QTest::newRow("across note lines") << QStringLiteral("x\r\ny") << QStringLiteral("6");
        QTest::newRow("second note line") << QStringLiteral("Y") << QStringLiteral("6");
        QTest::newRow("lines do not run together") << QStringLiteral("xy") << QString();
        QTest::newRow("longer than every field") << QStringLiteral("alioğlu1") << QString();
    }
    void matching() {
        QFETCH(QString, word);
        QFETCH(QString, found);
        // 1 ALİ, 2 ALİOĞLU, 3 ALI (dotless), 4 IŞIK, 5 vali (hidden), 6 GSM and notes
        std::vector<std::unique_ptr<PersonRecord>> persons;
        for (const char* name : {"ALİ", "MEHMET", "ALI", "IŞIK", "vali", "Z"}) {
            persons.push_back(std::make_unique<PersonRecord>());
            persons.back()->RecordNo = QString::number(persons.size());
            persons.back()->FirstName = QString::fromUtf8(name);
        }
        persons[1]->Surname = QStringLiteral("ALİOĞLU");
        persons[5]->Contacts = {QStringLiteral("GSM\t555")};
        persons[5]->Notes = {QStringLiteral("x"), QStringLiteral("y")};
        RecordDocument doc;
        doc.persons().setPersons(std::move(persons));
        doc.persons().filter([](const PersonRecord& p) { return p.FirstName != u"vali"; });
        doc.find().checks = only({CheckAdSoyad, CheckTel, CheckNotlar});

        const std::optional<SearchResult> r = runSearch(doc, word);
        QVERIFY(r);
        QStringList numbers;
        for (const SearchRow& row : r->rows)
            numbers.append(row.RecordNo);
        QCOMPARE(numbers.join(QLatin1Char(' ')), found);
        QCOMPARE(r->countText,
                 QStringLiteral("Arama Listesi Sonucu %1 Adettir.").arg(numbers.size()));
        QCOMPARE(doc.find().items, QStringList({word.trimmed()}));
        QVERIFY(doc.isModified());
    }

    void blankWordChangesNothing() {
        RecordDocument doc;
        QVERIFY(!runSearch(doc, QStringLiteral("  \t")));
        QVERIFY(doc.find().items.isEmpty());
        QVERIFY(!doc.isModified());
    }

    void rememberedWords_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("after");
        QTest::newRow("same twice")
            << QStringLiteral("veli ali") << QStringLiteral("ali") << QStringLiteral("ali veli");
        QTest::newRow("ALİ replaces ali")
            << QStringLiteral("veli ali") << QStringLiteral("ALİ") << QStringLiteral("ALİ veli");
        QTest::newRow("ALI is another word")
            << QStringLiteral("ali") << QStringLiteral("ALI") << QStringLiteral("ALI ali");
        QTest::newRow("eleventh drops the oldest")
            << QStringLiteral("j i h g f e d c b a") << QStringLiteral("k")
            << QStringLiteral("k j i h g f e d c b");
        QTest::newRow("lowered limit cuts at the search")
            << QStringLiteral("j i h g f e d c b a y z") << QStringLiteral("J")
            << QStringLiteral("J i h g f e d c b a");
    }
    void rememberedWords() {
        QFETCH(QString, before);
        QFETCH(QString, word);
        QFETCH(QString, after);
        QStringList words = before.split(QLatin1Char(' '));
        rememberSearchWord(words, word, 10);
        QCOMPARE(words.join(QLatin1Char(' ')), after);
    }

    void findCommand() {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.qdb"));
        writeFile(in, recordBytes({QStringLiteral("0 HEAD"), QStringLiteral("1 FIND "),
                                   QStringLiteral("2 CHEK Grup=1"), QStringLiteral("0 ID 1"),
                                   QStringLiteral("1 NAME ALİ"), QStringLiteral("1 SURN KAYA"),
                                   path("1 GRUP Aile|Ali"), QStringLiteral("0 ID 2"),
                                   QStringLiteral("1 NAME VALİ"), QStringLiteral("0 TRLR")}));
        int code = -1;
        QByteArray out = capturedStdout([&] {
            code = runFindCommand({in, QStringLiteral("ali"), QStringLiteral("--fields"),
                                   QStringLiteral("AdSoyad,Grup")});
        });
        QCOMPARE(code, 0);
        QCOMPARE(QString::fromUtf8(out),
                 QStringLiteral("1\tALİ\tKAYA\t- Ad -- Grup -\n2\tVALİ\t\t- Ad -\n"));
        out = capturedStdout([&] { code = runFindCommand({in, QStringLiteral("ali")}); });
        QCOMPARE(QString::fromUtf8(out), QStringLiteral("1\tALİ\tKAYA\t- Grup -\n"));
        QCOMPARE(runFindCommand(
                     {in, QStringLiteral("ali"), QStringLiteral("--fields"), QStringLiteral("Ad")}),
                 2);
    }
};

QTEST_GUILESS_MAIN(TestPersonSearch)
#include "test_person_search.moc"
