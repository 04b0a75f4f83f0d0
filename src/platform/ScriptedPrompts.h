#pragma once

#include "platform/Prompts.h"
#include "platform/SecretBytes.h"

#include <QQueue>
#include <QStringList>
#include <QVariant>

// Prompts for tests: answers come from a queue, and everything shown is
// recorded. An unexpected prompt (empty queue where an answer is needed)
// answers Cancel, so a test notices instead of hanging.
class ScriptedPrompts : public Prompts {
public:
    enum class Kind { Message, Error, Question, Input, Password, OpenFile, SaveFile, Choice };
    struct Shown {
        Kind kind;
        QString text;  // message, question, prompt, or dialog title
        QString title; // input box caption
        QList<PromptButton> buttons;
        PromptIcon icon = PromptIcon::Information;
        FileDialogRequest fileRequest;
    };

    // Queue the answer of the next question, input box or file dialog.
    // A question takes a PromptButton, the others a QString (or a null
    // QVariant for Cancel); a password is answered with its text.
    void answer(PromptButton button) { answers_.enqueue(QVariant::fromValue(int(button))); }
    void answerText(const QString& text) { answers_.enqueue(text); }
    void answerCancel() { answers_.enqueue(QVariant()); }

    const QList<Shown>& shown() const { return shown_; }
    QStringList texts() const;
    QStringList messages() const; // texts of plain messages and errors, in order
    void clear() {
        shown_.clear();
        answers_.clear();
    }
    int pendingAnswers() const { return int(answers_.size()); }

    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    PromptButton ask(const QString& text, PromptIcon icon,
                     const QList<PromptButton>& buttons) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                    const QString& defaultValue) override;
    std::optional<SecretBytes> password(const QString& caption, const QString& prompt) override;
    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;
    // Answered with the text of the item to choose.
    std::optional<int> chooseItem(const QString& caption, const QString& prompt,
                                  const QStringList& items) override;

private:
    std::optional<QString> nextText();

    QQueue<QVariant> answers_;
    QList<Shown> shown_;
};
