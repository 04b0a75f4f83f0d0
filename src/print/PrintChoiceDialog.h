#pragma once

#include "print/PrintStyles.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QRadioButton;

// What "Yazdır…" and "PDF Olarak Kaydet…" ask first: the list as shown,
// in one of the styles (the labels with the home or the work address,
// the birthdays of a month or of the coming days), or the card of the
// person shown. Enter takes the list as "Personel Listesi".
class PrintChoiceDialog : public QDialog {
    Q_OBJECT
public:
    // listed: the persons of the list (0: no list); card: the name of the
    // person shown (empty: none).
    PrintChoiceDialog(const QString& caption, int listed, const QString& card,
                      QWidget* parent = nullptr);

    bool cardChosen() const;
    PrintOptions options() const;

    QRadioButton* Radio_Liste;
    QRadioButton* Radio_Kart;
    QComboBox* ComboBox_Bicim;
    QComboBox* ComboBox_Adres;
    QComboBox* ComboBox_Donem;

private:
    void showChoices();

    QLabel* addressLabel_;
    QLabel* periodLabel_;
};
