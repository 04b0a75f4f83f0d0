#include "print/PrintChoiceDialog.h"

#include "person/Birthdays.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

PrintChoiceDialog::PrintChoiceDialog(const QString& caption, int listed, const QString& card,
                                     QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("Form_Yazdir"));
    setWindowTitle(caption);
    auto* question = new QLabel(QStringLiteral("Ne yazdırılsın?"), this);
    Radio_Liste = new QRadioButton(
        QStringLiteral("&Listedeki kişiler (%1 kişi, ekrandaki sırayla)").arg(listed), this);
    Radio_Kart = new QRadioButton(this);
    // A long name never widens the dialog past the screen.
    Radio_Kart->setText(
        QStringLiteral("Kişinin &kartı: %1 (tüm sayfaları)")
            .arg(Radio_Kart->fontMetrics().elidedText(
                card, Qt::ElideRight, 30 * Radio_Kart->fontMetrics().averageCharWidth())));
    Radio_Liste->setEnabled(listed > 0);
    Radio_Kart->setEnabled(!card.isEmpty());
    (listed > 0 ? Radio_Liste : Radio_Kart)->setChecked(true);

    ComboBox_Bicim = new QComboBox(this);
    for (PrintStyle style :
         {PrintStyle::List, PrintStyle::Phones, PrintStyle::Labels, PrintStyle::Birthdays})
        ComboBox_Bicim->addItem(printStyleName(style));
    ComboBox_Adres = new QComboBox(this);
    ComboBox_Adres->addItems({QStringLiteral("Ev adresi"), QStringLiteral("İş adresi")});
    ComboBox_Donem = new QComboBox(this);
    ComboBox_Donem->addItem(QStringLiteral("Bugün ve önümüzdeki %1 gün").arg(kComingBirthdayDays));
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    for (int month = 1; month <= 12; ++month)
        ComboBox_Donem->addItem(turkish.standaloneMonthName(month));
    // Combo boxes take no name from their buddies.
    ComboBox_Bicim->setAccessibleName(QStringLiteral("Baskı biçimi"));
    ComboBox_Adres->setAccessibleName(QStringLiteral("Etiketteki adres"));
    ComboBox_Donem->setAccessibleName(QStringLiteral("Doğum günleri"));

    auto* form = new QFormLayout;
    auto* styleLabel = new QLabel(QStringLiteral("Baskı &biçimi:"), this);
    styleLabel->setBuddy(ComboBox_Bicim);
    addressLabel_ = new QLabel(QStringLiteral("Etiketteki &adres:"), this);
    addressLabel_->setBuddy(ComboBox_Adres);
    periodLabel_ = new QLabel(QStringLiteral("&Doğum günleri:"), this);
    periodLabel_->setBuddy(ComboBox_Donem);
    form->addRow(styleLabel, ComboBox_Bicim);
    form->addRow(addressLabel_, ComboBox_Adres);
    form->addRow(periodLabel_, ComboBox_Donem);
    form->setContentsMargins(24, 0, 0, 0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Tamam"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("İptal"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(Radio_Liste);
    layout->addLayout(form);
    layout->addWidget(Radio_Kart);
    layout->addStretch();
    layout->addWidget(buttons);
    setTabOrder(Radio_Liste, ComboBox_Bicim);
    setTabOrder(ComboBox_Bicim, ComboBox_Adres);
    setTabOrder(ComboBox_Adres, ComboBox_Donem);
    setTabOrder(ComboBox_Donem, Radio_Kart);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(Radio_Liste, &QRadioButton::toggled, this, &PrintChoiceDialog::showChoices);
    connect(ComboBox_Bicim, &QComboBox::currentIndexChanged, this, &PrintChoiceDialog::showChoices);
    showChoices();
}

// The styles belong to the list; each of the two further choices to its
// style.
void PrintChoiceDialog::showChoices() {
    const bool list = Radio_Liste->isChecked();
    const PrintStyle style = PrintStyle(ComboBox_Bicim->currentIndex());
    ComboBox_Bicim->setEnabled(list);
    for (QWidget* w : {static_cast<QWidget*>(ComboBox_Adres), static_cast<QWidget*>(addressLabel_)})
        w->setEnabled(list && style == PrintStyle::Labels);
    for (QWidget* w : {static_cast<QWidget*>(ComboBox_Donem), static_cast<QWidget*>(periodLabel_)})
        w->setEnabled(list && style == PrintStyle::Birthdays);
}

bool PrintChoiceDialog::cardChosen() const {
    return Radio_Kart->isChecked();
}

PrintOptions PrintChoiceDialog::options() const {
    PrintOptions o;
    o.style = PrintStyle(ComboBox_Bicim->currentIndex());
    o.address = ComboBox_Adres->currentIndex() == 0 ? LabelAddress::Home : LabelAddress::Work;
    o.month = ComboBox_Donem->currentIndex();
    return o;
}
