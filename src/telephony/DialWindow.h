#pragma once

#include "platform/SettingsStore.h"

#include <QDialog>

class QCheckBox;
class QComboBox;

// The dial window "Telefon Çevirme İşlemi".
class TForm_Telefon : public QDialog {
    Q_OBJECT
public:
    TForm_Telefon(SettingsStore& settings, QWidget* parent = nullptr);

    // The port and quick-dial values the main window writes at its close.
    void addPageSetup(SettingsStore::PageSetup& values) const;

    QComboBox* ComboBox_Com;
    QCheckBox* CheckBox_QuickDial;
};
