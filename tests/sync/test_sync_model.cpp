// Two-sided randomized test of the sync: random changes to the file (the
// focused person and group among them) and to the server (as another
// client), random syncs, some cut off part way or raced by another
// client's write, and after every sync the invariants checked against
// what each side held before it.
//
//   test_sync_model [--seed N] [--steps N]      against a server in this process
//   test_sync_model --radicale URL USER PASSWORD --seed N [--steps N]
//                                               against an empty Radicale
#include "FakeDavServer.h"
#include "TestSupport.h"

#include "platform/Clock.h"
#include "store/LoadedFile.h"
#include "store/RecordFileReader.h"
#include "sync/NetworkTransport.h"
#include "sync/SyncCards.h"
#include "sync/SyncEngine.h"

#include <QTemporaryDir>
#include <QtTest>

#include <random>

namespace {

struct Options {
    QList<quint32> seeds = {1, 2, 3};
    int steps = 1000;
    QString radicale, user, password;
};
Options options;

const ManualClock kClock(QDateTime(QDate(2026, 12, 11), QTime(9, 0)));

// The engine's requests, with faults on request: a 503 or a dropped
// connection after some requests, or another client's change to a card
// just before the engine writes or deletes it.
class FaultyTransport : public DavTransport {
public:
    explicit FaultyTransport(DavTransport& inner) : inner_(inner) {}
    DavResponse send(const DavRequest& r) override {
        if (failIn >= 0 && failIn-- == 0)
            failing = dropping ? 0 : 503;
        if (failing >= 0)
            return {failing, "busy", {}, failing ? QString() : QStringLiteral("kesildi")};
        if (race && (r.method == "PUT" || r.method == "DELETE")) {
            auto run = std::move(race);
            race = nullptr;
            run(r.url.path());
        }
        return inner_.send(r);
    }
    void reset() {
        failIn = failing = -1;
        race = nullptr;
    }
    int failIn = -1;
    int failing = -1;
    bool dropping = false;
    std::function<void(const QString& href)> race;

private:
    DavTransport& inner_;
};

// What one side holds of a person, by identity.
struct Held {
    QByteArray content;
    QString surname;
};

QByteArray contentOf(const PersonRecord& p) { return contentDigest(p, {}); }

class Model {
public:
    Model(quint32 seed, DavTransport& engineSide, DavTransport& otherSide, QUrl server)
        : rng_(seed), faulty_(engineSide), other_(otherSide), server_(std::move(server)) {
        RecordFileData data = parseRecordText(cp1254::decode(recordBytes(
            {QStringLiteral("0 HEAD"), QStringLiteral("1 IDNO 2"), QStringLiteral("1 GRUP Aile"),
             QStringLiteral("2 GRUP Aile"), QStringLiteral("2 GRUP Aile|Kuzenler"),
             QStringLiteral("2 GRUP İş")})));
        file_ = LoadedFile::fromData(data);
        for (int i = 0; i < 4; ++i)
            addPerson();
    }

    void run(int steps) {
        sync(false);
        for (int step = 0; step < steps; ++step) {
            const int r = pick(100);
            if (r < 45)
                changeFile();
            else if (r < 80)
                changeServer();
            else
                sync(pick(4) == 0);
            if (QTest::currentTestFailed()) {
                qWarning("failed at step %d", step);
                return;
            }
        }
        sync(false);
    }

private:
    int pick(int n) { return int(rng_() % quint32(n)); }
    // ZILVAREN_SYNC_TRACE=1 prints every step, to follow a failing seed.
    void note(const QString& what) {
        static const bool tracing = qEnvironmentVariableIsSet("ZILVAREN_SYNC_TRACE");
        if (tracing)
            qDebug("%s", qPrintable(what));
    }
    static QString named(const PersonRecord* p) {
        return p ? p->FirstName + u'/' + p->Surname + u'/' + p->Identity : QStringLiteral("-");
    }
    RecordDocument& doc() { return file_->document; }
    PersonListModel& persons() { return doc().persons(); }
    QString fresh(const char* prefix) { return QString::fromLatin1(prefix) + QString::number(++n_); }

    PersonRecord* anyPerson() {
        const int count = persons().personCount();
        return count ? persons().personAt(pick(count)) : nullptr;
    }
    GroupNode* anyGroup() {
        std::vector<GroupNode*> all;
        forEachGroup(doc().groups().root(), [&](const GroupNode& g) {
            all.push_back(const_cast<GroupNode*>(&g));
        });
        return all.empty() ? nullptr : all[size_t(pick(int(all.size())))];
    }

    // -- the file, as the window changes it
    void addPerson() {
        auto p = std::make_unique<PersonRecord>();
        p->RecordNo = fresh("");
        p->FirstName = fresh("K");
        p->Surname = fresh("L");
        p->Contacts = {QStringLiteral("GSM\t0532 ") + fresh("")};
        GroupNode* group = anyGroup();
        p->GroupPath = group ? BuildGroupPath(group) : kNoGroupPath;
        note(QStringLiteral("file: add ") + named(p.get()));
        doc().addPerson(std::move(p));
    }
    void removePerson(PersonRecord* p) {
        if (!p)
            return;
        note(QStringLiteral("file: delete ") + named(p));
        doc().removePersons({p});
    }
    void changeFile() {
        switch (pick(9)) {
        case 0:
            addPerson();
            break;
        case 1:
            if (PersonRecord* p = anyPerson()) {
                PersonRecord values = *p;
                values.Surname = fresh("L");
                note(QStringLiteral("file: change ") + named(p) + QStringLiteral(" to ") +
                     values.Surname);
                doc().changePerson(p, values);
            }
            break;
        case 2:
            if (PersonRecord* p = anyPerson())
                if (GroupNode* g = anyGroup()) {
                    note(QStringLiteral("file: move ") + named(p) + QStringLiteral(" to ") + g->Name);
                    doc().filePersons({p}, g);
                }
            break;
        case 3:
            removePerson(anyPerson());
            break;
        case 4:
            removePerson(persons().focusedPerson());
            break;
        case 5:
            if (pick(3) == 0)
                if (GroupNode* g = const_cast<GroupNode*>(doc().groups().focusedGroup())) {
                    note(QStringLiteral("file: delete group ") + g->Name);
                    doc().deleteGroup(g);
                }
            break;
        case 6: {
            GroupNode* parent = pick(2) ? anyGroup() : nullptr;
            doc().addGroup(parent ? *parent : doc().groups().root(), -1, fresh("G"));
            break;
        }
        default:
            persons().setFocusedPerson(anyPerson());
            doc().groups().setFocusedGroup(anyGroup());
            break;
        }
    }

    // -- the server, as another client changes it
    QMap<QString, FetchedCard> serverCards() {
        if (book_.isEmpty())
            return {};
        const QUrl book(book_);
        QStringList hrefs;
        for (const auto& [href, etag] : other_.listAll(book).cards)
            hrefs.append(href);
        QMap<QString, FetchedCard> cards;
        for (FetchedCard& c : other_.fetch(book, hrefs))
            cards.insert(c.href, std::move(c));
        return cards;
    }
    QString bookPath() const { return QUrl(book_).path(); }
    void changeCard(const FetchedCard& card) {
        CardPerson p = personOfCard(card.data, kClock.stampNow());
        if (!p.record)
            return;
        p.record->Surname = fresh("S");
        note(QStringLiteral("server: change ") + named(p.record.get()));
        other_.put(card.href, syncCard(*p.record, {}), card.etag);
    }
    void changeServer() {
        if (book_.isEmpty())
            return;
        const QMap<QString, FetchedCard> cards = serverCards();
        const int r = pick(10);
        if (r < 3 || cards.isEmpty()) {
            PersonRecord p;
            p.Identity = fresh("srv-");
            p.FirstName = fresh("K");
            p.Surname = fresh("S");
            p.Contacts = {QStringLiteral("GSM\t0533 ") + fresh("")};
            if (pick(2))
                p.GroupPath = QStringLiteral("Aile");
            note(QStringLiteral("server: add ") + named(&p));
            other_.put(bookPath() + p.Identity + QStringLiteral(".vcf"), syncCard(p, {}), {});
        } else if (r == 3) {
            // A card the file cannot hold: it stays on the server untouched.
            const QString uid = fresh("bare-");
            untakeable_.insert(uid);
            other_.put(bookPath() + uid + QStringLiteral(".vcf"),
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid.toUtf8() +
                        "\r\nN:;;;;\r\nFN:\r\nNOTE:boş\r\nEND:VCARD\r\n",
                    {});
        } else {
            const FetchedCard& card = *std::next(cards.begin(), pick(int(cards.size())));
            if (untakeable_.contains(uidOf(card)))
                return;
            if (r < 8)
                changeCard(card);
            else {
                note(QStringLiteral("server: delete ") + uidOf(card));
                other_.remove(card.href, card.etag);
            }
        }
    }
    static QString uidOf(const FetchedCard& card) {
        for (const QByteArray& line : card.data.split('\n'))
            if (line.startsWith("UID:"))
                return QString::fromUtf8(line.mid(4).trimmed());
        return {};
    }

    // -- what each side holds, by identity
    QHash<QString, Held> fileSide() {
        QHash<QString, Held> held;
        for (const PersonRecord* p : persons().allPersons())
            if (!p->Identity.isEmpty())
                held.insert(p->Identity, {contentOf(*p), p->Surname});
        return held;
    }
    void serverSide(QHash<QString, Held>& held) {
        held.clear();
        for (const FetchedCard& card : serverCards()) {
            const CardPerson p = personOfCard(card.data, {});
            const QString uid = uidOf(card);
            if (p.record && p.problem.isEmpty()) {
                QVERIFY2(!held.contains(uid), qPrintable(QStringLiteral("card twice: ") + uid));
                held.insert(uid, {contentOf(*p.record), p.record->Surname});
            } else {
                QVERIFY2(untakeable_.contains(uid), qPrintable(uid));
            }
        }
    }

    void sync(bool faulty) {
        const QHash<QString, Held> fileBefore = fileSide();
        QHash<QString, Held> serverBefore;
        serverSide(serverBefore);
        const QByteArray documentBefore = doc().compose();
        const SyncState stateBefore = state_;
        if (faulty) {
            if (pick(3) == 0) {
                // Another client writes the card just before the engine does.
                faulty_.race = [this, &serverBefore](const QString& href) {
                    const QMap<QString, FetchedCard> cards = serverCards();
                    if (!cards.contains(href))
                        return;
                    changeCard(cards[href]);
                    const CardPerson p = personOfCard(serverCards()[href].data, {});
                    serverBefore.insert(uidOf(cards[href]), {contentOf(*p.record), p.record->Surname});
                };
            } else {
                faulty_.failIn = pick(12);
                faulty_.dropping = pick(2);
            }
        }
        CardDavClient dav(faulty_);
        SyncEngine engine(dav, doc(), state_, kClock, dir_.path());
        SyncTarget target;
        target.server = server_;
        target.newBookName = QStringLiteral("personel");
        SyncReport report;
        bool failed = false;
        try {
            report = engine.run(target);
        } catch (const SyncError& e) {
            failed = true;
            note(QStringLiteral("sync failed: ") + e.message());
        }
        if (!failed)
            note(QStringLiteral("sync: ") + report.summary());
        const bool wasCut = faulty_.failing >= 0;
        faulty_.reset();
        if (failed) {
            QVERIFY2(wasCut, "a sync failed without a fault");
            QCOMPARE(doc().compose(), documentBefore);
            QCOMPARE(state_.token, stateBefore.token);
            QCOMPARE(state_.cards.keys(), stateBefore.cards.keys());
            return;
        }
        book_ = state_.book;
        saveAndReadBack();
        check(report, fileBefore, serverBefore);
    }

    // What the command line does after a sync: the file saved, with the
    // person and group it names as focused.
    void saveAndReadBack() {
        const QString path = dir_.filePath(QStringLiteral("personel.qdb"));
        file_->save(path);
        const std::unique_ptr<LoadedFile> again = LoadedFile::read(path);
        // A file that names no person opens at its first.
        if (!persons().focusedPerson())
            again->document.persons().setFocusedPerson(nullptr);
        QCOMPARE(again->document.compose(), doc().compose());
    }

    void check(const SyncReport& report, const QHash<QString, Held>& fileBefore,
               const QHash<QString, Held>& serverBefore) {
        const QHash<QString, Held> fileNow = fileSide();
        QHash<QString, Held> serverNow;
        serverSide(serverNow);
        QSet<QString> surnames;
        int withoutIdentity = 0;
        for (const PersonRecord* p : persons().allPersons()) {
            surnames.insert(p->Surname);
            if (p->Identity.isEmpty()) {
                // Only the server's side of a conflict waits for its card.
                QCOMPARE(p->GroupPath, kConflictGroup);
                ++withoutIdentity;
            }
        }
        QCOMPARE(withoutIdentity, report.conflicts);
        QCOMPARE(fileNow.size() + withoutIdentity, persons().personCount());

        QSet<QString> ids(fileBefore.keyBegin(), fileBefore.keyEnd());
        for (auto it = serverBefore.keyBegin(); it != serverBefore.keyEnd(); ++it)
            ids.insert(*it);
        QSet<QString> conflicted;
        for (const QString& id : ids) {
            // Each side: unchanged since the last sync, changed or deleted.
            const bool hereGone = !fileBefore.contains(id), thereGone = !serverBefore.contains(id);
            const bool hereChanged = !hereGone && lastSynced_.value(id) != fileBefore[id].content;
            const bool thereChanged =
                !thereGone && lastSynced_.value(id) != serverBefore[id].content;
            const QString what = QStringLiteral("%1: here %2, there %3")
                                     .arg(id, hereGone      ? QStringLiteral("gone")
                                              : hereChanged ? fileBefore[id].surname
                                                            : QStringLiteral("same"),
                                          thereGone      ? QStringLiteral("gone")
                                          : thereChanged ? serverBefore[id].surname
                                                         : QStringLiteral("same"));
            if (hereChanged && thereChanged && fileBefore[id].content != serverBefore[id].content) {
                QVERIFY2(surnames.contains(fileBefore[id].surname), qPrintable(what));
                QVERIFY2(surnames.contains(serverBefore[id].surname), qPrintable(what));
            } else if (hereChanged) {
                QVERIFY2(fileNow.contains(id) && serverNow.contains(id), qPrintable(what));
                QVERIFY2(fileNow[id].surname == fileBefore[id].surname, qPrintable(what));
            } else if (thereChanged) {
                QVERIFY2(surnames.contains(serverBefore[id].surname), qPrintable(what));
            } else if (hereGone || thereGone) {
                QVERIFY2(!fileNow.contains(id) && !serverNow.contains(id), qPrintable(what));
            }
        }
        // Every person has its card and every card its person, with the
        // same content but where the server's side of a conflict waits as
        // a second person.
        QSet<QString> waiting;
        for (const PersonRecord* p : persons().allPersons())
            if (p->Identity.isEmpty())
                waiting.insert(p->Surname);
        for (auto it = fileNow.cbegin(); it != fileNow.cend(); ++it) {
            QVERIFY2(serverNow.contains(it.key()), qPrintable(it.key()));
            if (serverNow[it.key()].content != it->content) {
                QVERIFY2(waiting.contains(serverNow[it.key()].surname), qPrintable(it.key()));
                conflicted.insert(it.key());
            }
        }
        for (auto it = serverNow.keyBegin(); it != serverNow.keyEnd(); ++it)
            QVERIFY2(fileNow.contains(*it), qPrintable(*it));

        lastSynced_.clear();
        for (auto it = fileNow.cbegin(); it != fileNow.cend(); ++it)
            lastSynced_.insert(it.key(), it->content);
        // Where both changed, the server's version is the one last synced:
        // the file's goes over it next time.
        for (const QString& id : conflicted)
            lastSynced_.insert(id, serverNow.value(id).content);
    }

    std::mt19937 rng_;
    FaultyTransport faulty_;
    CardDavClient other_;
    QUrl server_;
    QTemporaryDir dir_;
    std::unique_ptr<LoadedFile> file_;
    SyncState state_;
    QString book_;
    QSet<QString> untakeable_;
    QHash<QString, QByteArray> lastSynced_; // content by identity, after the last sync
    int n_ = 0;
};

} // namespace

class TestSyncModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }

    void randomSteps_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : options.seeds)
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
    }
    void randomSteps() {
        QFETCH(quint32, seed);
        if (options.radicale.isEmpty()) {
            FakeDavServer server;
            Model(seed, server, server, QUrl(QStringLiteral("https://dav.example/")))
                .run(options.steps);
            return;
        }
        NetworkTransport engineSide(options.user, options.password);
        NetworkTransport otherSide(options.user, options.password);
        Model(seed, engineSide, otherSide, QUrl(options.radicale)).run(options.steps);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    QStringList rest = {args.takeFirst()};
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--seed") && !args.isEmpty())
            options.seeds = {args.takeFirst().toUInt()};
        else if (a == QLatin1String("--steps") && !args.isEmpty())
            options.steps = args.takeFirst().toInt();
        else if (a == QLatin1String("--radicale") && args.size() >= 3) {
            options.radicale = args.takeFirst();
            options.user = args.takeFirst();
            options.password = args.takeFirst();
        } else
            rest.append(a);
    }
    TestSyncModel test;
    return QTest::qExec(&test, rest);
}

#include "test_sync_model.moc"
