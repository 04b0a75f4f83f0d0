#pragma once

#include "interchange/TableImport.h"

#include <QDialog>

class Clock;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// "Tablo İçe Aktar": the table's columns with a value of each and the
// field each goes to (guessed from the header), a field to choose for
// the selected column, and the persons the first rows make.
class TableImportDialog : public QDialog {
    Q_OBJECT
public:
    TableImportDialog(const Table& table, TableMapping guessed, const QString& fileName,
                      qint64 firstRecordNo, const Clock& clock, QWidget* parent = nullptr);

    const TableMapping& mapping() const { return mapping_; }

    QTableWidget* Table_Sutunlar;
    QComboBox* ComboBox_Alan;
    QTableWidget* Table_Onizleme;
    QLabel* Label_Sayi;
    QPushButton* Button_Aktar;
    QPushButton* Button_Iptal;

private:
    void showColumn();
    void fieldChosen(int item);
    void showPreview();

    const Table& table_;
    TableMapping mapping_;
    const TableMapping guessed_;
    qint64 firstRecordNo_;
    const Clock& clock_;
    int rows_ = 0;
};
