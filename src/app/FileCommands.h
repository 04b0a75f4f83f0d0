#pragma once

#include "store/RecordFileLock.h"
#include "store/RecordFileReader.h"

#include <QObject>
#include <QStringList>

#include <memory>

class FileShell;
class Prompts;
class RecordDocument;
struct RecordFileData;

// The current file, the recent-file list, opening and saving.
class FileCommands : public QObject {
    Q_OBJECT
public:
    enum class OpenSender { Activation, OpenCommand, RecentItem };
    enum class SaveSender { Save, SaveAs };

    FileCommands(RecordDocument& document, FileShell& window, Prompts& prompts,
                 QObject* parent = nullptr);

    const QString& CurrentFileName() const { return currentFileName_; }
    // Recent files after the designed "Dosya" items, newest first.
    const QStringList& recentFiles() const { return recent_; }
    void setStartState(const QString& currentFileName, const QStringList& recent);

    // Opens a record file; recentPath is the chosen recent item's path.
    void DosyaAcNew(OpenSender sender, const QString& recentPath = {});
    // Opens the file the program was started with instead of the most
    // recent one; one that is missing or cannot be read is named in a
    // message, and the program starts unnamed.
    void openAtStart(const QString& path);
    // Asks about unsaved changes; false means stop.
    bool CheckUnsavedChanges();
    void SetCurrentFileName(const QString& name);
    void Button_KaydetClick(SaveSender sender);

    // The file on disk that a plain save writes over; empty for a new file,
    // one shown only in part, or one another window holds.
    QString savedFileName() const;
    // A plain save; true when the changes reached the disk.
    bool saveNow();

    // At close: the current file goes to the top of the list.
    QStringList recentFilesForClose() const;
    // Another window holds the file: this one never saves over it.
    bool isReadOnly() const { return readOnly_; }
    // Where the unsaved state goes when the program is ended from outside.
    QString recoveryFileName() const;
    // The window was locked: the file comes back with the password given,
    // from its recovery file when the lock wrote one. Throws
    // PasswordNotGiven (a wrong password) or ZilvarenError.
    void reopenAfterLock(const PasswordSource& password);
    // The program ends: the file is no longer held.
    void releaseLock() { lock_.reset(); }

    static const QString kUnnamed;
    // Names that never enter the recent list.
    static bool isRealFileName(const QString& name);

Q_SIGNALS:
    void recentFilesChanged();
    void captionChanged(const QString& caption);

private:
    bool load(const QString& path);
    // Reads source and shows it as the file path (empty: unnamed); adopt
    // runs once it was read. Throws what reading throws.
    void show(const QString& path, const QString& source, const PasswordSource& password,
              const std::function<void()>& adopt);
    // The password of a protected file, asked again after a wrong one.
    PasswordSource askPassword();
    // The sync state beside the file follows the file's new password.
    void resealSyncState();
    void setCaption();
    // The lock of a file about to be opened: false when the user cancels;
    // *readOnly when another window holds it and the user opens it anyway.
    bool lockForOpening(const QString& path, std::unique_ptr<RecordFileLock>* lock, bool* readOnly);
    // The lock of a file about to be written under a new name; false (and
    // a message) when another window holds it.
    bool lockForSaving(const QString& path);
    // Tells the user when the lock file could not be written.
    void warnIfUnguarded(const QString& path, const RecordFileLock& lock);
    // The file to read for path: the recovery file left by a program that
    // was ended, when the user wants it back.
    QString chooseRecoveredContent(const QString& path, const QString& recovery);
    void reportPartialRead(const QString& path, const RecordFileData& data, qsizetype personsRead);

    RecordDocument& document_;
    FileShell& window_;
    Prompts& prompts_;
    QString currentFileName_;
    QStringList recent_;
    std::unique_ptr<RecordFileLock> lock_;
    bool readOnly_ = false;
    // Reading stopped at a malformed line: what is shown is not the whole
    // file, so saving must not silently put it over the file.
    bool partialRead_ = false;
    // A restored recovery file goes once the restored state is saved.
    QString restoredRecovery_;
    // The key of the file on disk, which the sync state beside it is
    // protected with.
    std::shared_ptr<const FileKey> savedKey_;
};
