#include "GroupInvariant.h"
#include "WindowFixture.h"
#include "app/TForm_Main.h"
#include "groups/DropMode.h"
#include "groups/GroupCommands.h"
#include "groups/GroupTreeView.h"
#include "person/PersonEditing.h"
#include "person/PersonEditor.h"
#include "person/PersonListView.h"
#include "platform/Clock.h"
#include "platform/ScriptedPrompts.h"
#include "platform/SettingsStore.h"
#include "platform/ShellOpener.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

using groupops::DropMode;

class TestGroupTree : public QObject {
    Q_OBJECT
    WindowFixture fx_;
    std::unique_ptr<ScriptedPrompts>& prompts_ = fx_.prompts;
    std::unique_ptr<TForm_Main> w_;

    TForm_Main& open() {
        fx_.startWith(
            QStringLiteral("g.qdb"),
            {QStringLiteral("1 GRUP Aile"), QStringLiteral("2 GRUP Aile"),
             QStringLiteral("2 GRUP Aile|Kuz"), QStringLiteral("2 GRUP ışık"),
             QStringLiteral("2 GRUP Eski"), QStringLiteral("0 ID 1"), QStringLiteral("1 NAME A1"),
             QStringLiteral("1 GRUP Aile"), QStringLiteral("0 ID 2"), QStringLiteral("1 NAME A2"),
             QStringLiteral("1 GRUP Aile"), QStringLiteral("0 ID 3"), QStringLiteral("1 NAME K1"),
             QStringLiteral("1 GRUP Aile|Kuz"), QStringLiteral("0 ID 4"),
             QStringLiteral("1 NAME E1"), QStringLiteral("1 GRUP Eski"), QStringLiteral("0 TRLR")});
        w_ = std::make_unique<TForm_Main>(fx_.services());
        w_->openStartupFile();
        return *w_;
    }
    GroupNode* group(const char* p) {
        return FindPersonGroup(w_->document().groups().root(), path(p));
    }
    GroupTreeView& tree() { return w_->groupTree(); }
    GroupCommands& cmd() { return w_->groupCommands(); }
    QStringList topNames() {
        QStringList out;
        for (const auto& c : w_->document().groups().root().children)
            out.append(c->Name);
        return out;
    }

private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }
    void init() { fx_.reset(); }
    void cleanup() { w_.reset(); }

    void focusingFilters() {
        TForm_Main& w = open();
        QCOMPARE(w.statusText(3), QStringLiteral("2")); // Aile's direct members
        tree().focusGroup(group("Aile|Kuz"));
        QCOMPARE(w.statusText(3), QStringLiteral("1"));
        cmd().HepsiniGosterClick();
        QVERIFY(!tree().focusedGroup());
        QCOMPARE(w.statusText(3), QStringLiteral("4"));
        cmd().PopupMenu_GrupPopup();
        QVERIFY(!cmd().GrupSil->isEnabled());
        QVERIFY(cmd().GrupEkle->isEnabled());
        // Now a new person goes to "Belli Değil".
        w.editing().SB_EkleClick();
        w.editor().Edit_Ad->setText(QStringLiteral("YENİ"));
        w.editing().SB_TamamClick();
        QCOMPARE(w.document().persons().personAt(4)->GroupPath, kNoGroupPath);
        QCOMPARE(brokenCount(w.document()), QString());
    }

    void addingGroups() {
        open();
        tree().focusGroup(group("Aile|Kuz"));
        prompts_->answerText(QStringLiteral("  Amca "));
        cmd().GrupEkleClick();
        QCOMPARE(prompts_->shown().first().title, QStringLiteral("Bilgi Girişi"));
        QCOMPARE(prompts_->shown().first().text, QStringLiteral("Yeni Grup Adı Yazınız"));
        GroupNode* aile = group("Aile");
        QCOMPARE(aile->children[0]->Name, QStringLiteral("Amca")); // placed before the focused one
        QCOMPARE(tree().focusedGroup(), aile->children[0].get());
        QVERIFY(w_->document().isModified());

        tree().focusGroup(group("Eski"));
        prompts_->answerText(QStringLiteral("IŞIK"));
        cmd().GrupEkleClick();
        QCOMPARE(prompts_->messages(), QStringList({QStringLiteral("Aynı İsim Kullanılamaz")}));
        prompts_->answerText(QStringLiteral("ISTANBUL"));
        cmd().GrupEkleClick();
        prompts_->answerText(QStringLiteral("istanbul"));
        cmd().GrupEkleClick();
        QCOMPARE(topNames(), QStringList({QStringLiteral("Aile"), QStringLiteral("ışık"),
                                          QStringLiteral("istanbul"), QStringLiteral("ISTANBUL"),
                                          QStringLiteral("Eski")}));
        prompts_->answerCancel();
        cmd().GrupEkleClick();
        prompts_->answerText(path("a|b"));
        cmd().GrupEkleClick();
        QCOMPARE(prompts_->messages().size(), 2);
        QCOMPARE(topNames().size(), 5);

        tree().focusGroup(group("Eski"));
        prompts_->answerText(QStringLiteral("Alt"));
        cmd().AltgrupEkleClick();
        QCOMPARE(prompts_->shown().last().text, QStringLiteral("Yeni Alt Grup Adı Yazınız"));
        QCOMPARE(BuildGroupPath(tree().focusedGroup()), path("Eski|Alt"));
        QCOMPARE(w_->statusText(3), QStringLiteral("0"));
    }

    void renamingAndDeleting() {
        TForm_Main& w = open();
        w.document().markSaved();
        prompts_->answerText(QStringLiteral("AİLE"));
        cmd().GrupDuzeltClick();
        QCOMPARE(prompts_->shown().first().fileRequest.fileName, QStringLiteral("Aile")); // default
        QCOMPARE(w.document().persons().personAt(2)->GroupPath, path("AİLE|Kuz"));
        QVERIFY(w.document().isModified());
        prompts_->answerText(QStringLiteral("ışık"));
        cmd().GrupDuzeltClick();
        QCOMPARE(prompts_->messages(),
                 QStringList({QStringLiteral("Aynı isim tekrar kullanılamaz")}));

        w.document().markSaved();
        prompts_->answer(PromptButton::Cancel);
        cmd().GrupSilClick();
        QCOMPARE(w.document().persons().personCount(), 4);
        prompts_->answer(PromptButton::Yes);
        cmd().GrupSilClick();
        QVERIFY(prompts_->shown().last().text.startsWith(QStringLiteral(
            "AİLE ve altgrupları içindeki kişi kayıtları ile tamamen silinecektir.")));
        QCOMPARE(w.document().persons().personCount(), 1);
        QCOMPARE(tree().focusedGroup()->Name, QStringLiteral("ışık")); // the next sibling
        QVERIFY(w.document().isModified());
        QCOMPARE(w.statusText(1), QStringLiteral("1"));
        QCOMPARE(brokenCount(w.document()), QString());
    }

    void droppingPersonsOnAGroup() {
        TForm_Main& w = open();
        PersonListView& list = w.personList();
        list.selectAll();
        // The drag carries its persons.
        const std::unique_ptr<QMimeData> drag(
            w.document().persons().dragData(list.selectedPersons()));
        QVERIFY(tree().VST_GrupDragOver(drag.get(), &list, DropMode::OnNode, group("Eski")));
        QVERIFY(!tree().VST_GrupDragOver(drag.get(), &list, DropMode::Above, group("Eski")));
        QVERIFY(!tree().VST_GrupDragOver(drag.get(), &list, std::nullopt, nullptr));
        w.document().markSaved();
        tree().VST_GrupDragDrop(drag.get(), DropMode::OnNode, group("Eski"));
        QCOMPARE(group("Eski")->MemberCount, 3u);
        QCOMPARE(group("Aile")->MemberCount, 1u);
        QCOMPARE(w.statusText(3), QStringLiteral("0")); // moved away from the filtered group
        QVERIFY(w.document().isModified());
        QCOMPARE(brokenCount(w.document()), QString());
    }

    void movingGroupsByDropping() {
        TForm_Main& w = open();
        tree().focusGroup(group("Aile"));
        QObject* fromTree = &tree();
        QMimeData move;
        move.setData(kMoveMimeType, {});
        QVERIFY(!tree().VST_GrupDragOver(&move, fromTree, DropMode::OnNode, group("Aile")));
        QVERIFY(!tree().VST_GrupDragOver(&move, fromTree, std::nullopt, nullptr));
        QVERIFY(tree().VST_GrupDragOver(&move, fromTree, DropMode::OnNode, group("Eski")));
        tree().VST_GrupDragDrop(&move, DropMode::OnNode, group("Eski"));
        QCOMPARE(w.document().persons().personAt(2)->GroupPath, path("Eski|Aile|Kuz"));
        QCOMPARE(group("Eski")->MemberCount, 4u);
        QCOMPARE(brokenCount(w.document()), QString());

        tree().focusGroup(group("Eski|Aile"));
        tree().VST_GrupDragDrop(&move, DropMode::Below, group("Eski|Aile|Kuz"));
        QCOMPARE(group("Eski|Aile|Kuz")->MemberCount, 1u); // refused: inside itself
        QCOMPARE(brokenCount(w.document()), QString());

        // Nothing is accepted while an edit is open.
        w.editing().SB_DuzeltClick();
        QVERIFY(!tree().VST_GrupDragOver(&move, fromTree, DropMode::OnNode, group("ışık")));
        QVERIFY(!w.personList().isEnabled());
        w.editing().SB_IptalClick();
    }

    void reorderingTheList() {
        TForm_Main& w = open();
        cmd().HepsiniGosterClick();
        PersonListView& list = w.personList();
        QVERIFY(!list.VSTDragOver(&list, DropMode::OnNode));
        QVERIFY(list.VSTDragOver(&list, DropMode::Below));
        QVERIFY(!list.VSTDragOver(&tree(), DropMode::Below));
        PersonListModel& m = w.document().persons();
        list.focusPerson(m.personAt(0));
        list.selectWithoutFocus(m.personAt(1));
        list.VSTDragDrop(DropMode::Below, m.personAt(3));
        QCOMPARE(m.personAt(2)->RecordNo, QStringLiteral("2"));
        QCOMPARE(m.personAt(3)->RecordNo, QStringLiteral("1"));
        QCOMPARE(list.focusedPerson()->RecordNo, QStringLiteral("1"));
        QCOMPARE(list.selectedPersons().size(), size_t(2));
    }
};

QTEST_MAIN(TestGroupTree)
#include "test_group_tree.moc"
