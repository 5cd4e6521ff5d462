#pragma once
// Fixtures shared by the MSP editor window tests.

#include "msp/msprecord.h"

#include <QList>
#include <QPair>
#include <QStringList>

class QWidget;
namespace tamo::msp_editor {
class MspEditorWindow;
}

namespace tamo::test::editor {

// A new document holding the named samples, with bytes of its image then replaced.
msp::MspRecord documentWith(const QStringList &names, const QList<QPair<qsizetype, quint8>> &bytes = {});
// Puts a record into the window and refreshes the view.
void showRecord(msp_editor::MspEditorWindow &form, const msp::MspRecord &record);
// The text of a QLineEdit or QLabel child.
QString shown(const QWidget &window, const QString &name);
QStringList listed(const msp_editor::MspEditorWindow &form);
// "A|B|C" as a list; "" gives an empty one.
QStringList split(const char *texts);
// Makes a small file, with its folders.
bool touch(const QString &path);
// Runs a menu command or clicks a button of the window by name; "close" closes it.
void run(msp_editor::MspEditorWindow &form, const QString &command);

} // namespace tamo::test::editor
