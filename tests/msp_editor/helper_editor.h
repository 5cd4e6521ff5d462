#pragma once
// Builders shared by the MSP editor window tests.

#include "msp/msprecord.h"

#include <QList>
#include <QPair>
#include <QStringList>

namespace tamo::msp_editor {
class MspEditorWindow;
}

namespace tamo::test::editor {

// A new document holding the named samples, with bytes of its image then replaced.
msp::MspRecord documentWith(const QStringList &names, const QList<QPair<qsizetype, quint8>> &bytes = {});
// "A|B|C" as a list; "" gives an empty one.
QStringList split(const char *texts);
// Makes a small file, with its folders.
bool touch(const QString &path);
// Runs a menu command or clicks a button of the window by name; "close" closes it.
void run(msp_editor::MspEditorWindow &form, const QString &command);

} // namespace tamo::test::editor
