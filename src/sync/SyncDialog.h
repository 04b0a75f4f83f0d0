#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;

// Where and as whom to sync: the server's address, the user name, the
// password, and whether the desktop's key store keeps it.
struct SyncLogin {
    QString server;
    QString user;
    QString password;
    bool remember = false;
};

// "Sunucuyla Eşitle": asks for the login, with the reason the last one
// failed above it.
class SyncDialog : public QDialog {
    Q_OBJECT
public:
    explicit SyncDialog(QWidget* parent = nullptr);
    // nullopt when the user cancels.
    std::optional<SyncLogin> ask(const SyncLogin& preset, const QString& problem);

    QLineEdit* Edit_Server;
    QLineEdit* Edit_User;
    QLineEdit* Edit_Password;
    QCheckBox* CheckBox_Remember;
    QLabel* Label_Problem;

    // Why an address cannot be used; empty when it can. Passwords go in
    // the clear over http, so only a server on this machine may use it.
    static QString addressProblem(const QString& server);

private:
    void accept() override;
};
