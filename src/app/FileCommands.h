#pragma once

#include <QObject>
#include <QStringList>

class Prompts;
class TForm_Main;

// The current file, the recent-file list, opening and saving.
class FileCommands : public QObject {
    Q_OBJECT
public:
    enum class OpenSender { Activation, OpenCommand, RecentItem };
    enum class SaveSender { Save, SaveAs };

    FileCommands(TForm_Main& window, Prompts& prompts);

    const QString& CurrentFileName() const { return currentFileName_; }
    // Recent files after the designed "Dosya" items, newest first.
    const QStringList& recentFiles() const { return recent_; }
    void setStartState(const QString& currentFileName, const QStringList& recent);

    // Opens a record file; recentPath is the chosen recent item's path.
    void DosyaAcNew(OpenSender sender, const QString& recentPath = {});
    // Asks about unsaved changes; false means stop.
    bool CheckUnsavedChanges();
    void SetCurrentFileName(const QString& name);
    void Button_KaydetClick(SaveSender sender);

    // At close: the current file goes to the top of the list.
    QStringList recentFilesForClose() const;

    static const QString kUnnamed;

Q_SIGNALS:
    void recentFilesChanged();
    void captionChanged(const QString& caption);

private:
    bool load(const QString& path);
    void setCaption();

    TForm_Main& window_;
    Prompts& prompts_;
    QString currentFileName_;
    QStringList recent_;
};
