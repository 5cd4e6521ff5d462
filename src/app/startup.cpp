#include "app/startup.h"

#include "msp_editor/form1.h"
#include "usd/form3.h"
#include "usv/formusv.h"

namespace tamo::app {

namespace {

template <class Editor>
Editor *showEditor()
{
    // Destroyed when closed, as when the launcher opens it.
    auto *editor = new Editor();
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->show();
    return editor;
}

} // namespace

void openInEditor(FileKind kind, const QString &path)
{
    // Shown first, so that a message about the file sits over its editor.
    switch (kind) {
    case FileKind::Multisample:
        showEditor<msp_editor::Form1>()->openMspFile(path);
        break;
    case FileKind::DrumKits:
        showEditor<usd::Form3>()->openFile(1, path);
        break;
    case FileKind::UserVoices:
        showEditor<usv::FormUSV>()->openFile(1, path);
        break;
    }
}

} // namespace tamo::app
