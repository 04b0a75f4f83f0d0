#include "app/FileCommands.h"

#include "app/TForm_Main.h"
#include "platform/Prompts.h"
#include "platform/qt/WaitCursor.h"
#include "store/RecordFileReader.h"
#include "store/RecordFileSaver.h"

#include <QDir>
#include <QFileInfo>

const QString FileCommands::kUnnamed = QStringLiteral("Unnamed.qdb");

namespace {

const QString kFilter = QStringLiteral("Personel Files (*.qdb)|*.QDB");
constexpr int kMaxRecent = 9;

} // namespace

FileCommands::FileCommands(TForm_Main& window, Prompts& prompts)
    : QObject(&window), window_(window), prompts_(prompts) {}

void FileCommands::setStartState(const QString& currentFileName, const QStringList& recent) {
    currentFileName_ = currentFileName;
    recent_ = recent;
    Q_EMIT recentFilesChanged();
}

void FileCommands::setCaption() {
    Q_EMIT captionChanged(QStringLiteral("Zilvaren - ") +
                          (currentFileName_.isEmpty() ? kUnnamed : currentFileName_));
}

bool FileCommands::CheckUnsavedChanges() {
    if (!window_.document().isModified())
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
        return !window_.document().isModified();
    }
    return true;
}

void FileCommands::SetCurrentFileName(const QString& name) {
    recent_.removeAll(name);
    if (name.isEmpty() ||
        (QFileInfo::exists(currentFileName_) && currentFileName_ != name)) {
        recent_.prepend(currentFileName_);
        while (recent_.size() > kMaxRecent)
            recent_.removeLast();
    }
    currentFileName_ = name.isEmpty() ? kUnnamed : name;
    Q_EMIT recentFilesChanged();
    setCaption();
}

QStringList FileCommands::recentFilesForClose() const {
    QStringList files = recent_;
    if (QFileInfo::exists(currentFileName_))
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
        recent_.removeAll(path);
        Q_EMIT recentFilesChanged();
        if (!QFileInfo::exists(path)) {
            prompts_.showMessage(path + QStringLiteral(" isimli dosya bulunamadı."));
            return;
        }
        break;
    }
    load(path);
}

// Reads the file first: a file that cannot be read at all changes nothing,
// not even the current name.
bool FileCommands::load(const QString& path) {
    RecordFileData data;
    {
        WaitCursor wait;
        try {
            data = readRecordFile(path);
        } catch (const RecordFileError& e) {
            prompts_.showError(e.message());
            return false;
        }
    }
    if (path != currentFileName_)
        SetCurrentFileName(path);
    else
        setCaption();
    QDir::setCurrent(QFileInfo(path).absolutePath());
    window_.showLoadedFile(data);
    if (data.error)
        prompts_.showError(*data.error);
    return true;
}

void FileCommands::Button_KaydetClick(SaveSender sender) {
    if (sender == SaveSender::SaveAs || !QFileInfo::exists(currentFileName_)) {
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
        SetCurrentFileName(*chosen);
    }
    QByteArray content;
    {
        WaitCursor wait;
        content = window_.composeFile();
    }
    try {
        saveRecordFile(currentFileName_, content);
    } catch (const ZilvarenError& e) {
        prompts_.showError(e.message());
        return;
    }
    window_.document().setModified(false);
}
