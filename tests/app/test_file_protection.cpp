// A password-protected file in the window: opening it, giving it a
// password and taking it away, and the lock after idle minutes.
#include "WindowFixture.h"
#include "app/FileCommands.h"
#include "app/FileProtection.h"
#include "app/LockDialog.h"
#include "app/MainCommands.h"
#include "person/PersonEditing.h"
#include "person/PersonEditor.h"
#include "person/PersonListView.h"
#include "store/ProtectedFile.h"
#include "store/RecordFileSaver.h"
#include "sync/SyncState.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <sodium.h>

namespace {

constexpr KdfLimits kFast{crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN};

const QStringList kPersons = {
    QStringLiteral("1 IDNO 2"),      QStringLiteral("1 GRUP Aile"),   QStringLiteral("2 GRUP Aile"),
    QStringLiteral("0 ID 1"),        QStringLiteral("1 NAME ALİ"),    QStringLiteral("1 SURN KAYA"),
    QStringLiteral("1 GRUP Aile"),   QStringLiteral("0 ID 2"),        QStringLiteral("1 NAME AYŞE"),
    QStringLiteral("1 SURN YILDIRIM"), QStringLiteral("1 GRUP Aile"), QStringLiteral("0 TRLR")};

bool holdsNames(const QString& file) {
    const QByteArray bytes = readFile(file);
    return bytes.contains("KAYA") || bytes.contains("YILDIRIM") || bytes.contains("rehber");
}

// Turkish letters have no key of their own in the test's key map.
void typeInto(QWidget* w, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

bool isProtected(const QString& file) {
    return isProtectedRecordFile(readFile(file));
}

} // namespace

class TestFileProtection : public QObject {
    Q_OBJECT
    WindowFixture fx_;
    std::unique_ptr<TForm_Main> w_;

    // The persons as a protected file, opened at start-up.
    QString startProtected(const QString& password) {
        const QString file = fx_.startWith(QStringLiteral("p.qdb"), kPersons);
        const FileKey key = deriveNewFileKey(SecretBytes::fromText(password), kFast);
        writeFile(file, protectRecordBytes(readFile(file), key));
        return file;
    }
    TForm_Main& openWindow() {
        w_ = fx_.openWindow();
        return *w_;
    }
    void press(int key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }

private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }
    void init() { fx_.reset(); }
    void cleanup() { w_.reset(); }

    void openingAsksAgainAfterAWrongPasswordAndCancelLeavesTheWindow() {
        const QString file = startProtected(QStringLiteral("doğru parola"));
        fx_.prompts->answerText(QStringLiteral("yanlış"));
        fx_.prompts->answerText(QStringLiteral("doğru parola"));
        TForm_Main& w = openWindow();
        QCOMPARE(w.document().persons().personCount(), 2);
        QVERIFY(w.document().fileKey());
        QCOMPARE(fx_.prompts->messages(), QStringList{wrongPasswordMessage()});
        QCOMPARE(fx_.prompts->shown().first().kind, ScriptedPrompts::Kind::Password);
        QVERIFY(fx_.prompts->shown().first().text.contains(QStringLiteral("p.qdb")));

        // Saved again with the key it was opened with: no new password.
        QVERIFY(w.protection().Kilitle->isEnabled());
        QVERIFY(!w.protection().ParolaKoy->isEnabled());
        QVERIFY(w.protection().ParolaDegistir->isEnabled());
        fx_.prompts->clear();
        w.document().protect(w.document().fileKey());
        press(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!w.document().isModified());
        QVERIFY(isProtected(file) && !holdsNames(file));
        QVERIFY(isProtected(backupFileName(file)));

        // Another protected file, and "İptal" at its question: nothing changes.
        const QString other = fx_.dir->filePath(QStringLiteral("diğer.qdb"));
        QFile::copy(file, other);
        fx_.prompts->answerCancel();
        w.files().DosyaAcNew(FileCommands::OpenSender::RecentItem, other);
        QCOMPARE(w.files().CurrentFileName(), file);
        QCOMPARE(w.document().persons().personCount(), 2);
        QVERIFY(fx_.prompts->messages().isEmpty());

        // A damaged one is refused whole, with its name.
        QByteArray bytes = readFile(other);
        bytes[bytes.size() - 3] ^= 1;
        writeFile(other, bytes);
        fx_.prompts->answerText(QStringLiteral("doğru parola"));
        w.files().DosyaAcNew(FileCommands::OpenSender::RecentItem, other);
        QCOMPARE(fx_.prompts->messages(),
                 QStringList{QStringLiteral("Dosya bozuk veya değiştirilmiş: ") + other});
        QCOMPARE(w.files().CurrentFileName(), file);
        QCOMPARE(w.document().persons().personCount(), 2);
    }

    void passwordCommandsProtectTheFileItsBackupAndItsSyncState() {
        const QString file = fx_.startWith(QStringLiteral("p.qdb"), kPersons);
        const QString stateFile = SyncState::fileFor(file);
        SyncState state;
        state.server = QStringLiteral("http://127.0.0.1:5232/");
        state.foreign.insert(QStringLiteral("/ofis/rehber-ALİ.vcf"), "\"e1\"");
        state.write(stateFile);
        TForm_Main& w = openWindow();
        FileProtection& protection = w.protection();
        QVERIFY(protection.ParolaKoy->isEnabled() && !protection.Kilitle->isEnabled());

        // Too short and turned down, then two that differ: no password.
        for (const char* typed : {"kısa", "kısa"})
            fx_.prompts->answerText(QString::fromUtf8(typed));
        fx_.prompts->answer(PromptButton::No);
        protection.ParolaKoy->trigger();
        fx_.prompts->answerText(QStringLiteral("bir parola"));
        fx_.prompts->answerText(QStringLiteral("başka parola"));
        protection.ParolaKoy->trigger();
        QVERIFY(!w.document().fileKey());
        QVERIFY(!w.document().isModified());
        QCOMPARE(fx_.prompts->messages(),
                 QStringList{QStringLiteral("İki parola aynı değil; parola değişmedi.")});

        fx_.prompts->clear();
        fx_.prompts->answerText(QStringLiteral("ilk parola"));
        fx_.prompts->answerText(QStringLiteral("ilk parola"));
        protection.ParolaKoy->trigger();
        QVERIFY(w.document().fileKey() && w.document().isModified());
        QVERIFY(w.commands().Menu_Kaydet->isEnabled());
        QVERIFY(protection.Kilitle->isEnabled() && !protection.ParolaKoy->isEnabled());
        w.personList().setFocus();
        press(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!w.document().isModified());
        for (const QString& f : {file, backupFileName(file), stateFile}) {
            QVERIFY2(isProtected(f), qPrintable(f));
            QVERIFY2(!holdsNames(f), qPrintable(f));
        }
        QCOMPARE(SyncState::read(stateFile, w.document().fileKey().get()).server, state.server);

        // A wrong present password changes nothing; the right one, then a
        // new one: the sync state follows the new key.
        fx_.prompts->clear();
        fx_.prompts->answerText(QStringLiteral("yanlış"));
        protection.ParolaDegistir->trigger();
        QCOMPARE(fx_.prompts->messages(), QStringList{wrongPasswordMessage()});
        QVERIFY(!w.document().isModified());
        const std::shared_ptr<const FileKey> first = w.document().fileKey();
        for (const char* typed : {"ilk parola", "yeni parola", "yeni parola"})
            fx_.prompts->answerText(QString::fromUtf8(typed));
        protection.ParolaDegistir->trigger();
        QVERIFY(w.document().fileKey() != first);
        press(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(SyncState::read(stateFile, w.document().fileKey().get()).foreign, state.foreign);
        QVERIFY_THROWS_EXCEPTION(ZilvarenError, SyncState::read(stateFile, first.get()));

        // Exports ask once in the session; turned down, the Excel export
        // shows no save dialog.
        fx_.prompts->clear();
        fx_.prompts->answer(PromptButton::No);
        w.commands().Menu_ExcelExport->trigger();
        QCOMPARE(fx_.prompts->shown().size(), 1);
        QVERIFY(fx_.prompts->shown()[0].text.contains(QStringLiteral("parolasız")));
        fx_.prompts->answer(PromptButton::Yes);
        QVERIFY(protection.mayExportPlain());
        QVERIFY(protection.mayExportPlain());
        QCOMPARE(fx_.prompts->shown().size(), 2);

        // Taken away: plain again, the sync state too.
        fx_.prompts->answerText(QStringLiteral("yeni parola"));
        protection.ParolaKaldir->trigger();
        QVERIFY(!w.document().fileKey());
        QVERIFY(protection.mayExportPlain());
        press(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(readFile(file).startsWith("0 HEAD"));
        QVERIFY(!isProtected(stateFile));
        QCOMPARE(SyncState::read(stateFile).foreign, state.foreign);
    }

    void idleWindowLocksIntoTheRecoveryFileAndComesBackWithThePassword() {
        const QString file = startProtected(QStringLiteral("doğru parola"));
        fx_.prompts->answerText(QStringLiteral("doğru parola"));
        TForm_Main& w = openWindow();
        const QString recovery = recoveryFileName(file);
        // An edit is open when the time runs out: it is kept as well.
        QLineEdit* name = w.editor().Edit_Ad;
        QVERIFY(name);
        name->setFocus();
        QTest::keyClick(name, Qt::Key_End);
        QTest::keyClicks(name, QStringLiteral("CAN"));
        QVERIFY(w.editing().isEditing());
        const QString edited = name->text();

        w.protection().setIdleTime(std::chrono::milliseconds(400));
        // Input keeps it open.
        for (int i = 0; i < 6; ++i) {
            QTest::mouseMove(&w.personList(), QPoint(10 + i, 10));
            QTest::qWait(100);
        }
        QVERIFY(!w.protection().isLocked());

        bool driven = false;
        QString problem;
        int personsWhileLocked = -1;
        bool recoveryPlain = true;
        const std::function<void()> drive = [&] {
            auto* dialog = qobject_cast<LockDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                QTimer::singleShot(50, drive);
                return;
            }
            personsWhileLocked = w.document().persons().personCount();
            recoveryPlain = !isProtected(recovery) || holdsNames(recovery);
            QTest::keyClick(dialog, Qt::Key_Escape); // stays
            typeInto(dialog->Edit_Parola, QStringLiteral("yanlış"));
            QTest::mouseClick(dialog->Button_Ac, Qt::LeftButton);
            problem = dialog->Label_Sorun->text();
            typeInto(dialog->Edit_Parola, QStringLiteral("doğru parola"));
            QTest::keyClick(dialog->Edit_Parola, Qt::Key_Return);
            driven = true;
        };
        QTimer::singleShot(0, drive);
        QTRY_VERIFY_WITH_TIMEOUT(driven, 15000);
        QTRY_VERIFY(!w.protection().isLocked());
        QCOMPARE(personsWhileLocked, 0);
        QVERIFY(!recoveryPlain);
        QCOMPARE(problem, wrongPasswordMessage());
        // Back as the recovery offer brings it: the edit confirmed, unsaved.
        QCOMPARE(w.document().persons().personCount(), 2);
        QVERIFY(w.document().isModified());
        QVERIFY(w.document().fileKey());
        QStringList names;
        for (int i = 0; i < 2; ++i)
            names << w.document().persons().personAt(i)->FirstName;
        QVERIFY2(names.contains(edited), qPrintable(names.join(u',')));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.personList().setFocus();
        press(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!QFile::exists(recovery));
        QVERIFY(isProtected(file));
    }
};

QTEST_MAIN(TestFileProtection)
#include "test_file_protection.moc"
