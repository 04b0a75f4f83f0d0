#include "platform/ScriptedPrompts.h"

QStringList ScriptedPrompts::texts() const {
    QStringList out;
    for (const Shown& s : shown_)
        out.append(s.text);
    return out;
}

QStringList ScriptedPrompts::messages() const {
    QStringList out;
    for (const Shown& s : shown_)
        if (s.kind == Kind::Message || s.kind == Kind::Error)
            out.append(s.text);
    return out;
}

void ScriptedPrompts::showMessage(const QString& text) {
    shown_.append({Kind::Message, text, {}, {PromptButton::Ok}, PromptIcon::Information, {}});
}

void ScriptedPrompts::showError(const QString& text) {
    shown_.append({Kind::Error, text, {}, {PromptButton::Ok}, PromptIcon::Error, {}});
}

PromptButton ScriptedPrompts::ask(const QString& text, PromptIcon icon,
                                  const QList<PromptButton>& buttons) {
    shown_.append({Kind::Question, text, {}, buttons, icon, {}});
    if (answers_.isEmpty())
        return PromptButton::Cancel;
    const QVariant a = answers_.dequeue();
    const auto button = a.isNull() ? PromptButton::Cancel : PromptButton(a.toInt());
    return buttons.contains(button) ? button : PromptButton::Cancel;
}

std::optional<QString> ScriptedPrompts::nextText() {
    if (answers_.isEmpty())
        return std::nullopt;
    const QVariant a = answers_.dequeue();
    if (a.isNull())
        return std::nullopt;
    return a.toString();
}

std::optional<QString> ScriptedPrompts::inputBox(const QString& caption, const QString& prompt,
                                                 const QString& defaultValue) {
    Shown s{Kind::Input, prompt, caption, {}, PromptIcon::Information, {}};
    s.fileRequest.fileName = defaultValue;
    shown_.append(s);
    return nextText();
}

std::optional<SecretBytes> ScriptedPrompts::password(const QString& caption,
                                                     const QString& prompt) {
    shown_.append({Kind::Password, prompt, caption, {}, PromptIcon::Information, {}});
    const std::optional<QString> text = nextText();
    if (!text)
        return std::nullopt;
    return SecretBytes::fromText(*text);
}

std::optional<QString> ScriptedPrompts::openFileName(const FileDialogRequest& request) {
    shown_.append({Kind::OpenFile, request.title, {}, {}, PromptIcon::Information, request});
    return nextText();
}

std::optional<QString> ScriptedPrompts::saveFileName(const FileDialogRequest& request) {
    shown_.append({Kind::SaveFile, request.title, {}, {}, PromptIcon::Information, request});
    return nextText();
}

std::optional<int> ScriptedPrompts::chooseItem(const QString& caption, const QString& prompt,
                                               const QStringList& items) {
    shown_.append({Kind::Choice, prompt, caption, {}, PromptIcon::Information, {}});
    const std::optional<QString> text = nextText();
    if (!text || !items.contains(*text))
        return std::nullopt;
    return int(items.indexOf(*text));
}
