#include "app/ServerSync.h"

#include "app/FileCommands.h"
#include "app/TForm_Main.h"
#include "sync/NetworkTransport.h"
#include "sync/Passwords.h"
#include "sync/SyncDialog.h"
#include "sync/SyncFlow.h"

ServerSync::ServerSync(TForm_Main& window, Prompts& prompts, const Clock& clock)
    : QObject(&window), window_(window), prompts_(prompts), clock_(clock),
      passwords_(std::make_unique<KeychainPasswords>()), dialog_(new SyncDialog(&window)) {}

ServerSync::~ServerSync() = default;

void ServerSync::SunucuylaEsitleClick() {
    FileCommands& files = window_.files();
    SyncFlow flow({prompts_, clock_, *passwords_, window_.document(), &window_,
                   [&files] { return files.savedFileName(); },
                   [&files] { return files.isReadOnly(); }, [&files] { return files.saveNow(); },
                   [this](const SyncLogin& preset, const QString& problem) {
                       return dialog_->ask(preset, problem);
                   },
                   [](const SyncLogin& login) -> std::unique_ptr<DavTransport> {
                       return std::make_unique<NetworkTransport>(login.user, login.password);
                   },
                   [this] { window_.showDocumentAgain(); }, typed_});
    if (flow.run())
        window_.showActivity(QStringLiteral("Eşitleme sunucuyu da değiştirdiği için geri "
                                            "alınamaz; işlem geçmişi silindi."));
}
