#include "person/PersonEditor.h"

#include "person/PicturePanel.h"
#include "platform/qt/ElidedLabel.h"
#include "platform/TurkishText.h"
#include "store/BirthDate.h"
#include "store/PersonRecord.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStyle>
#include <QProxyStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

int sexIndex(QChar sex) { return sex == u'M' ? 1 : sex == u'F' ? 2 : 0; }
QChar sexFromIndex(int index) { return index == 1 ? u'M' : index == 2 ? u'F' : QChar(); }

// The marital letters are not the initials of their words: 'E' is Bekar.
int maritalIndex(QChar status) {
    return status == u'E' ? 1 : status == u'B' ? 2 : status == u'D' ? 3 : 0;
}
QChar maritalFromIndex(int index) {
    return index == 1 ? u'E' : index == 2 ? u'B' : index == 3 ? u'D' : QChar();
}

namespace {

// Tabs with half the usual air beside their captions: the five pages fit
// the width the designed window leaves the detail side.
class TightTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        return metric == PM_TabBarTabHSpace ? value / 2 : value;
    }
};

// The three 32 x 32 pictures of the sex button: not given, male, female.
QPixmap sexImage(int index) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(index == 1 ? QColor(0x1f, 0x5f, 0xbf) : index == 2 ? QColor(0xc0, 0x30, 0x70)
                                                                : QColor(0x70, 0x70, 0x70),
             3);
    p.setPen(pen);
    if (index == 0) {
        QFont f = p.font();
        f.setPixelSize(26);
        f.setBold(true);
        p.setFont(f);
        p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("?"));
    } else if (index == 1) {
        p.drawEllipse(QRectF(4, 12, 16, 16));
        p.drawLine(QPointF(17, 15), QPointF(28, 4));
        p.drawLine(QPointF(20, 4), QPointF(28, 4));
        p.drawLine(QPointF(28, 4), QPointF(28, 12));
    } else {
        p.drawEllipse(QRectF(8, 2, 16, 16));
        p.drawLine(QPointF(16, 18), QPointF(16, 30));
        p.drawLine(QPointF(10, 25), QPointF(22, 25));
    }
    return pixmap;
}

QLineEdit* lineEdit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

QToolButton* smallButton(QWidget* parent, const QString& text, const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(hint);
    b->setAccessibleName(text.isEmpty() ? hint : text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

} // namespace

PersonEditor::PersonEditor(QWidget* parent) : QWidget(parent) {
    // A long name must not widen the window: the caption elides.
    Lb_Info = new ElidedLabel(this);
    Lb_Info->setText(QStringLiteral("Ad Soyad - Yeni - Düzelt"));
    Lb_Info->setObjectName(QStringLiteral("Lb_Info"));
    QFont f = Lb_Info->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    Lb_Info->setFont(f);
    Lb_Info->setAlignment(Qt::AlignCenter);

    PageControl_Main = new QTabWidget(this);
    PageControl_Main->setObjectName(QStringLiteral("PageControl_Main"));
    // Every page's tab stays in sight; scroll arrows would hide one and
    // take Tab stops of their own.
    PageControl_Main->setUsesScrollButtons(false);
    auto* tabStyle = new TightTabStyle;
    tabStyle->setParent(PageControl_Main->tabBar());
    PageControl_Main->tabBar()->setStyle(tabStyle);
    TabSheet_TemelBilgi = buildBasicPage();
    PageControl_Main->addTab(TabSheet_TemelBilgi, QStringLiteral("Temel Bilgiler"));
    PageControl_Main->addTab(buildHomePage(), QStringLiteral("Ev - Aile"));
    PageControl_Main->addTab(buildWorkPage(), QStringLiteral("İşyeri"));
    PageControl_Main->addTab(buildNotesPage(), QStringLiteral("Notlar"));
    PageControl_Main->addTab(buildDuesPage(), QStringLiteral("Aidat"));
    // Narrow page margins too: the basic page fits beside a left panel of
    // 320 pixels in the designed window.
    for (int i = 0; i < PageControl_Main->count(); ++i)
        PageControl_Main->widget(i)->layout()->setContentsMargins(5, 5, 5, 5);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(Lb_Info);
    layout->addWidget(PageControl_Main, 1);
}

QWidget* PersonEditor::buildBasicPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheet_TemelBilgi"));
    Edit_ID = lineEdit(page, "Edit_ID");
    Edit_ID->setMaxLength(10);
    Edit_Ad = lineEdit(page, "Edit_Ad");
    Edit_Soyad = lineEdit(page, "Edit_Soyad");
    Edit_DogYer = lineEdit(page, "Edit_DogYer");

    CheckBox_DogTarihi = new QCheckBox(page);
    CheckBox_DogTarihi->setAccessibleName(QStringLiteral("Doğum tarihi girildi"));
    DTP_DogTarihi = new QDateEdit(page);
    DTP_DogTarihi->setObjectName(QStringLiteral("DTP_DogTarihi"));
    DTP_DogTarihi->setCalendarPopup(true);
    DTP_DogTarihi->setDisplayFormat(userLocale().dateFormat(QLocale::ShortFormat));
    DTP_DogTarihi->setMinimumDate(QDate(1, 1, 1));
    // A date the user sets counts: the box follows, so it is stored.
    connect(DTP_DogTarihi, &QDateEdit::dateChanged, this, [this] {
        if (editMode_ != Filling)
            CheckBox_DogTarihi->setChecked(true);
    });
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(CheckBox_DogTarihi);
    dateRow->addWidget(DTP_DogTarihi, 1);

    ComboBox_Sex = new QComboBox(page);
    ComboBox_Sex->setObjectName(QStringLiteral("ComboBox_Sex"));
    ComboBox_Sex->addItems({QStringLiteral("????"), QStringLiteral("Erkek"), QStringLiteral("Kadın")});
    ComboBox_Sex->setAccessibleName(QStringLiteral("Cinsiyeti"));
    SB_Sex = new QToolButton(page);
    SB_Sex->setObjectName(QStringLiteral("SB_Sex"));
    SB_Sex->setToolTip(QStringLiteral("Cinsiyeti Seçmek için Tıklayınız"));
    SB_Sex->setAccessibleName(QStringLiteral("Cinsiyeti Seçmek için Tıklayınız"));
    SB_Sex->setIconSize(QSize(32, 32));
    auto* sexRow = new QHBoxLayout;
    sexRow->addWidget(ComboBox_Sex, 1);
    sexRow->addWidget(SB_Sex);

    ComboBox_MedHal = new QComboBox(page);
    ComboBox_MedHal->setObjectName(QStringLiteral("ComboBox_MedHal"));
    ComboBox_MedHal->addItems({QStringLiteral("????"), QStringLiteral("Bekar"),
                               QStringLiteral("Evli"), QStringLiteral("Dul")});
    ComboBox_MedHal->setAccessibleName(QStringLiteral("Med. Hali"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Kayıt No"), Edit_ID);
    form->addRow(QStringLiteral("&Adı"), Edit_Ad);
    form->addRow(QStringLiteral("S&oyad"), Edit_Soyad);
    form->addRow(QStringLiteral("Doğum Ye&ri"), Edit_DogYer);
    form->addRow(QStringLiteral("Doğ. Tari&hi"), dateRow);
    qobject_cast<QLabel*>(form->labelForField(dateRow))->setBuddy(DTP_DogTarihi);
    form->addRow(QStringLiteral("&Cinsiyeti"), sexRow);
    qobject_cast<QLabel*>(form->labelForField(sexRow))->setBuddy(ComboBox_Sex);
    form->addRow(QStringLiteral("&Med. Hali"), ComboBox_MedHal);

    Panel_Resim = new PicturePanel(page);

    auto* top = new QHBoxLayout;
    top->addLayout(form, 1);
    top->addWidget(Panel_Resim);

    auto* telLabel = new QLabel(QStringLiteral("Tele&fon - Mail - Web"), page);
    ListBox_Tel = new QListWidget(page);
    ListBox_Tel->setObjectName(QStringLiteral("ListBox_Tel"));
    ListBox_Tel->setAccessibleName(QStringLiteral("Telefon - Mail - Web"));
    ListBox_Tel->setMinimumHeight(ListBox_Tel->fontMetrics().lineSpacing() * 3);
    telLabel->setBuddy(ListBox_Tel);
    SB_TelEkle = smallButton(page, QStringLiteral("Ekle"), QStringLiteral("Telefon Mail veya Web Ekle"));
    SB_TelEdit = smallButton(page, QStringLiteral("Düzelt"), QStringLiteral("Seçili Bilgiyi Düzelt"));
    SB_TelSil = smallButton(page, QStringLiteral("Sil"), QStringLiteral("Seçili Bilgiyi Sil"));
    SB_TelCevir = smallButton(page, QStringLiteral("Çevir"), QStringLiteral("Bağlantı Kur"));
    SB_Tel_Up = smallButton(page, QString(), QStringLiteral("Yukarı Taşı"));
    SB_Tel_Up->setArrowType(Qt::UpArrow);
    SB_Tel_Up->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SB_Tel_Down = smallButton(page, QString(), QStringLiteral("Aşağı Taşı"));
    SB_Tel_Down->setArrowType(Qt::DownArrow);
    SB_Tel_Down->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // Two columns keep the page short enough for the designed window.
    auto* telButtons = new QGridLayout;
    telButtons->setSpacing(2);
    int cell = 0;
    for (QToolButton* b : {SB_TelEkle, SB_TelEdit, SB_TelSil, SB_TelCevir, SB_Tel_Up, SB_Tel_Down}) {
        b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        telButtons->addWidget(b, cell / 2, cell % 2);
        ++cell;
    }
    telButtons->setRowStretch(cell / 2, 1);
    auto* telRow = new QHBoxLayout;
    telRow->addWidget(ListBox_Tel, 1);
    telRow->addLayout(telButtons);

    Lb_EditTime = new QLabel(page);
    Lb_EditTime->setObjectName(QStringLiteral("Lb_EditTime"));
    // Room for both lines from the start: showing a person never resizes.
    Lb_EditTime->setMinimumHeight(Lb_EditTime->fontMetrics().lineSpacing() * 2);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(telLabel);
    layout->addLayout(telRow, 1);
    layout->addWidget(Lb_EditTime);
    setSexIndex(0);
    return page;
}

QWidget* PersonEditor::buildHomePage() {
    auto* page = new QWidget(this);
    Edit_EvAdres1 = lineEdit(page, "Edit_EvAdres1");
    Edit_EvAdres2 = lineEdit(page, "Edit_EvAdres2");
    Edit_EvPK = lineEdit(page, "Edit_EvPK");
    Edit_EvSehir = lineEdit(page, "Edit_EvSehir");
    Edit_AnneAdi = lineEdit(page, "Edit_AnneAdi");
    Edit_BabaAdi = lineEdit(page, "Edit_BabaAdi");
    auto* form = new QFormLayout(page);
    form->addRow(QStringLiteral("Adres &1"), Edit_EvAdres1);
    form->addRow(QStringLiteral("Adres &2"), Edit_EvAdres2);
    form->addRow(QStringLiteral("Posta &Kod"), Edit_EvPK);
    form->addRow(QStringLiteral("Şe&hir"), Edit_EvSehir);
    form->addRow(QStringLiteral("A&nne Adı"), Edit_AnneAdi);
    form->addRow(QStringLiteral("&Baba Adı"), Edit_BabaAdi);
    return page;
}

QWidget* PersonEditor::buildWorkPage() {
    auto* page = new QWidget(this);
    Edit_Firma = lineEdit(page, "Edit_Firma");
    Edit_Bolum = lineEdit(page, "Edit_Bolum");
    Edit_Meslek = lineEdit(page, "Edit_Meslek");
    Edit_IsAdres1 = lineEdit(page, "Edit_IsAdres1");
    Edit_IsAdres2 = lineEdit(page, "Edit_IsAdres2");
    Edit_IsPK = lineEdit(page, "Edit_IsPK");
    Edit_IsSehir = lineEdit(page, "Edit_IsSehir");
    auto* form = new QFormLayout(page);
    form->addRow(QStringLiteral("&Firma"), Edit_Firma);
    form->addRow(QStringLiteral("&Bölüm"), Edit_Bolum);
    form->addRow(QStringLiteral("&Meslek"), Edit_Meslek);
    form->addRow(QStringLiteral("Adres &1"), Edit_IsAdres1);
    form->addRow(QStringLiteral("Adres &2"), Edit_IsAdres2);
    form->addRow(QStringLiteral("Posta &Kod"), Edit_IsPK);
    form->addRow(QStringLiteral("Şe&hir"), Edit_IsSehir);
    return page;
}

QWidget* PersonEditor::buildNotesPage() {
    auto* page = new QWidget(this);
    Memo_Note = new QPlainTextEdit(page);
    Memo_Note->setObjectName(QStringLiteral("Memo_Note"));
    Memo_Note->setAccessibleName(QStringLiteral("Notlar"));
    Memo_Note->setTabChangesFocus(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Memo_Note);
    return page;
}

// A page still under construction: it holds no field and keeps nothing.
QWidget* PersonEditor::buildDuesPage() {
    auto* page = new QWidget(this);
    auto* entry = new QDateEdit(page);
    auto* exit = new QDateEdit(page);
    auto* year = new QComboBox(page);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Giriş Tarihi"), entry);
    form->addRow(QStringLiteral("&Ayrılma Tarihi"), exit);
    form->addRow(QStringLiteral("İş&lem Yılı"), year);

    auto* panel = new QGroupBox(QStringLiteral(" BU BÖLÜM YAPIM AŞAMASINDADIR"), page);
    auto* bar = new QToolBar(panel);
    for (const QString& hint :
         {QStringLiteral("Ekle"), QStringLiteral("Düzelt"), QStringLiteral("Sil")})
        bar->addAction(hint);
    auto* list = new QTreeWidget(panel);
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QStringLiteral("Dönemi"), QStringLiteral("Tarih"),
                           QStringLiteral("Mkb. No"), QStringLiteral("Tutar TL")});
    list->setAccessibleName(QStringLiteral("Aidat Listesi"));
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(bar);
    panelLayout->addWidget(list);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(panel, 1);
    return page;
}

QString PersonEditor::viewingCaption(const PersonRecord& p) {
    return p.RecordNo + QStringLiteral(" - ") +
           TurkceTitleCase(p.FirstName + QLatin1Char(' ') + p.Surname);
}

void PersonEditor::setInfo(const QString& text, const QColor& color) {
    Lb_Info->setText(text);
    QPalette pal = Lb_Info->palette();
    pal.setColor(QPalette::WindowText, color);
    Lb_Info->setPalette(pal);
}

int PersonEditor::sexTag() const { return SB_Sex->property("tag").toInt(); }

QList<QLineEdit*> PersonEditor::fieldEdits() const {
    return {Edit_ID,       Edit_Ad,       Edit_Soyad, Edit_DogYer,  Edit_EvAdres1,
            Edit_EvAdres2, Edit_EvPK,     Edit_EvSehir, Edit_Firma, Edit_Bolum,
            Edit_Meslek,   Edit_IsAdres1, Edit_IsAdres2, Edit_IsPK, Edit_IsSehir};
}

void PersonEditor::setSexIndex(int index) {
    SB_Sex->setProperty("tag", index);
    SB_Sex->setIcon(QIcon(sexImage(index)));
}

void PersonEditor::ShowPerson(PersonRecord& p) {
    const int previous = editMode_;
    editMode_ = Filling;
    shown_ = &p;
    setInfo(viewingCaption(p), Qt::black);
    Edit_ID->setText(p.RecordNo);
    Edit_Ad->setText(p.FirstName);
    Edit_Soyad->setText(p.Surname);
    Edit_DogYer->setText(p.BirthPlace);
    const bool hasDate = p.BirthDate != 0;
    DTP_DogTarihi->setDate(hasDate ? birthdate::toDate(p.BirthDate) : QDate::currentDate());
    CheckBox_DogTarihi->setChecked(hasDate);
    ComboBox_Sex->setCurrentIndex(sexIndex(p.Sex));
    setSexIndex(sexIndex(p.Sex));
    ComboBox_MedHal->setCurrentIndex(maritalIndex(p.MaritalStatus));
    ListBox_Tel->clear();
    ListBox_Tel->addItems(p.Contacts);
    Panel_Resim->setPictures(p.Pictures, p.PictureIndex);
    Edit_EvAdres1->setText(p.HomeAddress1);
    Edit_EvAdres2->setText(p.HomeAddress2);
    Edit_EvPK->setText(p.HomePostCode);
    Edit_EvSehir->setText(p.HomeCity);
    Edit_Firma->setText(p.Firm);
    Edit_Bolum->setText(p.Department);
    Edit_Meslek->setText(p.Profession);
    Edit_IsAdres1->setText(p.WorkAddress1);
    Edit_IsAdres2->setText(p.WorkAddress2);
    Edit_IsPK->setText(p.WorkPostCode);
    Edit_IsSehir->setText(p.WorkCity);
    Lb_EditTime->setText(QStringLiteral("Kayıt tarihi : ") + p.RecordedAt +
                         QStringLiteral("\nSon Düzeltme tarihi : ") + p.EditedAt);
    Memo_Note->setPlainText(p.Notes.join(QLatin1Char('\n')));
    // A value longer than its field shows its beginning, not its end.
    for (QLineEdit* e : fieldEdits())
        e->setCursorPosition(0);
    editMode_ = previous;
}

void PersonEditor::ClearDetailPages() {
    const int previous = editMode_;
    editMode_ = Filling;
    for (QLineEdit* e : fieldEdits())
        e->clear();
    DTP_DogTarihi->setDate(QDate::currentDate());
    CheckBox_DogTarihi->setChecked(false);
    ComboBox_Sex->setCurrentIndex(0);
    setSexIndex(0);
    ComboBox_MedHal->setCurrentIndex(0);
    ListBox_Tel->clear();
    Panel_Resim->clear();
    Memo_Note->clear();
    Lb_EditTime->clear();
    setInfo(QStringLiteral("---"), Qt::black);
    shown_ = nullptr;
    editMode_ = previous;
}
