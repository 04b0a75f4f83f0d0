#pragma once

#include <QObject>

class QAction;
class QMenu;
class QWidget;
class RecordDocument;

// "Düzen": "Geri Al" and "Yinele", each naming the step it takes back or
// does again, and "İşlem Geçmişi…", the steps of this session to go back
// or forward to with a click.
class EditHistory : public QObject {
    Q_OBJECT
public:
    EditHistory(RecordDocument& document, QWidget& window);

    QAction* GeriAl;
    QAction* Yinele;
    QAction* IslemGecmisi;

    void fillMenu(QMenu& menu);
    // While an add or edit is open the history waits; Ctrl+Z belongs to
    // the field being typed in.
    void setLocked(bool locked);
    void IslemGecmisiClick();

private:
    void updateCommands();

    RecordDocument& document_;
    QWidget& window_;
    bool locked_ = false;
};
