// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include "msp_editor/mspeditorwindow.h"
#include "usd/drumkitwindow.h"
#include "usv/uservoicewindow.h"

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
    case FileKind::Msp:
        showEditor<msp_editor::MspEditorWindow>()->openFile(path);
        break;
    case FileKind::Usd:
        showEditor<usd::DrumKitWindow>()->openDropped(1, path);
        break;
    case FileKind::Usv:
        showEditor<usv::UserVoiceWindow>()->openDropped(1, path);
        break;
    case FileKind::Wav:
    case FileKind::Sfz:
    case FileKind::Export:
        break; // never asked for: the command line takes only the three documents
    }
}

} // namespace tamo::app
