#include "TestSupport.h"
#include "store/GroupTreeModel.h"
#include "store/PersonListModel.h"
#include "store/RecordFileReader.h"
#include "platform/TurkishText.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QtTest>

namespace {

std::vector<std::unique_ptr<PersonRecord>> persons(const QStringList& names) {
    std::vector<std::unique_ptr<PersonRecord>> out;
    int n = 0;
    for (const QString& name : names) {
        auto p = std::make_unique<PersonRecord>();
        p->RecordNo = QString::number(++n);
        p->FirstName = name;
        out.push_back(std::move(p));
    }
    return out;
}

QStringList column(const PersonListModel& m, int col) {
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out.append(m.index(r, col).data().toString());
    return out;
}

} // namespace

class TestStoreModels : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }

    void sortingReordersTheListAndKeepsTheSelection() {
        PersonListModel model;
        QAbstractItemModelTester tester(&model);
        model.setPersons(persons({QStringLiteral("ZEKİ"), QStringLiteral("ışık"),
                                  QStringLiteral("İSMAİL"), QStringLiteral("IRMAK"),
                                  QStringLiteral("ÇAĞLA"), QStringLiteral("ali")}));
        QItemSelectionModel selection(&model);
        selection.setCurrentIndex(model.index(0, 0), QItemSelectionModel::Select);
        model.sortPersons(PersonListModel::ColumnAd, Qt::AscendingOrder);
        QCOMPARE(column(model, PersonListModel::ColumnAd),
                 QStringList({QStringLiteral("ali"), QStringLiteral("ÇAĞLA"), QStringLiteral("IRMAK"),
                              QStringLiteral("ışık"), QStringLiteral("İSMAİL"),
                              QStringLiteral("ZEKİ")}));
        QCOMPARE(model.person(selection.currentIndex())->FirstName, QStringLiteral("ZEKİ"));
        model.sortPersons(PersonListModel::ColumnAd, Qt::DescendingOrder);
        QCOMPARE(column(model, PersonListModel::ColumnAd).first(), QStringLiteral("ZEKİ"));
        QCOMPARE(model.personAt(0)->FirstName, QStringLiteral("ZEKİ")); // the stored order
    }

    void recordNumbersSortAsText() {
        PersonListModel model;
        auto list = persons({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        list[0]->RecordNo = QStringLiteral("10");
        list[1]->RecordNo = QStringLiteral("2");
        list[2]->RecordNo = QStringLiteral("1");
        model.setPersons(std::move(list));
        model.sortPersons(PersonListModel::ColumnNo, Qt::AscendingOrder);
        QCOMPARE(column(model, 0),
                 QStringList({QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("2")}));
    }

    void filterHidesRowsButKeepsPersons() {
        PersonListModel model;
        QAbstractItemModelTester tester(&model);
        model.setPersons(persons({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        model.filter([](const PersonRecord& p) { return p.FirstName != QStringLiteral("b"); });
        QCOMPARE(model.visibleCount(), 2);
        QCOMPARE(model.personCount(), 3);
        QVERIFY(!model.indexOf(model.personAt(1)).isValid());
        QCOMPARE(model.allPersons().size(), size_t(3));
        model.remove(model.personAt(1)); // hidden
        QCOMPARE(model.personCount(), 2);
        model.remove(model.personAt(0));
        QCOMPARE(column(model, 1), QStringList({QStringLiteral("c")}));
        model.showAll();
        QCOMPARE(model.visibleCount(), 1);
    }

    void groupModel() {
        GroupTreeModel model;
        QAbstractItemModelTester tester(&model);
        RecordFileData copy = parseRecordText(path("0 ID 1\r\n1 GRUP A|B\r\n0 ID 2\r\n1 GRUP A\r\n"));
        model.setRoot(std::move(copy.groups));
        const QModelIndex a = model.index(0, 0);
        QCOMPARE(a.data().toString(), QStringLiteral("A"));
        QCOMPARE(a.data(GroupTreeModel::MemberCountRole).toUInt(), 2u);
        const QModelIndex b = model.index(0, 0, a);
        QCOMPARE(b.data(GroupTreeModel::MemberCountRole).toUInt(), 1u);
        QCOMPARE(model.parent(b), a);
        model.setFocusedGroup(model.node(b));
        QVERIFY(model.index(0, GroupTreeModel::ColumnMarker, a).data(GroupTreeModel::FocusedRole).toBool());
        QVERIFY(!model.index(0, GroupTreeModel::ColumnMarker).data(GroupTreeModel::FocusedRole).toBool());
        model.addMembers(model.node(b), -1);
        QCOMPARE(a.data(GroupTreeModel::MemberCountRole).toUInt(), 1u);
        QCOMPARE(FindPersonGroup(model.root(), path("a|b")), model.node(b));
        QVERIFY(!FindPersonGroup(model.root(), QStringLiteral("B")));
    }

    void pathMatch() {
        const QString aile = TurkceUpperCase(u"Aile");
        QVERIFY(pathLiesIn(u"aile", aile));
        QVERIFY(pathLiesIn(path("Aile|Kuzen"), aile));
        QVERIFY(!pathLiesIn(u"Aileler", aile));
    }
};

QTEST_GUILESS_MAIN(TestStoreModels)
#include "test_store_models.moc"
