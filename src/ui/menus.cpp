// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/menus.h"

#include <QCoreApplication>
#include <QMenu>
#include <QUndoStack>

namespace tamo::ui {

QList<QKeySequence> keysFor(QKeySequence::StandardKey key, const QString &fallback)
{
    const QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    return keys.isEmpty() ? QList<QKeySequence>{QKeySequence(fallback)} : keys;
}

void addUndoRedo(QMenu *edit, QUndoStack *stack)
{
    QAction *undo = stack->createUndoAction(edit, QCoreApplication::translate("EditMenu", "&Undo"));
    undo->setObjectName(QStringLiteral("MnuUndo"));
    undo->setShortcuts(keysFor(QKeySequence::Undo, QStringLiteral("Ctrl+Z")));
    QAction *redo = stack->createRedoAction(edit, QCoreApplication::translate("EditMenu", "&Redo"));
    redo->setObjectName(QStringLiteral("MnuRedo"));
    redo->setShortcuts(keysFor(QKeySequence::Redo, QStringLiteral("Ctrl+Shift+Z")));
    edit->addAction(undo);
    edit->addAction(redo);
}

} // namespace tamo::ui
