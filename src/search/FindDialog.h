#pragma once

#include <QDialog>

class RecordDocument;

// The find dialog "Find Text Dialog".
class TForm_Find : public QDialog {
    Q_OBJECT
public:
    TForm_Find(RecordDocument& document, QWidget* parent = nullptr);

private:
    RecordDocument& document_;
};
