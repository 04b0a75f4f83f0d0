#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class SecretBytes;

// What the locked window shows: the password of the file, or the way out
// of the program. Escape and the title bar do not leave it.
class LockDialog : public QDialog {
    Q_OBJECT
public:
    // The file comes back with the password: an empty text when it did,
    // else why not.
    using Unlock = std::function<QString(SecretBytes password)>;
    enum Result { CloseProgram = QDialog::Rejected, Opened = QDialog::Accepted };

    LockDialog(const QString& fileName, Unlock unlock, QWidget* parent);

    QLineEdit* Edit_Parola;
    QLabel* Label_Sorun;
    QPushButton* Button_Ac;
    QPushButton* Button_Kapat;

    void reject() override {}

protected:
    void closeEvent(class QCloseEvent* event) override;

private:
    void tryPassword();

    Unlock unlock_;
};
