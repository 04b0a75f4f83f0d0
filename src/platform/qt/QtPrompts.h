#pragma once

#include "platform/Prompts.h"
#include "platform/SecretBytes.h"

class QWidget;

// Prompts shown with Qt's dialogs, over the active window.
class QtPrompts : public Prompts {
public:
    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    PromptButton ask(const QString& text, PromptIcon icon,
                     const QList<PromptButton>& buttons) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                    const QString& defaultValue) override;
    std::optional<SecretBytes> password(const QString& caption, const QString& prompt) override;
    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;
    std::optional<int> chooseItem(const QString& caption, const QString& prompt,
                                  const QStringList& items) override;

    // "Desc (*.a)|*.A|Other|*.b;*.c" -> Qt's "Desc (*.a);;Other (*.b *.c)".
    static QString qtFilter(const QString& filter);
};
