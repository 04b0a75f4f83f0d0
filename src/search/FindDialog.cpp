#include "search/FindDialog.h"

#include "store/RecordDocument.h"

TForm_Find::TForm_Find(RecordDocument& document, QWidget* parent)
    : QDialog(parent), document_(document) {
    setObjectName(QStringLiteral("Form_Find"));
    setWindowTitle(QStringLiteral("Find Text Dialog"));
}
