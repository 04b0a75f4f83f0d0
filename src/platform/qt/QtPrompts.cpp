#include "platform/qt/QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace {

const QString kTitle = QStringLiteral("Velmora");

QWidget* parentWindow() {
    return QApplication::activeWindow();
}

// A '\r' in the program's texts is a line break.
QString displayText(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

QMessageBox::StandardButton toQt(PromptButton b) {
    switch (b) {
    case PromptButton::Ok:
        return QMessageBox::Ok;
    case PromptButton::Yes:
        return QMessageBox::Yes;
    case PromptButton::No:
        return QMessageBox::No;
    case PromptButton::Cancel:
        return QMessageBox::Cancel;
    }
    return QMessageBox::NoButton;
}

QFileDialog* makeDialog(const FileDialogRequest& r) {
    auto* dialog = new QFileDialog(parentWindow(), r.title, r.directory);
    dialog->setNameFilter(QtPrompts::qtFilter(r.filter));
    dialog->setDefaultSuffix(r.defaultSuffix);
    dialog->setOption(QFileDialog::ReadOnly, false);
    if (!r.fileName.isEmpty())
        dialog->selectFile(r.fileName);
    return dialog;
}

std::optional<QString> run(QFileDialog* dialog) {
    std::optional<QString> result;
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        result = dialog->selectedFiles().constFirst();
    delete dialog;
    return result;
}

} // namespace

QString QtPrompts::qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(trailingPatterns);
        const QStringList patterns =
            parts[i + 1].toLower().split(QLatin1Char(';'), Qt::SkipEmptyParts);
        filters.append(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

void QtPrompts::showMessage(const QString& text) {
    QMessageBox::information(parentWindow(), kTitle, displayText(text));
}

void QtPrompts::showError(const QString& text) {
    QMessageBox::critical(parentWindow(), kTitle, displayText(text));
}

PromptButton QtPrompts::ask(const QString& text, PromptIcon icon,
                            const QList<PromptButton>& buttons) {
    QMessageBox box(icon == PromptIcon::Warning ? QMessageBox::Warning
                    : icon == PromptIcon::Error ? QMessageBox::Critical
                                                : QMessageBox::Information,
                    kTitle, displayText(text), QMessageBox::NoButton, parentWindow());
    for (PromptButton b : buttons)
        box.addButton(toQt(b));
    if (buttons.contains(PromptButton::Cancel))
        box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (PromptButton b : buttons)
        if (toQt(b) == clicked)
            return b;
    return PromptButton::Cancel;
}

std::optional<QString> QtPrompts::inputBox(const QString& caption, const QString& prompt,
                                           const QString& defaultValue) {
    bool ok = false;
    const QString text = QInputDialog::getText(parentWindow(), caption, prompt, QLineEdit::Normal,
                                               defaultValue, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<SecretBytes> QtPrompts::password(const QString& caption, const QString& prompt) {
    QInputDialog dialog(parentWindow());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(displayText(prompt));
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    SecretBytes typed = SecretBytes::fromText(dialog.textValue());
    // The dialog's own copy goes at once, not when the stack unwinds.
    dialog.setTextValue(QString());
    return typed;
}

std::optional<int> QtPrompts::chooseItem(const QString& caption, const QString& prompt,
                                         const QStringList& items) {
    bool ok = false;
    const QString item =
        QInputDialog::getItem(parentWindow(), caption, prompt, items, 0, false, &ok);
    if (!ok)
        return std::nullopt;
    return int(items.indexOf(item));
}

std::optional<QString> QtPrompts::openFileName(const FileDialogRequest& request) {
    QFileDialog* dialog = makeDialog(request);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return run(dialog);
}

std::optional<QString> QtPrompts::saveFileName(const FileDialogRequest& request) {
    QFileDialog* dialog = makeDialog(request);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    // The program asks its own overwrite question.
    dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
    return run(dialog);
}
