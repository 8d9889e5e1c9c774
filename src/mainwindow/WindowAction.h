#pragma once

#include <QAction>
#include <QKeySequence>
#include <QWidget>

// A command of the window, named for the tests and reached by its key anywhere in the window.
inline QAction* windowAction(QWidget& window, const char* name, const QString& text,
                             const QKeySequence& key)
{
    auto* action = new QAction(text, &window);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    window.addAction(action);
    return action;
}
