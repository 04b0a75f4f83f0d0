#include "TestSupport.h"
#include "interchange/VCardFlow.h"
#include "interchange/VCardImport.h"
#include "interchange/VCardWriter.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/ScriptedPrompts.h"
#include "store/BirthDate.h"
#include "store/GroupTree.h"
#include "store/RecordDocument.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const ManualClock kClock(QDateTime(QDate(2024, 3, 5), QTime(9, 8, 7)));

QString corpus(const char* name) {
    return qEnvironmentVariable("ZILVAREN_TEST_DATA") + QStringLiteral("/vcard/") +
           QString::fromLatin1(name);
}

VCardImportPlan planBytes(QByteArray bytes, qint64 first = 1) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return planVCardImport(buffer, QStringLiteral("Aile"), first, kClock);
}

VCardImportPlan planFile(const char* name) {
    return planBytes(readFile(corpus(name)));
}

const PersonRecord& person(const VCardImportPlan& plan, size_t i) {
    return *plan.persons.at(i).record;
}

QStringList names(const VCardImportPlan& plan) {
    QStringList out;
    for (const VCardPerson& p : plan.persons)
        out.append(p.record->FirstName + u'/' + p.record->Surname);
    return out;
}

QDate birth(const PersonRecord& p) {
    return birthdate::toDate(p.BirthDate);
}

// A document with the groups Aile > Kuzenler and İş, and three persons.
void fillDocument(RecordDocument& doc) {
    auto root = std::make_unique<GroupNode>();
    root->addChild(QStringLiteral("Aile"))->addChild(QStringLiteral("Kuzenler"));
    root->addChild(QStringLiteral("İş"));
    doc.groups().setRoot(std::move(root));
    std::vector<std::unique_ptr<PersonRecord>> persons;
    for (const char* no : {"7", "X12", "3"}) {
        auto p = std::make_unique<PersonRecord>();
        p->RecordNo = QString::fromLatin1(no);
        p->FirstName = QStringLiteral("VAR");
        p->GroupPath = QStringLiteral("İş");
        persons.push_back(std::move(p));
    }
    doc.persons().setPersons(std::move(persons));
}

// A person with every field the cards carry, and the characters that
// need escaping.
PersonRecord fullPerson(const QString& no) {
    PersonRecord p;
    p.RecordNo = no;
    p.FirstName = QStringLiteral("ŞÜKRÜ ÇAĞRI");
    p.Surname = QStringLiteral("IŞIKLI, İNCE");
    p.BirthPlace = QStringLiteral("ESKİŞEHİR");
    p.Firm = QStringLiteral("Orvak; Bilişim");
    p.Department = QStringLiteral("Ar-Ge \\ Yazılım");
    p.Profession = QStringLiteral("Kıdemli Mühendis");
    p.HomeAddress1 = QStringLiteral("Kızılay Cad. No: 12, Kat 3");
    p.HomeAddress2 = QStringLiteral("Daire 4");
    p.HomeCity = QStringLiteral("Ankara");
    p.HomePostCode = QStringLiteral("06420");
    p.WorkAddress1 = QStringLiteral("Büyükdere Cad. 100");
    p.WorkCity = QStringLiteral("İstanbul");
    p.WorkPostCode = QStringLiteral("34394");
    p.EditedAt = QStringLiteral("01.06.2023  10:20:30");
    p.BirthDate = birthdate::fromDate(QDate(1978, 11, 23));
    p.Sex = u'F';
    p.MaritalStatus = u'B';
    p.Contacts = {
        QStringLiteral("Ev\t0312 000 00 06"),   QStringLiteral("İş\t0312 000 00 05"),
        QStringLiteral("GSM\t0532 000 00 01"),  QStringLiteral("Fax\t0312 000 00 07"),
        QStringLiteral("Mail\tayse@ornek.org"), QStringLiteral("Web\thttps://ornek.org/a,b")};
    p.Notes = {QStringLiteral("Birinci satır; noktalı virgül"), QString(),
               QStringLiteral("Üçüncü satır, çok uzun: ") + QString(60, u'ğ')};
    p.GroupPath = QStringLiteral("Aile") + GroupPathSeparator + QStringLiteral("Kuzenler");
    return p;
}

} // namespace

class TestVCard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void version21QuotedPrintable() {
        const VCardImportPlan plan = planFile("v21_qp_utf8.vcf");
        QCOMPARE(names(plan), QStringList{QStringLiteral("ŞÜKRÜ ÇAĞRI/IŞIKLI")});
        const PersonRecord& p = person(plan, 0);
        QCOMPARE(p.Contacts, (QStringList{QStringLiteral("GSM\t0532 111 22 33"),
                                          QStringLiteral("Ev\t0312 444 55 66"),
                                          QStringLiteral("Fax\t0312 444 55 67"),
                                          QStringLiteral("Mail\tsukru@ornek.com.tr")}));
        QCOMPARE(p.Notes, (QStringList{QStringLiteral("Toplantı notu: İzmir şubesi"),
                                       QStringLiteral("ikinci satır")}));
        QCOMPARE(p.HomeAddress1, QStringLiteral("Gül Sk. 7"));
        QCOMPARE(p.HomeCity, QStringLiteral("Eskişehir"));
        QCOMPARE(p.HomePostCode, QStringLiteral("26100"));
        QCOMPARE(p.RecordNo, QStringLiteral("1"));
        QCOMPARE(p.GroupPath, QStringLiteral("Aile"));
        QCOMPARE(p.RecordedAt, QStringLiteral("05.03.2024  09:08:07"));
        QVERIFY(plan.skipped.isEmpty() && plan.warnings.isEmpty() && plan.unencodable.isEmpty());
    }

    void version21CodePage1254() {
        const VCardImportPlan plan = planFile("v21_cp1254.vcf");
        QCOMPARE(names(plan),
                 (QStringList{QStringLiteral("GÜLŞEN/ÖZTÜRK"), QStringLiteral("İSMAİL/AĞAOĞLU"),
                              QStringLiteral("IŞIL/ŞİMŞEK")}));
        QCOMPARE(person(plan, 0).Firm, QStringLiteral("Doğan Ltd."));
        QCOMPARE(person(plan, 0).Department, QStringLiteral("Muhasebe"));
        QCOMPARE(person(plan, 0).Profession, QStringLiteral("Müdür"));
        QCOMPARE(person(plan, 1).Contacts, QStringList{QStringLiteral("İş\t0216 333 00 00")});
    }

    void version30FoldedGroupedAndEscaped() {
        const VCardImportPlan plan = planFile("v30_folded.vcf");
        QCOMPARE(names(plan), QStringList{QStringLiteral("AYŞE/KARACA, YENER")});
        const PersonRecord& p = person(plan, 0);
        QCOMPARE(
            p.Contacts,
            (QStringList{
                QStringLiteral("GSM\t0532 000 00 01"), QStringLiteral("GSM\t0532 000 00 02"),
                QStringLiteral("GSM\t0532 000 00 03"), QStringLiteral("GSM\t0532 000 00 04"),
                QStringLiteral("İş\t0312 000 00 05"), QStringLiteral("Ev\t0312 000 00 06"),
                QStringLiteral("Fax\t0312 000 00 07"), QStringLiteral("Yazlık\t0312 000 00 08"),
                QStringLiteral("Mail\tayse@ornek.org"),
                QStringLiteral("Web\thttps://ornek.org/ayse")}));
        QCOMPARE(p.HomeAddress1, QStringLiteral("Kızılay Cad. No: 12, Kat 3"));
        QCOMPARE(p.HomeAddress2, QStringLiteral("Daire 4, Çankaya, Türkiye"));
        QCOMPARE(p.HomeCity, QStringLiteral("Ankara"));
        QCOMPARE(p.WorkAddress1, QStringLiteral("Büyükdere Cad. 100"));
        QCOMPARE(p.WorkCity, QStringLiteral("İstanbul"));
        QCOMPARE(p.WorkPostCode, QStringLiteral("34394"));
        QCOMPARE(p.Firm, QStringLiteral("Orvak Bilişim"));
        QCOMPARE(p.Department, QStringLiteral("Ar-Ge, Yazılım"));
        QCOMPARE(p.Profession, QStringLiteral("Kıdemli Mühendis"));
        QCOMPARE(birth(p), QDate(1978, 11, 23));
        QCOMPARE(p.Sex, QChar(u'F'));
        QCOMPARE(
            p.EditedAt,
            Clock::stamp(QDateTime(QDate(2023, 6, 1), QTime(10, 20, 30), Qt::UTC).toLocalTime()));
        QCOMPARE(p.Notes.size(), 2);
        QCOMPARE(p.Notes[1], QStringLiteral("İkinci satır: noktalı virgül; virgül, ters bölü \\ "
                                            "son. Bu satır yetmiş beş sekizliden uzun olduğu için "
                                            "katlanır."));
        QCOMPARE(plan.persons[0].photos.size(), size_t(1));
        QCOMPARE(plan.persons[0].photos[0].data, readFile(corpus("photo.jpg")));
    }

    void version40UrisAndCardsWithoutName() {
        const VCardImportPlan plan = planFile("v40.vcf");
        QCOMPARE(names(plan),
                 (QStringList{QStringLiteral("ÇİĞDEM/ÜNLÜ"), QStringLiteral("EGE GIDA A.Ş./"),
                              QStringLiteral("BİLGİ@ORNEK.COM/")}));
        const PersonRecord& p = person(plan, 0);
        QCOMPARE(p.Contacts, (QStringList{QStringLiteral("GSM\t+90-532-555-0101"),
                                          QStringLiteral("İş\t+90-312-555-0102"),
                                          QStringLiteral("Mail\tcigdem@ornek.net")}));
        QCOMPARE(p.Sex, QChar(u'F'));
        QCOMPARE(birth(p), QDate(1985, 4, 12));
        QCOMPARE(plan.persons[0].photos.at(0).data, readFile(corpus("photo.jpg")));
        QCOMPARE(person(plan, 1).Firm, QStringLiteral("Ege Gıda A.Ş."));
        QCOMPARE(person(plan, 2).RecordNo, QStringLiteral("3"));
    }

    void lineFeedsAndByteOrderMark() {
        const VCardImportPlan plan = planFile("lf_bom.vcf");
        QCOMPARE(names(plan),
                 (QStringList{QStringLiteral("GÖKHAN/YILDIZ"), QStringLiteral("ÖMER/ÇELEBİ")}));
        QCOMPARE(person(plan, 1).Contacts, QStringList{QStringLiteral("Ev\t0224 765 43 21")});
    }

    void brokenCardsAreReported() {
        const VCardImportPlan plan = planFile("broken.vcf");
        QCOMPARE(names(plan),
                 (QStringList{QStringLiteral("KART/SAĞLAM"), QStringLiteral("BOZUK/RESİMSİZ"),
                              QStringLiteral("GÜL/KESİK")}));
        QVERIFY(plan.persons[1].photos.empty());
        QCOMPARE(plan.warnings.size(), 1);
        QVERIFY(plan.warnings[0].startsWith(QStringLiteral("2. kart (BOZUK RESİMSİZ): ")));
        QCOMPARE(plan.skipped.size(), 1);
        QVERIFY(plan.skipped[0].contains(QStringLiteral("4. kart")));
        QVERIFY(plan.skipped[0].contains(QStringLiteral("END:VCARD")));
        const QString message = vcardImportMessage(3, plan);
        QVERIFY(message.startsWith(QStringLiteral("vCard dosyasından 3 kişi aktarıldı.")));
        QVERIFY(message.contains(QStringLiteral("Alınmayan kart sayısı: 1")));
        QVERIFY(message.contains(QStringLiteral("Eksik alınan kart sayısı: 1")));

        // Odd bytes, no cards, a card holding nothing: nothing made, all told.
        QVERIFY(planBytes(QByteArray("\x00\xff\xfe garbage\r\n", 13)).persons.empty());
        const VCardImportPlan empty = planBytes("BEGIN:VCARD\r\nVERSION:3.0\r\nEND:VCARD\r\n");
        QVERIFY(empty.persons.empty());
        QCOMPARE(empty.skipped.size(), 1);
    }

    void unencodableLettersAreListedThenReplaced() {
        VCardImportPlan plan = planFile("unencodable.vcf");
        QCOMPARE(plan.unencodable.size(), 3);
        QVERIFY(
            plan.unencodable[0].startsWith(QStringLiteral("1. kart (ИВАН ПЕТРОВ), Ad: И В А Н")));
        QVERIFY(plan.unencodable[1].contains(QStringLiteral(", Soyad: ")));
        QVERIFY(plan.unencodable[2].contains(QStringLiteral(", Firma: Α θ ή ν α")));
        QVERIFY(unencodableQuestion(plan.unencodable).contains(QStringLiteral("Ad: И")));
        replaceUnencodable(plan);
        QCOMPARE(person(plan, 0).FirstName, QStringLiteral("????"));
        QCOMPARE(person(plan, 0).Firm, QStringLiteral("????? Ltd"));
        QCOMPARE(person(plan, 1).FirstName, QStringLiteral("ALİ"));
    }

    void commitNumbersCountsAndPhotos() {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("Photo1.JPG")), "x");
        writeFile(dir.filePath(QStringLiteral("photo3.jpg")), "x");
        RecordDocument doc;
        fillDocument(doc);
        const QString kuzenler =
            QStringLiteral("Aile") + GroupPathSeparator + QStringLiteral("Kuzenler");
        QByteArray bytes = readFile(corpus("v30_folded.vcf")) + readFile(corpus("v40.vcf"));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QCOMPARE(nextRecordNumber(doc.persons()), 8);
        VCardImportPlan plan = planVCardImport(buffer, kuzenler, nextRecordNumber(doc.persons()), kClock);
        QCOMPARE(commitVCardImport(doc, plan, dir.path()), 4);
        QVERIFY(doc.isModified());
        const auto all = doc.persons().allPersons();
        QCOMPARE(all.size(), size_t(7));
        QCOMPARE(all[3]->RecordNo, QStringLiteral("8"));
        QCOMPARE(all[6]->RecordNo, QStringLiteral("11"));
        QCOMPARE(all[3]->Pictures, QStringList{QStringLiteral("photo2.jpg")});
        QCOMPARE(all[4]->Pictures, QStringList{QStringLiteral("photo4.jpg")});
        QCOMPARE(readFile(dir.filePath(QStringLiteral("photo4.jpg"))),
                 readFile(corpus("photo.jpg")));
        const GroupNode* group = FindPersonGroup(doc.groups().root(), kuzenler);
        QCOMPARE(group->MemberCount, 4u);
        QCOMPARE(group->parent->MemberCount, 4u);
    }

    void failedPhotoChangesNothing() {
        QTemporaryDir dir;
        RecordDocument doc;
        fillDocument(doc);
        VCardImportPlan plan = planFile("v40.vcf");
        QVERIFY_THROWS_EXCEPTION(ZilvarenError,
                                 commitVCardImport(doc, plan, dir.filePath(QStringLiteral("yok"))));
        QCOMPARE(doc.persons().personCount(), 3);
        QVERIFY(!doc.isModified());
    }

    void writtenCardsAreFoldedAndEscaped() {
        const PersonRecord p = fullPerson(QStringLiteral("5"));
        const QByteArray card = composeVCard(p, {readFile(corpus("photo.jpg"))});
        QVERIFY(card.startsWith("BEGIN:VCARD\r\nVERSION:3.0\r\n"));
        QVERIFY(card.endsWith("END:VCARD\r\n"));
        QVERIFY(!card.contains("\r\n\r\n") && !QByteArray(card).replace("\r\n", "").contains('\n'));
        const QList<QByteArray> lines = card.split('\n');
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            QVERIFY2(lines[i].endsWith('\r'), lines[i].constData());
            QVERIFY2(lines[i].size() - 1 <= 75, lines[i].constData());
            if (lines[i].startsWith(' '))
                QVERIFY2((uchar(lines[i][1]) & 0xC0) != 0x80, "fold inside a UTF-8 sequence");
        }
        QByteArray unfolded = card;
        unfolded.replace("\r\n ", "");
        QVERIFY(unfolded.contains(QStringLiteral("N:IŞIKLI\\, İNCE;ŞÜKRÜ ÇAĞRI;;;\r\n").toUtf8()));
        QVERIFY(unfolded.contains(
            QStringLiteral("ORG:Orvak\\; Bilişim;Ar-Ge \\\\ Yazılım\r\n").toUtf8()));
        QVERIFY(unfolded.contains("CATEGORIES:Aile,Kuzenler\r\n"));
        QVERIFY(unfolded.contains("REV:"));
        QVERIFY(unfolded.contains(
            "PHOTO;ENCODING=b;TYPE=JPEG:" + readFile(corpus("photo.jpg")).toBase64() + "\r\n"));
    }

    // Plain text is written eight characters at a time where it can be: a
    // character that needs escaping, or is not ASCII, at every place of a
    // value is written as it is alone.
    void escapingAtEveryPlace() {
        const std::pair<QString, QByteArray> kinds[] = {
            {QStringLiteral(","), "\\,"},      {QStringLiteral(";"), "\\;"},
            {QStringLiteral("\\"), "\\\\"},    {QStringLiteral("\n"), "\\n"},
            {QStringLiteral("\r\n"), "\\n"},   {QStringLiteral("\t"), "\t"},
            {QStringLiteral("ğ"), "\xC4\x9F"}, {QStringLiteral("€"), "\xE2\x82\xAC"}};
        for (const auto& [text, written] : kinds) {
            for (int size = 1; size <= 20; ++size) {
                for (int at = 0; at < size; ++at) {
                    PersonRecord p;
                    p.RecordNo = QStringLiteral("1");
                    p.Profession = QString(at, u'a') + text + QString(size - at - 1, u'b');
                    const QByteArray line = "\r\nTITLE:" + QByteArray(at, 'a') + written +
                                            QByteArray(size - at - 1, 'b') + "\r\n";
                    if (!composeVCard(p).contains(line))
                        QFAIL(line.constData());
                }
            }
        }
    }

    void uidIsStable() {
        const PersonRecord a = fullPerson(QStringLiteral("5"));
        PersonRecord edited = a;
        edited.FirstName = QStringLiteral("BAŞKA");
        QCOMPARE(vcardUid(a), vcardUid(edited));
        QVERIFY(vcardUid(a) != vcardUid(fullPerson(QStringLiteral("6"))));
        QVERIFY(composeVCard(a).contains((QStringLiteral("UID:") + vcardUid(a)).toUtf8()));
    }

    void roundTripKeepsPersons() {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("a.jpg")), readFile(corpus("photo.jpg")));
        writeFile(dir.filePath(QStringLiteral("b.bmp")), "BMnot a jpeg");
        std::vector<PersonRecord> persons = {fullPerson(QStringLiteral("1")), PersonRecord{}};
        persons[1].RecordNo = QStringLiteral("2");
        persons[1].FirstName = QStringLiteral("ALİ");
        persons[1].Pictures = {QStringLiteral("a.jpg"), QStringLiteral("b.bmp")};
        // Kinds are free text: the six words travel as their own lines,
        // any other as a line of its value's shape with its label.
        persons[1].Contacts = {QStringLiteral("ev\t212 000"), QStringLiteral("GSM\t0532 1"),
                               QStringLiteral("E-posta, özel\tali@ornek.com"),
                               QStringLiteral("İş yeri\thttps://ornek.com.tr")};
        std::vector<const PersonRecord*> list = {&persons[0], &persons[1]};

        QByteArray bytes;
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        const VCardExportResult written = writeVCards(out, list, {true, dir.path()});
        QCOMPARE(written.cards, 2);
        QCOMPARE(written.picturesLeftOut, 1);
        for (const char* line :
             {"item1.TEL:212 000", "item1.X-ABLabel:ev", "item2.EMAIL;TYPE=INTERNET:ali@ornek.com",
              "item2.X-ABLabel:E-posta\\, özel", "item3.URL:https"})
            QVERIFY2(bytes.contains(line), line);

        VCardImportPlan plan = planBytes(bytes, 1);
        QCOMPARE(plan.persons.size(), size_t(2));
        QVERIFY(plan.skipped.isEmpty() && plan.warnings.isEmpty());
        for (size_t i = 0; i < 2; ++i) {
            PersonRecord back = *plan.persons[i].record;
            PersonRecord expected = persons[i];
            // The file's own bookkeeping: numbers, stamps, group and picture names.
            back.RecordedAt = expected.RecordedAt;
            back.GroupPath = expected.GroupPath;
            back.Pictures = expected.Pictures;
            if (expected.EditedAt.isEmpty())
                back.EditedAt.clear();
            QCOMPARE(back, expected);
        }
        QCOMPARE(plan.persons[1].photos.size(), size_t(1));
        QCOMPARE(plan.persons[1].photos[0].data, readFile(corpus("photo.jpg")));
    }

    void groupExportTakesSubGroups() {
        PersonRecord a, b, c, d;
        a.GroupPath = QStringLiteral("Aile");
        b.GroupPath = QStringLiteral("aile") + GroupPathSeparator + QStringLiteral("Kuzenler");
        c.GroupPath = QStringLiteral("Aile2");
        d.GroupPath = kNoGroupPath;
        const std::vector<const PersonRecord*> all = {&a, &b, &c, &d};
        QCOMPARE(personsInGroup(all, QStringLiteral("AİLE")),
                 (std::vector<const PersonRecord*>{&a, &b}));
    }

    // The window commands' flows, answered by scripted prompts.
    void importFlowCancelLeavesEverything() {
        QTemporaryDir dir;
        RecordDocument doc;
        fillDocument(doc);
        ScriptedPrompts prompts;
        prompts.answerText(corpus("unencodable.vcf"));
        prompts.answer(PromptButton::Cancel);
        QList<bool> locks;
        runVCardImport(prompts, {doc, QStringLiteral("İş"), dir.path(), dir.path(), kClock,
                                 [&locks](bool on) { locks.append(on); }});
        QCOMPARE(locks, (QList<bool>{true, false}));
        QCOMPARE(doc.persons().personCount(), 3);
        QVERIFY(!doc.isModified());
        QCOMPARE(prompts.shown().last().kind, ScriptedPrompts::Kind::Question);
        QVERIFY(prompts.shown().last().text.contains(QStringLiteral("ИВАН")));

        prompts.clear();
        prompts.answerText(dir.filePath(QStringLiteral("yok.vcf")));
        runVCardImport(prompts, {doc, QStringLiteral("İş"), dir.path(), dir.path(), kClock,
                                 [&locks](bool on) { locks.append(on); }});
        QCOMPARE(prompts.shown().last().kind, ScriptedPrompts::Kind::Error);
        QVERIFY(prompts.shown().last().text.contains(QStringLiteral("okunamadı")));
        QCOMPARE(doc.persons().personCount(), 3);
    }

    void exportFlowWritesFocusedGroup() {
        QTemporaryDir dir;
        PersonRecord a = fullPerson(QStringLiteral("1"));
        PersonRecord b;
        b.RecordNo = QStringLiteral("2");
        b.FirstName = QStringLiteral("VELİ");
        b.GroupPath = QStringLiteral("İş");
        const QString path = dir.filePath(QStringLiteral("k.vcf"));
        ScriptedPrompts prompts;
        prompts.answer(PromptButton::Yes); // only the focused group
        prompts.answerText(path);
        runVCardExport(prompts, {{&a, &b}, QStringLiteral("İş"), dir.path(), dir.path()});
        QCOMPARE(prompts.messages().size(), 1);
        QVERIFY(prompts.messages()[0].startsWith(QStringLiteral("1 kişi")));
        const VCardImportPlan plan = planBytes(readFile(path));
        QCOMPARE(names(plan), QStringList{QStringLiteral("VELİ/")});
    }
};

QTEST_GUILESS_MAIN(TestVCard)
#include "test_vcard.moc"
