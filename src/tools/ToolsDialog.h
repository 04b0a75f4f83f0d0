#pragma once

#include <QDialog>

#include <functional>

class Prompts;
class QButtonGroup;
class QCheckBox;
class QPushButton;
class QSpinBox;
class RecordDocument;

// The general settings dialog "Genel Ayarlar": its controls are the live
// settings of the open file, and it runs the bulk tools.
class TToolsDialogBox : public QDialog {
    Q_OBJECT
public:
    TToolsDialogBox(RecordDocument& document, Prompts& prompts, QWidget* parent = nullptr);

    // Run after a bulk tool changed persons (shows the focused one again).
    void setAfterBulkChange(std::function<void()> f) { afterBulkChange_ = std::move(f); }
    // "Boşta kalınca kilitle (dakika)": shown as minutes, changed through
    // changed.
    void setIdleLock(int minutes, std::function<void(int)> changed);

    void Button_Tlf_Bosluk_YapClick(QPushButton* sender);
    void Button_KytNoRenewClick();
    void RadioGroup_ResimClick();

    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* Button_Tlf_Bosluk_Sil;
    QSpinBox* SpinEdit_Aralar;
    QCheckBox* CheckBox_SaveAndClose;
    QSpinBox* SpinEdit_Kilit;
    QPushButton* Button_KytNoRenew;
    QPushButton* Button_Tlf_Bosluk_Yap;
    QButtonGroup* RadioGroup_Resim;

private:
    void showSettings();

    RecordDocument& document_;
    Prompts& prompts_;
    std::function<void()> afterBulkChange_;
};
