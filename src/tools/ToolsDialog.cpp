#include "tools/ToolsDialog.h"

#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "store/RecordDocument.h"
#include "tools/BulkTools.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kCopyIntoFolder = 1;

// Typed text that is no number counts as the least value.
class FindWordsSpin : public QSpinBox {
public:
    using QSpinBox::QSpinBox;
    QValidator::State validate(QString&, int&) const override { return QValidator::Acceptable; }
    int valueFromText(const QString& text) const override {
        bool ok = false;
        const int v = text.trimmed().toInt(&ok);
        return ok ? clampFindWords(v) : minimum();
    }
};

} // namespace

TToolsDialogBox::TToolsDialogBox(RecordDocument& document, Prompts& prompts, QWidget* parent)
    : QDialog(parent), document_(document), prompts_(prompts) {
    setObjectName(QStringLiteral("ToolsDialogBox"));
    setWindowTitle(QStringLiteral("Genel Ayarlar"));

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    Button_Tlf_Bosluk_Sil = new QPushButton(QStringLiteral("Telefon bölümlerinde boşlukları yoket"), this);
    SpinEdit_Aralar = new FindWordsSpin(this);
    SpinEdit_Aralar->setRange(10, 250);
    auto* spinLabel = new QLabel(QStringLiteral("&Hafızada kalan Arama Kelime Adeti"), this);
    spinLabel->setBuddy(SpinEdit_Aralar);
    CheckBox_SaveAndClose = new QCheckBox(QStringLiteral("Program Çıkışında Dosyayı Sormadan Kaydetsin."), this);
    SpinEdit_Kilit = new QSpinBox(this);
    SpinEdit_Kilit->setRange(0, SettingsStore::kMaxIdleLockMinutes);
    SpinEdit_Kilit->setSpecialValueText(QStringLiteral("Hiç"));
    SpinEdit_Kilit->setToolTip(QStringLiteral("Parola ile korunan dosya bu kadar dakika "
                                              "dokunulmazsa kilitlenir; 0: hiç."));
    auto* lockLabel = new QLabel(QStringLiteral("Boşta kalınca &kilitle (dakika)"), this);
    lockLabel->setBuddy(SpinEdit_Kilit);
    Button_KytNoRenew = new QPushButton(QStringLiteral("Kayıt Numaralarını Baştan İtibaren Yenile 0 .... xxxxx"), this);
    Button_Tlf_Bosluk_Yap = new QPushButton(QStringLiteral("Telefon bölümlerinde standart boşluklara böl"), this);
    auto* pictures = new QGroupBox(QStringLiteral("Resim Dosyası Eklerken"), this);
    RadioGroup_Resim = new QButtonGroup(this);
    auto* picturesLayout = new QVBoxLayout(pictures);
    const QString items[] = {QStringLiteral("Sadece Dosya Adresini Kaydet"),
                             QStringLiteral("Aynı Dizin İçine Kopyala"),
                             QStringLiteral("Aynı Dizin İçine Taşı")};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(items[i], pictures);
        RadioGroup_Resim->addButton(b, i);
        picturesLayout->addWidget(b);
    }
    RadioGroup_Resim->button(kCopyIntoFolder)->setChecked(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Button_Tlf_Bosluk_Sil, 0, 0, 1, 2);
    layout->addWidget(Button_Tlf_Bosluk_Yap, 1, 0, 1, 2);
    layout->addWidget(Button_KytNoRenew, 2, 0, 1, 2);
    layout->addWidget(spinLabel, 3, 0);
    layout->addWidget(SpinEdit_Aralar, 3, 1);
    layout->addWidget(CheckBox_SaveAndClose, 4, 0, 1, 2);
    layout->addWidget(lockLabel, 5, 0);
    layout->addWidget(SpinEdit_Kilit, 5, 1);
    layout->addWidget(pictures, 0, 2, 4, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons, 4, 2, 2, 1);
    // The dialog takes the size its texts need, at any font size.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Tab goes down the left column, then the right one.
    QWidget* order[] = {Button_Tlf_Bosluk_Sil, Button_Tlf_Bosluk_Yap, Button_KytNoRenew,
                        SpinEdit_Aralar,       CheckBox_SaveAndClose, SpinEdit_Kilit,
                        RadioGroup_Resim->button(0),
                        RadioGroup_Resim->button(1), RadioGroup_Resim->button(2), OKBtn,
                        CancelBtn};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button_Tlf_Bosluk_Sil, &QPushButton::clicked, this,
            [this] { Button_Tlf_Bosluk_YapClick(Button_Tlf_Bosluk_Sil); });
    connect(Button_Tlf_Bosluk_Yap, &QPushButton::clicked, this,
            [this] { Button_Tlf_Bosluk_YapClick(Button_Tlf_Bosluk_Yap); });
    connect(Button_KytNoRenew, &QPushButton::clicked, this, &TToolsDialogBox::Button_KytNoRenewClick);
    connect(RadioGroup_Resim, &QButtonGroup::idClicked, this, &TToolsDialogBox::RadioGroup_ResimClick);
    // The controls are the settings: a change takes effect at once.
    connect(SpinEdit_Aralar, &QSpinBox::valueChanged, this,
            [this](int v) { document_.settings().findWords = clampFindWords(v); });
    connect(CheckBox_SaveAndClose, &QCheckBox::toggled, this,
            [this](bool on) { document_.settings().saveAndClose = on; });
    connect(&document_, &RecordDocument::fileStateLoaded, this, &TToolsDialogBox::showSettings);
    showSettings();
}

void TToolsDialogBox::setIdleLock(int minutes, std::function<void(int)> changed) {
    SpinEdit_Kilit->setValue(minutes);
    // The user's own setting, not the file's: it is kept as soon as set.
    connect(SpinEdit_Kilit, &QSpinBox::valueChanged, this, std::move(changed));
}

void TToolsDialogBox::showSettings() {
    SpinEdit_Aralar->setValue(document_.settings().findWords);
    CheckBox_SaveAndClose->setChecked(document_.settings().saveAndClose);
}

void TToolsDialogBox::Button_Tlf_Bosluk_YapClick(QPushButton* sender) {
    if (sender == Button_Tlf_Bosluk_Sil)
        removeContactSpaces(document_);
    else
        splitContactNumbers(document_);
    if (afterBulkChange_)
        afterBulkChange_();
}

void TToolsDialogBox::Button_KytNoRenewClick() {
    renumberRecords(document_);
    if (afterBulkChange_)
        afterBulkChange_();
}

void TToolsDialogBox::RadioGroup_ResimClick() {
    prompts_.showMessage(QStringLiteral("Yeni Düzenleniyor, Değiştirilemez."));
    RadioGroup_Resim->button(kCopyIntoFolder)->setChecked(true);
}
