#include "app/EditHistory.h"

#include "store/RecordDocument.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QUndoView>
#include <QVBoxLayout>

namespace {

QAction* makeAction(QObject* parent, const char* name) {
    auto* a = new QAction(parent);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

} // namespace

EditHistory::EditHistory(RecordDocument& document, QWidget& window)
    : QObject(&window), document_(document), window_(window) {
    GeriAl = makeAction(this, "GeriAl");
    GeriAl->setShortcut(QKeySequence::Undo);
    Yinele = makeAction(this, "Yinele");
    Yinele->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y),
                          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    IslemGecmisi = makeAction(this, "IslemGecmisi");
    IslemGecmisi->setText(QStringLiteral("İşlem Ge&çmişi…"));
    QUndoStack& history = document_.history();
    connect(GeriAl, &QAction::triggered, &history, &QUndoStack::undo);
    connect(Yinele, &QAction::triggered, &history, &QUndoStack::redo);
    connect(IslemGecmisi, &QAction::triggered, this, &EditHistory::IslemGecmisiClick);
    connect(&history, &QUndoStack::indexChanged, this, &EditHistory::updateCommands);
    connect(&history, &QUndoStack::cleanChanged, this, &EditHistory::updateCommands);
    updateCommands();
}

void EditHistory::fillMenu(QMenu& menu) {
    menu.addAction(GeriAl);
    menu.addAction(Yinele);
    menu.addSeparator();
    menu.addAction(IslemGecmisi);
}

void EditHistory::setLocked(bool locked) {
    locked_ = locked;
    updateCommands();
}

void EditHistory::updateCommands() {
    const QUndoStack& history = document_.history();
    GeriAl->setText(history.canUndo() ? QStringLiteral("&Geri Al: ") + history.undoText()
                                      : QStringLiteral("&Geri Al"));
    Yinele->setText(history.canRedo() ? QStringLiteral("&Yinele: ") + history.redoText()
                                      : QStringLiteral("&Yinele"));
    GeriAl->setEnabled(history.canUndo() && !locked_);
    Yinele->setEnabled(history.canRedo() && !locked_);
    IslemGecmisi->setEnabled(!locked_);
}

void EditHistory::IslemGecmisiClick() {
    QDialog dialog(&window_);
    dialog.setObjectName(QStringLiteral("IslemGecmisi"));
    dialog.setWindowTitle(QStringLiteral("İşlem Geçmişi"));
    auto* label = new QLabel(
        QStringLiteral("Bu oturumda yapılan işlemler, en yenisi en altta. Bir işleme "
                       "tıklayınca dosya o işlemden sonraki hâline döner; en üstteki satır "
                       "dosyanın açıldığı hâlidir.\n&İşlemler:"),
        &dialog);
    label->setWordWrap(true);
    auto* steps = new QUndoView(&document_.history(), &dialog);
    steps->setObjectName(QStringLiteral("Islemler"));
    steps->setAccessibleName(QStringLiteral("İşlemler"));
    steps->setEmptyLabel(QStringLiteral("Dosyanın açıldığı hâli"));
    label->setBuddy(steps);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Kapat"));
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(steps, 1);
    layout->addWidget(buttons);
    dialog.resize(460, 380);
    steps->setFocus();
    dialog.exec();
}
