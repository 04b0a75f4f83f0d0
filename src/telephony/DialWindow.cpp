#include "telephony/DialWindow.h"

#include <QCheckBox>
#include <QComboBox>

TForm_Telefon::TForm_Telefon(SettingsStore& settings, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form_Telefon"));
    setWindowTitle(QStringLiteral("Telefon Çevirme İşlemi"));
    ComboBox_Com = new QComboBox(this);
    for (int i = 1; i <= 6; ++i)
        ComboBox_Com->addItem(QStringLiteral("COM %1").arg(i));
    ComboBox_Com->setCurrentIndex(-1);
    CheckBox_QuickDial = new QCheckBox(QStringLiteral("Hemen Çevir"), this);

    const SettingsStore::PageSetup stored = settings.pageSetup();
    if (stored.comPort && *stored.comPort >= 0 && *stored.comPort < 6)
        ComboBox_Com->setCurrentIndex(*stored.comPort);
    if (stored.quickDial)
        CheckBox_QuickDial->setChecked(*stored.quickDial);
    if (ComboBox_Com->currentIndex() < 0)
        ComboBox_Com->setCurrentIndex(1);
}

void TForm_Telefon::addPageSetup(SettingsStore::PageSetup& values) const {
    values.comPort = ComboBox_Com->currentIndex();
    values.quickDial = CheckBox_QuickDial->isChecked();
}
