#pragma once

#include <QDialog>

class RecordDocument;

// The general settings dialog "Genel Ayarlar".
class TToolsDialogBox : public QDialog {
    Q_OBJECT
public:
    TToolsDialogBox(RecordDocument& document, QWidget* parent = nullptr);

private:
    RecordDocument& document_;
};
