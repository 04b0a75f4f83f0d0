#include "tools/ToolsDialog.h"

#include "store/RecordDocument.h"

TToolsDialogBox::TToolsDialogBox(RecordDocument& document, QWidget* parent)
    : QDialog(parent), document_(document) {
    setObjectName(QStringLiteral("ToolsDialogBox"));
    setWindowTitle(QStringLiteral("Genel Ayarlar"));
}
