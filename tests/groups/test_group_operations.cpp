#include "GroupInvariant.h"
#include "TestSupport.h"
#include "store/GroupOperations.h"
#include "store/RecordFileReader.h"

#include <QtTest>

using namespace groupops;

namespace {

// Aile {Kuzenler}, Aileler, Eski; persons 1-2 in Aile, 3-4 in Kuzenler,
// 5 in Aileler.
void load(RecordDocument& doc) {
    RecordFileData d = parseRecordText(path(
        "1 GRUP \r\n2 GRUP Aile\r\n0 ID 1\r\n1 GRUP Aile\r\n0 ID 2\r\n1 GRUP aile\r\n0 ID 3\r\n"
        "1 GRUP Aile|Kuzenler\r\n0 ID 4\r\n1 GRUP Aile|Kuzenler\r\n0 ID 5\r\n1 GRUP Aileler\r\n"
        "0 ID 6\r\n1 GRUP Eski\r\n0 TRLR\r\n"));
    doc.load(d);
}

GroupNode* group(RecordDocument& doc, const char* p) {
    return FindPersonGroup(doc.groups().root(), path(p));
}

QString pathOf(RecordDocument& doc, int i) { return doc.persons().personAt(i)->GroupPath; }

} // namespace

class TestGroupOperations : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }

    void renameRewritesThePathsBelowOnly() {
        RecordDocument doc;
        load(doc);
        doc.renameGroup(group(doc, "Aile"), QStringLiteral("Ev"));
        QCOMPARE(pathOf(doc, 0), QStringLiteral("Ev"));
        QCOMPARE(pathOf(doc, 1), QStringLiteral("Ev")); // "aile" matched by its key
        QCOMPARE(pathOf(doc, 2), path("Ev|Kuzenler"));
        QCOMPARE(pathOf(doc, 4), QStringLiteral("Aileler"));
        QCOMPARE(brokenCount(doc), QString());
        doc.renameGroup(group(doc, "Ev"), QStringLiteral("EV"));
        QCOMPARE(pathOf(doc, 2), path("EV|Kuzenler"));
    }

    void sameNameRules() {
        RecordDocument doc;
        load(doc);
        const GroupNode& root = doc.groups().root();
        QVERIFY(hasChildNamed(root, QStringLiteral("AİLE")));
        QVERIFY(!hasChildNamed(root, QStringLiteral("AILE")));
        QVERIFY(!hasChildNamed(root, QStringLiteral("Aile"), group(doc, "Aile")));
    }

    void deleteRemovesPersonsBelowAndLowersAncestors() {
        RecordDocument doc;
        load(doc);
        QCOMPARE(doc.deleteGroup(group(doc, "Aile|Kuzenler")), 2);
        QCOMPARE(group(doc, "Aile")->MemberCount, 2u);
        QCOMPARE(doc.persons().personCount(), 4);
        QCOMPARE(brokenCount(doc), QString());
        QCOMPARE(doc.deleteGroup(group(doc, "Aile")), 2);
        QCOMPARE(doc.persons().personCount(), 2); // Aileler and Eski stay
        QVERIFY(group(doc, "Aileler"));
        QCOMPARE(brokenCount(doc), QString());
    }

    void filingPersons() {
        RecordDocument doc;
        load(doc);
        PersonListModel& persons = doc.persons();
        doc.filePersons({persons.personAt(2), persons.personAt(3), persons.personAt(0)},
                    group(doc, "Eski"));
        QCOMPARE(group(doc, "Eski")->MemberCount, 4u);
        QCOMPARE(group(doc, "Aile")->MemberCount, 1u);
        QCOMPARE(group(doc, "Aile|Kuzenler")->MemberCount, 0u);
        QCOMPARE(brokenCount(doc), QString());
        doc.filePersons({persons.personAt(5)}, group(doc, "Eski")); // already there
        QCOMPARE(group(doc, "Eski")->MemberCount, 4u);
    }

    void filingAPersonOfAMissingGroup() {
        RecordDocument doc;
        RecordFileData d = parseRecordText(QStringLiteral("1 GRUP \r\n2 GRUP A\r\n0 ID 1\r\n0 TRLR\r\n"));
        doc.load(d);
        doc.groups().takeGroup(FindPersonGroup(doc.groups().root(), kNoGroupPath));
        doc.filePersons({doc.persons().personAt(0)}, FindPersonGroup(doc.groups().root(), QStringLiteral("A")));
        QCOMPARE(doc.groups().root().children[0]->MemberCount, 1u);
    }

    void movingAGroupUnderAnother() {
        RecordDocument doc;
        load(doc);
        QCOMPARE(doc.moveGroup(group(doc, "Aile"), group(doc, "Eski"), DropMode::OnNode),
                 MoveResult::Moved);
        QCOMPARE(pathOf(doc, 0), path("Eski|Aile"));
        QCOMPARE(pathOf(doc, 2), path("Eski|Aile|Kuzenler"));
        QCOMPARE(pathOf(doc, 4), QStringLiteral("Aileler"));
        QCOMPARE(group(doc, "Eski")->MemberCount, 5u);
        QCOMPARE(group(doc, "Eski|Aile")->MemberCount, 4u);
        QCOMPARE(brokenCount(doc), QString());
    }

    void movingASubGroupToTheTop() {
        RecordDocument doc;
        load(doc);
        QCOMPARE(doc.moveGroup(group(doc, "Aile|Kuzenler"), group(doc, "Aile"), DropMode::Above),
                 MoveResult::Moved);
        QCOMPARE(doc.groups().root().children[0]->Name, QStringLiteral("Kuzenler"));
        QCOMPARE(pathOf(doc, 2), QStringLiteral("Kuzenler"));
        QCOMPARE(group(doc, "Aile")->MemberCount, 2u);
        QCOMPARE(brokenCount(doc), QString());
        QCOMPARE(doc.moveGroup(group(doc, "Kuzenler"), group(doc, "Eski"), DropMode::Below),
                 MoveResult::Moved);
        QCOMPARE(doc.groups().root().children.back()->Name, QStringLiteral("Kuzenler"));
    }

    void refusedMoves() {
        RecordDocument doc;
        load(doc);
        QCOMPARE(doc.moveGroup(group(doc, "Aile"), group(doc, "Aile|Kuzenler"), DropMode::OnNode),
                 MoveResult::InsideItself);
        QCOMPARE(doc.moveGroup(group(doc, "Aile"), group(doc, "Aile|Kuzenler"), DropMode::Below),
                 MoveResult::InsideItself);
        doc.groups().insertGroup(*group(doc, "Eski"), -1, QStringLiteral("KUZENLER"));
        QCOMPARE(doc.moveGroup(group(doc, "Aile|Kuzenler"), group(doc, "Eski"), DropMode::OnNode),
                 MoveResult::SameName);
        QCOMPARE(pathOf(doc, 2), path("Aile|Kuzenler"));
        QCOMPARE(brokenCount(doc), QString());
    }

    void reorderingPersons() {
        RecordDocument doc;
        load(doc);
        PersonListModel& m = doc.persons();
        PersonRecord* p1 = m.personAt(0);
        PersonRecord* p2 = m.personAt(1);
        PersonRecord* p6 = m.personAt(5);
        m.movePersons({p1, p2}, p6, true);
        QCOMPARE(m.personAt(3), p6);
        QCOMPARE(m.personAt(4), p2); // below: reverse order
        QCOMPARE(m.personAt(5), p1);
        m.movePersons({p2, p1}, m.personAt(0), false);
        QCOMPARE(m.personAt(0), p2); // above: same order
        QCOMPARE(m.personAt(1), p1);
    }
};

QTEST_GUILESS_MAIN(TestGroupOperations)
#include "test_group_operations.moc"
