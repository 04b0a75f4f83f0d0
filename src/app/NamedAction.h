#pragma once

#include <QAction>

// An action with the designed name the tests and the layout find it by.
inline QAction* makeAction(QObject* parent, const QString& text, const char* name) {
    auto* a = new QAction(text, parent);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}
