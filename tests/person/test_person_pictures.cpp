#include "PictureSamples.h"
#include "WindowFixture.h"
#include "app/MainCommands.h"
#include "app/TForm_Main.h"
#include "person/PersonEditing.h"
#include "person/PersonEditor.h"
#include "person/PersonListView.h"
#include "person/PictureFiles.h"
#include "person/PicturePanel.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString kAlreadyThere = u"< other.jpg > Bu Resim Kişinin Kayıtlarında Mevcuttur.\r"
                              u"Başkasını Seçiniz."_s;

QStringList items(const QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out.append(combo->itemText(i));
    return out;
}

} // namespace

// The picture commands through their buttons and the selector, against
// real files beside the record file.
class TestPersonPictures : public QObject {
    Q_OBJECT
    WindowFixture fx_;
    std::unique_ptr<TForm_Main> w_;

    // Persons "1 ALİ KAYA" and "2 VELİ", each with the given pictures.
    TForm_Main& open(const QStringList& first, const QStringList& second = {}) {
        QStringList lines{u"1 GRUP A"_s, u"2 GRUP A"_s};
        int no = 1;
        for (const QStringList& pics : {first, second}) {
            lines << u"0 ID %1"_s.arg(no) << (no == 1 ? u"1 NAME ALİ"_s : u"1 NAME VELİ"_s);
            if (no == 1)
                lines << u"1 SURN KAYA"_s;
            if (!pics.isEmpty()) {
                lines << u"1 OBJE"_s;
                for (const QString& p : pics)
                    lines << u"2 CONT "_s + p;
                lines << u"2 INDX 0"_s;
            }
            lines << u"1 GRUP A"_s;
            ++no;
        }
        lines << u"0 TRLR"_s;
        fx_.startWith(u"p.qdb"_s, lines);
        w_ = std::make_unique<TForm_Main>(fx_.services());
        w_->openStartupFile();
        return *w_;
    }
    QString file(const QString& name) const { return fx_.dir->filePath(name); }
    void put(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(file(name)).absolutePath());
        writeFile(file(name), bytes);
    }
    PersonEditor& e() { return w_->editor(); }
    PicturePanel& panel() { return *e().Panel_Resim; }
    PersonRecord* person(int i) { return w_->document().persons().personAt(i); }
    void clickAdd(const QString& chosen) {
        fx_.prompts->answerText(chosen);
        QTest::mouseClick(panel().SB_ResimEkle, Qt::LeftButton);
    }
    void clickDelete(PromptButton answer) {
        fx_.prompts->answer(answer);
        QTest::mouseClick(panel().SB_ResimSil, Qt::LeftButton);
    }
    void confirm() { w_->editing().SB_TamamClick(); }
    void cancel() { w_->editing().SB_IptalClick(); }

private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }
    void init() { fx_.reset(); }
    void cleanup() { w_.reset(); }

    void addingFromAnotherFolderCopiesUnderAFreeName() {
        const QByteArray red = samples::jpeg(samples::filled(640, 480, Qt::red));
        put(u"photo.jpg"_s, red);
        put(u"elsewhere/photo.jpg"_s, red);
        open({u"photo.jpg"_s});
        clickAdd(file(u"elsewhere/photo.jpg"_s));
        const auto& shown = fx_.prompts->shown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, ScriptedPrompts::Kind::OpenFile);
        QCOMPARE(shown[0].text, u"ALİ KAYA için Resim Dosyası"_s);
        QCOMPARE(shown[0].fileRequest.filter, pictures::openDialogFilter());
        QVERIFY(shown[0].fileRequest.filter.startsWith(
            u"All (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|"_s));
        QCOMPARE(items(panel().ComboBox_Obje), QStringList({u"photo.jpg"_s, u"photo1.jpg"_s}));
        QCOMPARE(panel().ComboBox_Obje->currentIndex(), 1);
        QCOMPARE(readFile(file(u"photo1.jpg"_s)), red);
        QVERIFY(w_->editing().isEditing());
        QVERIFY(!panel().Image_Resim->isHidden());
        clickAdd(file(u"elsewhere/photo.jpg"_s));
        QCOMPARE(panel().ComboBox_Obje->currentText(), u"photo2.jpg"_s);

        cancel(); // the copies go again; the person's own file stays
        QVERIFY(!QFileInfo::exists(file(u"photo1.jpg"_s)));
        QVERIFY(!QFileInfo::exists(file(u"photo2.jpg"_s)));
        QVERIFY(QFileInfo::exists(file(u"photo.jpg"_s)));
        QCOMPARE(items(panel().ComboBox_Obje), QStringList({u"photo.jpg"_s}));

        clickAdd(file(u"elsewhere/photo.jpg"_s));
        confirm();
        QCOMPARE(person(0)->Pictures, QStringList({u"photo.jpg"_s, u"photo1.jpg"_s}));
        QCOMPARE(person(0)->PictureIndex, 1);
        QVERIFY(QFileInfo::exists(file(u"photo1.jpg"_s)));

        // Another person's file in the folder also counts as taken.
        w_->personList().focusPerson(person(1));
        clickAdd(file(u"elsewhere/photo.jpg"_s));
        QCOMPARE(panel().ComboBox_Obje->currentText(), u"photo2.jpg"_s);
        fx_.prompts->answerCancel();
        QTest::mouseClick(panel().SB_ResimEkle, Qt::LeftButton);
        QCOMPARE(items(panel().ComboBox_Obje), QStringList({u"photo2.jpg"_s}));
    }

    void addingAFileOfTheFolderTakesItsName() {
        put(u"other.jpg"_s, samples::encoded(samples::filled(20, 20, Qt::blue), "JPEG"));
        open({});
        const QStringList before = QDir(fx_.dir->path()).entryList(QDir::Files);
        clickAdd(file(u"other.jpg"_s));
        QCOMPARE(items(panel().ComboBox_Obje), QStringList({u"other.jpg"_s}));
        QCOMPARE(QDir(fx_.dir->path()).entryList(QDir::Files), before);
        QVERIFY(panel().SB_ResimSil->isEnabled());
        confirm();
        QCOMPARE(person(0)->Pictures, QStringList({u"other.jpg"_s}));

        w_->document().markSaved();
        clickAdd(file(u"other.jpg"_s));
        QCOMPARE(fx_.prompts->messages(), QStringList({kAlreadyThere}));
        QCOMPARE(e().EditMode(), int(PersonEditor::Viewing));
        QCOMPARE(items(panel().ComboBox_Obje), QStringList({u"other.jpg"_s}));
        // Cancelling this edit would have removed the file had it been copied.
        clickAdd(file(u"missing/none.jpg"_s));
        QVERIFY(fx_.prompts->messages().last().contains(u"Kopyalanamadı"_s));
        QCOMPARE(e().EditMode(), int(PersonEditor::Viewing));
        QVERIFY(!w_->document().isModified());
    }

    void deletingWaitsForConfirmation() {
        put(u"photo.jpg"_s, samples::jpeg(samples::filled(30, 30, Qt::red)));
        put(u"second.bmp"_s, samples::encoded(samples::filled(30, 30, Qt::red), "BMP"));
        open({u"photo.jpg"_s, u"second.bmp"_s});
        clickDelete(PromptButton::Cancel);
        QCOMPARE(fx_.prompts->shown().last().text,
                 u"Bu Resim Kayıtlardan Silinecektir. Eminmisiniz?"_s);
        QCOMPARE(fx_.prompts->shown().last().icon, PromptIcon::Warning);
        QCOMPARE(fx_.prompts->shown().last().buttons,
                 QList<PromptButton>({PromptButton::Yes, PromptButton::Cancel}));
        QCOMPARE(panel().ComboBox_Obje->count(), 2);
        QVERIFY(!w_->editing().isEditing());

        clickDelete(PromptButton::Yes);
        QCOMPARE(items(panel().ComboBox_Obje), QStringList({u"second.bmp"_s}));
        QCOMPARE(panel().ComboBox_Obje->currentIndex(), 0);
        QVERIFY(w_->editing().isEditing());
        QVERIFY(QFileInfo::exists(file(u"photo.jpg"_s)));
        cancel();
        QVERIFY(QFileInfo::exists(file(u"photo.jpg"_s)));
        QCOMPARE(person(0)->Pictures, QStringList({u"photo.jpg"_s, u"second.bmp"_s}));

        clickDelete(PromptButton::Yes);
        clickDelete(PromptButton::Yes);
        QVERIFY(!panel().SB_ResimSil->isEnabled());
        QVERIFY(panel().Image_Resim->isHidden());
        confirm();
        QVERIFY(person(0)->Pictures.isEmpty());
        // Undoing brings the entries back, so their files stay...
        QVERIFY(QFileInfo::exists(file(u"photo.jpg"_s)));
        w_->document().history().undo();
        QCOMPARE(person(0)->Pictures, QStringList({u"photo.jpg"_s, u"second.bmp"_s}));
        w_->document().history().redo();
        QVERIFY(person(0)->Pictures.isEmpty());
        // ...until nothing can: the file is saved without them and closed.
        w_->commands().Menu_Kaydet->trigger();
        QVERIFY(QFileInfo::exists(file(u"photo.jpg"_s)));
        w_->Button_YeniClick();
        QVERIFY(!QFileInfo::exists(file(u"photo.jpg"_s)));
        QVERIFY(!QFileInfo::exists(file(u"second.bmp"_s)));
        QVERIFY(QFileInfo::exists(file(u"p.qdb"_s)));
    }

    void aFileAnotherPersonNamesStays() {
        put(u"photo.jpg"_s, samples::jpeg(samples::filled(30, 30, Qt::red)));
        open({u"photo.jpg"_s}, {u"PHOTO.JPG"_s});
        clickDelete(PromptButton::Yes);
        confirm();
        QVERIFY(person(0)->Pictures.isEmpty());
        QVERIFY(QFileInfo::exists(file(u"photo.jpg"_s)));
        w_->personList().focusPerson(person(1));
        QVERIFY(!panel().Image_Resim->isHidden()); // shown despite the case
        clickDelete(PromptButton::Yes);
        confirm();
        QVERIFY(QFileInfo::exists(file(u"photo.jpg"_s)));
        // Closed without saving: the file on disk still names it.
        fx_.prompts->answer(PromptButton::No);
        w_->Button_YeniClick();
        QVERIFY(QFileInfo::exists(file(u"photo.jpg"_s)));
    }

    void nothingOutsideTheFolderIsDeleted() {
        QTemporaryDir outside;
        const QString absolute = outside.filePath(u"abs.jpg"_s);
        writeFile(absolute, "x");
        put(u"sub/inner.jpg"_s, "x");
        put(u"p.jpg"_s, "x"); // named through ".." from sub
        open({absolute, u"sub\\inner.jpg"_s, u"sub/../p.jpg"_s, u"p.qdb"_s});
        for (int i = 0; i < 4; ++i)
            clickDelete(PromptButton::Yes);
        confirm();
        QVERIFY(person(0)->Pictures.isEmpty());
        for (const QString& f :
             {absolute, file(u"sub/inner.jpg"_s), file(u"p.jpg"_s), file(u"p.qdb"_s)})
            QVERIFY2(QFileInfo::exists(f), qPrintable(f));
    }

    void showingFitsAndHints() {
        put(u"foto.jpg"_s, samples::jpeg(samples::filled(640, 480, Qt::red)));
        put(u"bad.jpg"_s, samples::jpeg(samples::filled(64, 64, Qt::red)).left(100));
        put(u"sub/small.bmp"_s, samples::encoded(samples::filled(90, 110, Qt::red), "BMP"));
        open({u"FOTO.JPG"_s, u"bad.jpg"_s, u"gone.jpg"_s, u"sub\\small.bmp"_s});
        QLabel* image = panel().Image_Resim;
        QVERIFY(!image->isHidden());
        QCOMPARE(image->toolTip(), u"FOTO.JPG\nW x H : 640 x 480 Pixels"_s);
        QCOMPARE(image->geometry(), QRect(1, 27, 108, 81));
        QComboBox* combo = panel().ComboBox_Obje;
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);
        QVERIFY(image->isHidden());
        QCOMPARE(panel().frame()->toolTip(),
                 u"bad.jpg\nBu resim gösterilemiyor: dosya bozuk ya da okunamıyor."_s);
        QTest::keyClick(combo, Qt::Key_Down);
        QVERIFY(image->isHidden());
        QVERIFY(panel().frame()->toolTip().isEmpty()); // a missing file says nothing
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(image->geometry(), QRect(10, 13, 90, 110));
    }

    void choosingAPictureIsStoredAtOnce() {
        open({u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s});
        w_->document().markSaved();
        QComboBox* combo = panel().ComboBox_Obje;
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(person(0)->PictureIndex, 2);
        QVERIFY(!w_->document().isModified());
        QVERIFY(!w_->editing().isEditing());
        // While a new person is added, nobody's choice changes.
        w_->editing().SB_EkleClick();
        put(u"n.jpg"_s, "x");
        clickAdd(file(u"n.jpg"_s));
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Up);
        QCOMPARE(person(0)->PictureIndex, 2);
    }
};

QTEST_MAIN(TestPersonPictures)
#include "test_person_pictures.moc"
