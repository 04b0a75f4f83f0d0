#include "WindowFixture.h"
#include "app/FileCommands.h"
#include "app/MainCommands.h"
#include "app/TForm_Main.h"
#include "groups/GroupTreeView.h"
#include "person/PersonEditor.h"
#include "person/PersonListView.h"
#include "platform/Clock.h"
#include "platform/ScriptedPrompts.h"
#include "platform/SettingsStore.h"
#include "platform/ShellOpener.h"
#include "store/RecordFileLock.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList kSample = {
    QStringLiteral("0 HEAD"),          QStringLiteral("1 IDNO 17"),
    QStringLiteral("1 GRUP Aile|Kuz"), QStringLiteral("2 GRUP Aile"),
    QStringLiteral("2 GRUP Aile|Kuz"), QStringLiteral("2 GRUP Eski"),
    QStringLiteral("1 FIND "),         QStringLiteral("2 ITEM ali"),
    QStringLiteral("1 SETS "),         QStringLiteral("2 CHEK SaveAndClose=0"),
    QStringLiteral("0 ID 16"),         QStringLiteral("1 NAME VELİ"),
    QStringLiteral("1 GRUP Aile"),     QStringLiteral("0 ID 17"),
    QStringLiteral("1 NAME AHMET"),    QStringLiteral("1 SURN YILMAZ"),
    QStringLiteral("1 SEX F"),         QStringLiteral("1 FAMS E"),
    QStringLiteral("1 PHON"),          QStringLiteral("2 CONT GSM\t0532"),
    QStringLiteral("1 GRUP Aile|Kuz"), QStringLiteral("0 ID 18"),
    QStringLiteral("1 NAME CAN"),      QStringLiteral("1 GRUP Aile|Kuz"),
    QStringLiteral("0 TRLR")};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
    WindowFixture fx_;
    std::unique_ptr<QTemporaryDir>& dir_ = fx_.dir;
    std::unique_ptr<ScriptedPrompts>& prompts_ = fx_.prompts;
    std::unique_ptr<TForm_Main> window_;
    QString file_;

    TForm_Main& makeWindow() {
        window_ = std::make_unique<TForm_Main>(fx_.services());
        return *window_;
    }
    void setRecent(const QStringList& files) { SettingsStore().writeRecentFiles(files); }
    bool closeWindow() {
        QCloseEvent e;
        QCoreApplication::sendEvent(window_.get(), &e);
        return e.isAccepted();
    }

private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }

    void init() {
        fx_.reset();
        file_ = dir_->filePath(QStringLiteral("personel.qdb"));
        writeFile(file_, recordBytes(kSample));
    }
    void cleanup() { window_.reset(); }

    void startUpOpensTheLastFile() {
        setRecent({file_, dir_->filePath(QStringLiteral("b.qdb")),
                   dir_->filePath(QStringLiteral("B.QDB"))});
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        w.openStartupFile(); // later activations do nothing
        QCOMPARE(w.windowTitle(), QStringLiteral("Zilvaren - ") + file_);
        QCOMPARE(w.files().recentFiles(), QStringList({dir_->filePath(QStringLiteral("b.qdb"))}));
        QCOMPARE(QDir::currentPath(), dir_->path());
        QCOMPARE(BuildGroupPath(w.groupTree().focusedGroup()), path("Aile|Kuz"));
        QCOMPARE(w.document().groups().root().children[0]->MemberCount, 3u);
        // The focused group shows its direct members only.
        QCOMPARE(w.statusText(1), QStringLiteral("3"));
        QCOMPARE(w.statusText(3), QStringLiteral("2"));
        QCOMPARE(w.personList().focusedPerson()->RecordNo, QStringLiteral("17"));
        PersonEditor& e = w.editor();
        QCOMPARE(e.Lb_Info->text(), QStringLiteral("17 - Ahmet Yılmaz"));
        QCOMPARE(e.Edit_Soyad->text(), QStringLiteral("YILMAZ"));
        QCOMPARE(e.ComboBox_Sex->currentText(), QStringLiteral("Kadın"));
        QCOMPARE(e.ComboBox_MedHal->currentText(), QStringLiteral("Bekar"));
        QCOMPARE(e.ListBox_Tel->count(), 1);
        QCOMPARE(e.EditMode(), 0);
        QVERIFY(!w.document().isModified());
        QVERIFY(!w.commands().Menu_Kaydet->isEnabled());
        QCOMPARE(w.document().find().items, QStringList({QStringLiteral("ali")}));
        QVERIFY(prompts_->shown().isEmpty());
    }

    void missingStartUpFileStartsUnnamed() {
        setRecent({dir_->filePath(QStringLiteral("gone.qdb"))});
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        QCOMPARE(w.windowTitle(), QStringLiteral("Zilvaren - Unnamed.qdb"));
        QCOMPARE(w.files().CurrentFileName(), QString());
        QCOMPARE(w.statusText(1), QStringLiteral("0"));
        QVERIFY(prompts_->shown().isEmpty());
    }

    void selectingAPersonShowsItAndMarksItsGroup() {
        setRecent({file_});
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        w.groupTree().focusGroup(w.document().groups().root().children[0].get());
        QCOMPARE(w.statusText(3), QStringLiteral("1"));
        w.personList().focusPerson(w.document().persons().personAt(0));
        QCOMPARE(w.editor().Edit_Ad->text(), QStringLiteral("VELİ"));
        // Choosing a person changes nothing that needs saving.
        QVERIFY(!w.document().isModified());
        QVERIFY(!w.commands().ToolButton_Kaydet->isEnabled());
    }

    void unreadableFileChangesNothing() {
        setRecent({file_});
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        const QString title = w.windowTitle();
        const QString folder = dir_->filePath(QStringLiteral("folder.qdb"));
        QVERIFY(QDir().mkpath(folder)); // exists, yet cannot be read as a file
        prompts_->answerText(folder);
        w.files().DosyaAcNew(FileCommands::OpenSender::OpenCommand);
        QCOMPARE(prompts_->shown().first().fileRequest.filter,
                 QStringLiteral("Personel Files (*.qdb)|*.QDB"));
        QCOMPARE(prompts_->shown().first().text, QStringLiteral("Mevcut Zilvaren Dosyası Aç"));
        QCOMPARE(prompts_->messages().size(), 1);
        QCOMPARE(w.windowTitle(), title);
        QCOMPARE(w.files().CurrentFileName(), file_);
        QVERIFY(w.files().recentFiles().isEmpty());
        QCOMPARE(w.document().persons().personCount(), 3);

        // Nor does a file that is not a record file: it is named, and the
        // open file stays.
        const QString book = dir_->filePath(QStringLiteral("rehber.txt"));
        writeFile(book, "Ad;Soyad\r\nAli;Kaya\r\n");
        prompts_->clear();
        prompts_->answerText(book);
        w.files().DosyaAcNew(FileCommands::OpenSender::OpenCommand);
        QCOMPARE(prompts_->messages().size(), 1);
        QVERIFY(prompts_->messages().first().startsWith(u'"' + book +
                                                        QStringLiteral("\" bir kayıt dosyası")));
        QCOMPARE(w.files().CurrentFileName(), file_);
        QCOMPARE(w.document().persons().personCount(), 3);
        QCOMPARE(readFile(book), QByteArray("Ad;Soyad\r\nAli;Kaya\r\n"));
    }

    // A file read only in part is never put over the file without the user
    // choosing so: not on "Kaydet", not on quitting with save-without-asking.
    void partlyReadFileIsNotSavedOverSilently() {
        writeFile(file_,
                  recordBytes({QStringLiteral("1 SETS "), QStringLiteral("2 CHEK SaveAndClose=1"),
                               QStringLiteral("0 ID 1"), QStringLiteral("1 BIRT"),
                               QStringLiteral("2 DATE 40 01 1970"), QStringLiteral("0 ID 2"),
                               QStringLiteral("0 TRLR")}));
        const QByteArray before = readFile(file_);
        setRecent({file_});
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        QCOMPARE(prompts_->messages().size(), 1);
        const QString message = prompts_->messages().first();
        QVERIFY2(message.contains(
                     QStringLiteral("5. satırda okunamadı: Invalid argument to date encode")) &&
                     message.contains(QStringLiteral("okunan 1 kişi")),
                 qPrintable(message));
        QCOMPARE(w.document().persons().personCount(), 1);
        QVERIFY(!w.document().isModified());

        w.document().markUnsaved();
        prompts_->answerCancel(); // the save dialog, on quitting
        QVERIFY(!closeWindow());
        QCOMPARE(readFile(file_), before);

        prompts_->answerText(file_);         // "Kaydet": the same name chosen...
        prompts_->answer(PromptButton::Yes); // ...and the overwrite confirmed
        w.commands().Menu_Kaydet->trigger();
        QVERIFY(readFile(file_) != before);
        QVERIFY(!w.document().isModified());
    }

    void recoveryFileIsOfferedAtOpening() {
        const QString recovery = dir_->filePath(QStringLiteral("personel.kurtarma.qdb"));
        writeFile(recovery,
                  recordBytes({QStringLiteral("0 ID 99"), QStringLiteral("1 NAME KURTARILAN"),
                               QStringLiteral("0 TRLR")}));
        setRecent({file_});
        const QByteArray before = readFile(file_);
        prompts_->answer(PromptButton::Yes);
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        QVERIFY(prompts_->shown()[0].text.contains(QStringLiteral("geri yüklensin mi?")));
        QCOMPARE(w.document().persons().personAt(0)->FirstName, QStringLiteral("KURTARILAN"));
        QCOMPARE(w.files().CurrentFileName(), file_);
        QVERIFY(w.document().isModified()); // not on disk under its name yet
        QCOMPARE(readFile(file_), before);
        w.commands().Menu_Kaydet->trigger();
        QVERIFY(!QFile::exists(recovery));
        QVERIFY(readFile(file_).contains("KURTARILAN"));

        // Declined: the file opens as saved and the kept state is dropped.
        writeFile(recovery, recordBytes({QStringLiteral("0 TRLR")}));
        window_.reset();
        prompts_->clear();
        prompts_->answer(PromptButton::No);
        TForm_Main& again = makeWindow();
        again.openStartupFile();
        QCOMPARE(again.document().persons().personAt(0)->FirstName, QStringLiteral("KURTARILAN"));
        QVERIFY(!QFile::exists(recovery));
        QVERIFY(!again.document().isModified());
    }

    void unreadableRecentItemStaysListed() {
        const QString folder = dir_->filePath(QStringLiteral("klasor.qdb"));
        QVERIFY(QDir().mkdir(folder));
        setRecent({file_, folder});
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        w.files().DosyaAcNew(FileCommands::OpenSender::RecentItem, folder);
        QCOMPARE(
            prompts_->messages(),
            QStringList({QStringLiteral("\"") + folder +
                         QStringLiteral("\" dosyası okunamadı.\rBu bir klasör, dosya değil.")}));
        QCOMPARE(w.files().recentFiles(), QStringList({folder}));
        QCOMPARE(w.files().CurrentFileName(), file_);
    }

    // A stored panel size shows exactly, at the designed size too, and
    // saving writes it back unless the user dragged that splitter.
    void panelsShowAndKeepTheirStoredSizes_data() {
        QTest::addColumn<QSize>("window");
        QTest::newRow("designed") << QSize(651, 513);
        QTest::newRow("larger") << QSize(900, 700);
    }
    void panelsShowAndKeepTheirStoredSizes() {
        QFETCH(QSize, window);
        writeFile(
            file_,
            recordBytes({QStringLiteral("1 SETS "), QStringLiteral("2 CHEK Panel_Grup_Height=200"),
                         QStringLiteral("2 CHEK Panel_Main_Width=320"), QStringLiteral("0 TRLR")}));
        setRecent({file_});
        TForm_Main& w = makeWindow();
        w.resize(window);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* grup = w.findChild<QWidget*>(QStringLiteral("Panel_Grup"));
        auto* main = w.findChild<QSplitter*>(QStringLiteral("Splitter1"));
        w.openStartupFile();
        QCOMPARE(grup->height(), 200);
        QCOMPARE(main->width(), 320);

        // The outer splitter dragged ten pixels to the left with the mouse.
        auto* outer = w.findChild<QSplitter*>(QStringLiteral("Splitter2"));
        QSplitterHandle* handle = outer->handle(1);
        const QPoint at = handle->rect().center();
        QTest::mousePress(handle, Qt::LeftButton, {}, at);
        QMouseEvent move(QEvent::MouseMove, QPointF(at - QPoint(10, 0)),
                         handle->mapToGlobal(QPointF(at - QPoint(10, 0))), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(handle, &move);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, at - QPoint(10, 0));
        QCOMPARE(main->width(), 310);
        const QString composed = QString::fromLatin1(w.composeFile());
        QVERIFY(composed.contains(QStringLiteral("Panel_Grup_Height=200\r\n")));
        QVERIFY(composed.contains(QStringLiteral("Panel_Main_Width=310\r\n")));
    }

    void lockedFileOpensReadOnlyAndIsNeverSavedOver() {
        RecordFileLock::Holder holder;
        const auto otherWindow = RecordFileLock::take(file_, &holder);
        QVERIFY(otherWindow);
        setRecent({file_});
        const QByteArray before = readFile(file_);
        prompts_->answer(PromptButton::Yes); // open read-only
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        QVERIFY(prompts_->shown()[0].text.contains(QStringLiteral("başka bir pencerede açık")));
        QVERIFY(w.files().isReadOnly());
        QVERIFY(w.windowTitle().endsWith(QStringLiteral("(salt okunur)")));
        QCOMPARE(w.document().persons().personCount(), 3);
        // A sync would write to the held file: said so, nothing asked.
        prompts_->clear();
        w.commands().Menu_Sync->trigger();
        QCOMPARE(prompts_->shown().size(), 1);
        QVERIFY(prompts_->messages().last().contains(QStringLiteral("salt okunur bir kopya")));
        w.document().markUnsaved();
        prompts_->clear();
        prompts_->answerText(file_);
        prompts_->answer(PromptButton::Yes);
        w.commands().Menu_Kaydet->trigger();
        QCOMPARE(prompts_->shown()[0].text, QStringLiteral("Zilvaren Dosyası Kaydet"));
        QVERIFY(prompts_->messages().last().contains(QStringLiteral("üzerine kaydedilemez")));
        QCOMPARE(readFile(file_), before);

        // Cancelling the question opens nothing.
        prompts_->clear();
        window_.reset();
        prompts_->answer(PromptButton::Cancel);
        TForm_Main& again = makeWindow();
        again.openStartupFile();
        QCOMPARE(again.document().persons().personCount(), 0);
    }

    // Opening again the file the window holds (to go back to the saved
    // state) is no second window.
    void reopeningTheHeldFileKeepsItsLock() {
        setRecent({file_});
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        prompts_->answerText(file_);
        w.files().DosyaAcNew(FileCommands::OpenSender::OpenCommand);
        QCOMPARE(prompts_->shown().size(), 1); // the open dialog only
        QVERIFY(!w.files().isReadOnly());
        RecordFileLock::Holder who;
        QVERIFY(!RecordFileLock::take(file_, &who)); // still held by the window
        window_.reset();
        QVERIFY(RecordFileLock::take(file_, &who)); // let go with the window
    }

    void missingRecentItemLeavesTheList() {
        const QString gone = dir_->filePath(QStringLiteral("gone.qdb"));
        setRecent({file_, gone});
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        w.files().DosyaAcNew(FileCommands::OpenSender::RecentItem, gone);
        QCOMPARE(prompts_->messages(),
                 QStringList({gone + QStringLiteral(" isimli dosya bulunamadı.")}));
        QVERIFY(w.files().recentFiles().isEmpty());
    }

    void openingAnotherFileAddsItsWordsAndListsThePrevious() {
        const QString other = dir_->filePath(QStringLiteral("other.qdb"));
        writeFile(other, recordBytes({QStringLiteral("1 FIND "), QStringLiteral("2 ITEM veli"),
                                      QStringLiteral("0 TRLR")}));
        setRecent({file_, other});
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        w.files().DosyaAcNew(FileCommands::OpenSender::RecentItem, other);
        QCOMPARE(w.files().CurrentFileName(), other);
        QCOMPARE(w.files().recentFiles(), QStringList({file_}));
        QCOMPARE(w.document().find().items,
                 QStringList({QStringLiteral("ali"), QStringLiteral("veli")}));
        QCOMPARE(w.document().persons().personCount(), 0);
        QCOMPARE(w.editor().Lb_Info->text(), QStringLiteral("---"));
    }

    void unsavedChangesQuestion() {
        setRecent({file_});
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        w.document().markUnsaved();
        prompts_->answer(PromptButton::Cancel);
        w.files().DosyaAcNew(FileCommands::OpenSender::OpenCommand);
        QCOMPARE(prompts_->shown().size(), 1); // no file dialog after Cancel
        QVERIFY(
            prompts_->shown().first().text.startsWith(QStringLiteral("Çalıştığınız dosyadaki")));

        // Yes whose save does not happen stops as well.
        prompts_->clear();
        w.files().SetCurrentFileName(QString());
        prompts_->answer(PromptButton::Yes);
        prompts_->answerCancel(); // the save dialog
        QVERIFY(!w.files().CheckUnsavedChanges());
        QVERIFY(w.document().isModified());
    }

    void saveKeepsABackup() {
        setRecent({file_});
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        const QByteArray before = readFile(file_);
        w.document().markUnsaved();
        w.files().Button_KaydetClick(FileCommands::SaveSender::Save);
        QVERIFY(prompts_->shown().isEmpty()); // an existing file is written directly
        QVERIFY(!w.document().isModified());
        QCOMPARE(readFile(dir_->filePath(QStringLiteral("personel.BAK"))), before);
        const QString saved = QString::fromUtf8(readFile(file_));
        QVERIFY(saved.contains(QStringLiteral("1 IDNO 17\r\n")));

        // Save as onto the open file asks first, and keeps a backup too.
        prompts_->answerText(file_);
        prompts_->answer(PromptButton::Yes);
        w.files().Button_KaydetClick(FileCommands::SaveSender::SaveAs);
        QCOMPARE(
            prompts_->shown()[1].text,
            file_ + QStringLiteral(
                        " İsimli bir dosya mevcuttur.\rSilinerek Değiştirilmesini İstermisiniz ?"));
        QCOMPARE(prompts_->shown()[0].fileRequest.fileName, file_);
        QCOMPARE(readFile(dir_->filePath(QStringLiteral("personel.BAK"))).size(), saved.size());

        // A file its owner made read-only is not saved over; "Kaydet" stays
        // on, and "Farklı Kaydet" writes elsewhere.
        QFile(file_).setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        const QByteArray locked = readFile(file_);
        w.document().markUnsaved();
        prompts_->clear();
        w.commands().Menu_Kaydet->trigger();
        QCOMPARE(prompts_->messages().size(), 1);
        QVERIFY2(prompts_->messages().first().endsWith(QStringLiteral("\rDosya salt okunur.")),
                 qPrintable(prompts_->messages().first()));
        QVERIFY(w.document().isModified());
        QVERIFY(w.commands().Menu_Kaydet->isEnabled());
        QCOMPARE(readFile(file_), locked);
        const QString elsewhere = dir_->filePath(QStringLiteral("kopya.qdb"));
        prompts_->answerText(elsewhere);
        w.commands().Menu_FKaydet->trigger();
        QVERIFY(!w.document().isModified());
        QVERIFY(readFile(elsewhere).contains("1 IDNO 17\r\n"));
    }

    void saveAsCancelledWritesNothing() {
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        w.document().markUnsaved();
        prompts_->answerCancel();
        w.files().Button_KaydetClick(FileCommands::SaveSender::Save);
        QCOMPARE(prompts_->shown().size(), 1);
        QCOMPARE(prompts_->shown()[0].text, QStringLiteral("Zilvaren Dosyası Kaydet"));
        QVERIFY(w.document().isModified());
    }

    void newFile() {
        setRecent({file_});
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        prompts_->clear();
        w.Button_YeniClick();
        QCOMPARE(w.windowTitle(), QStringLiteral("Zilvaren - Unnamed.qdb"));
        QCOMPARE(w.files().recentFiles(), QStringList({file_}));
        QCOMPARE(w.document().persons().personCount(), 0);
        QVERIFY(w.document().groups().isEmpty());
        QVERIFY(w.document().find().items.isEmpty());
        QCOMPARE(w.statusText(1), QStringLiteral("0"));

        // An "Unnamed.qdb" lying in the folder is never written over without
        // the save dialog, and never enters the recent list.
        writeFile(QDir::current().filePath(FileCommands::kUnnamed), "keep");
        w.document().markUnsaved();
        prompts_->answerCancel();
        w.commands().Menu_Kaydet->trigger();
        QCOMPARE(prompts_->shown().last().text, QStringLiteral("Zilvaren Dosyası Kaydet"));
        QCOMPARE(readFile(QDir::current().filePath(FileCommands::kUnnamed)), QByteArray("keep"));
        prompts_->answer(PromptButton::No); // a second new file, unsaved changes dropped
        w.Button_YeniClick();
        QVERIFY(!w.files().recentFiles().contains(FileCommands::kUnnamed));
        QVERIFY(!w.files().recentFilesForClose().contains(FileCommands::kUnnamed));
    }

    void closeAsksAndWritesSettings() {
        const QString other = dir_->filePath(QStringLiteral("other.qdb"));
        writeFile(other, "0 TRLR\r\n");
        // More than the nine a list keeps when files are opened: all are
        // listed, and all are written back.
        QStringList recent = {file_, other};
        for (int i = 0; i < 10; ++i)
            recent.append(dir_->filePath(QStringLiteral("eski%1.qdb").arg(i)));
        setRecent(recent);
        TForm_Main& w = makeWindow();
        QCOMPARE(w.files().recentFiles(), recent.mid(1));
        w.openStartupFile();
        w.document().markUnsaved();
        prompts_->answer(PromptButton::Cancel);
        QVERIFY(!closeWindow());
        // Kept open: nothing written.
        QCOMPARE(SettingsStore().recentFiles(), recent);
        QVERIFY(!SettingsStore().pageSetup().width);

        prompts_->answer(PromptButton::No);
        QVERIFY(closeWindow());
        QCOMPARE(SettingsStore().recentFiles(), recent);
        QCOMPARE(*SettingsStore().pageSetup().width, w.width());
    }

    void saveWithoutAskingThatFailsKeepsTheWindowOpen() {
        TForm_Main& w = makeWindow();
        w.openStartupFile();
        w.document().settings().saveAndClose = true;
        w.document().markUnsaved();
        prompts_->answerCancel(); // the save dialog of an unnamed file
        QVERIFY(!closeWindow());
        QVERIFY(w.document().isModified());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
