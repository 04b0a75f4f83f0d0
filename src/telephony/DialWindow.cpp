#include "telephony/DialWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

TForm_Telefon::TForm_Telefon(SettingsStore& settings, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form_Telefon"));
    setWindowTitle(QStringLiteral("Telefon Çevirme İşlemi"));
    // Laid out: a larger font grows the window instead of cutting its texts.

    Edit_TelNo = new QLineEdit(this);
    auto* numberLabel = new QLabel(QStringLiteral("Telefon &No"), this);
    numberLabel->setBuddy(Edit_TelNo);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setAccessibleName(QStringLiteral("İşlem Bilgileri"));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Button_Dial = new QPushButton(QStringLiteral("&Çevir"), this);
    Button_Kapat = new QPushButton(QStringLiteral("&Kapat"), this);
    for (QPushButton* b : {Button_Dial, Button_Kapat})
        b->setAutoDefault(false);
    ComboBox_Com = new QComboBox(this);
    for (int i = 1; i <= 6; ++i)
        ComboBox_Com->addItem(QStringLiteral("COM %1").arg(i));
    ComboBox_Com->setCurrentIndex(-1);
    auto* portLabel = new QLabel(QStringLiteral("Telefon &Modem"), this);
    portLabel->setBuddy(ComboBox_Com);
    CheckBox_QuickDial = new QCheckBox(QStringLiteral("&Hemen Çevir"), this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(numberLabel, 0, 0);
    layout->addWidget(Edit_TelNo, 0, 1, 1, 2);
    layout->addWidget(Memo1, 1, 0, 3, 2);
    layout->addWidget(Button_Dial, 1, 2);
    layout->addWidget(Button_Kapat, 2, 2);
    layout->addWidget(portLabel, 4, 0);
    layout->addWidget(ComboBox_Com, 4, 1);
    layout->addWidget(CheckBox_QuickDial, 4, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Memo1->setMinimumSize(Memo1->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 28,
                          Memo1->fontMetrics().lineSpacing() * 5);

    const SettingsStore::PageSetup stored = settings.pageSetup();
    if (stored.comPort && *stored.comPort >= 0 && *stored.comPort < 6)
        ComboBox_Com->setCurrentIndex(*stored.comPort);
    if (stored.quickDial)
        CheckBox_QuickDial->setChecked(*stored.quickDial);
    if (ComboBox_Com->currentIndex() < 0)
        ComboBox_Com->setCurrentIndex(1);
    session_.setPortNum(ComboBox_Com->currentIndex() + 1);

    connect(ComboBox_Com, &QComboBox::currentIndexChanged, this,
            [this](int index) { session_.setPortNum(index + 1); });
    // The number is read when the modem is ready for it: the line shown
    // and the number sent are always the field's text of that moment.
    connect(Edit_TelNo, &QLineEdit::textChanged, &session_, &DialSession::setNumber);
    connect(Button_Dial, &QPushButton::clicked, this, &TForm_Telefon::Button_DialClick);
    connect(Button_Kapat, &QPushButton::clicked, this, &TForm_Telefon::Button_KapatClick);
    connect(&session_, &DialSession::progressLine, Memo1, &QPlainTextEdit::appendPlainText);
    connect(&session_, &DialSession::workingChanged, this, [this](bool working) {
        Button_Dial->setEnabled(!working);
        ComboBox_Com->setEnabled(!working);
    });
}

void TForm_Telefon::openFor(const QString& number) {
    Edit_TelNo->setText(number);
    Memo1->clear();
    quickDialPending_ = true;
    exec();
}

void TForm_Telefon::addPageSetup(SettingsStore::PageSetup& values) const {
    values.comPort = ComboBox_Com->currentIndex();
    values.quickDial = CheckBox_QuickDial->isChecked();
}

void TForm_Telefon::Button_DialClick() { session_.dial(); }

void TForm_Telefon::Button_KapatClick() { session_.stop(); }

void TForm_Telefon::quickDial() {
    if (!quickDialPending_)
        return;
    quickDialPending_ = false;
    if (CheckBox_QuickDial->isChecked())
        Button_DialClick();
}

bool TForm_Telefon::event(QEvent* e) {
    // The first activation (or showing, where nothing activates windows)
    // of an opening starts the quick dial; losing the activation stops.
    if ((e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) && quickDialPending_)
        QTimer::singleShot(0, this, &TForm_Telefon::quickDial);
    if (e->type() == QEvent::WindowDeactivate && isVisible() && session_.isWorking())
        Button_KapatClick();
    return QDialog::event(e);
}

void TForm_Telefon::hideEvent(QHideEvent* e) {
    if (session_.isWorking())
        Button_KapatClick();
    QDialog::hideEvent(e);
}
