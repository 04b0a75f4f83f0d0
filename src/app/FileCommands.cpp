#include "app/FileCommands.h"

#include "app/ActivityNote.h"
#include "app/FileShell.h"
#include "platform/Prompts.h"
#include "platform/qt/WaitCursor.h"
#include "store/ProtectedFile.h"
#include "store/RecordDocument.h"
#include "store/RecordFile.h"
#include "store/RecordFileReader.h"
#include "store/RecordFileSaver.h"
#include "sync/SyncState.h"

#include <QDir>
#include <QFileInfo>

const QString FileCommands::kUnnamed = QStringLiteral("Unnamed.qdb");

namespace {

// The recovery of a file that never had a name.
QString unnamedRecoveryFileName() {
    return QDir::home().filePath(QStringLiteral("Unnamed.kurtarma.qdb"));
}

} // namespace

namespace {

const QString kFilter = QStringLiteral("Personel Files (*.qdb)|*.QDB");
constexpr int kMaxRecent = 9;

} // namespace

FileCommands::FileCommands(RecordDocument& document, FileShell& window, Prompts& prompts,
                           QObject* parent)
    : QObject(parent), document_(document), window_(window), prompts_(prompts) {}

bool FileCommands::isRealFileName(const QString& name) {
    return !name.trimmed().isEmpty() && name != kUnnamed;
}

void FileCommands::setStartState(const QString& currentFileName, const QStringList& recent) {
    currentFileName_ = isRealFileName(currentFileName) ? currentFileName : QString();
    recent_.clear();
    // Every stored entry is listed; the limit holds when a file is opened.
    for (const QString& f : recent)
        if (isRealFileName(f))
            recent_.append(f);
    Q_EMIT recentFilesChanged();
}

void FileCommands::setCaption() {
    QString caption =
        QStringLiteral("Zilvaren - ") + (currentFileName_.isEmpty() ? kUnnamed : currentFileName_);
    if (readOnly_)
        caption += QStringLiteral(" (salt okunur)");
    Q_EMIT captionChanged(caption);
}

bool FileCommands::CheckUnsavedChanges() {
    if (!document_.isModified())
        return true;
    const PromptButton answer = prompts_.ask(
        QStringLiteral("Çalıştığınız dosyadaki değişikler kaydedilmemiştir.\rKaydedilmesini "
                       "İstermisiniz ?"),
        PromptIcon::Information, {PromptButton::Yes, PromptButton::No, PromptButton::Cancel});
    if (answer == PromptButton::Cancel)
        return false;
    if (answer == PromptButton::Yes) {
        Button_KaydetClick(SaveSender::Save);
        // Only a save that really happened lets the caller go on.
        return !document_.isModified();
    }
    return true;
}

void FileCommands::SetCurrentFileName(const QString& name) {
    recent_.removeAll(name);
    if (isRealFileName(currentFileName_) &&
        (name.isEmpty() || (QFileInfo::exists(currentFileName_) && currentFileName_ != name))) {
        recent_.prepend(currentFileName_);
        // One goes for the one that came: a longer list kept from the
        // settings is not cut short.
        if (recent_.size() > kMaxRecent)
            recent_.removeLast();
    }
    currentFileName_ = name.isEmpty() ? kUnnamed : name;
    if (name.isEmpty()) {
        // A new file: nothing on disk is ours any more.
        lock_.reset();
        readOnly_ = false;
        partialRead_ = false;
    }
    Q_EMIT recentFilesChanged();
    setCaption();
}

QString FileCommands::recoveryFileName() const {
    return isRealFileName(currentFileName_) ? ::recoveryFileName(currentFileName_)
                                            : unnamedRecoveryFileName();
}

QString FileCommands::chooseRecoveredContent(const QString& path, const QString& recovery) {
    if (!QFileInfo::exists(recovery))
        return path;
    const PromptButton answer = prompts_.ask(
        QStringLiteral("Program, \"%1\" dosyası açıkken dışarıdan kapatıldı; kaydedilmemiş "
                       "değişiklikler \"%2\" dosyasında saklandı.\rBu değişiklikler geri "
                       "yüklensin mi? (Hayır derseniz saklanan değişiklikler silinir.)")
            .arg(path.isEmpty() ? kUnnamed : path, recovery),
        PromptIcon::Warning, {PromptButton::Yes, PromptButton::No});
    if (answer == PromptButton::Yes)
        return recovery;
    QFile::remove(recovery);
    return path;
}

QString FileCommands::savedFileName() const {
    if (!isRealFileName(currentFileName_) || !QFileInfo::exists(currentFileName_) || partialRead_ ||
        readOnly_)
        return {};
    return currentFileName_;
}

bool FileCommands::saveNow() {
    Button_KaydetClick(SaveSender::Save);
    return !document_.isModified();
}

QStringList FileCommands::recentFilesForClose() const {
    QStringList files = recent_;
    if (isRealFileName(currentFileName_) && QFileInfo::exists(currentFileName_))
        files.prepend(currentFileName_);
    return files;
}

void FileCommands::DosyaAcNew(OpenSender sender, const QString& recentPath) {
    QString path;
    switch (sender) {
    case OpenSender::Activation:
        if (!QFileInfo::exists(currentFileName_)) {
            currentFileName_.clear();
            setCaption();
            const QString recovery = unnamedRecoveryFileName();
            if (chooseRecoveredContent(QString(), recovery) == recovery) {
                try {
                    RecordFileData data = readRecordFile(recovery, askPassword());
                    window_.showLoadedFile(data);
                    savedKey_.reset();
                    document_.markUnsaved();
                    restoredRecovery_ = recovery;
                } catch (const PasswordNotGiven&) {
                } catch (const ZilvarenError& e) {
                    prompts_.showError(e.message());
                }
            }
            return;
        }
        if (!load(currentFileName_)) {
            // Unreadable at start: work unnamed, keep the file listed.
            SetCurrentFileName(QString());
        }
        return;
    case OpenSender::OpenCommand: {
        if (!CheckUnsavedChanges())
            return;
        FileDialogRequest request;
        request.title = QStringLiteral("Mevcut Zilvaren Dosyası Aç");
        request.filter = kFilter;
        request.defaultSuffix = QStringLiteral("qdb");
        request.directory = QFileInfo(currentFileName_).absolutePath();
        const auto chosen = prompts_.openFileName(request);
        if (!chosen)
            return;
        path = *chosen;
        break;
    }
    case OpenSender::RecentItem:
        if (!CheckUnsavedChanges())
            return;
        path = recentPath;
        // Only a file that is gone leaves the list; one that cannot be
        // read now may be readable later.
        if (!QFileInfo::exists(path)) {
            recent_.removeAll(path);
            Q_EMIT recentFilesChanged();
            prompts_.showMessage(path + QStringLiteral(" isimli dosya bulunamadı."));
            return;
        }
        break;
    }
    load(path);
}

void FileCommands::openAtStart(const QString& path) {
    if (!QFileInfo::exists(path)) {
        SetCurrentFileName(QString());
        prompts_.showMessage(path + QStringLiteral(" isimli dosya bulunamadı."));
        return;
    }
    if (!load(path))
        SetCurrentFileName(QString());
}

bool FileCommands::lockForOpening(const QString& path, std::unique_ptr<RecordFileLock>* lock,
                                  bool* readOnly) {
    RecordFileLock::Holder holder;
    *lock = RecordFileLock::take(path, &holder);
    *readOnly = !*lock;
    if (*lock) {
        warnIfUnguarded(path, **lock);
        return true;
    }
    return prompts_.ask(QStringLiteral("\"%1\" dosyası şu anda başka bir pencerede açık:\r"
                                       "%2 kullanıcısı, %3 bilgisayarında.\r"
                                       "Dosyayı salt okunur olarak açmak ister misiniz? "
                                       "Salt okunur pencere dosyanın üzerine kaydetmez.")
                            .arg(path, holder.user, holder.host),
                        PromptIcon::Warning,
                        {PromptButton::Yes, PromptButton::Cancel}) == PromptButton::Yes;
}

bool FileCommands::lockForSaving(const QString& path) {
    if (lock_ && saveTargetOf(path) == saveTargetOf(currentFileName_) && !readOnly_)
        return true;
    RecordFileLock::Holder holder;
    auto lock = RecordFileLock::take(path, &holder);
    if (!lock) {
        prompts_.showMessage(QStringLiteral("\"%1\" dosyası şu anda başka bir pencerede açık "
                                            "(%2 kullanıcısı, %3 bilgisayarında); üzerine "
                                            "kaydedilemez.\rLütfen başka bir isim seçiniz.")
                                 .arg(path, holder.user, holder.host));
        return false;
    }
    warnIfUnguarded(path, *lock);
    lock_ = std::move(lock);
    readOnly_ = false;
    return true;
}

void FileCommands::warnIfUnguarded(const QString& path, const RecordFileLock& lock) {
    if (!lock.problem().isEmpty())
        prompts_.showMessage(QStringLiteral("\"%1\" dosyasının kilit dosyası yazılamadı: %2\r"
                                            "Dosya kilitsiz açık; başka bir pencere de aynı "
                                            "dosyayı açarsa bu fark edilemez.")
                                 .arg(RecordFileLock::lockFileName(path), lock.problem()));
}

void FileCommands::reportPartialRead(const QString& path, const RecordFileData& data,
                                     qsizetype personsRead) {
    prompts_.showError(
        QStringLiteral("\"%1\" dosyası %2. satırda okunamadı: %3\r"
                       "O satıra kadar okunan %4 kişi gösteriliyor. Dosyanın bu eksik hâli, "
                       "siz bir isim seçip onaylamadan dosyanın üzerine kaydedilmez.")
            .arg(path)
            .arg(data.errorLine)
            .arg(*data.error)
            .arg(personsRead));
}

PasswordSource FileCommands::askPassword() {
    return [this](const QString& path, bool again) {
        if (again)
            prompts_.showError(wrongPasswordMessage());
        // The key is made under the wait cursor; the question is not.
        const WaitCursorPause pause;
        return prompts_.password(QStringLiteral("Parola"),
                                 QStringLiteral("\"%1\" dosyası parola ile korunuyor.\rParola:")
                                     .arg(QFileInfo(path).fileName()));
    };
}

bool FileCommands::load(const QString& path) {
    // Opening the file this window already holds again keeps its lock.
    const bool holdingIt = lock_ && !readOnly_ && isRealFileName(currentFileName_) &&
                           saveTargetOf(path) == saveTargetOf(currentFileName_);
    std::unique_ptr<RecordFileLock> lock;
    bool readOnly = false;
    if (!holdingIt && !lockForOpening(path, &lock, &readOnly))
        return false;
    const QString source = chooseRecoveredContent(path, ::recoveryFileName(path));
    try {
        show(path, source, askPassword(), [&] {
            if (!holdingIt) {
                lock_ = std::move(lock);
                readOnly_ = readOnly;
            }
        });
    } catch (const PasswordNotGiven&) {
        return false;
    } catch (const ZilvarenError& e) {
        prompts_.showError(e.message());
        return false;
    }
    return true;
}

void FileCommands::reopenAfterLock(const PasswordSource& password) {
    const QString path = isRealFileName(currentFileName_) ? currentFileName_ : QString();
    const QString recovery = recoveryFileName();
    show(path, QFileInfo::exists(recovery) ? recovery : path, password, [] {});
}

// Reads the file first: a file that cannot be read at all changes nothing,
// not even the current name.
void FileCommands::show(const QString& path, const QString& source,
                        const PasswordSource& password, const std::function<void()>& adopt) {
    RecordFileData data;
    qsizetype personsRead = 0;
    {
        // Reading and showing a large file holds the window for a while.
        const ActivityNote note(window_, QStringLiteral("Dosya açılıyor: ") + source);
        data = readRecordFile(source, password);
        adopt();
        partialRead_ = data.error.has_value();
        personsRead = qsizetype(data.persons.size());
        if (path.isEmpty())
            setCaption();
        else if (path != currentFileName_)
            SetCurrentFileName(path);
        else
            setCaption();
        // The file that was open lets go of its pictures in its own folder.
        document_.closeHistory();
        if (!path.isEmpty())
            QDir::setCurrent(QFileInfo(path).absolutePath());
        savedKey_ = source == path ? data.key : nullptr;
        window_.showLoadedFile(data);
    }
    restoredRecovery_.clear();
    if (source != path) {
        // The restored state is not on disk under the file's name yet.
        document_.markUnsaved();
        restoredRecovery_ = source;
    }
    if (partialRead_)
        reportPartialRead(source, data, personsRead);
}

void FileCommands::Button_KaydetClick(SaveSender sender) {
    // A new file, a file shown only in part and one another window holds
    // are never written over without the user choosing the name.
    if (sender == SaveSender::SaveAs || !isRealFileName(currentFileName_) ||
        !QFileInfo::exists(currentFileName_) || partialRead_ || readOnly_) {
        FileDialogRequest request;
        request.title = QStringLiteral("Zilvaren Dosyası Kaydet");
        request.filter = kFilter;
        request.defaultSuffix = QStringLiteral("qdb");
        request.fileName = currentFileName_;
        const auto chosen = prompts_.saveFileName(request);
        if (!chosen)
            return;
        if (QFileInfo::exists(*chosen) &&
            prompts_.ask(*chosen + QStringLiteral(" İsimli bir dosya mevcuttur.\rSilinerek "
                                                  "Değiştirilmesini İstermisiniz ?"),
                         PromptIcon::Information,
                         {PromptButton::Yes, PromptButton::Cancel}) != PromptButton::Yes)
            return;
        if (!lockForSaving(*chosen))
            return;
        SetCurrentFileName(*chosen);
    }
    try {
        const ActivityNote note(window_, QStringLiteral("Dosya kaydediliyor: ") + currentFileName_);
        saveRecordFile(currentFileName_, window_.composeFile(), document_.fileKey().get());
    } catch (const ZilvarenError& e) {
        prompts_.showError(e.message());
        return;
    }
    partialRead_ = false;
    document_.markSaved();
    resealSyncState();
    if (!restoredRecovery_.isEmpty()) {
        QFile::remove(restoredRecovery_);
        restoredRecovery_.clear();
    }
}

void FileCommands::resealSyncState() {
    const std::shared_ptr<const FileKey> key = document_.fileKey();
    const std::shared_ptr<const FileKey> was = std::exchange(savedKey_, key);
    const QString stateFile = SyncState::fileFor(currentFileName_);
    if (was == key || !QFileInfo::exists(stateFile))
        return;
    try {
        SyncState::read(stateFile, was.get()).write(stateFile, key.get());
    } catch (const ZilvarenError& e) {
        prompts_.showError(QStringLiteral("Dosya kaydedildi, ama eşitleme bilgisi yeni parolayla "
                                          "yazılamadı.\r") +
                           e.message());
    }
}
