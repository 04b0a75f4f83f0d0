#pragma once

#include "sync/SyncDialog.h"

#include <QString>

#include <functional>
#include <optional>

class Clock;
class DavTransport;
class Passwords;
class Prompts;
class RecordDocument;
class QWidget;

// What the window lends the sync.
struct SyncFlowServices {
    Prompts& prompts;
    const Clock& clock;
    Passwords& passwords;
    RecordDocument& document;
    QWidget* parent;
    // The record file on disk, empty when there is none.
    std::function<QString()> savedFile;
    // Another window holds the file: this one never writes to it.
    std::function<bool()> readOnly;
    // The file saved as the usual save does it (with ".BAK"); false when
    // it was not.
    std::function<bool()> save;
    // The login, asked with the reason the last one failed.
    std::function<std::optional<SyncLogin>(const SyncLogin&, const QString&)> askLogin;
    // The requests of one sync for a login; the network unless a test
    // puts its own server there.
    std::function<std::unique_ptr<DavTransport>(const SyncLogin&)> transport;
    // Shows the persons again once the sync changed them.
    std::function<void()> refresh;
    // The address and user last typed in this session (never the
    // password), offered again when the file has no sync of its own yet.
    SyncLogin& typed;
};

// "Dosya → Sunucuyla Eşitle…": saves what is unsaved first (after
// asking), asks for the login the first time, syncs under a progress
// dialog that can stop it, saves the file with what came, and says what
// was done.
class SyncFlow {
public:
    explicit SyncFlow(SyncFlowServices services) : s_(std::move(services)) {}
    // True when the sync went through.
    bool run();

private:
    bool fileReady();
    SyncFlowServices s_;
};
