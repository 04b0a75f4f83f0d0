#include "sync/SyncFlow.h"

#include "platform/Prompts.h"
#include "store/RecordDocument.h"
#include "sync/Passwords.h"
#include "sync/SyncEngine.h"

#include <QFileInfo>
#include <QProgressDialog>

bool SyncFlow::fileReady() {
    if (s_.readOnly()) {
        s_.prompts.showMessage(
            QStringLiteral("Bu pencere dosyayı salt okunur açtı: dosya başka bir pencerede açık. "
                           "Eşitleme, sunucudan gelenleri dosyaya yazar; salt okunur bir kopya "
                           "eşitlenemez.\rDosyayı açık tutan pencereden eşitleyiniz."));
        return false;
    }
    if (!s_.savedFile().isEmpty() && !s_.document.isModified())
        return true;
    if (s_.prompts.ask(QStringLiteral("Eşitlemeden önce dosyanın kaydedilmesi gerekir; "
                                      "eşitleme, sunucudan gelenleri de dosyaya kaydeder.\r"
                                      "Dosya şimdi kaydedilsin mi?"),
                       PromptIcon::Information,
                       {PromptButton::Yes, PromptButton::Cancel}) != PromptButton::Yes)
        return false;
    return s_.save() && !s_.savedFile().isEmpty();
}

bool SyncFlow::run() {
    if (!fileReady())
        return false;
    const QString file = s_.savedFile();
    const QString stateFile = SyncState::fileFor(file);
    SyncState state;
    try {
        state = SyncState::read(stateFile, s_.document.fileKey().get());
    } catch (const ZilvarenError& e) {
        s_.prompts.showError(e.message());
        return false;
    }
    // The address and user of the last sync of this file; the password
    // from the key store, or asked.
    SyncLogin login{state.server, state.user, {}, false};
    if (login.server.isEmpty() && login.user.isEmpty())
        login = {s_.typed.server, s_.typed.user, {}, false};
    bool ask = login.server.isEmpty() || login.user.isEmpty();
    if (!ask) {
        const std::optional<QString> password =
            s_.passwords.read(passwordKey(login.server, login.user));
        ask = !password;
        login.password = password.value_or(QString());
    }
    QString problem;
    for (;;) {
        if (ask) {
            const std::optional<SyncLogin> given = s_.askLogin(login, problem);
            if (!given)
                return false;
            login = *given;
            s_.typed = {login.server, login.user, {}, false};
        }
        ask = true;
        SyncState working = state;
        if (working.server != login.server || working.user != login.user)
            working = SyncState{};
        working.user = login.user;

        const std::unique_ptr<DavTransport> transport = s_.transport(login);
        CardDavClient dav(*transport);
        SyncEngine engine(dav, s_.document, working, s_.clock, QFileInfo(file).absolutePath());
        QProgressDialog progress(QStringLiteral("Sunucuyla eşitleniyor…"), QStringLiteral("İptal"),
                                 0, 0, s_.parent);
        progress.setWindowTitle(QStringLiteral("Sunucuyla Eşitle"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(0);
        QObject::connect(&progress, &QProgressDialog::canceled, &progress,
                         [&transport] { transport->cancel(); });
        progress.show();
        SyncTarget target;
        target.server = QUrl(login.server);
        target.newBookName = QFileInfo(file).completeBaseName();
        target.onStep = [&progress](const QString& step) { progress.setLabelText(step); };
        target.chooseBook = [this, &progress](const std::vector<AddressBook>& books) {
            QStringList names;
            for (const AddressBook& b : books)
                names.append(b.name.isEmpty()
                                 ? b.url.toString()
                                 : b.name + QStringLiteral(" (") + b.url.toString() + u')');
            progress.hide();
            const std::optional<int> chosen = s_.prompts.chooseItem(
                QStringLiteral("Sunucuyla Eşitle"),
                QStringLiteral("Sunucuda birden çok adres defteri var. Bu dosya hangisiyle "
                               "eşitlensin?"),
                names);
            progress.show();
            return chosen;
        };
        SyncReport report;
        try {
            report = engine.run(target);
        } catch (const SyncAuthenticationError& e) {
            progress.close();
            s_.passwords.forget(passwordKey(login.server, login.user));
            problem = e.message();
            login.password.clear();
            continue;
        } catch (const ZilvarenError& e) {
            progress.close();
            s_.prompts.showError(QStringLiteral("Eşitleme yapılamadı; dosyada hiçbir şey "
                                                "değişmedi.\r") +
                                 e.message());
            return false;
        }
        progress.close();
        s_.passwords.write(passwordKey(login.server, login.user), login.password, login.remember);
        s_.refresh();
        if (s_.document.isModified() && !s_.save()) {
            s_.prompts.showError(QStringLiteral("Sunucudan gelenler dosyaya kaydedilemedi; "
                                                "değişiklikler pencerede duruyor. Bir sonraki "
                                                "eşitleme kaldığı yerden sürer."));
            return false;
        }
        try {
            working.write(stateFile, s_.document.fileKey().get());
        } catch (const ZilvarenError& e) {
            s_.prompts.showError(e.message());
            return false;
        }
        s_.prompts.showMessage(report.summary());
        return true;
    }
}
