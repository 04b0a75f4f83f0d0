#pragma once

#include "platform/SettingsStore.h"
#include "telephony/DialSession.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The dial window "Telefon Çevirme İşlemi": dials a number through the
// modem and shows each step.
class TForm_Telefon : public QDialog {
    Q_OBJECT
public:
    TForm_Telefon(SettingsStore& settings, QWidget* parent = nullptr);

    // Opened from a person's telephone entry: the number, an empty memo.
    void openFor(const QString& number);
    // The port and quick-dial values the main window writes at its close.
    void addPageSetup(SettingsStore::PageSetup& values) const;

    void Button_DialClick();
    void Button_KapatClick();
    DialSession& session() { return session_; }

    QLineEdit* Edit_TelNo;
    QPlainTextEdit* Memo1;
    QPushButton* Button_Dial;
    QPushButton* Button_Kapat;
    QComboBox* ComboBox_Com;
    QCheckBox* CheckBox_QuickDial;

protected:
    bool event(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void quickDial();

    DialSession session_;
    // Quick dial runs once per opening, not after every message box.
    bool quickDialPending_ = false;
};
