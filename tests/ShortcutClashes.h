#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QMenuBar>
#include <QStringList>
#include <QToolButton>

// Every key that reaches something in the window as it is shown now (the
// visible labels' buddies, the visible buttons' mnemonics, the menu bar's
// titles, the actions' shortcuts), and the keys claimed twice.
inline QStringList shortcutClashes(QWidget* window) {
    QMap<QKeySequence, QStringList> owners;
    const auto claim = [&owners](const QKeySequence& key, const QString& owner) {
        if (!key.isEmpty())
            owners[key].append(owner);
    };
    for (QAction* a : window->findChildren<QAction*>()) {
        // A key bound to one widget only is no clash with the window's keys.
        if (a->associatedObjects().isEmpty() || a->shortcutContext() == Qt::WidgetShortcut)
            continue;
        for (const QKeySequence& k : a->shortcuts())
            claim(k, a->text());
    }
    if (auto* main = qobject_cast<QMainWindow*>(window))
        for (QAction* menu : main->menuBar()->actions())
            claim(QKeySequence::mnemonic(menu->text()), menu->text());
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->isVisible() && label->buddy())
            claim(QKeySequence::mnemonic(label->text()), label->text());
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->isVisible() && !qobject_cast<QToolButton*>(button))
            claim(QKeySequence::mnemonic(button->text()), button->text());
    QStringList clashes;
    for (auto it = owners.cbegin(); it != owners.cend(); ++it)
        if (it.value().size() > 1)
            clashes << it.key().toString() + QStringLiteral(": ") + it.value().join(QStringLiteral(", "));
    return clashes;
}
