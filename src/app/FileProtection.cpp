#include "app/FileProtection.h"

#include "app/FileCommands.h"
#include "app/NamedAction.h"
#include "app/LockDialog.h"
#include "app/TForm_Main.h"
#include "platform/Prompts.h"
#include "platform/qt/WaitCursor.h"
#include "store/ProtectedFile.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>

namespace {

// A password shorter than this is warned about.
constexpr std::size_t kShortPassword = 8;
// A dialog open when the time is up: the lock waits for it to close.
constexpr std::chrono::seconds kRetryAfterDialog{5};


} // namespace

FileProtection::FileProtection(TForm_Main& window, FileCommands& files, Prompts& prompts)
    : QObject(&window), window_(window), files_(files), prompts_(prompts) {
    ParolaKoy = makeAction(this, QStringLiteral("&Parola Koy…"), "ParolaKoy");
    ParolaDegistir = makeAction(this, QStringLiteral("Parolayı &Değiştir…"), "ParolaDegistir");
    ParolaKaldir = makeAction(this, QStringLiteral("Parolayı Kal&dır…"), "ParolaKaldir");
    Kilitle = makeAction(this, QStringLiteral("Ki&litle"), "Kilitle");
    Kilitle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    // The shortcut works while an edit holds the menus.
    window_.addAction(Kilitle);
    connect(ParolaKoy, &QAction::triggered, this, &FileProtection::setPassword);
    connect(ParolaDegistir, &QAction::triggered, this, &FileProtection::changePassword);
    connect(ParolaKaldir, &QAction::triggered, this, &FileProtection::removePassword);
    connect(Kilitle, &QAction::triggered, this, &FileProtection::lock);

    idle_.setSingleShot(true);
    connect(&idle_, &QTimer::timeout, this, &FileProtection::idleTimeReached);
    connect(&window_.document(), &RecordDocument::protectionChanged, this, [this] {
        updateActions(editLocked_);
        armIdleTimer();
    });
    updateActions(false);
}

void FileProtection::updateActions(bool editLocked) {
    editLocked_ = editLocked;
    const bool isProtected = window_.document().fileKey() != nullptr;
    const bool readOnly = files_.isReadOnly();
    ParolaKoy->setEnabled(!editLocked && !isProtected && !readOnly);
    ParolaDegistir->setEnabled(!editLocked && isProtected && !readOnly);
    ParolaKaldir->setEnabled(!editLocked && isProtected && !readOnly);
    Kilitle->setEnabled(isProtected && !locked_);
}

void FileProtection::setIdleMinutes(int minutes) {
    setIdleTime(std::chrono::minutes(minutes));
}

void FileProtection::setIdleTime(std::chrono::milliseconds time) {
    idleTime_ = time;
    armIdleTimer();
}

// Every event of the program passes the filter: it watches only while a
// protected file can lock.
void FileProtection::armIdleTimer() {
    if (idleTime_.count() > 0 && window_.document().fileKey() && !locked_) {
        qApp->installEventFilter(this);
        idle_.start(idleTime_);
    } else {
        qApp->removeEventFilter(this);
        idle_.stop();
    }
}

bool FileProtection::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        if (idle_.isActive())
            idle_.start(idleTime_);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void FileProtection::idleTimeReached() {
    // A question or a file dialog holds the code that opened it; the
    // window is emptied only when nothing waits for an answer.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        idle_.start(std::min<std::chrono::milliseconds>(idleTime_, kRetryAfterDialog));
        return;
    }
    lock();
}

bool FileProtection::mayExportPlain() {
    if (!window_.document().fileKey() || exportAllowed_)
        return true;
    exportAllowed_ =
        prompts_.ask(QStringLiteral("Dışa aktarılan dosya parolasız olacak. Devam edilsin mi?"),
                     PromptIcon::Warning, {PromptButton::Yes, PromptButton::No}) == PromptButton::Yes;
    return exportAllowed_;
}

std::optional<SecretBytes> FileProtection::askNewPassword(const QString& caption) {
    std::optional<SecretBytes> first = prompts_.password(caption, QStringLiteral("Yeni parola:"));
    if (!first)
        return std::nullopt;
    if (first->size() == 0) {
        prompts_.showMessage(QStringLiteral("Parola boş olamaz."));
        return std::nullopt;
    }
    const std::optional<SecretBytes> second =
        prompts_.password(caption, QStringLiteral("Yeni parolayı bir kez daha yazınız:"));
    if (!second)
        return std::nullopt;
    if (!sameSecret(*first, *second)) {
        prompts_.showMessage(QStringLiteral("İki parola aynı değil; parola değişmedi."));
        return std::nullopt;
    }
    if (characterCount(*first) < kShortPassword &&
        prompts_.ask(QStringLiteral("Parola 8 karakterden kısa; kolayca tahmin edilebilir.\r"
                                    "Yine de bu parola kullanılsın mı?"),
                     PromptIcon::Warning,
                     {PromptButton::Yes, PromptButton::No}) != PromptButton::Yes)
        return std::nullopt;
    return first;
}

bool FileProtection::confirmPassword(const QString& caption) {
    const std::optional<SecretBytes> typed =
        prompts_.password(caption, QStringLiteral("Dosyanın şimdiki parolası:"));
    if (!typed)
        return false;
    bool right = false;
    {
        const WaitCursor wait;
        right = passwordOpens(*window_.document().fileKey(), *typed);
    }
    if (!right)
        prompts_.showError(wrongPasswordMessage());
    return right;
}

void FileProtection::protectWith(const SecretBytes& password) {
    std::shared_ptr<const FileKey> key;
    {
        const WaitCursor wait;
        key = std::make_shared<const FileKey>(deriveNewFileKey(password));
    }
    window_.document().protect(std::move(key));
    window_.showActivity(QStringLiteral("Dosya kaydedilince parolayla korunacak."));
}

void FileProtection::setPassword() {
    if (const std::optional<SecretBytes> password = askNewPassword(QStringLiteral("Parola Koy")))
        protectWith(*password);
}

void FileProtection::changePassword() {
    const QString caption = QStringLiteral("Parolayı Değiştir");
    if (!confirmPassword(caption))
        return;
    if (const std::optional<SecretBytes> password = askNewPassword(caption))
        protectWith(*password);
}

void FileProtection::removePassword() {
    if (!confirmPassword(QStringLiteral("Parolayı Kaldır")))
        return;
    window_.document().protect(nullptr);
    window_.showActivity(QStringLiteral("Dosya kaydedilince parolasız yazılacak."));
}

void FileProtection::lock() {
    if (locked_ || !window_.document().fileKey())
        return;
    try {
        window_.writeUnsavedWork();
    } catch (const ZilvarenError& e) {
        // Emptying the window now would lose what is not saved.
        prompts_.showError(QStringLiteral("Dosya kilitlenemedi.\r") + e.message());
        armIdleTimer();
        return;
    }
    locked_ = true;
    idle_.stop();
    updateActions(editLocked_);
    window_.closeForLock();
    const QString name = FileCommands::isRealFileName(files_.CurrentFileName())
                             ? QFileInfo(files_.CurrentFileName()).fileName()
                             : FileCommands::kUnnamed;
    LockDialog dialog(
        name,
        [this](SecretBytes password) -> QString {
            std::optional<SecretBytes> given(std::move(password));
            try {
                files_.reopenAfterLock([&given](const QString&, bool) {
                    return std::exchange(given, std::nullopt);
                });
            } catch (const PasswordNotGiven&) {
                return wrongPasswordMessage();
            } catch (const ZilvarenError& e) {
                return e.message();
            }
            return {};
        },
        &window_);
    const bool opened = dialog.exec() == LockDialog::Opened;
    locked_ = false;
    updateActions(editLocked_);
    if (!opened) {
        // What was unsaved waits in the recovery file for the next start.
        window_.close();
        return;
    }
    armIdleTimer();
}
