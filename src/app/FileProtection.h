#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <optional>

class FileCommands;
class Prompts;
class QAction;
class SecretBytes;
class TForm_Main;

// The password of the open file and the lock of the window: "Parola
// Koy…", "Parolayı Değiştir…", "Parolayı Kaldır…" and "Kilitle" in the
// "Dosya" menu, the lock after a time without input, and the question
// before the first plain export of a protected file.
class FileProtection : public QObject {
    Q_OBJECT
public:
    FileProtection(TForm_Main& window, FileCommands& files, Prompts& prompts);

    QAction* ParolaKoy;
    QAction* ParolaDegistir;
    QAction* ParolaKaldir;
    QAction* Kilitle;

    // Which commands work: while an edit is open (editLocked) the password
    // stays as it is, but the window can still be locked.
    void updateActions(bool editLocked);
    // "Boşta kalınca kilitle (dakika)"; 0 never.
    void setIdleMinutes(int minutes);
    // The same in any unit, for tests that cannot wait minutes.
    void setIdleTime(std::chrono::milliseconds time);

    // An export writes the persons plain: for a protected file the user
    // is asked once in a session. False when the user said no.
    bool mayExportPlain();

    // Writes what is unsaved into the protected recovery file, empties the
    // window and asks for the password until it is given (the file comes
    // back as it was) or the user closes the program.
    void lock();
    bool isLocked() const { return locked_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setPassword();
    void changePassword();
    void removePassword();
    // A new password, typed twice; nullopt when the user gave none.
    std::optional<SecretBytes> askNewPassword(const QString& caption);
    // The password the file has now, asked before it is changed.
    bool confirmPassword(const QString& caption);
    void protectWith(const SecretBytes& password);
    void armIdleTimer();
    void idleTimeReached();

    TForm_Main& window_;
    FileCommands& files_;
    Prompts& prompts_;
    QTimer idle_;
    std::chrono::milliseconds idleTime_{0};
    bool editLocked_ = false;
    bool locked_ = false;
    bool exportAllowed_ = false;
};
