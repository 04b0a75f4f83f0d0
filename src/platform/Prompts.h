#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class SecretBytes;

enum class PromptButton { Ok, Yes, No, Cancel };
enum class PromptIcon { Information, Warning, Error };

// A file dialog as the program asks for it. The filter is written as
// pairs "Description|patterns|Description|patterns", patterns separated
// by ';'.
struct FileDialogRequest {
    QString title;
    QString filter;
    QString defaultSuffix;
    QString directory;
    QString fileName;
};

// Every message box, question, input box and file dialog goes through
// here, so that tests can answer them.
class Prompts {
public:
    virtual ~Prompts();

    // Plain message with an OK button. A '\r' in the text breaks the line.
    virtual void showMessage(const QString& text) = 0;
    // The message of an error that stopped an operation.
    virtual void showError(const QString& text) = 0;
    // A question; closing the box answers Cancel.
    virtual PromptButton ask(const QString& text, PromptIcon icon,
                             const QList<PromptButton>& buttons) = 0;
    // One-line input; nullopt when cancelled.
    virtual std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                            const QString& defaultValue) = 0;
    // A password, typed hidden; nullopt when cancelled. The typed text
    // leaves the dialog only as SecretBytes.
    virtual std::optional<SecretBytes> password(const QString& caption,
                                                const QString& prompt) = 0;
    // An existing file to open; nullopt when cancelled.
    virtual std::optional<QString> openFileName(const FileDialogRequest& request) = 0;
    // A file name to save under (need not exist); nullopt when cancelled.
    virtual std::optional<QString> saveFileName(const FileDialogRequest& request) = 0;
    // One of items; nullopt when cancelled.
    virtual std::optional<int> chooseItem(const QString& caption, const QString& prompt,
                                          const QStringList& items) = 0;
};

// Asks whether the file at path, which exists, may be replaced; true when
// it does not exist or the user said yes.
bool mayReplaceFile(Prompts& prompts, const QString& path);
