#pragma once

#include "sync/SyncDialog.h"

#include <QObject>

#include <memory>

class Clock;
class Passwords;
class Prompts;
class TForm_Main;

// "Dosya → Sunucuyla Eşitle…" in the main window: the sync flow with the
// window's file, its save, the login dialog and the desktop's key store.
class ServerSync : public QObject {
    Q_OBJECT
public:
    ServerSync(TForm_Main& window, Prompts& prompts, const Clock& clock);
    ~ServerSync() override;

    void SunucuylaEsitleClick();

private:
    TForm_Main& window_;
    Prompts& prompts_;
    const Clock& clock_;
    std::unique_ptr<Passwords> passwords_;
    SyncDialog* dialog_;
    SyncLogin typed_;
};
