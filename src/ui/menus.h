// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

class QMenu;
class QUndoStack;

namespace tamo::ui {

// The platform's keys for a command, or the usual ones where it has none.
QList<QKeySequence> keysFor(QKeySequence::StandardKey key, const QString &fallback);

// Undo and Redo of stack at the end of the Edit menu (MnuUndo, MnuRedo), with the
// platform's keys; their texts name the step they take back or again.
void addUndoRedo(QMenu *edit, QUndoStack *stack);

} // namespace tamo::ui
