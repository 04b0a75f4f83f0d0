// The document's history: random sequences of every kind of change, each
// undone and redone in random order, against the bytes the file had at
// each step; the member counts and the models stay sound throughout.
#include "TestSupport.h"

#include "duplicates/DuplicateMerge.h"
#include "store/DocumentSteps.h"
#include "store/RecordDocument.h"
#include "store/RecordFileReader.h"
#include "tools/BulkTools.h"

#include <QAbstractItemModelTester>
#include <QtTest>

#include <random>

namespace {

const QStringList kStart = {
    QStringLiteral("0 HEAD"),           QStringLiteral("1 GRUP "),
    QStringLiteral("2 GRUP Aile"),      QStringLiteral("2 GRUP Aile|Kuzenler"),
    QStringLiteral("2 GRUP İş"),        QStringLiteral("2 GRUP İş|Muhasebe"),
    QStringLiteral("0 ID 1"),           QStringLiteral("1 NAME ALİ"),
    QStringLiteral("1 SURN KAYA"),      QStringLiteral("1 PHON"),
    QStringLiteral("2 CONT GSM\t0532 111 22 33"), QStringLiteral("1 GRUP Aile"),
    QStringLiteral("0 ID 2"),           QStringLiteral("1 NAME AYŞE"),
    QStringLiteral("1 GRUP Aile|Kuzenler"),       QStringLiteral("0 ID 3"),
    QStringLiteral("1 NAME CAN"),       QStringLiteral("1 GRUP İş|Muhasebe"),
    QStringLiteral("0 ID 4"),           QStringLiteral("1 NAME DENİZ"),
    QStringLiteral("1 GRUP Belli Değil"),         QStringLiteral("0 TRLR")};

// The counts as reading the file would make them.
QList<quint32> counts(const GroupNode& root) {
    QList<quint32> out;
    forEachGroup(root, [&out](const GroupNode& g) { out.append(g.MemberCount); });
    return out;
}

// Where two files part, for the failure message.
QByteArray firstDifference(const QByteArray& a, const QByteArray& b) {
    const QList<QByteArray> x = a.split('\n'), y = b.split('\n');
    for (qsizetype i = 0; i < std::min(x.size(), y.size()); ++i)
        if (x[i] != y[i])
            return "line " + QByteArray::number(i) + ": " + x[i] + " | " + y[i];
    return "lengths " + QByteArray::number(x.size()) + " " + QByteArray::number(y.size());
}

QList<quint32> recounted(const RecordDocument& doc) {
    RecordFileData data = parseRecordText(cp1254::decode(doc.compose()));
    return counts(*data.groups);
}

class Session {
public:
    explicit Session(quint32 seed) : rng_(seed) {
        RecordFileData data = parseRecordText(cp1254::decode(recordBytes(kStart)));
        doc_.load(data);
        states_.append(doc_.compose());
    }

    RecordDocument& doc() { return doc_; }

    // One random change; false when it changed nothing.
    bool change() {
        const int before = doc_.history().index();
        switch (pick(12)) {
        case 0:
            doc_.addPerson(newPerson(pathOf(anyGroup())));
            break;
        case 1:
            if (PersonRecord* p = anyPerson()) {
                PersonRecord values = *p;
                values.Surname = fresh("S");
                values.Contacts.append(QStringLiteral("Ev\t0212 ") + fresh(""));
                if (pick(3) == 0)
                    values.GroupPath = pathOf(anyGroup());
                doc_.changePerson(p, values, {{fresh("k") + QStringLiteral(".jpg")}, {}});
            }
            break;
        case 2: {
            std::vector<PersonRecord*> some;
            for (int i = pick(3); i >= 0; --i)
                if (PersonRecord* p = anyPerson(); p && std::find(some.begin(), some.end(), p) == some.end())
                    some.push_back(p);
            doc_.removePersons(some);
            break;
        }
        case 3:
            if (PersonRecord* p = anyPerson())
                doc_.filePersons({p}, anyGroup());
            break;
        case 4: {
            // An import into a group that may not be there yet.
            std::vector<std::unique_ptr<PersonRecord>> persons;
            const QString path = pick(2) ? pathOf(anyGroup())
                                         : QStringLiteral("Yeni") + GroupPathSeparator + fresh("G");
            for (int i = pick(4); i >= 0; --i)
                persons.push_back(newPerson(path));
            RecordDocument::Step step(doc_, QStringLiteral("İçe Aktar"));
            doc_.addPersons(std::move(persons));
            break;
        }
        case 5:
            pick(2) ? splitContactNumbers(doc_) : renumberRecords(doc_);
            break;
        case 6: {
            GroupNode* parent = pick(2) ? anyGroup() : nullptr;
            doc_.addGroup(parent ? *parent : doc_.groups().root(), -1, fresh("G"));
            break;
        }
        case 7:
            if (GroupNode* g = anyGroup())
                doc_.renameGroup(g, fresh("R"));
            break;
        case 8:
            if (GroupNode* g = anyGroup(); g && pick(2))
                doc_.deleteGroup(g);
            break;
        case 9:
            if (GroupNode* g = anyGroup())
                if (GroupNode* target = anyGroup(); target && target != g)
                    doc_.moveGroup(g, target, groupops::DropMode(pick(3)));
            break;
        case 10:
            if (PersonRecord* kept = anyPerson())
                if (PersonRecord* other = anyPerson(); other && other != kept)
                    mergeDuplicates(doc_, *kept, {other}, QStringLiteral("11.12.2026  10:00:00"));
            break;
        default:
            if (PersonRecord* a = anyPerson())
                if (PersonRecord* b = anyPerson(); b && b != a)
                    markDifferent(doc_, {a, b});
            break;
        }
        if (doc_.history().index() == before)
            return false;
        states_.resize(doc_.history().index());
        states_.append(doc_.compose());
        return true;
    }

    // The file as it was after the step the history stands at.
    const QByteArray& expected() { return states_[doc_.history().index()]; }

    int pick(int n) { return int(rng_() % quint32(n)); }

private:
    QString fresh(const char* prefix) { return QString::fromLatin1(prefix) + QString::number(++n_); }
    QString pathOf(const GroupNode* g) { return g ? BuildGroupPath(g) : kNoGroupPath; }
    PersonRecord* anyPerson() {
        const int count = doc_.persons().personCount();
        return count ? doc_.persons().personAt(pick(count)) : nullptr;
    }
    GroupNode* anyGroup() {
        std::vector<GroupNode*> all;
        forEachGroup(doc_.groups().root(),
                     [&all](const GroupNode& g) { all.push_back(const_cast<GroupNode*>(&g)); });
        return all.empty() ? nullptr : all[size_t(pick(int(all.size())))];
    }
    std::unique_ptr<PersonRecord> newPerson(const QString& path) {
        auto p = std::make_unique<PersonRecord>();
        p->RecordNo = fresh("");
        p->FirstName = fresh("K");
        p->Contacts = {QStringLiteral("GSM\t0532") + fresh("")};
        p->GroupPath = path;
        return p;
    }

    std::mt19937 rng_;
    RecordDocument doc_;
    QList<QByteArray> states_; // after each step of the history, the opened file first
    int n_ = 0;
};

} // namespace

class TestDocumentHistory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }

    // Every change is undone and redone exactly, in any order, with the
    // counts of a file read afresh and models that keep Qt's rules.
    void randomStepsUndoAndRedoExactly_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u, 4u, 5u})
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
    }
    void randomStepsUndoAndRedoExactly() {
        QFETCH(quint32, seed);
        Session s(seed);
        QAbstractItemModelTester personsTester(&s.doc().persons());
        QAbstractItemModelTester groupsTester(&s.doc().groups());
        QUndoStack& history = s.doc().history();
        const QByteArray opened = s.expected();
        for (int i = 0; i < 300; ++i) {
            const int r = s.pick(10);
            if (r < 6)
                s.change();
            else if (r < 8 && history.canUndo())
                history.undo();
            else if (history.canRedo())
                history.redo();
            const QByteArray now = s.doc().compose();
            QVERIFY2(now == s.expected(),
                     (QByteArray::number(i) + ' ' + QByteArray::number(r) + ' ' +
                      history.undoText().toUtf8() + " / " + history.redoText().toUtf8() + ": " +
                      firstDifference(now, s.expected()))
                         .constData());
            QCOMPARE(counts(s.doc().groups().root()), recounted(s.doc()));
        }
        while (history.canUndo())
            history.undo();
        QCOMPARE(s.doc().compose(), opened);
        QVERIFY(!s.doc().isModified());
        while (history.canRedo()) {
            history.redo();
            QCOMPARE(s.doc().compose(), s.expected());
        }
    }

    // Kaydet is on exactly when the file differs from the disk: going back
    // to the saved step turns it off; what is not a step keeps it on.
    void modifiedIsTheDistanceFromTheSavedStep() {
        Session s(7);
        RecordDocument& doc = s.doc();
        QSignalSpy modified(&doc, &RecordDocument::modifiedChanged);
        QVERIFY(!doc.isModified());
        while (!s.change()) {
        }
        QVERIFY(doc.isModified());
        doc.markSaved();
        QVERIFY(!doc.isModified());
        doc.history().undo();
        QVERIFY(doc.isModified());
        doc.history().redo();
        QVERIFY(!doc.isModified());
        doc.markUnsaved(); // the find words, say
        QVERIFY(doc.isModified());
        doc.history().undo();
        doc.history().redo();
        QVERIFY(doc.isModified());
        QCOMPARE(modified.size(), 5);
        // A sync's end: nothing to undo, and what it did is still unsaved.
        doc.endHistory();
        QVERIFY(!doc.history().canUndo());
        QVERIFY(doc.isModified());
    }

    // A change that fails part way takes back what it did: a path too deep
    // for the tree adds neither groups nor persons.
    void aFailedChangeLeavesNothing() {
        Session s(8);
        const QByteArray before = s.doc().compose();
        auto deep = std::make_unique<PersonRecord>();
        deep->FirstName = QStringLiteral("DERİN");
        QStringList names;
        for (int i = 0; i <= kMaxGroupDepth; ++i)
            names.append(QStringLiteral("g%1").arg(i));
        deep->GroupPath = joinGroupPath(names);
        std::vector<std::unique_ptr<PersonRecord>> persons;
        persons.push_back(std::make_unique<PersonRecord>());
        persons.back()->FirstName = QStringLiteral("YENİ");
        persons.back()->GroupPath = QStringLiteral("Yeni");
        persons.push_back(std::move(deep));
        QVERIFY_THROWS_EXCEPTION(ZilvarenError, s.doc().addPersons(std::move(persons)));
        QCOMPARE(s.doc().compose(), before);
        QVERIFY(!s.doc().history().canUndo());
    }
};

QTEST_GUILESS_MAIN(TestDocumentHistory)
#include "test_document_history.moc"
