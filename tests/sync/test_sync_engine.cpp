// The sync engine against a CardDAV server in the same process, with the
// faults a real one has: changes from another client, conflicts, a
// forgotten token, a 503 or a dropped connection part way.
#include "FakeDavServer.h"
#include "TestSupport.h"

#include "platform/Clock.h"
#include "store/GroupTree.h"
#include "store/LoadedFile.h"
#include "store/RecordFileReader.h"
#include "sync/SyncCards.h"
#include "sync/SyncEngine.h"
#include "tools/BulkTools.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const ManualClock kClock(QDateTime(QDate(2026, 12, 10), QTime(9, 30)));

QByteArray vcard(const QString& uid, const QString& family, const QString& given,
                 const QStringList& extra = {}) {
    QStringList lines = {QStringLiteral("BEGIN:VCARD"), QStringLiteral("VERSION:3.0"),
                         QStringLiteral("UID:") + uid,
                         QStringLiteral("N:%1;%2;;;").arg(family, given),
                         QStringLiteral("FN:%1 %2").arg(given, family)};
    lines += extra;
    lines.append(QStringLiteral("END:VCARD"));
    return lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

// A record file in memory, and what one sync of it does.
struct Desk {
    QTemporaryDir dir;
    std::unique_ptr<LoadedFile> file;
    SyncState state;
    std::function<std::optional<int>(const std::vector<AddressBook>&)> chooseBook;

    explicit Desk(const QStringList& lines) {
        RecordFileData data = parseRecordText(cp1254::decode(recordBytes(lines)));
        file = LoadedFile::fromData(data);
    }
    RecordDocument& doc() { return file->document; }
    SyncReport sync(DavTransport& server) {
        CardDavClient dav(server);
        SyncEngine engine(dav, doc(), state, kClock, dir.path());
        SyncTarget target;
        target.server = QUrl(QStringLiteral("https://dav.example/"));
        target.newBookName = QStringLiteral("personel");
        target.chooseBook = chooseBook;
        const SyncReport report = engine.run(target);
        doc().markSaved();
        return report;
    }
    PersonRecord* person(const QString& firstName) {
        for (int i = 0; i < doc().persons().personCount(); ++i)
            if (doc().persons().personAt(i)->FirstName == firstName)
                return doc().persons().personAt(i);
        return nullptr;
    }
    QStringList names() {
        QStringList out;
        for (const PersonRecord* p : doc().persons().allPersons())
            out.append(p->FirstName);
        out.sort();
        return out;
    }
    quint32 count(const char* groupPath) {
        const GroupNode* g = FindPersonGroup(doc().groups().root(), path(groupPath));
        return g ? g->MemberCount : 0;
    }
};

// The given names on the server's cards.
QStringList serverNames(const FakeDavServer& server) {
    QStringList names;
    for (const QString& p : server.cardPaths()) {
        const CardPerson c = personOfCard(server.card(p), QString());
        names.append(c.record ? c.record->FirstName : QStringLiteral("?"));
    }
    names.sort();
    return names;
}

int count(const QStringList& log, const QString& prefix) {
    return int(std::count_if(log.begin(), log.end(),
                             [&](const QString& l) { return l.startsWith(prefix); }));
}

const QStringList kThree = {QStringLiteral("1 GRUP Aile"),
                            QStringLiteral("2 GRUP Aile"),
                            QStringLiteral("0 ID 1"),
                            QStringLiteral("1 NAME ALİ"),
                            QStringLiteral("1 SURN KAYA"),
                            QStringLiteral("1 PHON"),
                            QStringLiteral("2 CONT GSM\t0532 111 22 33"),
                            QStringLiteral("1 GRUP Aile"),
                            QStringLiteral("1 TIME"),
                            QStringLiteral("2 RECD 01.02.2020  10:00:00"),
                            QStringLiteral("0 ID 2"),
                            QStringLiteral("1 NAME AYŞE"),
                            QStringLiteral("1 GRUP Aile"),
                            QStringLiteral("0 ID 3"),
                            QStringLiteral("1 NAME CAN"),
                            QStringLiteral("1 GRUP Aile"),
                            QStringLiteral("0 TRLR")};

} // namespace

class TestSyncEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }

    // Changes on either side reach the other; an identity survives
    // renumbering; a sync with nothing to do writes nothing.
    void changesTravelBothWays() {
        Desk desk(kThree);
        FakeDavServer server;
        SyncReport r = desk.sync(server);
        QCOMPARE(r.sent, 3);
        QCOMPARE(serverNames(server), (QStringList{QStringLiteral("ALİ"), QStringLiteral("AYŞE"),
                                                   QStringLiteral("CAN")}));
        const QString ali = desk.person(QStringLiteral("ALİ"))->Identity;
        QVERIFY(ali.startsWith(QStringLiteral("urn:uuid:")));
        const QString aliPath = FakeDavServer::cardPath(cardFileName(ali));
        QVERIFY(server.card(aliPath).contains("CATEGORIES:Aile"));
        QVERIFY(server.card(aliPath).contains((QStringLiteral("UID:") + ali).toUtf8()));

        renumberRecords(desk.doc());
        server.log.clear();
        r = desk.sync(server);
        QCOMPARE(r.sent + r.received, 0);
        QCOMPARE(count(server.log, QStringLiteral("PUT")), 0);

        // Another client: ALİ gets a number of a kind of its own, AYŞE's
        // card goes, DENİZ comes in a sub-group. Here: CAN changes, EMRE
        // comes.
        server.putCard(aliPath, vcard(ali, QStringLiteral("KAYA"), QStringLiteral("ALİ"),
                                      {QStringLiteral("CATEGORIES:Aile"),
                                       QStringLiteral("TEL;TYPE=CELL:0532 111 22 33"),
                                       QStringLiteral("item1.TEL:0312 444 55 66"),
                                       QStringLiteral("item1.X-ABLabel:yazlık"),
                                       QStringLiteral("NICKNAME:Alişko"),
                                       QStringLiteral("item1.X-ABDATE:2020-01-01"),
                                       QStringLiteral("item2.X-ABDATE:2021-05-05"),
                                       QStringLiteral("item2.X-ABLabel:nişan")}));
        const QString ayse = desk.person(QStringLiteral("AYŞE"))->Identity;
        server.deleteCard(FakeDavServer::cardPath(cardFileName(ayse)));
        server.putCard(FakeDavServer::cardPath(QStringLiteral("deniz.vcf")),
                       vcard(QStringLiteral("deniz-1"), QStringLiteral("SU"),
                             QStringLiteral("DENİZ"),
                             {QStringLiteral("CATEGORIES:Aile,Kuzenler")}));
        desk.person(QStringLiteral("CAN"))->Firm = QStringLiteral("Orvak");
        auto emre = std::make_unique<PersonRecord>();
        emre->RecordNo = QStringLiteral("9");
        emre->FirstName = QStringLiteral("EMRE");
        emre->GroupPath = QStringLiteral("Aile");
        desk.doc().persons().append(std::move(emre));
        desk.doc().groups().addMembers(
            FindPersonGroup(desk.doc().groups().root(), QStringLiteral("Aile")), 1);

        r = desk.sync(server);
        QCOMPARE(r.sent, 2);
        QCOMPARE(r.received, 2);
        QCOMPARE(r.deletedHere, 1);
        QCOMPARE(desk.names(), (QStringList{QStringLiteral("ALİ"), QStringLiteral("CAN"),
                                            QStringLiteral("DENİZ"), QStringLiteral("EMRE")}));
        QCOMPARE(desk.person(QStringLiteral("ALİ"))->Contacts,
                 (QStringList{QStringLiteral("GSM\t0532 111 22 33"),
                              QStringLiteral("yazlık\t0312 444 55 66")}));
        QCOMPARE(desk.person(QStringLiteral("DENİZ"))->GroupPath, path("Aile|Kuzenler"));
        QCOMPARE(desk.count("Aile"), 4u);
        QCOMPARE(desk.count("Aile|Kuzenler"), 1u);
        QCOMPARE(serverNames(server), desk.names());
        QVERIFY(server
                    .card(FakeDavServer::cardPath(
                        cardFileName(desk.person(QStringLiteral("CAN"))->Identity)))
                    .contains("ORG:Orvak"));

        server.log.clear();
        r = desk.sync(server);
        QCOMPARE(r.sent + r.received + r.deletedHere + r.deletedThere, 0);
        QCOMPARE(count(server.log, QStringLiteral("PUT")) +
                     count(server.log, QStringLiteral("DELETE")),
                 0);

        // A change here keeps what the other program put on the card that
        // the file has no field for.
        desk.person(QStringLiteral("ALİ"))->Firm = QStringLiteral("Yeni AŞ");
        desk.sync(server);
        const QByteArray written = server.card(aliPath);
        QVERIFY(written.contains("ORG:Yeni AŞ"));
        QVERIFY2(written.contains("NICKNAME:Alişko") &&
                     written.contains(".X-ABDATE:2021-05-05") && written.contains(".X-ABLabel:nişan") &&
                     !written.contains("2020-01-01"),
                 written.constData());

        desk.doc().persons().remove(desk.person(QStringLiteral("ALİ")));
        r = desk.sync(server);
        QCOMPARE(r.deletedThere, 1);
        QVERIFY(server.card(aliPath).isEmpty());
    }

    // Several books: the one the user chooses; none: one named after the
    // file.
    void theBookIsChosenOrMade() {
        Desk desk(kThree);
        FakeDavServer two({QStringLiteral("a"), QStringLiteral("b")});
        desk.chooseBook = [](const std::vector<AddressBook>& books) {
            return books.size() == 2 ? std::optional<int>(1) : std::nullopt;
        };
        desk.sync(two);
        QCOMPARE(two.cardPaths().size(), 3);
        QVERIFY(two.cardPaths().first().startsWith(QStringLiteral("/u/b/")));
        Desk other(kThree);
        FakeDavServer none(QStringList{});
        other.sync(none);
        QVERIFY(none.cardPaths().first().startsWith(QStringLiteral("/u/personel/")));
    }

    // Both sides changed: both versions stay, and the next sync sends
    // what the user keeps. Deleted on one side, changed on the other: the
    // changed one stays.
    void conflictsLoseNeitherSide() {
        Desk desk(kThree);
        FakeDavServer server;
        desk.sync(server);
        const auto pathOf = [&](const char* name) {
            return FakeDavServer::cardPath(
                cardFileName(desk.person(QString::fromUtf8(name))->Identity));
        };
        const QString ali = pathOf("ALİ"), ayse = pathOf("AYŞE"), can = pathOf("CAN");
        const QString aliId = desk.person(QStringLiteral("ALİ"))->Identity;

        desk.person(QStringLiteral("ALİ"))->Firm = QStringLiteral("Yerel AŞ");
        server.putCard(ali, vcard(aliId, QStringLiteral("KAYA"), QStringLiteral("ALİ"),
                                  {QStringLiteral("ORG:Sunucu Ltd")}));
        // AYŞE changes on the server just before our write arrives.
        desk.person(QStringLiteral("AYŞE"))->Profession = QStringLiteral("Mühendis");
        server.beforeWrite = [&](const QString& p) {
            if (p == ayse && server.beforeWrite) {
                server.putCard(ayse,
                               vcard(desk.person(QStringLiteral("AYŞE"))->Identity, QString(),
                                     QStringLiteral("AYŞE"), {QStringLiteral("TITLE:Avukat")}));
            }
        };
        // CAN: deleted here, changed there.
        const QString canId = desk.person(QStringLiteral("CAN"))->Identity;
        desk.doc().persons().remove(desk.person(QStringLiteral("CAN")));
        server.putCard(can, vcard(canId, QString(), QStringLiteral("CAN"),
                                  {QStringLiteral("NOTE:sunucuda değişti")}));

        SyncReport r = desk.sync(server);
        server.beforeWrite = nullptr;
        QCOMPARE(r.conflicts, 2);
        QCOMPARE(desk.person(QStringLiteral("ALİ"))->Firm, QStringLiteral("Yerel AŞ"));
        QCOMPARE(desk.person(QStringLiteral("AYŞE"))->Profession, QStringLiteral("Mühendis"));
        QVERIFY(desk.person(QStringLiteral("CAN")));
        QCOMPARE(desk.person(QStringLiteral("CAN"))->Notes,
                 QStringList{QStringLiteral("sunucuda değişti")});
        QCOMPARE(desk.count("Çakışmalar"), 2u);
        QVERIFY(r.summary().contains(kConflictGroup));

        // The user keeps the local versions: the next sync sends them.
        r = desk.sync(server);
        QVERIFY(server.card(ali).contains("ORG:Yerel AŞ"));
        QVERIFY(server.card(ayse).contains("TITLE:Mühendis"));
        QCOMPARE(r.conflicts, 0);
    }

    // A first sync of a full file with a full address book: the same
    // person written with and without Turkish letters is one person with
    // what either side had; the rest is added to the other side.
    void firstSyncMatchesTheTurkishWay() {
        Desk desk({QStringLiteral("1 GRUP Aile"), QStringLiteral("2 GRUP Aile"),
                   QStringLiteral("0 ID 1"), QStringLiteral("1 NAME ŞÜKRÜ"),
                   QStringLiteral("1 SURN ÖZIŞIK"), QStringLiteral("1 PHON"),
                   QStringLiteral("2 CONT GSM\t0532 111 22 33"), QStringLiteral("1 GRUP Aile"),
                   QStringLiteral("1 NOTE"), QStringLiteral("2 CONT eski not"),
                   QStringLiteral("0 ID 2"), QStringLiteral("1 NAME ZEYNEP"),
                   QStringLiteral("1 GRUP Aile"), QStringLiteral("0 TRLR")});
        FakeDavServer server;
        server.putCard(FakeDavServer::cardPath(QStringLiteral("phone-1.vcf")),
                       vcard(QStringLiteral("phone-1"), QStringLiteral("OZISIK"),
                             QStringLiteral("SUKRU"),
                             {QStringLiteral("TEL;TYPE=CELL:+90 (532) 111 22 33"),
                              QStringLiteral("EMAIL:sukru@ornek.com")}));
        server.putCard(
            FakeDavServer::cardPath(QStringLiteral("phone-2.vcf")),
            vcard(QStringLiteral("phone-2"), QStringLiteral("VELİ"), QStringLiteral("ALİ")));
        desk.sync(server);
        QCOMPARE(desk.names(), (QStringList{QStringLiteral("ALİ"), QStringLiteral("ZEYNEP"),
                                            QStringLiteral("ŞÜKRÜ")}));
        const PersonRecord* sukru = desk.person(QStringLiteral("ŞÜKRÜ"));
        QCOMPARE(sukru->Identity, QStringLiteral("phone-1"));
        QCOMPARE(sukru->Contacts, (QStringList{QStringLiteral("GSM\t0532 111 22 33"),
                                               QStringLiteral("Mail\tsukru@ornek.com")}));
        QCOMPARE(server.cardPaths().size(), 3);
        const QByteArray merged =
            server.card(FakeDavServer::cardPath(QStringLiteral("phone-1.vcf")));
        QVERIFY(merged.contains("NOTE:eski not") && merged.contains("sukru@ornek.com"));
    }

    // A card code page 1254 cannot hold is left as it is on the server,
    // named in the result, and no later sync deletes it.
    void cardsTheFileCannotHoldStayOnTheServer() {
        Desk desk(kThree);
        FakeDavServer server;
        const QString ivan = FakeDavServer::cardPath(QStringLiteral("ivan.vcf"));
        server.putCard(
            ivan, vcard(QStringLiteral("ivan"), QStringLiteral("Петров"), QStringLiteral("Иван")));
        SyncReport r = desk.sync(server);
        QCOMPARE(r.untaken.size(), 1);
        QVERIFY(r.untaken[0].contains(QStringLiteral("Иван")));
        QCOMPARE(desk.doc().persons().personCount(), 3);
        desk.doc().persons().remove(desk.person(QStringLiteral("CAN")));
        r = desk.sync(server);
        QCOMPARE(r.deletedThere, 1);
        QVERIFY(!server.card(ivan).isEmpty());
    }

    // The changes since the token, a token the server forgot, and a server
    // without the report give the same result.
    void everyWayOfListingGivesTheSameResult_data() {
        QTest::addColumn<bool>("report");
        QTest::addColumn<bool>("forget");
        QTest::newRow("changes since the token") << true << false;
        QTest::newRow("token forgotten") << true << true;
        QTest::newRow("no sync report") << false << false;
    }
    void everyWayOfListingGivesTheSameResult() {
        QFETCH(bool, report);
        QFETCH(bool, forget);
        Desk desk(kThree);
        FakeDavServer server;
        server.syncCollection = report;
        server.forgetTokens = forget;
        desk.sync(server);
        server.putCard(FakeDavServer::cardPath(QStringLiteral("new.vcf")),
                       vcard(QStringLiteral("new"), QString(), QStringLiteral("YENİ")));
        server.deleteCard(
            FakeDavServer::cardPath(cardFileName(desk.person(QStringLiteral("CAN"))->Identity)));
        server.cardsFetched = 0;
        const SyncReport r = desk.sync(server);
        QCOMPARE(r.received, 1);
        QCOMPARE(r.deletedHere, 1);
        QCOMPARE(desk.names(), (QStringList{QStringLiteral("ALİ"), QStringLiteral("AYŞE"),
                                            QStringLiteral("YENİ")}));
        // Only the new card is fetched, whichever way the cards are listed.
        QCOMPARE(server.cardsFetched, 1);
    }

    // A server that fails or goes away part way: the file is as it was,
    // and the next sync finishes without a duplicate card.
    void interruptedSyncChangesNothingAndResumes_data() {
        QTest::addColumn<bool>("drop");
        QTest::addColumn<int>("after");
        for (int after : {2, 4, 5, 6})
            QTest::newRow(qPrintable(QStringLiteral("503 after %1").arg(after))) << false << after;
        QTest::newRow("dropped after 5") << true << 5;
    }
    void interruptedSyncChangesNothingAndResumes() {
        QFETCH(bool, drop);
        QFETCH(int, after);
        Desk desk(kThree);
        FakeDavServer server;
        server.putCard(FakeDavServer::cardPath(QStringLiteral("x.vcf")),
                       vcard(QStringLiteral("x"), QString(), QStringLiteral("SUNUCU")));
        (drop ? server.dropAfter : server.failAfter) = after;
        const QByteArray before = desk.doc().compose();
        QVERIFY_THROWS_EXCEPTION(SyncError, desk.sync(server));
        QCOMPARE(desk.doc().compose(), before);
        QVERIFY(desk.state.cards.isEmpty());
        server.failAfter = server.dropAfter = -1;
        desk.sync(server);
        QCOMPARE(desk.names(), (QStringList{QStringLiteral("ALİ"), QStringLiteral("AYŞE"),
                                            QStringLiteral("CAN"), QStringLiteral("SUNUCU")}));
        QCOMPARE(serverNames(server), desk.names());
    }
};

QTEST_GUILESS_MAIN(TestSyncEngine)
#include "test_sync_engine.moc"
