#include "TestSupport.h"
#include "duplicates/DuplicateMerge.h"
#include "duplicates/DuplicateSearch.h"
#include "platform/Cp1254.h"
#include "store/GroupTree.h"
#include "store/LoadedFile.h"
#include "store/RecordFileReader.h"

#include <QtTest>

namespace {

// One person block: "NO|NAME|SURN" and its other lines.
QStringList block(const char* no, const char* name, const char* surname,
                  const QStringList& lines = {}) {
    QStringList b{QStringLiteral("0 ID ") + QString::fromUtf8(no),
                  QStringLiteral("1 NAME ") + QString::fromUtf8(name)};
    if (*surname)
        b.append(QStringLiteral("1 SURN ") + QString::fromUtf8(surname));
    return b + lines;
}

std::unique_ptr<LoadedFile> fileOf(const QList<QStringList>& blocks,
                                   const QStringList& header = {}) {
    QStringList lines{QStringLiteral("0 HEAD")};
    lines += header;
    for (const QStringList& b : blocks)
        lines += b;
    lines.append(QStringLiteral("0 TRLR"));
    RecordFileData data = parseRecordText(cp1254::decode(recordBytes(lines)));
    return LoadedFile::fromData(data);
}

// "1 2 3: aynı ad" for each group, by record numbers.
QStringList shown(const RecordDocument& doc) {
    const std::vector<const PersonRecord*> all = doc.persons().allPersons();
    QStringList out;
    for (const DuplicateGroup& g : findDuplicates(all, doc.differentPersons())) {
        QStringList numbers;
        for (const int m : g.members)
            numbers.append(all[size_t(m)]->RecordNo);
        out.append(numbers.join(u' ') + QStringLiteral(": ") + reasonText(g.reasons));
    }
    return out;
}

PersonRecord* numbered(const RecordDocument& doc, const char* no) {
    for (const PersonRecord* p : doc.persons().allPersons())
        if (p->RecordNo == QLatin1String(no))
            return const_cast<PersonRecord*>(p);
    return nullptr;
}

QString tel(const char* kind, const char* value) {
    return QStringLiteral("2 CONT ") + QString::fromUtf8(kind) + u'\t' + QString::fromUtf8(value);
}

} // namespace

class TestDuplicates : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The names folded the Turkish way, mail and mobile numbers in their
    // many writings, the links that must not group, and groups joined
    // through a person.
    void matching() {
        const auto file = fileOf({
            block("1", "ŞÜKRÜ", "ÖZIŞIK"),
            block("2", "SUKRU", "OZISIK"),
            block("3", "Şükrü", "  Özışık."),
            block("4", "ALİ", "KOÇ", {QStringLiteral("1 PHON"), tel("Tel", "0212 555 44 33")}),
            block("5", "ALI KOC", ""),
            block("6", "Ali  Koç", ""),
            block("7", "ALİ", "KOÇAK", {QStringLiteral("1 PHON"), tel("Tel", "0212 555 44 33")}),
            block("8", "İSMAİL", "", {QStringLiteral("1 PHON"), tel("GSM", "0532 111 22 33")}),
            block("9", "AYŞE", "DEMİR",
                  {QStringLiteral("1 PHON"), tel("Cep", "+90 (532) 111-22-33")}),
            block("10", "", "", {QStringLiteral("1 PHON"), tel("GSM", "0090 532 111 22 33")}),
            block("11", "FATMA", "", {QStringLiteral("1 PHON"), tel("Mail", "f.kaya@ornek.com")}),
            block("12", "FATMA", "YILMAZ",
                  {QStringLiteral("1 PHON"), tel("İş", "F.Kaya@Ornek.COM"),
                   tel("GSM", "0544 000 00 01")}),
            block("13", "ZEYNEP", "", {QStringLiteral("1 PHON"), tel("GSM", "05440000001")}),
            block("14", "", ""),
            block("15", "", ""),
            block("16", "HASAN", "", {QStringLiteral("1 PHON"), tel("Ev", "0312 111 11 11")}),
            block("17", "HÜSEYİN", "", {QStringLiteral("1 PHON"), tel("Tel", "(0312) 111 11 11")}),
            block("18", "AHMET", "", {QStringLiteral("1 PHON"), tel("GSM", "112")}),
            block("19", "MEHMET", "", {QStringLiteral("1 PHON"), tel("GSM", "112")}),
        });
        QCOMPARE(shown(file->document),
                 (QStringList{QStringLiteral("1 2 3: aynı ad"), QStringLiteral("4 5 6: aynı ad"),
                              QStringLiteral("8 9 10: aynı cep telefonu"),
                              QStringLiteral("11 12 13: aynı e-posta, aynı cep telefonu")}));
    }

    // What the kept person has stays; what it lacks comes from the others;
    // contacts, notes and pictures of all, each once; the earliest first
    // record time; the dropped persons leave the list and their groups.
    void merging() {
        const auto file = fileOf(
            {block("1", "ŞÜKRÜ", "ÖZIŞIK",
                   {QStringLiteral("1 PHON"), tel("GSM", "0532 111 22 33"),
                    tel("Mail", "sukru@ornek.com"), QStringLiteral("1 OBJE"),
                    QStringLiteral("2 CONT a.jpg"), QStringLiteral("2 INDX 0"),
                    QStringLiteral("1 ADRS"), QStringLiteral("2 COMP Orvak"),
                    QStringLiteral("1 GRUP Aile"), QStringLiteral("1 TIME"),
                    QStringLiteral("2 RECD 05.03.2010  10:00:00"), QStringLiteral("1 NOTE"),
                    QStringLiteral("2 CONT İlk not")}),
             block(
                 "2", "SUKRU", "OZISIK",
                 {QStringLiteral("1 BIRT"),          QStringLiteral("2 PLAC ANKARA"),
                  QStringLiteral("1 PHON"),          tel("GSM", "+90 532 111 22 33"),
                  tel("Mail", "SUKRU@ORNEK.COM"),    tel("Ev", "0212 000 00 00"),
                  QStringLiteral("1 OBJE"),          QStringLiteral("2 CONT b.jpg"),
                  QStringLiteral("2 CONT a.jpg"),    QStringLiteral("2 INDX 1"),
                  QStringLiteral("1 ADRS"),          QStringLiteral("2 COMP Başka"),
                  QStringLiteral("2 HOM4 İSTANBUL"), QStringLiteral("1 GRUP İş"),
                  QStringLiteral("1 TIME"),          QStringLiteral("2 RECD 01.02.2008  09:00:00"),
                  QStringLiteral("1 NOTE"),          QStringLiteral("2 CONT Telefondan"),
                  QStringLiteral("2 CONT geldi"),    QStringLiteral("1 IDEN urn:uuid:iki")}),
             block("3", "Şükrü", "Özışık",
                   {QStringLiteral("1 PHON"), tel("Web", "www.ornek.com"),
                    QStringLiteral("1 GRUP Aile"), QStringLiteral("1 NOTE"),
                    QStringLiteral("2 CONT İlk not")}),
             block("4", "VELİ", "", {QStringLiteral("1 GRUP İş")})},
            {QStringLiteral("1 GRUP "), QStringLiteral("2 GRUP Aile"),
             QStringLiteral("2 GRUP İş")});
        RecordDocument& doc = file->document;
        PersonRecord* kept = numbered(doc, "1");
        mergeDuplicates(doc, *kept, {numbered(doc, "2"), numbered(doc, "3")},
                        QStringLiteral("10.12.2026  12:00:00"));

        QCOMPARE(doc.persons().personCount(), 2);
        QVERIFY(doc.isModified());
        QCOMPARE(kept->FirstName, QStringLiteral("ŞÜKRÜ"));
        QCOMPARE(kept->Firm, QStringLiteral("Orvak"));
        QCOMPARE(kept->BirthPlace, QStringLiteral("ANKARA"));
        QCOMPARE(kept->HomeCity, QStringLiteral("İSTANBUL"));
        QCOMPARE(kept->GroupPath, QStringLiteral("Aile"));
        QCOMPARE(kept->Contacts, (QStringList{QStringLiteral("GSM\t0532 111 22 33"),
                                              QStringLiteral("Mail\tsukru@ornek.com"),
                                              QStringLiteral("Ev\t0212 000 00 00"),
                                              QStringLiteral("Web\twww.ornek.com")}));
        QCOMPARE(kept->Notes, (QStringList{QStringLiteral("İlk not"), QStringLiteral("Telefondan"),
                                           QStringLiteral("geldi")}));
        QCOMPARE(kept->Pictures, (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
        QCOMPARE(kept->PictureIndex, 0);
        QCOMPARE(kept->RecordedAt, QStringLiteral("01.02.2008  09:00:00"));
        QCOMPARE(kept->EditedAt, QStringLiteral("10.12.2026  12:00:00"));
        // Its card on a sync server lives on as the merged person's.
        QCOMPARE(kept->Identity, QStringLiteral("urn:uuid:iki"));
        const GroupNode& root = doc.groups().root();
        QCOMPARE(FindPersonGroup(root, QStringLiteral("Aile"))->MemberCount, 1);
        QCOMPARE(FindPersonGroup(root, QStringLiteral("İş"))->MemberCount, 1);
        QVERIFY(shown(doc).isEmpty());
    }

    // "Farklı Kişiler" survives saving and reading; a newcomer to the
    // group brings it back, and marking it again replaces the old entry.
    void differentPersonsStayApart() {
        const auto file = fileOf({block("1", "ALİ", "KOÇ", {QStringLiteral("1 IDEN kopya")}),
                                  block("2", "ALI", "KOC", {QStringLiteral("1 IDEN kopya")}),
                                  block("3", "VELİ", "")});
        RecordDocument& doc = file->document;
        markDifferent(doc, {numbered(doc, "1"), numbered(doc, "2")});
        QVERIFY(doc.isModified());
        // The copied identity stays with the first; the second gets its own.
        QCOMPARE(numbered(doc, "1")->Identity, QStringLiteral("kopya"));
        QVERIFY(!numbered(doc, "2")->Identity.isEmpty());
        QVERIFY(numbered(doc, "2")->Identity != QStringLiteral("kopya"));

        const QString saved = cp1254::decode(doc.compose());
        QVERIFY(saved.contains(QStringLiteral("\r\n1 DIST\r\n2 IDEN kopya\r\n2 IDEN ")));
        RecordFileData data = parseRecordText(saved);
        const auto reread = LoadedFile::fromData(data);
        QCOMPARE(reread->document.persons().personCount(), 3);
        QVERIFY(shown(reread->document).isEmpty());

        auto newcomer = std::make_unique<PersonRecord>();
        newcomer->RecordNo = QStringLiteral("4");
        newcomer->FirstName = QStringLiteral("Ali");
        newcomer->Surname = QStringLiteral("Koç");
        reread->document.persons().append(std::move(newcomer));
        QCOMPARE(shown(reread->document), QStringList{QStringLiteral("1 2 4: aynı ad")});
        RecordDocument& again = reread->document;
        markDifferent(again, {numbered(again, "1"), numbered(again, "2"), numbered(again, "4")});
        QCOMPARE(again.differentPersons().size(), 1);
        QCOMPARE(again.differentPersons().front().size(), 3);
        QVERIFY(shown(again).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDuplicates)
#include "test_duplicates.moc"
